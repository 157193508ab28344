# Fails when a file of the portable core includes a file of a layer above
# its own, or anything of the simulated desktop or the Windows shell.
#   cmake -DROOT=<source dir> -DLAYERS=<layers, lowest first, by commas> -DSTAMP=<file>
#         -P CheckLayers.cmake
#
# A file may include its own layer and those below it.
string(REPLACE "," ";" layers "${LAYERS}")
if(NOT layers)
  message(FATAL_ERROR "CheckLayers.cmake needs -DLAYERS=<the layers, lowest first>")
endif()


set(problems "")
list(LENGTH layers count)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  list(GET layers ${index} layer)
  file(GLOB files "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.cpp" "${ROOT}/${layer}/*.inc")
  foreach(path IN LISTS files)
    file(RELATIVE_PATH name "${ROOT}" "${path}")
    file(STRINGS "${path}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS includes)
      if(line MATCHES "#[ \t]*include[ \t]*\"([a-z0-9_]+)/([^\"]+)\"")
        set(target_dir "${CMAKE_MATCH_1}")
        set(target "${CMAKE_MATCH_1}/${CMAKE_MATCH_2}")
        list(FIND layers "${target_dir}" target_index)
        if(target_index EQUAL -1)
          list(APPEND problems "${name} includes ${target}: the core includes only its own layers")
        elseif(target_index GREATER index)
          list(APPEND problems "${name} includes ${target}, a layer above ${layer}")
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<(windows|winuser|ole2|objbase|shellapi)\\.h>")
        list(APPEND problems "${name} includes an OS header: the core has none")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  string(JOIN ";" order ${layers})
  string(REPLACE ";" " < " order "${order}")
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Includes that run up the layers (${order}):\n  ${text}")
endif()
file(TOUCH "${STAMP}")

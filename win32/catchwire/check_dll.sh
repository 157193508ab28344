#!/bin/sh
# Checks a built catchwire.dll with objdump.
#   section OBJDUMP DLL: the .shared section is marked SHARED
#   exports OBJDUMP DLL: the five exports carry their plain names
set -eu
what=$1
objdump=$2
dll=$3
case $what in
section)
  # objdump -h prints a section's flags on the line after its name.
  flags=$("$objdump" -h "$dll" | awk '$2 == ".shared" { getline; print }')
  echo ".shared flags: ${flags:-<no such section>}"
  case $flags in *SHARED*) exit 0 ;; esac
  exit 1
  ;;
exports)
  table=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
  echo "$table"
  for name in HookCBT HookMsg HookMouse CallbackInit GetLastY; do
    echo "$table" | grep -Eq "\] $name\$" || { echo "missing export $name"; exit 1; }
  done
  if echo "$table" | grep -q '@'; then echo "decorated export"; exit 1; fi
  ;;
*)
  echo "unknown check $what"
  exit 2
  ;;
esac

#!/bin/sh
# Checks that Windows XP can load the given binaries: every function they
# import is on the list of what XP SP3 (32-bit) or XP x64 (64-bit) provides
# (an import by ordinal N only as "#N" on the list), and the PE headers ask
# for Windows MIN (5.1 for XP, 5.2 for XP x64); binaries after --others
# (made by other tools: the installer's stub) may ask for an earlier one.
#   check-xp-imports.sh OBJDUMP LIST BITS MIN BINARY... [--others BINARY...]
#   check-xp-imports.sh --imports OBJDUMP BINARY...   (prints dll function)
set -eu

imports() {
  # objdump -p: under "The Import Tables", a "DLL Name:" line per library,
  # then one line per function: address, hint, name (no name: by ordinal).
  "$1" -p "$2" | awk '
    /^The Import Tables/ { on = 1; next }
    on && /^The / { on = 0 }
    on && /DLL Name:/ { dll = tolower($3); next }
    on && dll != "" && /^\t[0-9a-f]+\t/ {
      name = $3
      if (name == "" || name == "<none>") name = "#" $2
      print dll, name
    }'
}

if [ "$1" = --imports ]; then
  objdump=$2
  shift 2
  for binary in "$@"; do imports "$objdump" "$binary"; done | sort -u
  exit 0
fi

objdump=$1
list=$2
bits=$3
min=$4
shift 4
# The list's entries for this bitness, "dll function", in a file for awk.
allowed=$(mktemp)
trap 'rm -f "$allowed"' EXIT
awk -v bits="$bits" '
  /^[ \t]*(#|$)/ { next }
  $3 == "both" || $3 == bits { print tolower($1), $2 }' "$list" >"$allowed"
# Versions as comparable numbers: 5.1 -> 501.
number() { echo "$1" | awk -F. '{ print $1 * 100 + $2 }'; }
failed=0
others=0
for binary in "$@"; do
  if [ "$binary" = --others ]; then
    others=1
    continue
  fi
  name=$(basename "$binary")
  if [ ! -f "$binary" ]; then
    echo "$name: missing"
    failed=1
    continue
  fi
  version=$("$objdump" -p "$binary" | awk '
    $1 == "MajorSubsystemVersion" { sm = $2 } $1 == "MinorSubsystemVersion" { sn = $2 }
    $1 == "MajorOSystemVersion" { om = $2 } $1 == "MinorOSystemVersion" { on = $2 }
    END { print sm "." sn, om "." on }')
  if [ $others -eq 0 ] && [ "$version" != "$min $min" ]; then
    echo "$name: subsystem and OS versions $version, not $min $min"
    failed=1
  elif [ "$(number "${version% *}")" -gt "$(number "$min")" ]; then
    echo "$name: subsystem version ${version% *}, later than $min"
    failed=1
  fi
  found=$(imports "$objdump" "$binary")
  count=$(printf '%s\n' "$found" | grep -c . || true)
  if [ "$count" -eq 0 ]; then
    echo "$name: no imports found (not a PE file?)"
    failed=1
  fi
  # One pass: each import that is by ordinal or not on the list.
  bad=$(printf '%s\n' "$found" | awk -v name="$name" '
    NR == FNR { allowed[$0] = 1; next }
    $0 == "" { next }
    $2 ~ /^#/ && !($0 in allowed) { print name ": " $1 " ordinal " substr($2, 2) " imported by number, not on the list"; next }
    !($0 in allowed) { print name ": " $1 " " $2 " is not on the list of what Windows XP provides" }
  ' "$allowed" -)
  if [ -n "$bad" ]; then
    echo "$bad"
    failed=1
  fi
  echo "$name: $count imports, versions $version"
done
exit $failed

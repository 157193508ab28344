#!/usr/bin/env bash
# Checks the compiled help against the program and against itself:
#  - every topic the program opens (the options dialog's tab topics, the tray
#    menu's help entry, anything else passed to ShowHelpTopic) is compiled
#    into quellix.chm, and its anchor, if any, exists;
#  - every page of the help folder is in the project file and in the .chm;
#  - every link between pages and every entry of the contents and the index
#    leads to a page of the .chm and to an anchor that exists.
# Usage: check-help.sh SOURCE_ROOT HELP_FOLDER QUELLIX_CHM
set -uo pipefail

root="$1"
help="$2"
chm="$3"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

[ -s "$chm" ] || {
  echo "FAIL: $chm is missing or empty"
  exit 1
}

# The names stored in the .chm's directory (chmls prints one entry a line,
# the name last).
chm_names=$(chmls list "$chm" 2>/dev/null | awk '$NF ~ /^\// { print substr($NF, 2) }')
[ -n "$chm_names" ] || {
  echo "FAIL: cannot list the contents of $chm"
  exit 1
}
declare -A compiled
while read -r name; do [ -n "$name" ] && compiled["$name"]=1; done <<<"$chm_names"
in_chm() { [ -n "${compiled[$1]:-}" ]; }

project_files=$(sed -n '/^\[FILES\]/,/^\[/p' "$help/quellix.hhp" | grep -v '^\[' | tr -d '\r' | sed '/^$/d')
declare -A listed
while read -r name; do [ -n "$name" ] && listed["$name"]=1; done <<<"$project_files"
in_project() { [ -n "${listed[$1]:-}" ]; }

# An anchor exists when some element of the page carries it as id or name.
declare -A anchors
for page in "$help"/*.htm; do
  for a in $(grep -oiE '(id|name)="[^"]*"' "$page" | sed -E 's/^[^"]*"//; s/"$//'); do
    anchors["$(basename "$page")#$a"]=1
  done
done
has_anchor() { [ -n "${anchors[$1#$2]:-}" ]; }

# Checks one target "page.htm" or "page.htm#anchor", named by WHERE.
check_target() {
  local target="$1" where="$2" page anchor
  page="${target%%#*}"
  anchor=""
  [[ "$target" == *"#"* ]] && anchor="${target#*#}"
  if [ ! -f "$help/$page" ]; then
    fail "$where: $target: no page $page in $help"
    return
  fi
  in_chm "$page" || fail "$where: $target: $page is not compiled into $(basename "$chm")"
  if [ -n "$anchor" ] && ! has_anchor "$page" "$anchor"; then
    fail "$where: $target: $page has no anchor \"$anchor\""
  fi
}

# 1. The topics the program opens.
code_topics=$(
  {
    # The options dialog and the rule dialogs name their topics in ui/.
    grep -ohE 'L"[A-Za-z0-9_]+\.htm(#[A-Za-z0-9_-]+)?"' "$root"/ui/*.cpp "$root"/ui/*.h
    # The monitor opens topics through ShowHelpTopic.
    grep -hE 'ShowHelpTopic\(' "$root"/monitor/*.cpp |
      grep -oE 'L"[A-Za-z0-9_]+\.htm(#[A-Za-z0-9_-]+)?"'
  } | sed -E 's/^L"//; s/"$//' | sort -u
)
monitor_topics=$(grep -hE 'ShowHelpTopic\(' "$root"/monitor/*.cpp | grep -cE '\.htm')
if [ -z "$code_topics" ] || [ "$monitor_topics" -eq 0 ]; then
  fail "found no help topics in the program's sources (ui/, monitor/): has the way topics are named changed?"
fi
for topic in $code_topics; do
  check_target "$topic" "topic opened by the program"
done
echo "topics the program opens: $(echo $code_topics)"

# 2. Every page is in the project and in the .chm; every project file exists.
for page in "$help"/*.htm; do
  name=$(basename "$page")
  in_project "$name" || fail "$name is not listed in quellix.hhp"
  in_chm "$name" || fail "$name is not compiled into $(basename "$chm")"
done
for file in $project_files; do
  [ -f "$help/$file" ] || fail "quellix.hhp lists $file, which does not exist"
done

# 3. Links between pages, and the contents and the index.
for page in "$help"/*.htm; do
  name=$(basename "$page")
  for href in $(grep -oiE 'href="[^"]*"' "$page" | sed -E 's/^href="//I; s/"$//'); do
    case "$href" in
      http:* | https:* | mailto:*) continue ;;
      *.css) [ -f "$help/$href" ] && in_chm "$href" || fail "$name: stylesheet $href missing" ;;
      "#"*) check_target "$name$href" "$name" ;;
      *) check_target "$href" "$name" ;;
    esac
  done
done
for file in quellix.hhc quellix.hhk; do
  entries=$(grep -oiE '<param name="Local" value="[^"]*"' "$help/$file" | sed -E 's/.*value="//; s/"$//')
  [ -n "$entries" ] || fail "$file has no entries"
  for target in $entries; do
    check_target "$target" "$file"
  done
done

if [ "$failures" -gt 0 ]; then
  echo "$failures problem(s) in the help"
  exit 1
fi
echo "help is complete: every topic and link resolves"

#!/usr/bin/env bash
# Runs quellix-rules.exe under Wine on files in a fresh folder.
# Usage: check-rules-tool.sh QUELLIX-RULES.EXE WINE-RUN.SH
set -uo pipefail
exe=$1
run=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
check() { # what, expected, got
  if [ "$2" != "$3" ]; then
    printf 'FAIL: %s\n  expected: %q\n  got:      %q\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}
tool() { "$run" "$exe" "$@" 2>err.txt; }

out=$(tool 2>/dev/null)
status=$?
[ "$status" -eq 77 ] && { echo "$out"; exit 77; }  # a 32-bit program on a 64-bit-only Wine
check "no arguments: exit status" 2 "$status"
check "no arguments: usage" "quellix-rules: no command given" "$(head -1 err.txt | tr -d '\r')"

printf '[Adblock Plus 2.0]\n||pop.example^$popup\n||n.example^$popup,domain=a.example\n' >list.txt
out=$(tool import list.txt)
check "import: exit status" 0 $?
check "import: message" "Added 1 rule; 2 lines skipped: 1 comment, 1 narrower than a whole site." "$out"
check "import: websites.dat" "030000000d0000002a21706f702e6578616d706c65" "$(od -An -tx1 websites.dat | tr -d ' \n')"
check "list" "$(printf 'pop.example\tkill\tsubdomains yes')" "$(tool list)"
check "check" "$(printf 'http://a.pop.example/\tallow no\tkill yes\tthe always-kill rule "pop.example" of host "pop.example"')" "$(tool check http://a.pop.example/)"
tool export >export.txt
check "export: exit status" 0 $?
check "export: last line, CR LF kept" "7c7c706f702e6578616d706c655e24706f7075700d0a" "$(tail -c 22 export.txt | od -An -tx1 | tr -d ' \n')"

# A folder whose name the ANSI code page cannot hold.
mkdir "$work/規則"
out=$(tool import list.txt --into "規則/rules.dat")
check "import into a Unicode folder" 0 $?
check "the file there" "$(od -An -tx1 websites.dat | tr -d ' \n')" "$(od -An -tx1 "規則/rules.dat" 2>/dev/null | tr -d ' \n')"

tool import missing.txt >/dev/null
check "a list that is not there: exit status" 1 $?
[ $failures -eq 0 ] && echo "rules tool: all checks passed"
exit $((failures > 0))

#!/usr/bin/env bash
# Adds up the results in test logs: ctest's "N% tests passed, F tests failed
# out of T" (less the tests it lists as skipped) and the fuzz run's "P passed,
# F failed". Prints one line per log and then "N passed, N failed"; exits 1
# when something failed or a log has no result at all.
#   scripts/sum-results.sh LOG...
set -uo pipefail
passed=0
failed=0
status=0
for log in "$@"; do
  line=$(grep -E 'tests failed out of [0-9]+$|^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1)
  skipped=0
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+)$ ]]; then
    f=${BASH_REMATCH[1]}
    # ctest counts a skipped test among the passed ones.
    skipped=$(grep -c ' (Skipped)$' "$log")
    p=$((BASH_REMATCH[2] - f - skipped))
  elif [[ $line =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
    p=${BASH_REMATCH[1]}
    f=${BASH_REMATCH[2]}
  else
    echo "$(basename "$log" .log): no result"
    status=1
    continue
  fi
  if [ "$skipped" -gt 0 ]; then
    echo "$(basename "$log" .log): $p passed, $f failed ($skipped skipped)"
  else
    echo "$(basename "$log" .log): $p passed, $f failed"
  fi
  passed=$((passed + p))
  failed=$((failed + f))
done
[ "$failed" -eq 0 ] || status=1
echo "$passed passed, $failed failed"
exit "$status"

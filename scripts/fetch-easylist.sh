#!/usr/bin/env bash
# Fetches the real EasyList that the rule-list tests and benchmarks import:
# the copy the npm package ad-block 4.1.7 carries as test/data/easylist.txt
# (76 050 lines, April 2019), into build/deps/ad-block-4.1.7/easylist.txt.
# The list is never committed. A copy already there with the right checksum
# is kept, so running this again (or offline, once fetched) does nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest=$root/build/deps/ad-block-4.1.7
list=$dest/easylist.txt
# The tests assert exact counts: only this very file will do.
sha256=7966866c062226243e175f762a6c54fa6d1bb12a6eb39b90813da868357418df

matches() { echo "$sha256  $1" | sha256sum --check --status 2>/dev/null; }

[ -f "$list" ] && matches "$list" && exit 0
command -v npm >/dev/null || { echo "fetch-easylist: npm is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Fetching EasyList (npm package ad-block 4.1.7)"
# npm checks the package against the registry's integrity record.
(cd "$work" && npm pack ad-block@4.1.7 --silent >/dev/null)
tar -xzf "$work/ad-block-4.1.7.tgz" -C "$work" package/test/data/easylist.txt
if ! matches "$work/package/test/data/easylist.txt"; then
  echo "fetch-easylist: the package's easylist.txt is not the expected file" >&2
  exit 1
fi
mkdir -p "$dest"
mv "$work/package/test/data/easylist.txt" "$list"

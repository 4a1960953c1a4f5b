#!/bin/sh
# The whole test suite: installs what it needs, then runs every stage in
# scripts/test.d in name order. Any failing stage fails the run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh" all

status=0
for stage in "$root"/scripts/test.d/*.sh; do
  name=$(basename "$stage" .sh)
  echo "=== $name"
  start=$(date +%s)
  if sh "$stage"; then
    echo "=== $name passed in $(( $(date +%s) - start )) s"
  else
    echo "=== $name FAILED in $(( $(date +%s) - start )) s"
    status=1
  fi
done
exit $status

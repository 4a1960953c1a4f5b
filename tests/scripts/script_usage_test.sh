#!/bin/sh
# The scripts' usage: --help prints it on standard output and exits 0;
# arguments the script does not take print it on standard error and exit 2.
# Each runs with only sh, dirname and sed on the path, so a script that went
# on past its arguments would stop at its first other command (an install,
# a build) instead of running it.
# usage: script_usage_test.sh SOURCE_DIR
set -u
root=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
for tool in sh dirname sed; do ln -s "$(command -v "$tool")" "$scratch/bin/$tool"; done
shell=$(command -v sh)

failed=0
# script | arguments | exit status | where "usage:" begins a line (out or err)
while IFS='|' read -r script args status stream; do
  # shellcheck disable=SC2086
  (cd "$root" && PATH="$scratch/bin" "$shell" "$script" $args) >"$scratch/out" 2>"$scratch/err"
  got=$?
  other=err
  [ "$stream" = out ] || other=out
  problem=""
  [ "$got" -eq "$status" ] || problem="exit $got, expected $status"
  grep -q '^usage: ' "$scratch/$stream" || problem="$problem; no usage on std$stream"
  [ ! -s "$scratch/$other" ] || problem="$problem; std$other: $(head -c 200 "$scratch/$other")"
  if [ -n "$problem" ]; then
    echo "FAIL $script $args: ${problem#; }"
    failed=$((failed + 1))
  else
    echo "ok   $script $args"
  fi
done <<'ROWS'
scripts/demo.sh|--help|0|out
scripts/demo.sh|-h|0|out
scripts/demo.sh|--cycles 0|2|err
scripts/demo.sh|--cycles x 0 10 1|2|err
scripts/demo.sh|0 10|2|err
scripts/demo.sh|--bogus|2|err
scripts/stress-tests.sh|x|2|err
scripts/stress-tests.sh|--wine 3 4|2|err
ROWS
[ "$failed" -eq 0 ]

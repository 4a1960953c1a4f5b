#!/bin/sh
# The default and sanitizer suites, run again and again while two busy loops
# keep both cores loaded: a test that can fail without a fault shows here.
# Not a CI stage; run it by hand after changing tests or their timing.
#
# usage: scripts/stress-tests.sh [REPS]   (default 20)
# Uses build/default (or build/ci when only that exists) and build/sanitize,
# configuring and building them first. Prints a table of failed repetitions
# and exits non-zero if any repetition failed.
set -eu
reps=${1:-20}
case $reps in '' | *[!0-9]*) echo "usage: $0 [REPS]" >&2; exit 2 ;; esac
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
logs=$root/build/stress
mkdir -p "$logs"

if [ -d build/default ] || [ ! -d build/ci ]; then plain=default; else plain=ci; fi
cmake --preset "$plain" >/dev/null
cmake --build "build/$plain" -j2 >/dev/null
cmake --preset sanitize >/dev/null
cmake --build build/sanitize -j2 >/dev/null

# Both cores busy for the whole run; the loops go when the script does.
busy=""
stop_load() {
  for pid in $busy; do kill "$pid" 2>/dev/null || true; done
}
trap stop_load EXIT
trap 'exit 130' INT TERM
for _ in 1 2; do
  sh -c 'while :; do :; done' &
  busy="$busy $!"
done

# The sanitizer stage's own settings, so a repetition is that stage's run.
sanitize_env() {
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    LSAN_OPTIONS="suppressions=$root/tests/faults/lsan.supp:print_suppressions=0" \
    "$@"
}

failed_plain=0
failed_sanitize=0
started=$(date +%s)
rep=1
while [ "$rep" -le "$reps" ]; do
  if ctest --test-dir "build/$plain" --output-on-failure --timeout 300 >"$logs/$plain-$rep.log" 2>&1; then
    plain_result=ok
  else
    plain_result=FAILED
    failed_plain=$((failed_plain + 1))
  fi
  if sanitize_env ctest --test-dir build/sanitize --output-on-failure --timeout 600 \
    >"$logs/sanitize-$rep.log" 2>&1; then
    sanitize_result=ok
  else
    sanitize_result=FAILED
    failed_sanitize=$((failed_sanitize + 1))
  fi
  echo "repetition $rep/$reps: $plain $plain_result, sanitize $sanitize_result ($(($(date +%s) - started)) s so far)"
  for log in "$logs/$plain-$rep.log" "$logs/sanitize-$rep.log"; do
    grep -E '^[[:space:]]*[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess aborted|Not Run)\)' "$log" |
      sed "s|^|  $(basename "$log" .log): |" || true
  done
  rep=$((rep + 1))
done

echo
printf '%-10s %12s %8s\n' suite repetitions failed
printf '%-10s %12s %8s\n' "$plain" "$reps" "$failed_plain"
printf '%-10s %12s %8s\n' sanitize "$reps" "$failed_sanitize"
echo "logs: $logs (the failed tests are named in each log)"
[ "$failed_plain" -eq 0 ] && [ "$failed_sanitize" -eq 0 ]

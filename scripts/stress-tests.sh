#!/bin/sh
# The default and sanitizer suites, run again and again while two busy loops
# keep both cores loaded: a test that can fail without a fault shows here.
# Not a CI stage; run it by hand after changing tests or their timing.
#
# usage: scripts/stress-tests.sh [--wine] [REPS]   (default 20)
# Uses build/default (or build/ci when only that exists) and build/sanitize,
# configuring and building them first. Prints a table of failed repetitions
# and exits non-zero if any repetition failed.
# With --wine, each repetition is instead the Wine stage's check of
# Pitchwise.exe with no QSB, as built and as installed by the installer (in
# a prefix of its own, made once, on a virtual display of its own); it uses
# build/mingw.
set -eu
usage="usage: $0 [--wine] [REPS]"
wine_mode=""
if [ "${1:-}" = "--wine" ]; then
  wine_mode=1
  shift
fi
reps=${1:-20}
case $reps in '' | *[!0-9]*) echo "$usage" >&2; exit 2 ;; esac
[ $# -le 1 ] || { echo "$usage" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
logs=$root/build/stress
mkdir -p "$logs"

# Both cores busy for the whole run; the loops go when the script does.
busy=""
stop_load() {
  for pid in $busy; do kill "$pid" 2>/dev/null || true; done
}
start_load() {
  for _ in 1 2; do
    sh -c 'while :; do :; done' &
    busy="$busy $!"
  done
}

if [ -n "$wine_mode" ]; then
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j2 --target Pitchwise pitchwise_exe_tests \
    pitchwise_windows_release >/dev/null
  win=$root/build/mingw
  stage=$logs/wine
  rm -rf "$stage" "$logs"/wine-*.log
  mkdir -p "$stage"
  . "$root/scripts/lib/wine_session.sh"
  trap 'stop_load; end_wine' EXIT
  trap 'exit 130' INT TERM
  begin_wine "$stage"
  sh "$root/tests/wine/make_prefix.sh"
  wine "$(ls "$win"/packaging/windows/Pitchwise-*-setup.exe)" /S
  built=$(winepath -w "$win/app/win32/Pitchwise.exe")
  start_load
  failed=0
  started=$(date +%s)
  rep=1
  while [ "$rep" -le "$reps" ]; do
    result=ok
    for exe in "$built" 'C:\Program Files\Pitchwise\Pitchwise.exe'; do
      printf -- '--- %s\n' "$exe" >>"$logs/wine-$rep.log"
      timeout 120 wine "$win/tests/wine/pitchwise_exe_tests.exe" "$exe" alone \
        >>"$logs/wine-$rep.log" 2>&1 || result=FAILED
    done
    [ "$result" = ok ] || failed=$((failed + 1))
    echo "repetition $rep/$reps: Pitchwise.exe with no QSB, built and installed: $result" \
      "($(grep -h 'checks,' "$logs/wine-$rep.log" | paste -s -d '/' -); $(($(date +%s) - started)) s so far)"
    grep -E 'FAIL' "$logs/wine-$rep.log" | sed "s|^|  wine-$rep: |" || true
    rep=$((rep + 1))
  done
  echo
  printf '%-10s %12s %8s\n' suite repetitions failed
  printf '%-10s %12s %8s\n' wine "$reps" "$failed"
  echo "logs: $logs/wine-*.log"
  [ "$failed" -eq 0 ]
  exit
fi

if [ -d build/default ] || [ ! -d build/ci ]; then plain=default; else plain=ci; fi
cmake --preset "$plain" >/dev/null
cmake --build "build/$plain" -j2 >/dev/null
cmake --preset sanitize >/dev/null
cmake --build build/sanitize -j2 >/dev/null

trap stop_load EXIT
trap 'exit 130' INT TERM
start_load

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

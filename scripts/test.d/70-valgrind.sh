#!/bin/sh
# The Linux executable's whole Find QSB -> Create run once under Valgrind
# memcheck, against the bench (simulated axis, QSB and controller), on a
# virtual display and driven by key presses. Fails on any memcheck error or
# any definitely lost block, or when the bench disagrees with the table.
set -eu
root=$PWD
build=$root/build/ci
. "$root/scripts/lib/bench_session.sh"
cmake --preset ci >/dev/null
cmake --build --preset ci -j2 --target pitchwise pitchwise-bench tarvex_sim >/dev/null

if [ -z "${VALGRIND_DISPLAY_STARTED:-}" ]; then
  VALGRIND_DISPLAY_STARTED=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh "$0" "$@"
fi

begin_session
cleanup() {
  [ -n "${VALGRIND_KEEP:-}" ] && cp "$work/memcheck.log" "$VALGRIND_KEEP" 2>/dev/null || true
  end_session
}
trap cleanup EXIT
fail() {
  echo "valgrind: $*" >&2
  [ -f "$work/memcheck.log" ] && tail -60 "$work/memcheck.log" >&2
  exit 1
}

start_bench "$build" "$work" --csv "$work/bench.csv" --timeout 600

# Qt's offscreen and xcb plugins keep caches of the display and fonts for the
# life of the process; only blocks nothing points to any more count.
# Children that a system library forks (the session bus's launcher) are not
# Pitchwise and go unchecked.
valgrind --tool=memcheck --child-silent-after-fork=yes --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --error-exitcode=99 --num-callers=30 \
  --suppressions="$root/tests/faults/valgrind.supp" \
  --log-file="$work/memcheck.log" "$build/app/qt/pitchwise" &
app=$!
timeout 120 xdotool search --sync --onlyvisible --name '^Pitchwise v2\.2$' >/dev/null ||
  fail "no main window under valgrind"
wait_for_focus "Pitchwise v2.2" 120

# Keys wait in the queue while a command runs, as on Windows: Find QSB has
# the focus, then Create with the defaults (X, 0 to 1 by 1).
xdotool key Return
xdotool key Tab Tab Tab Tab Tab Tab Tab Return

# The bench ends once the run has called Tvx_Finish; its status is the
# verdict on the table it received.
status=0
timeout 300 sh -c "while kill -0 $bench 2>/dev/null; do sleep 0.5; done" || fail "the run did not end"
wait "$bench" || status=$?
bench=""
cat "$work/bench.out"
[ "$status" -eq 0 ] || fail "the bench disagrees with the table (status $status)"

# Close the "Done." message box, then end the program.
timeout 120 xdotool search --sync --onlyvisible --name '^pitchwise$' >/dev/null ||
  fail "no message box after the run"
wait_for_focus pitchwise 120
xdotool key Return
# Escape ends the dialog once the message box is gone and the main window
# has the keyboard again, which memcheck slows down.
wait_until_gone '^pitchwise$' 120
wait_for_focus "Pitchwise v2.2" 120
xdotool key Escape
wait_for_exit "$app" 300 || fail "the program did not end"
code=0
wait "$app" || code=$?
app=""
grep -E "ERROR SUMMARY|definitely lost|All heap blocks" "$work/memcheck.log" || true
[ "$code" -eq 0 ] || fail "memcheck reported errors or the program failed (exit $code)"
grep -q "ERROR SUMMARY: 0 errors" "$work/memcheck.log" || fail "memcheck errors"
echo "valgrind: Find QSB -> Create clean under memcheck"

#!/bin/sh
# The real executable on a virtual X display, driven from outside only by key
# presses, as an operator would: Enter runs Find QSB (it has the focus), Tab
# walks to the fields, typing replaces their defaults, Enter on Create runs
# the mapping and the message box that ends it is closed with Enter, then
# Escape ends the program.
#
# usage: keyboard_run.sh BUILD_DIR
# The machine is the bench (pitchwise-bench with its libTarvex.so); its
# verdict on the table it received decides the outcome.
set -eu
build=$(cd "$1" && pwd)
. "$(cd "$(dirname "$0")/../.." && pwd)/scripts/lib/bench_session.sh"

if [ -z "${DISPLAY_STARTED:-}" ]; then
  # A display of our own, whatever the caller has.
  DISPLAY_STARTED=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
fi

begin_session

fail() {
  echo "keyboard run: $*" >&2
  import -window root "$build/keyboard_run_failure.png" 2>/dev/null || true
  exit 1
}

start_bench "$build" "$work" --csv "$work/bench.csv" --runs 1 --timeout 120 --speed 50
"$build/app/qt/pitchwise" &
app=$!
timeout 60 xdotool search --sync --onlyvisible --name '^Pitchwise v2\.2$' >/dev/null || fail "no main window"
wait_for_focus "Pitchwise v2.2"

type_find_and_create 0.5 1.5 0.5

# The run ends in one message box, titled with the program's name.
timeout 120 xdotool search --sync --onlyvisible --name '^pitchwise$' >/dev/null || fail "no message box"
wait_for_focus pitchwise
xdotool key Return
wait_until_gone '^pitchwise$'
wait_for_focus "Pitchwise v2.2"
xdotool key Escape
wait_for_exit "$app" || fail "Escape did not end the program"
wait "$app" || fail "the program failed"
app=""

wait "$bench" || { cat "$work/bench.out"; fail "the bench does not agree with the table"; }
bench=""
cat "$work/bench.out"
echo "keyboard run: passed"

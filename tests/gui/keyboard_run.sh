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

if [ -z "${DISPLAY_STARTED:-}" ]; then
  # A display of our own, whatever the caller has.
  DISPLAY_STARTED=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
fi

work=$(mktemp -d)
sim=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "keyboard run: $*" >&2
  import -window root "$build/keyboard_run_failure.png" 2>/dev/null || true
  exit 1
}

"$build/tools/bench/pitchwise-bench" --env-file "$work/env" --csv "$work/bench.csv" \
  --runs 1 --timeout 120 --speed 50 >"$work/bench.out" 2>&1 &
sim=$!
for _ in $(seq 50); do [ -e "$work/env" ] && break; sleep 0.1; done
[ -e "$work/env" ] || fail "the bench did not come up"
. "$work/env"
export LD_LIBRARY_PATH="$build/tools/tarvex_sim/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
"$build/app/qt/pitchwise" &
app=$!
timeout 20 xdotool search --sync --onlyvisible --name '^Pitchwise v2\.2$' >/dev/null || fail "no main window"
sleep 0.5

# Keys typed while a command runs wait in the queue, as on Windows.
xdotool key Return                  # Find QSB
xdotool key Tab Tab Tab Tab         # Set Zero, Test Reading, axis list, start
xdotool type 0.5
xdotool key Tab && xdotool type 1.5 # end
xdotool key Tab && xdotool type 0.5 # increment
xdotool key Tab Return              # Create

# The run ends in one message box, titled with the program's name.
timeout 60 xdotool search --sync --onlyvisible --name '^pitchwise$' >/dev/null || fail "no message box"
sleep 0.3
xdotool key Return
sleep 0.3
xdotool key Escape
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "Escape did not end the program"
wait "$app" || fail "the program failed"
app=""

wait "$sim" || { cat "$work/bench.out"; fail "the bench does not agree with the table"; }
sim=""
cat "$work/bench.out"
echo "keyboard run: passed"

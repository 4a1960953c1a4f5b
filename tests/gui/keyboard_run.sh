#!/bin/sh
# The real executable on a virtual X display, driven from outside only by key
# presses, as an operator would: Enter runs Find QSB (it has the focus), Tab
# walks to the fields, typing replaces their defaults, Enter on Create runs
# the mapping and the message box that ends it is closed with Enter, then
# Escape ends the program.
#
# usage: keyboard_run.sh BUILD_DIR [CONTROLLER_LIBRARY_DIR EXPECTED_LINE]
# With a controller library directory, its libTarvex.so is used and its log
# (TARVEX_SIM_LOG) must hold EXPECTED_LINE afterwards.
set -eu
build=$(cd "$1" && pwd)
controller=${2:-}
expected=${3:-}

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

"$build/tools/qsb_sim/pitchwise-qsb-sim" --port-dir "$work/ports" --counts 0 &
sim=$!
for _ in $(seq 50); do [ -e "$work/ports/COM1" ] && break; sleep 0.1; done
[ -e "$work/ports/COM1" ] || fail "the simulated QSB did not come up"

export PITCHWISE_PORT_DIR="$work/ports"
export TARVEX_SIM_LOG="$work/controller.log"
if [ -n "$controller" ]; then
  export LD_LIBRARY_PATH="$controller${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
fi
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

if [ -n "$expected" ]; then
  grep -qxF "$expected" "$work/controller.log" || fail "the controller never got \"$expected\""
fi
echo "keyboard run: passed"

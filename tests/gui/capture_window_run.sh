#!/bin/sh
# "Pitchwise Capture" on a virtual X display, driven only by key presses as
# an operator would: the plan typed into its fields, "Save program…", then
# "Capture" while the simulated machine runs the saved program with the
# simulated QSB on its axis. What the window says is read back from the
# clipboard (Ctrl+C in its message box, Ctrl+A Ctrl+C in the figures).
#
# usage: capture_window_run.sh BUILD_DIR full|stop|unplug [SCREENSHOT]
#   full    the whole capture; the figures shown equal pitchwise-report's
#   stop    Stop after the first run: it says so and keeps that run
#   unplug  the QSB unplugged during the second run: it says so, keeps the first
set -eu
build=$(cd "$1" && pwd)
scenario=$2
shot=${3:-}
. "$(cd "$(dirname "$0")/../.." && pwd)/scripts/lib/bench_session.sh"

if [ -z "${DISPLAY_STARTED:-}" ]; then
  DISPLAY_STARTED=1 exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" "$0" "$@"
fi

begin_session
fail() {
  echo "capture window ($scenario): $*" >&2
  import -window root "$build/capture_window_${scenario}_failure.png" 2>/dev/null || true
  [ -f "$work/runner.out" ] && sed 's/^/runner: /' "$work/runner.out" >&2
  exit 1
}
# The runner is the "bench" of this session: end_session ends it.
export PITCHWISE_PORT_DIR="$work/ports"
mkdir -p "$PITCHWISE_PORT_DIR"

# usage: wait_for_line FILE PATTERN SECONDS
wait_for_line() {
  timeout "$3" sh -c 'until grep -q "$2" "$1" 2>/dev/null; do sleep 0.1; done' sh "$1" "$2" ||
    fail "no \"$2\" in $(basename "$1") within $3 s"
}

"$build/capture_window/qt/pitchwise-capture-window" &
app=$!
timeout 60 xdotool search --sync --onlyvisible --name '^Pitchwise Capture$' >/dev/null ||
  fail "no main window"
wait_for_focus "Pitchwise Capture"

# The plan: 0 to 40, 5 targets, 2 runs each way, 4 s dwell, F1200, LinuxCNC.
# A label's Alt key gives its field the keyboard with its text selected.
xdotool key alt+f && xdotool type 0
xdotool key alt+l && xdotool type 40
xdotool key alt+t && xdotool type 5
xdotool key alt+p BackSpace
xdotool key alt+r && xdotool type 2
xdotool key alt+d && xdotool type 4
xdotool key alt+e && xdotool type 1200
xdotool key alt+s
timeout 60 xdotool search --sync --onlyvisible --name '^Save program$' >/dev/null ||
  fail "no Save program dialog"
wait_for_focus "Save program"
xdotool type "$work/x.ngc"
xdotool key Return
timeout 60 sh -c 'until [ -s "$1" ]; do sleep 0.1; done' sh "$work/x.plan" ||
  fail "the program and its plan were not saved"
wait_for_focus "Pitchwise Capture"

case $scenario in
  unplug) fault="--unplug-at-stop 16" ;;  # the second run's second target
  *) fault="" ;;
esac
# shellcheck disable=SC2086
"$build/tools/program_runner/pitchwise-program-runner" --port-dir "$PITCHWISE_PORT_DIR" \
  --program "$work/x.ngc" --dialect linuxcnc $fault >"$work/runner.out" 2>&1 &
bench=$!
wait_for_line "$work/runner.out" "^QSB on" 60

xdotool key alt+c
# The program starts at the capture's first reading: the QSB was found.
wait_for_line "$work/runner.out" "^program started" 60

if [ "$scenario" = stop ]; then
  # Dwell 14: the first run is logged, the second has begun.
  wait_for_line "$work/runner.out" "^dwell 14 " 300
  xdotool key alt+t
fi
timeout 400 xdotool search --sync --onlyvisible --name '^Capture ended$' >/dev/null ||
  fail "the capture did not end"
wait_for_focus "Capture ended"
said=$(read_message)
echo "$said"
case $scenario in
  full) expected="2 runs each way captured." ;;
  stop) expected="Stopped." ;;
  unplug) expected="The QSB gave no reading 5 times in a row: it was unplugged or stopped answering." ;;
esac
echo "$said" | grep -qF "$expected" || fail "the message does not say \"$expected\""
case $scenario in
  full) kept="2 completed runs kept in $work/x-runs.csv." ;;
  *) kept="1 completed run kept in $work/x-runs.csv." ;;
esac
echo "$said" | grep -qF "$kept" || fail "the message does not say \"$kept\""
xdotool key Return
wait_until_gone '^Capture ended$'
wait_for_focus "Pitchwise Capture"

# The figures shown, against pitchwise-report's on the same run log.
read_selection >"$work/shown.txt"
"$build/report/pitchwise-report" "$work/x-runs.csv" -o "$work/report" >/dev/null ||
  fail "pitchwise-report failed"
grep -v '^picture: ' "$work/report/report.txt" >"$work/printed.txt"
# The clipboard may hold the text without its last line end.
sed -i -e '$a\' "$work/shown.txt"
diff "$work/printed.txt" "$work/shown.txt" || fail "the figures shown differ from the report's"
runs=$(grep -c 'measured\|^run ' "$work/printed.txt" || true)
echo "figures as pitchwise-report prints them ($runs lines naming runs)"
[ -z "$shot" ] || import -window root "$shot"
# The demo keeps what the capture made.
if [ -n "${CAPTURE_KEEP:-}" ]; then
  cp "$work/x.ngc" "$work/x.plan" "$work/x-runs.csv" "$work/report/"* "$CAPTURE_KEEP/"
  cat "$work/printed.txt"
fi

xdotool key ctrl+q 2>/dev/null || true
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
app=""
echo "capture window ($scenario): passed"

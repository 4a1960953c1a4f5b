#!/bin/sh
# The main job end to end: installs what is missing, builds, starts the
# simulated machine (an axis with a pitch error, its QSB on a pty, its
# controller) and maps the axis with Pitchwise.
#
# The axis has lost motion on reversal and a little reading noise, and is
# mapped both ways: from START to END, then back, once (or N times with
# --cycles N). Every run goes into the bench's run log, and the report
# program turns it into the figures and a picture of the axis.
#
# A scripted operator drives the real dialog by key presses: Find QSB, then
# Create with the values given, then Create back the other way, and the
# demo prints each run's closing message. With a display you can reach you
# watch it there; without one (a plain terminal, CI, root over ssh) it runs
# on a virtual display. With --interactive the window is yours: the demo
# prints, run by run, what to type and press, and waits until you close it.
#
# usage: scripts/demo.sh [--interactive] [--cycles N] [START END INCREMENT]
#        (default 1; 0 10 0.5)
# Environment: DEMO_OUT, the output directory (default out/demo);
#              DEMO_PRESET, the build preset (default).
# Leaves in the output directory: bench.txt (the bench's report and the
# figures a perfect measurement would give), bench.csv, truth.txt, runs.csv
# (the run log), report.txt (the figures), axis-x.png and axis-x.svg (the
# picture), dialog.png (the dialog after the runs) and, on the virtual
# display, screen.png (the whole screen with the first run's closing message).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. "$root/scripts/lib/bench_session.sh"

# Carried through the re-run under the virtual display, which gets the
# positions only.
cycles=${DEMO_CYCLES:-1}
interactive=""
usage="usage: $0 [--interactive] [--cycles N] [START END INCREMENT]"
case ${1:-} in
  -h | --help)
    # The opening comment is the help.
    sed -n '2,/^set -eu$/{ /^set -eu$/d; s/^# \{0,1\}//; p; }' "$0"
    exit 0
    ;;
esac
if [ "${1:-}" = "--interactive" ]; then
  interactive=1
  shift
fi
if [ "${1:-}" = "--cycles" ]; then
  cycles=${2:-}
  shift 2 || true
fi
case $cycles in
  ''|*[!0-9]*|0) echo "$usage" >&2; exit 2 ;;
esac
if [ $# -ne 0 ] && [ $# -ne 3 ]; then
  echo "$usage" >&2
  exit 2
fi
start=${1:-0}
end=${2:-10}
increment=${3:-0.5}
preset=${DEMO_PRESET:-default}
out=${DEMO_OUT:-$root/out/demo}
window='^Pitchwise v2\.2$'
message_box='^pitchwise$'

if [ -z "${DEMO_ON_XVFB:-}" ]; then
  "$root/scripts/install-deps.sh" demo
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 --target pitchwise pitchwise-bench tarvex_sim \
    pitchwise-report pitchwise-export
  # A display that is set but cannot be reached is no display.
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    [ -z "$interactive" ] || { echo "demo: --interactive needs a display you can reach" >&2; exit 2; }
    DEMO_CYCLES=$cycles DEMO_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
  fi
fi

build=$root/build/$preset
mkdir -p "$out"
rm -f "$out/bench.txt" "$out/bench.csv" "$out/truth.txt" "$out/runs.csv" "$out/report.txt" \
  "$out/axis-x.png" "$out/axis-x.svg" "$out/dialog.png" "$out/screen.png"
begin_session
fail() {
  echo "demo: $*" >&2
  [ -n "${DEMO_ON_XVFB:-}" ] && import -window root "$out/screen.png" 2>/dev/null || true
  [ -s "$work/bench.out" ] && cat "$work/bench.out" >&2
  exit 1
}

# Lost motion of 0.002 (about 20 counts) and noise of 0.00002 (0.2 counts).
start_bench "$build" "$work" --csv "$out/bench.csv" --runs $((2 * cycles)) --speed 50 \
  --backlash 0.002 --noise 0.00002 --run-log "$out/runs.csv" --truth "$out/truth.txt"
echo "demo: the bench's QSB is COM1 in $PITCHWISE_PORT_DIR, its controller at $TARVEX_SIM_ADDRESS"
"$build/app/qt/pitchwise" 2>"$work/app.err" &
app=$!
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name "$window" | head -1) ||
  fail "the Pitchwise window did not appear"

# The dialog as a run left it, once its closing message has been closed.
capture_dialog() {
  sleep 0.3
  import -window "$dialog" "$out/dialog.png" 2>/dev/null || true
}

# The closing message's text, copied from the box as Qt copies it on
# Ctrl+C (a line of dashes, the title, dashes, the text, dashes).
# Until Qt takes the clipboard, a marker of ours holds it (its xclip ends
# then), so an older text is never taken for the message.
read_message() {
  printf 'no text copied' | xclip -quiet -selection clipboard >/dev/null 2>&1 &
  holder=$!
  timeout 10 sh -c 'until xclip -selection clipboard -o 2>/dev/null | grep -q .; do sleep 0.05; done' || true
  xdotool key ctrl+c
  wait_for_exit "$holder" 10 || kill "$holder" 2>/dev/null || true
  xclip -selection clipboard -o 2>/dev/null | awk '/^-+$/ { n++; next } n == 2 && NF { print }'
}
messages=""

if [ -z "$interactive" ]; then
  if [ -n "${DEMO_ON_XVFB:-}" ]; then
    echo "demo: no display, so a scripted operator drives the dialog on a virtual one:"
  else
    echo "demo: a scripted operator drives the dialog on $DISPLAY (watch it; keep your keys off):"
  fi
  echo "demo: Find QSB, then Create from $start to $end by $increment and back, $cycles time(s)"
  wait_for_focus "Pitchwise v2.2"
  run=1
  while [ "$run" -le $((2 * cycles)) ]; do
    if [ "$run" -eq 1 ]; then
      type_find_and_create "$start" "$end" "$increment"
    elif [ $((run % 2)) -eq 0 ]; then
      type_create_again "$end" "$start" "$increment"
    else
      type_create_again "$start" "$end" "$increment"
    fi
    timeout 300 xdotool search --sync --onlyvisible --name "$message_box" >/dev/null ||
      fail "run $run never ended in a message"
    wait_for_focus pitchwise
    [ "$run" -eq 1 ] && import -window root "$out/screen.png"
    message=$(read_message)
    echo "demo: run $run ended: \"$message\""
    messages="$messages run $run: \"$message\""
    xdotool key Return                  # close the message
    # The message is gone and the dialog has the keyboard again before the
    # next keys are typed.
    wait_until_gone "$message_box"
    wait_for_focus "Pitchwise v2.2"
    run=$((run + 1))
  done
  capture_dialog
  xdotool key Escape                    # end the program
else
  echo "demo: the Pitchwise window on $DISPLAY is yours. Step by step:"
  echo "demo:   1. press Find QSB: the box beside it shows the bench's QSB (COM:1 ...)"
  run=1
  step=2
  while [ "$run" -le $((2 * cycles)) ]; do
    from=$start to=$end
    [ $((run % 2)) -eq 0 ] && from=$end to=$start
    echo "demo:   $step. run $run: Start Position $from, End Position $to, Map Increment" \
      "$increment; press Create and wait for the message; press OK"
    run=$((run + 1))
    step=$((step + 1))
  done
  echo "demo:   $step. press Done (or close the window): the bench's report and the figures follow"
  # After each message a command ends with, the dialog is taken again.
  shown=""
  while kill -0 "$app" 2>/dev/null; do
    if xdotool search --onlyvisible --name "$message_box" >/dev/null 2>&1; then
      shown=1
    elif [ -n "$shown" ]; then
      capture_dialog
      shown=""
    fi
    sleep 1
  done
fi
wait "$app" || fail "Pitchwise failed: $(cat "$work/app.err")"
app=""
# A person may close the window without a run; the bench then reports that.
kill -0 "$bench" 2>/dev/null && { sleep 1; kill "$bench" 2>/dev/null || true; }
status=0
wait "$bench" || status=$?
bench=""
cp "$work/bench.out" "$out/bench.txt"
cat "$out/bench.txt"
# The bench judges only runs that reached it; the dialog says why one did not.
if [ -n "$messages" ] && ! [ -s "$out/runs.csv" ]; then
  echo "demo: no run reached the bench; the dialog said:$messages"
fi
"$build/report/pitchwise-report" "$out/runs.csv" -o "$out" || echo "demo: no report"

# The same measurement as other controllers' tables (the bench's unit taken
# as mm): axis-x-linuxcnc.dat, axis-x-siemens.ini, axis-x-isg.lis, axis-x.csv.
for table in linuxcnc:axis-x-linuxcnc.dat siemens-lec:axis-x-siemens.ini isg:axis-x-isg.lis \
    csv:axis-x.csv; do
  rm -f "$out/${table#*:}"
  "$build/export/pitchwise-export" "$out/runs.csv" --axis X --to "${table%%:*}" --unit mm \
    -o "$out/${table#*:}" || echo "demo: no ${table%%:*} table"
done
echo "demo: outputs in $out:"
ls -1 "$out" | sed 's/^/  /'
exit $status

#!/bin/sh
# The main job end to end: installs what is missing, builds, starts the
# simulated machine (an axis with a pitch error, its QSB on a pty, its
# controller) and maps the axis with Pitchwise.
#
# With a display you can reach, the window opens for you and the demo waits
# until you close it. Without one (a plain terminal, CI, root over ssh), it
# starts a virtual display and a scripted operator drives the real dialog by
# key presses: Find QSB, then Create with the values given.
#
# usage: scripts/demo.sh [START END INCREMENT]    (default 0 10 0.5)
# Environment: DEMO_OUT, the output directory (default out/demo);
#              DEMO_PRESET, the build preset (default).
# Leaves in the output directory: bench.txt (the bench's report), bench.csv,
# plot.svg (error, correction and residual along the axis), dialog.png (the
# dialog after the run) and, on the virtual display, screen.png (the whole
# screen with the run's closing message).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. "$root/scripts/lib/bench_session.sh"

if [ $# -ne 0 ] && [ $# -ne 3 ]; then
  echo "usage: $0 [START END INCREMENT]" >&2
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
  cmake --build --preset "$preset" -j2 --target pitchwise pitchwise-bench tarvex_sim
  # A display that is set but cannot be reached is no display.
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    DEMO_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
  fi
fi

build=$root/build/$preset
mkdir -p "$out"
rm -f "$out/bench.txt" "$out/bench.csv" "$out/plot.svg" "$out/dialog.png" "$out/screen.png"
begin_session
fail() {
  echo "demo: $*" >&2
  [ -n "${DEMO_ON_XVFB:-}" ] && import -window root "$out/screen.png" 2>/dev/null || true
  [ -s "$work/bench.out" ] && cat "$work/bench.out" >&2
  exit 1
}

start_bench "$build" "$work" --csv "$out/bench.csv" --runs 1 --speed 50
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

if [ -n "${DEMO_ON_XVFB:-}" ]; then
  echo "demo: no display, so a scripted operator drives the dialog on a virtual one:"
  echo "demo: Find QSB, then Create from $start to $end by $increment"
  wait_for_focus "Pitchwise v2.2"
  type_find_and_create "$start" "$end" "$increment"
  timeout 300 xdotool search --sync --onlyvisible --name "$message_box" >/dev/null ||
    fail "the run never ended in a message"
  sleep 0.5
  import -window root "$out/screen.png"
  xdotool key Return                    # close the message
  capture_dialog
  xdotool key Escape                    # end the program
else
  echo "demo: the Pitchwise window is open on $DISPLAY: press Find QSB, fill in the"
  echo "demo: positions (or keep them), press Create, then Done when it says \"Done.\""
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
python3 "$root/scripts/demo_plot.py" "$out/bench.csv" "$out/plot.svg" || echo "demo: nothing to plot"
echo "demo: outputs in $out:"
ls -1 "$out" | sed 's/^/  /'
exit $status

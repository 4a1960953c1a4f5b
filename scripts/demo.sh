#!/bin/sh
# The main job end to end: installs what is missing, builds, starts the
# simulated machine (an axis with a pitch error, its QSB on a pty, its
# controller) and maps the axis with Pitchwise. With a display the window
# opens for you; without one a scripted operator drives the real dialog by
# key presses on a virtual display.
#
# usage: scripts/demo.sh [START END INCREMENT]   (default 0 1 1: the dialog's defaults)
# Leaves demo-out/: bench.csv, plot.svg, dialog.png.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target pitchwise pitchwise-bench tarvex_sim
build=$root/build/default
out=$root/demo-out
mkdir -p "$out"

if [ -z "${DISPLAY:-}" ] && [ -z "${DEMO_ON_XVFB:-}" ]; then
  DEMO_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
fi

work=$(mktemp -d)
bench=""
cleanup() { [ -n "$bench" ] && kill "$bench" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

"$build/tools/bench/pitchwise-bench" --env-file "$work/env" --csv "$out/bench.csv" \
  --runs 1 --speed 50 >"$work/bench.out" 2>&1 &
bench=$!
for _ in $(seq 50); do [ -e "$work/env" ] && break; sleep 0.1; done
. "$work/env"
export LD_LIBRARY_PATH="$build/tools/tarvex_sim/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
"$build/app/qt/pitchwise" &
app=$!
xdotool search --sync --onlyvisible --name '^Pitchwise v2\.2$' >/dev/null

if [ -n "${DEMO_ON_XVFB:-}" ]; then
  echo "demo: no display; a scripted operator drives the dialog on a virtual one"
  sleep 0.5
  xdotool key Return                        # Find QSB
  if [ $# -ge 3 ]; then
    xdotool key Tab Tab Tab Tab && xdotool type "$1"
    xdotool key Tab && xdotool type "$2"
    xdotool key Tab && xdotool type "$3"
    xdotool key Tab
  else
    xdotool key Tab Tab Tab Tab Tab Tab Tab
  fi
  xdotool key Return                        # Create
  xdotool search --sync --onlyvisible --name '^pitchwise$' >/dev/null
  sleep 0.5
  import -window root "$work/screen.png"
  xdotool key Return
  sleep 0.3
  import -window "$(xdotool search --onlyvisible --name '^Pitchwise v2\.2$' | head -1)" "$out/dialog.png"
  xdotool key Escape
else
  echo "demo: press Find QSB, then Create (the defaults map 0 to 1 by 1), then Done"
fi
wait "$app" || true
status=0
wait "$bench" || status=$?
bench=""
cat "$work/bench.out"
python3 "$root/scripts/demo_plot.py" "$out/bench.csv" "$out/plot.svg"
[ -e "$out/dialog.png" ] || import -window root "$out/dialog.png" 2>/dev/null || true
echo "demo: wrote $out/bench.csv, $out/plot.svg and $out/dialog.png"
exit $status

#!/bin/sh
# pitchwise-capture end to end on a real controller: LinuxCNC's simulator
# runs the generated test cycle (started from outside through linuxcncrsh:
# set mode auto, set open, set run) with a work offset in force (G54 at
# X7.3: the program moves in machine coordinates, so it must not shift the
# targets; 7.3 is no multiple of the screw's 40 period, so a shifted cycle
# would measure other errors) while pitchwise-capture reads a simulated
# QSB that follows the simulator's carriage (0.01 of lost motion on X) plus
# an injected pitch error. The same machine is mapped through libTarvex.so
# too. E, M and B of the captured runs, as pitchwise-report gives them, must
# lie within 2 QSB counts of those of the mapped runs and of the injected
# truth. Dwell 4 s: the plan's least (3 s) leaves a loaded machine no
# reading to spare. The report, the logs and the program are kept in
# build/ci/capture-report.
# A LinuxCNC already running on this PC, or anything on our port, stops
# the stage before it builds or starts anything (scripts/lib/linuxcnc_sim.sh).
set -eu
root=$(pwd)
. "$root/scripts/lib/linuxcnc_sim.sh"
lcnc_sim_init || { echo "85-capture: nothing started" >&2; exit 1; }
lcnc_sim_require 85-capture

cmake --preset ci >/dev/null
cmake --build --preset ci -j2 --target pitchwise-capture pitchwise-report capture_hal_qsb \
  tarvex_linuxcnc linuxcnc_e2e
build=$root/build/ci
kept=$build/capture-report
rm -rf "$kept"

# The screw both QSBs read, the same as linuxcnc_e2e's: 0.015 sin(2 pi x / 40)
# + 0.0002 x; the carriage's lost motion from carriage.hal.
screw="0.015 40 0.0002"
lost_motion=0.01
targets="0 10 20 30 40"

work=$(mktemp -d /tmp/pitchwise-capture.XXXXXX)
mkdir "$work/fifo" "$work/ports"
# LinuxCNC refuses to run as root; its real-time part then runs as nobody.
chmod 777 "$work" "$work/fifo"
sim=$root/tests/controllers/linuxcnc/sim
cp "$sim/pitchwise_sim.ini" "$sim/carriage.hal" "$work/"
: > "$work/sim.tbl"

qsb_pid=""
capture_pid=""
cleanup() {
  [ -z "$capture_pid" ] || kill "$capture_pid" 2>/dev/null || true
  [ -z "$qsb_pid" ] || { kill "$qsb_pid" 2>/dev/null; wait "$qsb_pid" 2>/dev/null || true; }
  lcnc_sim_stop
}
trap cleanup EXIT

# --- the machine mapped through libTarvex.so, one run each way
map_with_library() {
  lcnc_sim_tarvex_conf > "$work/tarvex.conf"
  cat >> "$work/tarvex.conf" <<CONF
ini = $LINUXCNC_RSH_INI
comp_file_x = $work/comp_x.dat
feed = 1200
dwell = 0.2
log = $work/tarvex.log
CONF
  lcnc_sim_rsh mdi "G53 G0 X60" &&
    TARVEX_LINUXCNC_CONFIG="$work/tarvex.conf" LD_LIBRARY_PATH="$build/controllers/linuxcnc/link" \
      "$build/tests/controllers/linuxcnc/link/linuxcnc_e2e" map X 0 40 10 "$work/comp_x.dat" "$lost_motion" \
      carriage_pos.out
}

# usage: wait_for FILE TEXT SECONDS
wait_for() {
  timeout "$3" sh -c 'until grep -q "$2" "$1" 2>/dev/null; do sleep 0.2; done' sh "$1" "$2"
}

# --- the generated program run by LinuxCNC, captured from outside
capture_cycle() {
  capture=$build/capture/pitchwise-capture
  "$capture" plan --axis X --from 0 --to 40 --spacing 10 --runs 3 --dwell 4 --feed 1200 \
    --dialect linuxcnc -o "$work/x-cycle.ngc" || return 1
  echo "--- the program's first lines"; head -12 "$work/x-cycle.ngc"
  # Parked well away from the start, so no standstill before it looks like one.
  lcnc_sim_rsh mdi "G53 G0 X25" || return 1
  lcnc_sim_rsh mdi "G10 L2 P1 X7.3" && lcnc_sim_rsh mdi "G54" || return 1
  # shellcheck disable=SC2086
  "$build/tests/capture/capture_hal_qsb" serve "$work/ports" carriage_pos.out $screw &
  qsb_pid=$!
  timeout 30 sh -c 'until [ -e "$1/COM1" ]; do sleep 0.1; done' sh "$work/ports" || return 1
  PITCHWISE_PORT_DIR=$work/ports "$capture" run "$work/x-cycle.plan" \
    --log "$work/captured-runs.csv" > "$work/capture.out" 2>&1 &
  capture_pid=$!
  # FindQsb takes a few seconds of pauses; a minute is a limit only a fault reaches.
  wait_for "$work/capture.out" '^COM:1 ' 60 || { cat "$work/capture.out"; return 1; }
  lcnc_sim_rsh run "$work/x-cycle.ngc" 900 || return 1
  # The capture ends at the last target, before the program's last turn.
  capture_status=0
  wait "$capture_pid" || capture_status=$?
  capture_pid=""
  echo "--- pitchwise-capture"; cat "$work/capture.out"
  return $capture_status
}

# usage: figures REPORT -> "E M B" in counts, of the runs made without a table
figures() {
  sed '/with the table in force/,$d' "$1" |
    awk '$1 == "E" || $1 == "M" || $1 == "B" { v[$1] = $(NF-1) } END { print v["E"], v["M"], v["B"] }'
}

compare() {
  "$build/report/pitchwise-report" "$work/captured-runs.csv" -o "$work/captured" >/dev/null &&
    "$build/report/pitchwise-report" "$work/comp_x-runs.csv" -o "$work/mapped" >/dev/null || return 1
  grep -q '^axis X: 3 runs moving up, 3 moving down' "$work/captured/report.txt" || return 1
  # shellcheck disable=SC2086
  truth=$("$build/tests/capture/capture_hal_qsb" truth "$lost_motion" $screw $targets | cut -d' ' -f2,4,6)
  captured=$(figures "$work/captured/report.txt")
  mapped=$(figures "$work/mapped/report.txt")
  echo "--- E, M and B in QSB counts"
  # shellcheck disable=SC2086
  printf '%-9s %8s %8s %8s\n' "" E M B captured $captured mapped $mapped truth $truth
  echo "$captured $mapped $truth" | awk '{
      for (i = 1; i <= 3; i++) {
        d = $i - $(i + 3); if (d < 0) d = -d; if (d > 2) bad++
        d = $i - $(i + 6); if (d < 0) d = -d; if (d > 2) bad++
      }
      exit bad > 0 }'
}

status=0
if lcnc_sim_start "$work" "$work/pitchwise_sim.ini" && lcnc_sim_rsh ready && map_with_library &&
  capture_cycle; then
  compare || status=1
else
  status=1
fi
lcnc_sim_stop
mkdir -p "$kept"
cp "$work"/*.csv "$work/x-cycle.ngc" "$work/x-cycle.plan" "$work/capture.out" "$kept/" 2>/dev/null || true
cp -r "$work/captured" "$work/mapped" "$kept/" 2>/dev/null || true
[ $status -eq 0 ] || { tail -40 "$work/linuxcnc.log"; cat "$work/tarvex.log" 2>/dev/null || true; }
[ $status -eq 0 ] && rm -rf "$work"
exit $status

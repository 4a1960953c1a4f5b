#!/bin/sh
# libTarvex.so for LinuxCNC, end to end: LinuxCNC's simulator, the simulated
# QSB fed with the simulated carriage (0.01 of backlash on X) plus a pitch
# error, and Pitchwise's real RunMapping in both directions. First what must
# be refused before any move: a joint with LinuxCNC's BACKLASH set, and a
# G20 left active on a millimetre machine. Then one measurement with no
# compensation in force, two runs each way in one LinuxCNC start, the first
# run's start approached with the axis parked above it: the table is the
# mean of the runs, and every run is in the run log beside it. LinuxCNC
# restarts with the table and the same error is measured again from below:
# what remains must be a few QSB counts at most, in the table and in the
# report pitchwise-report draws from the run log (kept in
# build/ci/linuxcnc-report). Last a gantry, whose Y is mapped through
# joints 1 and 2 at once. The tables are put in force with
# tarvex-linuxcnc-apply, as an owner would: the mapped table, then the
# refined candidate the verification runs left beside it.
# A LinuxCNC already running on this PC, or anything on our port, stops
# the stage before it builds or starts anything (scripts/lib/linuxcnc_sim.sh).
set -eu
root=$(pwd)
. "$root/scripts/lib/linuxcnc_sim.sh"
lcnc_sim_init || { echo "80-linuxcnc: nothing started" >&2; exit 1; }
lcnc_sim_require 80-linuxcnc

cmake --preset ci >/dev/null
cmake --build --preset ci -j2 --target tarvex_linuxcnc linuxcnc_e2e pitchwise-report \
  tarvex-linuxcnc-apply
build=$root/build/ci
kept=$build/linuxcnc-report
rm -rf "$kept"

work=$(mktemp -d /tmp/pitchwise-linuxcnc.XXXXXX)
chmod 755 "$work"
mkdir "$work/fifo"
# LinuxCNC refuses to run as root; its real-time part then runs as nobody.
chmod 777 "$work" "$work/fifo"
sim=$root/tests/controllers/linuxcnc/sim
cp "$sim/pitchwise_sim.ini" "$work/map.ini"
cp "$sim/carriage.hal" "$sim/gantry_sim.hal" "$work/"
cp "$work/map.ini" "$work/verify.ini"
cp "$sim/gantry_sim.ini" "$work/gantry_map.ini"
cp "$sim/gantry_sim.ini" "$work/gantry_verify.ini"
: > "$work/sim.tbl"

stop_linuxcnc() {
  lcnc_sim_stop
}
trap stop_linuxcnc EXIT

start_linuxcnc() {
  lcnc_sim_start "$work" "$work/$1" && rsh ready
}

rsh() {
  lcnc_sim_rsh "$@"
}

write_config() {
  lcnc_sim_tarvex_conf > "$work/tarvex.conf"
  cat >> "$work/tarvex.conf" <<CONF
ini = $work/$1
comp_file_x = $work/comp_x.dat
comp_file_y = $work/comp_y.dat
feed = 1200
dwell = 0.2
log = $work/tarvex.log
CONF
}

# MODE AXIS START END INCREMENT TABLE BACKLASH QSB_PIN
run_e2e() {
  TARVEX_LINUXCNC_CONFIG="$work/tarvex.conf" LD_LIBRARY_PATH="$build/controllers/linuxcnc/link" \
    "$build/tests/controllers/linuxcnc/link/linuxcnc_e2e" "$@"
}

status=0
x_run() {
  run_e2e "$1" X 0 40 5 "$work/comp_x.dat" 0.01 carriage_pos.out ${2:-both}
}
y_run() {
  run_e2e "$1" Y 0 20 5 "$work/comp_y.dat" 0 joint.1.motor-pos-fb ${2:-both}
}

# Runs a command in a fresh LinuxCNC started with INI, unless a step failed.
in_linuxcnc() {
  [ $status -eq 0 ] || return 0
  ini=$1; shift
  write_config "$ini"
  if start_linuxcnc "$ini"; then "$@" || status=1; else status=1; fi
  stop_linuxcnc
}

refuse_then_map_x() {
  echo "--- refused: [JOINT_1]BACKLASH"
  y_run refuse || return 1
  grep -q 'BACKLASH = 0.02 is in force' "$work/tarvex.log" || return 1
  echo "--- refused: G20 left active"
  rsh mdi G20 || return 1
  x_run refuse || return 1
  grep -q 'run G21' "$work/tarvex.log" || return 1
  rsh mdi G21 || return 1
  rsh mdi "G53 G0 X60" || return 1
  # Two runs each way: the second pair refines nothing by a restart.
  x_run map && x_run map
}

# ---- The owner's path with a table: map (above), apply, restart, verify.
# The apply tool puts the table in force in the INI as the owner would run
# it; the verification runs, three each way in one start, leave the table
# in force byte for byte and write the refined candidate beside it.

# usage: apply_table INI AXIS: the INI's diff is shown, the rest kept.
apply_table() {
  echo "--- tarvex-linuxcnc-apply --ini $1 --axis $2"
  write_config "$1"
  cp "$work/$1" "$work/$1.before"
  (cd "$work" && TARVEX_LINUXCNC_CONFIG="$work/tarvex.conf" \
    "$build/controllers/linuxcnc/apply/tarvex-linuxcnc-apply" --ini "$1" --axis "$2") || return 1
  # Only the table's own keys were added.
  diff "$work/$1.before" "$work/$1" | grep '^[<>]' | grep -v '^> COMP_FILE\(_TYPE\)\? = ' && return 1
  return 0
}

verify_x_three_each_way() {
  cp "$work/comp_x.dat" "$work/comp_x.in-force"
  # Parked below the start: the first approach comes from the other side.
  rsh mdi "G53 G0 X-5" || return 1
  for _ in 1 2 3; do
    x_run verify positive && x_run verify negative || return 1
  done
  cmp "$work/comp_x.dat" "$work/comp_x.in-force" || { echo "the table in force changed"; return 1; }
  echo "--- table in force, unchanged by six verification runs; refined candidate beside it"
  paste -d'|' "$work/comp_x.dat" "$work/comp_x-refined.dat"
}

# The report's before and after: two runs each way before, three each way
# after, every E figure after within 3 QSB counts, nothing called out.
check_report() {
  "$build/report/pitchwise-report" "$work/comp_x-runs.csv" -o "$work/report" || return 1
  mkdir -p "$kept" && cp "$work/report/"* "$work/comp_x-runs.csv" "$kept/"
  grep -q '^axis X: 2 runs moving up, 2 moving down' "$work/report/report.txt" || return 1
  grep -q 'with the table in force: 6 verification runs (3 up, 3 down' "$work/report/report.txt" ||
    return 1
  [ -s "$work/report/axis-x.png" ] || return 1
  ! grep -q 'warning: E' "$work/report/report.txt" || return 1
  sed -n '/with the table in force/,$p' "$work/report/report.txt" |
    awk '$1 ~ /^E[+-]?$/ { n++; c = $NF; if (c < 0) c = -c; if (c > 3) bad++ }
         END { print "report: " n " residual E figures, " bad + 0 " above 3 counts"; exit !(n > 0 && bad == 0) }'
}

# One table for both joints: the two sides of the gantry stand together.
verify_gantry() {
  y_run verify positive || return 1
  j1=$(halcmd getp joint.1.motor-pos-fb); j2=$(halcmd getp joint.2.motor-pos-fb)
  echo "gantry joints at $j1 and $j2"
  [ "$j1" = "$j2" ]
}

in_linuxcnc map.ini refuse_then_map_x
echo "--- table written"; cat "$work/comp_x.dat"
[ $status -eq 0 ] && { apply_table verify.ini X || status=1; }
in_linuxcnc verify.ini verify_x_three_each_way
[ $status -eq 0 ] && { check_report || status=1; }
# The owner's optional round: the refined candidate, newer than the table,
# is what the tool applies by default; the table it replaces is kept.
[ $status -eq 0 ] && { apply_table verify.ini X || status=1; }
[ $status -eq 0 ] && { cmp "$work/comp_x.dat" "$work/comp_x-refined.dat" || status=1; }
in_linuxcnc verify.ini x_run verify positive
echo "--- gantry"
in_linuxcnc gantry_map.ini y_run map
echo "--- gantry table written"; cat "$work/comp_y.dat" || true
[ $status -eq 0 ] && { apply_table gantry_verify.ini Y || status=1; }
in_linuxcnc gantry_verify.ini verify_gantry
echo "--- library log"; cat "$work/tarvex.log" || true
[ $status -eq 0 ] || tail -40 "$work/linuxcnc.log"
[ $status -eq 0 ] && rm -rf "$work"
exit $status

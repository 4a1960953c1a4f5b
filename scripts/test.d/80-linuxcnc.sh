#!/bin/sh
# libTarvex.so for LinuxCNC, end to end: LinuxCNC's simulator, the simulated
# QSB fed with the simulator's joint position plus a pitch error, and
# Pitchwise's real RunMapping in both directions. The table is written with
# no compensation in force, then LinuxCNC restarts with it and the same
# error is measured again: what remains must be a few QSB counts at most.
set -eu
root=$(pwd)
if ! command -v linuxcnc >/dev/null 2>&1; then
  # Only a machine whose package registry has no LinuxCNC may skip this.
  if ! apt-cache policy linuxcnc-uspace 2>/dev/null | grep -q 'Candidate: [0-9]'; then
    echo "80-linuxcnc: SKIPPED: linuxcnc-uspace cannot be installed here (no candidate in apt)"
    exit 0
  fi
  echo "80-linuxcnc: linuxcnc-uspace is installable but not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

cmake --preset ci >/dev/null
cmake --build --preset ci -j2 --target tarvex_linuxcnc linuxcnc_e2e
build=$root/build/ci

work=$(mktemp -d /tmp/pitchwise-linuxcnc.XXXXXX)
chmod 755 "$work"
mkdir "$work/fifo"
# LinuxCNC refuses to run as root; its real-time part then runs as nobody.
chmod 777 "$work" "$work/fifo"
cp "$root/tests/linuxcnc/sim/pitchwise_sim.ini" "$work/map.ini"
cp "$work/map.ini" "$work/verify.ini"
printf 'COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 0\n' >> "$work/verify.ini"
: > "$work/sim.tbl"

lcnc_pid=""
stop_linuxcnc() {
  [ -n "$lcnc_pid" ] || return 0
  python3 "$root/tests/linuxcnc/sim/rsh.py" shutdown 2>/dev/null || true
  for _ in $(seq 1 40); do
    kill -0 "$lcnc_pid" 2>/dev/null || break
    sleep 0.5
  done
  # Only the process group this script started; the next start needs it gone.
  kill -- "-$lcnc_pid" 2>/dev/null || true
  timeout 60 sh -c 'while kill -0 -- "-$1" 2>/dev/null; do sleep 0.1; done' sh "$lcnc_pid" ||
    echo "LinuxCNC's processes outlived a minute" >&2
  lcnc_pid=""
}
trap stop_linuxcnc EXIT

start_linuxcnc() {
  ini=$1
  if [ "$(id -u)" -eq 0 ]; then
    (cd "$work" && RTAPI_UID=65534 RTAPI_FIFO_PATH="$work/fifo/fifo" exec setsid linuxcnc "$ini" \
       >>"$work/linuxcnc.log" 2>&1) &
  else
    (cd "$work" && RTAPI_FIFO_PATH="$work/fifo/fifo" exec setsid linuxcnc "$ini" >>"$work/linuxcnc.log" 2>&1) &
  fi
  lcnc_pid=$!
  python3 "$root/tests/linuxcnc/sim/rsh.py" wait
  python3 "$root/tests/linuxcnc/sim/rsh.py" ready
}

write_config() {
  cat > "$work/tarvex.conf" <<CONF
ini = $work/$1
joint_x = 0
comp_file_x = $work/comp_x.dat
feed = 1200
dwell = 0.2
log = $work/tarvex.log
CONF
}

run_e2e() {
  TARVEX_LINUXCNC_CONFIG="$work/tarvex.conf" LD_LIBRARY_PATH="$build/controllers/linuxcnc" \
    "$build/tests/linuxcnc/linuxcnc_e2e" "$1" 0 80 5 "$work/comp_x.dat"
}

status=0
write_config map.ini
start_linuxcnc map.ini
run_e2e map || status=1
stop_linuxcnc
echo "--- table written"; cat "$work/comp_x.dat"

if [ $status -eq 0 ]; then
  write_config verify.ini
  start_linuxcnc verify.ini
  run_e2e verify || status=1
  stop_linuxcnc
fi
echo "--- library log"; cat "$work/tarvex.log" || true
[ $status -eq 0 ] || tail -40 "$work/linuxcnc.log"
[ $status -eq 0 ] && rm -rf "$work"
exit $status

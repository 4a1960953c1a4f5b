# Sourced by whatever starts LinuxCNC's simulator for a test or a trial.
# The PC it runs on may drive a machine tool: its LinuxCNC must never be
# stopped, switched on or homed by us. So nothing starts while LinuxCNC's
# lock file exists (its start script, run without a terminal or a display,
# would shut the running one down), our linuxcncrsh listens on a port of its
# own, never the usual 5007, with passwords made for this run, and
# tests/controllers/linuxcnc/sim/rsh.py checks that the LinuxCNC it reached runs our INI
# before it says anything else.
#
# The caller sets root (the top of the clone) and calls lcnc_sim_init first.
# Environment:
#   PITCHWISE_LINUXCNC_PORT   the port for our linuxcncrsh (default: a free one)
#   PITCHWISE_LINUXCNC_LOCK   a further lock file to honour, beside LinuxCNC's

LCNC_SIM_LOCK=/tmp/linuxcnc.lock
# The port owners' linuxcncrsh listens on unless told otherwise.
LCNC_SIM_USUAL_PORT=5007

# usage: lcnc_sim_require STAGE
# Returns where LinuxCNC is installed; otherwise ends the stage: skipped only
# where the package registry has no LinuxCNC, failed where it was merely not
# installed (so a missing install step cannot pass as a skip).
lcnc_sim_require() {
  command -v linuxcnc >/dev/null 2>&1 && return 0
  if ! apt-cache policy linuxcnc-uspace 2>/dev/null | grep -q 'Candidate: [0-9]'; then
    echo "$1: SKIPPED: linuxcnc-uspace cannot be installed here (no candidate in apt)"
    exit 0
  fi
  echo "$1: linuxcnc-uspace is installable but not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
}

# usage: lcnc_sim_free_port
# Prints a port nothing listens on (the kernel's choice, never the usual one).
lcnc_sim_free_port() {
  python3 -c '
import socket, sys
for _ in range(20):
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    if port != int(sys.argv[1]):
        print(port)
        break' "$LCNC_SIM_USUAL_PORT"
}

# usage: lcnc_sim_listened PORT
# True when something accepts connections on PORT, on any local address.
lcnc_sim_listened() {
  python3 -c '
import socket, sys
for family, address in ((socket.AF_INET, "127.0.0.1"), (socket.AF_INET6, "::1")):
    try:
        socket.create_connection((address, int(sys.argv[1])), timeout=2).close()
        sys.exit(0)
    except OSError:
        pass
# A listener bound to another address only: binding every address fails.
# Connections of an earlier run waiting out TIME_WAIT must not count.
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
try:
    s.bind(("0.0.0.0", int(sys.argv[1])))
except OSError:
    sys.exit(0)
sys.exit(1)' "$1"
}

# usage: lcnc_sim_refusals
# Prints one line for every reason not to start LinuxCNC now; true if none.
lcnc_sim_refusals() {
  refused=0
  for lock in "$LCNC_SIM_LOCK" ${PITCHWISE_LINUXCNC_LOCK:+"$PITCHWISE_LINUXCNC_LOCK"}; do
    if [ -e "$lock" ]; then
      echo "refused: $lock exists: a LinuxCNC is running on this PC (stop it first; it is never touched)"
      refused=1
    fi
  done
  if [ "$LCNC_SIM_PORT" = "$LCNC_SIM_USUAL_PORT" ]; then
    echo "refused: port $LCNC_SIM_PORT is where a machine's own linuxcncrsh listens; choose another"
    refused=1
  elif lcnc_sim_listened "$LCNC_SIM_PORT"; then
    echo "refused: something already listens on port $LCNC_SIM_PORT, the port our linuxcncrsh would use"
    refused=1
  fi
  return $refused
}

# linuxcncrsh 2.9 answers every hello with NAK when a password is longer
# than it keeps (24 characters are, 12 are not).
lcnc_sim_password() {
  od -An -tx1 -N6 /dev/urandom | tr -d ' \n'
}

# usage: lcnc_sim_init
# Chooses the port and the passwords, exports them for rsh.py, and fails
# with the reasons when LinuxCNC must not be started.
lcnc_sim_init() {
  LCNC_SIM_PORT=${PITCHWISE_LINUXCNC_PORT:-$(lcnc_sim_free_port)}
  LINUXCNC_RSH_PORT=$LCNC_SIM_PORT
  LINUXCNC_RSH_CONNECTPW=$(lcnc_sim_password)
  LINUXCNC_RSH_ENABLEPW=$(lcnc_sim_password)
  export LINUXCNC_RSH_PORT LINUXCNC_RSH_CONNECTPW LINUXCNC_RSH_ENABLEPW
  lcnc_pid=""
  lcnc_sim_refusals >&2
}

# usage: lcnc_sim_rsh ARG...
lcnc_sim_rsh() {
  python3 "$root/tests/controllers/linuxcnc/sim/rsh.py" "$@"
}

# usage: lcnc_sim_tarvex_conf
# Prints the lines that take the controller library to our linuxcncrsh.
lcnc_sim_tarvex_conf() {
  printf 'host = 127.0.0.1\nport = %s\nconnect_password = %s\nenable_password = %s\n' \
    "$LINUXCNC_RSH_PORT" "$LINUXCNC_RSH_CONNECTPW" "$LINUXCNC_RSH_ENABLEPW"
}

# usage: lcnc_sim_start WORK INI
# Starts LinuxCNC with INI (a file in WORK, whose [DISPLAY] line is set to
# our linuxcncrsh), output appended to WORK/linuxcnc.log, and waits until
# its linuxcncrsh answers and runs INI. As root its real-time part runs as
# nobody, since LinuxCNC refuses to run as root (WORK must be open to it).
lcnc_sim_start() {
  lcnc_work=$1
  lcnc_ini=$2
  lcnc_sim_refusals >&2 || return 1
  grep -q '^DISPLAY *= *linuxcncrsh' "$lcnc_ini" || {
    echo "$lcnc_ini: its [DISPLAY] is not linuxcncrsh" >&2
    return 1
  }
  sed -i "s/^DISPLAY *= *linuxcncrsh.*/DISPLAY = linuxcncrsh --port $LINUXCNC_RSH_PORT --connectpw $LINUXCNC_RSH_CONNECTPW --enablepw $LINUXCNC_RSH_ENABLEPW/" "$lcnc_ini"
  LINUXCNC_RSH_INI=$(realpath "$lcnc_ini")
  export LINUXCNC_RSH_INI
  rm -f "$lcnc_work/linuxcnc.pid"
  # setsid makes it the leader of a process group of its own, ours to stop;
  # it names itself, since in an interactive shell setsid forks first.
  (cd "$lcnc_work" && { [ "$(id -u)" -ne 0 ] || export RTAPI_UID=65534; } &&
     RTAPI_FIFO_PATH="$lcnc_work/fifo/fifo" exec setsid sh -c 'echo $$ > linuxcnc.pid && exec linuxcnc "$1"' \
       sh "$lcnc_ini" >>"$lcnc_work/linuxcnc.log" 2>&1) &
  timeout 60 sh -c 'until [ -s "$1" ]; do sleep 0.05; done' sh "$lcnc_work/linuxcnc.pid" || {
    echo "LinuxCNC did not start (see $lcnc_work/linuxcnc.log)" >&2
    return 1
  }
  lcnc_pid=$(cat "$lcnc_work/linuxcnc.pid")
  lcnc_sim_rsh wait
}

# usage: lcnc_sim_stop
# Shuts down the LinuxCNC lcnc_sim_start started, and only it.
lcnc_sim_stop() {
  [ -n "$lcnc_pid" ] || return 0
  lcnc_sim_rsh shutdown 2>/dev/null || true
  timeout 20 sh -c 'while kill -0 "$1" 2>/dev/null; do sleep 0.1; done' sh "$lcnc_pid" || true
  kill -- "-$lcnc_pid" 2>/dev/null || true
  timeout 60 sh -c 'while kill -0 -- "-$1" 2>/dev/null; do sleep 0.1; done' sh "$lcnc_pid" ||
    echo "LinuxCNC's processes outlived a minute" >&2
  lcnc_pid=""
}

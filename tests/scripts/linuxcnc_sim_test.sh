#!/bin/sh
# LinuxCNC's simulator is started only where no LinuxCNC runs, and its helper
# moves only the LinuxCNC it started. Needs no LinuxCNC and touches none: the
# stage runs with stand-ins for every program it would run past its checks,
# and the linuxcncrsh it meets is a stand-in on a port of the test's own.
# usage: linuxcnc_sim_test.sh ROOT
set -u
root=$1
tmp=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Reaching any of these means the checks let the stage go on.
mkdir "$tmp/bin"
for program in cmake linuxcnc linuxcncrsh halcmd; do
  printf '#!/bin/sh\necho "STUB REACHED: %s" >&2\nexit 97\n' "$program" > "$tmp/bin/$program"
  chmod +x "$tmp/bin/$program"
done

# usage: wait_for_file FILE
wait_for_file() {
  timeout 60 sh -c 'until [ -s "$1" ]; do sleep 0.05; done' sh "$1" || fail "$1 never written"
}

# A listener on a port of its own, as a workshop's linuxcncrsh would be.
python3 -c '
import socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen()
open(sys.argv[1] + ".tmp", "w").write(str(s.getsockname()[1]))
__import__("os").rename(sys.argv[1] + ".tmp", sys.argv[1])
while True:
    s.accept()[0].close()' "$tmp/listener.port" &
pids="$pids $!"
wait_for_file "$tmp/listener.port"
listened=$(cat "$tmp/listener.port")
: > "$tmp/linuxcnc.lock"

# name | environment | what the stage must say
stage_rows="lock|PITCHWISE_LINUXCNC_LOCK=$tmp/linuxcnc.lock|refused: $tmp/linuxcnc.lock exists
listener|PITCHWISE_LINUXCNC_PORT=$listened|refused: something already listens on port $listened
usual port|PITCHWISE_LINUXCNC_PORT=5007|refused: port 5007 is where
clear|PITCHWISE_LINUXCNC_LOCK=$tmp/absent.lock|STUB REACHED: cmake"
echo "$stage_rows" | while IFS='|' read -r name setting expected; do
  out=$(cd "$root" && env PATH="$tmp/bin:$PATH" "$setting" sh scripts/test.d/80-linuxcnc.sh 2>&1)
  status=$?
  case "$out" in
    *"/tmp/linuxcnc.lock exists"*)
      [ "$name" = clear ] && { echo "SKIP $name: a LinuxCNC runs on this PC"; continue; } ;;
  esac
  case "$out" in *"$expected"*) ;; *) fail "$name: expected \"$expected\", got: $out"; continue ;; esac
  if [ "$name" != clear ]; then
    [ $status -ne 0 ] || { fail "$name: the refusal exited 0"; continue; }
    case "$out" in *"STUB REACHED"*) fail "$name: went on after refusing: $out"; continue ;; esac
  fi
  echo "ok $name: $expected"
done > "$tmp/stage.out"
cat "$tmp/stage.out"
grep -q FAIL "$tmp/stage.out" && failures=$((failures + 1))

# A stand-in linuxcncrsh that runs /cnc/theirs.ini, answers every set with
# ACK and keeps every line it was told.
cat > "$tmp/shell.py" <<'PY'
import os, socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen()
open(sys.argv[1] + ".tmp", "w").write(str(s.getsockname()[1]))
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
said = open(sys.argv[2], "a")
while True:
    c = s.accept()[0]
    for line in c.makefile("r"):
        line = line.strip()
        said.write(line + "\n"); said.flush()
        word = line.split()
        if not word:
            continue
        if word[0] == "hello":
            reply = "HELLO ACK EMCNETSVR 1.1" if word[1] == "pw" else "HELLO NAK"
        elif line == "get inifile":
            reply = "INIFILE /cnc/theirs.ini"
        elif line == "get joint_homed":
            reply = "JOINT_HOMED YES YES YES NO NO NO"
        elif line == "get program_status":
            reply = "PROGRAM_STATUS IDLE"
        else:
            reply = " ".join(word[:2]).upper() + " ACK"
        c.sendall((reply + "\r\n").encode())
    c.close()
PY
python3 "$tmp/shell.py" "$tmp/shell.port" "$tmp/said" &
pids="$pids $!"
wait_for_file "$tmp/shell.port"
shell=$(cat "$tmp/shell.port")

# name | INI we started | connect password | exit status | lines the shell may have heard
rsh_rows="another INI|$tmp/ours.ini|pw|1|hello pw e2e 1.0,set echo off,set verbose on,get inifile
wrong password|/cnc/theirs.ini|EMC|1|hello EMC e2e 1.0
ours|/cnc/theirs.ini|pw|0|"
echo "$rsh_rows" | while IFS='|' read -r name ini password want heard; do
  : > "$tmp/said"
  out=$(LINUXCNC_RSH_PORT=$shell LINUXCNC_RSH_CONNECTPW=$password LINUXCNC_RSH_ENABLEPW=en \
        LINUXCNC_RSH_INI=$ini timeout 60 python3 "$root/tests/controllers/linuxcnc/sim/rsh.py" ready 2>&1)
  status=$?
  [ $status -eq "$want" ] || { fail "$name: rsh.py ready exited $status, not $want: $out"; continue; }
  if [ -n "$heard" ]; then
    expected=$(echo "$heard" | tr ',' '\n')
    [ "$(cat "$tmp/said")" = "$expected" ] || fail "$name: the shell heard: $(cat "$tmp/said")"
  else
    grep -q '^set home -1$' "$tmp/said" || fail "$name: never homed: $(cat "$tmp/said")"
  fi
  echo "ok $name"
done > "$tmp/rsh.out"
cat "$tmp/rsh.out"
grep -q FAIL "$tmp/rsh.out" && failures=$((failures + 1))

out=$(env -u LINUXCNC_RSH_PORT python3 "$root/tests/controllers/linuxcnc/sim/rsh.py" ready 2>&1) &&
  fail "rsh.py without a port exited 0"
case "$out" in *"LINUXCNC_RSH_PORT is not set"*) echo "ok no port" ;; *) fail "no port: $out" ;; esac
[ $failures -eq 0 ]

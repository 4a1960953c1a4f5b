#!/usr/bin/python3
"""Runs a part program on the LinuxCNC simulator the capture stage started,
as an operator would from outside, through linuxcncrsh.

  lcnc_program.py wait        waits until linuxcncrsh accepts a session
  lcnc_program.py ready       out of estop, on, homed, in MDI mode
  lcnc_program.py mdi CODE    runs one MDI line and waits until LinuxCNC is idle
  lcnc_program.py run FILE    set mode auto, set open FILE, set run; waits
                              until the program has ended
  lcnc_program.py shutdown    stops LinuxCNC

The port, the passwords and the INI the simulator runs come from
LINUXCNC_RSH_PORT, LINUXCNC_RSH_CONNECTPW, LINUXCNC_RSH_ENABLEPW and
LINUXCNC_RSH_INI, with no defaults: a LinuxCNC running another INI (a
machine's own) is told nothing.
"""
import os
import socket
import sys
import time


def setting(name):
    value = os.environ.get(name, "")
    if not value:
        sys.exit(name + " is not set")
    return value


def session():
    port = int(setting("LINUXCNC_RSH_PORT"))
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    f = s.makefile("rw", newline="")

    def say(line):
        f.write(line + "\r\n")
        f.flush()
        # "error:"/"warning:" lines may come before the answer; 2.9's
        # "\n\r" endings leave empty lines behind.
        while True:
            reply = f.readline()
            if not reply:
                return ""
            reply = reply.strip().strip("\0")
            if reply and not reply.startswith(("error:", "warning:")):
                return reply

    if not say("hello %s capture 1.0" % setting("LINUXCNC_RSH_CONNECTPW")).startswith("HELLO ACK"):
        sys.exit("linuxcncrsh refused the session")
    say("set echo off")
    say("set verbose on")
    running = say("get inifile").partition(" ")[2].strip()
    if os.path.realpath(running) != os.path.realpath(setting("LINUXCNC_RSH_INI")):
        sys.exit("port %d: a LinuxCNC running %r, not ours: told nothing" % (port, running))
    say("set enable " + setting("LINUXCNC_RSH_ENABLEPW"))
    return s, say


def wait_idle(say, what, seconds):
    # A limit only a LinuxCNC that never finishes reaches.
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if say("get program_status") == "PROGRAM_STATUS IDLE":
            return
        time.sleep(0.2)
    sys.exit("LinuxCNC did not finish: " + what)


def require(say, line):
    if not say(line).endswith("ACK"):
        sys.exit("refused: " + line)


def main():
    what = sys.argv[1]
    if what == "wait":
        for _ in range(240):
            try:
                session()[0].close()
                return
            except OSError:
                time.sleep(0.5)
        sys.exit("linuxcncrsh did not come up")
    s, say = session()
    if what == "ready":
        for line in ("set estop off", "set machine on", "set mode manual", "set home -1"):
            require(say, line)
        for _ in range(600):
            if say("get joint_homed").startswith("JOINT_HOMED YES YES YES"):
                break
            time.sleep(0.1)
        else:
            sys.exit("joints did not home")
        require(say, "set mode mdi")
    elif what == "mdi":
        require(say, "set mode mdi")
        require(say, "set mdi " + sys.argv[2])
        say("set wait done")
        wait_idle(say, sys.argv[2], 60)
    elif what == "run":
        program = os.path.realpath(sys.argv[2])
        require(say, "set mode auto")
        require(say, "set open " + program)
        require(say, "set run")
        for _ in range(100):
            if say("get program_status") != "PROGRAM_STATUS IDLE":
                break
            time.sleep(0.1)
        else:
            sys.exit("the program did not start: " + program)
        wait_idle(say, program, float(sys.argv[3]) if len(sys.argv) > 3 else 900)
    elif what == "shutdown":
        s.sendall(b"shutdown\r\n")
    s.close()


main()

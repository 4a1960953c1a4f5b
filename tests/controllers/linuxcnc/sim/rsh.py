#!/usr/bin/python3
"""Says a few lines to linuxcncrsh for the end-to-end stage.

  rsh.py wait          waits until linuxcncrsh accepts a session
  rsh.py ready         takes the machine out of estop, on, homed, in MDI mode
  rsh.py mdi CODE      runs one MDI line and waits until LinuxCNC is idle
  rsh.py run FILE [S]  runs the program FILE as an operator would (set mode
                       auto, set open, set run) and waits until it has
                       ended, at most S seconds (default 900)
  rsh.py shutdown      stops LinuxCNC

It talks only to the LinuxCNC scripts/lib/linuxcnc_sim.sh started: the port,
the passwords and the INI it runs come from LINUXCNC_RSH_PORT,
LINUXCNC_RSH_CONNECTPW, LINUXCNC_RSH_ENABLEPW and LINUXCNC_RSH_INI, with no
defaults, and a LinuxCNC running another INI is told nothing.
"""
import os
import socket
import sys
import time


def setting(name):
    value = os.environ.get(name, "")
    if not value:
        sys.exit(name + " is not set: start LinuxCNC with scripts/lib/linuxcnc_sim.sh")
    return value


def session():
    port, expected_ini = int(setting("LINUXCNC_RSH_PORT")), setting("LINUXCNC_RSH_INI")
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    f = s.makefile("rw", newline="")

    def say(line):
        f.write(line + "\r\n")
        f.flush()
        # The rewritten shell may put "error:"/"warning:" lines before the
        # answer; 2.9's "\n\r" endings leave empty lines behind.
        while True:
            reply = f.readline()
            if not reply:
                return ""
            reply = reply.strip().strip("\0")
            if reply and not reply.startswith(("error:", "warning:")):
                return reply

    if not say("hello %s e2e 1.0" % setting("LINUXCNC_RSH_CONNECTPW")).startswith("HELLO ACK"):
        sys.exit("linuxcncrsh refused the session")
    say("set echo off")
    say("set verbose on")
    # Anything that could move a machine waits until we know whose it is.
    running = say("get inifile").partition(" ")[2].strip()
    if os.path.realpath(running) != os.path.realpath(expected_ini):
        sys.exit("port %d: a LinuxCNC running %r, not ours (%s): told nothing"
                 % (port, running, expected_ini))
    say("set enable " + setting("LINUXCNC_RSH_ENABLEPW"))
    return s, say


def main():
    what = sys.argv[1]
    if what == "wait":
        for _ in range(120):
            try:
                session()[0].close()
                return
            except OSError:
                time.sleep(0.5)
        sys.exit("linuxcncrsh did not come up")
    s, say = session()
    if what == "ready":
        for line in ("set estop off", "set machine on", "set mode manual", "set home -1"):
            if not say(line).endswith("ACK"):
                sys.exit("refused: " + line)
        # A minute is a limit only a machine that never homes reaches.
        for _ in range(600):
            if say("get joint_homed").startswith("JOINT_HOMED YES YES YES"):
                break
            time.sleep(0.1)
        else:
            sys.exit("joints did not home")
        say("set mode mdi")
    elif what == "mdi":
        say("set mode mdi")
        if not say("set mdi " + sys.argv[2]).endswith("ACK"):
            sys.exit("refused: " + sys.argv[2])
        # "wait done" answers once LinuxCNC has carried the line out.
        say("set wait done")
        for _ in range(600):
            if say("get program_status") == "PROGRAM_STATUS IDLE":
                break
            time.sleep(0.1)
        else:
            sys.exit("LinuxCNC did not finish: " + sys.argv[2])
    elif what == "run":
        program = os.path.realpath(sys.argv[2])
        for line in ("set mode auto", "set open " + program, "set run"):
            if not say(line).endswith("ACK"):
                sys.exit("refused: " + line)
        # Ten seconds are a limit only a program that never starts reaches.
        for _ in range(100):
            if say("get program_status") != "PROGRAM_STATUS IDLE":
                break
            time.sleep(0.1)
        else:
            sys.exit("the program did not start: " + program)
        deadline = time.monotonic() + (float(sys.argv[3]) if len(sys.argv) > 3 else 900)
        while say("get program_status") != "PROGRAM_STATUS IDLE":
            if time.monotonic() > deadline:
                sys.exit("the program did not end: " + program)
            time.sleep(0.2)
    elif what == "shutdown":
        f = s.makefile("rw", newline="")
        f.write("shutdown\r\n")
        f.flush()
    s.close()


main()

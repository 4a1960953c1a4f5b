#!/usr/bin/python3
"""Says a few lines to linuxcncrsh for the end-to-end stage.

  rsh.py wait          waits until linuxcncrsh accepts a session
  rsh.py ready         takes the machine out of estop, on, homed, in MDI mode
  rsh.py mdi CODE      runs one MDI line and waits until LinuxCNC is idle
  rsh.py shutdown      stops LinuxCNC
"""
import socket
import sys
import time


def session():
    s = socket.create_connection(("127.0.0.1", 5007), timeout=10)
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

    if not say("hello EMC e2e 1.0").startswith("HELLO ACK"):
        sys.exit("linuxcncrsh refused the session")
    say("set echo off")
    say("set verbose on")
    say("set enable EMCTOO")
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
    elif what == "shutdown":
        f = s.makefile("rw", newline="")
        f.write("shutdown\r\n")
        f.flush()
    s.close()


main()

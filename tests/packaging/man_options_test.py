#!/usr/bin/python3
"""A manual page lists exactly the options its program's --help lists.

usage: man_options_test.py MANPAGE PROGRAM
"""
import re
import subprocess
import sys

OPTION = r"-{1,2}[A-Za-z][\w-]*"


def page_options(path):
    """The options the page defines: the tag line after each .TP."""
    found = set()
    lines = open(path, encoding="utf-8").read().splitlines()
    for previous, line in zip(lines, lines[1:]):
        if previous.strip() == ".TP" and line.startswith(".B"):
            found.update(re.findall(OPTION, line.replace("\\-", "-")))
    return found


def help_options(program):
    """The options --help prints at the start of its indented lines."""
    done = subprocess.run([program, "--help"], capture_output=True, text=True, timeout=60)
    if done.returncode != 0 or done.stderr:
        sys.exit("%s --help exited %d, said on standard error: %r"
                 % (program, done.returncode, done.stderr))
    found = set()
    for line in done.stdout.splitlines():
        # An option line: indented, then its tag (one or more options with
        # their values) up to the first gap of two blanks.
        if re.match(r"\s+-", line):
            tag = re.split(r"\s{2,}", line.strip())[0]
            found.update(re.findall(r"(?<![\w-])%s" % OPTION, tag))
    return found


def main():
    page, program = sys.argv[1], sys.argv[2]
    in_page, in_help = page_options(page), help_options(program)
    if not in_help:
        sys.exit("%s --help lists no options" % program)
    for name in sorted(in_help - in_page):
        print("%s: %s is in --help but not in the page" % (page, name))
    for name in sorted(in_page - in_help):
        print("%s: %s is in the page but not in --help" % (page, name))
    if in_page != in_help:
        sys.exit(1)
    print("%s: the same %d options as --help" % (page, len(in_page)))


main()

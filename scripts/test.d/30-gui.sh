#!/bin/sh
# The real executable on a virtual display, driven only by key presses
# against the bench; then the Debian packages, built and installed.
set -eu
cmake --preset ci
cmake --build --preset ci -j2
sh tests/gui/keyboard_run.sh build/ci
sh packaging/check_deb.sh build/ci

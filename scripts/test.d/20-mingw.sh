#!/bin/sh
# The Windows executable and its libraries cross-compile cleanly.
set -eu
cmake --preset mingw
cmake --build --preset mingw

#!/bin/sh
# Build with warnings as errors and run the default test suite.
set -eu
cmake --preset ci
cmake --build --preset ci
ctest --preset ci

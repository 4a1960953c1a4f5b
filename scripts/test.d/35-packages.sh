#!/bin/sh
# The three Debian packages as a distribution would judge them: lintian
# clean (each override with its reason), the licence and a description of
# its own in each, the desktop entry and the AppStream metadata valid.
set -eu
cmake --preset ci >/dev/null
cmake --build --preset ci -j2
out=build/ci/debs
rm -rf "$out"
cpack --config build/ci/CPackConfig.cmake -G DEB -B "$out" >/dev/null
sh packaging/lint_debs.sh "$out"

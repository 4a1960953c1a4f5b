#!/bin/sh
# "Pitchwise Capture" on a virtual display, driven only by key presses,
# measuring the simulated machine that runs its saved program in real time
# (5 targets, 2 runs each way, a 4 s dwell): the whole capture, whose figures
# must equal pitchwise-report's; Stop during the second run; the QSB
# unplugged during the second run. About two minutes each, so a stage of its
# own rather than the default suite. The window at the end of the whole
# capture is kept as build/ci/capture-window.png.
set -eu
cmake --preset ci >/dev/null
cmake --build --preset ci -j2 --target pitchwise-capture-window pitchwise-program-runner \
  pitchwise-report
for scenario in full stop unplug; do
  shot=""
  [ "$scenario" = full ] && shot=build/ci/capture-window.png
  sh tests/gui/capture_window_run.sh build/ci "$scenario" $shot
done

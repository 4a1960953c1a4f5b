# The Windows executable under Wine: cross-builds Pitchwise.exe and the
# programs that test it, makes a fresh Wine prefix on a private virtual
# display, and runs them there. The screenshot of the main dialog is left
# in build/wine-stage/.
set -eu
root=$(pwd)
cmake --preset mingw
cmake --build --preset mingw -j2
bin=$root/build/mingw

stage=$root/build/wine-stage
rm -rf "$stage"
mkdir -p "$stage/shots"
export WINEPREFIX="$stage/prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: nothing may be downloaded, and nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="

display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$stage/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$display"
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

sh "$root/tests/wine/make_prefix.sh"

echo "--- the dialogs, driven by key presses"
timeout 300 wine "$bin/tests/wine/pitchwise_dialog_tests.exe" "$(winepath -w "$stage/shots")"

#!/bin/sh
# The Windows executable under Wine: cross-builds Pitchwise.exe, Tarvex.dll
# and the programs that test them, makes a fresh Wine prefix on a private
# virtual display, and runs them there:
# - the dialogs in-process, driven by key presses and read back;
# - Pitchwise.exe alone (no QSB, no Tarvex.dll);
# - Pitchwise.exe against the bench: its QSB on a pty mapped to COM3 and
#   Tarvex.dll beside the executable, from Find QSB to "Done." and the
#   bench's verdict on the table it received;
# - the portable zip: its files, and the Pitchwise.exe in it started;
# - the installer: installed silently, the installed Pitchwise.exe started
#   and driven, uninstalled silently, and nothing of it left behind.
# The screenshot of the main dialog is left in build/wine-stage/.
set -eu
root=$(pwd)
cmake --preset mingw
cmake --build --preset mingw -j2
cmake --build --preset mingw -j2 --target pitchwise_windows_release
win=$root/build/mingw
# The bench is a Linux program.
cmake --preset ci >/dev/null
cmake --build --preset ci -j2 --target pitchwise-bench
bench_exe=$root/build/ci/tools/bench/pitchwise-bench

stage=$root/build/wine-stage
rm -rf "$stage"
mkdir -p "$stage/alone" "$stage/with-bench"
cp "$win/app/win32/Pitchwise.exe" "$stage/alone/"
cp "$win/app/win32/Pitchwise.exe" "$win/tools/tarvex_sim/lib/Tarvex.dll" "$stage/with-bench/"

. "$root/scripts/lib/wine_session.sh"
bench=""
# Every step may fail (the bench has usually exited already): under set -e a
# failing step would end the trap there and leave Xvfb and wineserver behind.
cleanup() {
  if [ -n "$bench" ]; then kill "$bench" 2>/dev/null || true; fi
  end_wine
}
trap cleanup EXIT
# An interrupt ends the script, and the EXIT trap cleans up once.
trap 'exit 130' INT TERM
begin_wine "$stage"

echo "--- a fresh Wine prefix"
sh "$root/tests/wine/make_prefix.sh"

echo "--- the port's calls into kernel32"
timeout 300 wine "$win/tests/wine/pitchwise_com_port_tests.exe"

echo "--- the dialogs, driven by key presses"
timeout 300 wine "$win/tests/wine/pitchwise_dialog_tests.exe" "$(winepath -w "$stage")"

echo "--- Pitchwise.exe with no QSB and no Tarvex.dll"
timeout 120 wine "$win/tests/wine/pitchwise_exe_tests.exe" \
  "$(winepath -w "$stage/alone/Pitchwise.exe")" alone

echo "--- Pitchwise.exe against the bench"
"$bench_exe" --qsb-port 3 --runs 1 --timeout 240 --env-file "$stage/bench.env" \
  --csv "$stage/bench.csv" >"$stage/bench.out" 2>&1 &
bench=$!
timeout 60 sh -c "until [ -f '$stage/bench.env' ]; do sleep 0.05; done" ||
  { echo "the bench did not come up within a minute"; exit 1; }
. "$stage/bench.env"
sh "$root/tests/wine/map_com_port.sh" 3 "$(readlink -f "$PITCHWISE_PORT_DIR/COM3")"
timeout 240 wine "$win/tests/wine/pitchwise_exe_tests.exe" \
  "$(winepath -w "$stage/with-bench/Pitchwise.exe")" bench 3.000
status=0
wait "$bench" || status=$?
bench=""
cat "$stage/bench.out"
[ "$status" -eq 0 ] || { echo "the bench does not accept the table (status $status)"; exit 1; }

echo "--- the portable zip"
sh "$root/tests/wine/zip_check.sh" "$(ls "$win"/packaging/windows/Pitchwise-*-win64.zip)" \
  "$win/tests/wine/pitchwise_exe_tests.exe" "$stage/zip" "$root/LICENSE"

echo "--- the installer"
sh "$root/tests/wine/installer_check.sh" "$(ls "$win"/packaging/windows/Pitchwise-*-setup.exe)" \
  "$win/tests/wine/pitchwise_exe_tests.exe" "$stage/installer"

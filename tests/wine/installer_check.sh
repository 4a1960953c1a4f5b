# The Windows installer as a user meets it, in the Wine prefix $WINEPREFIX
# on $DISPLAY: installed silently, the installed Pitchwise.exe started and
# its dialog driven, uninstalled silently. Around it, snapshots of the
# registry (reg export) and of drive C: show what the installer added:
# - exactly the program's files, the Start-menu entry and its Uninstall key;
# - nothing of it left once the uninstaller has run, but a Tarvex.dll the
#   owner put beside the program.
# usage: installer_check.sh SETUP_EXE PITCHWISE_EXE_TESTS SCRATCH_DIR
set -eu
setup=$1
exe_tests=$2
scratch=$3
mkdir -p "$scratch"
fail() { echo "installer_check: $*" >&2; exit 1; }

# One line per key and per value, the value prefixed with its key, so two
# snapshots compare as sets. Left out is the state Wine itself keeps while
# programs run, which comes and goes with its server and display driver:
# the hardware map, device classes, video devices and their driver dates,
# and the temporary system parameters.
# shellcheck disable=SC1003
snapshot() {
  : >"$scratch/registry-$1"
  for hive in HKLM HKCU; do
    wine reg export "$hive" "$scratch/$hive.reg" /y >/dev/null 2>&1 || fail "reg export $hive"
    iconv -f UTF-16 -t UTF-8 "$scratch/$hive.reg" | tr -d '\r' |
      awk '/^\[/ { key = $0; print key; next } NF { print key " " $0 }' |
      grep -v -e '^\[HKEY_LOCAL_MACHINE\\Hardware[]\\]' -e '\\Control\\DeviceClasses\\' \
        -e '\\Control\\Video[]\\]' -e '\\Control\\ServiceCurrent]' -e '\\Hardware Profiles\\' \
        -e '\\Software\\Wine\\Temporary System Parameters\\' -e '"DriverDateData"=' \
        >>"$scratch/registry-$1" || true
  done
  sort -o "$scratch/registry-$1" "$scratch/registry-$1"
  find "$WINEPREFIX/drive_c" -printf '%P\n' | sort >"$scratch/files-$1"
}
# usage: added KIND FROM TO: the lines of snapshot TO that FROM lacks
added() { comm -13 "$scratch/$1-$2" "$scratch/$1-$3"; }

echo "--- the installer, silently"
snapshot before
wine "$setup" /S || fail "the installer fails"
snapshot installed

program='Program Files/Pitchwise'
added files before installed >"$scratch/files-added"
printf '%s\n' "$program" "$program/LICENSE.txt" "$program/Pitchwise.exe" "$program/README.txt" \
  "$program/Uninstall.exe" 'ProgramData/Microsoft/Windows/Start Menu/Programs/Pitchwise.lnk' |
  sort | diff -u - "$scratch/files-added" ||
  fail "the installer adds other files than the program's and its Start-menu entry"
echo "installer_check: adds only $program (Pitchwise.exe, LICENSE.txt, README.txt, Uninstall.exe) and the Start-menu entry"

key='[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pitchwise]'
added registry before installed >"$scratch/registry-added"
grep -v -F "$key" "$scratch/registry-added" && fail "the installer writes to the registry outside its Uninstall key"
for value in DisplayName DisplayVersion Publisher DisplayIcon UninstallString QuietUninstallString; do
  grep -q -F "$key \"$value\"=" "$scratch/registry-added" || fail "the Uninstall key has no $value"
done
grep -q -F "$key \"DisplayVersion\"=\"$(basename "$setup" | sed 's/^Pitchwise-//; s/-setup\.exe$//')\"" \
  "$scratch/registry-added" || fail "the Uninstall key's version is not the installer's"
echo "installer_check: writes only its Uninstall key, with name, version, publisher, icon and uninstaller"

# The shortcut leads to the installed program (its target, in ANSI) and
# takes its icon from it (the icon location, in UTF-16).
lnk="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pitchwise.lnk"
exe_path='C:\Program Files\Pitchwise\Pitchwise.exe'
strings -a "$lnk" | grep -q -x -F "$exe_path" ||
  fail "the Start-menu entry does not lead to the installed Pitchwise.exe"
strings -a -el "$lnk" | grep -q -F "$exe_path" || fail "the Start-menu entry has not its icon"
echo "installer_check: the Start-menu entry starts $exe_path with its icon"

echo "--- the installed Pitchwise.exe"
timeout 120 wine "$exe_tests" "$exe_path" alone

echo "--- the uninstaller, silently"
# The controller library the owner put beside the program is not the
# installer's: it stays, and with it the folder.
printf "the owner's controller library\n" >"$WINEPREFIX/drive_c/$program/Tarvex.dll"
wine 'C:\Program Files\Pitchwise\Uninstall.exe' /S || fail "the uninstaller fails"
# It goes on from a copy of itself in Temp after the command returns, and
# leaves that copy to be deleted at the next start of Windows. Wait until
# every Wine process has ended, then restart as Windows would.
timeout 120 wineserver -w || fail "the uninstaller does not end"
wineboot -r
timeout 120 wineserver -w || fail "the restart does not end"
snapshot removed

comm -12 "$scratch/files-added" "$scratch/files-removed" | grep -v -x -F "$program" &&
  fail "files of the installer are left after uninstalling"
comm -12 "$scratch/registry-added" "$scratch/registry-removed" | grep . &&
  fail "registry entries of the installer are left after uninstalling"
# Nor does the uninstaller leave anything new behind, but for the empty
# folder in Temp its copy ran from: it asks for the folder to be deleted at
# restart before the copy inside it, so the folder outlives the restart.
added files before removed | grep -v '^users/[^/]*/Temp/~nsu[0-9]*\.tmp$' >"$scratch/files-left" || true
printf '%s\n' "$program" "$program/Tarvex.dll" | diff -u - "$scratch/files-left" ||
  fail "the uninstaller leaves other files than the owner's Tarvex.dll and its folder"
added registry before removed | grep . && fail "the uninstaller leaves new registry entries"
echo "installer_check: after uninstalling, every file and registry entry it added is gone; the owner's Tarvex.dll stays"

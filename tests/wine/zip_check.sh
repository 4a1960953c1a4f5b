# The portable Windows zip as a user meets it, in the Wine prefix
# $WINEPREFIX on $DISPLAY: unpacked, it holds one folder with Pitchwise.exe,
# the licence and a README that says where Tarvex.dll goes, and nothing
# else (no controller library); the Pitchwise.exe in it starts and runs.
# usage: zip_check.sh ZIP PITCHWISE_EXE_TESTS SCRATCH_DIR LICENSE
set -eu
zip=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
exe_tests=$2
scratch=$3
license=$4
fail() { echo "zip_check: $*" >&2; exit 1; }
folder=$(basename "$zip" -win64.zip)

rm -rf "$scratch"
mkdir -p "$scratch"
(cd "$scratch" && cmake -E tar xf "$zip")
(cd "$scratch" && find . -mindepth 1 | sort) >"$scratch.list"
printf './%s\n' "$folder" "$folder/LICENSE.txt" "$folder/Pitchwise.exe" "$folder/README.txt" |
  diff -u - "$scratch.list" || fail "the zip holds other files than Pitchwise.exe, LICENSE.txt and README.txt"
tr -d '\r' <"$scratch/$folder/LICENSE.txt" | cmp -s - "$license" ||
  fail "LICENSE.txt is not the project's licence"
grep -q 'Tarvex\.dll' "$scratch/$folder/README.txt" || fail "README.txt does not say where Tarvex.dll goes"
echo "zip_check: $folder holds Pitchwise.exe, LICENSE.txt and a README.txt that says where Tarvex.dll goes"

timeout 120 wine "$exe_tests" "$(winepath -w "$scratch/$folder/Pitchwise.exe")" alone

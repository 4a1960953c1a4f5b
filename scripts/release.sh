#!/bin/sh
# Builds the release into one folder: the three Debian packages (checked
# with lintian as a distribution would), the portable Windows zip and the
# Windows installer, with a SHA256SUMS file over them. Every version number
# comes from the project version in CMakeLists.txt.
#
# usage: scripts/release.sh [OUTDIR]    (default out/release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -gt 1 ]; then
  echo "usage: $0 [OUTDIR]" >&2
  exit 2
fi
out=${1:-$root/out/release}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cd "$root"
"$root/scripts/install-deps.sh"

# Release builds of their own, without the tests.
linux=build/release
windows=build/release-mingw
cmake --preset default -B "$linux" -DCMAKE_BUILD_TYPE=Release -DPITCHWISE_BUILD_TESTS=OFF >/dev/null
cmake --build "$linux" -j2
cmake --preset mingw -B "$windows" -DPITCHWISE_BUILD_TESTS=OFF >/dev/null
cmake --build "$windows" -j2 --target pitchwise_windows_release

# Only what an earlier release left here is replaced; nothing else in OUTDIR
# is touched.
rm -f "$out"/*.deb "$out"/Pitchwise-*-win64.zip "$out"/Pitchwise-*-setup.exe "$out/SHA256SUMS"
rm -rf "$linux/debs"
cpack --config "$linux/CPackConfig.cmake" -G DEB -B "$linux/debs" >/dev/null
cp "$linux"/debs/*.deb "$out/"
cp "$windows"/packaging/windows/Pitchwise-*-win64.zip \
  "$windows"/packaging/windows/Pitchwise-*-setup.exe "$out/"
sh "$root/packaging/lint_debs.sh" "$out"

cd "$out"
sha256sum -- *.deb Pitchwise-*-win64.zip Pitchwise-*-setup.exe >SHA256SUMS
echo "release in $out:"
cat SHA256SUMS

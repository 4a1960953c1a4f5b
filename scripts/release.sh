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
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux/CMakeCache.txt")

# Only what an earlier release left here is replaced; nothing else in OUTDIR
# is touched.
debs="pitchwise_*.deb pitchwise-bench_*.deb tarvex-linuxcnc_*.deb"
windows_files="Pitchwise-*-win64.zip Pitchwise-*-setup.exe"
# shellcheck disable=SC2086
(cd "$out" && rm -f $debs $windows_files SHA256SUMS)
rm -rf "$linux/debs"
cpack --config "$linux/CPackConfig.cmake" -G DEB -B "$linux/debs" >/dev/null
cp "$linux"/debs/*.deb "$out/"
cp "$windows/packaging/windows/Pitchwise-$version-win64.zip" \
  "$windows/packaging/windows/Pitchwise-$version-setup.exe" "$out/"
sh "$root/packaging/lint_debs.sh" "$out"

# One version everywhere: the project's, and the Debian packages' with
# their revision after it.
for deb in "$linux"/debs/*.deb; do
  case $(dpkg-deb -f "$deb" Version) in
    "$version"-[0-9]*) ;;
    *) echo "release: $deb is not version $version" >&2; exit 1 ;;
  esac
done

cd "$out"
# shellcheck disable=SC2086
sha256sum -- $debs $windows_files >SHA256SUMS
echo "release in $out:"
cat SHA256SUMS

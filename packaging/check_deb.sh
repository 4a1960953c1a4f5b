#!/bin/sh
# Builds the Debian packages in BUILD_DIR and checks the application's and
# the bench's: their files, that no file is in two packages, and (as root)
# that apt installs both, the installed program finds every library it
# needs, and the system is left as it was (packaging/try_install.sh).
# usage: check_deb.sh BUILD_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
cd "$build"
rm -f ./*.deb
cpack -G DEB >/dev/null
deb=$(ls pitchwise_*.deb)
bench_deb=$(ls pitchwise-bench_*.deb)

# usage: has_files PACKAGE FILE...
has_files() {
  package=$1
  shift
  listing=$(dpkg-deb -c "$package")
  for f in "$@"; do
    echo "$listing" | grep -q " $f\$" || { echo "check_deb: $package lacks $f" >&2; exit 1; }
  done
}
has_files "$deb" ./usr/bin/pitchwise ./usr/bin/pitchwise-export ./usr/share/applications/pitchwise.desktop \
  ./usr/bin/pitchwise-capture ./usr/share/man/man1/pitchwise-capture.1.gz \
  ./usr/bin/pitchwise-capture-window ./usr/share/applications/pitchwise-capture.desktop \
  ./usr/share/man/man1/pitchwise-capture-window.1.gz \
  ./usr/share/icons/hicolor/16x16/apps/pitchwise.png \
  ./usr/share/icons/hicolor/32x32/apps/pitchwise.png \
  ./usr/share/icons/hicolor/48x48/apps/pitchwise.png \
  ./usr/share/icons/hicolor/scalable/apps/pitchwise.svg
has_files "$bench_deb" ./usr/bin/pitchwise-bench ./usr/lib/pitchwise-bench/libTarvex.so

# No two packages may ship the same file, or the second cannot be installed.
shared=$(for p in ./*.deb; do dpkg-deb -c "$p" | awk '!/\/$/ {print $NF}'; done | sort | uniq -d)
[ -z "$shared" ] || { echo "check_deb: files in two packages: $shared" >&2; exit 1; }

contents=$(for p in ./*.deb; do dpkg-deb -c "$p"; done)
# Nothing of ours may answer to the bare name libTarvex.so by default.
if echo "$contents" | grep -E ' \./usr/lib/(x86_64-linux-gnu/)?libTarvex\.so$'; then
  echo "check_deb: a package puts a controller library on the default path" >&2
  exit 1
fi
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "check_deb: no Qt dependency" >&2; exit 1; }

if [ "$(id -u)" -eq 0 ]; then
  sh "$here/try_install.sh" "./$deb" "./$bench_deb"
fi
echo "check_deb: $deb and $bench_deb are complete"

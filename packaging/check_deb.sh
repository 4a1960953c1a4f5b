#!/bin/sh
# Builds the Debian packages in BUILD_DIR and checks the application's: its
# files, and (as root) that apt installs it and the installed program finds
# every library it needs.
# usage: check_deb.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
cd "$build"
rm -f ./*.deb
cpack -G DEB >/dev/null
deb=$(ls pitchwise_*.deb)
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/pitchwise ./usr/bin/pitchwise-bench ./usr/share/applications/pitchwise.desktop \
         ./usr/share/icons/hicolor/16x16/apps/pitchwise.png \
         ./usr/share/icons/hicolor/32x32/apps/pitchwise.png \
         ./usr/share/icons/hicolor/48x48/apps/pitchwise.png \
         ./usr/share/icons/hicolor/scalable/apps/pitchwise.svg \
         ./usr/lib/pitchwise/bench/libTarvex.so; do
  echo "$contents" | grep -q " $f\$" || { echo "check_deb: $deb lacks $f" >&2; exit 1; }
done
# Nothing of ours may answer to the bare name libTarvex.so by default.
if echo "$contents" | grep -E ' \./usr/lib/(x86_64-linux-gnu/)?libTarvex\.so$'; then
  echo "check_deb: $deb puts a controller library on the default path" >&2
  exit 1
fi
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "check_deb: no Qt dependency" >&2; exit 1; }

if [ "$(id -u)" -eq 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb" >/dev/null
  if ldd /usr/bin/pitchwise | grep 'not found'; then
    echo "check_deb: the installed program misses libraries" >&2
    exit 1
  fi
  [ -x /usr/bin/pitchwise-bench ] || { echo "check_deb: no bench installed" >&2; exit 1; }
fi
echo "check_deb: $deb is complete"

#!/bin/sh
# Installs the Debian packages that building and testing need. Each area of
# the project lists its own packages in scripts/packages/*.txt, so adding a
# tool never means editing a shared list.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
packages=$(cat "$here"/packages/*.txt | sed 's/#.*//' | tr -s ' \n' ' ')

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
# shellcheck disable=SC2086
$sudo apt-get install -y --no-install-recommends $missing

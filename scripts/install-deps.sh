#!/bin/sh
# Installs the Debian packages that building and testing need. Each area of
# the project lists its own packages in scripts/packages/SET/*.txt, so adding
# a tool never means editing a shared list.
#
# usage: install-deps.sh [demo|all]
#   demo  what the demo builds and runs (scripts/packages/demo)
#   all   everything the whole test suite needs (every set; the default)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
case "${1:-all}" in
  demo) lists=$(ls "$here"/packages/demo/*.txt) ;;
  all) lists=$(ls "$here"/packages/*/*.txt) ;;
  *)
    echo "usage: $0 [demo|all]" >&2
    exit 2
    ;;
esac
# shellcheck disable=SC2086
packages=$(cat $lists | sed 's/#.*//' | tr -s ' \n' ' ')

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

#!/bin/sh
# Checks the three Debian packages in DIR as a distribution would: lintian
# with no error or warning left except overrides that give their reason on
# the comment line above, the licence in each, a changelog of its version
# and a description of its own for each, and the desktop entry and AppStream
# metadata validated as installed.
# usage: lint_debs.sh DIR [LICENSE]
set -eu
dir=$1
license=${2:-$(dirname "$0")/../LICENSE}
fail() { echo "lint_debs: $*" >&2; exit 1; }

debs=""
for package in pitchwise pitchwise-bench tarvex-linuxcnc; do
  deb=$(ls "$dir/${package}"_*.deb 2>/dev/null) || fail "no $package package in $dir"
  [ "$(echo "$deb" | wc -l)" -eq 1 ] || fail "more than one $package package in $dir"
  debs="$debs $deb"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
summaries=""
for deb in $debs; do
  package=$(dpkg-deb -f "$deb" Package)
  tree=$scratch/$package
  dpkg-deb -x "$deb" "$tree"

  copyright=$tree/usr/share/doc/$package/copyright
  [ -f "$copyright" ] || fail "$package has no copyright file"
  # The licence text of the copyright file is LICENSE's, indented as DEP-5 wants.
  sed -n '/^ Permission/,$p' "$copyright" | sed 's/^ //; s/^\.$//' >"$scratch/license"
  sed -n '/^Permission/,$p' "$license" | cmp -s - "$scratch/license" ||
    fail "$package's licence differs from LICENSE"

  # lintian does not compare a binary package's changelog with its version.
  changelog=$tree/usr/share/doc/$package/changelog.Debian.gz
  [ -f "$changelog" ] || fail "$package has no changelog"
  logged=$(zcat "$changelog" | sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p')
  [ "$logged" = "$(dpkg-deb -f "$deb" Version)" ] ||
    fail "$package's changelog is for version $logged"

  overrides=$tree/usr/share/lintian/overrides/$package
  if [ -f "$overrides" ]; then
    awk -v p="$package" '
      /^#/ { reason = 1; next }
      /^[[:space:]]*$/ { reason = 0; next }
      !reason { print p ": override without a reason: " $0; bad = 1 }
      { reason = 0 }
      END { exit bad }' "$overrides" >&2 || exit 1
  fi
  summaries="$summaries$(dpkg-deb -f "$deb" Description | head -n 1)
"
done
[ "$(printf %s "$summaries" | sort -u | wc -l)" -eq 3 ] ||
  fail "packages share a description: $summaries"

status=0
# shellcheck disable=SC2086
lintian --fail-on error,warning --tag-display-limit 0 $debs >"$scratch/lintian" 2>&1 || status=$?
grep -v 'running with root privileges' "$scratch/lintian" || true
[ "$status" -eq 0 ] || fail "lintian reports errors or warnings"

desktop-file-validate "$scratch/pitchwise/usr/share/applications/pitchwise.desktop" ||
  fail "the desktop entry does not validate"
metainfo=$(ls "$scratch"/pitchwise/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "$metainfo" || fail "the AppStream metadata does not validate"
grep -q '<launchable type="desktop-id">pitchwise.desktop</launchable>' "$metainfo" ||
  fail "the AppStream metadata does not launch the desktop entry"
echo "lint_debs: the three packages pass lintian, desktop-file-validate and appstreamcli"

#!/bin/sh
# Installs the packages just built, checks the installed program, and puts
# the system back as it was: what was not installed is removed again (with
# the dependencies apt brought for it), and a version installed before,
# repacked from the system first, is installed again. Root only. A second
# copy waits for the first: both would change the same packages.
# usage: try_install.sh DEB...
set -eu
exec 9>/tmp/pitchwise-try-install.lock
flock -w 1800 9 || { echo "try_install: another install check held the lock for 30 min" >&2; exit 1; }

work=$(mktemp -d)
apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -y -o DPkg::Lock::Timeout=600 "$@" >>"$work/apt.log" 2>&1
}
installed_packages() {
  dpkg-query -W -f='${db:Status-Status} ${Package}\n' | awk '$1 == "installed" {print $2}' | sort
}

names=""
for deb in "$@"; do names="$names $(dpkg-deb -f "$deb" Package)"; done
installed_packages > "$work/before"
for name in $names; do
  if grep -qx "$name" "$work/before"; then
    # The installed version, as a package to put back.
    (cd "$work" && dpkg-repack "$name" >>"$work/apt.log" 2>&1) ||
      { echo "try_install: cannot repack the installed $name" >&2; rm -rf "$work"; exit 1; }
  fi
done

restore() {
  status=$?
  removed=""
  for name in $names; do
    old=$(ls "$work/${name}_"*.deb 2>/dev/null || true)
    if [ -n "$old" ]; then
      apt_get install --reinstall --allow-downgrades "$old" || status=1
    elif dpkg-query -W -f='${db:Status-Status}' "$name" 2>/dev/null | grep -qx installed; then
      removed="$removed $name"
    fi
  done
  if [ -n "$removed" ]; then
    # shellcheck disable=SC2086
    apt_get purge $removed || status=1
    # What apt brought for them and nothing needs now.
    apt-get -s autoremove 2>/dev/null | awk '/^Remv/ {print $2}' | sort > "$work/spare"
    brought=$(installed_packages | comm -13 "$work/before" - | comm -12 - "$work/spare")
    # shellcheck disable=SC2086
    [ -z "$brought" ] || apt_get purge $brought || status=1
  fi
  installed_packages | cmp -s - "$work/before" ||
    { echo "try_install: the installed packages differ from before" >&2; status=1; }
  [ $status -eq 0 ] || cat "$work/apt.log" >&2
  rm -rf "$work"
  exit $status
}
trap restore EXIT

# --reinstall: the same version already installed is replaced, not kept.
apt_get install --reinstall "$@"
for deb in "$@"; do
  # Every file installed is the one in the package just built.
  dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|' > "$work/files"
  while read -r file; do
    [ -L "$file" ] && continue
    dpkg-deb --fsys-tarfile "$deb" | tar -xO ".$file" | cmp -s - "$file" ||
      { echo "try_install: $file is not the one in $deb" >&2; exit 1; }
  done < "$work/files"
done
if ldd /usr/bin/pitchwise | grep 'not found'; then
  echo "try_install: the installed program misses libraries" >&2
  exit 1
fi
[ -x /usr/bin/pitchwise-bench ] || { echo "try_install: no bench installed" >&2; exit 1; }
echo "try_install: installed and checked$names; putting the system back"

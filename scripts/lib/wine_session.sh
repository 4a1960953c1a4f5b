# Sourced by the scripts that run the Windows programs under Wine.

# usage: begin_wine STAGE_DIR
# A Wine prefix in STAGE_DIR/prefix (made by tests/wine/make_prefix.sh, not
# here) on a virtual display of its own; Xvfb's pid in $xvfb. end_wine stops
# both again.
begin_wine() {
  export WINEPREFIX="$1/prefix" WINEARCH=win64 WINEDEBUG=-all
  wine_begun=1
  # No Mono or Gecko: nothing may be downloaded, and nothing here needs them.
  # No menu builder: it would copy Start-menu entries into this machine's menus.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  wine_display=90
  while [ -e "/tmp/.X$wine_display-lock" ] || [ -e "/tmp/.X11-unix/X$wine_display" ]; do
    wine_display=$((wine_display + 1))
  done
  # Xvfb writes the display's number to descriptor 9 once it takes clients.
  rm -f "$1/display"
  Xvfb ":$wine_display" -displayfd 9 -screen 0 1024x768x24 -nolisten tcp \
    9>"$1/display" >"$1/xvfb.log" 2>&1 &
  xvfb=$!
  export DISPLAY=":$wine_display"
  timeout 60 sh -c 'until [ -s "$1" ]; do sleep 0.05; done' sh "$1/display" ||
    { echo "Xvfb did not come up within a minute" >&2; return 1; }
}

# Every step may fail (the server may have ended already): it runs from
# traps, where under set -e a failing step would leave the rest undone. Only
# what begin_wine started is stopped.
end_wine() {
  [ -z "${wine_begun:-}" ] || wineserver -k 2>/dev/null || true
  [ -z "${xvfb:-}" ] || kill "$xvfb" 2>/dev/null || true
  xvfb=""
}

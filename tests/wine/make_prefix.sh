# Creates the Wine prefix $WINEPREFIX for the tests (on $DISPLAY):
# - COM1 to COM7 lead nowhere unless the caller maps some of them later;
# - Wine draws the window frames itself, as there is no window manager, so
#   the close box can be clicked.
set -eu
wineboot -i >/dev/null 2>&1
for n in 1 2 3 4 5 6 7; do
  wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "/nonexistent/com$n" /f >/dev/null 2>&1
done
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
sh "$(dirname "$0")/restart_wineserver.sh"

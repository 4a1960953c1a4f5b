# Maps COM<n> of $WINEPREFIX to a Linux device: map_com_port.sh N DEVICE.
# Wine reads the mapping from the registry (links placed by hand in
# dosdevices/ are rewritten at start-up), so the server is restarted.
set -eu
wine reg add 'HKLM\Software\Wine\Ports' /v "COM$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
sh "$(dirname "$0")/restart_wineserver.sh"

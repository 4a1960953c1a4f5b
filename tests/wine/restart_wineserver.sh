# Restarts the Wine server of $WINEPREFIX: it reads the port mapping when
# it starts. Its own chatter goes to $WINEPREFIX/../wineserver.log.
set -eu
wineserver -k 2>/dev/null || true
wineserver -w
wineserver >>"$WINEPREFIX/../wineserver.log" 2>&1

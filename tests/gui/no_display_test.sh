#!/bin/sh
# The executable started where it cannot open a window says why in one line
# on standard error and fails: never the toolkit's advice to reinstall,
# never an abort.
#
# usage: no_display_test.sh PITCHWISE
set -u
exe=$1
failures=0

# expect WHAT WORDS [VAR=VALUE...]: runs the program with none of the display
# variables but those given.
expect() {
  what=$1 words=$2
  shift 2
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" timeout 60 "$exe" 2>&1 >/dev/null)
  status=$?
  lines=$(printf '%s\n' "$err" | wc -l)
  problem=""
  [ "$status" -eq 1 ] || problem="exit status $status, not 1"
  [ "$lines" -eq 1 ] || problem="$problem; $lines lines, not one"
  case $err in "pitchwise: "*"$words"*) ;; *) problem="$problem; not \"pitchwise: ...$words...\"" ;; esac
  case $err in *einstall*) problem="$problem; advice to reinstall" ;; esac
  if [ -n "$problem" ]; then
    echo "FAIL $what: $problem"
    printf '%s\n' "$err" | sed 's/^/  | /'
    failures=$((failures + 1))
  else
    echo "ok   $what: $err"
  fi
}

expect "no display at all" "neither DISPLAY nor WAYLAND_DISPLAY is set"

# A display number no server listens on.
n=65000
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n - 1)); done
expect "a display nobody serves" "could not connect to display :$n" DISPLAY=":$n"

[ "$failures" -eq 0 ] && echo "no display: passed"
exit "$failures"

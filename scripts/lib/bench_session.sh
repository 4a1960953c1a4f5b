# Sourced by the scripts that run the real program against the bench.
# The caller defines fail MESSAGE, which reports and exits.

# usage: begin_session
# A scratch directory in $work, and the pids of the bench ($bench) and of
# the program ($app), all cleared by end_session (run at exit unless the
# caller traps EXIT itself and calls end_session from there).
begin_session() {
  work=$(mktemp -d)
  bench=""
  app=""
  trap end_session EXIT
}

end_session() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$bench" ] && kill "$bench" 2>/dev/null || true
  rm -rf "$work"
}

# usage: start_bench BUILD_DIR WORK_DIR [BENCH_OPTION...]
# Starts pitchwise-bench in the background (pid in $bench, output in
# WORK_DIR/bench.out), waits until it is ready, and exports what Pitchwise
# and the simulated controller library need to reach it.
start_bench() {
  bench_build=$1
  bench_work=$2
  shift 2
  "$bench_build/tools/bench/pitchwise-bench" --env-file "$bench_work/bench.env" "$@" \
    >"$bench_work/bench.out" 2>&1 &
  bench=$!
  timeout 60 sh -c 'until [ -e "$1" ]; do sleep 0.05; done' sh "$bench_work/bench.env" ||
    fail "the bench did not come up within a minute"
  . "$bench_work/bench.env"
  export LD_LIBRARY_PATH="$bench_build/tools/tarvex_sim/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
}

# The waits below poll what can be seen (the window with the keyboard, a
# window gone, a process ended) with limits only a fault reaches, so a busy
# machine slows them down but never fails them.

# usage: wait_for_focus TITLE [SECONDS]
# Waits until the window titled exactly TITLE has the keyboard, so the keys
# that follow reach it.
wait_for_focus() {
  timeout "${2:-60}" sh -c \
    'until [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$1" ]; do sleep 0.05; done' \
    sh "$1" || fail "the window \"$1\" never took the keyboard"
}

# usage: wait_until_gone TITLE_PATTERN [SECONDS]
# Waits until no visible window's title matches TITLE_PATTERN.
wait_until_gone() {
  timeout "${2:-60}" sh -c \
    'while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do sleep 0.05; done' \
    sh "$1" || fail "the window \"$1\" did not close"
}

# usage: wait_for_exit PID [SECONDS]
# True once process PID has ended, false at the limit.
wait_for_exit() {
  timeout "${2:-60}" sh -c 'while kill -0 "$1" 2>/dev/null; do sleep 0.05; done' sh "$1"
}

# usage: type_find_and_create START END INCREMENT
# Drives the dialog as it opens, by key presses only: Find QSB (it has the
# focus), the three positions, then Create. Keys typed while a command runs
# wait in the queue, as on Windows; Tab into an entry field selects its
# text, so typing replaces the default.
type_find_and_create() {
  xdotool key Return                    # Find QSB
  xdotool key Tab Tab Tab Tab           # Set Zero, Test Reading, axis list, start
  xdotool type "$1"
  xdotool key Tab && xdotool type "$2"  # end
  xdotool key Tab && xdotool type "$3"  # increment
  xdotool key Tab Return                # Create
}

# usage: type_create_again START END INCREMENT
# After a run's message is closed the focus is back on Create: back-tab to
# the start field (which selects its text), type the three positions and
# press Create again.
type_create_again() {
  xdotool key shift+Tab shift+Tab shift+Tab
  xdotool type "$1"
  xdotool key Tab && xdotool type "$2"
  xdotool key Tab && xdotool type "$3"
  xdotool key Tab Return
}

# usage: read_message
# The text of the message box that has the keyboard, copied from the box as
# Qt copies it on Ctrl+C (a line of dashes, the title, dashes, the text,
# dashes). Until Qt takes the clipboard, a marker of ours holds it (its
# xclip ends then), so an older text is never taken for the message.
read_message() {
  printf 'no text copied' | xclip -quiet -selection clipboard >/dev/null 2>&1 &
  holder=$!
  timeout 10 sh -c 'until xclip -selection clipboard -o 2>/dev/null | grep -q .; do sleep 0.05; done' || true
  xdotool key ctrl+c
  wait_for_exit "$holder" 10 || kill "$holder" 2>/dev/null || true
  xclip -selection clipboard -o 2>/dev/null | awk '/^-+$/ { n++; next } n == 2 && NF { print }'
}

# usage: read_selection
# What Ctrl+A then Ctrl+C copies from the widget that has the keyboard, in
# the same way.
read_selection() {
  printf 'no text copied' | xclip -quiet -selection clipboard >/dev/null 2>&1 &
  holder=$!
  timeout 10 sh -c 'until xclip -selection clipboard -o 2>/dev/null | grep -q .; do sleep 0.05; done' || true
  xdotool key ctrl+a ctrl+c
  wait_for_exit "$holder" 10 || kill "$holder" 2>/dev/null || true
  xclip -selection clipboard -o 2>/dev/null
}

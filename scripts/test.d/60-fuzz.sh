#!/bin/sh
# A short fixed-time run of every fuzz harness from its committed seed
# corpus; any crash, sanitizer report or broken property fails the stage.
# FUZZ_SECONDS sets the time per harness (20 s by default, so the stage
# stays near three minutes as harnesses are added). New inputs go to
# a scratch corpus in the build tree, never into the committed one.
set -eu
seconds=${FUZZ_SECONDS:-20}
build=build/fuzz

cmake --preset fuzz
cmake --build --preset fuzz -j2

# A comma locale for the harnesses that format and read numbers, built into
# the tree so no system locale has to be installed.
locales="$PWD/$build/locale"
if [ ! -d "$locales/de_DE.UTF-8" ]; then
  mkdir -p "$locales"
  localedef -i de_DE -f UTF-8 "$locales/de_DE.UTF-8" || echo "fuzz: no comma locale built; numbers run under C"
fi
export LOCPATH="$locales"

status=0
for harness in identity_reply counter_reply create_fields command_line run_log machine_ini \
    rsh_reply comp_table linuxcnc_config export ini_apply \
    capture_plan; do
  scratch="$build/corpus/$harness"
  # The export reads run logs: it starts from the run log's seeds too.
  seeds="fuzz/corpus/$harness"
  [ "$harness" = export ] && seeds="$seeds fuzz/corpus/run_log"
  findings="$build/findings/$harness"
  rm -rf "$findings"
  mkdir -p "$scratch" "$findings"
  echo "fuzz: $harness for $seconds s"
  # shellcheck disable=SC2086 # the seed folders are words of their own
  if "$build/fuzz/fuzz_$harness" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$findings/" "$scratch" $seeds \
      >"$build/findings/$harness.log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::new_units_added)|^Done' \
      "$build/findings/$harness.log" || true
    echo "fuzz: $harness corpus $(ls "$scratch" | wc -l) inputs, nothing found"
  else
    tail -40 "$build/findings/$harness.log"
    echo "fuzz: $harness FOUND a failing input: $(ls "$findings")"
    status=1
  fi
done
exit $status

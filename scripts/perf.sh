#!/bin/sh
# The benchmark: builds a Release tree with the benchmark programs, measures
# every operation against the waits it must take, prints one table and
# writes it to build/perf/results.csv (Google Benchmark's own figures go to
# build/perf/*.json). Takes several minutes: most of it is mandated pauses.
# Not part of the test suite.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out="$root/build/perf"
tree="$out/build"
mkdir -p "$out"

cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPITCHWISE_BUILD_PERF=ON \
  -DPITCHWISE_BUILD_TESTS=OFF >"$out/configure.log"
cmake --build "$tree" -j2 >"$out/build.log"

csv="$out/results.csv"
echo "figure,unit,floor,measured,ratio,target,met" >"$csv"
export PITCHWISE_PERF_CSV="$csv"

run() {
  name=$1
  shift
  echo "--- $name" >&2
  "$@" >"$out/$name.log" 2>&1 || { echo "perf: $name failed, see $out/$name.log" >&2; tail -5 "$out/$name.log" >&2; }
}

run injected "$tree/perf/pitchwise_perf_injected" --benchmark_out="$out/injected.json" \
  --benchmark_out_format=json
run realtime "$tree/perf/pitchwise_perf_realtime" --benchmark_out="$out/realtime.json" \
  --benchmark_out_format=json

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) at the end" >"$out/machine.txt"

awk -F, '
  NR == 1 { next }
  {
    over = $4 - $3
    ratio = ($3 > 0) ? sprintf("%.4f", $5) : "-"
    printf "%-52s %4s %14.4f %14.4f %9s %12.4f  %-22s %s\n", $1, $2, $3, $4, ratio, over, $6, $7
  }
  BEGIN {
    printf "%-52s %4s %14s %14s %9s %12s  %-22s %s\n", "figure", "unit", "floor", "measured", "ratio", "overhead", "target", "met"
  }' "$csv"
cat "$out/machine.txt"
echo "results: $csv"

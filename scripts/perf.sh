#!/bin/sh
# The benchmark: builds a Release tree with the benchmark programs, measures
# every operation against the waits it must take, prints one table and
# writes it to build/perf/results.csv (Google Benchmark's own figures go to
# build/perf/*.json). Takes several minutes: most of it is mandated pauses.
# Not part of the test suite. Exits 1 when a figure misses its target (or a
# row of the table is malformed).
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
# Mapping runs in real time against the simulated machine in its own
# process, so the CPU figure is the program's alone.
bench="$tree/tools/bench/pitchwise-bench"
if [ -x "$bench" ]; then
  speed=4     # units per second: a 1-unit step takes 250 ms, three polls
  dwell=20    # ms for each G4D1, one poll
  env_file="$out/bench.env"
  rm -f "$env_file"
  "$bench" --runs 2 --speed "$speed" --dwell-ms "$dwell" --env-file "$env_file" --timeout 600 \
    --csv "$out/bench.csv" \
    >"$out/bench.log" 2>&1 &
  bench_pid=$!
  tries=0
  while [ ! -f "$env_file" ] && [ $tries -lt 600 ]; do sleep 0.1; tries=$((tries + 1)); done
  if [ -f "$env_file" ]; then
    # shellcheck disable=SC1090
    ( . "$env_file"; export LD_LIBRARY_PATH="$tree/tools/tarvex_sim/lib"
      run mapping "$tree/perf/pitchwise_perf_mapping" --speed="$speed" --dwell-ms="$dwell" \
        --benchmark_out="$out/mapping.json" --benchmark_out_format=json )
  else
    echo "perf: the bench did not start, see $out/bench.log" >&2
  fi
  kill "$bench_pid" 2>/dev/null || true
  wait "$bench_pid" 2>/dev/null || true
else
  echo "perf: no tools/bench/pitchwise-bench in this tree: no real-time mapping runs" >&2
fi

program=""
[ -x "$tree/app/qt/pitchwise" ] && program="$tree/app/qt/pitchwise"
[ -n "$program" ] || echo "perf: no Linux executable app/qt/pitchwise in this tree" >&2
# shellcheck disable=SC2086
run startup "$tree/perf/pitchwise_perf_startup" "$tree/perf/libpitchwise_first_paint_probe.so" 9 \
  "$tree/perf/pitchwise_perf_trivial_dialog" $program

size_row() {
  # name (no commas: it is a CSV field), file, reference file or ""
  [ -f "$2" ] || { echo "perf: $2 not built" >&2; return 0; }
  kib=$(( $(stat -c %s "$2") / 1024 ))
  ref=0
  [ -n "$3" ] && [ -f "$3" ] && ref=$(( $(stat -c %s "$3") / 1024 ))
  ratio=0
  [ "$ref" -gt 0 ] && ratio=$(awk "BEGIN { print $kib / $ref }")
  echo "$1,KiB,$ref,$kib,$ratio,size only,yes" >>"$csv"
}
[ -n "$program" ] && size_row "size of the Linux executable pitchwise (floor: reference dialog)" \
  "$program" "$tree/perf/pitchwise_perf_trivial_dialog"

# The report of the largest measurement: 256 targets by 20 runs, text, PNG
# and SVG; the best of five (the machine is shared).
report="$tree/report/pitchwise-report"
if [ -x "$report" ]; then
  echo "--- report" >&2
  python3 - "$out/report-runs.csv" <<'PY'
import math, sys
lines = ["run,measurement,time,axis,direction,table_in_force,points,point,target,"
         "correction,approach,deviation"]
for r in range(20):
    up = r % 2 == 0
    for i in range(256):
        t = (i if up else 255 - i) * 0.1
        d = 0.003 * math.sin(t) + (-0.001 if up else 0.001) + 0.00001 * ((7 * r + i) % 5 - 2)
        a = ("up" if up else "down") if i else ("down" if up else "up")
        lines.append("%d,1,2026-01-01T00:00:00Z,X,%s,0,256,%d,%.4f,%.4f,%s,%.6f"
                     % (r + 1, "up" if up else "down", i, t, -d, a, d))
open(sys.argv[1], "w").write("\n".join(lines) + "\n")
PY
  best=""
  for _ in 1 2 3 4 5; do
    begin=$(date +%s.%N)
    "$report" "$out/report-runs.csv" -o "$out/report" >"$out/report.log" 2>&1 || break
    took=$(awk "BEGIN { print $(date +%s.%N) - $begin }")
    best=$(awk "BEGIN { b = \"$best\"; print (b == \"\" || $took < b) ? $took : b }")
  done
  if [ -n "$best" ]; then
    met=$(awk "BEGIN { print ($best < 1) ? \"yes\" : \"no\" }")
    echo "report of 256 targets x 20 runs (text+PNG+SVG),s,0,$best,0,< 1 s,$met" >>"$csv"
  else
    echo "perf: the report failed, see $out/report.log" >&2
  fi
fi

# The Windows executable, from the cross build's own tree.
if command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1; then
  echo "--- mingw" >&2
  if cmake --preset mingw >"$out/mingw.log" 2>&1 && cmake --build --preset mingw -j2 >>"$out/mingw.log" 2>&1; then
    exe=$(find "$root/build/mingw" -name Pitchwise.exe | head -1)
    [ -n "$exe" ] && size_row "size of Pitchwise.exe" "$exe" ""
  else
    echo "perf: the mingw build failed, see $out/mingw.log" >&2
  fi
fi

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) at the end" >"$out/machine.txt"

awk -F, '
  NR == 1 { next }
  {
    over = $4 - $3
    ratio = ($3 > 0) ? sprintf("%.4f", $5) : "-"
    printf "%-56s %4s %14.4f %14.4f %9s %12.4f  %-22s %s\n", $1, $2, $3, $4, ratio, over, $6, $7
  }
  BEGIN {
    printf "%-56s %4s %14s %14s %9s %12s  %-22s %s\n", "figure", "unit", "floor", "measured", "ratio", "overhead", "target", "met"
  }' "$csv"
cat "$out/machine.txt"
echo "results: $csv"

# Every row has the header's seven fields, and every target was met.
if ! awk -F, 'NR > 1 && NF != 7 { bad = 1; print "perf: malformed row: " $0 > "/dev/stderr" }
              END { exit bad }' "$csv"; then
  exit 1
fi
missed=$(awk -F, 'NR > 1 && $7 == "NO" { n++ } END { print n + 0 }' "$csv")
if [ "$missed" -gt 0 ]; then
  echo "perf: $missed figure(s) missed their target" >&2
  exit 1
fi

#!/usr/bin/env bash
# Whole-process benchmark of delvaro-cli against the cost of moving its bytes.
#
# Generates a realistic SKI file (200,000 baselines, about 64 MB, fixed seed),
# converts it once to get the expected output, then times, alternately and
# several times over:
#   floor:       cat input.asc expected.txt > sink
#   conversion:  delvaro-cli -q -o output.txt input.asc
# and prints the medians, their ratio and the conversion's peak resident
# memory (GNU time). Every run's output is compared with the expected one.
#
# Usage: bench/run.sh [-b BUILD_DIR] [-n RUNS] [-c BASELINES] [-d DATA_DIR]
#   -b  build folder holding bin/delvaro-cli (default: build)
#   -n  timed runs of each command (default: 7)
#   -c  baselines in the generated file (default: 200000)
#   -d  folder for the generated files (default: BUILD_DIR/bench-data)
# Exit status: 0 when every conversion succeeded with the expected bytes,
# 1 otherwise, 2 on wrong usage, 77 when a needed tool is missing. Timings
# never decide the exit status.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=build
runs=7
baselines=200000
data=
seed=1
while getopts "b:n:c:d:h" option; do
    case $option in
        b) build=$OPTARG ;;
        n) runs=$OPTARG ;;
        c) baselines=$OPTARG ;;
        d) data=$OPTARG ;;
        h) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
        *) exit 2 ;;
    esac
done
[[ $runs =~ ^[1-9][0-9]*$ && $baselines =~ ^[1-9][0-9]*$ ]] || {
    echo "run.sh: -n and -c take positive numbers" >&2
    exit 2
}
cli=$(cd "$build" && pwd)/bin/delvaro-cli
data=${data:-$build/bench-data}
[ -x "$cli" ] || { echo "run.sh: no $cli; build first" >&2; exit 1; }
for tool in python3 /usr/bin/time cmp awk; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is needed" >&2; exit 77; }
done
[[ $(/usr/bin/time -v true 2>&1) == *"Maximum resident"* ]] || {
    echo "run.sh: /usr/bin/time is not GNU time (Debian package 'time')" >&2
    exit 77
}

mkdir -p "$data"
cd "$data"
input=bench.asc
stamp="$baselines $seed $(cksum <"$here/gen_ski.py")"
if [ ! -f "$input" ] || [ "$(cat input.stamp 2>/dev/null)" != "$stamp" ]; then
    echo "Generating $baselines baselines into $(pwd)/$input"
    python3 "$here/gen_ski.py" "$input" "$baselines" "$seed"
    echo "$stamp" >input.stamp
fi

# The first conversion gives the expected output and warms the caches.
"$cli" -q -o expected.txt "$input"
rm -f output.txt sink

now() { echo "${EPOCHREALTIME/,/.}"; }
floor_times=()
conversion_times=()
peak_kib=0
for ((run = 1; run <= runs; run++)); do
    start=$(now)
    /usr/bin/time -v -o cat.time sh -c 'cat "$1" expected.txt >sink' sh "$input"
    floor_times+=("$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')")

    start=$(now)
    /usr/bin/time -v -o cli.time "$cli" -q -o output.txt "$input"
    conversion_times+=("$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')")

    kib=$(awk -F': ' '/Maximum resident/ { print $2 }' cli.time)
    ((kib > peak_kib)) && peak_kib=$kib
    cmp -s output.txt expected.txt || { echo "run.sh: run $run gave different output" >&2; exit 1; }
done
rm -f output.txt sink cat.time cli.time

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
floor=$(median "${floor_times[@]}")
conversion=$(median "${conversion_times[@]}")
input_bytes=$(wc -c <"$input")
output_bytes=$(wc -c <expected.txt)

awk -v n="$runs" -v b="$baselines" -v ib="$input_bytes" -v ob="$output_bytes" \
    -v f="$floor" -v c="$conversion" -v k="$peak_kib" -v cores="$(nproc)" 'BEGIN {
    printf "input           %d baselines, %.1f MB in, %.1f MB out\n", b, ib / 1e6, ob / 1e6
    printf "runs            %d of each, medians below (%d cores)\n", n, cores
    printf "floor (cat)     %.3f s\n", f
    printf "conversion      %.3f s  (%.0f MB/s of input)\n", c, ib / 1e6 / c
    printf "ratio           %.2f x the floor  (target: 5.0 or less)\n", c / f
    printf "peak memory     %.1f MiB  (target: under 16 MiB)\n", k / 1024
}'

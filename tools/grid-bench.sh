#!/bin/sh
# Times the risk grid of a book of 100 options as a whole process: gamma for
# levels 50 to 150 in steps of 1 against volatilities 10% to 60% in steps of
# 0.5% (10201 cells, about 3.1 million tree prices), on every core and on one.
# Prints each run's wall seconds, the medians and their ratio.
#
#   tools/grid-bench.sh [RUNS]        (default 3; QUORVA=path/to/quorva)
set -eu

runs="${1:-3}"
root="$(cd "$(dirname "$0")/.." && pwd)"
quorva="${QUORVA:-$root/build/quorva}"
if [ ! -x "$quorva" ]; then
    echo "no program at $quorva: run make build, or set QUORVA" >&2
    exit 1
fi
case "$runs" in
    ''|*[!0-9]*|0) echo "RUNS must be a positive whole number" >&2; exit 1 ;;
esac
command -v taskset > /dev/null || { echo "taskset (util-linux) is needed for the one-core runs" >&2; exit 1; }

script="$(mktemp)"
times="$(mktemp)"
trap 'rm -f "$script" "$times"' EXIT

{
    echo "set date 5mar09"
    echo "set time 14:30"
    i=0
    while [ "$i" -lt 100 ]; do
        strike=$((60 + i))
        case $((i % 4)) in
            0) echo "add ${strike}C 20jun09" ;;
            1) echo "add -1 ${strike}P 20jun09" ;;
            2) echo "add ${strike}C 18dec09" ;;
            3) echo "add +2 ${strike}P 18dec09" ;;
        esac
        i=$((i + 1))
    done
    echo "for level 50 to 150 step 1, vol 10 to 60 step 0.5: gamma"
} > "$script"

# Runs the script RUNS times under the given prefix and prints the median.
median() {
    : > "$times"
    i=0
    while [ "$i" -lt "$runs" ]; do
        start="$(date +%s.%N)"
        "$@" "$quorva" "$script" > /dev/null
        end="$(date +%s.%N)"
        echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }' >> "$times"
        i=$((i + 1))
    done
    sort -n "$times" | awk '{ t[NR] = $1 } END { print (NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2) }'
}

cores="$(median env)"
one="$(median taskset -c 0)"
echo "every core ($(nproc)): $cores s"
echo "one core: $one s"
echo "$one $cores" | awk '{ printf "one core / every core: %.2f\n", $1 / $2 }'

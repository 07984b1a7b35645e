#!/bin/sh
# Times the risk grid of a book of 100 options as a whole process: gamma for
# levels 50 to 150 in steps of 1 against volatilities 10% to 60% in steps of
# 0.5% (10201 cells, about 3.1 million tree prices), on every core and on one.
# Prints each run's wall seconds, the medians and their ratio.
#
#   tools/grid-bench.sh [RUNS]        (default 3; QUORVA=path/to/quorva)
set -eu

. "$(dirname "$0")/timing.sh" 3 "$@"
command -v taskset > /dev/null || { echo "taskset (util-linux) is needed for the one-core runs" >&2; exit 1; }

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
    echo "exit"
} > "$script"

cores="$(time_runs env)"
one="$(time_runs taskset -c 0)"
echo "every core ($(nproc)): $cores s"
echo "one core: $one s"
echo "$one $cores" | awk '{ printf "one core / every core: %.2f\n", $1 / $2 }'

#!/bin/sh
# Times a whole console session as a process: the clock pinned, twenty
# positions, and a what-if table of gamma for levels 50 to 150 in steps of
# 0.1. Prints each run's seconds and their median.
#
#   tools/session-bench.sh [RUNS]        (default 5; QUORVA=path/to/quorva)
set -eu

. "$(dirname "$0")/timing.sh" 5 "$@"

{
    echo "set date 5mar09"
    echo "set time 14:30"
    i=0
    while [ "$i" -lt 20 ]; do
        strike=$((81 + 2 * i))
        if [ $((i % 2)) -eq 0 ]; then code=C; else code=P; fi
        if [ $((i % 4)) -lt 2 ]; then expiry=20jun09; else expiry=18dec09; fi
        echo "add $strike$code $expiry"
        i=$((i + 1))
    done
    echo "for level 50 to 150 step 0.1: gamma"
    echo "exit"
} > "$script"

echo "median of $runs runs: $(time_runs env) s"

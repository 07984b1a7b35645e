#!/bin/sh
# Times a whole console session as a process: the clock pinned, twenty
# positions, and a what-if table of gamma for levels 50 to 150 in steps of
# 0.1. Prints each run's seconds and their median.
#
#   tools/session-bench.sh [RUNS]        (default 5; QUORVA=path/to/quorva)
set -eu

runs="${1:-5}"
root="$(cd "$(dirname "$0")/.." && pwd)"
quorva="${QUORVA:-$root/build/quorva}"
if [ ! -x "$quorva" ]; then
    echo "no program at $quorva: run make build, or set QUORVA" >&2
    exit 1
fi
case "$runs" in
    ''|*[!0-9]*|0) echo "RUNS must be a positive whole number" >&2; exit 1 ;;
esac

script="$(mktemp)"
times="$(mktemp)"
trap 'rm -f "$script" "$times"' EXIT

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

i=0
while [ "$i" -lt "$runs" ]; do
    start="$(date +%s.%N)"
    "$quorva" < "$script" > /dev/null
    end="$(date +%s.%N)"
    seconds="$(echo "$start $end" | awk '{ printf "%.3f", $2 - $1 }')"
    echo "run $((i + 1)): $seconds s"
    echo "$seconds" >> "$times"
    i=$((i + 1))
done

sort -n "$times" | awk '{ t[NR] = $1 }
    END { m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2;
          printf "median of %d runs: %.3f s\n", NR, m }'

# Shared by the timing scripts, which source it: checks RUNS and the program,
# and times a script run by the program.
#
#   . tools/timing.sh DEFAULT_RUNS "$@"    sets runs, quorva, script, times

runs="${2:-$1}"
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

# Runs the program on the script RUNS times, with any command before it (such
# as taskset -c 0), printing each run's seconds; then prints their median.
time_runs() {
    : > "$times"
    i=0
    while [ "$i" -lt "$runs" ]; do
        start="$(date +%s.%N)"
        "$@" "$quorva" < "$script" > /dev/null
        end="$(date +%s.%N)"
        seconds="$(echo "$start $end" | awk '{ printf "%.3f", $2 - $1 }')"
        echo "run $((i + 1)): $seconds s" >&2
        echo "$seconds" >> "$times"
        i=$((i + 1))
    done
    sort -n "$times" | awk '{ t[NR] = $1 }
        END { printf "%.3f\n", NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}

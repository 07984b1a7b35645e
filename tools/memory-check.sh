#!/usr/bin/env bash
# Checks that the console's heap does not grow with the length of a session:
# runs build/quorva under valgrind's massif on a session of 1000 and one of
# 10000 mixed commands (the portfolio stays small), prints both peaks, and
# fails when the longer one's exceeds the shorter one's by more than 10%.
#
#   tools/memory-check.sh [BINARY]     (default: build/quorva, built if missing)
set -euo pipefail
cd "$(dirname "$0")/.."

binary="${1:-build/quorva}"
tolerance_percent=10

if [ ! -x "$binary" ]; then make build; fi
if ! command -v valgrind > /dev/null; then
  if [ "$(id -u)" != 0 ]; then echo "valgrind is missing; install: valgrind"; exit 1; fi
  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y valgrind
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Ten commands per round, of every kind: positions are added and removed
# again, so only the number of commands differs between the two sessions.
session() {
  local commands=$1
  echo "set date 5mar09"
  echo "set time 14:30"
  for ((i = 0; i < commands / 10; i++)); do
    echo "add 100C 20jun09"
    echo "add -2 $((90 + i % 20))P 20jun09 @16:30"
    echo "list"
    echo "set vol $((15 + i % 10))"
    echo "market"
    echo "foo $i"
    if ((i % 10 == 0)); then echo "for level 90 to 110 step 10: price[1]"; else echo "price[1]"; fi
    if ((i % 10 == 5)); then echo "implvol [1] 5"; else echo "help set"; fi
    echo "del 2"
    echo "del 1"
  done
  echo "exit"
}

# The largest heap in use at any snapshot, in bytes.
peak_heap() {
  local commands=$1
  session "$commands" > "$work/session-$commands.txt"
  env -u GNUPLOT_ROOT valgrind --tool=massif --massif-out-file="$work/massif-$commands.out" \
    "$binary" < "$work/session-$commands.txt" > /dev/null 2> "$work/valgrind-$commands.log"
  awk -F= '/^mem_heap_B=/ { heap = $2 } /^mem_heap_extra_B=/ { if (heap + $2 > peak) peak = heap + $2 }
           END { print peak + 0 }' "$work/massif-$commands.out"
}

short=$(peak_heap 1000)
long=$(peak_heap 10000)
echo "peak heap, 1000 commands:  $short bytes"
echo "peak heap, 10000 commands: $long bytes"
if [ "$short" -le 0 ]; then echo "FAIL: no heap measured"; exit 1; fi
if [ $((long * 100)) -gt $((short * (100 + tolerance_percent))) ]; then
  echo "FAIL: the heap grows with the number of commands"
  exit 1
fi
echo "OK: the heap does not grow with the number of commands"

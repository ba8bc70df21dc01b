#!/usr/bin/env bash
# Fuzzes the rules reader with libFuzzer (clang) for the given number of seconds
# (default 60). The corpus grows in build/fuzz/corpus and starts from the small
# rules files in fuzz/seeds and the bundled Velmor rules. Exits non-zero when the
# fuzzer finds a crash, a sanitizer report or a broken round trip; the failing
# input is left in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target rules_fuzzer

corpus=build/fuzz/corpus
mkdir -p "$corpus"
cp -n fuzz/seeds/*.rul tarvo.rul "$corpus"/ 2>/dev/null || true
echo "== fuzzing the rules reader for ${seconds}s"
cd build/fuzz
status=0
./fuzz/rules_fuzzer -max_total_time="$seconds" -max_len=16384 -timeout=10 \
  -print_final_stats=1 corpus >fuzz.log 2>&1 || status=$?
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|new_units_added)' fuzz.log || true
if [ "$status" -ne 0 ]; then
  tail -n 40 fuzz.log
  echo "The fuzzer failed (status $status); see build/fuzz/fuzz.log." >&2
fi
exit "$status"

#!/usr/bin/env bash
# Fuzzes the file readers with libFuzzer (clang): the rules reader, then the
# character sheet reader, each for the given number of seconds (default 60, so
# the whole run takes twice that). The corpora grow in build/fuzz/corpus (from
# the small rules files in fuzz/seeds and the bundled Velmor rules) and in
# build/fuzz/sheet-corpus (from the real sheets in fuzz/sheet-seeds). Exits
# non-zero when a fuzzer finds a crash, a sanitizer report or a broken round
# trip; the failing input is left in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target rules_fuzzer sheet_fuzzer

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

# The sheet reader, against the bundled rules and tests/character/data/odd.rul.
mkdir -p sheet-corpus
cp -n ../../fuzz/sheet-seeds/*.pg sheet-corpus/ 2>/dev/null || true
echo "== fuzzing the sheet reader for ${seconds}s"
sheet_status=0
./fuzz/sheet_fuzzer -max_total_time="$seconds" -max_len=8192 -timeout=10 \
  -dict=../../fuzz/sheet.dict -print_final_stats=1 sheet-corpus >sheet-fuzz.log 2>&1 ||
  sheet_status=$?
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|new_units_added)' \
  sheet-fuzz.log || true
if [ "$sheet_status" -ne 0 ]; then
  tail -n 40 sheet-fuzz.log
  echo "The sheet fuzzer failed (status $sheet_status); see build/fuzz/sheet-fuzz.log." >&2
  [ "$status" -ne 0 ] || status=$sheet_status
fi
exit "$status"

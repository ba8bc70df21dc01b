#!/usr/bin/env bash
# How much of the file readers the fuzz corpora reach: builds the fuzz targets
# with source coverage in build/fuzz-coverage, replays every input of
# build/fuzz/corpus and build/fuzz/sheet-corpus (grown by scripts/fuzz.sh) once,
# and prints the line, function and branch coverage of rules/ and of the sheet
# reader.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh llvm
corpus=build/fuzz/corpus
if [ ! -d "$corpus" ]; then
  echo "No corpus yet: run scripts/fuzz.sh first." >&2
  exit 2
fi
cmake --preset fuzz -B build/fuzz-coverage -DTARVO_FUZZ_COVERAGE=ON >/dev/null
cmake --build build/fuzz-coverage --target rules_fuzzer sheet_fuzzer

cd build/fuzz-coverage
rm -f ./*.profraw
LLVM_PROFILE_FILE=rules.profraw ./fuzz/rules_fuzzer -runs=0 ../../"$corpus" >replay.log 2>&1
echo "== $(grep -Eo 'INITED.*' replay.log | head -n 1)"
llvm-profdata merge -sparse rules.profraw -o rules.profdata
llvm-cov report ./fuzz/rules_fuzzer -instr-profile=rules.profdata ../../rules/

sheets=../fuzz/sheet-corpus
if [ -d "$sheets" ]; then
  LLVM_PROFILE_FILE=sheet.profraw ./fuzz/sheet_fuzzer -runs=0 "$sheets" >sheet-replay.log 2>&1
  echo "== sheets: $(grep -Eo 'INITED.*' sheet-replay.log | head -n 1)"
  llvm-profdata merge -sparse sheet.profraw -o sheet.profdata
  llvm-cov report ./fuzz/sheet_fuzzer -instr-profile=sheet.profdata \
    ../../character/SheetReader.cpp
else
  echo "No sheet corpus yet: scripts/fuzz.sh grows it."
fi

#!/usr/bin/env bash
# Builds TARVO and runs every test: first a debug build, then the same suite
# built with AddressSanitizer and UndefinedBehaviorSanitizer, then a short fuzz
# run of the rules reader (TARVO_FUZZ_SECONDS, default 60; 0 skips it).
# Installs the Debian packages it needs when they are missing; safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

for preset in debug sanitize; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" --timeout 300
done

fuzz_seconds=${TARVO_FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
  scripts/fuzz.sh "$fuzz_seconds"
fi

#!/usr/bin/env bash
# Builds TARVO and runs every test: first a debug build, then the same suite
# built with AddressSanitizer and UndefinedBehaviorSanitizer, then built
# optimised (the release preset, with the benchmarks: an optimising compiler
# warns where a debug build does not), then the web edition (the WebAssembly
# build against the native one under Node, and the page in Chromium), then the
# Debian package (scripts/package.sh: built, checked by lintian,
# desktop-file-validate and appstreamcli) with the program it installs
# (tests/package), then a short fuzz run of the rules and sheet readers
# (TARVO_FUZZ_SECONDS each, default 60; 0 skips it).
# Every preset is built whole, the fuzz one with clang too, warnings as errors
# (TARVO_WERROR).
# Installs the Debian packages it needs when they are missing; safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

for preset in debug sanitize release; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset" -DTARVO_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" --timeout 300
done

echo "== fuzz: configure, build"
cmake --preset fuzz -DTARVO_WERROR=ON >/dev/null
cmake --build --preset fuzz

# The web edition: the WebAssembly build against the native one under Node,
# and the page in Chromium (scripts/web.sh --test).
scripts/web.sh --test

echo "== package: build, validate, run the installed program"
scripts/package.sh | tee build/package.out
tests/package/check-installed.sh "$(tail -n 1 build/package.out)"

fuzz_seconds=${TARVO_FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
  scripts/fuzz.sh "$fuzz_seconds"
fi

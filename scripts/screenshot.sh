#!/usr/bin/env bash
# Draws docs/screenshot.png: the generator's form on the bundled Velmor rules,
# from the real widgets on Qt's offscreen platform, so no display is needed.
# The dice follow a fixed series, so the picture is the same on every run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tarvo_screenshot
mkdir -p docs
QT_QPA_PLATFORM=offscreen build/release/ui/tarvo_screenshot tarvo.rul docs/screenshot.png
echo "Scritto docs/screenshot.png"

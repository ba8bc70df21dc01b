#!/usr/bin/env bash
# Draws docs/sheet.png: the printable sheet of the character in the form's
# screenshot. The form saves it as a PDF through its own save command on Qt's
# offscreen platform (no display needed); pdftoppm (poppler-utils) turns the
# page into a picture. The dice follow a fixed series, so the picture is the
# same on every run. Then docs/gruppo.png: the first page of the group sheet
# of a band of six that tarvo-genera makes from a fixed seed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tarvo_screenshot tarvo-genera
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
QT_QPA_PLATFORM=offscreen build/release/ui/tarvo_screenshot tarvo.rul "$folder/form.png" \
  "$folder/scheda.pdf"
mkdir -p docs
pdftoppm -png -r 90 -singlefile "$folder/scheda.pdf" docs/sheet
echo "Scritto docs/sheet.png"
build/release/genera/tarvo-genera --regole tarvo.rul --seme 20261208 --numero 6 --stdout \
  --gruppo "$folder/gruppo.pdf" >/dev/null
pdftoppm -png -r 90 -f 1 -singlefile "$folder/gruppo.pdf" docs/gruppo
echo "Scritto docs/gruppo.png"

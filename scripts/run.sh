#!/usr/bin/env bash
# Builds TARVO and opens the generator on the bundled Velmor rules (tarvo.rul
# at the top of the repository). Installs the Debian packages it needs when
# they are missing (through sudo when not run as root); safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

# The generator is a window: without a screen there is nothing to open it on.
# Qt's offscreen and minimal platforms draw nowhere a person could see.
case "${QT_QPA_PLATFORM:-}" in
  offscreen* | minimal*) unset QT_QPA_PLATFORM ;;
esac
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MESSAGE'
Nessuno schermo: il generatore è una finestra, ma qui non c'è un display
(DISPLAY e WAYLAND_DISPLAY non sono impostati).
Per andare avanti:
  - avvia scripts/run.sh da una sessione grafica, oppure
  - usa uno schermo virtuale: installa il pacchetto xvfb (apt-get install xvfb,
    con sudo se non sei root) e lancia xvfb-run -a scripts/run.sh
  - per vedere soltanto il modulo: scripts/screenshot.sh scrive docs/screenshot.png
MESSAGE
  exit 2
fi

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tarvo
# tarvo reads tarvo.rul from the folder it starts in.
exec build/release/ui/tarvo

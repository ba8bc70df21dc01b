#!/usr/bin/env bash
# Starts the generator on a real X server (Xvfb) and reads its window the way
# a window manager does: the form must be a normal application window of its
# own (no transient owner, not modal), with the close button only, the icon
# and the class "tarvo".
# Usage: window-properties.sh TARVO_EXECUTABLE RULES_FILE
set -euo pipefail
tarvo=$(realpath "$1")
rules=$(realpath "$2")
title="Generatore personaggi per Velmor"

for tool in Xvfb xprop xwininfo; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SALTATO: manca $tool (pacchetti xvfb e x11-utils); nessun server X da provare" >&2
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid=""
tarvo_pid=""
cleanup() {
  [ -n "$tarvo_pid" ] && kill "$tarvo_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FALLITO: $*" >&2
  exit 1
}

# shellcheck source=tests/x11/xvfb.sh
. "$(dirname "$0")/xvfb.sh"
if ! start_xvfb "$work"; then
  cat "$work/xvfb.log" >&2
  echo "SALTATO: Xvfb non si avvia" >&2
  exit 77
fi
xvfb_pid=$XVFB_PID
export DISPLAY=$XVFB_DISPLAY

mkdir "$work/home" "$work/run"
cp "$rules" "$work/run/tarvo.rul"
(cd "$work/run" && HOME="$work/home" XDG_DATA_HOME="$work/home/data" QT_QPA_PLATFORM=xcb \
  exec "$tarvo" >"$work/tarvo.log" 2>&1) &
tarvo_pid=$!

window=""
for _ in $(seq 200); do
  window=$(xwininfo -name "$title" 2>/dev/null | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p' || true)
  [ -n "$window" ] && break
  kill -0 "$tarvo_pid" 2>/dev/null || { cat "$work/tarvo.log" >&2; fail "tarvo ended before its window showed"; }
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled \"$title\""
# Qt sets the properties before it maps the window; wait until it is mapped.
for _ in $(seq 100); do
  xwininfo -id "$window" | grep -q 'Map State: IsViewable' && break
  sleep 0.1
done

property() { xprop -id "$window" "$1"; }

wm_class=$(property WM_CLASS)
[ "$wm_class" = 'WM_CLASS(STRING) = "tarvo", "tarvo"' ] || fail "$wm_class"

transient=$(property WM_TRANSIENT_FOR)
case "$transient" in *"not found"*) ;; *) fail "transient: $transient" ;; esac

type=$(property _NET_WM_WINDOW_TYPE)
[ "$type" = '_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_NORMAL' ] || fail "$type"

state=$(property _NET_WM_STATE)
case "$state" in *MODAL*) fail "modal: $state" ;; esac

icon=$(property _NET_WM_ICON)
case "$icon" in *"not found"*) fail "no icon" ;; esac

# Motif hints: flags, functions, decorations. Close is offered; minimise and
# maximise are not, neither as functions nor as title bar buttons.
read -r flags functions decorations _ < <(property _MOTIF_WM_HINTS | sed 's/.*= //; s/,/ /g')
(( flags & 1 )) || fail "no functions given: flags $flags"
(( flags & 2 )) || fail "no decorations given: flags $flags"
if (( functions & 1 )); then
  # "All functions but the listed ones".
  (( functions & 0x20 )) && fail "close removed: functions $functions"
  (( (functions & 0x18) == 0x18 )) || fail "minimise or maximise offered: functions $functions"
else
  (( functions & 0x20 )) || fail "close not offered: functions $functions"
  (( functions & 0x18 )) && fail "minimise or maximise offered: functions $functions"
fi
(( decorations & 0x60 )) && fail "minimise or maximise button: decorations $decorations"

# A fixed size, as the form has no room to grow.
hints=$(property WM_NORMAL_HINTS)
minimum=$(sed -n 's/.*minimum size: \(.*\)/\1/p' <<<"$hints")
maximum=$(sed -n 's/.*maximum size: \(.*\)/\1/p' <<<"$hints")
[ -n "$minimum" ] && [ "$minimum" = "$maximum" ] || fail "size not fixed: $hints"

echo "OK: $wm_class; $type; no transient owner, not modal; icon; fixed size $minimum"

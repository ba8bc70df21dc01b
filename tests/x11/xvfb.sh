# Sourced by the tests that need a real X server.
#
# start_xvfb FOLDER: starts Xvfb on a display it picks itself, keeping its
# log in FOLDER, and sets XVFB_PID and XVFB_DISPLAY (":n"). Returns 1, the
# server stopped and its log in FOLDER/xvfb.log, when it does not start.
# -noreset: a client connecting and leaving (a window lister, say) must not
# reset the server while the program under test connects.
start_xvfb() {
  local folder=$1
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 \
    3>"$folder/display" 2>"$folder/xvfb.log" &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$folder/display" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$folder/display" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    return 1
  fi
  XVFB_DISPLAY=":$(head -n 1 "$folder/display")"
}

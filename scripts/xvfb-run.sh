# Sourced by the scripts: start_xvfb starts a private virtual X server on a
# free display and exports DISPLAY for it; stop_xvfb ends it. An existing
# display is never touched.

XVFB_PID=""

start_xvfb() {
  local fifo displayno
  fifo=$(mktemp -u /tmp/corvane-xvfb.XXXXXX)
  mkfifo "$fifo"
  # -displayfd lets the server pick a free display number and tell us which.
  # -noreset: a server that resets when its last client leaves refuses the
  # next test that connects meanwhile.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  if ! read -r -t 30 displayno <"$fifo"; then
    rm -f "$fifo"
    echo "could not start Xvfb" >&2
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=":$displayno"
  export LIBGL_ALWAYS_SOFTWARE=1
}

stop_xvfb() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

# Sourced by the scripts that run the sandbox on a private X display: the
# keyboard test and the screenshot. Wine's settings come from the environment.
#
#   startDisplay DIR [XVFB_OPTION...]   Xvfb on a free display, 800x600; sets DISPLAY
#   startSandbox DIR WINE SANDBOX [ARG...]
#                                       the sandbox in a Wine virtual desktop (which
#                                       gives its window the keyboard focus), once its
#                                       window is up; its output in DIR/sandbox.log
#   waitForExit                         until the sandbox has closed; fails after 30 s
#   stopAll                             ends what is still running (on exit too)
xvfbPid=""
winePid=""

stopAll() {
  [ -z "$winePid" ] || kill "$winePid" 2>/dev/null || true
  [ -z "$xvfbPid" ] || kill "$xvfbPid" 2>/dev/null || true
  winePid="" xvfbPid=""
}
trap stopAll EXIT

startDisplay() {
  local dir=$1
  shift
  for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: install xvfb and xdotool" >&2; return 1; }
  done
  rm -f "$dir/display"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp "$@" 3>"$dir/display" 2>"$dir/xvfb.log" &
  xvfbPid=$!
  for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
  [ -s "$dir/display" ] || { echo "Xvfb did not start:" >&2; cat "$dir/xvfb.log" >&2; return 1; }
  export DISPLAY=":$(cat "$dir/display")"
}

startSandbox() {
  local dir=$1 wine=$2
  shift 2
  "$wine" explorer /desktop=keyrelay-sandbox,800x600 "$@" >"$dir/sandbox.log" 2>&1 &
  winePid=$!
  if ! timeout 60 xdotool search --sync --name '^keyrelay sandbox$' >/dev/null; then
    echo "no sandbox window within 60 s:" >&2
    cat "$dir/sandbox.log" >&2
    return 1
  fi
  sleep 0.5  # its first frames
}

waitForExit() {
  for _ in $(seq 300); do kill -0 "$winePid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$winePid" 2>/dev/null; then
    echo "the sandbox did not close" >&2
    return 1
  fi
  winePid=""
}

# Sourced by the scripts that run the sandbox: sandbox.sh on this display; the
# keyboard test, the error test and the screenshot on a private X display. Wine's
# settings (WINEPREFIX...) come from the environment.
#
#   prepareSandboxPrefix WINE SANDBOX   readies the prefix for the sandbox (below)
#   mapToDesktop WINE PROGRAM DESKTOP   puts PROGRAM (a file name, such as start.exe)
#                                       in the 800x600 virtual desktop DESKTOP
#   startDisplay DIR [XVFB_OPTION...]   Xvfb on a free display, 800x600; sets DISPLAY
#   startSandbox DIR WINE SANDBOX [ARG...]
#                                       the sandbox in the background, once its
#                                       window is up; its output in DIR/sandbox.log
#   waitForExit [DESKTOP]               until the sandbox has closed, its exit status
#                                       then in sandboxStatus, and its desktop
#                                       (keyrelay-sandbox) too; fails after 30 s
#   waitForDesktop [DESKTOP]            until that virtual desktop has closed, which
#                                       Wine does soon after its last program ends
#   stopAll                             ends what is still running (on exit too)
xvfbPid=""
winePid=""
sandboxStatus=""

stopAll() {
  [ -z "$winePid" ] || kill "$winePid" 2>/dev/null || true
  [ -z "$xvfbPid" ] || kill "$xvfbPid" 2>/dev/null || true
  winePid="" xvfbPid=""
}
trap stopAll EXIT

# Whenever the program SANDBOX runs in the prefix, Wine puts it in a virtual
# desktop of its own, 800x600: its window gets the keyboard whatever the window
# manager, and as the sandbox is started by a plain `wine SANDBOX`, wine's exit
# status is the sandbox's. Wine's Marlett font, which draws the title bar's
# buttons (letters without it), is copied into the prefix's fonts: where Debian's
# fonts-wine puts it, this Wine does not find it.
prepareSandboxPrefix() {
  local wine=$1
  local fonts="${WINEPREFIX:-$HOME/.wine}/drive_c/windows/Fonts"
  local marlett=/usr/share/wine/fonts/marlett.ttf
  mapToDesktop "$wine" "$(basename "$2")" keyrelay-sandbox
  if [ -f "$marlett" ]; then
    mkdir -p "$fonts" && cp -f "$marlett" "$fonts/"
  else
    echo "$marlett is missing (Debian's fonts-wine): the title bar's buttons show as letters" >&2
  fi
}

# A program started by `wine` takes the desktop mapped to its own name, else the
# window station's "Default" desktop; a program it starts takes its desktop. A
# desktop's windows go to the display of the process that opened it first, for as
# long as it stays open, which its last program's end does not end at once: a
# desktop opened afresh by a test's program is on that test's display.
mapToDesktop() {
  local wine=$1 program=$2 desktop=$3
  "$wine" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\Explorer" /v Desktop \
    /d "$desktop" /f >/dev/null
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /d 800x600 /f >/dev/null
}

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
  "$wine" "$@" >"$dir/sandbox.log" 2>&1 &
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
  sandboxStatus=0
  wait "$winePid" || sandboxStatus=$?
  winePid=""
  waitForDesktop "$@"
}

# Gone before the display is: it would complain of the lost X connection.
waitForDesktop() {
  local desktop=${1:-keyrelay-sandbox}
  for _ in $(seq 100); do
    xdotool search --name "^$desktop - Wine desktop\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
}

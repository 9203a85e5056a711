#!/usr/bin/env bash
# errors_test.sh WINE SANDBOX MODULE OUT_DIR
# The sandbox's errors as a person meets them, run the way sandbox.sh runs it (a
# plain `wine SANDBOX` in a prefix readied by prepareSandboxPrefix) on a private
# Xvfb display: each wrong input must end it at once with its own status and a
# message on standard error that names what was wrong, and open no window. With
# no console to write to, the message shows in a message box instead.
# Wine's settings (WINEPREFIX...) come from the environment.
set -euo pipefail
wine=$1 sandbox=$2 module=$3 out=$4
. "$(dirname "$0")/../desktop.sh"
mkdir -p "$out"
startDisplay "$out"
prepareSandboxPrefix "$wine" "$sandbox"
# The no-console case below starts the sandbox from start.exe, whose desktop it
# takes. Left to Wine, that is the window station's "Default" desktop, which the
# run's wineserver keeps for every program of the run: mostly opened first by one
# with no display (Wine's own menu builder as the server starts), where a message
# box fails at once and shows nowhere; else opened by the box's own program, where
# the box has been seen off the screen, out of reach of the keyboard.
noConsoleDesktop=keyrelay-sandbox-no-console
mapToDesktop "$wine" start.exe "$noConsoleDesktop"

printf 'not a module\n' >"$out/text.asi"
mkdir -p "$out/folder.asi"
rm -rf "$out/no-such.asi" "$out/no-such-folder"
# A display no X server runs on: the first from :200 with no socket or lock.
noDisplay=200
while [ -e "/tmp/.X11-unix/X$noDisplay" ] || [ -e "/tmp/.X$noDisplay-lock" ]; do
  noDisplay=$((noDisplay + 1))
done

failed=0
# check WHAT STATUS MESSAGE_REGEX [ENV=VALUE...] -- ARG...
check() {
  local what=$1 status=$2 message=$3
  shift 3
  local environment=()
  while [ "$1" != "--" ]; do environment+=("$1"); shift; done
  shift
  local started code=0
  started=$(date +%s%N)
  env "${environment[@]}" timeout 60 "$wine" "$sandbox" "$@" >"$out/stdout" 2>"$out/stderr" ||
    code=$?
  local ms=$((($(date +%s%N) - started) / 1000000))
  local problem=""
  if [ "$code" -eq 124 ]; then
    problem="still running after 60 s"
  elif [ "$code" -ne "$status" ]; then
    problem="exit status $code, not $status"
  elif ! grep -Eq "$message" "$out/stderr"; then
    problem="no line matching: $message"
  elif [ -s "$out/stdout" ]; then
    problem="wrote to standard output"
  fi
  if [ -n "$problem" ]; then
    failed=1
    echo "FAIL $what: $problem; standard error:" >&2
    sed 's/^/     /' "$out/stderr" >&2
  else
    echo "ok   $what: status $code in $ms ms: $(head -1 "$out/stderr")"
  fi
}

check "an unknown option" 2 "^keyrelay-sandbox: unknown option '--bogus'$" -- --bogus
check "a frame time that is no number" 2 \
  "^keyrelay-sandbox: bad --frame 'abc' \(expected 1 to 10000, decimal or 0x hex\)$" -- --frame abc
check "a missing module" 1 \
  "^keyrelay-sandbox: cannot load .*no-such\.asi: error 126: .+" -- "$out/no-such.asi"
check "a text file as the module" 1 \
  "^keyrelay-sandbox: cannot load .*text\.asi: error 193: .+" -- "$out/text.asi"
check "a folder as the module" 1 \
  "^keyrelay-sandbox: .*folder\.asi is a folder, not a module$" -- "$out/folder.asi"
check "a system DLL, not the plugin" 1 \
  "^keyrelay-sandbox: .*version\.dll is not the plugin: it loaded, but registered neither a script nor a keystroke handler with the host$" \
  -- 'C:\windows\system32\version.dll'
check "a trace in a missing folder" 1 \
  "^keyrelay-sandbox: cannot write .*no-such-folder/x\.trace: No such file or directory$" \
  -- --trace "$out/no-such-folder/x.trace"
check "a display with no X server" 1 \
  "^keyrelay-sandbox: cannot open its window \(error [0-9]+\): the X display ':$noDisplay' cannot be opened" \
  "DISPLAY=:$noDisplay" -- "$module"

# Started with no console, as from Explorer (start.exe hands it no standard
# handles): the same error in a message box, which Return closes, in a desktop
# opened for it on this display.
started=$(date +%s%N)
"$wine" start /wait /unix "$sandbox" --bogus >"$out/stdout" 2>"$out/stderr" &
winePid=$!
if ! timeout 60 xdotool search --sync --name '^keyrelay sandbox$' >/dev/null; then
  if kill -0 "$winePid" 2>/dev/null; then
    echo "FAIL no console: no message box within 60 s" >&2
  else
    code=0
    wait "$winePid" || code=$?
    winePid=""
    echo "FAIL no console: no message box; the sandbox ended with status $code" >&2
  fi
  exit 1
fi
shown=$((($(date +%s%N) - started) / 1000000))
sleep 0.5
xdotool key Return
waitForExit "$noConsoleDesktop"
if [ "$sandboxStatus" -ne 2 ] || [ -s "$out/stderr" ]; then
  echo "FAIL no console: status $sandboxStatus, not 2, or a message on standard error:" >&2
  cat "$out/stderr" >&2
  failed=1
else
  echo "ok   no console: a message box in $shown ms, closed by Return; status 2"
fi
exit $failed

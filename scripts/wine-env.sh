# Wine's settings for every run of it here, and the life of a Wine prefix's one
# wineserver, in one place:
#   . scripts/wine-env.sh; keyrelay_wine_environment PREFIX
#         exports the settings; PREFIX is the Wine prefix (a relative one is taken
#         from the working folder)
#   keyrelay_wine_start [PID]
#         holds the prefix for as long as process PID (the caller's shell by
#         default) runs: joins the prefix's wineserver, or starts it and Wine's
#         services, making the prefix when it is new
#   bash scripts/wine-env.sh PREFIX --start    keyrelay_wine_start for the caller's
#                                              parent (CTest: the whole run)
#   bash scripts/wine-env.sh PREFIX --check    fails where the services have ended
#   bash scripts/wine-env.sh PREFIX COMMAND [ARG...]
#         runs COMMAND with the settings (how CTest runs a Wine test), after the
#         check; a COMMAND that fails has its status written to standard error,
#         with what the server and the services wrote
#
# What it promises, and the test that shows it:
# 1. The settings: the prefix; WINEDEBUG=-all, so that Wine's own channels stay
#    off standard error, which the tests compare; Mono and Gecko off, so that a
#    new prefix asks to install neither; no TMPDIR, whenever which Debian 13's
#    wineserver aborts at its start ("free(): invalid pointer"); and, when the
#    session gives none (root, CI), a private XDG_RUNTIME_DIR, without which
#    Wine 10 writes an error. Every wine.trace.* test compares standard error.
# 2. No Wine process holds a caller's output. A wine that finds no server starts
#    one, and Wine's services (services.exe, winedevice.exe, ...), which keep that
#    wine's standard streams for as long as they run: whoever reads them (CTest, a
#    pipe) would wait that long. So the server runs in a session of its own on
#    PREFIX.server.log, where it also says why it ended a client, and the
#    services are started once, by a wine on PREFIX.start.log; every later wine
#    finds both. (Each Wine test's TIMEOUT would catch a held test.)
# 3. A run never ends another run's Wine programs. Each run holds PREFIX.lock
#    shared for as long as it runs, and only the end of a run that then takes the
#    lock exclusively, which the kernel allows only when no other run holds it,
#    ends the server and its services (`wineserver -p` persists, and its
#    services keep it alive anyway); and only a server that a run of ours started
#    (PREFIX.ours), never one of the user's own in a prefix named by WINEPREFIX.
#    (wine.a_run_ends_no_other_runs_server)
# 4. A run killed whole leaves no Wine process of its prefix. Its hold is kept by
#    a process of its own that the kernel wakes at the run's end (a pidfd, never a
#    process id that may pass to another process) and that ends the server then,
#    as any run's end does. (the same test)
# 5. A run whose services have ended fails at once, saying so: a wine would
#    start them again on its own output and hold it as long as the server runs.
#    (wine.ended_services_fail_the_next_test_and_the_check)
keyrelay_wine_environment() {
  local prefix
  [ -n "${1:-}" ] && prefix=$(realpath -m -- "$1") ||
    { echo "wine-env.sh: no Wine prefix given" >&2; return 1; }
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset TMPDIR
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$prefix.runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
  fi
}

# Whether a process named like the pattern NAME runs for $WINEPREFIX: its
# environment names the prefix, under this process's root (a Debian root of
# scripts/in-debian.sh may have a prefix of the same path). A zombie has no
# environment left, so it does not count.
keyrelay_wine_runs() {
  local proc comm
  for proc in /proc/[0-9]*; do
    { read -r comm <"$proc/comm"; } 2>/dev/null || continue
    # shellcheck disable=SC2053
    [[ "$comm" == $1 ]] && [ "$proc/root" -ef /proc/self/root ] || continue
    { tr '\0' '\n' <"$proc/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

# MESSAGE on standard error, then the last lines of what the services and the
# server wrote.
keyrelay_wine_fail() {
  local log
  echo "wine-env.sh: $1" >&2
  for log in "$WINEPREFIX.start.log" "$WINEPREFIX.server.log"; do
    [ -s "$log" ] || continue
    echo "wine-env.sh: $log (Wine's services and the making of the prefix, then the server) ends:" >&2
    tail -n 20 "$log" >&2
  done
  return 1
}

keyrelay_wine_check() {
  keyrelay_wine_runs services.exe ||
    keyrelay_wine_fail "Wine's services for $WINEPREFIX do not run (they ended, or no run started them): a wine would start them on its own output, and hold it"
}

keyrelay_wine_start() {
  local pid=${1:-$$} use start tool status=0
  [ -n "${WINEPREFIX:-}" ] || { echo "wine-env.sh: WINEPREFIX is not set" >&2; return 1; }
  [ -d "/proc/$pid" ] || { echo "wine-env.sh: no process $pid to hold the prefix for" >&2; return 1; }
  for tool in wine wineserver python3; do
    command -v "$tool" >/dev/null || { echo "wine-env.sh: $tool is not on PATH" >&2; return 1; }
  done
  mkdir -p "$WINEPREFIX"
  # Shared: this waits only while an ended run's end is ending the server.
  exec {use}>>"$WINEPREFIX.lock"
  flock -s "$use"
  # One start at a time, on the prefix folder itself: `wineserver -p` exits 2
  # where a server runs already, and a second start of the services would race
  # the first.
  exec {start}<"$WINEPREFIX"
  flock -x "$start"
  # Every process below is started without the two locks: Wine's would keep them.
  setsid -w wineserver -p </dev/null >>"$WINEPREFIX.server.log" 2>&1 {use}>&- {start}<&- ||
    status=$?
  if [ "$status" = 0 ]; then
    # The first wine a server serves runs `wineboot --init` itself, which makes a
    # new prefix and starts the services (a second wineboot would start a second
    # services.exe, whose RpcSs a new desktop then waited for in vain).
    : >"$WINEPREFIX.ours"
    setsid -w wine cmd /c exit </dev/null >"$WINEPREFIX.start.log" 2>&1 {use}>&- {start}<&- &&
      keyrelay_wine_runs services.exe ||
      keyrelay_wine_fail "'wine cmd /c exit' failed, or started no services.exe, in $WINEPREFIX" ||
      status=1
  elif [ "$status" = 2 ]; then
    # Joined: its services must run.
    if keyrelay_wine_check; then status=0; fi
  else
    keyrelay_wine_fail "the wineserver for $WINEPREFIX did not start (status $status)" || :
  fi
  exec {start}<&-
  if [ "$status" != 0 ]; then
    flock -xn "$use" && rm "$WINEPREFIX.ours" 2>/dev/null && wineserver -k 2>/dev/null {use}>&-
    exec {use}>&-
    return 1
  fi
  # The hold, apart from the run from its start: it keeps the lock (the same
  # open file as `use`) until the kernel says process PID has ended, then ends
  # the server, if no other run holds the prefix and a run of ours started it.
  setsid -f bash -c 'python3 -c "import os, select, sys
select.select([os.pidfd_open(int(sys.argv[1]))], [], [])" "$0"
    flock -xn 9 && rm "$WINEPREFIX.ours" && wineserver -k && wineserver -w' "$pid" \
    9>&"$use" {use}>&- </dev/null >/dev/null 2>&1
  exec {use}>&-
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  if [ $# -lt 2 ]; then
    echo "usage: scripts/wine-env.sh PREFIX COMMAND [ARG...] | --start | --check" >&2
    exit 2
  fi
  keyrelay_wine_environment "$1"
  shift
  case "$1" in
    --start) keyrelay_wine_start "$PPID" ;;
    --check) keyrelay_wine_check ;;
    -*)
      echo "wine-env.sh: unknown option '$1' (expected --start, --check or a command)" >&2
      exit 2
      ;;
    *)
      keyrelay_wine_check || { echo "wine-env.sh: $1 not run" >&2 && exit 1; }
      status=0
      "$@" || status=$?
      [ "$status" = 0 ] || keyrelay_wine_fail "$1 exited with status $status" || :
      exit "$status"
      ;;
  esac
fi

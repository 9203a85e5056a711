# Wine's settings for every run of it here, and one wineserver for a run, in one
# place, so that a run does not depend on the caller's session:
#   . scripts/wine-env.sh; keyrelay_wine_environment PREFIX
#                                     exports the settings, PREFIX the Wine prefix
#                                     (a relative one is taken from the working folder)
#   keyrelay_wine_start [PID]         makes the prefix if it is new, then starts its
#                                     one wineserver and Wine's services (below);
#                                     they end with keyrelay_wine_stop, or at the
#                                     latest a second after process PID (the
#                                     caller's shell by default) has ended
#   keyrelay_wine_stop                ends that server and its services, and waits
#   bash scripts/wine-env.sh PREFIX COMMAND [ARG...]
#                                     runs COMMAND with the settings (how CTest runs
#                                     Wine); a COMMAND that fails has its exit status
#                                     written to standard error, and what Wine's
#                                     services and the server have written, if
#                                     anything (PREFIX.start.log, PREFIX.server.log);
#                                     fails at once, COMMAND unrun, where the run's
#                                     services have ended (below)
#   bash scripts/wine-env.sh PREFIX --start | --stop
#                                     keyrelay_wine_start for the process that runs
#                                     this (CTest: the run), or keyrelay_wine_stop,
#                                     which fails where the run's services have ended
# The settings: the prefix; WINEDEBUG=-all, so that Wine's own channels stay off
# standard error, which the tests compare; Mono and Gecko off (mscoree, mshtml),
# so that a new prefix asks to install neither; no TMPDIR (below); and, when the
# session gives none (root, CI), a private XDG_RUNTIME_DIR beside the prefix, mode
# 0700: without one Wine 10 writes an error to standard error.
#
# Why one server: a `wine` that finds no server starts one, and Wine's services
# with it (services.exe, winedevice.exe, plugplay.exe, rpcss.exe, ...), which
# inherit that wine's standard streams; whoever reads those streams (CTest, a
# pipe) then waits until the server ends its services, seconds after the program
# itself has ended. So the server is started persistent, in its own session and
# on /dev/null, and the services once by a wine on /dev/null: every later wine
# finds both running and holds its streams alone. A watcher, detached from its
# start, starts that server and ends it once the run it serves has ended, so that
# a run that is killed, even while it starts the server, leaves no Wine behind.
# The server's own output goes to PREFIX.server.log: it is where the server says
# why it ended a client, which then exits with status 1 and no word of its own.
#
# Should the services end while the server runs on, the next wine would start
# them again, on its own streams, and hold whoever reads them for as long as the
# server runs. So the start records the server and the services it started
# (PREFIX.run), and a test whose run's services have ended fails at once, saying
# so, instead of running; so does the stop, so that a run never passes over it.
keyrelay_wine_environment() {
  local prefix
  # Wine takes only an absolute prefix.
  [ -n "${1:-}" ] && prefix=$(realpath -m -- "$1") ||
    { echo "wine-env.sh: no Wine prefix given" >&2; return 1; }
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Debian's Wine finds a prefix's server in a folder of TMPDIR, and Debian 13's
  # wineserver (Wine 10) aborts at its start, "free(): invalid pointer", whenever
  # TMPDIR is set: every Wine program here looks in Wine's default, /tmp.
  unset TMPDIR
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$prefix.runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
  fi
}

# The wineserver beside the wine on PATH (Debian's wrapper, which picks the 64-bit one).
keyrelay_wineserver() {
  local wine
  wine=$(command -v wine) || { echo "wine-env.sh: wine is not on PATH" >&2; return 1; }
  if [ -x "$(dirname "$wine")/wineserver" ]; then
    echo "$(dirname "$wine")/wineserver"
  elif command -v wineserver >/dev/null; then
    command -v wineserver
  else
    echo "wine-env.sh: no wineserver beside $wine" >&2
    return 1
  fi
}

# The fields of process PID's stat line after its name, in the array stat (the
# state first, the start time twentieth); builtins alone, so that no fork can fail.
keyrelay_stat() {
  local line
  { read -r line <"/proc/$1/stat"; } 2>/dev/null || return 1
  read -ra stat <<<"${line##*) }"
}

# The start time of process PID, in clock ticks after boot: with the id it names
# that one process, where the id alone, once its process has ended, soon names
# another (ids wrap at pid_max, 32768 by default, within a busy minute).
keyrelay_start_time() {
  local stat
  keyrelay_stat "$1" && echo "${stat[19]}"
}

# Whether process PID runs (a zombie, which nobody may reap here, does not) and,
# given START, is still the process that started then.
keyrelay_running() {
  local stat
  keyrelay_stat "$1" && [ "${stat[0]}" != Z ] && { [ -z "${2:-}" ] || [ "${stat[19]}" = "$2" ]; }
}

# The ids of the processes whose name matches the pattern NAME, one a line.
keyrelay_pids_named() {
  local pid comm
  for pid in /proc/[0-9]*; do
    pid=${pid#/proc/}
    { read -r comm <"/proc/$pid/comm"; } 2>/dev/null || continue
    # shellcheck disable=SC2053
    [[ "$comm" != $1 ]] || echo "$pid"
  done
}

# Whether process PID holds a file or folder named NAME open.
keyrelay_holds_open() {
  [ -n "$(find "/proc/$1/fd" -maxdepth 1 -lname "*/$2" -print -quit 2>/dev/null)" ]
}

# The process id of the wineserver of $WINEPREFIX, if one runs: the one that
# holds the prefix's server folder, named after the prefix's device and inode,
# open. It does so from its start to its end; its working folder is no sign, as
# Wine 10's server works in the prefix itself while it reads the registry, after
# the `wineserver -p` that started it has returned.
keyrelay_wineserver_pid() {
  local id dir pid
  id=$(stat -c '%d %i' "$WINEPREFIX" 2>/dev/null) || return 1
  # shellcheck disable=SC2086
  dir=$(printf 'server-%x-%x' $id)
  for pid in $(keyrelay_pids_named 'wineserver*'); do
    keyrelay_holds_open "$pid" "$dir" || continue
    keyrelay_running "$pid" && echo "$pid" && return 0
  done
  return 1
}

# Where the server of $WINEPREFIX writes, from its start to its end.
keyrelay_wineserver_log() { echo "$WINEPREFIX.server.log"; }

# Where Wine's services of $WINEPREFIX, and a new prefix's making, write.
keyrelay_wine_start_log() { echo "$WINEPREFIX.start.log"; }

# What the services and the server of $WINEPREFIX have written, if anything, on
# standard error: the server says there why it ended a client, the services why
# they ended.
keyrelay_wine_show_logs() {
  local log
  log=$(keyrelay_wine_start_log)
  if [ -s "$log" ]; then
    echo "wine-env.sh: Wine's services, and the making of a new prefix, wrote, to $log:" >&2
    tail -n 20 "$log" >&2
  fi
  log=$(keyrelay_wineserver_log)
  if [ -s "$log" ]; then
    echo "wine-env.sh: the wineserver wrote, to $log:" >&2
    tail -n 20 "$log" >&2
  fi
}

# Where keyrelay_wine_start records the run's server and services, one line:
# SERVER_PID SERVER_START SERVICES_PID SERVICES_START (start times as in
# keyrelay_start_time).
keyrelay_wine_run_record() { echo "$WINEPREFIX.run"; }

# The process id of the services.exe of $WINEPREFIX, if one runs: the one whose
# environment names the prefix, under this process's root (a Debian root of
# scripts/in-debian.sh may have a prefix of the same path).
keyrelay_wine_services_pid() {
  local pid root
  root=$(stat -Lc '%d:%i' /proc/self/root) || return 1
  for pid in $(keyrelay_pids_named services.exe); do
    [ "$(stat -Lc '%d:%i' "/proc/$pid/root" 2>/dev/null)" = "$root" ] || continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    keyrelay_running "$pid" && echo "$pid" && return 0
  done
  return 1
}

# Whether the services the run's start started have ended while the server it
# started runs on; if so, says so on standard error. Where the record's server no
# longer runs, the record is an ended run's, and nothing is said.
keyrelay_wine_services_ended() {
  local record
  { read -ra record <"$(keyrelay_wine_run_record)"; } 2>/dev/null || return 1
  [ "${#record[@]}" -eq 4 ] && keyrelay_running "${record[0]}" "${record[1]}" || return 1
  ! keyrelay_running "${record[2]}" "${record[3]}" || return 1
  echo "wine-env.sh: Wine's services for $WINEPREFIX (services.exe, process ${record[2]})" \
    "ended while the run's wineserver (process ${record[0]}) ran on; the next wine starts" \
    "them again, and they hold its output for as long as the server runs" >&2
}

keyrelay_wine_start() {
  local watched=${1:-$$} watchedStart server pid log
  watchedStart=$(keyrelay_start_time "$watched") ||
    { echo "wine-env.sh: no process $watched to serve" >&2; return 1; }
  server=$(keyrelay_wineserver) || return 1
  [ -n "${WINEPREFIX:-}" ] || { echo "wine-env.sh: WINEPREFIX is not set" >&2; return 1; }
  mkdir -p "$WINEPREFIX"
  # A server left by another run of this prefix would refuse ours: it ends first.
  if keyrelay_wineserver_pid >/dev/null; then keyrelay_wine_stop; fi
  # The watcher starts the server and, once the run has ended, ends it and its
  # services, which a signal to the server alone would leave running; never a
  # later run's server. It knows the run and the server by id and start time, as
  # within its second of sleep either may end and its id pass to another process;
  # by the id alone it would take that process for its server, and end with
  # `wineserver -k` a later run's server of the prefix, and that run's Wine
  # programs with it, which exit with status 1 or 0 and no word, or hang. It is
  # apart from the run's processes from its start (setsid -f), so that a run
  # killed whole, even while this starts the server, leaves none behind. It
  # reports the server's process id, 0 if none started.
  local report="$WINEPREFIX.server-pid" reportFd serverLog="$(keyrelay_wineserver_log)"
  rm -f "$report" && mkfifo "$report" && exec {reportFd}<>"$report" ||
    { echo "wine-env.sh: cannot make the FIFO $report" >&2; return 1; }
  setsid -f bash -c "$(declare -f keyrelay_stat keyrelay_start_time keyrelay_running \
    keyrelay_pids_named keyrelay_holds_open keyrelay_wineserver_pid)"'
    exec 3<>"$4"
    # Returns once the server listens; the server itself stays.
    "$3" -p 3>&- >"$5" 2>&1 && pid=$(keyrelay_wineserver_pid) && started=$(keyrelay_start_time "$pid") ||
      pid=0
    echo "$pid" >&3
    exec 3>&-
    [ "$pid" != 0 ] || exit 0
    while keyrelay_running "$1" "$2" && keyrelay_running "$pid" "$started"; do sleep 1; done
    if keyrelay_running "$pid" "$started"; then "$3" -k; fi' \
    keyrelay-wine-watcher "$watched" "$watchedStart" "$server" "$report" "$serverLog" \
    </dev/null >/dev/null 2>&1 {reportFd}<&-
  pid=0
  read -r -t 30 -u "$reportFd" pid || true
  exec {reportFd}<&-
  rm -f "$report"
  if [ "$pid" = 0 ]; then
    echo "wine-env.sh: the wineserver for $WINEPREFIX did not start (in 30 s at the most)" >&2
    keyrelay_wine_show_logs
    return 1
  fi
  # The services, and a new prefix's making, write to a file, not to the caller's
  # streams: they hold what they are given for as long as they run. The first wine
  # a server serves runs `wineboot --init` itself, and waits for it: that makes a
  # new prefix and starts the services. A `wine wineboot --init` would run it a
  # second time, which starts a second services.exe beside the first one's
  # services: a program whose new desktop then asked for the RpcSs service waited
  # 3 to 10 s for it to fail to start.
  log=$(keyrelay_wine_start_log)
  local start=(wine cmd /c exit) services
  rm -f "$(keyrelay_wine_run_record)"
  if ! setsid -w "${start[@]}" </dev/null >"$log" 2>&1 ||
    ! services=$(keyrelay_wine_services_pid); then
    echo "wine-env.sh: '${start[*]}' failed, or started no services.exe, in $WINEPREFIX:" >&2
    cat "$log" >&2
    "$server" -k 2>/dev/null || true
    return 1
  fi
  echo "$pid $(keyrelay_start_time "$pid") $services $(keyrelay_start_time "$services")" \
    >"$(keyrelay_wine_run_record)"
}

keyrelay_wine_stop() {
  local server
  server=$(keyrelay_wineserver) || return 1
  "$server" -k 2>/dev/null || true
  "$server" -w
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  if [ $# -lt 2 ]; then
    echo "usage: scripts/wine-env.sh PREFIX COMMAND [ARG...] | --start | --stop" >&2
    exit 2
  fi
  keyrelay_wine_environment "$1"
  shift
  case "$1" in
    --start) keyrelay_wine_start "$PPID" ;;
    --stop)
      ended=0
      keyrelay_wine_services_ended && ended=1 && keyrelay_wine_show_logs
      keyrelay_wine_stop
      rm -f "$(keyrelay_wine_run_record)"
      exit "$ended"
      ;;
    -*)
      echo "wine-env.sh: unknown option '$1' (expected --start, --stop or a command)" >&2
      exit 2
      ;;
    *)
      if keyrelay_wine_services_ended; then
        echo "wine-env.sh: $1 not run" >&2
        keyrelay_wine_show_logs
        exit 1
      fi
      status=0
      "$@" || status=$?
      if [ "$status" -ne 0 ]; then
        echo "wine-env.sh: $1 exited with status $status" >&2
        keyrelay_wine_services_ended || true
        keyrelay_wine_show_logs
      fi
      exit "$status"
      ;;
  esac
fi

# Sourced by the tests of the run's Wine set-up (scripts/wine-env.sh), with it:
#   fakeWine WORK_DIR
# makes WORK_DIR/bin afresh with a Wine that runs no program, on PATH: the real
# wineserver, and a `wine` that only starts a stand-in services.exe (`sleep 600`,
# by that name), as a server's first wine starts Wine's services; then sets Wine's
# settings for the prefix WORK_DIR/prefix. The run's own server and services are
# not touched.
#   endServer     ends the prefix's server at once, if one runs
#   endServices   ends the prefix's stand-in services, if any run
fakeWine() {
  local work=$1
  # The prefix stays from run to run: Debian's Wine makes a folder in /tmp for each
  # new prefix's server, and names it in the prefix.
  rm -rf "$work/bin"
  mkdir -p "$work/bin"
  ln -s "$(keyrelay_wineserver)" "$work/bin/wineserver"
  ln -s "$(command -v sleep)" "$work/bin/services.exe"
  # As Wine's own, it returns once the services run.
  printf '#!/bin/sh\nsetsid %q 600 </dev/null >/dev/null 2>&1 &\n%s\n' "$work/bin/services.exe" \
    'until [ "$(cat /proc/$!/comm 2>/dev/null)" = services.exe ]; do kill -0 $! || exit 1; sleep 0.01; done' \
    >"$work/bin/wine"
  chmod +x "$work/bin/wine"
  export PATH="$work/bin:$PATH"
  # A caller's TMPDIR must not reach Wine (wine-env.sh).
  export TMPDIR="$work"
  keyrelay_wine_environment "$work/prefix"
}

# `wineserver -k` (keyrelay_wine_stop) gives the Wine programs it ends two seconds
# to go, and waits them out when there are none: a signal ends a server at once.
endServer() {
  local pid tries=200
  pid=$(keyrelay_wineserver_pid) || return 0
  kill -TERM "$pid"
  while keyrelay_running "$pid"; do
    ((--tries)) || { echo "FAIL the test's server $pid still runs 10 s after SIGTERM"; exit 1; }
    sleep 0.05
  done
}

endServices() {
  local pid
  while pid=$(keyrelay_wine_services_pid); do kill "$pid" && sleep 0.05; done
}

# Sourced by the tests of Wine's set-up: `. fake_wine.sh WORK_DIR` reads
# scripts/wine-env.sh, then puts first on PATH (WORK_DIR/bin) a Wine that runs no
# program: the real wineserver, and a `wine` that only starts a stand-in
# services.exe (`sleep 600`, by that name), as a server's first wine starts Wine's
# services; and sets Wine's settings for the prefix WORK_DIR/prefix. The prefix
# stays from run to run: Debian's Wine makes a folder in /tmp for each new
# prefix's server.
#   endServices   ends the prefix's stand-in services, if any run
fakeWine() {
  local work=$1
  rm -rf "$work/bin"
  mkdir -p "$work/bin"
  ln -s "$(command -v wineserver)" "$work/bin/wineserver"
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
  # An earlier run of the test may have left its server, which its hold could not
  # end while the next run held the prefix: ended once no run holds it.
  flock -x "$WINEPREFIX.lock" wineserver -k 2>/dev/null || true
}

endServices() {
  local tries=100
  pkill -x -f "$(realpath -ms "$WINEPREFIX/../bin/services.exe") 600" || return 0
  while keyrelay_wine_runs services.exe && ((--tries)); do sleep 0.05; done
}

. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
fakeWine "$1"

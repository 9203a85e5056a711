# Wine's settings for every run of it here, in one place, so that a run does not
# depend on the caller's session:
#   . scripts/wine-env.sh; keyrelay_wine_environment PREFIX
#                                     exports them, PREFIX the Wine prefix
#   bash scripts/wine-env.sh PREFIX COMMAND [ARG...]
#                                     runs COMMAND with them (how CTest runs Wine)
# The settings: the prefix; WINEDEBUG=-all, so that Wine's own channels stay off
# standard error, which the tests compare; Mono and Gecko off (mscoree, mshtml),
# so that a new prefix asks to install neither; and, when the session gives none
# (root, CI), a private XDG_RUNTIME_DIR beside the prefix, mode 0700: without one
# Wine 10 writes an error to standard error.
keyrelay_wine_environment() {
  local prefix=${1%/}
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$prefix.runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  if [ $# -lt 2 ]; then
    echo "usage: scripts/wine-env.sh PREFIX COMMAND [ARG...]" >&2
    exit 2
  fi
  keyrelay_wine_environment "$1"
  shift
  exec "$@"
fi

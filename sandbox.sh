#!/usr/bin/env bash
# Opens the sandbox on this display under Wine: the shipped module dist/keyrelay.asi
# in a window, driven by the keyboard (see the README). Builds what it needs first.
# Arguments go to keyrelay-sandbox.exe: [--trace FILE] [--scenario FILE] [--frame MS]
# [MODULE]. Its exit status is the sandbox's: 0 when closed, 1 when something
# failed, 2 for a wrong command line.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
if [ -z "${DISPLAY:-}" ]; then
  echo "sandbox.sh: no display (DISPLAY is not set): the sandbox is a window, run it" >&2
  echo "in a graphical session, or with ssh -X" >&2
  exit 1
fi
. "$root/scripts/ensure-packages.sh"
if ! command -v wine >/dev/null; then
  echo "sandbox.sh: Wine is missing; it runs the sandbox, a Windows program" >&2
  ensure_packages "${KEYRELAY_WINE_PACKAGES[@]}"
fi
# x11-utils for xdpyinfo, which tells whether the display can be opened.
ensure_packages "${KEYRELAY_WINDOWS_PACKAGES[@]}" "${KEYRELAY_SANDBOX_PACKAGES[@]}" x11-utils
if ! xdpyinfo >/dev/null 2>&1; then
  echo "sandbox.sh: cannot open the display '$DISPLAY': no X server runs there, or it" >&2
  echo "refuses this user" >&2
  exit 1
fi
(cd "$root" && cmake --preset win64 >/dev/null &&
  cmake --build --preset win64 --target keyrelay-sandbox keyrelay_release >/dev/null)

. "$root/scripts/wine-env.sh"
# A prefix of its own: a virtual desktop belongs to its prefix and shows on the
# display that opened it first, so the tests' sandbox, on a display of its own,
# and this one cannot share one.
keyrelay_wine_environment "${WINEPREFIX:-$root/build/win64/wineprefix-sandbox}"
export KEYRELAY_PLUGIN="${KEYRELAY_PLUGIN:-$root/dist/keyrelay.asi}"
# Held for as long as the sandbox runs, whose process this shell becomes; a
# server that another run uses is joined, and left to it.
keyrelay_wine_start
sandbox="$root/build/win64/bin/keyrelay-sandbox.exe"
. "$root/tools/sandbox/desktop.sh"
prepareSandboxPrefix wine "$sandbox"
exec wine "$sandbox" "$@"

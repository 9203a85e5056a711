#!/usr/bin/env bash
# Opens the sandbox on this display under Wine: the shipped module dist/keyrelay.asi
# in a window, driven by the keyboard (see the README). Builds what it needs first.
# Arguments go to keyrelay-sandbox.exe: [--trace FILE] [--record FILE] [--frame MS]
# [MODULE].
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
ensure_packages "${KEYRELAY_WINDOWS_PACKAGES[@]}"
(cd "$root" && cmake --preset win64 >/dev/null &&
  cmake --build --preset win64 --target keyrelay-sandbox keyrelay_release >/dev/null)

. "$root/scripts/wine-env.sh"
keyrelay_wine_environment "${WINEPREFIX:-$root/build/win64/wineprefix}"
export KEYRELAY_PLUGIN="${KEYRELAY_PLUGIN:-$root/dist/keyrelay.asi}"
# A virtual desktop: the sandbox's window gets the keyboard whatever the window manager.
exec wine explorer /desktop=keyrelay-sandbox,800x600 "$root/build/win64/bin/keyrelay-sandbox.exe" "$@"

#!/usr/bin/env bash
# tools/sandbox/screenshot.sh [FILE]
# Makes the README's picture of the sandbox, docs/sandbox.png unless FILE is given:
# the sandbox on a private X display; a tap of the follow-up key at 16 ms frames,
# which acts; at 250 ms frames, taps of the stealth key until a pass misses one
# (the trace tells); the hold key held;
# then the screen taken with xwd and made a PNG with ImageMagick. Builds what it
# needs first.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(realpath -m "${1:-$root/docs/sandbox.png}")"
. "$root/scripts/ensure-packages.sh"
ensure_packages "${KEYRELAY_WINDOWS_PACKAGES[@]}" "${KEYRELAY_WINE_PACKAGES[@]}" \
  "${KEYRELAY_SANDBOX_TEST_PACKAGES[@]}" x11-apps imagemagick
(cd "$root" && cmake --preset win64 >/dev/null &&
  cmake --build --preset win64 --target keyrelay-sandbox keyrelay_release >/dev/null)
. "$root/scripts/wine-env.sh"
# A prefix of its own, as ./sandbox.sh has: the desktop shows on this display.
keyrelay_wine_environment "$root/build/win64/wineprefix-screenshot"
keyrelay_wine_start

work="$(mktemp -d)"
. "$root/tools/sandbox/desktop.sh"
. "$root/tools/sandbox/keys.sh"
stealthSym=$(keyField "$(bindingKey kStealthKey)" 2)
followUpSym=$(keyField "$(bindingKey kFollowUpKey)" 2)
holdSym=$(keyField "$(bindingKey kHoldKey)" 2)
sandbox="$root/build/win64/bin/keyrelay-sandbox.exe"
startDisplay "$work"
prepareSandboxPrefix wine "$sandbox"
startSandbox "$work" wine "$sandbox" --trace "$work/sandbox.trace" "$root/dist/keyrelay.asi"

# Whether the trace's last release of the stealth key came before a pass that did
# not act on it.
lastStealthMissed() {
  awk '/^release stealth-key /{ seen = 1; passes = 0; acted = 0; next }
       seen && /^pass /{ ++passes }
       seen && /^  stealth /{ acted = 1 }
       END { exit !(seen && passes > 0 && !acted) }' "$work/sandbox.trace"
}
xdotool key "$followUpSym"; sleep 0.3
xdotool key 4; sleep 0.3
# A quick tap goes unseen at about half of the 250 ms frames' phases.
for _ in $(seq 20); do
  xdotool key "$stealthSym"; sleep 0.3
  lastStealthMissed && break
done
lastStealthMissed || { echo "no tap of the stealth key was missed in 20 tries" >&2; exit 1; }
xdotool keydown "$holdSym"; sleep 0.4
mkdir -p "$(dirname "$out")"
# Not the first convert on PATH: that may be another program of the same name.
xwd -root -silent | /usr/bin/convert xwd:- -strip "png:$out"
xdotool keyup "$holdSym" key Escape
waitForExit
[ "$sandboxStatus" -eq 0 ] || { echo "the sandbox closed with status $sandboxStatus:" >&2; cat "$work/sandbox.log" >&2; exit 1; }
rm -rf "$work"
echo "wrote $out"

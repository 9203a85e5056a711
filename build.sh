#!/usr/bin/env bash
# The main job: builds the native tools and the shipped module dist/keyrelay.asi
# with its release zip and SHA256SUMS, then replays the demo scenario through the
# shipped module under Wine, printing the trace.
set -euo pipefail
cd "$(dirname "$0")"
started=$SECONDS
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}" "${KEYRELAY_WINDOWS_PACKAGES[@]}"
haveWine=yes
ensure_packages "${KEYRELAY_WINE_PACKAGES[@]}" || haveWine=no

# Builds yield to tests run beside them, as in ./test.sh.
build() { nice -n 10 cmake --build "$@"; }

# What the two commands need, not the tests, which ./test.sh builds in its own presets.
cmake --preset dev >/dev/null
build --preset dev -j"$(nproc)" --target keyrelay-replay
# The Windows build's tests run under Wine: without it, the same files and no tests.
wineTests=ON
[ "$haveWine" = yes ] || wineTests=OFF
cmake --preset win64 -DBUILD_TESTING=$wineTests >/dev/null
build --preset win64 -j"$(nproc)" --target keyrelay_release keyrelay-replay
echo
ls -l dist/keyrelay.asi dist/keyrelay-*-win64.zip dist/SHA256SUMS
echo

if [ "$haveWine" = yes ]; then
  echo "== the demo scenario, replayed through dist/keyrelay.asi under Wine =="
  . scripts/wine-env.sh
  keyrelay_wine_environment "$PWD/build/win64/wineprefix"
  unset DISPLAY
  # The tests' prefix, held while this script runs: a server that another run
  # uses is joined, and left to it.
  keyrelay_wine_start
  KEYRELAY_PLUGIN="$PWD/dist/keyrelay.asi" wine build/win64/bin/keyrelay-replay.exe
else
  echo "== Wine is missing: the demo scenario, replayed natively instead =="
  ./build/dev/keyrelay-replay
fi
echo "== ./build.sh: $((SECONDS - started)) s"

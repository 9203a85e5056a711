#!/usr/bin/env bash
# ./bench.sh [MODULE]: the benchmark of the shipped bytes. Emulates the module
# (dist/keyrelay.asi, built first, unless another is named) instruction by
# instruction and prints its own instructions for an idle pass, a pass acting on
# each binding, a keystroke and the first pass (bench/count_instructions.py).
# Exact, whatever the machine or its load.
set -euo pipefail
# MODULE is read from where the script is run; everything else from its own folder.
repo="$(cd "$(dirname "$0")" && pwd)"
usage="usage: ./bench.sh [MODULE]   (without MODULE: dist/keyrelay.asi, built first)"
case "$#:${1-}" in
  0:) ;;
  1:-h | 1:--help) echo "$usage" && exit 0 ;;
  1:-*) echo "./bench.sh: unknown option '$1'" >&2 && echo "$usage" >&2 && exit 2 ;;
  1:) echo "./bench.sh: the module's path is empty" >&2 && echo "$usage" >&2 && exit 2 ;;
  1:*) ;;
  *) echo "$usage" >&2 && exit 2 ;;
esac
. "$repo/scripts/ensure-packages.sh"
ensure_packages "${KEYRELAY_EMULATOR_PACKAGES[@]}"

if [ $# -eq 0 ]; then
  # The module and its release alone, in the build folder ./build.sh uses,
  # configured as it does: the tests only where Wine is there to run them.
  ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}" "${KEYRELAY_WINDOWS_PACKAGES[@]}"
  cd "$repo"
  wineTests=ON
  command -v wine >/dev/null || wineTests=OFF
  cmake --preset win64 -DBUILD_TESTING=$wineTests >/dev/null
  cmake --build --preset win64 --target keyrelay_release -j"$(nproc)" >/dev/null
  set -- dist/keyrelay.asi
fi
# Debian's own Python, which has Debian's unicorn and pefile.
exec /usr/bin/python3 "$repo/bench/count_instructions.py" "$1"

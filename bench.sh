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
  # The module and its release alone, configured as build.sh does without Wine.
  ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}" "${KEYRELAY_WINDOWS_PACKAGES[@]}"
  cd "$repo"
  cmake --preset win64 -B build/win64-nowine -DBUILD_TESTING=OFF >/dev/null
  cmake --build build/win64-nowine --target keyrelay_release -j"$(nproc)" >/dev/null
  set -- dist/keyrelay.asi
fi
# Debian's own Python, which has Debian's unicorn and pefile.
exec /usr/bin/python3 "$repo/bench/count_instructions.py" "$1"

#!/usr/bin/env bash
# Every test: the formatting check, then the native build and its tests, then the
# Windows build, the checks of the shipped module and the Wine runs, all with
# warnings as errors.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}" "${KEYRELAY_WINDOWS_PACKAGES[@]}" \
  "${KEYRELAY_WINE_PACKAGES[@]}" clang-format

./scripts/check-format.sh
cmake --workflow --preset ci
# After the native build: the Wine tests compare against its replay tool.
cmake --workflow --preset win64-ci

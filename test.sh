#!/usr/bin/env bash
# Every test: builds with warnings as errors and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}" clang-format

./scripts/check-format.sh
cmake --workflow --preset ci

#!/usr/bin/env bash
# The main job: builds everything and replays the demo scenario, printing the trace.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}"

cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc)"
echo
echo "== demo scenario, replayed through the stand-in host =="
./build/dev/keyrelay-replay

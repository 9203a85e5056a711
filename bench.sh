#!/usr/bin/env bash
# The benchmark: an idle pass of the script against the floor of the host calls it
# must make, a keystroke event, and their heap allocations. Its last line is
# "idle pass / floor: R". Arguments go to Google Benchmark.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}" libbenchmark-dev

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null
./build/bench/bench/keyrelay_bench "$@"

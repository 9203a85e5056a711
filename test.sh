#!/usr/bin/env bash
# Every test: builds with warnings as errors and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}" clang-format "${KEYRELAY_PROOF_PACKAGES[@]}"
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

./scripts/check-format.sh
cmake --workflow --preset ci

# The proofs: the whole suite again under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer, and a bounded fuzz run.
cmake --workflow --preset asan
cmake --workflow --preset tsan
cmake --workflow --preset fuzz

#!/usr/bin/env bash
# Every test, all with warnings as errors: the formatting check; the native build
# and its tests, the expected traces and the coverage of the whole run; the Windows build,
# the checks of the shipped module and the Wine runs; the module again with LLVM 19,
# through the module checks and the Wine traces; then the proofs: the native suite again under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer, and a bounded fuzz run.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_FORMAT_PACKAGES[@]}" "${KEYRELAY_NATIVE_PACKAGES[@]}" \
  "${KEYRELAY_WINDOWS_PACKAGES[@]}" "${KEYRELAY_LLVM19_PACKAGES[@]}" "${KEYRELAY_WINE_PACKAGES[@]}" \
  "${KEYRELAY_SANDBOX_TEST_PACKAGES[@]}" "${KEYRELAY_COVERAGE_PACKAGES[@]}" \
  "${KEYRELAY_PROOF_PACKAGES[@]}"
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

./scripts/check-format.sh
cmake --workflow --preset ci
cat build/ci/coverage.txt
cmake --workflow --preset win64-ci
cmake --workflow --preset win64-llvm19
cmake --workflow --preset asan
cmake --workflow --preset tsan
cmake --workflow --preset fuzz

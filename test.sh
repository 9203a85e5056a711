#!/usr/bin/env bash
# Every test, all with warnings as errors: the formatting check; the native build
# and its tests, the expected traces and the coverage of the whole run; the Windows build,
# the checks of the shipped module and the Wine runs, and the same over the MSVC-ABI
# module, made with LLVM 19's clang-cl; then the proofs: the native suite again under
# AddressSanitizer with UndefinedBehaviorSanitizer and under ThreadSanitizer, and a
# bounded fuzz run.
#
# Each step ends with a line "== STEP: ... s", the seconds it took (a preset's
# configure and build, then its tests): docs/testing.md's table of where the time
# goes is made from them. A failed test's output is printed as it fails, and every
# test's whole output stays in build/PRESET/Testing/Temporary/LastTest.log.
set -euo pipefail
cd "$(dirname "$0")"
started=$SECONDS
# How far the builds yield to the tests (below): a niceness, 10 unless set.
buildNiceness=${KEYRELAY_BUILD_NICENESS:-10}
if ! [[ "$buildNiceness" =~ ^1?[0-9]$ ]]; then
  echo "test.sh: KEYRELAY_BUILD_NICENESS must be a niceness from 0 to 19, not '$buildNiceness'" >&2
  exit 2
fi
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_FORMAT_PACKAGES[@]}" "${KEYRELAY_NATIVE_PACKAGES[@]}" \
  "${KEYRELAY_WINDOWS_PACKAGES[@]}" "${KEYRELAY_MSVC_PACKAGES[@]}" "${KEYRELAY_WINE_PACKAGES[@]}" \
  "${KEYRELAY_SANDBOX_TEST_PACKAGES[@]}" "${KEYRELAY_EMULATOR_PACKAGES[@]}" \
  "${KEYRELAY_COVERAGE_PACKAGES[@]}" "${KEYRELAY_PROOF_PACKAGES[@]}"
echo "== packages: $((SECONDS - started)) s"
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
# Builds yield to tests: where another run shares the machine (CI's two legs run
# side by side), the tests that keep real time (the sandbox's keys and frames) get
# the processors first. Alone on a machine it changes nothing.
build() { nice -n "$buildNiceness" cmake --build "$@"; }

# runPreset PRESET: configures, builds and tests PRESET, as its workflow does.
runPreset() {
  local preset=$1 began built
  began=$SECONDS
  cmake --preset "$preset"
  build --preset "$preset"
  built=$SECONDS
  if ! ctest --preset "$preset"; then
    echo "== $preset: a test failed (its output is above); every test's whole output is in" \
      "build/$preset/Testing/Temporary/LastTest.log" >&2
    return 1
  fi
  echo "== $preset: build $((built - began)) s, tests $((SECONDS - built)) s"
}

began=$SECONDS
./scripts/check-format.sh
echo "== format: $((SECONDS - began)) s"
runPreset ci
cat build/ci/coverage.txt
for preset in win64 asan tsan fuzz; do
  runPreset "$preset"
done
echo "== ./test.sh: $((SECONDS - started)) s"

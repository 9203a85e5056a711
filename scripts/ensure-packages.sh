# Sourced by the top-level scripts. ensure_packages PKG... installs the Debian
# packages that are missing: with apt-get when run as root, one install at a time
# on the machine, otherwise it prints the line to run and fails.
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  echo "Installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  # One install at a time on a machine: two runs started side by side (two
  # checkouts' ./test.sh) would otherwise meet, and the second apt-get fail on the
  # lock the first holds. (A Debian root of scripts/in-debian.sh has a package
  # database, and a /tmp, of its own.)
  flock -w 1800 /tmp/keyrelay-packages.lock sh -c \
    'apt-get update -qq && apt-get install -y -qq --no-install-recommends "$@"' \
    ensure_packages "${missing[@]}" >&2 ||
    { echo "could not install ${missing[*]} (above)" >&2; return 1; }
}

# What the native build and its tests need.
KEYRELAY_NATIVE_PACKAGES=(cmake g++ make libgtest-dev libgmock-dev)
# What the Windows cross-build needs: clang and lld, the LLVM tools (dlltool, rc,
# readobj, nm), the MinGW-w64 headers and import libraries, and MinGW's C++
# library for the Windows test tools; zip for the release.
KEYRELAY_WINDOWS_PACKAGES=(clang lld llvm mingw-w64-x86-64-dev g++-mingw-w64-x86-64-win32 zip)
# What the Windows build's tests make the MSVC-ABI module with
# (cmake/toolchain-clang-cl-wine.cmake): LLVM 19's clang-cl, lld-link, llvm-lib and
# llvm-rc, Wine's Windows headers, and Ninja.
KEYRELAY_MSVC_PACKAGES=(clang-tools-19 lld-19 llvm-19 libwine-dev ninja-build)
# The loader that runs the shipped module in the tests, and its preloader (Debian's
# wine64 only suggests it), which reserves the fixed addresses Wine needs before
# anything else maps. Without it, Debian 12's loader, not position-independent,
# has its heap placed at random in the gigabyte above it: in about one process of
# five thousand it covers the page Wine keeps at 0x7ffe0000, and the process exits
# with status 1, saying only, on a debug channel, "failed to map the shared user data".
# And Python, whose os.pidfd_open tells scripts/wine-env.sh when a run has ended.
KEYRELAY_WINE_PACKAGES=(wine wine64 wine64-preloader python3)
# What the sandbox adds to Wine: Wine's own fonts, whose Marlett draws the title
# bar's buttons (Debian's wine only recommends them, which the installs here skip).
KEYRELAY_SANDBOX_PACKAGES=(fonts-wine)
# What the sandbox's tests add: a private X display and a key sender.
KEYRELAY_SANDBOX_TEST_PACKAGES=("${KEYRELAY_SANDBOX_PACKAGES[@]}" xvfb xdotool)
# What ./bench.sh and the module's emulated check run the module in: a CPU
# emulator and a reader of its file, for Debian's own python3.
KEYRELAY_EMULATOR_PACKAGES=(python3-unicorn python3-pefile)
# The one formatter everyone's change is checked with (scripts/check-format.sh):
# a named version, because each lays some constructs out differently.
KEYRELAY_FORMAT_PACKAGES=(clang-format-19)
# What the ci preset's coverage test reads the counts with.
KEYRELAY_COVERAGE_PACKAGES=(gcovr)
# What the sanitizer builds and the fuzzer are built with: clang and its sanitizers.
KEYRELAY_PROOF_PACKAGES=(clang libclang-rt-dev)

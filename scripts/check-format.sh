#!/usr/bin/env bash
# scripts/check-format.sh [--fix]
# Fails when a tracked C++ file differs from what clang-format makes of it; with
# --fix, formats them in place instead. One named version for everyone, the one
# ./test.sh installs, whatever an editor may run.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure-packages.sh
formatter=${KEYRELAY_FORMAT_PACKAGES[0]}

case "$*" in
  "") fix=no ;;
  --fix) fix=yes ;;
  *)
    echo "usage: scripts/check-format.sh [--fix] (not: $*)" >&2
    exit 2
    ;;
esac

if ! command -v "$formatter" >/dev/null; then
  echo "check-format.sh: $formatter is missing: ./test.sh installs it, or" \
    "apt-get install $formatter" >&2
  exit 1
fi
echo "check-format.sh: $("$formatter" --version)"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
[ ${#files[@]} -eq 0 ] && exit 0
if [ "$fix" = yes ]; then
  "$formatter" -i "${files[@]}"
else
  "$formatter" --dry-run --Werror "${files[@]}"
fi

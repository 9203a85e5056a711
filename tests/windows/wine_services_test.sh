#!/usr/bin/env bash
# wine_services_test.sh WORK_DIR
# Where the services of a prefix in use have ended, the next Wine test fails at
# once, its command unrun, saying so, and so does the run's check. Its server
# serves a prefix in WORK_DIR for a Wine that runs no program (fake_wine.sh), so
# the run's own server and services are not touched.
set -euo pipefail
work=$1
. "$(dirname "$0")/fake_wine.sh" "$work"
trap endServices EXIT

failed=0
# expect WHAT STATUS STDERR_REGEX ARG...: wine-env.sh ARG... exits with STATUS, its
# standard error matching STDERR_REGEX ('' for none at all).
expect() {
  local what=$1 status=$2 pattern=$3 code=0
  shift 3
  bash "$(dirname "$0")/../../scripts/wine-env.sh" "$WINEPREFIX" "$@" 2>"$work/stderr" || code=$?
  if [ "$code" -ne "$status" ]; then
    echo "FAIL $what: exit status $code, not $status"
  elif [ -z "$pattern" ] && [ -s "$work/stderr" ]; then
    echo "FAIL $what: wrote to standard error"
  elif [ -n "$pattern" ] && ! grep -Eq "$pattern" "$work/stderr"; then
    echo "FAIL $what: no line matching: $pattern"
  else
    echo "ok   $what"
    return
  fi
  sed 's/^/     /' "$work/stderr"
  failed=1
}
ended="^wine-env.sh: Wine's services for .*/prefix do not run \\(they ended"

rm -f "$work/ran" "$work/unrun"
keyrelay_wine_start
expect "a test runs while the services run" 0 '' touch "$work/ran"
[ -e "$work/ran" ] || { echo "FAIL the test's command did not run"; failed=1; }
endServices
expect "the next test fails, unrun" 1 "$ended" touch "$work/unrun"
[ ! -e "$work/unrun" ] || { echo "FAIL the test's command ran"; failed=1; }
expect "the check fails" 1 "$ended" --check
exit $failed

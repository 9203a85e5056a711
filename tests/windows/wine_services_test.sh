#!/usr/bin/env bash
# wine_services_test.sh WORK_DIR
# Where the services a run's start started have ended while its wineserver runs
# on, the next Wine test fails at once, its command unrun, saying so, and so does
# the run's stop; the record of an ended run holds back nothing. Its servers serve
# a prefix in WORK_DIR for a Wine that runs no program (fake_wine.sh), so the
# run's own server and services are not touched.
set -euo pipefail
work=$1
repo="$(cd "$(dirname "$0")/../.." && pwd)"
. "$repo/scripts/wine-env.sh"
. "$repo/tests/windows/fake_wine.sh"
fakeWine "$work"
envScript=("$repo/scripts/wine-env.sh" "$work/prefix")
trap 'endServices; endServer' EXIT

failed=0
# expect WHAT STATUS STDERR_REGEX ARG...: wine-env.sh ARG... exits with STATUS, its
# standard error matching STDERR_REGEX ('' for none at all).
expect() {
  local what=$1 status=$2 pattern=$3 code=0
  shift 3
  bash "${envScript[@]}" "$@" 2>"$work/stderr" || code=$?
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
ended="^wine-env.sh: Wine's services for .*/prefix \(services\.exe, process [0-9]+\) ended while the run's wineserver \(process [0-9]+\) ran on"

keyrelay_wine_start
expect "a test runs while the services run" 0 '' touch "$work/ran"
[ -e "$work/ran" ] || { echo "FAIL the test's command did not run"; failed=1; }
endServices
expect "the next test fails, unrun" 1 "$ended" touch "$work/unrun"
[ ! -e "$work/unrun" ] || { echo "FAIL the test's command ran"; failed=1; }
runRecord=$(<"$(keyrelay_wine_run_record)")
expect "the stop fails" 1 "$ended" --stop
if keyrelay_wineserver_pid >/dev/null; then echo "FAIL the stop left the server running"; failed=1; fi
# As a run killed whole leaves it: its watcher has ended the server.
echo "$runRecord" >"$(keyrelay_wine_run_record)"
expect "a test after an ended run runs" 0 '' true
exit $failed

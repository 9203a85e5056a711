#!/usr/bin/env bash
# wine_runs_test.sh WORK_DIR
# Two runs side by side on one prefix (scripts/wine-env.sh), each a process that
# holds it: the first to end, killed, leaves the server to the other; the last,
# killed too, ends it within 5 s; and a run that joined a server it did not start
# leaves it running. Its servers serve a prefix in WORK_DIR for a Wine that runs
# no program (fake_wine.sh), so the run's own is not touched.
set -euo pipefail
work=$1
. "$(dirname "$0")/fake_wine.sh" "$work"
runs=()
trap 'kill "${runs[@]}" 2>/dev/null || true; endServices' EXIT
# newRun: a run (a process, disowned: its end is the test's, not news) that holds
# the prefix, its id in `run`.
newRun() {
  sleep 600 &
  run=$!
  disown
  runs+=("$run")
  keyrelay_wine_start "$run"
}
# endRun PID WHY: kills the run, waits until its hold (whose command line ends in
# the run's id) is over, having ended the server or not, and fails with WHY if
# the server has gone.
endRun() {
  kill -9 "$1"
  for _ in $(seq 100); do pgrep -f " $1\$" >/dev/null || break; sleep 0.1; done
  keyrelay_wine_runs 'wineserver*' || { echo "FAIL $2" && exit 1; }
}

newRun
first=$run
newRun
endRun "$first" "the first run's end ended the server that the second run holds"
kill -9 "$run"
for _ in $(seq 50); do keyrelay_wine_runs 'wineserver*' || break; sleep 0.1; done
if keyrelay_wine_runs 'wineserver*'; then
  echo "FAIL the server still runs 5 s after the last run holding the prefix was killed"
  exit 1
fi

# A server of the user's own (no run of ours started it), with its services: a
# run joins it, and its end leaves it running.
wineserver -p
wine
newRun
endRun "$run" "a run's end ended a server that no run of ours had started"
wineserver -k
echo "the first run's end left the server to the second, the second's ended it," \
  "and a run's end left a server it had not started"

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
# Disowned: their ends are the test's, not news.
sleep 600 &
first=$!
sleep 600 &
second=$!
third=""
disown -a
trap 'kill $first $second $third 2>/dev/null || true; endServices' EXIT

keyrelay_wine_start "$first"
keyrelay_wine_start "$second"
kill -9 "$first"
# Until the first run's hold, whose command line ends in the run's process id, is
# over: had it ended the server, it would have waited for its end.
for _ in $(seq 100); do pgrep -f " $first\$" >/dev/null || break; sleep 0.1; done
if ! keyrelay_wine_runs 'wineserver*'; then
  echo "FAIL the first run's end ended the server that the second run holds"
  exit 1
fi
kill -9 "$second"
for _ in $(seq 50); do keyrelay_wine_runs 'wineserver*' || break; sleep 0.1; done
if keyrelay_wine_runs 'wineserver*'; then
  echo "FAIL the server still runs 5 s after the last run holding the prefix was killed"
  exit 1
fi

# A server of the user's own (no run of ours started it), with its services: a
# run joins it, and its end leaves it running.
wineserver -p
wine
sleep 600 &
third=$!
disown -a
keyrelay_wine_start "$third"
kill -9 "$third"
for _ in $(seq 100); do pgrep -f " $third\$" >/dev/null || break; sleep 0.1; done
if ! keyrelay_wine_runs 'wineserver*'; then
  echo "FAIL a run's end ended a server that no run of ours had started"
  exit 1
fi
wineserver -k
echo "the first run's end left the server to the second, the second's ended it," \
  "and a run's end left a server it had not started"

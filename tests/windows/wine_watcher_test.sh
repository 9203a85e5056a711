#!/usr/bin/env bash
# wine_watcher_test.sh WORK_DIR
# A run's watcher (scripts/wine-env.sh) ends its own wineserver and never a later
# run's of the same prefix, even when its own server's process id has passed to
# another process by the time the run ends. The test gives that id away itself,
# in a process-id namespace of its own (ns_last_pid); its servers serve a prefix
# in WORK_DIR for a Wine that runs no program (fake_wine.sh), so the run's own
# server is not touched. Exit 77 (skipped) where no such namespace can be made.
set -euo pipefail
work=$1
repo="$(cd "$(dirname "$0")/../.." && pwd)"
if [ "${KEYRELAY_WATCHER_TEST_INSIDE:-}" != 1 ]; then
  export KEYRELAY_WATCHER_TEST_INSIDE=1
  for own in "" "--user --map-root-user"; do
    # shellcheck disable=SC2086
    if unshare $own --pid --fork --mount-proc true 2>/dev/null; then
      exec unshare $own --pid --fork --mount-proc bash "$0" "$@"
    fi
  done
  echo "skipped: no process-id namespace can be made here (unshare --pid)"
  exit 77
fi

. "$repo/scripts/wine-env.sh"
. "$repo/tests/windows/fake_wine.sh"
fakeWine "$work"

sleep 60 &
earlier=$!
keyrelay_wine_start "$earlier"
ended=$(keyrelay_wineserver_pid)
endServer
# The next process takes the ended server's id.
echo $((ended - 1)) >/proc/sys/kernel/ns_last_pid
sleep 60 &
[ "$!" = "$ended" ] || { echo "FAIL the test could not give id $ended away (it went to $!)"; exit 1; }

keyrelay_wine_start
later=$(keyrelay_wineserver_pid)
kill "$earlier"
sleep 2.5  # the watcher looks once a second
now=$(keyrelay_wineserver_pid) || now=none
endServer
if [ "$now" != "$later" ]; then
  echo "FAIL the earlier run's watcher ended the later run's server $later (now: $now)," \
    "taking process $ended, which had its server's id, for its server"
  exit 1
fi
echo "the later run's server $later outlived the earlier run, whose server's id $ended" \
  "had passed to another process"

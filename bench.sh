#!/usr/bin/env bash
# The benchmark: the plugin's own instructions per idle pass and per keystroke,
# counted exactly with callgrind, whatever the machine's load, and the heap
# allocations of passes and keystrokes, which must be none.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}" "${KEYRELAY_BENCH_PACKAGES[@]}"

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null

# Each loop of keyrelay_bench is dumped as "NAME ROUNDS"; the plugin's share
# is its count less the floor's, per round. The loops' own overhead cancels out.
countDir=build/bench/callgrind
rm -rf "$countDir" && mkdir -p "$countDir"
status=0
valgrind -q --tool=callgrind --collect-atstart=no --callgrind-out-file="$countDir/out" \
  build/bench/bench/keyrelay_bench || status=$?
awk '
  /^desc: Trigger: Client Request: / { name = $5; rounds[name] = $6 }
  /^totals: / && name != "" { total[name] = $2; name = "" }
  function share(what, plugin, floor, floorName,   d) {
    if (!(plugin in total) || !(floor in total) || rounds[plugin] != rounds[floor]) {
      print "no instruction count for " plugin " or " floor > "/dev/stderr"
      failed = 1
      return
    }
    d = (total[plugin] - total[floor]) / rounds[plugin]
    printf "instructions per %s, plugin beyond %s: %s (%d against %d)\n", what, floorName,
      (d == int(d) ? sprintf("%d", d) : sprintf("%.2f", d)),
      int(total[plugin] / rounds[plugin]), int(total[floor] / rounds[floor])
  }
  END {
    share("idle pass", "idle-pass", "floor-pass", "the floor")
    share("keystroke", "keystroke", "tick-read", "its tick read")
    exit failed
  }' "$countDir"/out.*
exit "$status"

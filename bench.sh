#!/usr/bin/env bash
# The benchmark: the plugin's own instructions per idle pass and per keystroke,
# counted exactly with callgrind; then, timed, an idle pass of the script against
# the floor of the host calls it must make, a keystroke event, and their heap
# allocations. The two counts are the lines before the last, which is
# "idle pass / floor: R". Arguments go to Google Benchmark.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${KEYRELAY_NATIVE_PACKAGES[@]}" "${KEYRELAY_BENCH_PACKAGES[@]}"

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null

# Each loop of keyrelay_instructions is dumped as "NAME ROUNDS"; the plugin's share
# is its count less the floor's, per round. The loops' own overhead cancels out.
countDir=build/bench/callgrind
rm -rf "$countDir" && mkdir -p "$countDir"
valgrind -q --tool=callgrind --collect-atstart=no --callgrind-out-file="$countDir/out" \
  build/bench/bench/keyrelay_instructions
counts=$(awk '
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
  }' "$countDir"/out.*)

# The timed run, with the counts put before its last line.
stdbuf -oL build/bench/bench/keyrelay_bench "$@" |
  awk -v counts="$counts" 'NR > 1 { print previous } { previous = $0 } END { print counts; print previous }'

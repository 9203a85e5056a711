#!/usr/bin/env bash
# keyboard_test.sh WINE SANDBOX REPLAY MODULE OUT_DIR
# The sandbox driven along a real keyboard path: on a private Xvfb display, in a
# Wine virtual desktop, xdotool sends key events that reach the window as keyboard
# messages. The sandbox must close with status 0 on Esc, the trace must show the
# bindings acting on them, key by key, and the session's scenario, replayed by
# keyrelay-replay, must print the same trace.
# Wine's settings (WINEPREFIX...) come from the environment.
set -euo pipefail
wine=$1 sandbox=$2 replay=$3 module=$4 out=$5
. "$(dirname "$0")/../desktop.sh"
. "$(dirname "$0")/../keys.sh"
# The bindings' keys: the keysym each is typed with and the scan code Wine reports.
# One a line: a line of several assignments fails only with its last.
stealthKey=$(bindingKey kStealthKey)
followUpKey=$(bindingKey kFollowUpKey)
holdKey=$(bindingKey kHoldKey)
stealthSym=$(keyField "$stealthKey" 2)
stealthScan=$(keyField "$stealthKey" 3)
followUpSym=$(keyField "$followUpKey" 2)
followUpScan=$(keyField "$followUpKey" 3)
holdSym=$(keyField "$holdKey" 2)
holdScan=$(keyField "$holdKey" 3)
holdTwin=$(keyField "$holdKey" 4)
mkdir -p "$out"
rm -f "$out"/sandbox.trace "$out"/sandbox.scenario "$out"/replayed.trace
# Keys repeat 500 ms after they go down, 10 times a second.
startDisplay "$out" -ardelay 500 -arinterval 100
prepareSandboxPrefix "$wine" "$sandbox"
startSandbox "$out" "$wine" "$sandbox" --trace "$out/sandbox.trace" \
  --scenario "$out/sandbox.scenario" "$module"
started=$(date +%s%N)
xdotool key "$stealthSym"; sleep 0.3                             # tap the stealth key
xdotool key "$followUpSym"; sleep 0.3                            # tap the follow-up key
xdotool keydown "$holdSym"; sleep 1; xdotool keyup "$holdSym"   # hold the hold key a second
sleep 0.3
# The hold key's right-hand twin (right Ctrl) by its keycode: by name, xdotool
# presses the left one too.
if [ -n "$holdTwin" ]; then
  xdotool keydown "$holdTwin"; sleep 0.1; xdotool keyup "$holdTwin"; sleep 0.3
fi
# The stealth key released while Alt is held.
xdotool keydown "$stealthSym"; sleep 0.1; xdotool keydown Alt_L; sleep 0.1
xdotool keyup "$stealthSym"; sleep 0.3; xdotool keyup Alt_L; sleep 0.3
# The stealth key held until it repeats: a repeat is the one event whose previous
# and transition states differ (1 and 0), so only it shows the two read the wrong
# way round.
xdotool keydown "$stealthSym"; sleep 1; xdotool keyup "$stealthSym"; sleep 0.3
xdotool key Escape
waitForExit
echo "keys sent and the sandbox closed in $((($(date +%s%N) - started) / 1000000)) ms"
if [ "$sandboxStatus" -ne 0 ]; then
  echo "the sandbox closed with status $sandboxStatus:" >&2
  cat "$out/sandbox.log" >&2
  exit 1
fi

KEYRELAY_PLUGIN="$module" "$wine" "$replay" "$out/sandbox.scenario" >"$out/replayed.trace"
if ! cmp -s "$out/sandbox.trace" "$out/replayed.trace"; then
  echo "the scenario, replayed, gives another trace:" >&2
  diff -u "$out/sandbox.trace" "$out/replayed.trace" | head -40 >&2
  exit 1
fi
echo "the scenario replays to the same trace ($(wc -l <"$out/sandbox.trace") lines)"

# Each key event in the order sent (a run of auto-repeats as one), with what the
# passes after it must call: a token a pass, "." for none, natives of one pass
# joined by "+"; then the least number of passes. S, F and H stand for the
# stealth, follow-up and hold keys' scan codes.
expected='
start                                                                               | ^[. ]*$                        | 1
press stealth-key repeat=1 scan=S extended=0 context=0 previous=0 transition=0      | ^[. ]*$                        | 0
release stealth-key repeat=1 scan=S extended=0 context=0 previous=1 transition=1    | ^[. ]*stealth[. ]*$            | 1
press follow-up-key repeat=1 scan=F extended=0 context=0 previous=0 transition=0    | ^[. ]*$                        | 0
release follow-up-key repeat=1 scan=F extended=0 context=0 previous=1 transition=1  | ^[. ]*stealth\+follow-up[. ]*$ | 1
press hold-key repeat=1 scan=H extended=0 context=0 previous=0 transition=0         | ^hold( hold)*$                 | 10
release hold-key repeat=1 scan=H extended=0 context=0 previous=1 transition=1       | ^[. ]*$                        | 1
'
[ -z "$holdTwin" ] || expected+='
press hold-key repeat=1 scan=H extended=1 context=0 previous=0 transition=0         | ^(hold( hold)*)?$              | 0
release hold-key repeat=1 scan=H extended=1 context=0 previous=1 transition=1       | ^[. ]*$                        | 1
'
expected+='
press stealth-key repeat=1 scan=S extended=0 context=0 previous=0 transition=0      | ^[. ]*$                        | 1
press 0x12 repeat=1 scan=56 extended=0 context=1 previous=0 transition=0            | ^[. ]*$                        | 1
release stealth-key repeat=1 scan=S extended=0 context=1 previous=1 transition=1    | ^[. ]*stealth[. ]*$            | 1
release 0x12 repeat=1 scan=56 extended=0 context=0 previous=1 transition=1          | ^[. ]*$                        | 1
press stealth-key repeat=1 scan=S extended=0 context=0 previous=0 transition=0      | ^[. ]*$                        | 1
press stealth-key repeat=1 scan=S extended=0 context=0 previous=1 transition=0      | ^[. ]*$                        | 1
release stealth-key repeat=1 scan=S extended=0 context=0 previous=1 transition=1    | ^[. ]*stealth[. ]*$            | 1
press 0x1B repeat=1 scan=1 extended=0 context=0 previous=0 transition=0             | ^[. ]*$                        | 0
'
expected=${expected//scan=S /scan=$stealthScan }
expected=${expected//scan=F /scan=$followUpScan }
expected=${expected//scan=H /scan=$holdScan }
awk -v expected="$expected" '
  function endPass() {
    if (inPass) tokens = tokens (tokens == "" ? "" : " ") (pass == "" ? "." : pass)
    inPass = 0
  }
  function endPhase() {
    endPass()
    seenKey[++phases] = key; seenTokens[phases] = tokens; seenPasses[phases] = passes
  }
  # The natives of the passes, runs of the same shown once with their length.
  function summary(tokens,    n, t, i, out, last, run) {
    n = split(tokens, t, " ")
    for (i = 1; i <= n + 1; ++i) {
      if (i <= n && t[i] == ".") continue
      if (i <= n && t[i] == last) { ++run; continue }
      if (last != "") out = out (out == "" ? "" : ", ") last (run > 1 ? " x" run : "")
      last = i <= n ? t[i] : ""; run = 1
    }
    return out == "" ? "nothing" : out
  }
  BEGIN {
    n = split(expected, rows, "\n")
    for (i = 1; i <= n; ++i) {
      if (rows[i] == "") continue
      split(rows[i], field, / *\| */)
      wantKey[++wanted] = field[1]; wantRegex[wanted] = field[2]; wantPasses[wanted] = field[3]
    }
    key = "start"
  }
  /^(press|release) / {
    if ($0 == key) next  # an auto-repeat of the key before
    endPhase(); key = $0; tokens = ""; passes = 0; next
  }
  /^pass / { endPass(); inPass = 1; pass = ""; ++passes; next }
  /^  (stealth|follow-up|hold) / { if (inPass) pass = pass (pass == "" ? "" : "+") $1 }
  /^unload$/ { endPhase(); exit }
  END {
    failed = phases != wanted
    for (i = 1; i <= (phases > wanted ? phases : wanted); ++i) {
      ok = seenKey[i] == wantKey[i] && seenTokens[i] ~ wantRegex[i] && seenPasses[i] >= wantPasses[i]
      if (!ok) failed = 1
      printf "%s %-81s %3d passes: %s\n", ok ? "ok  " : "FAIL", seenKey[i], seenPasses[i],
             summary(seenTokens[i])
      if (!ok) printf "     expected: %s\n               %s in %d passes or more\n", wantKey[i],
                      wantRegex[i], wantPasses[i]
    }
    exit failed
  }' "$out/sandbox.trace"

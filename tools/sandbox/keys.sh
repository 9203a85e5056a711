# tools/sandbox/keys.sh, sourced: the bindings' keys as the sandbox's scripts type
# them with xdotool. Which key each binding uses is read from script/script_loop.h
# (kStealthKey, kFollowUpKey, kHoldKey); what a key is on the test display comes
# from the table below.

# The keys the scripts can type, on the US layout Xvfb starts with: virtual-key
# code, the X keysym that types it, the scan code Wine reports for it and, for a
# key with a right-hand twin that Wine reports as the same key marked extended, the
# twin's X keycode (xdotool types a keysym with the left-hand key). Letters, digits
# and F1 to F12 are added below.
keyrelayKeyTable='
0x09 Tab       15
0x0D Return    28
0x10 Shift_L   42
0x11 Control_L 29 105
0x12 Alt_L     56 108
0x14 Caps_Lock 58
0x20 space     57
'
# Letters by their rows on the keyboard, each row's scan codes in a run.
for keyrelayRow in 16:QWERTYUIOP 30:ASDFGHJKL 44:ZXCVBNM; do
  keyrelayLetters=${keyrelayRow#*:}
  for ((i = 0; i < ${#keyrelayLetters}; ++i)); do
    keyrelayLetter=${keyrelayLetters:i:1}
    keyrelayKeyTable+="$(printf '0x%02X %s %d' "'$keyrelayLetter" "${keyrelayLetter,}" \
      $((${keyrelayRow%%:*} + i)))"$'\n'
  done
done
for i in 1 2 3 4 5 6 7 8 9 0; do
  keyrelayKeyTable+="$(printf '0x%02X %d %d' "'$i" "$i" $((i == 0 ? 11 : i + 1)))"$'\n'
done
for i in $(seq 1 12); do
  keyrelayKeyTable+="$(printf '0x%02X F%d %d' $((0x6F + i)) "$i" $((i <= 10 ? 58 + i : 76 + i)))"$'\n'
done
unset keyrelayRow keyrelayLetters keyrelayLetter

keyrelaySourceDir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# bindingKey NAME: the virtual-key code of the plugin's constant NAME (kStealthKey,
# kFollowUpKey or kHoldKey) as 0xNN, written in the header as a number or as a VK_
# name that host/platform_posix.h defines.
bindingKey() {
  local value
  value=$(sed -nE "s/^inline constexpr DWORD $1 = ([A-Za-z0-9_]+);.*/\1/p" \
    "$keyrelaySourceDir/script/script_loop.h")
  if [[ "$value" == VK_* ]]; then
    value=$(sed -nE "s/^inline constexpr DWORD $value = (0x[0-9A-Fa-f]+);.*/\1/p" \
      "$keyrelaySourceDir/host/platform_posix.h")
  fi
  if ! [[ "$value" =~ ^(0x[0-9A-Fa-f]+|[0-9]+)$ ]]; then
    echo "keys.sh: no key code for $1 in script/script_loop.h (a number, or a VK_ name" \
      "that host/platform_posix.h defines)" >&2
    return 1
  fi
  printf '0x%02X\n' "$((value))"
}

# keyField CODE N: field N (2 the keysym, 3 the scan code, 4 the twin's keycode)
# of the key CODE in the table; fails, naming the key, when the table lacks it.
keyField() {
  awk -v code="$1" -v field="$2" '$1 == code { print $field; found = 1; exit }
                                  END { exit !found }' <<<"$keyrelayKeyTable" && return
  echo "keys.sh: the key $1 is not in the table of tools/sandbox/keys.sh: add its X keysym" \
    "and the scan code Wine reports for it" >&2
  return 1
}

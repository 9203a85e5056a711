"""check_emulated_stealth.py MODULE: the module as ./bench.sh emulates it
(bench/emulated_module.py) calls only the subject native in a pass with no key
event, and after a release of the stealth key, in the next pass, the subject
native and then stealth with the subject zero-filled and the address of the text
"stealth" in its own image. So the benchmark counts a module that does what the plugin does.
"""

import sys
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "bench"))
from emulated_module import EmulatedModule, EmulationError, bindingKeys, nativeHashes, release

# Negative, so that zero-filled and sign-extended differ.
kSubject = -2
kStealthText = b"stealth"


def failures(path):
    hashes = nativeHashes()
    subjectCall = (hashes["kSubjectNative"], [])
    module = EmulatedModule(path, subject=kSubject)
    module.runPass()
    if module.natives != [subjectCall]:
        yield f"{path}: a pass with no key event called {module.natives}, not {[subjectCall]}"
    module.deliver(release(bindingKeys()["kStealthKey"]))
    module.natives.clear()
    module.runPass()
    calls = module.natives
    if len(calls) != 2 or calls[0] != subjectCall or calls[1][0] != hashes["kStealthNative"]:
        yield f"{path}: the pass after a release of the stealth key called {calls}, not the subject native then stealth"
        return
    slots = calls[1][1]
    if len(slots) != 2 or slots[0] != kSubject & 0xFFFF_FFFF:
        yield f"{path}: stealth got {slots}, not the subject {kSubject} zero-filled and a text"
        return
    text = module.readText(slots[1])
    if text != kStealthText:
        yield f"{path}: stealth's text at {slots[1]:#x} is {text!r}, not {kStealthText!r} in the module"


def main(arguments):
    if len(arguments) != 1:
        print("usage: check_emulated_stealth.py MODULE", file=sys.stderr)
        return 2
    try:
        found = list(failures(arguments[0]))
    except EmulationError as error:
        found = [str(error)]
    for failure in found:
        print(f"check_emulated_stealth.py: {failure}", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

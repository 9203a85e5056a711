"""count_instructions.py MODULE: the module's own instructions for a pass of each
kind and for a keystroke, counted by emulating the module (emulated_module.py),
printed as a Markdown table. Every pass counted must call the natives its row
names, so that a module doing the wrong thing is not counted.

Exit: 0 with the table; 1 when the module cannot be emulated or does the wrong
thing, with the reason on standard error; 2 for a wrong command line.
"""

import hashlib
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
from emulated_module import EmulatedModule, EmulationError, bindingKeys, nativeHashes, press
from emulated_module import release

# A frame at 60 Hz: how far the clock moves between two passes, in ms.
kFrameMs = 16
# One read for each binding's query in a pass; one for a keystroke's stamp.
kTickReadsPerPass = 3
kTickReadsPerKeystroke = 1


def countRows(path):
    """The module's bytes, and [(row, own instructions)] in the order the table
    prints them."""
    hashes = nativeHashes()
    keys = bindingKeys()
    names = {value: name for name, value in hashes.items()}
    module = EmulatedModule(path)

    def counted(what, keystroke, *natives):
        """The pass's own instructions, after `keystroke` when there is one."""
        if keystroke is not None:
            module.deliver(keystroke)
        module.tick += kFrameMs
        module.natives.clear()
        own = module.runPass()
        made = [names.get(nativeHash, f"{nativeHash:#018x}") for nativeHash, _ in module.natives]
        expected = ["kSubjectNative", *natives]
        if made != expected:
            raise EmulationError(f"{path}: {what} called {', '.join(made) or 'no native'}, "
                                 f"not {', '.join(expected)}")
        requireTickReads(what, kTickReadsPerPass)
        return own

    def requireTickReads(what, expected):
        if module.tickReads != expected:
            raise EmulationError(f"{path}: {what} read the tick {module.tickReads} times, "
                                 f"not {expected}")

    first = counted("the first pass", None)
    idle = counted("an idle pass", None)
    keystroke = module.deliver(release(keys["kStealthKey"]))
    requireTickReads("a keystroke", kTickReadsPerKeystroke)
    acting = [
        ("a pass acting on the stealth key (stealth)",
         counted("a pass after a release of the stealth key", None, "kStealthNative")),
        ("a pass acting on the follow-up key (stealth, follow-up)",
         counted("a pass after a release of the follow-up key", release(keys["kFollowUpKey"]),
                 "kStealthNative", "kFollowUpNative")),
        ("a pass acting on the hold key (hold)",
         counted("a pass after a press of the hold key", press(keys["kHoldKey"]), "kHoldNative")),
    ]
    rows = [("an idle pass (no key event)", idle), *acting, ("one keystroke", keystroke),
            ("the first pass (the loop's set-up)", first)]
    return module.contents, rows


def main(arguments):
    if len(arguments) != 1 or not arguments[0] or arguments[0].startswith("-"):
        print("usage: count_instructions.py MODULE", file=sys.stderr)
        return 2
    path = arguments[0]
    try:
        contents, rows = countRows(path)
    except EmulationError as error:
        print(f"count_instructions.py: {error}", file=sys.stderr)
        return 1
    print(f"{path}: {len(contents)} bytes, sha256 {hashlib.sha256(contents).hexdigest()}")
    print()
    print("| what | the module's own instructions |")
    print("|---|---|")
    for what, own in rows:
        print(f"| {what} | {own} |")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

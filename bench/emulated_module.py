"""The shipped module run instruction by instruction in a CPU emulator (unicorn).

The module is mapped at its preferred base, as the loader places it when that
range is free, so no relocation is applied. Its nine imports point outside it, at
one-instruction stubs (ret) whose Python hooks play the host's eight operations and
GetTickCount with a clock and a subject of their own. The script routine runs on a
stack of its own, as a host's fiber does, and a pass ends where it calls
scriptWait: the emulation stops there and the next pass resumes after that call.

ownInstructions counts only instructions whose address lies in the module's
image: what the host, the system and this emulator do is not counted. The count
is exact and the same on every machine.

Errors (a file that is no PE module, an import that is not played here, a fault,
a routine that runs away or does what a plugin may not) raise EmulationError with
a line for a person.
"""

import re
import struct
from pathlib import Path

try:
    import pefile
    from unicorn import UC_ARCH_X86, UC_HOOK_CODE, UC_MODE_64, Uc, UcError
    from unicorn import UC_PROT_EXEC, UC_PROT_READ, UC_PROT_WRITE
    from unicorn import x86_const as reg
except ImportError as error:
    raise SystemExit(
        f"the emulator needs Debian's python3-unicorn and python3-pefile, run by /usr/bin/python3 "
        f"({error})")

kSourceDir = Path(__file__).resolve().parent.parent
kHostExportsHeader = kSourceDir / "host" / "host_exports.h"
kNativesHeader = kSourceDir / "script" / "natives.h"
kBindingsHeader = kSourceDir / "script" / "script_loop.h"
kPlatformHeader = kSourceDir / "host" / "platform_posix.h"

DLL_PROCESS_ATTACH = 1

# Where the emulator keeps what is not the module's: the stubs and the result slot,
# and two stacks, one for calls into the module, one for its script. All far below
# any module's preferred base.
kHostBase = 0x1000_0000
kHostSize = 0x1000
kResultSlot = kHostBase + 0x800
kCallStackBase = 0x2000_0000
kScriptStackBase = 0x3000_0000
kStackSize = 0x1_0000
# A stub's size, and the stubs that are no import: the return of a call into the
# module, and the return of the script routine, which must never come.
kStubBytes = 16
kReturnStub = kHostBase
kScriptEndStub = kHostBase + kStubBytes
kFirstImportStub = kHostBase + 2 * kStubBytes
# What a host leaves in the result slot's high half and in the registers a call
# may change: anything, so never zero.
kHostNoise = 0xA5A5_A5A5
kVolatileRegisters = (reg.UC_X86_REG_RCX, reg.UC_X86_REG_RDX, reg.UC_X86_REG_R8,
                      reg.UC_X86_REG_R9, reg.UC_X86_REG_R10, reg.UC_X86_REG_R11)
# More than any call into the plugin takes by far: beyond it, it is running away.
kMaxInstructions = 100_000
# Far more than the plugin's image: a larger one is taken for a damaged header.
kMaxImageBytes = 16 << 20
# Each section's access, from its flags as the loader gives it.
kSectionAccess = ((pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_READ"], UC_PROT_READ),
                  (pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_WRITE"], UC_PROT_WRITE),
                  (pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_EXECUTE"], UC_PROT_EXEC))

kHostDll = "scripthookrdr2.dll"
kSystemDll = "kernel32.dll"


class EmulationError(Exception):
    """What went wrong, as a line for a person."""


def definedNames(header, pattern):
    """{name: value} of every match of `pattern` (two groups) in the header."""
    try:
        text = header.read_text()
    except OSError as error:
        raise EmulationError(f"cannot read {header}: {error.strerror}") from error
    return dict(re.findall(pattern, text))


def hostExportNames():
    """{decorated name: operation} of the host's eight operations."""
    names = definedNames(kHostExportsHeader, r'#define KEYRELAY_EXPORT_(\w+) "([^"]+)"')
    return {decorated: operation for operation, decorated in names.items()}


def nativeHashes():
    """{constant name: hash} of the natives the plugin calls."""
    hashes = definedNames(kNativesHeader, r"constexpr NativeHash (k\w+Native) = (0x[0-9A-Fa-f]+);")
    return {name: int(value, 16) for name, value in hashes.items()}


def bindingKeys():
    """{constant name: virtual-key code} of the bindings' keys (kStealthKey...), each
    written as a number or as a VK_ name that the native build defines."""
    keys = definedNames(kBindingsHeader, r"constexpr DWORD (k\w+Key) = (\w+);")
    virtualKeys = definedNames(kPlatformHeader, r"constexpr DWORD (VK_\w+) = (0x[0-9A-Fa-f]+);")
    try:
        return {name: int(virtualKeys.get(value, value), 0) for name, value in keys.items()}
    except ValueError as error:
        raise EmulationError(f"{kBindingsHeader}: a key that is no number nor a VK_ name "
                             f"{kPlatformHeader.name} defines ({error})") from error


class Keystroke:
    """One keyboard event, with the fields a host passes to the handler."""

    def __init__(self, key, release):
        self.key = key
        self.repeatCount = 1
        self.scanCode = 0  # not kept by the plugin
        self.extended = 0
        self.contextCode = 0
        self.previousState = 1 if release else 0
        self.transitionState = 1 if release else 0


def press(key):
    return Keystroke(key, release=False)


def release(key):
    return Keystroke(key, release=True)


class EmulatedModule:
    """The module loaded and attached, its routines run one call or pass at a time.

    tick (ms) is what GetTickCount returns and subject what the subject native
    does; both may be set between calls. natives lists every native call the
    module made, as (hash, [slots]), until cleared by the caller; tickReads counts
    its reads of the tick in the last pass or call.
    """

    def __init__(self, path, tick=1_000_000, subject=7):
        self.path = Path(path)
        self.tick = tick
        self.subject = subject
        self.natives = []
        self.ownInstructions = 0
        self.tickReads = 0
        self.scriptRoutine = None
        self.keystrokeHandler = None
        self.scriptContext = None
        self.inScript = False
        self.pendingNative = None
        self.failure = None
        self.until = None
        self.emulator = Uc(UC_ARCH_X86, UC_MODE_64)
        self.mapImage()
        self.mapHost()
        self.attach()

    # -- loading --------------------------------------------------------------

    def mapImage(self):
        try:
            self.contents = self.path.read_bytes()
        except OSError as error:
            raise EmulationError(f"cannot read {self.path}: {error.strerror}") from error
        try:
            image = pefile.PE(data=self.contents, fast_load=True)
        except pefile.PEFormatError as error:
            raise EmulationError(f"{self.path}: not a module that can be loaded: {error}") from error
        if image.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]:
            raise EmulationError(f"{self.path}: not a 64-bit x86 module")
        if not image.is_dll():
            raise EmulationError(f"{self.path}: not a DLL")
        for section in image.sections:
            if section.PointerToRawData + section.SizeOfRawData > len(self.contents):
                raise EmulationError(f"{self.path}: cut short: its sections run past its "
                                     f"{len(self.contents)} bytes")
        image.parse_data_directories(
            directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
        self.image = image
        self.base = image.OPTIONAL_HEADER.ImageBase
        self.size = alignedToPage(image.OPTIONAL_HEADER.SizeOfImage)
        self.entry = self.base + image.OPTIONAL_HEADER.AddressOfEntryPoint
        if self.base < kScriptStackBase + kStackSize or self.size > kMaxImageBytes:
            raise EmulationError(f"{self.path}: an image of {self.size} bytes at {self.base:#x} "
                                 "is not one the emulator maps")
        try:
            self.emulator.mem_map(self.base, self.size)
            self.emulator.mem_write(self.base, image.get_memory_mapped_image()[:self.size])
            # Each section with the access its flags give it, so that a stray write
            # faults as it would on Windows.
            self.emulator.mem_protect(self.base,
                                      alignedToPage(image.OPTIONAL_HEADER.SizeOfHeaders),
                                      UC_PROT_READ)
            for section in image.sections:
                access = 0
                for flag, protection in kSectionAccess:
                    if section.Characteristics & flag:
                        access |= protection
                self.emulator.mem_protect(self.base + section.VirtualAddress,
                                          alignedToPage(section.Misc_VirtualSize), access)
        except UcError as error:
            raise EmulationError(f"{self.path}: its sections do not fit its image: {error}") from error
        self.emulator.hook_add(UC_HOOK_CODE, self.countOwn, begin=self.base,
                               end=self.base + self.size - 1)

    def mapHost(self):
        self.emulator.mem_map(kHostBase, kHostSize)
        self.emulator.mem_write(kHostBase, b"\xc3" * (kResultSlot - kHostBase))
        for stackBase in (kCallStackBase, kScriptStackBase):
            self.emulator.mem_map(stackBase, kStackSize)
        self.stubs = {kReturnStub: self.returned, kScriptEndStub: self.scriptReturned}
        played = {}
        for decorated, operation in hostExportNames().items():
            if not hasattr(self, operation):
                raise EmulationError(f"{kHostExportsHeader} names {operation}, which the emulator "
                                     "does not play")
            played[(kHostDll, decorated)] = getattr(self, operation)
        played[(kSystemDll, "GetTickCount")] = self.getTickCount
        stub = kFirstImportStub
        for library in getattr(self.image, "DIRECTORY_ENTRY_IMPORT", []):
            dll = library.dll.decode(errors="replace")
            for symbol in library.imports:
                name = symbol.name.decode(errors="replace") if symbol.name else f"#{symbol.ordinal}"
                operation = played.get((dll.lower(), name))
                if operation is None:
                    raise EmulationError(f"{self.path} imports {dll}!{name}, which the emulator "
                                         "does not play")
                if stub + kStubBytes > kResultSlot:
                    raise EmulationError(f"{self.path}: more imports than the emulator has stubs")
                self.emulator.mem_write(symbol.address, struct.pack("<Q", stub))
                self.stubs[stub] = operation
                stub += kStubBytes
        waits = [stub for stub, operation in self.stubs.items() if operation == self.scriptWait]
        if not waits:
            raise EmulationError(f"{self.path} does not import scriptWait: not the plugin")
        self.waitStub = waits[0]
        self.emulator.hook_add(UC_HOOK_CODE, self.playHost, begin=kHostBase,
                               end=kResultSlot - 1)

    # -- running --------------------------------------------------------------

    def attach(self):
        self.call(self.entry, self.base, DLL_PROCESS_ATTACH, 0)
        if self.scriptRoutine is None or self.keystrokeHandler is None:
            raise EmulationError(f"{self.path}: its entry point registered no script or no "
                                 "keystroke handler: not the plugin")

    def runPass(self):
        """Runs the script up to its next scriptWait; the module's own instructions."""
        if self.scriptContext is None:
            self.writeReturnAddress(kScriptStackBase, kScriptEndStub)
            begin = self.scriptRoutine
        else:
            self.emulator.context_restore(self.scriptContext)
            begin = self.emulator.reg_read(reg.UC_X86_REG_RIP)
        self.inScript = True
        own = self.run(begin, self.waitStub, "the script's pass")
        self.inScript = False
        milliseconds = self.emulator.reg_read(reg.UC_X86_REG_ECX)
        if milliseconds != 0:
            raise EmulationError(f"{self.path}: the script waited {milliseconds} ms, not 0")
        # Back in the script, after its call of scriptWait, when the host resumes it.
        rsp = self.emulator.reg_read(reg.UC_X86_REG_RSP)
        self.emulator.reg_write(reg.UC_X86_REG_RIP, self.readQword(rsp))
        self.emulator.reg_write(reg.UC_X86_REG_RSP, rsp + 8)
        self.scriptContext = self.emulator.context_save()
        return own

    def deliver(self, keystroke):
        """Calls the keystroke handler with it; the module's own instructions."""
        return self.call(self.keystrokeHandler, keystroke.key, keystroke.repeatCount,
                         keystroke.scanCode, keystroke.extended, keystroke.contextCode,
                         keystroke.previousState, keystroke.transitionState)

    def call(self, function, *arguments):
        """Calls a routine of the module's on the call stack, as the x64 convention
        passes arguments; the module's own instructions."""
        rsp = self.writeReturnAddress(kCallStackBase, kReturnStub)
        registers = (reg.UC_X86_REG_RCX, reg.UC_X86_REG_RDX, reg.UC_X86_REG_R8, reg.UC_X86_REG_R9)
        for register, value in zip(registers, arguments):
            self.emulator.reg_write(register, value)
        # The fifth argument and on sit above the return address and the four
        # registers' home slots.
        for index, value in enumerate(arguments[4:]):
            self.emulator.mem_write(rsp + 0x28 + 8 * index, struct.pack("<Q", value))
        return self.run(function, kReturnStub, f"the call of {function:#x}")

    def writeReturnAddress(self, stackBase, returnAddress):
        """Points rsp at `returnAddress` near the stack's top, aligned as at a
        function's entry (8 past a multiple of 16); returns rsp."""
        rsp = stackBase + kStackSize - 0x100 - 8
        self.emulator.mem_write(rsp, struct.pack("<Q", returnAddress))
        self.emulator.reg_write(reg.UC_X86_REG_RSP, rsp)
        return rsp

    def run(self, begin, until, what):
        """Runs from `begin` until the emulation reaches `until`; the module's own
        instructions."""
        self.ownInstructions = 0
        self.tickReads = 0
        self.failure = None
        self.until = until
        try:
            self.emulator.emu_start(begin, until, count=kMaxInstructions)
        except UcError as error:
            rip = self.emulator.reg_read(reg.UC_X86_REG_RIP)
            raise EmulationError(f"{self.path}: {what} faulted at {rip:#x}: {error}") from error
        if self.failure is not None:
            raise EmulationError(f"{self.path}: {what}: {self.failure}")
        rip = self.emulator.reg_read(reg.UC_X86_REG_RIP)
        if rip != until:
            raise EmulationError(f"{self.path}: {what} did not end within {kMaxInstructions} "
                                 f"instructions (stopped at {rip:#x})")
        return self.ownInstructions

    # -- hooks ----------------------------------------------------------------

    def countOwn(self, _emulator, _address, _size, _data):
        self.ownInstructions += 1

    def playHost(self, emulator, address, _size, _data):
        if address == self.until:
            return  # where the run ends, before the stub: nothing to play
        operation = self.stubs.get(address)
        if operation is None:
            self.fail(f"jumped into the emulator's memory at {address:#x}")
            return
        result = operation(*(emulator.reg_read(r) for r in kVolatileRegisters[:3]))
        for register in kVolatileRegisters:
            emulator.reg_write(register, kHostNoise)
        emulator.reg_write(reg.UC_X86_REG_RAX, kHostNoise if result is None else result)

    def fail(self, why):
        if self.failure is None:
            self.failure = why
        self.emulator.emu_stop()

    # -- what the host and the system do --------------------------------------

    def returned(self, *_):
        self.fail("returned where nothing called it")

    def scriptReturned(self, *_):
        self.fail("the script routine returned")

    def scriptRegister(self, module, routine, *_):
        if module != self.base:
            self.fail(f"registered its script for module {module:#x}, not its own {self.base:#x}")
        self.scriptRoutine = routine

    def scriptUnregister(self, *_):
        self.fail("unregistered its script while loaded")

    def keyboardHandlerRegister(self, handler, *_):
        self.keystrokeHandler = handler

    def keyboardHandlerUnregister(self, *_):
        self.fail("unregistered its keystroke handler while loaded")

    def scriptWait(self, *_):
        # A pass ends where the script calls it, and the run stops there: this is
        # reached only from elsewhere.
        self.fail("called scriptWait outside its script")

    def nativeInit(self, nativeHash, *_):
        self.requireScript("nativeInit")
        self.pendingNative = (nativeHash, [])

    def nativePush64(self, slot, *_):
        self.requireScript("nativePush64")
        if self.pendingNative is None:
            self.fail("pushed an argument with no native begun")
        else:
            self.pendingNative[1].append(slot)

    def nativeCall(self, *_):
        self.requireScript("nativeCall")
        if self.pendingNative is None:
            self.fail("called a native with none begun")
            return None
        self.natives.append(self.pendingNative)
        self.pendingNative = None
        # The handle is the low half of the result; the host may leave anything above.
        result = (kHostNoise << 32) | (self.subject & 0xFFFF_FFFF)
        self.emulator.mem_write(kResultSlot, struct.pack("<Q", result))
        return kResultSlot

    def getTickCount(self, *_):
        self.tickReads += 1
        return self.tick & 0xFFFF_FFFF

    def requireScript(self, operation):
        if not self.inScript:
            self.fail(f"called {operation} outside its script")

    # -- reading --------------------------------------------------------------

    def readQword(self, address):
        return struct.unpack("<Q", self.emulator.mem_read(address, 8))[0]

    def inImage(self, address):
        return self.base <= address < self.base + self.size

    def readText(self, address, limit=256):
        """The NUL-terminated text at `address` in the module's image, without the NUL;
        None when it is not there or has no NUL within `limit` bytes."""
        if not self.inImage(address):
            return None
        end = min(address + limit, self.base + self.size)
        text = bytes(self.emulator.mem_read(address, end - address))
        return text.split(b"\0", 1)[0] if b"\0" in text else None


def alignedToPage(size):
    return (size + 0xFFF) & ~0xFFF

#!/usr/bin/env python3
"""Checks that one slice of a Mach-O module carries what the unwinder needs to take an exception
from its throw to its catch, read from the file as macOS's unwinder (libunwind, with libc++abi's
personality routine) reads it:

- the catch tables: a non-empty __gcc_except_tab;
- a personality routine: __unwind_info names at least one, each a function of the slice
  (___gxx_personality_v0 when the symbol table names it), and every function that has a catch
  table (LSDA) points into __gcc_except_tab and names one of those routines;
- every compact-unwind entry in DWARF mode (x86_64 0x04000000, arm64 0x03000000) points at an
  FDE of __eh_frame (not a CIE, not past its end) whose range covers the entry's function. A
  slice without such entries needs no __eh_frame (LLVM 16 then leaves it out);
- arm64 only: every function sets up a frame record (x29 and x30 stored side by side, x29
  pointing at them), as Apple's arm64 ABI asks of all code, or is a leaf. A compact encoding in
  FRAME mode (0x04000000) says the first; FRAMELESS mode (0x02000000) can only describe a
  function whose return address stays in x30, that is a leaf; a DWARF-mode function passes when
  its FDE makes x29 the CFA's register and saves x29 and x30 at CFA-16 and CFA-8. An arm64 entry
  with no unwind information at all (encoding 0) fails: the unwinder stops there. Three
  functions of the runtime are known exceptions (RUNTIME_WITHOUT_FRAME_RECORD);
- every FDE describes code of the slice (lies in __text): none left unrelocated or over from
  stripped code, where the unwinder's search of __eh_frame could take a wrong one.

    check_unwind.py FILE ARCH     prints the slice's figures; exit 1 with the faults
"""
import struct
import sys

from macho import MH_MAGIC_64, slice_of

LC_SEGMENT_64 = 0x19
LC_SYMTAB = 0x2

MODE_MASK = 0x0F000000
DWARF_MODE = {"x86_64": 0x04000000, "arm64": 0x03000000}
FRAME_MODE = {"x86_64": 0x01000000, "arm64": 0x04000000}
ARM64_FRAMELESS = 0x02000000
HAS_LSDA = 0x40000000
PERSONALITY_MASK = 0x30000000
DWARF_SECTION_OFFSET_MASK = 0x00FFFFFF

# DWARF register numbers of the frame pointer and the return address on arm64.
X29, X30 = 29, 30

# Functions of zig's libc++abi that clang 16 compiles with x29 and x30 saved but x29 not pointed
# at them, though the runtime is built with frame pointers ("frame-pointer"="non-leaf" in their
# IR): their FDEs describe them, so an exception passes them, and a walk of the frame records
# misses one frame there. Any other function without a frame record fails the check.
RUNTIME_WITHOUT_FRAME_RECORD = {"___cxa_begin_catch", "__ZSt9terminatev", "___dynamic_cast"}


class Fault(Exception):
    pass


class Slice:
    def __init__(self, macho):
        magic, _, _, _, ncmds, _, _, _ = struct.unpack_from("<IiiIIIII", macho, 0)
        if magic != MH_MAGIC_64:
            raise Fault("not a 64-bit Mach-O slice")
        self.data = macho
        self.sections = {}
        self.segments = []
        self.base = None
        self.symbols = {}
        offset = 32
        for _ in range(ncmds):
            command, size = struct.unpack_from("<II", macho, offset)
            if command == LC_SEGMENT_64:
                self._segment(offset)
            elif command == LC_SYMTAB:
                self._symtab(offset)
            offset += size
        if self.base is None:
            raise Fault("no __TEXT segment")

    def _segment(self, offset):
        segname, vmaddr, vmsize, fileoff, filesize, _, _, nsects, _ = struct.unpack_from(
            "<16sQQQQiiII", self.data, offset + 8)
        segname = segname.rstrip(b"\0").decode()
        self.segments.append((vmaddr, vmsize, fileoff, filesize))
        if segname == "__TEXT":
            self.base = vmaddr
        at = offset + 72
        for _ in range(nsects):
            sectname, seg, addr, size, fileoff, _, _, _, _, _, _, _ = struct.unpack_from(
                "<16s16sQQIIIIIIII", self.data, at)
            name = "%s,%s" % (seg.rstrip(b"\0").decode(), sectname.rstrip(b"\0").decode())
            self.sections[name] = (addr, size, fileoff)
            at += 80

    def _symtab(self, offset):
        symoff, nsyms, stroff, _ = struct.unpack_from("<IIII", self.data, offset + 8)
        for index in range(nsyms):
            strx, ntype, _, _, value = struct.unpack_from("<IBBHQ", self.data, symoff + 16 * index)
            if ntype & 0xE0 or ntype & 0x0E != 0x0E:  # stabs, or not defined in a section
                continue
            end = self.data.index(b"\0", stroff + strx)
            self.symbols.setdefault(value, self.data[stroff + strx:end].decode(errors="replace"))

    def section(self, name):
        """(address, bytes) of a section, or None."""
        if name not in self.sections:
            return None
        addr, size, fileoff = self.sections[name]
        return addr, self.data[fileoff:fileoff + size]

    def read_pointer(self, address):
        """The 8 bytes the file holds at a virtual address (before the loader's fixups)."""
        for vmaddr, _, fileoff, filesize in self.segments:
            if vmaddr <= address < vmaddr + filesize:
                return struct.unpack_from("<Q", self.data, fileoff + address - vmaddr)[0]
        return None

    def in_section(self, name, address):
        if name not in self.sections:
            return False
        addr, size, _ = self.sections[name]
        return addr <= address < addr + size

    def function_at(self, pointer):
        """The function a pointer slot's value names: a plain address, or the target of a
        chained-fixup rebase (its low 36 bits, an address or an offset from the image's base)."""
        for candidate in (pointer, pointer & (1 << 36) - 1, self.base + (pointer & (1 << 36) - 1)):
            if self.in_section("__TEXT,__text", candidate):
                return candidate
        return None


def leb(data, at):
    """A LEB128 number's bits, where it ends, its width in bits and its last byte."""
    result = shift = 0
    while True:
        byte = data[at]
        at += 1
        result |= (byte & 0x7F) << shift
        shift += 7
        if not byte & 0x80:
            return result, at, shift, byte


def uleb(data, at):
    result, at, _, _ = leb(data, at)
    return result, at


def sleb(data, at):
    result, at, shift, last = leb(data, at)
    if last & 0x40:
        result -= 1 << shift
    return result, at


def encoded(data, at, encoding, address):
    """A DW_EH_PE-encoded pointer at data[at] (address is where data[0] lies): (value, next,
    indirect)."""
    if encoding == 0xFF:
        return None, at, False
    form = encoding & 0x0F
    if form == 0x00:
        value, size = struct.unpack_from("<Q", data, at)[0], 8
    elif form == 0x01:
        value, after = uleb(data, at)
        size = after - at
    elif form in (0x02, 0x03, 0x04, 0x09, 0x0A, 0x0B, 0x0C):
        fmt = {0x02: "<H", 0x03: "<I", 0x04: "<Q", 0x0A: "<h", 0x0B: "<i", 0x0C: "<q"}
        if form == 0x09:
            value, after = sleb(data, at)
            size = after - at
        else:
            value = struct.unpack_from(fmt[form], data, at)[0]
            size = struct.calcsize(fmt[form])
    else:
        raise Fault("__eh_frame: pointer encoding 0x%02x" % encoding)
    application = encoding & 0x70
    if application == 0x10:  # pcrel
        value += address + at
    elif application != 0:
        raise Fault("__eh_frame: pointer application 0x%02x" % application)
    return value & (1 << 64) - 1, at + size, bool(encoding & 0x80)


class Cie:
    def __init__(self, data, at, end, address):
        version = data[at]
        at += 1
        nul = data.index(b"\0", at)
        self.augmentation = data[at:nul].decode()
        at = nul + 1
        self.code_align, at = uleb(data, at)
        self.data_align, at = sleb(data, at)
        if version == 1:
            at += 1
        else:
            _, at = uleb(data, at)
        self.fde_encoding = 0
        self.lsda_encoding = 0xFF
        self.personality = None
        if self.augmentation.startswith("z"):
            length, at = uleb(data, at)
            after = at + length
            for letter in self.augmentation[1:]:
                if letter == "P":
                    encoding = data[at]
                    self.personality, at, indirect = encoded(data, at + 1, encoding, address)
                    self.personality_indirect = indirect
                elif letter == "L":
                    self.lsda_encoding = data[at]
                    at += 1
                elif letter == "R":
                    self.fde_encoding = data[at]
                    at += 1
            at = after
        self.instructions = data[at:end]


class EhFrame:
    """Every CIE and FDE of __eh_frame, by offset."""

    def __init__(self, address, data):
        self.cies = {}
        self.fdes = {}
        at = 0
        while at + 4 <= len(data):
            (length,) = struct.unpack_from("<I", data, at)
            if length == 0:
                break
            start = at
            at += 4
            if length == 0xFFFFFFFF:
                (length,) = struct.unpack_from("<Q", data, at)
                at += 8
            end = at + length
            (cie_id,) = struct.unpack_from("<I", data, at)
            if cie_id == 0:
                self.cies[start] = Cie(data, at + 4, end, address)
            else:
                cie = self.cies.get(at - cie_id)
                if cie is None:
                    raise Fault("__eh_frame: the FDE at 0x%x names no CIE" % start)
                begin, after, _ = encoded(data, at + 4, cie.fde_encoding, address)
                span, after, _ = encoded(data, after, cie.fde_encoding & 0x0F, address)
                if cie.augmentation.startswith("z"):
                    length, after = uleb(data, after)
                    after += length
                self.fdes[start] = (begin, span, cie, data[after:end])
            at = end


def sets_frame_record(cie, instructions):
    """Whether the CFA rules, somewhere in the function, make x29 the CFA's register and have x29
    and x30 saved at CFA-16 and CFA-8: a frame record {x29, x30} that x29 points at (the
    epilogue's rules, which undo it, come later)."""
    cfa_register = None
    saved = {}
    for program in (cie.instructions, instructions):
        at = 0
        while at < len(program):
            if cfa_register == X29 and saved.get(X29) == -16 and saved.get(X30) == -8:
                return True
            op = program[at]
            at += 1
            high, low = op & 0xC0, op & 0x3F
            if high == 0x40:
                continue
            if high == 0x80:
                offset, at = uleb(program, at)
                saved[low] = offset * cie.data_align
                continue
            if high == 0xC0:
                saved.pop(low, None)
                continue
            if op in (0x00, 0x0A, 0x0B, 0x2D):
                continue
            if op == 0x01:
                at += 8
            elif op in (0x02, 0x03, 0x04):
                at += {0x02: 1, 0x03: 2, 0x04: 4}[op]
            elif op in (0x05, 0x11, 0x14, 0x15):
                register, at = uleb(program, at)
                offset, at = (uleb if op in (0x05, 0x14) else sleb)(program, at)
                if op in (0x05, 0x11):
                    saved[register] = offset * cie.data_align
            elif op in (0x06, 0x07, 0x08, 0x0D):
                register, at = uleb(program, at)
                if op == 0x0D:
                    cfa_register = register
                else:
                    saved.pop(register, None)
            elif op == 0x09:
                _, at = uleb(program, at)
                _, at = uleb(program, at)
            elif op in (0x0C, 0x12):
                cfa_register, at = uleb(program, at)
                _, at = (uleb if op == 0x0C else sleb)(program, at)
            elif op in (0x0E, 0x2E):
                _, at = uleb(program, at)
            elif op == 0x13:
                _, at = sleb(program, at)
            elif op == 0x0F:
                length, at = uleb(program, at)
                at += length
            elif op in (0x10, 0x16):
                _, at = uleb(program, at)
                length, at = uleb(program, at)
                at += length
            elif op == 0x2F:
                _, at = uleb(program, at)
                _, at = uleb(program, at)
            else:
                return False  # an instruction this reading does not know: not proven
    return cfa_register == X29 and saved.get(X29) == -16 and saved.get(X30) == -8


def compact_entries(unwind_address, unwind):
    """Every compact-unwind entry of __unwind_info, (function offset, encoding, LSDA offset or
    None), and the personality array."""
    (version, common_offset, common_count, personality_offset, personality_count, index_offset,
     index_count) = struct.unpack_from("<7I", unwind, 0)
    if version != 1:
        raise Fault("__unwind_info: version %d" % version)
    common = struct.unpack_from("<%dI" % common_count, unwind, common_offset)
    personalities = struct.unpack_from("<%dI" % personality_count, unwind, personality_offset)
    index = [struct.unpack_from("<III", unwind, index_offset + 12 * i) for i in range(index_count)]
    lsdas = {}
    if index:
        start, end = index[0][2], index[-1][2]
        for at in range(start, end, 8):
            function, lsda = struct.unpack_from("<II", unwind, at)
            lsdas[function] = lsda
    functions = []
    for first, page, _ in index[:-1]:
        if page == 0:
            continue
        (kind,) = struct.unpack_from("<I", unwind, page)
        if kind == 2:  # regular
            entry_offset, entry_count = struct.unpack_from("<HH", unwind, page + 4)
            for i in range(entry_count):
                functions.append(struct.unpack_from("<II", unwind, page + entry_offset + 8 * i))
        elif kind == 3:  # compressed
            entry_offset, entry_count, encodings_offset, encodings_count = struct.unpack_from(
                "<HHHH", unwind, page + 4)
            local = struct.unpack_from("<%dI" % encodings_count, unwind, page + encodings_offset)
            for i in range(entry_count):
                (entry,) = struct.unpack_from("<I", unwind, page + entry_offset + 4 * i)
                which = entry >> 24
                encoding = common[which] if which < common_count else local[which - common_count]
                functions.append((first + (entry & 0xFFFFFF), encoding))
        else:
            raise Fault("__unwind_info: a second-level page of kind %d" % kind)
    return ([(function, encoding, lsdas.get(function)) for function, encoding in functions],
            personalities)


def check(arch, macho):
    image = Slice(macho)
    faults = []
    figures = {}

    for name in ("__TEXT,__gcc_except_tab", "__TEXT,__eh_frame"):
        found = image.section(name)
        figures[name.split(",")[1]] = len(found[1]) if found else 0
    if not figures["__gcc_except_tab"]:
        faults.append("no __gcc_except_tab (the catch tables)")

    eh = image.section("__TEXT,__eh_frame")
    frame = EhFrame(*eh) if eh else EhFrame(0, b"")
    figures["FDEs"] = len(frame.fdes)
    text = image.sections.get("__TEXT,__text", (0, 0, 0))
    figures["FDEs in __text"] = sum(1 for begin, _, _, _ in frame.fdes.values()
                                    if text[0] <= begin < text[0] + text[1])

    unwind = image.section("__TEXT,__unwind_info")
    if not unwind:
        raise Fault("no __unwind_info")
    entries, personalities = compact_entries(*unwind)

    # The personality routines: __unwind_info's (each a 32-bit offset from the image's base of
    # a pointer slot) and the CIEs'.
    routines = set()
    for offset in personalities:
        pointer = image.read_pointer(image.base + offset)
        routine = image.function_at(pointer) if pointer is not None else None
        if routine is None:
            faults.append("a personality slot at 0x%x names no function of the module"
                          % (image.base + offset))
        else:
            routines.add(routine)
    for cie in frame.cies.values():
        if cie.personality is not None:
            routine = cie.personality
            if cie.personality_indirect:
                pointer = image.read_pointer(routine)
                routine = image.function_at(pointer) if pointer is not None else None
            if routine is not None:
                routines.add(routine)
    if not routines:
        faults.append("no personality routine (no catch can be found)")
    names = sorted(image.symbols.get(routine, "0x%x" % routine) for routine in routines)
    figures["personality"] = " ".join(names) if names else "none"

    dwarf_mode = DWARF_MODE[arch]
    counts = {"DWARF-mode": 0, "frame": 0, "leaf": 0, "no unwind information": 0, "LSDA": 0}
    bad_dwarf = []
    no_frame = []
    bad_lsda = []
    bad_personality = []
    for function, encoding, lsda in entries:
        address = image.base + function
        mode = encoding & MODE_MASK
        name = image.symbols.get(address, "0x%x" % address)
        if encoding & HAS_LSDA:
            counts["LSDA"] += 1
            if lsda is None or not image.in_section("__TEXT,__gcc_except_tab", image.base + lsda):
                bad_lsda.append(name)
        if encoding & HAS_LSDA or encoding & PERSONALITY_MASK:
            if not 1 <= (encoding & PERSONALITY_MASK) >> 28 <= len(personalities):
                bad_personality.append(name)
        if encoding == 0:
            # x86_64: LLVM's encoding of a function whose prologue moves nothing (a leaf).
            # arm64: LLVM gives such a function FRAMELESS, so 0 is code the unwinder stops at.
            counts["no unwind information"] += 1
            if arch == "arm64":
                no_frame.append(name)
            continue
        if mode == dwarf_mode:
            counts["DWARF-mode"] += 1
            fde_offset = encoding & DWARF_SECTION_OFFSET_MASK
            fde = frame.fdes.get(fde_offset)
            if fde is None or not fde[0] <= address < fde[0] + fde[1]:
                bad_dwarf.append(name)
                continue
            if arch == "arm64":
                if sets_frame_record(fde[2], fde[3]):
                    counts["frame"] += 1
                else:
                    no_frame.append(name)
        elif mode == FRAME_MODE[arch]:
            counts["frame"] += 1
        elif arch == "arm64" and mode == ARM64_FRAMELESS:
            counts["leaf"] += 1
        elif arch == "arm64":
            no_frame.append(name)
    if bad_lsda:
        faults.append("%d functions have a catch table outside __gcc_except_tab (first: %s)"
                      % (len(bad_lsda), bad_lsda[0]))
    if bad_personality:
        faults.append("%d functions with a catch table name no personality routine of the "
                      "__unwind_info (first: %s)" % (len(bad_personality), bad_personality[0]))
    outside = figures["FDEs"] - figures["FDEs in __text"]
    if outside:
        faults.append("%d of %d FDEs describe no code of the module (unrelocated, or left from "
                      "stripped code)" % (outside, figures["FDEs"]))
    if counts["DWARF-mode"] and not figures["__eh_frame"]:
        faults.append("no __eh_frame (the DWARF unwind rules), which %d entries send the "
                      "unwinder to" % counts["DWARF-mode"])
    if bad_dwarf:
        faults.append("%d of %d DWARF-mode entries point at no FDE that covers their function "
                      "(first: %s)" % (len(bad_dwarf), counts["DWARF-mode"], bad_dwarf[0]))
    excused = sorted(name for name in no_frame if name in RUNTIME_WITHOUT_FRAME_RECORD)
    no_frame = [name for name in no_frame if name not in RUNTIME_WITHOUT_FRAME_RECORD]
    figures["excused"] = " ".join(excused)
    if no_frame:
        faults.append("%d functions set up no frame record and are no leaf (first: %s)"
                      % (len(no_frame), no_frame[0]))
    figures.update(counts)
    figures["entries"] = len(entries)
    return figures, faults


def main():
    path, arch = sys.argv[1], sys.argv[2]
    with open(path, "rb") as module:
        data = module.read()
    try:
        figures, faults = check(arch, slice_of(data, arch))
    except (Fault, struct.error, ValueError, IndexError, KeyError, TypeError) as problem:
        print("%s: unwind tables unreadable: %s" % (arch, problem))
        return 1
    line = ("%s: %d functions in __unwind_info, %d DWARF-mode, %d FDEs (%d in __text), "
            "personality %s, %d with a catch table, %d %s"
            % (arch, figures["entries"], figures["DWARF-mode"], figures["FDEs"],
               figures["FDEs in __text"], figures["personality"], figures["LSDA"],
               figures["frame"], "frame records" if arch == "arm64" else "RBP frames"))
    if arch == "arm64":
        line += ", %d leaves" % figures["leaf"]
        if figures["excused"]:
            line += " and the known runtime functions without one (%s)" % figures["excused"]
    print("%s, %d without unwind information, __gcc_except_tab %d bytes, __eh_frame %d bytes"
          % (line, figures["no unwind information"], figures["__gcc_except_tab"],
             figures["__eh_frame"]))
    for fault in faults:
        print("%s: %s" % (arch, fault))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

"""What the Mac checks share of the Mach-O format: the processor types of the two slices, the
magic numbers, and finding one slice in a universal (fat) or thin file."""
import struct

CPU_TYPES = {"x86_64": 0x01000007, "arm64": 0x0100000C}
FAT_MAGIC = 0xCAFEBABE
MH_MAGIC_64 = 0xFEEDFACF


def slice_of(data, arch):
    """The bytes of the slice for arch; ValueError when the file has none."""
    (magic,) = struct.unpack_from(">I", data, 0)
    if magic != FAT_MAGIC:
        # A thin file is read only as the slice it is.
        if struct.unpack_from("<i", data, 4)[0] != CPU_TYPES[arch]:
            raise ValueError("no %s slice" % arch)
        return data
    (count,) = struct.unpack_from(">I", data, 4)
    for index in range(count):
        cputype, _, offset, size, _ = struct.unpack_from(">iiIII", data, 8 + 20 * index)
        if cputype == CPU_TYPES[arch]:
            return data[offset:offset + size]
    raise ValueError("no %s slice" % arch)

#!/usr/bin/env python3
"""Checks that one slice of a Mach-O file carries a code signature whose code directory matches
the slice's bytes, page by page, as macOS checks it before it runs the code: a file changed
after it was signed (stripped, its load commands edited) fails here as it fails on a Mac.

    check_signature.py FILE ARCH      exit 0 when the signature holds, 1 with the reason
"""
import hashlib
import struct
import sys

from macho import MH_MAGIC_64, slice_of

LC_CODE_SIGNATURE = 0x1D
CSMAGIC_EMBEDDED_SIGNATURE = 0xFADE0CC0
CSMAGIC_CODEDIRECTORY = 0xFADE0C02
CSSLOT_CODEDIRECTORY = 0
HASHES = {1: hashlib.sha1, 2: hashlib.sha256}


def signature_of(macho):
    magic, _, _, _, ncmds, _, _, _ = struct.unpack_from("<IiiIIIII", macho, 0)
    if magic != MH_MAGIC_64:
        raise ValueError("not a 64-bit Mach-O slice")
    offset = 32
    for _ in range(ncmds):
        command, size = struct.unpack_from("<II", macho, offset)
        if command == LC_CODE_SIGNATURE:
            data_offset, data_size = struct.unpack_from("<II", macho, offset + 8)
            return macho[data_offset:data_offset + data_size], data_offset
        offset += size
    raise ValueError("no code signature")


def check(macho):
    blob, signature_offset = signature_of(macho)
    magic, _, count = struct.unpack_from(">III", blob, 0)
    if magic != CSMAGIC_EMBEDDED_SIGNATURE:
        raise ValueError("the signature is not an embedded signature")
    for index in range(count):
        slot, offset = struct.unpack_from(">II", blob, 12 + 8 * index)
        if slot == CSSLOT_CODEDIRECTORY:
            break
    else:
        raise ValueError("the signature holds no code directory")
    (magic, _, _, _, hash_offset, _, _, code_slots, code_limit, hash_size, hash_type, _,
     page_shift) = struct.unpack_from(">IIIIIIIIIBBBB", blob, offset)
    if magic != CSMAGIC_CODEDIRECTORY or hash_type not in HASHES:
        raise ValueError("the code directory is not one macOS reads")
    # The signature covers everything before itself.
    if code_limit != signature_offset:
        raise ValueError("the signature covers %d bytes, not the %d before it"
                         % (code_limit, signature_offset))
    page = 1 << page_shift
    if code_slots != (code_limit + page - 1) // page:
        raise ValueError("%d page hashes for %d bytes" % (code_slots, code_limit))
    for index in range(code_slots):
        start = offset + hash_offset + index * hash_size
        expected = blob[start:start + hash_size]
        text = macho[index * page:min((index + 1) * page, code_limit)]
        if HASHES[hash_type](text).digest()[:hash_size] != expected:
            raise ValueError("page %d changed after the file was signed" % index)


def main():
    path, arch = sys.argv[1], sys.argv[2]
    with open(path, "rb") as module:
        data = module.read()
    try:
        check(slice_of(data, arch))
    except (ValueError, struct.error) as problem:
        print("%s: %s" % (arch, problem))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

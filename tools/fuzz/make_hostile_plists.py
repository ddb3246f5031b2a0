#!/usr/bin/env python3
"""Writes the hostile binary property lists that the property-list readers
must refuse, as fuzzer seeds: arrays that share their children (a few hundred
bytes that a naive reader expands to 2^40 nodes, and a shallow variant of
2^12) and arrays nested a hundred thousand deep (which overflow a recursive
reader's stack).

    tools/fuzz/make_hostile_plists.py tests/fuzz/corpus/plist
"""
import struct
import sys
from pathlib import Path


def bplist(objects, top, ref_size):
    """A "bplist00" file of the encoded objects, with their offset table."""
    body = bytearray(b"bplist00")
    offsets = []
    for encoded in objects:
        offsets.append(len(body))
        body += encoded
    offset_size = 1 if len(body) < 1 << 8 else 2 if len(body) < 1 << 16 else 3 if len(body) < 1 << 24 else 4
    table = len(body)
    for offset in offsets:
        body += offset.to_bytes(offset_size, "big")
    body += bytes(6) + bytes([offset_size, ref_size])
    body += struct.pack(">QQQ", len(objects), top, table)
    return bytes(body)


def ref(index, size):
    return index.to_bytes(size, "big")


def shared_children(levels=40):
    objects = [bytes([0xA2]) + ref(i + 1, 1) * 2 for i in range(levels)]
    objects.append(bytes([0x51]) + b"x")
    return bplist(objects, 0, 1)


def deep_nesting(levels=100_000):
    objects = [bytes([0xA1]) + ref(i + 1, 3) for i in range(levels)]
    objects.append(bytes([0x51]) + b"x")
    return bplist(objects, 0, 3)


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "shared-children.bplist").write_bytes(shared_children())
    # Shallow enough for any depth limit, but 2^12 nodes once expanded.
    (folder / "shallow-sharing.bplist").write_bytes(shared_children(12))
    (folder / "deep-nesting.bplist").write_bytes(deep_nesting())


if __name__ == "__main__":
    main()

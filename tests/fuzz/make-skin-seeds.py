#!/usr/bin/env python3
"""Writes the seed containers of the skin fuzzer into skin-corpus/.

Each seed is a small container (capacity of a few slots, not the 1000 of a
real skin) holding casts or a layout, so mutations reach the cast decoder and
the layout reader quickly. Run it again after changing the seeds."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def container(resources, capacity=None):
    capacity = capacity if capacity is not None else len(resources)
    header = struct.pack(">HHHH", 1, capacity, len(resources), 0)
    offset = 8 + 16 * capacity
    directory, data = b"", b""
    for rtype, rid, payload in resources:
        directory += struct.pack(">i4sII", rid, rtype, len(payload), offset + len(data))
        data += payload
    directory += b"\0" * 16 * (capacity - len(resources))
    return header + directory + data


def cast_header(width, height, row_bytes=0xFFFF):
    records = b"".join(struct.pack(">HHI8x", row_bytes, 0, 0) for _ in range(4))
    return struct.pack(">HH4x", width, height) + records + b"\0" * 32


def seeds():
    px16 = struct.pack(">8H", 0x7C00, 0x03E0, 0, 0, 0, 0, 0, 0) + struct.pack(">8H", 0x001F, 0x7FFF, 0, 0, 0, 0, 0, 0)
    mask = bytes([255, 128, 0, 0, 0, 0, 0, 0, 0, 64, 0, 0, 0, 0, 0, 0])
    yield "cast16.bin", container([(b"MPIX", 1, cast_header(2, 2)), (b"PX16", 1, px16), (b"PXMK", 1, mask)])
    px32 = bytes([0, 0x12, 0x34, 0x56, 0, 0xFF, 0, 0x80]) + b"\0" * 24
    px08 = bytes([1, 2, 3, 0, 0, 0, 0, 0])
    table = bytes(range(256)) * 4
    yield "cast32-8.bin", container([(b"MPIX", 2, cast_header(2, 1, 8)), (b"PX32", 2, px32[:8]),
                                      (b"MPIX", 3, cast_header(3, 1)), (b"PX08", 3, px08),
                                      (b"CTP8", 3, table)])
    items = 2
    layout = bytearray(48 + 50 * 116)
    struct.pack_into(">hhhh", layout, 6, 0, 0, 100, 40)
    struct.pack_into(">H", layout, 46, items)
    for i in range(items):
        base = 48 + 116 * i
        struct.pack_into(">hhh", layout, base, 2, 10 * i, 5)
        struct.pack_into(">i", layout, base + 12, 1)
        layout[base + 60:base + 64] = b"knob"
        struct.pack_into(">h", layout, base + 68, 306 if i else 304)
        struct.pack_into(">hh", layout, base + 108, 20, 16)
    yield "layout.bin", container([(b"LAYA", 10, bytes(layout)), (b"MPIX", 1, cast_header(2, 2)),
                                    (b"PX16", 1, px16)], capacity=4)
    yield "empty.bin", container([], capacity=0)


if __name__ == "__main__":
    folder = os.path.join(HERE, "skin-corpus")
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)

#!/usr/bin/env python3
"""Moves a JPEG's maker note as some editors do: the note's bytes are copied
unchanged to the end of the EXIF data and the MakerNote entry points there,
so the offsets inside the note still count from where the camera wrote it.

Usage: move_note.py IN.jpg OUT.jpg [PAD]   (PAD bytes of zeros before the note)
"""
import struct
import sys


def main():
    data = open(sys.argv[1], "rb").read()
    pad = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    at = data.find(b"\xff\xe1")
    size = struct.unpack(">H", data[at + 2:at + 4])[0]
    segment = data[at + 4:at + 2 + size]
    assert segment.startswith(b"Exif\0\0")
    tiff = bytearray(segment[6:])
    e = "<" if tiff[:2] == b"II" else ">"
    u16 = lambda p: struct.unpack(e + "H", tiff[p:p + 2])[0]
    u32 = lambda p: struct.unpack(e + "I", tiff[p:p + 4])[0]

    def find(ifd, tag):
        for i in range(u16(ifd)):
            entry = ifd + 2 + 12 * i
            if u16(entry) == tag:
                return entry
        return None

    exif = u32(find(u32(4), 0x8769) + 8)
    entry = find(exif, 0x927C)
    count, offset = u32(entry + 4), u32(entry + 8)
    note = bytes(tiff[offset:offset + count])
    tiff += b"\0" * (pad + (len(tiff) % 2))
    tiff[entry + 8:entry + 12] = struct.pack(e + "I", len(tiff))
    tiff += note
    segment = b"Exif\0\0" + bytes(tiff)
    out = data[:at] + b"\xff\xe1" + struct.pack(">H", len(segment) + 2) + segment + data[at + 2 + size:]
    open(sys.argv[2], "wb").write(out)


if __name__ == "__main__":
    main()

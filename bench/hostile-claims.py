#!/usr/bin/env python3
"""Writes the files that claim more than they hold into FOLDER: sparse files
(truncate makes their holes, which cost nothing on disk) whose metadata
block, by the size its box, chunk or resource gives, spans gigabytes; a
sparse terabyte TIFF; PNG zlib bombs; XMP packets at the accepted limit; and
a folder of files that each fill another size class of exifinfo's allocator
(with one of copies of the largest, to compare).

Usage: bench/hostile-claims.py FOLDER
"""
import os
import struct
import sys
import zlib

GIB = 1 << 30


def be(v, width):
    return v.to_bytes(width, "big")


def box(kind, payload):
    return be(8 + len(payload), 4) + kind + payload


def full_box(kind, payload, version=0):
    return box(kind, bytes([version]) + b"\0\0\0" + payload)


def sparse(path, head, size):
    with open(path, "wb") as f:
        f.write(head)
        f.truncate(size)


def heic_xmp_item(size, extents):
    """A HEIF whose XMP item has `extents` extents that run to the file's end."""
    infe = full_box(b"infe", be(1, 2) + be(0, 2) + b"mime\0application/rdf+xml\0", version=2)
    iinf = full_box(b"iinf", be(1, 2) + infe)

    def build(at):
        each = (size - at) // extents
        spans = b"".join(be(at + k * each, 4) + be(each, 4) for k in range(extents))
        iloc = full_box(b"iloc", b"\x44\x40" + be(1, 2) + be(1, 2) + be(0, 2) + be(0, 2) + be(0, 4) +
                        be(extents, 2) + spans, version=1)
        return box(b"ftyp", b"heic\0\0\0\0mif1heic") + full_box(b"meta", iinf + iloc)

    return build(len(build(0)))


def jxl_box(kind, size):
    start = be(12, 4) + b"JXL \r\n\x87\n" + box(b"ftyp", b"jxl \0\0\0\0jxl ")
    return start + be(size - len(start), 4) + kind


def psd_resource(size):
    header = b"8BPS" + be(1, 2) + b"\0" * 6 + be(3, 2) + be(1, 4) + be(1, 4) + be(8, 2) + be(3, 2) + be(0, 4)
    at = len(header) + 4
    return header + be(size - at, 4) + b"8BIM" + be(0x0424, 2) + be(0, 2) + be(size - at - 12, 4)


def webp_chunk(kind, size):
    return b"RIFF" + struct.pack("<I", size - 8) + b"WEBP" + kind + struct.pack("<I", size - 20)


def tiff_header():
    # IFD0 with Make = "X".
    return b"MM\0*\0\0\0\x08\0\x01\x01\x0f\0\x02\0\0\0\x02X\0\0\0\0\0\0\0"


def png_chunk(kind, data):
    return be(len(data), 4) + kind + data + be(zlib.crc32(kind + data), 4)


def png(chunks):
    return b"\x89PNG\r\n\x1a\n" + b"".join(chunks) + png_chunk(b"IEND", b"")


def xmp_packet(limit, value_length):
    head = (b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
            b'<rdf:Description xmlns:a="http://a/">')
    tail = b"</rdf:Description></rdf:RDF></x:xmpmeta>"
    parts, size, k = [], len(head) + len(tail), 0
    while True:
        p = b"<a:p%d>%s</a:p%d>" % (k, b"v" * value_length, k)
        if size + len(p) > limit:
            break
        parts.append(p)
        size += len(p)
        k += 1
    return head + b"".join(parts) + tail


def webp_with_xmp(xmp):
    tiff = tiff_header()
    chunks = (b"VP8X" + struct.pack("<I", 10) + b"\x24" + b"\0" * 9 + b"EXIF" + struct.pack("<I", len(tiff)) + tiff +
              b"XMP " + struct.pack("<I", len(xmp)) + xmp + (b"\0" if len(xmp) % 2 else b""))
    body = b"WEBP" + chunks
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main(folder):
    os.makedirs(folder, exist_ok=True)
    claims = {
        "claims-4g-item.heic": (heic_xmp_item(4 * GIB - 1, 1), 4 * GIB - 1),
        "claims-1g-two-extents.heic": (heic_xmp_item(GIB, 2), GIB),
        "claims-4g-xml.jxl": (jxl_box(b"xml ", 4 * GIB - 1), 4 * GIB - 1),
        "claims-100m-xml.jxl": (jxl_box(b"xml ", 100 << 20), 100 << 20),
        "claims-4g-exif.jxl": (jxl_box(b"Exif", 4 * GIB - 1) + be(0, 4) + tiff_header(), 4 * GIB - 1),
        "claims-4g-resource.psd": (psd_resource(4 * GIB - 1), 4 * GIB - 1),
        "claims-4g-xmp.webp": (webp_chunk(b"XMP ", 4 * GIB - 1), 4 * GIB - 1),
        "claims-4g-itxt.png": (b"\x89PNG\r\n\x1a\n" + be(4 * GIB - 21, 4) + b"iTXt" + b"XML:com.adobe.xmp\0", 4 * GIB - 1),
        "terabyte.tif": (tiff_header(), 1 << 40),
        "8-terabytes.tif": (tiff_header(), 8 << 40),
    }
    for name, (head, size) in claims.items():
        sparse(os.path.join(folder, name), head, size)

    exif = png_chunk(b"eXIf", tiff_header())
    bomb = zlib.compress(b" " * (64 << 20), 9)
    with open(os.path.join(folder, "zip-bomb.png"), "wb") as f:
        f.write(png([exif, png_chunk(b"zTXt", b"Comment\0\0" + bomb)]))
    past_cap = zlib.compress(b" " * ((16 << 20) + 1), 9)
    with open(os.path.join(folder, "200-bombs.png"), "wb") as f:
        f.write(png([exif] + [png_chunk(b"zTXt", b"Comment\0\0" + past_cap)] * 200))
    with open(os.path.join(folder, "icc-bomb.png"), "wb") as f:
        f.write(png([exif, png_chunk(b"iCCP", b"icc\0\0" + bomb)]))
    with open(os.path.join(folder, "xmp-8mib-rows.webp"), "wb") as f:
        f.write(webp_with_xmp(xmp_packet((8 << 20) - 64, 1)))
    with open(os.path.join(folder, "xmp-8mib-values.webp"), "wb") as f:
        f.write(webp_with_xmp(xmp_packet((8 << 20) - 64, 300)))

    classes = os.path.join(folder, "classes")
    same = os.path.join(folder, "same-class")
    os.makedirs(classes, exist_ok=True)
    os.makedirs(same, exist_ok=True)
    lengths = [20, 40, 70, 100, 150, 200, 300, 450, 600, 900, 1300, 2000, 3000]
    for k, length in enumerate(lengths):
        data = webp_with_xmp(xmp_packet((8 << 20) - 64, length))
        with open(os.path.join(classes, "%02d-values-%d.webp" % (k, length)), "wb") as f:
            f.write(data)
        if length == lengths[-1]:
            for j in range(len(lengths)):
                with open(os.path.join(same, "%02d.webp" % j), "wb") as f:
                    f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])

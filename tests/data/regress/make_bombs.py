#!/usr/bin/env python3
"""Writes the memory bombs kept here: small files whose headers claim pictures or
chunks far larger than the files could hold. Run from this folder."""
import struct
import zlib


def segment(marker, payload):
    return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload


def progressive_jpeg():
    """5.6 KB claiming 16000 x 16000, 4:2:0, progressive: whole-image coefficient
    buffers for it would take about 755 MB."""
    out = b"\xFF\xD8"
    out += segment(0xDB, b"\x00" + bytes([1] * 64))  # one quantisation table
    sof = struct.pack(">BHHB", 8, 16000, 16000, 3)
    sof += b"\x01\x22\x00" + b"\x02\x11\x00" + b"\x03\x11\x00"
    out += segment(0xC2, sof)
    # A DC table of one code, 1 bit long, for difference category 0.
    out += segment(0xC4, b"\x00" + bytes([1] + [0] * 15) + b"\x00")
    out += segment(0xDA, b"\x03" + b"\x01\x00" + b"\x02\x00" + b"\x03\x00" + b"\x00\x00\x00")
    out += bytes(5600 - len(out) - 2)  # entropy data: every DC difference 0
    return out + b"\xFF\xD9"


def chunk(kind, data, length=None):
    body = kind + data
    size = len(data) if length is None else length
    return struct.pack(">I", size) + body + struct.pack(">I", zlib.crc32(body))


def splt_png():
    """1.6 KB whose sPLT chunk claims 0x7FFFFFFF bytes."""
    out = b"\x89PNG\r\n\x1a\n"
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 0, 0, 0, 0))
    palette = b"bomb\x00\x08" + bytes(1560)
    out += struct.pack(">I", 0x7FFFFFFF) + b"sPLT" + palette
    return out


with open("load_bomb_progressive_16000.jpg", "wb") as f:
    f.write(progressive_jpeg())
with open("load_bomb_splt.png", "wb") as f:
    f.write(splt_png())

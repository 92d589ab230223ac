#!/usr/bin/env python3
"""Draws avserver.gif, the 32x32 device icon: a media server box with a play sign.

Run it from this folder to regenerate the icon; the output is a GIF89a with a 256-colour table.
"""
import struct

W = H = 32
BACK, BOX, EDGE, SLOT, PLAY, LED = range(6)
palette = [(255, 255, 255), (52, 64, 84), (20, 26, 36), (96, 112, 136), (250, 190, 40),
           (60, 200, 90)]
palette += [(0, 0, 0)] * (256 - len(palette))

pixels = [[BACK] * W for _ in range(H)]
for y in range(3, 29):
    for x in range(5, 27):
        edge = y in (3, 28) or x in (5, 26)
        pixels[y][x] = EDGE if edge else BOX
for top in (6, 10):  # two drive slots
    for x in range(8, 24):
        pixels[top][x] = SLOT
        pixels[top + 1][x] = SLOT
for y in range(14, 26):  # a play triangle
    half = 6 - abs(y - 20)
    for x in range(12, 12 + half + 1):
        pixels[y][x] = PLAY
pixels[25][22] = pixels[25][23] = pixels[24][22] = pixels[24][23] = LED


def lzw(data, min_size=8):
    clear, end = 1 << min_size, (1 << min_size) + 1
    table = {bytes([i]): i for i in range(clear)}
    next_code, size = end + 1, min_size + 1
    out, bits, nbits = bytearray(), 0, 0

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    emit(clear)
    w = b""
    for b in data:
        wc = w + bytes([b])
        if wc in table:
            w = wc
            continue
        emit(table[w])
        if next_code < 4096:
            table[wc] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear)
            table = {bytes([i]): i for i in range(clear)}
            next_code, size = end + 1, min_size + 1
        w = bytes([b])
    if w:
        emit(table[w])
    emit(end)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


data = bytes(p for row in pixels for p in row)
body = lzw(data)
gif = bytearray(b"GIF89a")
gif += struct.pack("<HHBBB", W, H, 0xF7, BACK, 0)
for r, g, b in palette:
    gif += bytes([r, g, b])
gif += b"\x21\xF9\x04\x01\x00\x00" + bytes([BACK]) + b"\x00"  # background is transparent
gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, W, H, 0) + b"\x08"
for i in range(0, len(body), 255):
    chunk = body[i:i + 255]
    gif += bytes([len(chunk)]) + chunk
gif += b"\x00\x3B"
with open("avserver.gif", "wb") as f:
    f.write(gif)

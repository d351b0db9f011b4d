#!/usr/bin/env python3
# Regenerates the login switch's two track images, btn-toggle-on-bg.png and
# btn-toggle-off-bg.png: 64 x 29 points at scale 2, a rounded track with an "I" mark on the on
# side and an "O" mark on the off side. Plain Python (zlib), four samples a pixel each way.
import os, struct, zlib

W, H, SCALE, SS = 64, 29, 2, 4


def inside_round_rect(x, y, w, h, r):
    cx = min(max(x, r), w - r)
    cy = min(max(y, r), h - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def render(shade):
    pw, ph = W * SCALE, H * SCALE
    rows = []
    for py in range(ph):
        row = bytearray([0])
        for px in range(pw):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    x = (px + (sx + 0.5) / SS) / SCALE
                    y = (py + (sy + 0.5) / SS) / SCALE
                    rgba = shade(x, y)
                    if rgba:
                        a = rgba[3]
                        for i in range(3):
                            acc[i] += rgba[i] * a
                        acc[3] += a
            n = SS * SS
            a = acc[3] / n
            if a > 0:
                row += bytes(round(acc[i] / acc[3]) for i in range(3)) + bytes([round(a * 255)])
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return pw, ph, b"".join(rows)


def write_png(path, pw, ph, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", pw, ph, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


R = 6  # nearly square corners: the switch is not rounded on the login screen


def on_shade(x, y):
    if not inside_round_rect(x, y, W, H, R):
        return None
    # The "I" mark in the middle of the left part.
    if abs(x - 18) <= 1 and abs(y - H / 2) <= 6:
        return (255, 255, 255, 1.0)
    return (76, 217, 100, 1.0)


def off_shade(x, y):
    if not inside_round_rect(x, y, W, H, R):
        return None
    if not inside_round_rect(x - 1, y - 1, W - 2, H - 2, R - 1):
        return (200, 200, 206, 1.0)  # the border
    d = ((x - 46) ** 2 + (y - H / 2) ** 2) ** 0.5
    if 4.5 <= d <= 6.5:
        return (170, 170, 176, 1.0)
    return (236, 236, 240, 1.0)


here = os.path.dirname(os.path.abspath(__file__))
for name, shade in (("btn-toggle-on-bg.png", on_shade), ("btn-toggle-off-bg.png", off_shade)):
    write_png(os.path.join(here, name), *render(shade))

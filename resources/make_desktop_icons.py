#!/usr/bin/env python3
"""Make the program's icons for the desktop from its own pictures.

Reads lumeno.xpm (32 x 32) and lumeno16.xpm (16 x 16), which make_icons.py
draws, and writes the hicolor theme's PNG sizes and a scalable SVG under
icons/. Needs only the Python 3 standard library.

Sizes: 16 and 32 are the pictures themselves; 64, 128 and 256 are the 32
picture with each pixel made a square block, so the pixel art stays crisp;
22, 24 and 48 are the 32 picture resampled by area, since no whole factor
reaches them. The SVG draws each pixel of the 32 picture as a square.

Usage:  python3 make_desktop_icons.py [output-directory]
(default: icons/ beside this script)
"""
import os
import re
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def read_xpm(path):
    """Rows of (r, g, b, a) tuples."""
    with open(path, encoding='ascii') as f:
        strings = re.findall(r'"((?:[^"\\]|\\.)*)"', f.read())
    w, h, ncolors, cpp = (int(v) for v in strings[0].split()[:4])
    colours = {}
    for line in strings[1:1 + ncolors]:
        key, words = line[:cpp], line[cpp:].split()
        value = words[words.index('c') + 1]
        if value.lower() == 'none':
            colours[key] = (0, 0, 0, 0)
        else:
            v = value.lstrip('#')
            colours[key] = (int(v[0:2], 16), int(v[2:4], 16), int(v[4:6], 16), 255)
    rows = []
    for line in strings[1 + ncolors:1 + ncolors + h]:
        rows.append([colours[line[i * cpp:(i + 1) * cpp]] for i in range(w)])
    return rows


def scale_blocks(rows, factor):
    out = []
    for row in rows:
        wide = [px for px in row for _ in range(factor)]
        out.extend([list(wide) for _ in range(factor)])
    return out


def resample(rows, size):
    """Area-weighted resampling in premultiplied alpha."""
    src = len(rows)
    ratio = src / size
    out = []
    for oy in range(size):
        y0, y1 = oy * ratio, (oy + 1) * ratio
        row = []
        for ox in range(size):
            x0, x1 = ox * ratio, (ox + 1) * ratio
            acc = [0.0, 0.0, 0.0, 0.0]
            area = 0.0
            for sy in range(int(y0), min(src, int(y1 + 0.999999))):
                wy = min(y1, sy + 1) - max(y0, sy)
                if wy <= 0:
                    continue
                for sx in range(int(x0), min(src, int(x1 + 0.999999))):
                    wx = min(x1, sx + 1) - max(x0, sx)
                    if wx <= 0:
                        continue
                    r, g, b, a = rows[sy][sx]
                    wgt = wx * wy
                    acc[0] += r * a * wgt
                    acc[1] += g * a * wgt
                    acc[2] += b * a * wgt
                    acc[3] += a * wgt
                    area += wgt
            alpha = acc[3] / area
            if acc[3] > 0:
                px = tuple(int(round(acc[i] / acc[3])) for i in range(3))
            else:
                px = (0, 0, 0)
            row.append(px + (int(round(alpha)),))
        out.append(row)
    return out


def write_png(path, rows):
    h, w = len(rows), len(rows[0])
    raw = b''.join(b'\x00' + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    png = b'\x89PNG\r\n\x1a\n'
    png += chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9))
    png += chunk(b'IEND', b'')
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(png)


def write_svg(path, rows):
    size = len(rows)
    parts = ['<?xml version="1.0" encoding="UTF-8"?>\n',
             '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
             'viewBox="0 0 %d %d" shape-rendering="crispEdges">\n' % (size, size, size, size),
             '<title>Lumeno</title>\n']
    for y, row in enumerate(rows):
        x = 0
        while x < size:
            px = row[x]
            run = 1
            while x + run < size and row[x + run] == px:
                run += 1
            if px[3]:
                parts.append('<rect x="%d" y="%d" width="%d" height="1" fill="#%02x%02x%02x"/>\n'
                             % (x, y, run, px[0], px[1], px[2]))
            x += run
    parts.append('</svg>\n')
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', encoding='ascii') as f:
        f.write(''.join(parts))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, 'icons')
    big = read_xpm(os.path.join(HERE, 'lumeno.xpm'))
    small = read_xpm(os.path.join(HERE, 'lumeno16.xpm'))
    assert len(big) == 32 and len(small) == 16
    for size in SIZES:
        if size == 16:
            rows = small
        elif size % 32 == 0:
            rows = scale_blocks(big, size // 32)
        else:
            rows = resample(big, size)
        path = os.path.join(out, 'hicolor', '%dx%d' % (size, size), 'apps', 'lumeno.png')
        write_png(path, rows)
        print('wrote', os.path.relpath(path, out))
    svg = os.path.join(out, 'hicolor', 'scalable', 'apps', 'lumeno.svg')
    write_svg(svg, big)
    print('wrote', os.path.relpath(svg, out))


if __name__ == '__main__':
    main()

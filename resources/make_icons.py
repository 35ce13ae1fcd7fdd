#!/usr/bin/env python3
"""Generate Lumeno's small pixel-art pictures as XPM files.

Every picture here is drawn from scratch, pixel by pixel, by this script.
Needs only the Python 3 standard library.

Usage:  python3 make_icons.py [output-directory]
(default output directory: the folder this script lives in)
"""
import math
import os
import sys

# Shared palette: one character per colour.  '.' is transparent.
PALETTE = {
    '.': 'None',
    'K': '#000000',  # black outline
    'W': '#FFFFFF',  # white
    'g': '#C0C0C0',  # light grey (button face)
    'd': '#808080',  # mid grey
    'D': '#404040',  # dark grey
    'N': '#000080',  # navy (title bar)
    'n': '#1084D0',  # light title-bar blue
    'b': '#002080',  # deep blue (sphere shadow)
    'B': '#1858E0',  # blue
    'c': '#58A8F8',  # light blue
    'C': '#C8E8FF',  # pale blue highlight
    'Y': '#FFFF00',  # yellow
    'y': '#FFE890',  # pale yellow highlight
    'O': '#E0A000',  # orange-gold shade
    'o': '#A06000',  # dark gold
    'G': '#00C000',  # green
    'L': '#80FF80',  # light green
    'j': '#007000',  # dark green
    'R': '#E00000',  # red
    'r': '#FF6060',  # light red
    'M': '#800000',  # maroon
    'T': '#A05020',  # brown (door)
    't': '#C87838',  # light brown
    'S': '#B03818',  # brick (chimney)
}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [['.'] * w for _ in range(h)]

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y][x]
        return '.'

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        """Filled rectangle, inclusive corners."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def paint(self, x0, y0, rows, mapping=None):
        """Paint ASCII art; '.' in art leaves the pixel untouched."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch == '.':
                    continue
                if mapping and ch in mapping:
                    ch = mapping[ch]
                self.set(x0 + i, y0 + j, ch)

    def outline(self, c='K', inside=None, diagonal=False):
        """Put colour c on transparent pixels touching non-transparent ones."""
        if inside is None:
            inside = lambda ch: ch != '.'
        add = []
        nb = [(1, 0), (-1, 0), (0, 1), (0, -1)]
        if diagonal:
            nb += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
        for y in range(self.h):
            for x in range(self.w):
                if self.px[y][x] != '.':
                    continue
                if any(inside(self.get(x + dx, y + dy)) and
                       self.get(x + dx, y + dy) != '.' for dx, dy in nb):
                    add.append((x, y))
        for x, y in add:
            self.px[y][x] = c

    def mirror(self):
        out = Canvas(self.w, self.h)
        out.px = [list(reversed(r)) for r in self.px]
        return out

    def rows(self):
        return [''.join(r) for r in self.px]


def from_art(rows):
    h = len(rows)
    w = len(rows[0])
    for r in rows:
        assert len(r) == w, (r, len(r), w)
    cv = Canvas(w, h)
    cv.paint(0, 0, rows)
    return cv


def shade(cv, fill, light, dark, edge='K', dark_down=True):
    """Give flat fill pixels a light top-left and dark bottom-right rim."""
    out = [row[:] for row in cv.px]
    for y in range(cv.h):
        for x in range(cv.w):
            if cv.px[y][x] != fill:
                continue
            up = cv.get(x, y - 1) in (edge, '.')
            left = cv.get(x - 1, y) in (edge, '.')
            down = cv.get(x, y + 1) in (edge, '.')
            right = cv.get(x + 1, y) in (edge, '.')
            if (down and dark_down) or right:
                out[y][x] = dark
            if up or left:
                out[y][x] = light
    cv.px = out


def write_xpm(path, cv):
    name = os.path.splitext(os.path.basename(path))[0].replace('-', '_')
    rows = cv.rows()
    used = []
    for r in rows:
        for ch in r:
            if ch not in used:
                used.append(ch)
    used.sort(key=lambda ch: (ch != '.', ch))
    lines = ['/* XPM */',
             'static char * %s_xpm[] = {' % name,
             '"%d %d %d 1",' % (cv.w, cv.h, len(used))]
    for ch in used:
        lines.append('"%s c %s",' % (ch, PALETTE[ch]))
    for i, r in enumerate(rows):
        lines.append('"%s"%s' % (r, ',' if i < len(rows) - 1 else ''))
    lines.append('};')
    with open(path, 'w') as f:
        f.write('\n'.join(lines) + '\n')


# --------------------------------------------------------------------------
# Program icon: a little window with a blue sphere rolling out of its corner,
# circled by a gold ring.

def sphere(cv, cx, cy, r, lx, ly, spread=1.6):
    """Shaded sphere centred (cx, cy) radius r, light at offset (lx, ly)."""
    pts = []
    for y in range(cv.h):
        for x in range(cv.w):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx, py - cy)
            if d <= r:
                pts.append((x, y))
                # brightness from distance to light spot
                ld = math.hypot(px - (cx + lx), py - (cy + ly)) / (r * spread)
                if ld < 0.16:
                    c = 'W'
                elif ld < 0.34:
                    c = 'C'
                elif ld < 0.58:
                    c = 'c'
                elif ld < 0.86:
                    c = 'B'
                else:
                    c = 'b'
                if d > r - 1.0:
                    c = 'K'
                cv.set(x, y, c)
    return pts


def ring_pixels(cv, cx, cy, rx, ry, tilt, width):
    """Pixels of a thin tilted ellipse; returns (front, back) lists."""
    front, back = set(), set()
    ct, st = math.cos(tilt), math.sin(tilt)
    for k in range(720):
        a = 2 * math.pi * k / 720
        ex, ey = rx * math.cos(a), ry * math.sin(a)
        x = cx + ex * ct - ey * st
        y = cy + ex * st + ey * ct
        p = (int(math.floor(x)), int(math.floor(y)))
        (front if math.sin(a) > 0 else back).add(p)
    back -= front
    return front, back


SMALL_RING = 2  # 0 none, 1 only across the sphere, 2 full front arc


def program_icon(size):
    cv = Canvas(size, size)
    if size == 32:
        # window
        x0, y0, x1, y1 = 1, 2, 25, 24
        cv.fill(x0, y0, x1, y1, 'g')
        cv.frame(x0, y0, x1, y1, 'K')
        for x in range(x0 + 1, x1):
            cv.set(x, y0 + 1, 'W')
        for y in range(y0 + 1, y1):
            cv.set(x0 + 1, y, 'W')
        for x in range(x0 + 1, x1):
            cv.set(x, y1 - 1, 'd')
        for y in range(y0 + 1, y1):
            cv.set(x1 - 1, y, 'd')
        # title bar with gradient
        for x in range(x0 + 2, x1 - 1):
            c = 'N' if x < 13 else 'n'
            cv.fill(x, y0 + 2, x, y0 + 5, c)
        cv.paint(x1 - 6, y0 + 3, ['WWW', 'WWW'])   # tiny button
        cv.paint(x0 + 3, y0 + 3, ['WW', 'WW'])     # tiny app mark
        # client area
        cv.fill(x0 + 3, y0 + 7, x1 - 3, y1 - 3, 'W')
        cv.frame(x0 + 2, y0 + 6, x1 - 2, y1 - 2, 'd')
        for x in range(x0 + 3, x1 - 2):
            cv.set(x, y0 + 7, 'D')
        for y in range(y0 + 7, y1 - 2):
            cv.set(x0 + 3, y, 'D')
        # a few "text" lines in the page
        for yy, ln in ((y0 + 10, 9), (y0 + 13, 7), (y0 + 16, 5)):
            cv.fill(x0 + 5, yy, x0 + 5 + ln, yy, 'c')
        # sphere + ring
        cx, cy, r = 21.5, 21.5, 8.5
        front, back = ring_pixels(cv, cx, cy, 11.0, 3.2, -0.5, 1)
        for x, y in back:
            cv.set(x, y, 'o')
        sphere(cv, cx, cy, r, -2.8, -2.8, spread=1.35)
        for x, y in front:
            if (x, y + 1) not in front:
                cv.set(x, y + 1, 'O')
        for x, y in front:
            cv.set(x, y, 'Y')
    else:
        x0, y0, x1, y1 = 0, 1, 11, 11
        cv.fill(x0, y0, x1, y1, 'g')
        cv.frame(x0, y0, x1, y1, 'K')
        cv.fill(x0 + 1, y0 + 1, x1 - 1, y0 + 2, 'N')
        cv.fill(x0 + 6, y0 + 1, x1 - 1, y0 + 2, 'n')
        cv.fill(x0 + 2, y0 + 4, x1 - 2, y1 - 2, 'W')
        cv.fill(x0 + 3, y0 + 5, x0 + 5, y0 + 5, 'c')
        cv.fill(x0 + 3, y0 + 7, x0 + 4, y0 + 7, 'c')
        cx, cy, r = 10.0, 10.0, 5.6
        sphere(cv, cx, cy, r, -1.9, -1.9, spread=1.15)
        if SMALL_RING:
            front, back = ring_pixels(cv, cx, cy, 7.2, 1.5, -0.55, 1)
            for x, y in front:
                if cv.get(x, y) != '.' or SMALL_RING == 2:
                    cv.set(x, y, 'Y')
    return cv


# --------------------------------------------------------------------------

def newwindow():
    cv = Canvas(13, 16)
    x0, y0, x1, y1 = 0, 5, 10, 15
    cv.fill(x0, y0, x1, y1, 'W')
    cv.frame(x0, y0, x1, y1, 'K')
    cv.fill(x0 + 1, y0 + 1, x1 - 1, y0 + 2, 'N')
    cv.fill(x0 + 6, y0 + 1, x1 - 1, y0 + 2, 'n')
    for x in range(x0 + 1, x1):
        cv.set(x, y1 - 1, 'g')
    for y in range(y0 + 4, y1):
        cv.set(x1 - 1, y, 'g')
    spark = [
        '...K...',
        '..KYK..',
        '.KYWYK.',
        'KYWWWYK',
        '.KYWYK.',
        '..KYK..',
        '...K...',
    ]
    cv.paint(6, 0, spark)
    return cv


def close():
    x_art = [
        'WW.....WW',
        '.WW...WW.',
        '..WW.WW..',
        '...WWW...',
        '..WW.WW..',
        '.WW...WW.',
        'WW.....WW',
    ]
    cv = Canvas(13, 11)
    cv.paint(2, 2, x_art)
    cv.outline('K')
    return cv


def favs():
    art = [
        '......KK......',
        '.....KYYK.....',
        '.....KYYK.....',
        '....KYYYYK....',
        'KKKKKYYYYKKKKK',
        'KYYYYYYYYYYYYK',
        '.KYYYYYYYYYYK.',
        '..KYYYYYYYYK..',
        '...KYYYYYYK...',
        '...KYYYYYYK...',
        '..KYYYKKYYYK..',
        '..KYYK..KYYK..',
        '.KYYK....KYYK.',
        '.KKK......KKK.',
    ]
    cv = from_art(art)
    shade(cv, 'Y', 'y', 'O', dark_down=False)
    return cv


def arrow_left():
    art = [
        '................',
        '.......K........',
        '......KK........',
        '.....KGK........',
        '....KGGKKKKKKKK.',
        '...KGGGGGGGGGGK.',
        '..KGGGGGGGGGGGK.',
        '.KGGGGGGGGGGGGK.',
        '.KGGGGGGGGGGGGK.',
        '..KGGGGGGGGGGGK.',
        '...KGGGGGGGGGGK.',
        '....KGGKKKKKKKK.',
        '.....KGK........',
        '......KK........',
        '.......K........',
        '................',
    ]
    return from_art(art)


def back():
    cv = arrow_left()
    shade(cv, 'G', 'L', 'j')
    return cv


def forward():
    cv = arrow_left().mirror()
    shade(cv, 'G', 'L', 'j')
    return cv


def stop():
    cv = Canvas(16, 16)
    for y in range(16):
        for x in range(16):
            dx, dy = abs(x - 7.5), abs(y - 7.5)
            if dx <= 7 and dy <= 7 and dx + dy <= 10:
                cv.set(x, y, 'R')
    # outline: red pixels touching outside become black
    edge = []
    for y in range(16):
        for x in range(16):
            if cv.px[y][x] == 'R' and any(
                    cv.get(x + a, y + b) == '.'
                    for a, b in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                edge.append((x, y))
    for x, y in edge:
        cv.set(x, y, 'K')
    shade(cv, 'R', 'r', 'M')
    # white X, two pixels thick
    for i in range(8):
        y = 4 + i
        for x in (4 + i, 5 + i):
            if 4 <= x <= 11:
                cv.set(x, y, 'W')
        for x in (11 - i, 10 - i):
            if 4 <= x <= 11:
                cv.set(x, y, 'W')
    return cv


def home():
    cv = Canvas(16, 16)
    # chimney first, the roof paints over its foot
    cv.fill(10, 1, 13, 7, 'S')
    cv.frame(10, 1, 13, 7, 'K')
    # roof rows 1..7, eave row 8
    for r in range(1, 8):
        left, right = 8 - r, 7 + r
        cv.fill(left, r, right, r, 'R')
        cv.set(left, r, 'K')
        cv.set(right, r, 'K')
        if r >= 2:
            cv.set(left + 1, r, 'r')
    cv.fill(1, 7, 14, 7, 'M')
    cv.set(0, 7, 'K')
    cv.set(15, 7, 'K')
    cv.fill(0, 8, 15, 8, 'K')
    # walls
    cv.fill(3, 9, 12, 14, 'W')
    cv.fill(3, 9, 12, 9, 'g')
    cv.fill(12, 9, 12, 14, 'g')
    cv.fill(2, 9, 2, 15, 'K')
    cv.fill(13, 9, 13, 15, 'K')
    cv.fill(2, 15, 13, 15, 'K')
    # door
    cv.fill(4, 10, 7, 14, 'K')
    cv.fill(5, 11, 6, 14, 'T')
    cv.set(6, 12, 'Y')
    # window
    cv.fill(8, 10, 11, 13, 'K')
    cv.fill(9, 11, 10, 12, 'c')
    cv.set(9, 11, 'C')
    return cv


def refresh():
    """Two curved arrows chasing each other round a circle."""
    cv = Canvas(16, 16)
    # upper arrow: tail at upper left, over the top, head pointing down
    # on the right.  The lower arrow is the same turned half a circle.
    upper = [
        '................',
        '................',
        '................',
        '.....GGGGGG.....',
        '.....GGGGGGG....',
        '..........GGG...',
        '...........GG...',
        '.........GGGGGG.',
        '..........GGGG..',
        '...........GG...',
        '................',
        '................',
        '................',
        '................',
        '................',
        '................',
    ]
    cv.paint(0, 0, upper)
    for y in range(16):
        for x in range(16):
            if upper[y][x] == 'G':
                cv.set(15 - x, 15 - y, 'G')
    cv.outline('K')
    if REFRESH_SHADE == 1:
        shade(cv, 'G', 'L', 'j')
    elif REFRESH_SHADE == 2:
        shade(cv, 'G', 'L', 'G', dark_down=False)
    return cv

REFRESH_SHADE = 0  # 0 flat, 1 rim-shaded, 2 highlight only


def go():
    cv = Canvas(16, 16)
    # page with dog-ear, right side
    page = [
        'KKKKKK...',
        'KWWWWKK..',
        'KWWWWKWK.',
        'KWWWWKKKK',
        'KWWWWWWgK',
        'KWWWWWWgK',
        'KWWWWWWgK',
        'KWWWWWWgK',
        'KWWWWWWgK',
        'KWWWWWWgK',
        'KWWWWWWgK',
        'KWWWWWWgK',
        'KWWWWWWgK',
        'KgggggggK',
        'KKKKKKKKK',
    ]
    cv.paint(7, 1, page)
    arrow = [
        '......K.....',
        '......KK....',
        '......KGK...',
        'KKKKKKKGGK..',
        'KGGGGGGGGGK.',
        'KGGGGGGGGGGK',
        'KGGGGGGGGGGK',
        'KGGGGGGGGGK.',
        'KKKKKKKGGK..',
        '......KGK...',
        '......KK....',
        '......K.....',
    ]
    cv.paint(0, 3, arrow)
    shade(cv, 'G', 'L', 'j')
    return cv


ICONS = [
    ('lumeno.xpm', lambda: program_icon(32), (32, 32)),
    ('lumeno16.xpm', lambda: program_icon(16), (16, 16)),
    ('newwindow.xpm', newwindow, (13, 16)),
    ('close.xpm', close, (13, 11)),
    ('favs.xpm', favs, (14, 14)),
    ('back.xpm', back, (16, 16)),
    ('forward.xpm', forward, (16, 16)),
    ('stop.xpm', stop, (16, 16)),
    ('home.xpm', home, (16, 16)),
    ('refresh.xpm', refresh, (16, 16)),
    ('go.xpm', go, (16, 16)),
]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else \
        os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    for name, fn, size in ICONS:
        cv = fn()
        assert (cv.w, cv.h) == size, (name, cv.w, cv.h, size)
        write_xpm(os.path.join(out, name), cv)
        print('wrote %s %dx%d' % (name, cv.w, cv.h))


if __name__ == '__main__':
    main()

#!/usr/bin/env python3
"""Writes every bitmap and icon of the resource script into OUTDIR.

Usage: gen_images.py OUTDIR

Standard library only; BMP and ICO files are assembled byte by byte so that
the build needs no image tools. The last file written is OUTDIR/images.stamp,
which the build uses as the marker that all images are up to date.

Toolbar and drive-bar strips (24-bit) use silver RGB(192,192,192) as their
background: the main frame replaces exactly that colour with the button face,
so no picture may contain a pixel of that exact colour. The image lists cut
16x15 images, so the bottom row of every strip stays background.
"""

import math
import os
import struct
import sys

SILVER = (192, 192, 192)
CELL_W = 16
CELL_H = 16
USED_ROWS = 15

# Colours of the pixel maps. '.' is background (silver in the strips).
PALETTE = {
    'k': (0, 0, 0),
    'K': (64, 64, 64),
    'g': (128, 128, 128),
    'l': (168, 168, 168),
    'L': (224, 224, 224),
    'w': (255, 255, 255),
    'r': (224, 0, 0),
    'R': (128, 0, 0),
    'y': (255, 255, 0),
    'o': (255, 200, 40),
    'f': (255, 224, 96),
    'F': (200, 150, 0),
    'G': (0, 160, 0),
    'h': (0, 255, 0),
    'd': (0, 96, 0),
    'b': (0, 0, 255),
    'B': (0, 0, 160),
    'c': (96, 176, 255),
    'C': (0, 128, 128),
    'm': (224, 64, 224),
    'a': (232, 232, 248),
}

# Command toolbar, in button order: Print, Refresh, Up One Level,
# Disk vs. Directory, Top Ten, Largest Files, File Types, Delete, Properties.
TOOLBAR_MAPS = [
    # Print: printer with a sheet going in and a printed sheet coming out.
    [
        "................",
        "....kkkkkkkk....",
        "....kwwwwwwk....",
        "....kwggggwk....",
        "....kwwwwwwk....",
        "..kkkkkkkkkkkk..",
        ".kLLLLLLLLLLLLk.",
        ".kLLLLLLLLLhhLk.",
        ".kggggggggggggk.",
        ".kggggggggggggk.",
        ".kkkkkkkkkkkkkk.",
        "...kwwwwwwwwk...",
        "...kwggggggwk...",
        "...kwwwwwwwwk...",
        "...kkkkkkkkkk...",
    ],
    # Refresh: drawn by refresh_map() below.
    None,
    # Up One Level: folder with an arrow pointing up.
    [
        "................",
        "................",
        ".kkkkk..........",
        "kfffffk.........",
        "kfffffFkkkkkkk..",
        "kffffffkfffffFk.",
        "kfffffkkkffffFk.",
        "kffffkkkkkfffFk.",
        "kfffkkkkkkkffFk.",
        "kfffffkkkffffFk.",
        "kfffffkkkffffFk.",
        "kfffffkkkkkkfFk.",
        "kfffffffffffFFk.",
        "kFFFFFFFFFFFFFk.",
        "kkkkkkkkkkkkkkk.",
    ],
    # Disk vs. Directory: pie of used (blue) against free (green).
    None,
    # Top Ten: three ranked bars, longest first (red, yellow, green).
    [
        "................",
        "kkkkkkkkkkkkkkk.",
        "krrrrrrrrrrrrrk.",
        "kRRRRRRRRRRRRRk.",
        "kkkkkkkkkkkkkkk.",
        "................",
        "kkkkkkkkkkk.....",
        "kyyyyyyyyyk.....",
        "koooooooook.....",
        "kkkkkkkkkkk.....",
        "................",
        "kkkkkkk.........",
        "khhhhhk.........",
        "kGGGGGk.........",
        "kkkkkkk.........",
    ],
    # Largest Files: a sheet with a corner turned down, mostly filled by a heavy red block.
    [
        "..kkkkkkkkk.....",
        "..kwwwwwwwkk....",
        "..kwKKKKwwkwk...",
        "..kwwwwwwwkkkk..",
        "..kwKKKKKKwwwk..",
        "..kwwwwwwwwwwk..",
        "..kwrrrrrrrrwk..",
        "..kwrrrrrrrrwk..",
        "..kwRRRRRRRRwk..",
        "..kwrrrrrrrrwk..",
        "..kwrrrrrrrrwk..",
        "..kwRRRRRRRRwk..",
        "..kwwwwwwwwwwk..",
        "..kwwwwwwwwwwk..",
        "..kkkkkkkkkkkk..",
    ],
    # File Types: three sheets side by side, each of its own colour.
    [
        "................",
        "................",
        "kkkkk.kkkkk.kkkk",
        "kbbbk.kyyyk.khhk",
        "kbbbk.kyyyk.khhk",
        "kBBBk.koook.kGGk",
        "kwwwk.kwwwk.kwwk",
        "kwKwk.kwKwk.kwKk",
        "kwwwk.kwwwk.kwwk",
        "kwKwk.kwKwk.kwKk",
        "kwwwk.kwwwk.kwwk",
        "kkkkk.kkkkk.kkkk",
        "................",
        "................",
        "................",
    ],
    # Delete: red cross.
    [
        "................",
        ".RR.........RR..",
        ".RrR.......RrR..",
        "..RrR.....RrR...",
        "...RrR...RrR....",
        "....RrR.RrR.....",
        ".....RrrrR......",
        "......RrR.......",
        ".....RrrrR......",
        "....RrR.RrR.....",
        "...RrR...RrR....",
        "..RrR.....RrR...",
        ".RrR.......RrR..",
        ".RR.........RR..",
        "................",
    ],
    # Properties: a property sheet with labels and value fields.
    [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kBBBBBBBBBBBBk.",
        ".kBwwwwwBBBBBBk.",
        ".kkkkkkkkkkkkkk.",
        ".kLLLLLLLLLLLLk.",
        ".kLKKLgggggggLk.",
        ".kLLLLgwwwwwwLk.",
        ".kLKKLgggggggLk.",
        ".kLLLLgwwwwwwLk.",
        ".kLKKLgggggggLk.",
        ".kLLLLgwwwwwwLk.",
        ".kLLLLLLLLLLLLk.",
        ".kkkkkkkkkkkkkk.",
        "................",
    ],
]

# Drive bar, by drive kind: removable, fixed, network, CD-ROM, RAM disk.
DRIVE_MAPS = [
    # Removable: 3.5-inch diskette with its metal shutter and label.
    [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kBBLLLLLLLBBBk.",
        ".kBBLLLKKLLBBBk.",
        ".kBBLLLKKLLBBBk.",
        ".kBBLLLKKLLBBBk.",
        ".kBBLLLLLLLBBBk.",
        ".kBBBBBBBBBBBBk.",
        ".kBwwwwwwwwwwBk.",
        ".kBwggggggggwBk.",
        ".kBwwwwwwwwwwBk.",
        ".kBwggggggggwBk.",
        ".kBwwwwwwwwwwBk.",
        ".kkBwwwwwwwwwBk.",
        "..kkkkkkkkkkkkk.",
    ],
    # Fixed: hard disk seen from the front, with its activity light.
    [
        "................",
        "................",
        "................",
        "................",
        "...kkkkkkkkkkkk.",
        "..kwwwwwwwwwwLk.",
        ".kwLLLLLLLLLLgk.",
        "kkkkkkkkkkkkkgk.",
        "kLLLLLLLLLLLkgk.",
        "kLggggggghhLkgk.",
        "kLLLLLLLLLLLkk..",
        "kkkkkkkkkkkkk...",
        "................",
        "................",
        "................",
    ],
    # Network: hard disk on a cable to the network.
    [
        "................",
        "...kkkkkkkkkkkk.",
        "..kwwwwwwwwwwLk.",
        ".kwLLLLLLLLLLgk.",
        "kkkkkkkkkkkkkgk.",
        "kLLLLLLLLLLLkgk.",
        "kLggggggghhLkgk.",
        "kLLLLLLLLLLLkk..",
        "kkkkkkkkkkkkk...",
        "......kk........",
        "......kk........",
        "......kk........",
        "kkkkkkkkkkkkkkk.",
        "kGGGGGGGGGGGGGk.",
        "kkkkkkkkkkkkkkk.",
    ],
    # CD-ROM: drawn by cdrom_map() below.
    None,
    # RAM disk: memory module with chips and gold contacts.
    [
        "................",
        "................",
        "................",
        "kkkkkkkkkkkkkkkk",
        "kGGGGGGGGGGGGGGk",
        "kGKKGKKGKKGKKGGk",
        "kGKKGKKGKKGKKGdk",
        "kGKKGKKGKKGKKGdk",
        "kGGGGGGGGGGGGGdk",
        "kGGGGGGGkGGGGGGk",
        "kokokokokokokokk",
        "kkkkkkkkkkkkkkkk",
        "................",
        "................",
        "................",
    ],
]


def refresh_map():
    """Circular arrow: a ring open at the top right, with its head there."""
    cx, cy = 7.5, 7.5
    rows = []
    for y in range(USED_ROWS):
        row = ''
        for x in range(CELL_W):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            d = math.hypot(dx, dy)
            ang = math.degrees(math.atan2(-dy, dx)) % 360  # 0 = east, ccw
            ch = '.'
            if 3.4 <= d <= 6.6 and not (10 <= ang <= 80):
                ch = 'G' if 4.0 <= d <= 6.0 else 'd'
            row += ch
        rows.append(row)
    # Arrow head at the end of the ring near "12 o'clock", pointing
    # clockwise (to the right).
    head = [
        (8, 0, 'd'),
        (8, 1, 'd'), (9, 1, 'd'),
        (8, 2, 'G'), (9, 2, 'G'), (10, 2, 'd'),
        (8, 3, 'G'), (9, 3, 'G'), (10, 3, 'G'), (11, 3, 'd'),
        (8, 4, 'G'), (9, 4, 'G'), (10, 4, 'd'),
        (8, 5, 'd'), (9, 5, 'd'),
        (8, 6, 'd'),
    ]
    grid = [list(r) for r in rows]
    for x, y, ch in head:
        grid[y][x] = ch
    return [''.join(r) for r in grid]


def pie_map():
    """Pie chart: a quarter of used space in blue, the rest green."""
    cx, cy, r = 7.5, 7.5, 6.7
    rows = []
    for y in range(USED_ROWS):
        row = ''
        for x in range(CELL_W):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            d = math.hypot(dx, dy)
            ang = math.degrees(math.atan2(-dy, dx)) % 360
            if d > r:
                ch = '.'
            elif d > r - 1.2:
                ch = 'k'
            elif 0 <= ang <= 100:
                ch = 'b'
            else:
                ch = 'h'
            row += ch
        rows.append(row)
    grid = [list(r) for r in rows]
    # Edges of the wedge, drawn from the centre.
    for i in range(1, 6):
        grid[7][7 + i] = 'k'
    for i in range(1, 6):
        grid[7 - i][7] = 'k'
    grid[7][7] = 'k'
    return [''.join(r) for r in grid]


def cdrom_map():
    """Compact disc with its hole and a rainbow sheen."""
    cx, cy = 7.5, 7.5
    rows = []
    for y in range(USED_ROWS):
        row = ''
        for x in range(CELL_W):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            d = math.hypot(dx, dy)
            ang = math.degrees(math.atan2(-dy, dx)) % 360
            if d > 7.1:
                ch = '.'
            elif d > 6.2:
                ch = 'g'
            elif d < 1.3:
                ch = '.'
            elif d < 2.3:
                ch = 'g'
            elif 20 <= ang <= 60:
                ch = 'c' if d > 4.2 else 'm'
            elif 200 <= ang <= 240:
                ch = 'y' if d > 4.2 else 'c'
            else:
                ch = 'a'
            row += ch
        rows.append(row)
    return rows


TOOLBAR_MAPS[1] = refresh_map()
TOOLBAR_MAPS[3] = pie_map()
DRIVE_MAPS[3] = cdrom_map()


# ---------------------------------------------------------------- images

class Image:
    """RGB image, rows top first; pixel None means background."""

    def __init__(self, width, height, fill=None):
        self.width = width
        self.height = height
        self.px = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = colour


def strip_from_maps(maps):
    img = Image(CELL_W * len(maps), CELL_H)
    for i, rows in enumerate(maps):
        if len(rows) != USED_ROWS:
            raise ValueError("image %d has %d rows" % (i, len(rows)))
        for y, row in enumerate(rows):
            if len(row) != CELL_W:
                raise ValueError("image %d row %d is %d wide" % (i, y, len(row)))
            for x, ch in enumerate(row):
                if ch != '.':
                    img.set(i * CELL_W + x, y, PALETTE[ch])
    return img


def luminance(c):
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]


def disabled_strip(normal):
    """Embossed grey: dark parts in shadow grey over a white highlight one
    pixel down and right, light parts dropped, as disabled buttons look."""
    out = Image(normal.width, normal.height)
    ink = [[False] * normal.width for _ in range(normal.height)]
    for y in range(USED_ROWS):
        for x in range(normal.width):
            c = normal.get(x, y)
            ink[y][x] = c is not None and luminance(c) < 140
    for y in range(USED_ROWS):
        for x in range(normal.width):
            if not ink[y][x]:
                continue
            hx, hy = x + 1, y + 1
            # The highlight stays inside its own cell and above the unused row.
            if hy < USED_ROWS and hx // CELL_W == x // CELL_W:
                out.set(hx, hy, (255, 255, 255))
    for y in range(USED_ROWS):
        for x in range(normal.width):
            if ink[y][x]:
                out.set(x, y, (128, 128, 128))
    return out


def hot_strip(normal):
    """Brighter colours under the pointer: every channel scaled up, so hues
    keep most of their saturation, then a touch of white so that colours
    already at full strength lighten too. Black outlines stay black."""
    out = Image(normal.width, normal.height)
    for y in range(normal.height):
        for x in range(normal.width):
            c = normal.get(x, y)
            if c is None:
                continue
            if c != (0, 0, 0):
                c = tuple(min(255, v * 1.25) for v in c)
                c = tuple(int(v + (255 - v) * 0.15 + 0.5) for v in c)
            out.set(x, y, c)
    return out


def check_strip(img, name):
    """The background colour and the unused bottom row are reserved."""
    for y in range(img.height):
        for x in range(img.width):
            c = img.get(x, y)
            if c is None:
                continue
            if c == SILVER:
                raise ValueError("%s: silver pixel at (%d,%d)" % (name, x, y))
            if y >= USED_ROWS:
                raise ValueError("%s: pixel in unused row at (%d,%d)" % (name, x, y))


# ---------------------------------------------------------------- writers

def bmp_bytes_24(img, background):
    row_size = (img.width * 3 + 3) & ~3
    data = bytearray()
    for y in range(img.height - 1, -1, -1):
        row = bytearray()
        for x in range(img.width):
            c = img.get(x, y)
            if c is None:
                c = background
            row += bytes((c[2], c[1], c[0]))
        row += b'\0' * (row_size - len(row))
        data += row
    return bmp_file(img.width, img.height, 24, b'', bytes(data))


VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
    (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
VGA_SILVER = 8


def nearest_vga(c):
    best, best_d = 0, None
    for i, p in enumerate(VGA16):
        if i == VGA_SILVER:
            continue  # silver is reserved for the background
        d = sum((a - b) ** 2 for a, b in zip(c, p))
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def bmp_bytes_4(img, background_index):
    palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in VGA16)
    row_size = ((img.width + 1) // 2 + 3) & ~3
    data = bytearray()
    for y in range(img.height - 1, -1, -1):
        idx = []
        for x in range(img.width):
            c = img.get(x, y)
            if c is None:
                idx.append(background_index)
            elif c in VGA16:
                idx.append(VGA16.index(c))
            else:
                idx.append(nearest_vga(c))
        if len(idx) % 2:
            idx.append(0)
        row = bytearray((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))
        row += b'\0' * (row_size - len(row))
        data += row
    return bmp_file(img.width, img.height, 4, palette, bytes(data))


def bmp_file(width, height, bits, palette, pixels):
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0,
                       len(pixels), 2835, 2835,
                       len(palette) // 4, len(palette) // 4)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


def ico_bytes(images):
    """images: list of RGBA canvases (square); 32-bit entries with masks."""
    entries = []
    blobs = []
    for cv in images:
        n = cv.size
        xor = bytearray()
        for y in range(n - 1, -1, -1):
            for x in range(n):
                r, g, b, a = cv.rgba8(x, y)
                xor += bytes((b, g, r, a))
        mask_row = ((n + 31) // 32) * 4
        mask = bytearray()
        for y in range(n - 1, -1, -1):
            bits = bytearray(mask_row)
            for x in range(n):
                if cv.rgba8(x, y)[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append(info + bytes(xor) + bytes(mask))
        entries.append(n)
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for n, blob in zip(entries, blobs):
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


# ---------------------------------------------------------------- icon art
# 16x16 icon images are pixel maps; 32x32 icons and the About emblem are
# drawn from shapes in pixel coordinates with 4x4 supersampling, so that
# curved edges are smooth while straight edges stay on the pixel grid.

SS = 4


class Canvas:
    """RGBA canvas of size x size pixels, channels as floats 0..1."""

    def __init__(self, size, background=None):
        self.size = size
        bg = (0.0, 0.0, 0.0, 0.0) if background is None else \
            (background[0] / 255, background[1] / 255, background[2] / 255, 1.0)
        self.px = [[bg] * size for _ in range(size)]

    def fill(self, inside, colour, alpha=1.0):
        """Composite colour over every pixel, weighted by the share of its
        subsamples (x, y in pixel units) for which inside(x, y) holds."""
        n = self.size
        cr, cg, cb = (v / 255 for v in colour)
        for y in range(n):
            for x in range(n):
                hits = 0
                for sy in range(SS):
                    py = y + (sy + 0.5) / SS
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, py):
                            hits += 1
                if not hits:
                    continue
                a = alpha * hits / (SS * SS)
                r, g, b, da = self.px[y][x]
                oa = a + da * (1 - a)
                self.px[y][x] = (
                    (cr * a + r * da * (1 - a)) / oa,
                    (cg * a + g * da * (1 - a)) / oa,
                    (cb * a + b * da * (1 - a)) / oa,
                    oa)

    def put_map(self, rows, palette):
        for y, row in enumerate(rows):
            for x, ch in enumerate(row):
                if ch != '.':
                    r, g, b = palette[ch]
                    self.px[y][x] = (r / 255, g / 255, b / 255, 1.0)

    def rgba8(self, x, y):
        r, g, b, a = self.px[y][x]
        return (int(r * 255 + 0.5), int(g * 255 + 0.5), int(b * 255 + 0.5),
                int(a * 255 + 0.5))

    def to_image(self):
        img = Image(self.size, self.size)
        for y in range(self.size):
            for x in range(self.size):
                img.set(x, y, self.rgba8(x, y)[:3])
        return img


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def moved(shape, dx, dy, k):
    """shape drawn at scale k and offset (dx, dy)."""
    return lambda x, y: shape((x - dx) / k, (y - dy) / k)


DISK_BODY = (112, 120, 140)
DISK_BAND = (150, 160, 180)
DISK_TOP = (208, 216, 232)
DISK_HUB = (90, 96, 110)
BARS = [  # x0, top, fill: the list's colours for small, middle, large shares
    (12, 18, (0, 220, 0)),
    (18, 10, (255, 224, 0)),
    (24, 2, (224, 0, 0)),
]


def draw_disk_and_bars(cv, dx, dy, k):
    """The program's emblem on a 32-unit grid, at scale k and offset
    (dx, dy): a disk stack with three bars of rising height before it."""
    def fill(shape, colour):
        cv.fill(moved(shape, dx, dy, k), colour)
    t = 1.0 / k if k < 2 else 1.0  # outline: one pixel, or one unit when larger
    cx, rx, top, bottom, ry = 11.0, 10.0, 13.0, 25.0, 4.0
    fill(union(rect(cx - rx, top, cx + rx, bottom), ellipse(cx, top, rx, ry),
               ellipse(cx, bottom, rx, ry)), (0, 0, 0))
    side = union(rect(cx - rx + t, top, cx + rx - t, bottom),
                 ellipse(cx, bottom, rx - t, ry - t))
    fill(side, DISK_BODY)
    fill(lambda x, y: side(x, y) and 19.0 <= y < 21.5 + 3.0 * (1 - ((x - cx) / rx) ** 2),
         DISK_BAND)
    fill(ellipse(cx, top, rx - t, ry - t), DISK_TOP)
    fill(ellipse(cx, top, 2.5, 1.0), DISK_HUB)
    for x0, btop, colour in BARS:
        fill(rect(x0, btop, x0 + 7, 31), (0, 0, 0))
        fill(rect(x0 + t, btop + t, x0 + 7 - t, 31 - t), colour)


PROGRAM_ICON_16 = [
    "................",
    "............kkkk",
    "............krrk",
    "............krrk",
    "...kkkkk....krrk",
    ".kkLLLLLkkkkkrrk",
    "kLLLLggLLkyykrrk",
    "kLLLLLLLLkyykrrk",
    "kkkLLLLLkkyykrrk",
    "kglkkkkkkkyykrrk",
    "kgllllkhhkyykrrk",
    "kgLLLLkhhkyykrrk",
    "kgllllkhhkyykrrk",
    ".kglllkhhkyykrrk",
    "..kkkkkhhkyykrrk",
    "......kkkkkkkkkk",
]

DOCUMENT_ICON_16 = [
    "..kkkkkkkkk.....",
    "..kwwwwwwwkk....",
    "..kwggggwwkLk...",
    "..kwwwwwwwkkkk..",
    "..kwgggggwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwggggwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwkkkkkkkkwk..",
    "..kwkaaaaaakwk..",
    "..kwkllllllkwk..",
    "..kwklllllhkwk..",
    "..kwkkkkkkkkwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kkkkkkkkkkkk..",
]


def program_icon(size):
    cv = Canvas(size)
    if size == 16:
        cv.put_map(PROGRAM_ICON_16, PALETTE)
    else:
        draw_disk_and_bars(cv, 0.0, 0.0, size / 32.0)
    return cv


def document_icon(size):
    """A page with a folded corner and a hard disk on it."""
    cv = Canvas(size)
    if size == 16:
        cv.put_map(DOCUMENT_ICON_16, PALETTE)
        return cv
    k = size / 32.0

    def fill(shape, colour):
        cv.fill(moved(shape, 0, 0, k), colour)
    fill(polygon([(5, 1), (20, 1), (27, 8), (27, 31), (5, 31)]), (0, 0, 0))
    fill(polygon([(6, 2), (19.6, 2), (26, 8.4), (26, 30), (6, 30)]), (255, 255, 255))
    fill(polygon([(20, 1), (20, 8), (27, 8)]), (0, 0, 0))
    fill(polygon([(21, 3.4), (21, 7), (24.6, 7)]), (200, 200, 208))
    for i, length in enumerate((12, 9, 11)):
        fill(rect(9, 6 + 3 * i, 9 + length, 7 + 3 * i), (128, 128, 128))
    fill(rect(8, 17, 24, 27), (0, 0, 0))
    fill(rect(9, 18, 23, 26), (176, 184, 200))
    fill(rect(9, 18, 23, 21), (224, 228, 240))
    fill(rect(18, 22, 21, 24), (0, 220, 0))
    return cv


def about_emblem(size):
    """The program's emblem on a tile of its own, for the About box."""
    cv = Canvas(size, background=(40, 70, 140))
    for i in range(size // 2):  # a soft light from the top
        cv.fill(rect(0, i, size, i + 1), (255, 255, 255), alpha=0.30 * (1 - 2 * i / size))
    cv.fill(lambda x, y: x < 1 or y < 1 or x >= size - 1 or y >= size - 1, (0, 0, 0))
    k = (size - 8) / 32.0
    draw_disk_and_bars(cv, 4.0, 3.0, k)
    return cv

# ---------------------------------------------------------------- main

def write(outdir, name, data):
    path = os.path.join(outdir, name)
    tmp = path + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: gen_images.py OUTDIR\n")
        return 2
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)

    toolbar = strip_from_maps(TOOLBAR_MAPS)
    drives = strip_from_maps(DRIVE_MAPS)
    strips = {
        'toolbar.bmp': toolbar,
        'toolbar_disabled.bmp': disabled_strip(toolbar),
        'toolbar_hot.bmp': hot_strip(toolbar),
        'drives.bmp': drives,
        'drives_disabled.bmp': disabled_strip(drives),
        'drives_hot.bmp': hot_strip(drives),
    }
    for name, img in strips.items():
        check_strip(img, name)
        write(outdir, name, bmp_bytes_24(img, SILVER))

    # The toolbar resource's own 16-colour bitmap: the same buttons.
    write(outdir, 'toolbar16.bmp', bmp_bytes_4(toolbar, VGA_SILVER))

    for name, colour in (('legend_free.bmp', (0, 255, 0)), ('legend_used.bmp', (0, 0, 255))):
        img = Image(20, 20, fill=(0, 0, 0))
        for y in range(1, 19):
            for x in range(1, 19):
                img.set(x, y, colour)
        write(outdir, name, bmp_bytes_4(img, 0))

    write(outdir, 'about.bmp', bmp_bytes_24(about_emblem(72).to_image(), (255, 255, 255)))
    write(outdir, 'heftscope.ico', ico_bytes([program_icon(16), program_icon(32)]))
    write(outdir, 'drivedoc.ico', ico_bytes([document_icon(16), document_icon(32)]))

    write(outdir, 'images.stamp', b'ok\n')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))

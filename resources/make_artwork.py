#!/usr/bin/env python3
"""Draws the program's artwork and writes the files made from it (standard library only).

Writes, next to this script:
  app.ico            the application icon: 32x32 24-bit + mask, 256, 128 and 48 at 32-bit, all DIBs
  icon/3000N.dib     the same four images as raw icon resources for app.rc (ids 30001..30004)
  icon/group.bin     the icon group directory that names them (resource id 1)
  TrayPicture.h      the 16x16 tray picture as constexpr pixel data (no <windows.h>)
  HAND-M.CUR         the hand pointer shown over push buttons, 32x32 monochrome, hotspot at the fingertip
  alarm.wav          the default alarm sound, 3 s of 16-bit 44.1 kHz mono beeps

Run it again after changing the artwork; `--check` only compares what it would write with the files
on disk and exits with 1 when any differs. The output is deterministic (no dates, no randomness).
"""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

BLUE = (7, 162, 254)
CYAN = (177, 255, 255)
BLACK = (0, 0, 0)

# ---------------------------------------------------------------- tray picture (hand-drawn pixels)
# K black, B blue, . light cyan. A 'V' outlined in black on a cyan square with a black border.
TRAY_ART = [
    "KKKKKKKKKKKKKKKK",
    "K..............K",
    "K.KKKK....KKKK.K",
    "K.KBBK....KBBK.K",
    "K.KBBK....KBBK.K",
    "K..KBBK..KBBK..K",
    "K..KBBK..KBBK..K",
    "K...KBBKKBBK...K",
    "K...KBBKKBBK...K",
    "K....KBBBBK....K",
    "K....KBBBBK....K",
    "K.....KBBK.....K",
    "K.....KBBK.....K",
    "K......KK......K",
    "K..............K",
    "KKKKKKKKKKKKKKKK",
]
TRAY_COLOURS = {"K": BLACK, "B": BLUE, ".": CYAN}

# ---------------------------------------------------------------- hand cursor (hand-drawn pixels)
# K black, W white, . transparent. A hand pointing up with the index finger; hotspot at its tip.
HAND_ART = [
    ".....KKK........................",
    "....KWWWK.......................",
    "....KWWWK.......................",
    "....KWWWK.......................",
    "....KWWWK.......................",
    "....KWWWK.......................",
    "....KWWWKKK.....................",
    "....KWWWKWWKKK..................",
    "....KWWWKWWKWWKKK...............",
    "....KWWWKWWKWWKWWKK.............",
    "....KWWWKWWKWWKWWKWK............",
    "KKK.KWWWKWWKWWKWWKWWK...........",
    "KWWKKWWWWWWWWWWWWWWWK...........",
    "KWWWKWWWWWWWWWWWWWWWK...........",
    ".KWWWWWWWWWWWWWWWWWWK...........",
    ".KWWWWWWWWWWWWWWWWWWK...........",
    "..KWWWWWWWWWWWWWWWWWK...........",
    "..KWWWWWWWWWWWWWWWWWK...........",
    "...KWWWWWWWWWWWWWWWWK...........",
    "...KWWWWWWWWWWWWWWWK............",
    "....KWWWWWWWWWWWWWWK............",
    ".....KWWWWWWWWWWWWK.............",
    ".....KWWWWWWWWWWWWK.............",
    ".....KKKKKKKKKKKKKK.............",
] + ["." * 32] * 8
HAND_HOTSPOT = (6, 0)


# ---------------------------------------------------------------- icon artwork (vector, anti-aliased)
def _rounded_square_distance(x, y, half, radius):
    """Signed distance from (x, y) to a square centred at 0.5, 0.5 with rounded corners."""
    qx = abs(x - 0.5) - (half - radius)
    qy = abs(y - 0.5) - (half - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


class IconArt:
    """The application icon in unit coordinates: a cyan tile with a black rim, a blue 'V' on it."""

    HALF = 0.47          # half the tile's width
    RADIUS = 0.17        # corner radius of the tile
    RIM = 0.045          # black rim inside the tile's edge
    STROKE = 0.085       # half the width of each stroke of the V
    OUTLINE = 0.045      # black outline around the V
    LEFT_TOP = (0.25, 0.22)
    RIGHT_TOP = (0.75, 0.22)
    BOTTOM = (0.5, 0.79)

    def distances(self, x, y):
        tile = _rounded_square_distance(x, y, self.HALF, self.RADIUS)
        v = min(_segment_distance(x, y, *self.LEFT_TOP, *self.BOTTOM),
                _segment_distance(x, y, *self.RIGHT_TOP, *self.BOTTOM))
        return tile, v

    def colour(self, x, y):
        """RGB and coverage (0 or 1) of the point (x, y)."""
        tile, v = self.distances(x, y)
        if tile > 0.0:
            return BLACK, 0
        if v < self.STROKE:
            return BLUE, 1
        if v < self.STROKE + self.OUTLINE or tile > -self.RIM:
            return BLACK, 1
        return CYAN, 1

    def near_edge(self, x, y, reach):
        tile, v = self.distances(x, y)
        edges = (tile, tile + self.RIM, v - self.STROKE, v - self.STROKE - self.OUTLINE)
        return min(abs(e) for e in edges) < reach


def render(size, samples=4):
    """Rows top to bottom of (r, g, b, a) with straight (not premultiplied) alpha."""
    art = IconArt()
    pixel = 1.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            cx, cy = (px + 0.5) * pixel, (py + 0.5) * pixel
            if not art.near_edge(cx, cy, pixel):
                rgb, cover = art.colour(cx, cy)
                row.append((*rgb, 255 * cover))
                continue
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    rgb, cover = art.colour((px + (sx + 0.5) / samples) * pixel,
                                            (py + (sy + 0.5) / samples) * pixel)
                    if cover:
                        acc[0] += rgb[0]
                        acc[1] += rgb[1]
                        acc[2] += rgb[2]
                        acc[3] += 1
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                            round(255 * acc[3] / (samples * samples))))
        rows.append(row)
    return rows


# ---------------------------------------------------------------- file formats
def _bitmap_info_header(width, height, bits, image_bytes, colours_used=0):
    # Icon and cursor images store the colour rows and the mask rows stacked: twice the height.
    return struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, bits, 0, image_bytes, 0, 0,
                       colours_used, 0)


def _mask_rows(transparent_rows, width):
    """1-bit AND mask, bottom-up, rows padded to 32 bits; a set bit is a transparent pixel."""
    stride = (width + 31) // 32 * 4
    out = bytearray()
    for row in reversed(transparent_rows):
        bits = bytearray(stride)
        for x, clear in enumerate(row):
            if clear:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def icon_image(pixels, bits):
    """One icon image as Windows keeps it in a resource: header, colour rows, mask rows."""
    size = len(pixels)
    if bits == 24:
        # No alpha channel: a pixel is either shown or masked off, cut at half coverage.
        stride = (size * 3 + 3) // 4 * 4
        colour = bytearray()
        for row in reversed(pixels):
            line = bytearray()
            for r, g, b, a in row:
                line += bytes((b, g, r)) if a >= 128 else b"\0\0\0"
            colour += line + bytes(stride - len(line))
        mask = _mask_rows([[a < 128 for *_, a in row] for row in pixels], size)
    else:
        colour = bytearray()
        for row in reversed(pixels):
            for r, g, b, a in row:
                colour += bytes((b, g, r, a)) if a else b"\0\0\0\0"
        mask = _mask_rows([[a == 0 for *_, a in row] for row in pixels], size)
    return _bitmap_info_header(size, size, bits, len(colour) + len(mask)) + bytes(colour) + mask


ICON_IMAGES = [(30001, 32, 24), (30002, 256, 32), (30003, 128, 32), (30004, 48, 32)]


def icon_files():
    images = [(rid, size, bits, icon_image(render(size), bits)) for rid, size, bits in ICON_IMAGES]
    count = len(images)
    ico = bytearray(struct.pack("<HHH", 0, 1, count))
    group = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for rid, size, bits, data in images:
        side = size if size < 256 else 0  # 0 stands for 256 in the one-byte fields
        ico += struct.pack("<BBBBHHII", side, side, 0, 0, 1, bits, len(data), offset)
        group += struct.pack("<BBBBHHIH", side, side, 0, 0, 1, bits, len(data), rid)
        offset += len(data)
    for *_, data in images:
        ico += data
    files = {"app.ico": bytes(ico), os.path.join("icon", "group.bin"): bytes(group)}
    for rid, _, _, data in images:
        files[os.path.join("icon", f"{rid}.dib")] = data
    return files


def cursor_file():
    width = height = 32
    stride = 4
    colour = bytearray()
    for row in reversed(HAND_ART):
        bits = bytearray(stride)
        for x, ch in enumerate(row):
            if ch == "W":
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += bits
    mask = _mask_rows([[ch == "." for ch in row] for row in HAND_ART], width)
    palette = b"\0\0\0\0" + b"\xff\xff\xff\0"
    image = (_bitmap_info_header(width, height, 1, len(colour) + len(mask), 2) + palette
             + bytes(colour) + mask)
    hx, hy = HAND_HOTSPOT
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", width, height, 2, 0, hx, hy, len(image), 6 + 16)
    return header + entry + image


def alarm_wav():
    """Three seconds of a two-tone beeping alarm, each beep faded in and out to avoid clicks."""
    rate = 44100
    total = 3 * rate
    samples = [0.0] * total
    beep, gap, bursts, per_burst, burst_period = 0.11, 0.07, 3, 4, 1.04
    fade = int(0.006 * rate)
    length = int(beep * rate)
    for burst in range(bursts):
        for n in range(per_burst):
            start = int((0.05 + burst * burst_period + n * (beep + gap)) * rate)
            for i in range(length):
                envelope = min(1.0, i / fade, (length - 1 - i) / fade)
                phase = 2 * math.pi * 1046.5 * i / rate
                samples[start + i] = envelope * (0.62 * math.sin(phase) + 0.18 * math.sin(2 * phase))
    pcm = b"".join(struct.pack("<h", int(round(s * 32767))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(pcm)) + pcm
    return b"RIFF" + struct.pack("<I", len(body)) + body


def tray_header():
    def argb(ch):
        r, g, b = TRAY_COLOURS[ch]
        return 0xFF000000 | r << 16 | g << 8 | b

    lines = []
    for row in TRAY_ART:
        lines.append("    " + ", ".join(f"0x{argb(ch):08X}" for ch in row) + ",")
    art = "\n".join(f"//   {row}" for row in TRAY_ART)
    return f"""// The 16 x 16 tray picture as pixel data: a blue 'V' outlined in black on light cyan, black rim.
// Written by resources/make_artwork.py; change the drawing there and run it again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace resources::tray_picture {{

inline constexpr int kSize = 16;

// Pixels as 0xAARRGGBB, rows top to bottom: the memory layout of a top-down 32-bit BGRA DIB.
// Every pixel is opaque, so the AND mask of an icon made from them is all zeros.
{art}
inline constexpr std::array<std::uint32_t, kSize * kSize> kPixels = {{
{chr(10).join(lines)}
}};

inline constexpr std::uint32_t kBlue = 0xFF07A2FE;
inline constexpr std::uint32_t kLightCyan = 0xFFB1FFFF;
inline constexpr std::uint32_t kBlack = 0xFF000000;

constexpr std::uint32_t PixelAt(int x, int y) {{
    return kPixels[static_cast<std::size_t>(y * kSize + x)];
}}

}}  // namespace resources::tray_picture
"""


def all_files():
    files = icon_files()
    files["HAND-M.CUR"] = cursor_file()
    files["alarm.wav"] = alarm_wav()
    files["TrayPicture.h"] = tray_header().encode()
    return files


def main(argv):
    check = "--check" in argv
    stale = []
    for name, data in sorted(all_files().items()):
        path = os.path.join(HERE, name)
        try:
            with open(path, "rb") as f:
                same = f.read() == data
        except OSError:
            same = False
        if same:
            continue
        if check:
            stale.append(name)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        print(f"wrote {name} ({len(data)} bytes)")
    if stale:
        print("out of date, run resources/make_artwork.py: " + ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

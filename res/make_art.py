"""Draws the setup programs' logo (85 x 80, 256 colours) and window icon, and Nubilux's
cloud and sun icons (16 colours; 32 x 32 and 16 x 16, and for Nubilux's the notification
area's sizes at 125 to 300 % as well), as BMP and ICO files. Run again
only to change the art."""

import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent

# The standard 16-colour palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def scene(x, y, w, h):
    """Sky, a sun behind a cloud, a green field: (r, g, b) or None for transparent."""
    u, v = x / w, y / h
    if (u - 0.5) ** 2 + (v - 0.5) ** 2 > 0.25:
        return None
    for cx, cy, r in ((0.38, 0.58, 0.16), (0.55, 0.5, 0.2), (0.72, 0.6, 0.14)):
        if (u - cx) ** 2 + (v - cy) ** 2 < r * r and v < 0.72:
            return (255, 255, 255)
    if (u - 0.68) ** 2 + (v - 0.32) ** 2 < 0.02:
        return (255, 255, 0)
    if v > 0.78:
        return (0, 128, 0)
    return (0, 0, 128) if v < 0.3 else (0, 0, 255)


def logo():
    w, h = 85, 80
    palette = []
    for r in range(6):
        for g in range(6):
            for b in range(6):
                palette.append((r * 51, g * 51, b * 51))
    palette += [(c, c, c) for c in range(0, 256, 7)][: 256 - len(palette)]
    palette += [(0, 0, 0)] * (256 - len(palette))

    def index(rgb):
        return min(range(256), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], rgb)))

    rows = []
    for y in range(h - 1, -1, -1):
        row = []
        for x in range(w):
            # A sky fading to light blue, the suite's initial in the middle of a disc.
            sky = (int(40 + 150 * y / h), int(90 + 140 * y / h), 255)
            disc = (x - 42) ** 2 + (y - 40) ** 2
            if disc < 30 ** 2 and disc > 24 ** 2:
                rgb = (255, 255, 255)
            elif disc <= 24 ** 2 and 14 ** 2 < disc < 19 ** 2 and not (x > 42 and y > 40 and y - 40 < x - 42 + 3):
                rgb = (255, 204, 0)
            elif disc <= 24 ** 2 and x > 48 and y > 46 and abs((x - 48) - (y - 46)) < 3 and x < 64:
                rgb = (255, 204, 0)
            else:
                rgb = sky
            row.append(index(rgb))
        row += [0] * ((4 - w % 4) % 4)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + len(header) + len(colours)
    (HERE / "logo.bmp").write_bytes(
        b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + colours + pixels)


def cloud(x, y, w, h):
    """A grey-white cloud with a darker rim, for Nubilux at rest."""
    u, v = x / w, y / h
    puffs = ((0.3, 0.58, 0.2), (0.52, 0.45, 0.26), (0.74, 0.6, 0.18))
    inside = any((u - cx) ** 2 + (v - cy) ** 2 < r * r for cx, cy, r in puffs) or (0.12 < u < 0.9 and 0.55 < v < 0.78)
    if not inside or v > 0.8:
        return None
    rim = not any((u - cx) ** 2 + (v - cy) ** 2 < (r - 0.07) ** 2 for cx, cy, r in puffs) and not (
        0.18 < u < 0.84 and 0.55 < v < 0.72)
    if rim:
        return (128, 128, 128)
    return (255, 255, 255) if v < 0.5 else (192, 192, 192)  # grey enough to read on a light taskbar


def sun(x, y, w, h):
    """A yellow sun with rays, for Nubilux at work."""
    import math
    u, v = x / w - 0.5, y / h - 0.5
    r = math.hypot(u, v)
    if r < 0.24:
        return (255, 255, 0) if r < 0.2 else (128, 128, 0)
    angle = math.atan2(v, u) % (math.pi / 4)
    if 0.29 < r < 0.47 and (angle < 0.2 or angle > math.pi / 4 - 0.2):
        return (255, 255, 0) if r < 0.42 else (128, 128, 0)
    return None


def icon_image(size, draw=scene):
    xor, mask = [], []
    for y in range(size - 1, -1, -1):
        nibbles, bits = [], []
        for x in range(size):
            rgb = draw(x + 0.5, y + 0.5, size, size)
            nibbles.append(VGA.index(rgb) if rgb else 0)
            bits.append(1 if rgb is None else 0)
        row = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor.append(row + b"\0" * ((4 - len(row) % 4) % 4))
        bits += [1] * ((8 - size % 8) % 8)  # beyond the picture: transparent
        row = bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))
        mask.append(row + b"\0" * ((4 - len(row) % 4) % 4))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)
    return header + colours + b"".join(xor) + b"".join(mask)


def icon(draw=scene, name="setup.ico", sizes=(32, 16)):
    images = [icon_image(size, draw) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    (HERE / name).write_bytes(out + b"".join(images))


if __name__ == "__main__":
    logo()
    icon()
    # The small icon at 100, 125, 150, 200, 250 and 300 %, and the window's 32.
    tray = (32, 16, 20, 24, 40, 48)
    icon(cloud, "cloud.ico", tray)
    icon(sun, "sun.ico", tray)

"""Pictures the sources may send: the sample satellite view, and faulty ones made here."""

import functools
import math
import struct
import subprocess
from pathlib import Path
from urllib.parse import parse_qs, urlsplit

SAMPLE = Path(__file__).resolve().parents[3] / "res" / "sample" / "sat11.jpg"
SAMPLE_SIZE = (1024, 768)


def sample():
    return SAMPLE.read_bytes()


def _jpeg(*args):
    return subprocess.run(["/usr/bin/convert", *args, "-quality", "90", "jpeg:-"], check=True,
                          capture_output=True).stdout


@functools.cache
def twice_the_screen():
    """The sample at 2048 x 1536: more than the sessions' 1024 x 768 screen shows."""
    return _jpeg(str(SAMPLE), "-resize", "2048x1536!")


@functools.cache
def square():
    """A square full-disc picture, as NOAA publishes at 1808 x 1808."""
    return _jpeg(str(SAMPLE), "-resize", "1808x1808!")


@functools.cache
def gradient(width, height):
    """Light to dark down it and across it, and nowhere black: a cut from it shows where
    it ends, and any part of it is more than one colour."""
    size = f"{width}x{height}"
    return _jpeg("-size", size, "gradient:#ffffff-#666688", "(", "-size", f"{height}x{width}",
                 "gradient:#ffffff-#886666", "-rotate", "90", ")", "-compose", "multiply", "-composite")


@functools.cache
def one_colour():
    """An all-black frame, as a source publishes when its instrument is off."""
    return _jpeg("-size", "1024x768", "xc:black")


@functools.cache
def size_bomb(side=9450):
    """A few hundred bytes of JPEG that declare side x side pixels."""
    data = bytearray(_jpeg("-size", "16x16", "xc:gray"))
    sof = data.find(b"\xff\xc0")
    assert sof > 0, "no baseline frame header"
    struct.pack_into(">HH", data, sof + 5, side, side)  # height, width
    return bytes(data)


# The geostationary view as the satellite operators publish it (GRS 80, the satellite's
# height above the equator): a second implementation, written apart from the program's.
_EQUATOR, _POLE, _HEIGHT = 6378137.0, 6356752.31414, 35785831.0


def _on_earth(x, y):
    """Whether the line of sight at scan angles x, y (radians) meets the Earth."""
    h = _HEIGHT + _EQUATOR
    a = math.sin(x) ** 2 + math.cos(x) ** 2 * (math.cos(y) ** 2 + (_EQUATOR / _POLE) ** 2 * math.sin(y) ** 2)
    b = -2 * h * math.cos(x) * math.cos(y)
    return b * b - 4 * a * (h * h - _EQUATOR ** 2) >= 0


def map_server(url):
    """What the map server draws for a GetMap request in the geostationary projection:
    Earth, light and shaded, wherever the box's pixel sees it, and black space beyond the
    limb."""
    q = {k: v[0] for k, v in parse_qs(urlsplit(url).query).items()}
    west, south, east, north = (float(v) / _HEIGHT for v in q["BBOX"].split(","))
    width, height = int(q["WIDTH"]), int(q["HEIGHT"])
    rows = []
    for j in range(height):
        y = north - (north - south) * (j + 0.5) / height
        row = bytearray()
        for i in range(width):
            x = west + (east - west) * (i + 0.5) / width
            # Shaded across and down, as a picture of the Earth is never one colour.
            row += bytes((60 + 120 * i // width, 100 + 100 * j // height, 200)) if _on_earth(x, y) else b"\0\0\0"
        rows.append(bytes(row))
    ppm = f"P6 {width} {height} 255\n".encode() + b"".join(rows)
    return subprocess.run(["/usr/bin/convert", "ppm:-", "-quality", "90", "jpeg:-"], input=ppm, check=True,
                          capture_output=True).stdout

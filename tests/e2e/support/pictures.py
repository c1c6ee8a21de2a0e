"""Pictures the sources may send: the sample satellite view, and faulty ones made here."""

import functools
import struct
import subprocess
from pathlib import Path

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

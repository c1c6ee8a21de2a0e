"""Prints the Windows architecture whose programs Wine can run here: "i686" where the
Linux kernel runs 32-bit code (Wine's 32-bit half needs it), else "x86_64". Some
kernels are started with their 32-bit emulation turned off."""

import os
import struct
import subprocess
import sys
import tempfile

BASE = 0x08048000


def tiny_i386_program():
    """A 32-bit ELF program that only calls exit(0)."""
    code = bytes.fromhex("b801000000" "31db" "cd80")  # mov eax, 1; xor ebx, ebx; int 0x80
    header_size, program_header_size = 52, 32
    size = header_size + program_header_size + len(code)
    ident = b"\x7fELF" + bytes([1, 1, 1]) + bytes(9)
    header = ident + struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, BASE + header_size + program_header_size,
                                 header_size, 0, 0, header_size, program_header_size, 1, 0, 0, 0)
    program_header = struct.pack("<IIIIIIII", 1, 0, BASE, BASE, size, size, 5, 0x1000)
    return header + program_header + code


def runs_i386():
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "exit0")
        with open(path, "wb") as f:
            f.write(tiny_i386_program())
        os.chmod(path, 0o755)
        try:
            return subprocess.run([path], timeout=10).returncode == 0
        except OSError:
            return False


if __name__ == "__main__":
    print("i686" if runs_i386() else "x86_64")
    sys.exit(0)

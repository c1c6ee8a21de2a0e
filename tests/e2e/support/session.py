"""One end-to-end session: a fresh copy of the booted Wine prefix, its own virtual
display, and the window probe to drive what runs there."""

import ctypes
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]


def _without_address_randomization():
    """Every Wine process started from here, with its layout of memory fixed: about one
    start in a thousand of Wine's 64-bit loader fails ("failed to map the shared user
    data") when randomization has put something where Windows' shared page must go. The
    setting passes to child processes, as `setarch -R` does."""
    addr_no_randomize = 0x0040000
    libc = ctypes.CDLL(None, use_errno=True)
    current = libc.personality(0xFFFFFFFF)
    if current != -1:
        libc.personality(current | addr_no_randomize)


_without_address_randomization()
# Nubilux asks the satellite above the user's time zone first: every session, and these
# tests' own clock, in one known zone unless a test names another.
os.environ.setdefault("TZ", "UTC")


def _wine_arch():
    return subprocess.run([sys.executable, str(ROOT / "scripts" / "wine-arch.py")], capture_output=True,
                          text=True, check=True).stdout.strip()


# The build whose programs Wine runs here: the shipped 32-bit one, or the same sources
# for 64-bit Windows where this machine cannot run Wine's 32-bit half. ctest names it;
# the demo and the benchmark ask.
if "SUITE_BUILD_DIR" in os.environ:
    BUILD_DIR = Path(os.environ["SUITE_BUILD_DIR"])
    PRODUCT_DIR = Path(os.environ["SUITE_PRODUCT_DIR"])
    SYSTEM_FOLDER = os.environ["SUITE_SYSTEM_FOLDER"]
elif _wine_arch() == "i686":
    BUILD_DIR, PRODUCT_DIR, SYSTEM_FOLDER = ROOT / "build" / "windows", ROOT / "build" / "product", "syswow64"
else:
    BUILD_DIR = ROOT / "build" / "windows-x64"
    PRODUCT_DIR, SYSTEM_FOLDER = BUILD_DIR / "product", "system32"
TEMPLATE_PREFIX = Path(os.environ.get("SUITE_TEMPLATE_PREFIX", ROOT / "build" / "wineprefix-template"))
PROBE = BUILD_DIR / "tools" / "probe.exe"
WINE_USER = os.environ.get("USER") or "root"
# No .NET or HTML engine prompts; no menu entries written into the Linux home folder.
DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"


def context_switches(pid):
    """How often each thread of a Linux process has been switched out, by thread id: each
    wake-up of a Windows program's thread counts at least once."""
    counts = {}
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            counts[task.name] = sum(int(line.split()[1]) for line in (task / "status").read_text().splitlines()
                                    if "ctxt_switches:" in line)  # voluntary and nonvoluntary
        except (OSError, ValueError):
            continue  # a thread that has just ended
    return counts


def switches_since(before, pid):
    """Context switches since the `before` counts: of threads alive now (a thread that
    ended meanwhile takes its counts with it)."""
    return sum(count - before.get(tid, 0) for tid, count in context_switches(pid).items())


class TrayLog(list):
    """The tips a program gave its notification icon, in order; deleted once it removed it.
    calls: every call as the shell received it, a dict each (call, flags, version, width,
    height, depth)."""
    deleted = False
    refused = 0  # calls a notification area not ready yet refused

    def __init__(self):
        super().__init__()
        self.calls = []


class WineSession:
    def __init__(self, display_size="1024x768x24", desktop=None, screens=()):
        """screens: further monitors beside the first ("800x600x24"), joined by Xinerama."""
        if not (TEMPLATE_PREFIX / "system.reg").exists():
            raise RuntimeError(f"no booted Wine prefix at {TEMPLATE_PREFIX}: run scripts/test.sh")
        self.root = Path(tempfile.mkdtemp(prefix="suite-e2e-"))
        self.prefix = self.root / "prefix"
        subprocess.run(["cp", "-a", str(TEMPLATE_PREFIX), str(self.prefix)], check=True)
        if screens:
            # Wine sees Xinerama's monitors only without XRandR and outside a virtual desktop
            # (which is one monitor): both set before its first start.
            user = self.prefix / "user.reg"
            text = user.read_text(encoding="ascii").replace('"Desktop"="Default"\n', "")
            user.write_text(text + '\n[Software\\\\Wine\\\\X11 Driver] 1700000000\n"UseXRandR"="N"\n',
                            encoding="ascii")
        self._xvfb = self._start_display(display_size, screens)
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), DISPLAY=self.display,
                        WINEDEBUG="-all", WINEDLLOVERRIDES=DLL_OVERRIDES)
        self.env.pop("http_proxy", None)
        self._processes = []
        if desktop:  # Wine's virtual desktop, as large as the display (the template's is 1024x768)
            subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\Explorer\\Desktops", "/v", "Default",
                            "/d", desktop, "/f"], env=self.env, capture_output=True, timeout=120)
        self._warm_up()

    def _warm_up(self):
        # The server and Wine's own services outlive the process that starts them and keep
        # its output pipes open: start them here, detached, so no probe call waits on them.
        quiet = dict(env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-p"], check=True, **quiet)
        subprocess.run(["wine", "cmd", "/c", "exit"], timeout=120, **quiet)

    def _start_display(self, size, screens=()):
        read_fd, write_fd = os.pipe()
        layout = ["-screen", "0", size]
        for number, more in enumerate(screens, 1):
            layout += ["-screen", str(number), more]
        if screens:
            layout.append("+xinerama")
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), *layout, "-nolisten", "tcp"],
                                pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            xvfb.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        return xvfb

    # --- paths -------------------------------------------------------------------
    @property
    def drive_c(self):
        return self.prefix / "drive_c"

    def unix_path(self, windows_path):
        """C:\\a\\b as a path on this machine."""
        assert windows_path[1:3] == ":\\", windows_path
        return self.drive_c.joinpath(*[p for p in windows_path[3:].split("\\") if p])

    @property
    def system_folder(self):
        return self.drive_c / "windows" / SYSTEM_FOLDER

    @property
    def programs_folder(self):
        return self.drive_c / "users" / WINE_USER / "AppData/Roaming/Microsoft/Windows/Start Menu/Programs"

    def copy_product(self, windows_folder):
        """Lays the product folder out at a folder of the prefix, as a user unpacks it."""
        target = self.unix_path(windows_folder)
        shutil.copytree(PRODUCT_DIR, target, dirs_exist_ok=True)
        return target

    # --- programs ----------------------------------------------------------------
    def start(self, program, *args, cwd=None, env=None):
        """Starts a Windows program (a path on this machine) without waiting for it."""
        with open(self.root / "programs.log", "ab") as log:
            process = subprocess.Popen(["wine", str(program), *args], cwd=cwd or self.root,
                                       env=dict(self.env, **(env or {})), stdout=log, stderr=log)
        self._processes.append(process)
        return process

    def run(self, program, *args, timeout=60, env=None):
        return subprocess.run(["wine", str(program), *args], cwd=self.root, env=dict(self.env, **(env or {})),
                              capture_output=True, timeout=timeout)

    # Nubilux.exe started by Nubilux as one of its helpers: an attempt's worker, or a question's.
    HELPER_SWITCHES = ("/ATTEMPT", "/MONITORS", "/METERED", "/CONNECTIONS", "/HANGUP")

    def _linux_processes(self):
        """(pid, command line) of this session's Linux processes."""
        for entry in Path("/proc").iterdir():
            try:
                if entry.name.isdigit() and f"WINEPREFIX={self.prefix}".encode() in (entry / "environ").read_bytes():
                    yield int(entry.name), (entry / "cmdline").read_bytes().decode(errors="replace")
            except OSError:
                continue

    def linux_pid(self, name):
        """The Linux process that runs a Windows program of this session (not one of
        Nubilux's helpers), or None."""
        for pid, line in self._linux_processes():
            if name.lower() in line.lower() and not any(switch in line.upper() for switch in self.HELPER_SWITCHES):
                return pid
        return None

    def worker_pids(self):
        """The Linux processes of Nubilux's attempts' workers running in this session."""
        return [pid for pid, line in self._linux_processes() if "/ATTEMPT" in line.upper()]

    def probe(self, *args, timeout=60):
        # Its output through files, not pipes: a Wine service that a program the probe
        # started brings up (rpcss, explorer) inherits them and would hold a pipe open.
        with tempfile.TemporaryFile() as stdout, tempfile.TemporaryFile() as stderr:
            result = subprocess.run(["wine", str(PROBE), *args], cwd=self.root, env=self.env, stdout=stdout,
                                    stderr=stderr, timeout=timeout)
            stdout.seek(0)
            stderr.seek(0)
            out = stdout.read().decode("utf-8", "replace")
            if result.returncode != 0 and not out:  # the probe did not even start: say why
                out = f"exit {result.returncode}: " + stderr.read().decode("utf-8", "replace")
        return result.returncode, out

    def set_dpi(self, dpi):
        """The screen's scale, as the user sets it (96 is 100 %); read by programs started after."""
        subprocess.run(["wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", str(dpi), "/f"], env=self.env, check=True, capture_output=True)

    def watch_tray(self, caption, seconds=120, refuse=0):
        """Stands in for the notification area (Wine's shell hands it every icon call), so
        that the tips a program gives its icon can be read; the program is asked to add its
        icon again, as after the taskbar starts. With refuse (seconds), a notification area
        not ready yet, as at logon: started before the program, it refuses every call that
        long (counted in .refused), then takes them, telling no one. Returns the list the
        tips arrive in."""
        tips = TrayLog()
        process = subprocess.Popen(["wine", str(PROBE), "tray", caption, str(seconds)] +
                                   ([f"refuse={refuse}"] if refuse else []),
                                   cwd=self.root, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self._processes.append(process)
        ready = threading.Event()

        def read():
            for raw in process.stdout:
                line = raw.decode("utf-8", "replace").rstrip("\r\n")
                if line == "ready":
                    ready.set()
                elif line == "refused":
                    tips.refused += 1
                elif line.count("\t") >= 6:
                    *numbers, tip = line.split("\t", 6)
                    call = dict(zip(("call", "flags", "version", "width", "height", "depth"), map(int, numbers)))
                    tips.calls.append(call)
                    if call["call"] == 2:  # NIM_DELETE
                        tips.deleted = True
                    elif call["flags"] & 4:  # NIF_TIP
                        tips.append(tip.replace("\\n", "\n"))
            ready.set()

        threading.Thread(target=read, daemon=True).start()
        if not ready.wait(30) or process.poll() not in (None, 0):
            raise AssertionError("the notification area's stand-in did not start")
        return tips

    def trust_test_authority(self):
        """Puts the tests' certificate authority into the current user's Root store."""
        from . import tls
        code, out = self.probe("trust", "Z:" + str(tls.authority_der()).replace("/", "\\"))
        if code != 0:
            raise AssertionError(f"the test authority could not be trusted: {out}")

    def wait_window(self, caption, seconds=30):
        code, out = self.probe("wait", caption, str(seconds))
        if code != 0:
            raise AssertionError(f"window {caption!r} did not appear within {seconds} s")

    def window_gone(self, caption, seconds=15):
        return self.probe("gone", caption, str(seconds))[0] == 0

    def window(self, caption):
        code, out = self.probe("list", caption)
        if code != 0:
            raise AssertionError(f"window {caption!r} not found: {out}")
        return json.loads(out)

    def control(self, caption, text=None, control_id=None):
        for c in self.window(caption)["controls"]:
            if (text is not None and c["text"] == text) or (control_id is not None and c["id"] == control_id):
                return c
        raise AssertionError(f"no control {text or control_id!r} in {caption!r}")

    def click(self, caption, button):
        code, out = self.probe("click", caption, button)
        if code != 0:
            raise AssertionError(f"cannot click {button!r} in {caption!r}: {out}")

    def wait_until(self, condition, seconds=15, step=0.2):
        end = time.monotonic() + seconds
        while True:
            value = condition()
            if value or time.monotonic() >= end:
                return value
            time.sleep(step)

    def link(self, lnk_path):
        """A shortcut read back through the shell: target, arguments and folder."""
        code, out = self.probe("link", self.windows_path(lnk_path))
        if code != 0:
            raise AssertionError(f"cannot read shortcut {lnk_path}")
        return json.loads(out)

    def windows_path(self, path):
        """A path inside the prefix's drive C: as Windows names it."""
        return "C:\\" + str(Path(path).relative_to(self.drive_c)).replace("/", "\\")

    def colours(self, caption, control_id):
        """The set of (r, g, b) colours the screen shows inside a control."""
        window = self.window(caption)
        control = next(c for c in window["controls"] if c["id"] == control_id)
        left, top, right, bottom = control["rect"]
        x, y = window["origin"][0] + left, window["origin"][1] + top
        shot = self.screenshot(self.root / "colours.ppm").read_bytes()
        # Binary PPM: "P6", width, height, 255, then three bytes a pixel.
        magic, width, height, depth, pixels = shot.split(maxsplit=4)
        assert magic == b"P6" and depth == b"255"
        width = int(width)
        found = set()
        for row in range(y, y + bottom - top):
            start = (row * width + x) * 3
            line = pixels[start:start + (right - left) * 3]
            found.update(tuple(line[i:i + 3]) for i in range(0, len(line), 3))
        return found

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8", str(path)],
                       check=True, capture_output=True)
        return path

    def settle(self, seconds=30):
        """Waits until every program started in the session has ended."""
        for process in self._processes:
            process.wait(timeout=seconds)

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        for process in self._processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
        self._xvfb.terminate()
        self._xvfb.wait(timeout=10)
        shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

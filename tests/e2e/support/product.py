"""The product as a user receives it: the release archive, unpacked into Program Files,
and the programs' windows."""

import re
import subprocess
import zipfile
from pathlib import Path

from .session import PRODUCT_DIR, SYSTEM_FOLDER

# The suite's version, as the build set it.
SUITE_VERSION = re.search(r"project\(Quintaris VERSION ([\d.]+)",
                          (Path(__file__).resolve().parents[3] / "CMakeLists.txt").read_text()).group(1)
RELEASE = PRODUCT_DIR.parent / f"Nubilux-{'.'.join(SUITE_VERSION.split('.')[:2])}.zip"
SAMPLE = Path(__file__).resolve().parents[3] / "res" / "sample" / "sat11.jpg"
# A 32-bit program's %ProgramFiles% on 64-bit Windows.
APP_FOLDER = "C:\\Program Files (x86)\\Quintaris\\Nubilux"

SETUP = "Quintaris Srl - Setup Wizard"
UNINSTALL = "Quintaris - Uninstall Wizard"
NUBILUX = "QuintarisMeteo"


def unpack(session, folder=APP_FOLDER, manual=False):
    """The release archive unpacked into the folder; with manual, Nubilux set to Manual
    mode there, so that starting it fetches nothing."""
    target = session.unix_path(folder)
    target.mkdir(parents=True, exist_ok=True)
    with zipfile.ZipFile(RELEASE) as archive:
        archive.extractall(target)
    if manual:
        (target / "Nubilux.ini").write_text("[Nubilux]\r\nAggiornamento=1\r\n")
    return target


def wallpaper(session):
    out = subprocess.run(["wine", "reg", "query", "HKCU\\Control Panel\\Desktop", "/v", "Wallpaper"],
                         env=session.env, capture_output=True, text=True).stdout
    return out.split("REG_SZ", 1)[1].strip() if "REG_SZ" in out else ""


def registry_values(session, key):
    """The key's values as `reg query` prints them, name -> (type, data), in the registry
    view the build's programs see (a 32-bit program's HKLM\\Software is the 32-bit view);
    None when missing."""
    view = "/reg:32" if SYSTEM_FOLDER == "syswow64" else "/reg:64"
    out = subprocess.run(["wine", "reg", "query", key, view], env=session.env, capture_output=True, text=True)
    if out.returncode != 0:
        return None
    found = {}
    for line in out.stdout.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            found[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return found


def install(session, app, env=None):
    """Runs Install.exe from the application folder; gives the window's two labels."""
    session.start(app / "Install.exe", env=env)
    session.wait_window(SETUP, 60)
    return (session.control(SETUP, control_id=101)["text"], session.control(SETUP, control_id=102)["text"])

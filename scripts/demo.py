"""The suite's main job on the embedded sample, in a fresh Wine prefix on a virtual
display, with no internet: Nubilux fetches the satellite picture (served from
res/sample/sat11.jpg by a local server that WinINet reaches as its proxy) and makes it
the wallpaper; then the installer runs from the product folder. Prints what a user would
see; screenshots land in build/demo/."""

import subprocess
import shutil
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from support import proxy  # noqa: E402
from support.session import PRODUCT_DIR, WineSession  # noqa: E402

SAMPLE = ROOT / "res" / "sample" / "sat11.jpg"


def wallpaper(session):
    out = subprocess.run(["wine", "reg", "query", "HKCU\\Control Panel\\Desktop", "/v", "Wallpaper"],
                         env=session.env, capture_output=True, text=True).stdout
    return out.split("REG_SZ", 1)[1].strip() if "REG_SZ" in out else "(none)"


def nubilux(session, out):
    caption = "QuintarisMeteo"
    app = session.drive_c / "Nubilux"
    app.mkdir()
    for name in ("Nubilux.exe", "Nubilux.ini"):  # Automatic: the first update a second after start
        shutil.copy(PRODUCT_DIR / name, app)
    with proxy.FakeProxy(body=SAMPLE.read_bytes()) as server:
        session.start(app / "Nubilux.exe", env=server.env())
        session.wait_window(caption, 60)
        bitmap = app / "NUBILUX.BMP"
        if not session.wait_until(lambda: bitmap.exists() and session.control(caption, control_id=105)["text"], 60):
            print("The update did not finish.")
        session.wait_until(lambda: False, 2)
        shot = session.screenshot(out / "wallpaper.png")
        print(f"Nubilux fetched {server.urls()[0] if server.urls() else '(nothing)'}")
        status = [session.control(caption, control_id=i)["text"] for i in (105, 106, 107)]
        print(f"  status: {status[0]} {status[1]} - {status[2]}")
        print(f"  {bitmap.name}: {bitmap.stat().st_size} bytes; wallpaper: {wallpaper(session)}")
        print(f"  screenshot: {shot}\n")
        session.probe("close", caption)
        session.probe("answer", "Nubilux", "Yes", "15")


def installer(session, out):
    caption = "Quintaris Srl - Setup Wizard"
    setup = session.copy_product("C:\\Setup")
    session.start(setup / "Install.exe")
    session.wait_window(caption, 60)
    shot = session.screenshot(out / "install.png")
    window = session.window(caption)
    print(f"Install: window \"{window['caption']}\":")
    for control in window["controls"]:
        if control["text"]:
            print(f"  [{control['class']}] {control['text']}")
    print("Setup.LOG:")
    print("  " + (setup / "Setup.LOG").read_bytes().decode("cp1252").rstrip().replace("\r\n", "\n  "))
    print("Shortcuts made:")
    for link in sorted(session.drive_c.glob("users/*/**/*.lnk")):
        print(f"  {session.windows_path(link)} -> {session.link(link)['target']}")
    print(f"  screenshot: {shot}")
    session.click(caption, "Installazione Terminata")
    session.window_gone(caption)


def main():
    out = ROOT / "build" / "demo"
    out.mkdir(parents=True, exist_ok=True)
    with WineSession() as session:
        nubilux(session, out)
        installer(session, out)


if __name__ == "__main__":
    main()

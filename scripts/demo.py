"""Runs what the suite does today in a fresh Wine prefix on a virtual display: the
installer from the product folder. Prints what a user would see and where things went;
the screenshot lands in build/demo/."""

import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from support.session import WineSession  # noqa: E402

CAPTION = "Quintaris Srl - Setup Wizard"


def main():
    out = ROOT / "build" / "demo"
    out.mkdir(parents=True, exist_ok=True)
    print("Nubilux, the wallpaper program, is not built yet: its job on the embedded sample comes with it.")
    print("Running the installer from the product folder instead.\n")
    with WineSession() as session:
        setup = session.copy_product("C:\\Setup")
        session.start(setup / "Install.exe")
        session.wait_window(CAPTION, 60)
        window = session.window(CAPTION)
        shot = session.screenshot(out / "install.png")
        print(f"Window \"{window['caption']}\":")
        for control in window["controls"]:
            if control["text"]:
                print(f"  [{control['class']}] {control['text']}")
        print("\nSetup.LOG:")
        print((setup / "Setup.LOG").read_bytes().decode("cp1252").rstrip())
        print("\nShortcuts made:")
        for link in sorted(session.drive_c.glob("users/*/**/*.lnk")):
            target = session.link(link)["target"]
            print(f"  {session.windows_path(link)} -> {target}")
        session.click(CAPTION, "Installazione Terminata")
        session.window_gone(CAPTION)
        print(f"\nScreenshot: {shot}")


if __name__ == "__main__":
    main()

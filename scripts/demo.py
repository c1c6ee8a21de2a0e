"""The suite's main job on the embedded sample, with no internet: in a fresh Wine prefix
with a virtual desktop, the release is unpacked into Program Files, Install.exe runs,
"Installazione Terminata" starts Nubilux, and Nubilux fetches the sample satellite
picture (res/sample/sat11.jpg, served by a local server that WinINet reaches as its
proxy) and makes it the wallpaper. Screenshots and the install log land in build/demo/."""

import shutil
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from support import product, proxy  # noqa: E402
from support.session import WineSession  # noqa: E402


def crop(session, caption, shot, out):
    """A screenshot of one window, frame included."""
    left, top, right, bottom = session.window(caption)["screen"]
    session.wait_until(lambda: False, 0.5)  # let it paint
    session.screenshot(shot)
    subprocess.run(["/usr/bin/convert", str(shot), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                    str(out)], check=True)
    shot.unlink()
    return out


def main():
    out = ROOT / "build" / "demo"
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    with WineSession() as session, proxy.FakeProxy(body=product.SAMPLE.read_bytes()) as server:
        # The proxy answers for the real sources with a certificate of the tests' own
        # authority, which this computer trusts as it would the real sites'.
        session.trust_test_authority()
        app = product.unpack(session)
        print(f"Unpacked {product.RELEASE.name} into {product.APP_FOLDER}")
        # A user in Europe: the view from Meteosat above 0° comes first.
        labels = product.install(session, app, dict(server.env(), TZ="Europe/Rome"))
        print(f"Install.exe: {labels[0]} / {labels[1]}")
        crop(session, product.SETUP, out / "full.png", out / "install.png")
        session.click(product.SETUP, "Installazione Terminata")
        session.window_gone(product.SETUP)
        session.wait_window(product.NUBILUX, 60)
        print("Nubilux started by the installer's button; fetching the picture ...")
        bitmap = app / "NUBILUX.BMP"
        done = session.wait_until(lambda: bitmap.exists() and product.wallpaper(session), 60)
        session.wait_until(lambda: False, 1.5)  # let the desktop repaint
        desktop = session.screenshot(out / "desktop.png")
        crop(session, product.NUBILUX, out / "full.png", out / "nubilux.png")
        status = [session.control(product.NUBILUX, control_id=i)["text"] for i in (105, 106, 107)]
        print(f"  {'done' if done else 'NOT DONE'}: {status[0]} {status[1]} - {status[2]}")
        print(f"  wallpaper: {product.wallpaper(session)}")
        print(f"  asked first: {server.urls()[0] if server.urls() else 'nothing'}")
        session.click(product.NUBILUX, "Info")
        session.wait_window("INFO")
        crop(session, "INFO", out / "full.png", out / "about.png")
        session.click("INFO", "Ok")
        # The uninstaller's window, left with "Annulla": nothing is removed.
        session.start(app / "uninstall.exe")
        session.wait_window(product.UNINSTALL, 60)
        crop(session, product.UNINSTALL, out / "full.png", out / "uninstall.png")
        session.click(product.UNINSTALL, "Annulla")
        session.probe("close", product.UNINSTALL)
        shutil.copy(app / "Setup.LOG", out / "Setup.LOG")
        print(f"\nScreenshot of the desktop: {desktop}")
        print(f"Setup.LOG: {out / 'Setup.LOG'} (in the prefix: {product.APP_FOLDER}\\Setup.LOG)")
    return 0 if done else 1


if __name__ == "__main__":
    sys.exit(main())

"""Nubilux.exe as a user meets it, with the local HTTP server standing in for the
satellite picture's web server (WinINet reaches it as the proxy)."""

import shutil
import struct
import subprocess
import time
import unittest
from pathlib import Path

from support import proxy
from support.session import PRODUCT_DIR, WineSession

CAPTION = "QuintarisMeteo"
UPDATE, INFO, FRAME, AUTOMATIC, MANUAL, LABEL1, LABEL2, LABEL3 = range(100, 108)
PICTURE = (Path(__file__).resolve().parents[2] / "res" / "sample" / "sat11.jpg").read_bytes()
URL = "http://meteo.quintaris.example/meteo/satellite/image/sat11.jpg"
TRAY_CALLBACK, WM_SYSCOMMAND, SC_CLOSE = 1281, 0x112, 0xF060


def bitmap_size(data):
    """Width and height of a Windows bitmap file, or None when it is not one."""
    if len(data) < 54 or data[:2] != b"BM":
        return None
    width, height = struct.unpack_from("<ii", data, 18)
    return width, abs(height)


class NubiluxSession:
    """The product folder at C:\\Nubilux with the given mode, and the fake server."""

    def __init__(self, test, mode="1", mode_file=True, mode_text=None, server_mode=proxy.SERVE):
        self.session = WineSession()
        self.server = proxy.FakeProxy(body=PICTURE, mode=server_mode, stall_seconds=3)
        test.addCleanup(self.close)
        self.app = self.session.drive_c / "Nubilux"
        self.app.mkdir()
        shutil.copy(PRODUCT_DIR / "Nubilux.exe", self.app)
        if mode_file:
            (self.app / "Nubilux.ini").write_text(mode_text or f"[Nubilux]\r\nAggiornamento={mode}\r\n")
        self.bitmap = self.app / "NUBILUX.BMP"

    def close(self):
        if self.session:
            self.server.close()
            self.session.close()
            self.session = None

    def start(self):
        self.session.start(self.app / "Nubilux.exe", env=self.server.env())
        self.session.wait_window(CAPTION, 60)

    def control(self, control_id):
        return self.session.control(CAPTION, control_id=control_id)

    def wallpaper(self):
        out = subprocess.run(["wine", "reg", "query", "HKCU\\Control Panel\\Desktop", "/v", "Wallpaper"],
                             env=self.session.env, capture_output=True, text=True).stdout
        return out.split("REG_SZ", 1)[1].strip() if "REG_SZ" in out else ""

    def update_and_wait(self):
        before = len(self.server.requests)
        self.session.click(CAPTION, "Update")
        assert self.session.wait_until(lambda: len(self.server.requests) > before, 30), "no request"
        # The status line reaches its last state when the update is over.
        assert self.session.wait_until(lambda: self.control(LABEL1)["text"] in ("11", "12"), 30)
        time.sleep(0.5)


class Updates(unittest.TestCase):
    def test_a_good_picture_becomes_the_wallpaper_bitmap(self):
        n = NubiluxSession(self)
        n.start()
        n.update_and_wait()
        self.assertEqual(n.server.urls(), [URL])
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (480, 360))
        self.assertEqual(n.wallpaper(), "C:\\Nubilux\\NUBILUX.BMP")
        self.assertEqual(n.control(LABEL1)["text"], "12")
        self.assertEqual(n.control(LABEL2)["text"], "icResponseCompleted")
        self.assertEqual(n.control(LABEL3)["text"],
                         "La richiesta \u00e8 stata completata e sono stati ricevuti tutti i dati.")
        # no temporary file left behind
        self.assertEqual(sorted(p.name for p in n.app.iterdir()), ["NUBILUX.BMP", "Nubilux.exe", "Nubilux.ini"])

    def test_failed_transfers_leave_the_previous_bitmap_and_wallpaper_alone(self):
        for mode in (proxy.REFUSE, proxy.NOT_FOUND, proxy.GARBAGE, proxy.TRUNCATED):
            with self.subTest(mode=mode):
                n = NubiluxSession(self, server_mode=mode)
                previous = bytes(range(256)) * 8
                n.bitmap.write_bytes(previous)
                n.start()
                before = n.wallpaper()
                n.session.click(CAPTION, "Update")
                self.assertTrue(n.session.wait_until(lambda: n.control(LABEL1)["text"] in ("11", "12"), 60))
                time.sleep(0.5)
                self.assertEqual(n.bitmap.read_bytes(), previous)
                self.assertEqual(n.wallpaper(), before)
                if mode == proxy.GARBAGE:  # the transfer itself went well; the body is no picture
                    self.assertEqual(n.control(LABEL1)["text"], "12")
                else:
                    self.assertEqual(n.control(LABEL1)["text"], "11")
                    self.assertEqual(n.control(LABEL3)["text"], "Errore di comunicazione con il computer host.")
                self.assertEqual(sorted(p.name for p in n.app.iterdir()), ["NUBILUX.BMP", "Nubilux.exe", "Nubilux.ini"])
                n.close()


class Modes(unittest.TestCase):
    def test_automatic_start_fetches_about_a_second_after_start(self):
        n = NubiluxSession(self, mode="0")
        started = time.monotonic()
        n.start()
        self.assertFalse(n.control(UPDATE)["enabled"])
        self.assertTrue(n.control(AUTOMATIC)["checked"])
        self.assertTrue(n.session.wait_until(lambda: n.server.requests, 15))
        self.assertLess(time.monotonic() - started, 15)
        self.assertTrue(n.session.wait_until(lambda: n.bitmap.exists(), 15))

    def test_manual_starts_fetch_nothing_until_update(self):
        n = None
        for kwargs in ({"mode": "1"}, {"mode": "-1"}, {"mode": ""}, {"mode_file": False}):
            with self.subTest(**kwargs):
                if n:
                    n.close()
                n = NubiluxSession(self, **kwargs)
                n.start()
                self.assertTrue(n.control(UPDATE)["enabled"])
                self.assertTrue(n.control(MANUAL)["checked"])
                self.assertFalse(n.control(AUTOMATIC)["checked"])
                time.sleep(2.5)
                self.assertEqual(n.server.requests, [])
        n.update_and_wait()
        self.assertEqual(len(n.server.requests), 1)

    def test_an_option_click_is_kept_for_the_next_start(self):
        n = NubiluxSession(self, mode="1")
        n.start()
        n.session.click(CAPTION, "Automatic")
        self.assertTrue(n.session.wait_until(lambda: not n.control(UPDATE)["enabled"]))
        self.assertIn("Aggiornamento=0", (n.app / "Nubilux.ini").read_text())


class WindowAndIcon(unittest.TestCase):
    def test_window_layout_close_box_tray_double_click_and_quit_question(self):
        n = NubiluxSession(self)
        n.start()
        window = n.session.window(CAPTION)
        self.assertEqual(window["client"], [180, 63])  # 2700 x 945 twips at 96 dpi
        self.assertTrue(window["topmost"])
        controls = window["controls"]
        self.assertEqual([(c["id"], c["text"]) for c in controls[:5]],
                         [(UPDATE, "&Update"), (INFO, "&Info"), (FRAME, "Updating"), (AUTOMATIC, "Automatic"),
                          (MANUAL, "Manual")])
        self.assertEqual([c["rect"] for c in controls[:5]],
                         [[0, 40, 89, 63], [90, 40, 179, 63], [0, 0, 179, 39], [10, 16, 83, 29], [92, 16, 153, 29]])

        n.session.probe("post", CAPTION, str(WM_SYSCOMMAND), str(SC_CLOSE), "0")  # the close box
        self.assertTrue(n.session.wait_until(lambda: not n.session.window(CAPTION)["visible"]))
        n.session.probe("post", CAPTION, str(TRAY_CALLBACK), "1", "514")  # a single click: nothing
        time.sleep(0.5)
        self.assertFalse(n.session.window(CAPTION)["visible"])
        n.session.probe("post", CAPTION, str(TRAY_CALLBACK), "1", "515")  # double click
        self.assertTrue(n.session.wait_until(lambda: n.session.window(CAPTION)["visible"]))

        n.session.probe("close", CAPTION)  # a close request from outside, as Task Manager sends
        self.assertEqual(n.session.probe("answer", "Nubilux", "No", "15")[0], 0)
        time.sleep(0.5)
        self.assertFalse(n.session.window(CAPTION)["visible"])  # hidden, still running
        n.session.probe("close", CAPTION)
        self.assertEqual(n.session.probe("answer", "Nubilux", "Yes", "15")[0], 0)
        self.assertTrue(n.session.window_gone(CAPTION))

    def test_the_end_of_the_windows_session_ends_it_without_a_question(self):
        n = NubiluxSession(self)
        n.start()
        self.assertEqual(n.session.probe("send", CAPTION, "0x11", "0", "0"), (0, "1\n"))  # WM_QUERYENDSESSION
        n.session.probe("post", CAPTION, "0x16", "1", "0")  # WM_ENDSESSION
        self.assertTrue(n.session.window_gone(CAPTION))
        self.assertNotEqual(n.session.probe("wait", "Nubilux", "2")[0], 0)

    def test_info_twice_gives_one_about_window(self):
        n = NubiluxSession(self)
        n.start()
        n.session.click(CAPTION, "Info")
        n.session.wait_window("INFO")
        n.session.click(CAPTION, "Info")
        time.sleep(1)
        about = n.session.window("INFO")
        self.assertTrue(about["topmost"])
        self.assertEqual(about["client"], [223, 169])
        link = next(c for c in about["controls"] if c["id"] == 101)
        self.assertEqual(link["text"], " http://www.quintaris.example/")
        self.assertIn((0, 0, 255), n.session.colours("INFO", 101))
        code, out = n.session.probe("count", "INFO")
        self.assertEqual((code, out.strip()), (0, "1"))
        n.session.click("INFO", "Ok")
        self.assertTrue(n.session.window_gone("INFO"))

    def test_a_second_start_shows_the_running_window(self):
        n = NubiluxSession(self)
        n.start()
        n.session.probe("post", CAPTION, str(WM_SYSCOMMAND), str(SC_CLOSE), "0")
        self.assertTrue(n.session.wait_until(lambda: not n.session.window(CAPTION)["visible"]))
        n.session.run(n.app / "Nubilux.exe", env=n.server.env())
        self.assertTrue(n.session.wait_until(lambda: n.session.window(CAPTION)["visible"]))
        self.assertEqual(n.session.probe("count", CAPTION)[1].strip(), "1")


if __name__ == "__main__":
    unittest.main()

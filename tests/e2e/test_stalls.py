"""Nubilux when the shell, another program or a server stops answering: the update ends
in its own time and says why, and the next one is not held back by what hangs."""

import os
import shutil
import signal
import time
import unittest

from support import proxy
from support.session import BUILD_DIR
from test_nubilux import CAPTION, FIRST, UPDATE, NubiluxSession, bitmap_size, kind

TESTWIN = BUILD_DIR / "tools" / "testwin.exe"
HANG_MESSAGE = 0x8000 + 2  # WM_APP + 2: the test window sleeps for wParam seconds


class AHungShell(unittest.TestCase):
    def test_a_wallpaper_object_that_never_returns_ends_the_update_with_its_reason(self):
        n = NubiluxSession(self)
        n.install_standin("wallpaper_standin", "block")
        n.start()
        tips = n.session.watch_tray(CAPTION)
        started = time.monotonic()
        n.update()
        # The window answers throughout, and the update ends within the source's minute and
        # the install's own half minute: not never.
        self.assertTrue(n.answers())
        self.assertTrue(n.session.wait_until(lambda: n.control(UPDATE)["enabled"], 120), "the update never ended")
        self.assertLess(time.monotonic() - started, 105)
        self.assertTrue(n.session.wait_until(lambda: tips and "failed" in tips[-1], 5), tips)
        self.assertRegex(tips[-1], r"the wallpaper could not be set$")
        # And the next update starts at once, though the hung call still holds its thread.
        n.update()
        self.assertTrue(n.session.wait_until(lambda: len(n.server.urls()) == 2, 15), n.server.urls())


class AHungWindow(unittest.TestCase):
    def test_a_program_that_stops_answering_does_not_hold_the_wallpaper(self):
        n = NubiluxSession(self)
        shutil.copy(TESTWIN, n.app)
        n.session.start(n.app / "testwin.exe")
        n.session.wait_window("Probe Test Window", 30)
        # The other program stops answering its messages for three minutes.
        code, out = n.session.probe("post", "Probe Test Window", str(HANG_MESSAGE), "180", "0")
        self.assertEqual(code, 0, out)
        time.sleep(1)
        n.start()
        started = time.monotonic()
        n.update_and_wait(60)
        self.assertLess(time.monotonic() - started, 30)
        self.assertEqual(n.wallpaper(), "C:\\Nubilux\\NUBILUX.BMP")
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (1024, 768))


class AStalledServer(unittest.TestCase):
    def test_attempts_given_up_on_a_stalled_server_hold_back_no_later_update(self):
        # Every source sends its headers and holds the body for minutes: the update's two
        # minutes run out, source after source.
        n = NubiluxSession(self, server_mode=proxy.STALL)
        n.server.stall_seconds = 400
        n.start()
        n.update()
        # Each given-up attempt's worker is ended at its deadline: never two at a time.
        most = 0
        while not n.control(UPDATE)["enabled"]:
            most = max(most, len(n.workers()))
            time.sleep(0.5)
        self.assertEqual(most, 1)
        self.assertTrue(n.session.wait_until(lambda: not n.workers(), 2), "a given-up worker is still there")
        self.assertGreaterEqual(len(n.server.urls()), 2)
        stalled = len(n.server.urls())
        # Every server answers now: the next update's first request goes out at once, and
        # its picture becomes the wallpaper (too quickly, here, to see Update greyed).
        n.server.mode = proxy.SERVE
        asked = time.monotonic()
        n.session.click(CAPTION, "Update")
        self.assertTrue(n.session.wait_until(lambda: len(n.server.urls()) > stalled, 15),
                        "no request went out for the new update")
        self.assertLess(time.monotonic() - asked, 15)
        self.assertEqual(kind(n.server.urls()[stalled]), "mtg_fd:rgb_geocolour")
        self.assertTrue(n.session.wait_until(lambda: n.bitmap.exists() and
                                             bitmap_size(n.bitmap.read_bytes()) == (1024, 768), 30))


class AWorkerEndedFromOutside(unittest.TestCase):
    def test_a_worker_killed_mid_attempt_is_that_sources_failure_and_the_next_is_tried(self):
        # The first source holds its body; its worker is killed, as a crash would end it:
        # the next source's picture becomes the wallpaper long before the first's minute.
        n = NubiluxSession(self, rules=[(FIRST, proxy.STALL)])
        n.server.stall_seconds = 400
        n.start()
        n.update()
        self.assertTrue(n.session.wait_until(lambda: n.server.urls() and len(n.workers()) == 1, 20), n.workers())
        killed = time.monotonic()
        os.kill(n.workers()[0], signal.SIGKILL)
        self.assertTrue(n.session.wait_until(lambda: n.control(UPDATE)["enabled"], 40), "the update did not end")
        self.assertLess(time.monotonic() - killed, 40)
        self.assertEqual([kind(u) for u in n.server.urls()], ["mtg_fd:rgb_geocolour", "mtg_fd:ir105_hrfi"])
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (1024, 768))
        self.assertEqual(n.wallpaper(), "C:\\Nubilux\\NUBILUX.BMP")
        self.assertEqual([p.name for p in n.app.iterdir() if p.name.lower().endswith(".tmp")], [])
        self.assertTrue(n.answers())


if __name__ == "__main__":
    unittest.main()

"""Nubilux's failures, told where the user looks, and the ones this computer causes:
a picture that cannot be kept, a header that claims a frame of gigabytes, an answer that
comes whole just after its time."""

import time
import unittest

from support import pictures, proxy
from support.session import BUILD_DIR
from test_faults import PREVIOUS
from test_nubilux import CAPTION, FIRST, NubiluxSession, bitmap_size

PROBE = BUILD_DIR / "tools" / "probe.exe"


def peak_kib(pid):
    """The process's high-water mark of resident memory, in KiB."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise AssertionError("no VmHWM")


class ToldWhereTheUserLooks(unittest.TestCase):
    def test_a_failed_update_shows_in_the_tooltip_and_a_later_success_clears_it(self):
        n = NubiluxSession(self, server_mode=proxy.NOT_FOUND)
        n.start()
        tips = n.session.watch_tray(CAPTION)
        self.assertTrue(n.session.wait_until(lambda: tips, 10), "the icon was not added again")
        self.assertEqual(tips[-1], "QuintarisMeteo")  # nothing fetched yet
        n.update_and_wait()
        self.assertTrue(n.session.wait_until(lambda: "failed" in tips[-1], 5), tips)
        self.assertIn("QuintarisMeteo - Aggiornamento in corso ...", tips)  # the sun's, meanwhile
        self.assertRegex(tips[-1], r"^QuintarisMeteo\nLast update failed at [^:]+:\d\d[^:]*: "
                                   r"no new picture on the server$")  # Manual: no next try to tell
        n.server.mode = proxy.SERVE
        n.update_and_wait()
        self.assertTrue(n.session.wait_until(lambda: "Updated" in tips[-1], 5), tips)
        self.assertRegex(tips[-1], r"^QuintarisMeteo\nUpdated .+ from Meteosat 0\u00b0")

    def test_in_automatic_mode_the_next_try_is_told(self):
        n = NubiluxSession(self, mode="0", server_mode=proxy.REFUSE)
        n.start()
        tips = n.session.watch_tray(CAPTION)
        self.assertTrue(n.session.wait_until(lambda: tips and "failed" in tips[-1], 60), tips)
        self.assertRegex(tips[-1], r"Last update failed at [^:]+:\d\d[^:]*: no connection; next try [^:]+:\d\d")


class LocalFailures(unittest.TestCase):
    def hold(self, n, windows_path, seconds=90):
        n.session.start(PROBE, "hold", windows_path, str(seconds))
        time.sleep(1)

    def user_bitmap(self, n):
        folder = next(n.session.drive_c.glob("users/*/AppData/Local"))
        (folder / "Nubilux").mkdir(exist_ok=True)
        return folder / "Nubilux" / "NUBILUX.BMP"

    def test_a_bitmap_in_use_beside_the_program_goes_to_the_users_folder_after_one_download(self):
        n = NubiluxSession(self)
        n.bitmap.write_bytes(PREVIOUS)
        self.hold(n, "C:\\Nubilux\\NUBILUX.BMP")
        n.start()
        n.update_and_wait()
        self.assertEqual(len(n.server.urls()), 1)
        self.assertEqual(n.bitmap.read_bytes(), PREVIOUS)  # the file in use is left whole
        self.assertEqual(bitmap_size(self.user_bitmap(n).read_bytes()), pictures.SAMPLE_SIZE)
        self.assertTrue(n.wallpaper().endswith("\\AppData\\Local\\Nubilux\\NUBILUX.BMP"), n.wallpaper())

    def test_a_picture_nowhere_to_be_kept_costs_one_download_an_update_and_says_why(self):
        n = NubiluxSession(self)
        n.bitmap.write_bytes(PREVIOUS)
        self.user_bitmap(n).write_bytes(PREVIOUS)
        self.hold(n, "C:\\Nubilux\\NUBILUX.BMP")
        self.hold(n, str(self.user_bitmap(n)).replace(str(n.session.drive_c), "C:").replace("/", "\\"))
        n.start()
        tips = n.session.watch_tray(CAPTION)
        n.update_and_wait()
        self.assertEqual(len(n.server.urls()), 1)  # no other source is asked: none would help
        self.assertTrue(n.session.wait_until(lambda: "failed" in tips[-1], 5), tips)
        self.assertTrue(tips[-1].endswith(": the picture could not be saved"), tips[-1])
        n.update_and_wait()
        self.assertEqual(len(n.server.urls()), 2)
        self.assertEqual(n.bitmap.read_bytes(), PREVIOUS)
        self.assertEqual(self.user_bitmap(n).read_bytes(), PREVIOUS)
        leftovers = [p.name for p in n.app.iterdir() if p.name.lower().endswith(".tmp")]
        self.assertEqual(leftovers, [])


class BeforeAnyCodec(unittest.TestCase):
    def test_a_header_claiming_20000_squared_is_refused_without_the_memory_it_claims(self):
        n = NubiluxSession(self, body=pictures.size_bomb(20000))
        n.start()
        pid = n.session.linux_pid("Nubilux.exe")
        before = peak_kib(pid)
        n.update_and_wait()
        grown = peak_kib(pid) - before
        self.assertGreater(len(n.server.urls()), 3)  # every source answered with it
        self.assertFalse(n.bitmap.exists())
        # A decoder handed it would have held 20000 x 20000 x 3 bytes: over a gigabyte.
        self.assertLess(grown, 32 * 1024, f"the peak grew by {grown} KiB")

    def test_an_answer_that_comes_whole_just_after_its_time_changes_nothing(self):
        # The first source's whole picture arrives a second after its minute; every other
        # source has nothing. The late one was given up: it must not become the wallpaper.
        n = NubiluxSession(self, server_mode=proxy.NOT_FOUND, rules=[(FIRST, proxy.LATE)])
        n.server.stall_seconds = 61
        n.bitmap.write_bytes(PREVIOUS)
        n.start()
        before = n.wallpaper()
        started = time.monotonic()
        n.update_and_wait(90)
        self.assertGreater(time.monotonic() - started, 59)  # the first source had its whole minute
        time.sleep(5)  # and its answer has come meanwhile
        self.assertEqual(n.bitmap.read_bytes(), PREVIOUS)
        self.assertEqual(n.wallpaper(), before)


if __name__ == "__main__":
    unittest.main()

"""Nubilux for users anywhere and on every monitor: the satellite above the user's time
zone asked first, and one picture per monitor size through the shell's per-monitor
wallpaper object (here our own stand-in, which Wine lacks)."""

import time
import unittest
from support import product, proxy
from test_nubilux import NubiluxSession, bitmap_size, kind, query, view, views


class TheSatelliteAboveTheUser(unittest.TestCase):
    def test_the_first_request_goes_to_the_view_above_each_time_zone(self):
        # Every source answers 404, so each update walks all five views in its order. Wine
        # takes the zone when its server starts: a session for each.
        expected = {
            "Europe/Rome": ["Meteosat", "Meteosat-IODC", "GOES-East", "Himawari", "GOES-West"],
            "Asia/Kolkata": ["Meteosat-IODC", "Himawari", "Meteosat", "GOES-West", "GOES-East"],
            "Asia/Tokyo": ["Himawari", "GOES-West", "Meteosat-IODC", "Meteosat", "GOES-East"],
            "America/New_York": ["GOES-East", "GOES-West", "Meteosat", "Meteosat-IODC", "Himawari"],
            "America/Los_Angeles": ["GOES-West", "GOES-East", "Himawari", "Meteosat", "Meteosat-IODC"],
        }
        for zone, order in expected.items():
            with self.subTest(zone=zone):
                n = NubiluxSession(self, server_mode=proxy.NOT_FOUND, zone=zone)
                n.start()
                n.update_and_wait(90)
                urls = n.server.urls()
                self.assertEqual(views(urls), order)
                for url in urls:
                    if view(url) in ("Meteosat", "Meteosat-IODC"):
                        q = query(url)
                        self.assertEqual((q["BGCOLOR"], q["TRANSPARENT"]), ("0x000000", "FALSE"))
                        longitude = "45.5" if view(url) == "Meteosat-IODC" else "0"
                        self.assertEqual(q["CRS"], f"AUTO:97004,9001,{longitude},0")
                n.close()

    def test_a_view_named_in_the_settings_comes_first(self):
        n = NubiluxSession(self, mode_text="[Nubilux]\r\nAggiornamento=1\r\nSatellite=GOES-West\r\n", zone="Europe/Rome")
        n.start()
        n.update_and_wait()
        self.assertEqual([kind(u) for u in n.server.urls()], ["GOES18/1808x1808.jpg"])
        n.close()
        n = NubiluxSession(self, mode_text="[Nubilux]\r\nAggiornamento=1\r\nSatellite=Meteosat-7\r\n", zone="Asia/Tokyo")
        n.start()
        n.update_and_wait()
        self.assertEqual(view(n.server.urls()[0]), "Himawari")  # a name it does not know: passed over


class JmasStills(unittest.TestCase):
    def test_yesterdays_file_under_the_slots_name_steps_back_to_the_slot_before(self):
        # JMA reuses each hhmm name every day: until today's still is out, the name serves
        # yesterday's. That is the slot missing, not the view: the slot before is asked.
        n = NubiluxSession(self, zone="Asia/Tokyo", rules=[("www.data.jma.go.jp", proxy.STALE_ONCE)])
        n.start()
        before = time.time()
        n.update_and_wait()
        after = time.time()
        urls = n.server.urls()
        self.assertEqual([view(u) for u in urls], ["Himawari", "Himawari"])
        first, second = (u.rsplit("_", 1)[1][:4] for u in urls)
        minutes = lambda hhmm: int(hhmm[:2]) * 60 + int(hhmm[2:])
        self.assertEqual((minutes(first) - minutes(second)) % 1440, 10)
        self.assertEqual(kind(urls[0]), kind(urls[1]))
        # The newest slot asked is 40 minutes back, JMA's publishing delay with time to spare.
        newest = {time.strftime("%H%M", time.gmtime((t - 2400) // 600 * 600)) for t in (before, after)}
        self.assertIn(first, newest)
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (1024, 768))


class EveryMonitor(unittest.TestCase):
    SCREENS = ("800x600x24",)  # beside the first, 1024 x 768

    def test_each_monitor_gets_a_bitmap_of_its_own_size(self):
        n = NubiluxSession(self, screens=self.SCREENS)
        folder = n.install_standin("wallpaper_standin")
        n.start()
        n.update_and_wait()
        sizes = sorted((int(query(u)["WIDTH"]), int(query(u)["HEIGHT"])) for u in n.server.urls())
        self.assertEqual(sizes, [(800, 600), (1024, 768)])  # one download per size
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (1024, 768))
        self.assertEqual(bitmap_size((n.app / "NUBILUX-800x600.BMP").read_bytes()), (800, 600))
        calls = [line.split("\t") for line in (folder / "wallpaper-calls.txt").read_text().splitlines()]
        self.assertEqual(len({monitor for monitor, _ in calls}), 2)
        self.assertEqual(sorted(path for _, path in calls),
                         ["C:\\Nubilux\\NUBILUX-800x600.BMP", "C:\\Nubilux\\NUBILUX.BMP"])

    def test_a_spanned_wallpaper_is_laid_on_each_monitor_instead(self):
        # The user's wallpaper spans the monitors: each monitor's own picture would be
        # stretched over both. Filled instead, before the pictures are set.
        n = NubiluxSession(self, screens=self.SCREENS)
        folder = n.install_standin("wallpaper_standin")
        (folder / "position.txt").write_text("5")
        n.start()
        n.update_and_wait()
        calls = [line.split("\t") for line in (folder / "wallpaper-calls.txt").read_text().splitlines()]
        self.assertEqual(calls[0], ["position", "4"])
        self.assertEqual(len(calls), 3)  # then one picture per monitor
        # A fill the user chose is theirs: the next update leaves it.
        (folder / "position.txt").write_text("2")
        n.update_and_wait()
        calls = [line.split("\t") for line in (folder / "wallpaper-calls.txt").read_text().splitlines()]
        self.assertEqual([c for c in calls if c[0] == "position"], [["position", "4"]])

    def test_when_the_shells_object_refuses_the_primary_picture_becomes_the_desktops(self):
        # As after a logoff or in a Remote Desktop session: SetWallpaper answers E_FAIL.
        n = NubiluxSession(self, screens=self.SCREENS)
        folder = n.install_standin("wallpaper_standin", "fail")
        n.start()
        n.update_and_wait()
        self.assertEqual(n.wallpaper(), "C:\\Nubilux\\NUBILUX.BMP")
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (1024, 768))
        self.assertIn("Fonte=Meteosat", n.user_settings())  # the update counts as done
        self.assertFalse((folder / "wallpaper-calls.txt").exists())

    def test_without_the_shells_object_one_wallpaper_for_the_primary_monitor(self):
        n = NubiluxSession(self, screens=self.SCREENS)
        # Spanned over both monitors, the old way: laid filled instead.
        n.session.run("reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "WallpaperStyle", "/d", "22", "/f")
        n.start()
        n.update_and_wait()
        self.assertEqual([(query(u)["WIDTH"], query(u)["HEIGHT"]) for u in n.server.urls()], [("1024", "768")])
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (1024, 768))
        self.assertEqual(n.wallpaper(), "C:\\Nubilux\\NUBILUX.BMP")
        self.assertEqual(sorted(p.name for p in n.app.glob("*.BMP")), ["NUBILUX.BMP"])
        desktop = product.registry_values(n.session, "HKCU\\Control Panel\\Desktop")
        self.assertEqual((desktop["WallpaperStyle"][1], desktop["TileWallpaper"][1]), ("10", "0"))


if __name__ == "__main__":
    unittest.main()

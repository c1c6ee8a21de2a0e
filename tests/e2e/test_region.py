"""The region around the user instead of the whole Earth: the map server asked for the
region's box, NOAA's and JMA's pictures cut to it, each bitmap the monitor's size and
filled to its edges, and the choice made on the icon's menu and kept."""

import time
import unittest
from support import pictures
from test_nubilux import CAPTION, TRAY_CALLBACK, NubiluxSession, bitmap_size, kind, query, view

WM_CONTEXTMENU = 0x7B
REGION = "[Nubilux]\r\nAggiornamento=1\r\nRegione=1\r\n"


def box(url):
    """A map request's BBOX, in metres: west, south, east, north."""
    return [float(v) for v in query(url)["BBOX"].split(",")]


def middle(url):
    """Where a map request's box is centred, in metres east and north of the point below."""
    west, south, east, north = box(url)
    return (west + east) / 2, (south + north) / 2


def filled(bitmap, width=1024, height=768):
    """Whether the bitmap's corners and edges' middles all show picture, no black band."""
    row = (width * 3 + 3) & ~3
    points = [(x, y) for x in (0, width // 2, width - 1) for y in (0, height // 2, height - 1)]
    return all(sum(bitmap[54 + y * row + x * 3:54 + y * row + x * 3 + 3]) > 60 for x, y in points)


class TheRegion(unittest.TestCase):
    def update(self, zone, mode_text=REGION, rules=()):
        n = NubiluxSession(self, zone=zone, mode_text=mode_text, rules=rules)
        n.start()
        n.update_and_wait()
        return n

    def test_rome_is_the_map_servers_box_in_the_satellites_metres(self):
        # Wine reads Europe/Rome as Central Europe, whose place is Budapest: 47.5 N, 19.1 E.
        n = self.update("Europe/Rome", rules=[("view.eumetsat.int", pictures.gradient(1024, 768))])
        url = n.server.urls()[0]
        q = query(url)
        self.assertEqual((q["LAYERS"], q["CRS"], q["WIDTH"], q["HEIGHT"]),
                         ("mtg_fd:rgb_geocolour", "AUTO:97004,9001,0,0", "1024", "768"))
        west, south, east, north = box(url)
        self.assertAlmostEqual((east - west) / (north - south), 1024 / 768, places=4)
        # About 3000 km across, seen obliquely, north-east of the point below the satellite.
        self.assertTrue(1.5e6 < east - west < 3.5e6, east - west)
        x, y = middle(url)
        self.assertTrue(0 < x < 2e6 and 3e6 < y < 5e6, (x, y))  # Budapest: 19 E, 47.5 N
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (1024, 768))
        self.assertTrue(filled(n.bitmap.read_bytes()))

    def test_tokyo_is_cut_from_jmas_full_disc(self):
        n = self.update("Asia/Tokyo", rules=[("www.data.jma.go.jp", pictures.gradient(1375, 1375))])
        urls = n.server.urls()
        self.assertEqual([view(u) for u in urls], ["Himawari"])
        data = n.bitmap.read_bytes()
        self.assertEqual(bitmap_size(data), (1024, 768))
        self.assertTrue(filled(data))

    def test_los_angeles_is_cut_from_noaas_full_disc(self):
        # 3000 km about Los Angeles reach beyond the continental picture: the full disc,
        # the smallest size that shows the region finely enough within the size limit.
        n = self.update("America/Los_Angeles", rules=[("cdn.star.nesdis.noaa.gov", pictures.gradient(1808, 1808))])
        self.assertEqual([kind(u) for u in n.server.urls()], ["GOES18/1808x1808.jpg"])
        data = n.bitmap.read_bytes()
        self.assertEqual(bitmap_size(data), (1024, 768))
        self.assertTrue(filled(data))

    def test_a_centre_and_width_in_the_ini_come_first(self):
        # San Francisco, 1200 km: within NOAA's picture of the Pacific states.
        text = REGION + "Centro=37.77,-122.42\r\nLarghezza=1200\r\n"
        n = self.update("Europe/Rome", mode_text=text, rules=[("cdn.star.nesdis.noaa.gov", pictures.gradient(2500, 1500))])
        self.assertEqual(n.server.urls(), ["https://cdn.star.nesdis.noaa.gov/GOES18/ABI/CONUS/GEOCOLOR/2500x1500.jpg"])
        self.assertTrue(filled(n.bitmap.read_bytes()))
        n.close()
        # A bad centre is passed over: the time zone's place again.
        n = self.update("Europe/Rome", mode_text=REGION + "Centro=north\r\nLarghezza=99999\r\n",
                        rules=[("view.eumetsat.int", pictures.gradient(1024, 768))])
        west, south, east, north = box(n.server.urls()[0])
        self.assertTrue(1.5e6 < east - west < 3.5e6)  # and the default width

    def test_a_northern_region_is_all_earth(self):
        # Stockholm, near Meteosat's northern limb, from a map server that draws space black
        # beyond the limb: not one pixel of space on the wallpaper.
        text = REGION + "Centro=59.33,18.07\r\n"
        n = self.update("Europe/Rome", mode_text=text, rules=[("view.eumetsat.int", pictures.map_server)])
        data = n.bitmap.read_bytes()
        self.assertEqual(bitmap_size(data), (1024, 768))
        pixels = data[54:]
        row = 1024 * 3
        dark = sum(1 for y in range(768) for x in range(0, row, 3) if sum(pixels[y * row + x:y * row + x + 3]) < 100)
        self.assertEqual(dark, 0)
        # Stockholm lies in it, north of its middle: the box moved toward the point below.
        x, y = middle(n.server.urls()[0])
        self.assertTrue(3e6 < y < 5.1e6, y)

    def test_a_region_no_view_sees_well_is_said_and_the_whole_earth_shown(self):
        # Reykjavik: 66 degrees from Meteosat's point below, farther from every other view's.
        n = NubiluxSession(self, zone="Europe/Rome", mode_text=REGION + "Centro=64.15,-21.94\r\n",
                           rules=[("view.eumetsat.int", pictures.gradient(1024, 768))])
        n.start()
        tips = n.session.watch_tray(CAPTION)
        n.update_and_wait()
        self.assertEqual(middle(n.server.urls()[0]), (0, 0))  # the whole disc
        unseen = "Your region cannot be seen well from any satellite: the whole Earth is shown"
        self.assertTrue(n.session.wait_until(lambda: tips and unseen in tips[-1]), list(tips))

    def test_the_menus_radio_pair_switches_and_is_kept(self):
        n = NubiluxSession(self, zone="Europe/Rome", rules=[("view.eumetsat.int", pictures.gradient(1024, 768))])
        n.start()
        n.update_and_wait()
        self.assertEqual(middle(n.server.urls()[-1]), (0, 0))  # the whole disc
        # The context key, then the region's mnemonic: a picture of it at once.
        before = len(n.server.urls())
        n.session.probe("post", CAPTION, str(TRAY_CALLBACK), str(700 << 16 | 600), str(1 << 16 | WM_CONTEXTMENU))
        self.assertEqual(n.session.probe("menu", CAPTION, "10")[0], 0)
        n.session.probe("key", CAPTION, "r")
        self.assertTrue(n.session.wait_until(lambda: len(n.server.urls()) > before, 20))
        self.assertTrue(n.session.wait_until(lambda: n.control(100)["enabled"], 30))
        self.assertGreater(middle(n.server.urls()[-1])[1], 3e6)  # the region's box
        self.assertIn("Regione=1", n.user_settings())
        # Kept across a restart.
        n.session.probe("post", CAPTION, "0x16", "1", "0")
        self.assertTrue(n.session.window_gone(CAPTION))
        n.start()
        n.update_and_wait()
        self.assertGreater(middle(n.server.urls()[-1])[1], 3e6)
        # And back to the whole Earth.
        n.session.probe("post", CAPTION, str(TRAY_CALLBACK), str(700 << 16 | 600), str(1 << 16 | WM_CONTEXTMENU))
        self.assertEqual(n.session.probe("menu", CAPTION, "10")[0], 0)
        n.session.probe("key", CAPTION, "w")
        self.assertTrue(n.session.wait_until(lambda: "Regione=0" in n.user_settings(), 10))
        self.assertTrue(n.session.wait_until(lambda: n.control(100)["enabled"], 30))
        time.sleep(0.5)
        self.assertEqual(middle(n.server.urls()[-1]), (0, 0))


if __name__ == "__main__":
    unittest.main()

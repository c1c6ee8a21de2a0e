"""Nubilux.exe as a user meets it. The local proxy stands in for the picture's sources
under their real names, over HTTPS with a certificate from the tests' own authority,
which each session trusts as a user's computer trusts the real ones."""

import calendar
import json
import shutil
import struct
import subprocess
import time
import unittest
from urllib.parse import parse_qs, urlsplit

from support import pictures, proxy
from support.session import BUILD_DIR, PRODUCT_DIR, SYSTEM_FOLDER, WineSession, context_switches

CAPTION = "QuintarisMeteo"
UPDATE, INFO, FRAME, AUTOMATIC, MANUAL, LABEL1, LABEL2, LABEL3 = range(100, 108)
PICTURE = pictures.sample()
FIRST = "rgb_geocolour"  # a text that only the first source's address holds
HOSTS = {"view.eumetsat.int": "map server", "cdn.star.nesdis.noaa.gov": "NOAA", "www.data.jma.go.jp": "JMA"}


def query(url):
    """A request's parameters, each with its one value."""
    return {k: v[0] for k, v in parse_qs(urlsplit(url).query).items()}


def kind(url):
    """What a request asks for, whatever its time slot: the map layer, NOAA's satellite and
    size, or JMA's band."""
    parts = urlsplit(url)
    if "LAYERS" in query(url):
        return query(url)["LAYERS"]
    name = parts.path.rsplit("/", 1)[-1]
    if parts.netloc == "www.data.jma.go.jp":
        return name.rsplit("_", 1)[0]  # fd__trm_0340.jpg: fd__trm
    return parts.path.split("/")[1] + "/" + name  # GOES19/1808x1808.jpg


def view(url):
    """The satellite a request's picture comes from."""
    k = kind(url)
    for prefix, name in (("mtg_fd", "Meteosat"), ("msg_fes", "Meteosat"), ("msg_iodc", "Meteosat-IODC"),
                         ("GOES19", "GOES-East"), ("GOES18", "GOES-West"), ("fd__", "Himawari")):
        if k.startswith(prefix):
            return name
    return k


def views(urls):
    """The satellites asked, in order, each once."""
    seen = []
    for url in urls:
        if view(url) not in seen:
            seen.append(view(url))
    return seen


TRAY_CALLBACK, WM_SYSCOMMAND, SC_CLOSE = 1281, 0x112, 0xF060
WM_CONTEXTMENU, NIN_KEYSELECT = 0x7B, 0x401
NIM_ADD, NIM_SETFOCUS, NIM_SETVERSION = 0, 3, 4


def tray_post(n, event, x=0, y=0):
    """What the notification area sends at version 4: the event and the icon's number in
    lParam, the icon's anchor on the screen in wParam."""
    n.session.probe("post", CAPTION, str(TRAY_CALLBACK), str(y << 16 | x), str(1 << 16 | event))


def bitmap_size(data):
    """Width and height of a Windows bitmap file, or None when it is not one."""
    if len(data) < 54 or data[:2] != b"BM":
        return None
    width, height = struct.unpack_from("<ii", data, 18)
    return width, abs(height)


class NubiluxSession:
    """The program at C:\\Nubilux with the given mode, and the proxy for its sources."""

    def __init__(self, test, mode="1", mode_file=True, mode_text=None, server_mode=proxy.SERVE, rules=(),
                 trusted=True, body=PICTURE, screens=(), zone="UTC"):
        self.session = WineSession(screens=screens)
        self.zone = zone  # the user's time zone, which picks the satellite
        self.server = proxy.FakeProxy(body=body, mode=server_mode, stall_seconds=3, rules=rules)
        test.addCleanup(self.close)
        if trusted:
            self.session.trust_test_authority()
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

    def env(self):
        return dict(self.server.env(), TZ=self.zone)

    def install_standin(self, name, behaviour=None):
        """One of our stand-ins for a system object Wine lacks (tools/<name>.dll), registered
        in the session's prefix from C:\\standin, misbehaving as asked; its folder."""
        folder = self.session.drive_c / "standin"
        folder.mkdir(exist_ok=True)
        shutil.copy(BUILD_DIR / "tools" / f"{name}.dll", folder)
        if behaviour:
            (folder / "behaviour.txt").write_text(behaviour)
        result = self.session.run(f"C:\\windows\\{SYSTEM_FOLDER}\\regsvr32.exe", "/s", f"C:\\standin\\{name}.dll")
        assert result.returncode == 0, result
        return folder

    def start(self):
        self.process = self.session.start(self.app / "Nubilux.exe", env=self.env())
        self.session.wait_window(CAPTION, 60)

    def control(self, control_id):
        return self.session.control(CAPTION, control_id=control_id)

    def wallpaper(self):
        out = subprocess.run(["wine", "reg", "query", "HKCU\\Control Panel\\Desktop", "/v", "Wallpaper"],
                             env=self.session.env, capture_output=True, text=True).stdout
        return out.split("REG_SZ", 1)[1].strip() if "REG_SZ" in out else ""

    def answers(self):
        """Whether the window answers a message within a second."""
        code, out = self.session.probe("ping", CAPTION, "1000")
        if out.startswith("no window"):  # the probe missed it in the list of windows: look again
            code, out = self.session.probe("ping", CAPTION, "1000")
        return code == 0

    def update(self):
        """Presses Update; returns once the update is under way (the button greys)."""
        self.session.click(CAPTION, "Update")
        assert self.session.wait_until(lambda: not self.control(UPDATE)["enabled"], 10, 0.05), "no update"

    def update_and_wait(self, seconds=60):
        """Presses Update and waits until the update is over: Update is pressable again."""
        self.session.click(CAPTION, "Update")
        self.session.wait_until(lambda: not self.control(UPDATE)["enabled"], 5, 0.05)
        assert self.session.wait_until(lambda: self.control(UPDATE)["enabled"], seconds), "the update did not end"
        time.sleep(0.3)

    def files(self):
        return sorted(p.name for p in self.app.iterdir())

    def workers(self):
        return self.session.worker_pids()

    def user_settings(self):
        """The user's own Nubilux.ini, as Windows writes it (ANSI); empty until it is there."""
        return "".join(p.read_bytes().decode("cp1252")
                       for p in self.session.drive_c.glob("users/*/AppData/Local/Nubilux/Nubilux.ini"))


class Updates(unittest.TestCase):
    def test_a_good_picture_from_the_first_source_becomes_the_wallpaper_bitmap(self):
        n = NubiluxSession(self)
        n.start()
        asked = time.time()
        n.update_and_wait()
        # The map server's first layer, framed to the screen, on black, for its newest slot.
        self.assertEqual(len(n.server.urls()), 1)
        self.assertEqual(n.server.tunnels, ["view.eumetsat.int:443"])
        url = n.server.urls()[0]
        self.assertEqual(urlsplit(url).path, "/geoserver/wms")
        asked_for = query(url)
        slot = calendar.timegm(time.strptime(asked_for.pop("TIME"), "%Y-%m-%dT%H:%M:%SZ"))
        self.assertEqual(asked_for, {"SERVICE": "WMS", "VERSION": "1.3.0", "REQUEST": "GetMap",
                                 "LAYERS": "mtg_fd:rgb_geocolour", "CRS": "AUTO:97004,9001,0,0",
                                 "BBOX": "-7426666,-5570000,7426666,5570000", "WIDTH": "1024", "HEIGHT": "768",
                                 "FORMAT": "image/jpeg", "BGCOLOR": "0x000000", "TRANSPARENT": "FALSE"})
        self.assertEqual(slot % 600, 0)
        self.assertTrue(asked - 40 * 60 - 5 < slot <= asked - 30 * 60, (asked, slot))
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), pictures.SAMPLE_SIZE)
        self.assertEqual(n.wallpaper(), "C:\\Nubilux\\NUBILUX.BMP")
        self.assertEqual(n.control(LABEL1)["text"], "12")
        self.assertEqual(n.control(LABEL2)["text"], "icResponseCompleted")
        self.assertEqual(n.control(LABEL3)["text"],
                         "La richiesta \u00e8 stata completata e sono stati ricevuti tutti i dati.")
        self.assertEqual(n.files(), ["NUBILUX.BMP", "Nubilux.exe", "Nubilux.ini"])  # nothing temporary left
        # When and whence, kept in the user's own settings.
        kept = n.user_settings()
        self.assertIn("Fonte=Meteosat 0\u00b0, GeoColour", kept)
        self.assertRegex(kept, r"UltimoAggiornamento=\d{4}-\d\d-\d\d \d\d:\d\d")
        # When the picture was taken: its slot, in local time (the session's zone is UTC).
        self.assertIn("OraImmagine=" + time.strftime("%Y-%m-%d %H:%M", time.gmtime(slot)), kept)

    def test_a_picture_larger_than_the_screen_is_scaled_to_fit_it(self):
        n = NubiluxSession(self, body=pictures.twice_the_screen())
        n.start()
        n.update_and_wait()
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (1024, 768))

    def test_where_the_decoder_scales_a_picture_twice_the_screen_is_never_decoded_whole(self):
        # Windows' JPEG decoder, played by our stand-in over Wine's: 2048 x 1536 is asked
        # for at half its size, the screen's own.
        n = NubiluxSession(self, body=pictures.twice_the_screen())
        folder = n.install_standin("jpeg_standin")
        n.start()
        n.update_and_wait()
        self.assertEqual((folder / "jpeg-calls.txt").read_text().splitlines(), ["CopyPixels 1024x768"])
        data = n.bitmap.read_bytes()
        self.assertEqual(bitmap_size(data), (1024, 768))
        self.assertGreater(len(set(data[54::997])), 20)  # a view, not a blank frame

    def test_each_source_that_fails_gives_way_to_the_next_a_missing_slot_to_an_earlier_one(self):
        n = NubiluxSession(self, rules=[(FIRST, proxy.SERVER_ERROR), ("ir105", proxy.NOT_FOUND),
                                        ("msg_fes", proxy.XML_ERROR), ("GOES19", pictures.square())])
        n.start()
        n.update_and_wait()
        urls = n.server.urls()
        # Each layer at its newest slot and two earlier ones, then the next satellite.
        self.assertEqual([kind(u) for u in urls[:9]], ["mtg_fd:rgb_geocolour"] * 3 + ["mtg_fd:ir105_hrfi"] * 3 +
                         ["msg_fes:ir108"] * 3)
        slots = [query(u)["TIME"] for u in urls[:3]]
        self.assertEqual(len(set(slots)), 3)
        self.assertEqual(sorted(slots, reverse=True), slots)
        self.assertEqual(views(urls), ["Meteosat", "GOES-East"])  # from Reykjavik (test_faults.ALL_VIEWS)
        self.assertEqual(kind(urls[-1]), "GOES19/1808x1808.jpg")  # the smallest covering the screen's 768
        # The square disc centred on black at the screen's exact size.
        data = n.bitmap.read_bytes()
        self.assertEqual(bitmap_size(data), (1024, 768))
        middle = 54 + 384 * 1024 * 3
        self.assertEqual(data[middle + 30:middle + 33], b"\0\0\0")  # left of the square, the middle row: black
        self.assertNotEqual(data[middle + 512 * 3:middle + 520 * 3], bytes(24))
        self.assertEqual(n.wallpaper(), "C:\\Nubilux\\NUBILUX.BMP")

    def test_the_users_own_address_comes_first_and_a_bad_one_is_passed_over(self):
        own = "http://mirror.quintaris.example/satellite/latest.jpg"
        n = NubiluxSession(self, mode_text=f"[Nubilux]\r\nAggiornamento=1\r\nIndirizzo={own}\r\n")
        n.start()
        n.update_and_wait()
        self.assertEqual(n.server.urls(), [own])
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), (1024, 768))
        n.close()
        n = NubiluxSession(self, mode_text="[Nubilux]\r\nAggiornamento=1\r\nIndirizzo=ftp://mirror/x.jpg\r\n")
        n.start()
        n.update_and_wait()
        self.assertEqual([kind(u) for u in n.server.urls()], ["mtg_fd:rgb_geocolour"])
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), pictures.SAMPLE_SIZE)


class Modes(unittest.TestCase):
    def test_automatic_start_fetches_about_a_second_after_start(self):
        n = NubiluxSession(self, mode="0")
        started = time.monotonic()
        n.start()
        self.assertFalse(n.control(UPDATE)["enabled"])
        self.assertTrue(n.control(AUTOMATIC)["checked"])
        self.assertTrue(n.session.wait_until(lambda: n.server.tunnels, 15))
        self.assertLess(time.monotonic() - started, 15)
        self.assertTrue(n.session.wait_until(lambda: n.bitmap.exists(), 15))
        # The greyed Update, clicked anyway (a message sent to it), starts nothing.
        time.sleep(1)
        asked = len(n.server.urls())
        n.session.probe("post", CAPTION, str(0x0111), str(UPDATE), "0")  # WM_COMMAND, BN_CLICKED
        time.sleep(3)
        self.assertEqual(len(n.server.urls()), asked)

    def test_an_idle_automatic_nubilux_wakes_no_more_often_than_a_manual_one(self):
        # Automatic sleeps until its next hour; a timer ticking every second would add 40
        # wake-ups and more in these 40 seconds. Counted on the window's thread, where the
        # timers fire: WinINet's own threads close the first update's connections meanwhile.
        switches = {}
        for mode in ("1", "0"):
            n = NubiluxSession(self, mode=mode)
            n.start()
            if mode == "0":  # its first update done: the picture is the wallpaper
                self.assertTrue(n.session.wait_until(lambda: n.control(LABEL1)["text"] == "12", 30))
                self.assertTrue(n.session.wait_until(lambda: n.wallpaper().endswith("NUBILUX.BMP"), 30))
            # The pointer off the window: a control under it keeps Wine's hover tracking busy.
            # Then time for the first update's tail (the bitmap, the wallpaper, the icon).
            n.session.probe("pointer", "1023", "0")
            time.sleep(8)
            pid = n.session.linux_pid("Nubilux.exe")
            before = context_switches(pid)[str(pid)]  # the first thread runs the window
            time.sleep(40)
            switches[mode] = context_switches(pid)[str(pid)] - before
            n.close()
        self.assertLessEqual(switches["0"], switches["1"] + 10, switches)

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
                self.assertEqual(n.server.tunnels, [])
        n.update_and_wait()
        self.assertEqual(len(n.server.requests), 1)

    def test_an_option_click_is_kept_where_the_user_may_write_and_read_back_first(self):
        n = NubiluxSession(self, mode="1")
        n.start()
        n.session.click(CAPTION, "Automatic")
        self.assertTrue(n.session.wait_until(lambda: not n.control(UPDATE)["enabled"]))
        self.assertTrue(n.session.wait_until(lambda: "Aggiornamento=0" in n.user_settings(), 5))
        self.assertIn("Aggiornamento=1", (n.app / "Nubilux.ini").read_text())  # the program's own file untouched
        n.session.probe("post", CAPTION, "0x16", "1", "0")  # the session ends
        self.assertTrue(n.session.window_gone(CAPTION))
        n.start()  # and the next start is Automatic
        self.assertTrue(n.control(AUTOMATIC)["checked"])

    def test_each_installation_keeps_its_own_wait_after_the_hour(self):
        # Drawn once, up to five minutes, kept for the user; one beside the program comes first.
        n = NubiluxSession(self, mode="1")
        n.start()
        self.assertTrue(n.session.wait_until(lambda: "Ritardo=" in n.user_settings(), 5))
        drawn = int(n.user_settings().split("Ritardo=", 1)[1].split()[0])
        self.assertTrue(0 <= drawn <= 300)
        n.session.probe("post", CAPTION, "0x16", "1", "0")
        self.assertTrue(n.session.window_gone(CAPTION))
        n.start()
        time.sleep(1)
        self.assertEqual(n.user_settings().count("Ritardo="), 1)
        self.assertIn(f"Ritardo={drawn}", n.user_settings())  # the same next time


class WindowAndIcon(unittest.TestCase):
    def test_window_layout_close_box_tray_double_click_and_quit_question(self):
        n = NubiluxSession(self)
        n.start()
        window = n.session.window(CAPTION)
        self.assertEqual(window["client"], [180, 63])  # 2700 x 945 twips at 96 dpi
        self.assertEqual((window["dpi"], window["awareness"]), (96, 2))
        self.assertTrue(window["topmost"])
        controls = window["controls"]
        self.assertEqual([(c["id"], c["text"]) for c in controls[:5]],
                         [(UPDATE, "&Update"), (INFO, "&Info"), (FRAME, "Updating"), (AUTOMATIC, "Automatic"),
                          (MANUAL, "Manual")])
        self.assertEqual([c["rect"] for c in controls[:5]],
                         [[0, 40, 89, 63], [90, 40, 179, 63], [0, 0, 179, 39], [10, 16, 91, 29], [92, 16, 153, 29]])

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

    def test_an_icon_refused_at_logon_is_added_once_the_notification_area_is_up(self):
        # Started at logon, before the notification area is ready: it refuses the icon for
        # a while, then takes icons without telling anyone ("TaskbarCreated" gone by).
        n = NubiluxSession(self)
        tray = n.session.watch_tray(CAPTION, refuse=4)
        n.start()
        self.assertTrue(n.session.wait_until(lambda: tray.refused > 0, 10))
        self.assertTrue(n.session.wait_until(lambda: any(c["call"] == NIM_ADD for c in tray.calls), 15), tray.calls)
        self.assertTrue(n.session.wait_until(lambda: any(c["call"] == NIM_SETVERSION for c in tray.calls), 5))
        added = len([c for c in tray.calls if c["call"] == NIM_ADD])
        time.sleep(4)
        self.assertEqual(len([c for c in tray.calls if c["call"] == NIM_ADD]), added)  # and then no more tries
        # "TaskbarCreated" while the icon is still there: its add refused, the icon is
        # found in place, and nothing is tried again.
        refused = tray.refused
        n.session.probe("post", CAPTION, "TaskbarCreated", "0", "0")
        self.assertTrue(n.session.wait_until(lambda: tray.refused == refused + 1, 10))
        time.sleep(5)
        self.assertEqual(tray.refused, refused + 1)

    def test_the_keyboard_reaches_the_icon_and_its_menu(self):
        n = NubiluxSession(self)
        n.start()
        tray = n.session.watch_tray(CAPTION)
        # The icon speaks version 4, drawn at the notification area's size in full colour.
        self.assertTrue(n.session.wait_until(lambda: any(c["call"] == NIM_SETVERSION for c in tray.calls)))
        self.assertEqual([c["version"] for c in tray.calls if c["call"] == NIM_SETVERSION][-1], 4)
        added = [c for c in tray.calls if c["call"] == NIM_ADD][-1]
        self.assertEqual((added["width"], added["height"]), (16, 16))
        self.assertGreaterEqual(added["depth"], 4)
        self.assertTrue(added["flags"] & 0x80)  # NIF_SHOWTIP: version 4 shows the tip only when asked

        n.session.probe("post", CAPTION, str(WM_SYSCOMMAND), str(SC_CLOSE), "0")
        self.assertTrue(n.session.wait_until(lambda: not n.session.window(CAPTION)["visible"]))
        tray_post(n, NIN_KEYSELECT, 900, 740)  # Enter or Space on the icon
        self.assertTrue(n.session.wait_until(lambda: n.session.window(CAPTION)["visible"]))
        n.session.probe("post", CAPTION, str(WM_SYSCOMMAND), str(SC_CLOSE), "0")
        self.assertTrue(n.session.wait_until(lambda: not n.session.window(CAPTION)["visible"]))

        # The context key: the menu opens at the icon's anchor, not at the pointer, rising
        # from it and to its right, as left-to-right reading wants.
        n.session.probe("pointer", "10", "10")
        tray_post(n, WM_CONTEXTMENU, 300, 700)
        code, out = n.session.probe("menu", CAPTION, "10")
        self.assertEqual(code, 0, "no menu")
        left, top, right, bottom = json.loads(out)
        self.assertEqual((left, bottom), (300, 700))
        # Escape closes it and gives the focus back to the notification area.
        n.session.probe("escape", CAPTION)
        self.assertTrue(n.session.wait_until(lambda: any(c["call"] == NIM_SETFOCUS for c in tray.calls)))
        self.assertNotEqual(n.session.probe("menu", CAPTION, "0.5")[0], 0)
        self.assertFalse(n.session.window(CAPTION)["visible"])

        # The menu's first item, its default, shows the window.
        tray_post(n, WM_CONTEXTMENU, 300, 700)
        self.assertEqual(n.session.probe("menu", CAPTION, "10")[0], 0)
        n.session.probe("down", CAPTION)
        n.session.probe("enter", CAPTION)
        self.assertTrue(n.session.wait_until(lambda: n.session.window(CAPTION)["visible"]))
        self.assertEqual(len([c for c in tray.calls if c["call"] == NIM_SETFOCUS]), 1)  # chosen, not cancelled

    def test_the_icons_menu_takes_the_keyboard_with_the_window_hidden(self):
        # The usual state: the window hidden, the menu opened from the keyboard (the context
        # key on the icon), then keys pressed as the keyboard does, to the foreground.
        n = NubiluxSession(self)
        n.start()
        n.session.probe("post", CAPTION, str(WM_SYSCOMMAND), str(SC_CLOSE), "0")
        self.assertTrue(n.session.wait_until(lambda: not n.session.window(CAPTION)["visible"]))
        tray_post(n, WM_CONTEXTMENU, 300, 700)
        self.assertEqual(n.session.probe("menu", CAPTION, "10")[0], 0)
        # The context key again while it is open: still one menu.
        tray_post(n, WM_CONTEXTMENU, 300, 700)
        time.sleep(1)
        self.assertEqual(n.session.probe("menus", CAPTION)[1].strip(), "1")
        # Its first item, the default, shows the window.
        n.session.probe("type", CAPTION, "down")
        n.session.probe("type", CAPTION, "enter")
        self.assertTrue(n.session.wait_until(lambda: n.session.window(CAPTION)["visible"], 10))
        self.assertEqual(n.session.probe("menus", CAPTION)[1].strip(), "0")

    def test_at_150_percent_the_window_and_icon_are_drawn_at_the_scale(self):
        n = NubiluxSession(self)
        n.session.set_dpi(144)
        n.start()
        tray = n.session.watch_tray(CAPTION)
        window = n.session.window(CAPTION)
        self.assertEqual((window["dpi"], window["awareness"]), (144, 2))  # per monitor, from the manifest
        self.assertEqual(window["client"], [270, 95])  # 2700 x 945 twips at 144 dpi
        self.assertEqual([c["rect"] for c in window["controls"][:3]],
                         [[0, 60, 134, 95], [135, 60, 269, 95], [0, 0, 269, 59]])
        # The icon's own 24-pixel frame, not a 16 or 32 stretched.
        self.assertTrue(n.session.wait_until(lambda: any(c["call"] == NIM_ADD for c in tray.calls)))
        added = [c for c in tray.calls if c["call"] == NIM_ADD][-1]
        self.assertEqual((added["width"], added["height"]), (24, 24))

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
        self.assertEqual(about["client"][0], 223)
        self.assertGreater(about["client"][1], 169)  # grown for JMA's acknowledgement, all of it shown
        link = next(c for c in about["controls"] if c["id"] == 101)
        self.assertEqual(link["text"], " http://www.quintaris.example/")
        self.assertIn((0, 0, 255), n.session.colours("INFO", 101))
        credits = next(c for c in about["controls"] if c["id"] == 102)["text"]
        self.assertIn("\u00a9 EUMETSAT", credits)
        self.assertIn("NOAA/NESDIS/STAR", credits)
        self.assertIn("JMA (Himawari)", credits)
        acknowledgement = next(c for c in about["controls"] if c["id"] == 103)
        self.assertIn("NOAA/NESDIS/STAR GOES-R Algorithm Working Group imagery team", acknowledgement["text"])
        ok = next(c for c in about["controls"] if c["id"] == 1)
        self.assertGreater(ok["rect"][1], acknowledgement["rect"][3])  # below it, not over it
        self.assertLessEqual(ok["rect"][3], about["client"][1])
        code, out = n.session.probe("count", "INFO")
        self.assertEqual((code, out.strip()), (0, "1"))
        n.session.click("INFO", "Ok")
        self.assertTrue(n.session.window_gone("INFO"))

    def test_a_second_start_shows_the_running_window(self):
        n = NubiluxSession(self)
        n.start()
        n.session.probe("post", CAPTION, str(WM_SYSCOMMAND), str(SC_CLOSE), "0")
        self.assertTrue(n.session.wait_until(lambda: not n.session.window(CAPTION)["visible"]))
        n.session.run(n.app / "Nubilux.exe", env=n.env())
        self.assertTrue(n.session.wait_until(lambda: n.session.window(CAPTION)["visible"]))
        self.assertEqual(n.session.probe("count", CAPTION)[1].strip(), "1")


class NeverFrozen(unittest.TestCase):
    def test_a_server_that_never_answers_freezes_nothing(self):
        previous = b"BM" + bytes(range(256)) * 16
        n = NubiluxSession(self, server_mode=proxy.SILENT)
        n.server.stall_seconds = 300
        n.bitmap.write_bytes(previous)
        n.start()
        n.update()
        self.assertTrue(n.session.wait_until(lambda: n.server.requests, 15))
        for _ in range(3):
            self.assertTrue(n.answers())
            time.sleep(0.5)
        # A click meanwhile starts nothing, and a second start neither waits nor adds a window.
        n.session.probe("post", CAPTION, "0x111", str(UPDATE), "0")  # WM_COMMAND as a click sends it
        started = time.monotonic()
        n.session.run(n.app / "Nubilux.exe", timeout=30, env=n.env())
        self.assertLess(time.monotonic() - started, 10)
        self.assertEqual(n.session.probe("count", CAPTION)[1].strip(), "1")
        time.sleep(1)
        self.assertEqual(len(n.server.tunnels), 1)
        # Two close requests: one question; Yes ends the program at once, the picture whole.
        n.session.probe("close", CAPTION)
        n.session.probe("close", CAPTION)
        time.sleep(1)
        self.assertEqual(n.session.probe("count", "Nubilux")[1].strip(), "1")
        self.assertEqual(n.session.probe("answer", "Nubilux", "Yes", "15")[0], 0)
        answered = time.monotonic()
        self.assertTrue(n.session.wait_until(lambda: n.process.poll() is not None, 5, 0.05))
        self.assertLess(time.monotonic() - answered, 1.5)
        self.assertEqual(n.bitmap.read_bytes(), previous)
        self.assertEqual(n.files(), ["NUBILUX.BMP", "Nubilux.exe", "Nubilux.ini"])


if __name__ == "__main__":
    unittest.main()

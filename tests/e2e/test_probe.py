"""The window probe and the proxy helper, proven on a small window built for them."""

import shutil
import unittest

from support import proxy
from support.session import BUILD_DIR, WineSession

TESTWIN = BUILD_DIR / "tools" / "testwin.exe"


def start_testwin(session, env=None):
    """Runs a private copy of the test window from C:\\testwin, where its fetch lands."""
    folder = session.drive_c / "testwin"
    folder.mkdir(exist_ok=True)
    shutil.copy(TESTWIN, folder)
    session.start(folder / "testwin.exe", env=env)
    session.wait_window(CAPTION)
CAPTION = "Probe Test Window"
PICTURE = bytes(range(256)) * 64


class ProbeOnTestWindow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = WineSession()
        cls.proxy = proxy.FakeProxy(body=PICTURE)
        start_testwin(cls.session, cls.proxy.env())

    @classmethod
    def tearDownClass(cls):
        cls.proxy.close()
        cls.session.close()

    def status(self):
        return self.session.control(CAPTION, control_id=100)["text"]

    def test_lists_controls_with_class_text_state_and_client_rectangle(self):
        window = self.session.window(CAPTION)
        self.assertEqual(window["caption"], CAPTION)
        self.assertEqual(window["client"], [320, 110])
        self.assertTrue(window["visible"])
        controls = {c["text"]: c for c in window["controls"]}
        self.assertEqual(controls["&Press me"]["class"], "Button")
        self.assertEqual(controls["&Press me"]["rect"], [10, 40, 110, 65])
        self.assertEqual(self.session.control(CAPTION, control_id=100)["class"], "Static")
        self.assertFalse(controls["Disabled"]["enabled"])
        self.assertTrue(controls["Disabled"]["visible"])
        self.assertFalse(controls["Hidden"]["visible"])

    def test_clicks_a_button_by_caption_with_or_without_accelerator(self):
        self.session.click(CAPTION, "Press me")
        self.assertTrue(self.session.wait_until(lambda: self.status().startswith("Pressed ")))
        before = int(self.status().split()[1])
        self.session.click(CAPTION, "&Press me")
        self.assertTrue(self.session.wait_until(lambda: self.status() == f"Pressed {before + 1}"))

    def test_unknown_button_is_reported(self):
        code, out = self.session.probe("click", CAPTION, "No such button")
        self.assertEqual(code, 1)
        self.assertIn("no button", out)

    def test_answers_a_message_box(self):
        self.session.click(CAPTION, "Ask")
        self.assertEqual(self.session.probe("answer", "Probe Question", "No", "10")[0], 0)
        self.assertTrue(self.session.wait_until(lambda: self.status() == "Answer: No"))
        self.session.click(CAPTION, "Ask")
        self.assertEqual(self.session.probe("answer", "Probe Question", "Yes", "10")[0], 0)
        self.assertTrue(self.session.wait_until(lambda: self.status() == "Answer: Yes"))

    def test_posts_and_sends_a_message(self):
        self.session.probe("post", CAPTION, str(0x8001), "7", "513")
        self.assertTrue(self.session.wait_until(lambda: self.status() == "Message 7 513"))
        self.assertEqual(self.session.probe("send", CAPTION, str(0x8001), "2", "515"), (0, "0\n"))
        self.assertEqual(self.status(), "Message 2 515")

    def test_fetch_through_the_proxy_gets_the_body_for_the_programs_address(self):
        self.session.click(CAPTION, "Fetch")
        self.assertTrue(self.session.wait_until(lambda: self.status().startswith("Fetched"), 30), self.status())
        self.assertEqual(self.status(), f"Fetched {len(PICTURE)} bytes, status 200")
        self.assertEqual((self.session.drive_c / "testwin" / "fetched.bin").read_bytes(), PICTURE)
        self.assertIn("http://satellite.invalid/meteo/satellite/image/sat11.jpg", self.proxy.urls())


class ProbeLifecycle(unittest.TestCase):
    def test_missing_window_and_close_request(self):
        with WineSession() as session:
            self.assertEqual(session.probe("list", CAPTION)[0], 1)
            self.assertNotEqual(session.probe("wait", CAPTION, "0.5")[0], 0)
            start_testwin(session)
            self.assertEqual(session.probe("close", CAPTION)[0], 0)
            self.assertTrue(session.window_gone(CAPTION))

    def test_a_window_is_waited_for_until_its_controls_are_made(self):
        # The window is listed two seconds before its controls exist: a click right after
        # the wait must still find its button.
        with WineSession() as session:
            start_testwin(session, {"TESTWIN_SLOW_CREATE_MS": "2000"})
            session.click(CAPTION, "Press me")


class ProxyMisbehaviourSeenByWinINet(unittest.TestCase):
    def fetch_status(self, mode):
        with WineSession() as session, proxy.FakeProxy(body=PICTURE, mode=mode, stall_seconds=3) as server:
            start_testwin(session, server.env())
            session.click(CAPTION, "Fetch")
            status = lambda: session.control(CAPTION, control_id=100)["text"]
            session.wait_until(lambda: status().startswith("Fe"), 40)
            return status(), server.urls()

    def test_not_found_and_refused(self):
        status, urls = self.fetch_status(proxy.NOT_FOUND)
        self.assertTrue(status.endswith("status 404"), status)
        self.assertEqual(len(urls), 1)
        status, urls = self.fetch_status(proxy.REFUSE)
        self.assertTrue(status.startswith("Fetch failed: "), status)
        self.assertEqual(urls, [])

    def test_truncated_body_is_short(self):
        status, _ = self.fetch_status(proxy.TRUNCATED)
        self.assertNotEqual(status, f"Fetched {len(PICTURE)} bytes, status 200")


if __name__ == "__main__":
    unittest.main()

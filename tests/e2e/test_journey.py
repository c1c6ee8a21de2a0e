"""The whole journey, as a user lives it: unpack the release into Program Files,
install, the first-run command starts Nubilux, an update sets the wallpaper, uninstall
removes what the installer made and nothing else, and installing again works."""

import unittest

from support import product, proxy
from support.session import WineSession


class Journey(unittest.TestCase):
    def test_unpack_install_update_uninstall_and_install_again(self):
        with WineSession() as session, proxy.FakeProxy(body=product.SAMPLE.read_bytes()) as server:
            session.trust_test_authority()
            app = product.unpack(session)
            files_before = {p.relative_to(session.drive_c) for p in session.drive_c.rglob("*")}

            self.assertEqual(product.install(session, app, server.env()), ("Installazione del programma", "Nubilux"))
            session.click(product.SETUP, "Installazione Terminata")
            self.assertTrue(session.window_gone(product.SETUP))
            session.wait_window(product.NUBILUX, 60)  # the first-run command
            bitmap = app / "NUBILUX.BMP"
            self.assertTrue(session.wait_until(bitmap.exists, 30))
            self.assertTrue(session.wait_until(lambda: product.wallpaper(session) == product.APP_FOLDER + "\\NUBILUX.BMP"))
            self.assertTrue(server.urls()[0].startswith("https://view.eumetsat.int/geoserver/wms?"), server.urls())

            made = {p.relative_to(session.drive_c) for p in session.drive_c.rglob("*")} - files_before
            links = sorted(str(p) for p in made if p.suffix == ".lnk")
            self.assertEqual(len(links), 4, links)

            session.start(app / "uninstall.exe")
            session.wait_window(product.UNINSTALL, 60)
            session.click(product.UNINSTALL, "Procedi")
            self.assertTrue(session.wait_until(
                lambda: session.control(product.UNINSTALL, control_id=103)["text"] == "Rimozione di Nubilux terminata."))
            self.assertTrue(session.window_gone(product.NUBILUX, 1))  # asked to end before the removal
            session.click(product.UNINSTALL, "Chiudi")
            session.window_gone(product.UNINSTALL)
            left = {p.relative_to(session.drive_c) for p in session.drive_c.rglob("*")} - files_before
            # What stays is the install's own record and what Nubilux keeps: no shortcut, no menu folder.
            self.assertFalse([p for p in left if p.suffix == ".lnk" or "Start Menu" in str(p)], left)
            for path in files_before:
                self.assertTrue((session.drive_c / path).exists(), path)

            self.assertEqual(product.install(session, app, server.env()), ("Installazione del programma", "Nubilux"))
            session.probe("close", product.SETUP)


if __name__ == "__main__":
    unittest.main()

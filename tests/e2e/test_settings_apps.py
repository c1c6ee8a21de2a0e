"""Install and Uninstall as Windows users know installers: the installation listed under
Settings > Apps, a running Nubilux of the installation closed before the removal, and
the final text saying what stays."""

import shutil
import subprocess
import unittest

from support import product
from support.product import SUITE_VERSION
from support.session import BUILD_DIR, WineSession

ENTRY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaris Nubilux"
STAYS = 106


def values(session, key=ENTRY):
    return product.registry_values(session, key)


def entries(session):
    out = subprocess.run(["wine", "reg", "query", ENTRY.rsplit("\\", 1)[0]], env=session.env, capture_output=True,
                         text=True).stdout
    return [line.strip() for line in out.splitlines() if line.strip().endswith("Quintaris Nubilux")]


class SettingsApps(unittest.TestCase):
    def setUp(self):
        self.session = WineSession()
        self.addCleanup(self.session.close)
        self.app = product.unpack(self.session, manual=True)
        self.assertEqual(product.install(self.session, self.app), ("Installazione del programma", "Nubilux"))
        self.session.probe("close", product.SETUP)
        self.session.window_gone(product.SETUP)

    def uninstall(self):
        self.session.start(self.app / "uninstall.exe")
        self.session.wait_window(product.UNINSTALL, 60)
        self.session.click(product.UNINSTALL, "Procedi")
        self.assertTrue(self.session.wait_until(
            lambda: self.session.control(product.UNINSTALL, control_id=103)["text"] == "Rimozione di Nubilux terminata.",
            30))
        return self.session.control(product.UNINSTALL, control_id=STAYS)

    def test_install_lists_the_installation_and_a_second_install_keeps_one_entry(self):
        found = values(self.session)
        folder = product.APP_FOLDER
        self.assertEqual(found["DisplayName"], ("REG_SZ", "Nubilux"))
        self.assertEqual(found["DisplayVersion"], ("REG_SZ", SUITE_VERSION))
        self.assertEqual(found["Publisher"], ("REG_SZ", "Quintaris Srl"))
        self.assertEqual(found["DisplayIcon"], ("REG_SZ", folder + "\\Nubilux.exe"))
        self.assertEqual(found["InstallLocation"], ("REG_SZ", folder))
        self.assertEqual(found["UninstallString"], ("REG_SZ", f'"{folder}\\uninstall.exe"'))
        self.assertEqual(found["NoModify"], ("REG_DWORD", "0x1"))
        self.assertEqual(found["NoRepair"], ("REG_DWORD", "0x1"))
        size_kib = int(found["EstimatedSize"][1], 16)
        on_disk = sum(p.stat().st_size for p in self.app.rglob("*") if p.is_file())
        self.assertAlmostEqual(size_kib, on_disk / 1024, delta=on_disk / 1024 * 0.2)

        shutil.rmtree(self.session.programs_folder / "Quintaris")  # so that the second install is whole
        self.assertEqual(product.install(self.session, self.app), ("Installazione del programma", "Nubilux"))
        self.assertEqual(len(entries(self.session)), 1)

    def test_uninstall_ends_the_running_nubilux_removes_the_entry_and_tells_what_stays(self):
        # A copy started from another folder is another installation's: left alone.
        other = self.session.drive_c / "Other"
        other.mkdir()
        shutil.copy(BUILD_DIR / "tools" / "testwin.exe", other / "Nubilux.exe")
        self.session.start(other / "Nubilux.exe", "frm_Nubilux")
        self.session.wait_window("Probe Test Window", 60)
        self.session.start(self.app / "Nubilux.exe")
        self.session.wait_window(product.NUBILUX, 60)
        tray = self.session.watch_tray(product.NUBILUX)
        self.assertTrue(self.session.wait_until(lambda: tray, 10))

        stays = self.uninstall()
        self.assertTrue(self.session.window_gone(product.NUBILUX, 1))
        self.assertIsNone(self.session.linux_pid("Quintaris\\Nubilux\\Nubilux.exe"))
        self.assertTrue(tray.deleted, "the icon stayed in the notification area")
        self.assertIsNone(values(self.session))
        self.assertTrue(stays["visible"])
        self.assertIn(f"Restano la cartella {product.APP_FOLDER}, con il programma e la sua immagine", stays["text"])
        self.assertIn("AppData\\Local\\Nubilux.", stays["text"])
        self.assertNotIn("in esecuzione", stays["text"])
        self.assertTrue(self.session.window("Probe Test Window")["visible"])  # the other folder's copy runs on

    def test_a_nubilux_that_does_not_end_is_named_and_the_removal_goes_on(self):
        shutil.copy(BUILD_DIR / "tools" / "testwin.exe", self.app / "Nubilux.exe")  # the same class, deaf to the request
        self.session.start(self.app / "Nubilux.exe", "frm_Nubilux")
        self.session.wait_window("Probe Test Window", 60)
        stays = self.uninstall()
        self.assertIn("Nubilux.exe \u00e8 ancora in esecuzione", stays["text"])
        self.assertFalse(list(self.session.programs_folder.rglob("*.lnk")))
        self.assertIsNone(values(self.session))


if __name__ == "__main__":
    unittest.main()

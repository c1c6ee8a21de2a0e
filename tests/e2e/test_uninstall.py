"""uninstall.exe after a real installation: started from the application folder,
driven with the probe, the Start menu, the desktop and the application folder read
from the prefix afterwards."""

import hashlib
import shutil
import time
import unittest

from support.session import WineSession

SETUP_CAPTION = "Quintaris Srl - Setup Wizard"
CAPTION = "Quintaris - Uninstall Wizard"
OK, ANNULLA, PICTURE, LABEL2, UNLOAD, LABEL1, STAYS = 100, 101, 102, 103, 104, 105, 106
DARK_RED = (128, 0, 0)


def description(startup="TRUE", desktop="TRUE"):
    return ("[APPLICATION]\r\nGruppo=Quintaris\r\nName=Nubilux\r\nExecutable=Nubilux.exe\r\nFolder=Nubilux\r\n"
            f"EsecuzioneAutomatica={startup}\r\nSulDesktop={desktop}\r\n[LIB]\r\n")


class Uninstaller(unittest.TestCase):
    def setUp(self):
        self.session = WineSession()
        self.addCleanup(self.session.close)
        setup = self.session.copy_product("C:\\Setup")
        (setup / "Install.ini").write_text(description())
        self.session.start(setup / "Install.exe")
        self.session.wait_window(SETUP_CAPTION, 60)
        self.assertEqual(self.session.control(SETUP_CAPTION, control_id=101)["text"], "Installazione del programma")
        self.session.probe("close", SETUP_CAPTION)
        self.session.window_gone(SETUP_CAPTION)
        # The application folder as the product lays it out: the program, the uninstaller
        # and the description file under the name the uninstaller reads.
        self.app = self.session.drive_c / "Program Files (x86)" / "Quintaris" / "Nubilux"
        self.app.mkdir(parents=True)
        shutil.copy(setup / "uninstall.exe", self.app)
        (self.app / "install.ini").write_text(description())
        (self.app / "Nubilux.exe").write_bytes(b"MZ the program")
        self.group = self.session.programs_folder / "Quintaris"
        self.startup = self.session.programs_folder / "StartUp" / "Nubilux.lnk"
        self.desktop = next((self.session.drive_c / "users").glob("*/Desktop")) / "Nubilux.lnk"

    def start(self):
        self.session.start(self.app / "uninstall.exe")
        self.session.wait_window(CAPTION, 60)

    def texts(self):
        controls = {c["id"]: c for c in self.session.window(CAPTION)["controls"]}
        return {i: (c["text"], c["visible"]) for i, c in controls.items()}

    def snapshot(self):
        """Every file and folder a user could see, with the contents of the files."""
        tree = {}
        for root in (self.session.drive_c / "users", self.session.drive_c / "Program Files (x86)"):
            for path in root.rglob("*"):
                tree[str(path)] = hashlib.sha256(path.read_bytes()).hexdigest() if path.is_file() else "dir"
        return tree

    def test_procedi_removes_what_the_installer_made_and_nothing_else(self):
        self.assertTrue(self.startup.exists() and self.desktop.exists())
        self.start()
        window = self.session.window(CAPTION)
        self.assertEqual(window["client"], [341, 95])
        texts = self.texts()
        self.assertEqual(texts[LABEL2], ("Rimozione del programma Nubilux", True))
        self.assertEqual(texts[OK], ("Procedi", True))
        self.assertEqual(texts[ANNULLA], ("Annulla", True))
        self.assertFalse(texts[UNLOAD][1])
        self.assertFalse(texts[LABEL1][1])
        self.assertEqual([c["id"] for c in window["controls"]], [OK, ANNULLA, PICTURE, LABEL2, UNLOAD, LABEL1, STAYS])
        self.assertFalse(texts[STAYS][1])
        self.assertTrue(self.session.control(CAPTION, control_id=OK)["focused"])
        before = self.snapshot()

        self.session.click(CAPTION, "Procedi")
        self.assertTrue(self.session.wait_until(lambda: self.texts()[UNLOAD][1]))
        texts = self.texts()
        self.assertEqual(texts[LABEL2], ("Rimozione di Nubilux terminata.", True))
        self.assertEqual(texts[LABEL1], ("E' stato rimosso anche il gruppo di programmi\" Quintaris", True))
        self.assertEqual(texts[UNLOAD], ("Chiudi", True))
        self.assertFalse(texts[OK][1] or texts[ANNULLA][1])
        self.assertTrue(texts[STAYS][0].startswith("Restano la cartella C:\\Program Files (x86)\\Quintaris\\Nubilux,"))
        self.assertTrue(texts[STAYS][1])
        self.assertIn(DARK_RED, self.session.colours(CAPTION, LABEL1))

        removed = {self.group, self.group / "Nubilux", self.group / "Nubilux" / "Nubilux.lnk",
                   self.group / "Nubilux" / "Uninstall.lnk", self.startup, self.desktop}
        after = self.snapshot()
        self.assertEqual(set(before) - set(after), {str(p) for p in removed})
        self.assertEqual({k: v for k, v in before.items() if k in after}, after)

        self.session.probe("enter", CAPTION)  # Enter presses "Chiudi", the default button now
        self.assertTrue(self.session.window_gone(CAPTION))

    def test_other_programs_and_loose_files_keep_the_group(self):
        (self.group / "Altro").mkdir()
        (self.group / "Altro" / "Altro.lnk").write_bytes(b"another program's shortcut")
        (self.group / "leggimi.txt").write_text("the user's own file")
        self.start()
        self.session.click(CAPTION, "Procedi")
        self.assertTrue(self.session.wait_until(lambda: self.texts()[UNLOAD][1]))
        self.assertEqual(self.texts()[LABEL2], ("Rimozione di Nubilux terminata.", True))
        self.assertFalse(self.texts()[LABEL1][1])
        self.assertFalse((self.group / "Nubilux").exists())
        self.assertEqual((self.group / "leggimi.txt").read_text(), "the user's own file")
        self.assertTrue((self.group / "Altro" / "Altro.lnk").exists())

    def test_annulla_leaves_the_disk_as_it_was(self):
        before = self.snapshot()
        self.start()
        self.session.click(CAPTION, "Annulla")
        self.assertTrue(self.session.wait_until(lambda: self.texts()[UNLOAD][1]))
        self.assertEqual(self.texts()[LABEL2], ("Rimozione di Nubilux annullata.", True))
        self.assertFalse(self.texts()[LABEL1][1])
        self.assertEqual(self.snapshot(), before)
        self.session.probe("close", CAPTION)
        self.assertTrue(self.session.window_gone(CAPTION))

    def test_escape_presses_annulla_then_chiudi(self):
        before = self.snapshot()
        self.start()
        self.session.probe("escape", CAPTION)
        self.assertTrue(self.session.wait_until(lambda: self.texts()[UNLOAD][1]))
        self.assertEqual(self.texts()[LABEL2], ("Rimozione di Nubilux annullata.", True))
        self.assertEqual(self.snapshot(), before)
        self.session.probe("escape", CAPTION)
        self.assertTrue(self.session.window_gone(CAPTION))

    def test_a_click_on_the_hidden_procedi_removes_nothing(self):
        (self.app / "install.ini").unlink()  # nothing can be told: only "Chiudi" is offered
        before = self.snapshot()
        self.start()
        self.assertFalse(self.texts()[OK][1])
        self.assertEqual(self.session.probe("post", CAPTION, str(0x0111), str(OK), "0")[0], 0)  # WM_COMMAND
        self.session.probe("click", CAPTION, "Procedi")
        time.sleep(1)
        self.assertEqual(self.texts()[LABEL2], ("Impossibile stabilire cosa rimuovere.", True))
        self.assertEqual(self.snapshot(), before)

    def test_startup_and_desktop_shortcuts_stay_unless_their_flags_are_exactly_TRUE(self):
        (self.app / "install.ini").write_text(description(startup="True", desktop="true"))
        self.start()
        self.session.click(CAPTION, "Procedi")
        self.assertTrue(self.session.wait_until(lambda: self.texts()[UNLOAD][1]))
        self.assertFalse(self.group.exists())
        self.assertTrue(self.startup.exists())
        self.assertTrue(self.desktop.exists())

    def test_a_second_run_says_it_is_done_and_a_foreign_file_stops_the_removal(self):
        (self.group / "Nubilux" / "Manuale.lnk").write_bytes(b"not the installer's")
        self.start()
        self.session.click(CAPTION, "Procedi")
        self.assertTrue(self.session.wait_until(lambda: self.texts()[UNLOAD][1]))
        texts = self.texts()
        self.assertEqual(texts[LABEL2], ("Rimozione di Nubilux non completata.", True))
        self.assertTrue(texts[LABEL1][1] and texts[LABEL1][0], texts)  # the platform's reason
        self.assertFalse((self.group / "Nubilux" / "Nubilux.lnk").exists())
        self.assertTrue((self.group / "Nubilux" / "Manuale.lnk").exists())
        self.session.click(CAPTION, "Chiudi")
        self.assertTrue(self.session.window_gone(CAPTION))

        (self.group / "Nubilux" / "Manuale.lnk").unlink()
        self.start()
        self.session.click(CAPTION, "Procedi")
        self.assertTrue(self.session.wait_until(lambda: self.texts()[UNLOAD][1]))
        self.assertEqual(self.texts()[LABEL2], ("Rimozione di Nubilux terminata.", True))
        self.session.click(CAPTION, "Chiudi")
        self.session.window_gone(CAPTION)

        self.start()
        self.session.click(CAPTION, "Procedi")
        self.assertTrue(self.session.wait_until(lambda: self.texts()[UNLOAD][1]))
        self.assertEqual(self.texts()[LABEL2], ("Rimozione di Nubilux gi\u00e0 eseguita.", True))
        self.assertFalse(self.texts()[LABEL1][1])


class LongNames(unittest.TestCase):
    def test_long_names_wrap_and_the_windows_grow_nothing_cut(self):
        for dpi in (96, 144):
            with self.subTest(dpi=dpi):
                self.long_names(dpi)

    def long_names(self, dpi):
        name = "Meteo Citt\u00e0 Pi\u00f9, con un nome davvero troppo lungo per una riga"
        with WineSession() as session:
            session.run("reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", str(dpi), "/f")
            self.line = 17 * dpi // 96  # one line of the 8-point text, as designed
            setup = session.copy_product("C:\\Setup")
            (setup / "Install.ini").write_bytes(description().replace("Name=Nubilux", f"Name={name}").encode("cp1252"))
            session.start(setup / "Install.exe")
            session.wait_window(SETUP_CAPTION, 60)
            self.assertFits(session.window(SETUP_CAPTION), 102, 103, name)
            session.probe("close", SETUP_CAPTION)
            session.window_gone(SETUP_CAPTION)
            session.start(setup / "uninstall.exe")  # install.ini is Install.ini to the file system
            session.wait_window(CAPTION, 60)
            self.assertFits(session.window(CAPTION), LABEL2, OK, "Rimozione del programma " + name)

    def assertFits(self, window, label_id, below_id, text):
        controls = {c["id"]: c for c in window["controls"]}
        label, below = controls[label_id], controls[below_id]
        self.assertEqual(label["text"], text)
        self.assertGreater(label["rect"][3] - label["rect"][1], self.line)  # two lines now
        self.assertLessEqual(label["rect"][3], below["rect"][1])       # and nothing beneath is covered
        self.assertLessEqual(below["rect"][3], window["client"][1])    # nor pushed out of the window


if __name__ == "__main__":
    unittest.main()

"""Install and Uninstall as a deployment tool runs them on a hundred PCs: silent, for one
user or for all, with the exit codes such tools read and the outcome in the log."""

import os
import threading
import unittest

from support import product
from support.session import WINE_USER, WineSession

KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaris Nubilux"
LOG = "C:\\logs\\setup.log"


def values(session, key):
    """The key's values by name; None when missing."""
    found = product.registry_values(session, key)
    return None if found is None else {name: data for name, (_, data) in found.items()}


class ManyPcs(unittest.TestCase):
    def setUp(self):
        self.session = WineSession()
        self.addCleanup(self.session.close)
        self.app = product.unpack(self.session, manual=True)
        self.session.unix_path("C:\\logs").mkdir()

    def run_silently(self, program, *switches):
        """Runs it as a deployment tool does; its whole exit code, while the probe watches
        that no further window of it appears at any moment."""
        caption = product.SETUP if program == "Install.exe" else product.UNINSTALL
        code, out = self.session.probe("count", caption)
        self.assertEqual(code, 0, out)
        already = int(out)
        most, done = [already], threading.Event()

        def watch():
            while not done.wait(0.1):
                code, out = self.session.probe("count", caption)
                if code == 0:  # a sample the probe could not take says nothing
                    most[0] = max(most[0], int(out))

        watcher = threading.Thread(target=watch)
        watcher.start()
        code, out = self.session.probe("run", product.APP_FOLDER + "\\" + program, *switches, timeout=120)
        done.set()
        watcher.join()
        self.assertEqual(code, 0, out)
        self.assertEqual(most[0], already, f"{program} showed a window")
        return int(out.strip())

    def log(self, path=LOG):
        return [line.split(" - ", 1)[1] for line in self.session.unix_path(path).read_text("cp1252").splitlines()]

    def test_a_silent_install_for_the_user_then_a_silent_uninstall(self):
        self.assertEqual(self.run_silently("Install.exe", "/S", "/NOSTART", f"/LOG={LOG}"), 0)
        log = self.log()
        self.assertEqual(log[:2], [f"Cartella dell'applicazione: {product.APP_FOLDER}",
                                   "Collegamenti per l'utente corrente"])
        self.assertTrue(any(line.endswith("VB6STKIT.DLL Register") for line in log), log)
        self.assertEqual(log[-2:], [f"Voce in Impostazioni > App: HKCU\\{KEY}", "Installazione completata"])
        self.assertFalse((self.app / "Setup.LOG").exists())  # the log went where it was asked to
        # The shortcuts point into the folder the installer ran from.
        menu = self.session.programs_folder / "Quintaris" / "Nubilux"
        self.assertEqual(self.session.link(menu / "Nubilux.lnk")["target"], product.APP_FOLDER + "\\Nubilux.exe")
        entry = values(self.session, "HKCU\\" + KEY)
        self.assertEqual(entry["QuietUninstallString"], f'"{product.APP_FOLDER}\\uninstall.exe" /S')
        self.assertEqual(self.session.probe("count", product.NUBILUX)[1].strip(), "0")  # /NOSTART

        # Run again, as deployment tools do: found in place, no failure, and said so.
        self.assertEqual(self.run_silently("Install.exe", "/S", "/NOSTART", f"/LOG={LOG}"), 0)
        self.assertEqual(self.log()[-1], f"Gi\u00e0 installato: {self.session.windows_path(menu)}")

        self.assertEqual(self.run_silently("uninstall.exe", "/S", f"/LOG={LOG}"), 0)
        self.assertEqual(self.log()[-1], "Rimozione di Nubilux terminata.")
        self.assertFalse((self.session.programs_folder / "Quintaris").exists())
        self.assertIsNone(values(self.session, "HKCU\\" + KEY))
        self.assertEqual(self.run_silently("uninstall.exe", "/S", f"/LOG={LOG}"), 1605)  # nothing left

    def test_an_outcome_its_log_refuses_goes_to_the_temporary_folder(self):
        # A mistyped /LOG= folder: the outcome is still written, in the user's temporary
        # folder, after a line that says which log was refused and why.
        self.assertEqual(self.run_silently("uninstall.exe", "/S", "/LOG=C:\\no\\such\\u.log"), 1605)
        self.assertEqual(self.run_silently("Install.exe", "/S", "/BOGUS", "/LOG=C:\\no\\such\\i.log"), 87)
        temporary = [p for p in self.session.drive_c.glob("users/*/**/Temp/Setup.LOG")]
        self.assertEqual(len(temporary), 1, temporary)
        lines = [line.split(" - ", 1)[1] for line in temporary[0].read_text("cp1252").splitlines()]
        self.assertEqual(len(lines), 4, lines)
        self.assertTrue(lines[0].startswith("Errore: 3-") and lines[0].endswith(" C:\\no\\such\\u.log"), lines)
        self.assertEqual(lines[1], "Nulla da rimuovere: Nubilux non risulta installato.")
        self.assertTrue(lines[2].startswith("Errore: 3-") and lines[2].endswith(" C:\\no\\such\\i.log"), lines)
        self.assertEqual(lines[3], "Opzione sconosciuta: /BOGUS")

    def test_a_shortcut_that_cannot_be_removed_leaves_the_removal_not_completed(self):
        self.assertEqual(self.run_silently("Install.exe", "/S", "/NOSTART", f"/LOG={LOG}"), 0)
        held = self.session.programs_folder / "Quintaris" / "Nubilux" / "Uninstall.lnk"
        os.chmod(held, 0o444)  # read-only, which Wine holds against a delete as Windows does
        self.addCleanup(os.chmod, held, 0o644)
        self.assertEqual(self.run_silently("uninstall.exe", "/S", f"/LOG={LOG}"), 1603)
        self.assertTrue(self.log()[-1].startswith("Rimozione di Nubilux non completata."), self.log()[-1])
        self.assertTrue(held.exists())
        self.assertIsNotNone(values(self.session, "HKCU\\" + KEY))  # listed still, to be tried again

    def test_all_users_shortcuts_in_the_common_folders_and_the_entry_under_the_machine(self):
        self.assertEqual(self.run_silently("Install.exe", "/s", "/allusers", "/nostart"), 0)
        self.assertIn("Collegamenti per tutti gli utenti (/ALLUSERS)", self.log(product.APP_FOLDER + "\\Setup.LOG"))
        common = self.session.drive_c / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs"
        self.assertTrue((common / "Quintaris" / "Nubilux" / "Nubilux.lnk").is_file())
        self.assertTrue((common / "StartUp" / "Nubilux.lnk").is_file())
        self.assertTrue((self.session.drive_c / "users" / "Public" / "Desktop" / "Nubilux.lnk").is_file())
        self.assertFalse((self.session.programs_folder / "Quintaris").exists())
        entry = values(self.session, "HKLM\\" + KEY)
        self.assertEqual(entry["QuietUninstallString"], f'"{product.APP_FOLDER}\\uninstall.exe" /ALLUSERS /S')
        self.assertIsNone(values(self.session, "HKCU\\" + KEY))
        # The deployment tool's uninstall: the entry's own quiet command. Wine runs every
        # program elevated, so it removes at once, without running itself again.
        self.assertEqual(self.run_silently("uninstall.exe", "/ALLUSERS", "/S"), 0)
        self.assertEqual(self.log(product.APP_FOLDER + "\\Setup.LOG")[-2:],
                         ["Installazione completata", "Rimozione di Nubilux terminata."])
        self.assertFalse((common / "Quintaris").exists())
        self.assertFalse((self.session.drive_c / "users" / "Public" / "Desktop" / "Nubilux.lnk").exists())
        self.assertIsNone(values(self.session, "HKLM\\" + KEY))

    def test_one_installation_per_computer_whichever_scope_comes_second(self):
        setup_log = product.APP_FOLDER + "\\Setup.LOG"
        common = self.session.drive_c / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs"
        own_desktop = self.session.drive_c / "users" / WINE_USER / "Desktop" / "Nubilux.lnk"
        own_menu = self.session.programs_folder / "Quintaris"
        self.assertEqual(self.run_silently("Install.exe", "/S", "/NOSTART"), 0)
        self.assertTrue(own_desktop.is_file())
        # An administrator changes the deployment's scope: the user's own installation gives way.
        self.assertEqual(self.run_silently("Install.exe", "/S", "/ALLUSERS", "/NOSTART"), 0)
        self.assertIn("L'installazione per l'utente corrente \u00e8 sostituita da quella per tutti gli utenti, "
                      f"rimossa: {self.session.windows_path(own_menu / 'Nubilux')}", self.log(setup_log))
        self.assertFalse(own_menu.exists())
        self.assertFalse(own_desktop.exists())
        self.assertFalse((self.session.programs_folder / "StartUp" / "Nubilux.lnk").exists())
        self.assertIsNone(values(self.session, "HKCU\\" + KEY))
        self.assertTrue((common / "Quintaris" / "Nubilux" / "Nubilux.lnk").is_file())
        self.assertIsNotNone(values(self.session, "HKLM\\" + KEY))
        # A per-user installation beside it adds nothing, and says why.
        self.assertEqual(self.run_silently("Install.exe", "/S", "/CURRENTUSER", "/NOSTART"), 0)
        self.assertEqual(self.log(setup_log)[-1],
                         "Gi\u00e0 installato per tutti gli utenti, nulla \u00e8 stato aggiunto per l'utente corrente: "
                         + self.session.windows_path(common / "Quintaris" / "Nubilux"))
        self.assertFalse(own_menu.exists())
        self.assertFalse(own_desktop.exists())
        self.assertIsNone(values(self.session, "HKCU\\" + KEY))

    def test_one_installation_at_a_time_a_missing_description_and_an_unknown_switch(self):
        self.session.start(self.app / "Install.exe")  # interactive: waits on its button
        self.session.wait_window(product.SETUP, 60)
        self.assertEqual(self.run_silently("Install.exe", "/S", f"/LOG={LOG}"), 1618)
        self.assertEqual(self.log()[-1], "Un'altra installazione \u00e8 in corso: nulla \u00e8 stato fatto")
        self.session.probe("close", product.SETUP)
        self.assertTrue(self.session.window_gone(product.SETUP))

        self.assertEqual(self.run_silently("Install.exe", "/S", "/QUIET", f"/LOG={LOG}"), 87)
        self.assertEqual(self.log()[-1], "Opzione sconosciuta: /QUIET")

        (self.app / "Install.ini").unlink()
        self.assertEqual(self.run_silently("Install.exe", "/S", "/NOSTART", f"/LOG={LOG}"), 1603)
        self.assertEqual(self.log()[-1],
                         f"Installazione non riuscita: manca il file di descrizione {product.APP_FOLDER}\\Install.ini")

    def test_shortcuts_point_wherever_the_folder_was_unpacked(self):
        tools = product.unpack(self.session, "C:\\Tools\\Nubilux")
        (tools / "Nubilux.ini").write_text("[Nubilux]\r\nAggiornamento=1\r\n")
        code, out = self.session.probe("run", "C:\\Tools\\Nubilux\\Install.exe", "/S", "/NOSTART", timeout=120)
        self.assertEqual(out.strip(), "0")
        menu = self.session.programs_folder / "Quintaris" / "Nubilux"
        self.assertEqual(self.session.link(menu / "Nubilux.lnk")["target"], "C:\\Tools\\Nubilux\\Nubilux.exe")
        self.assertEqual(self.session.link(menu / "Uninstall.lnk")["target"], "C:\\Tools\\Nubilux\\uninstall.exe")
        self.assertIn("Cartella dell'applicazione: C:\\Tools\\Nubilux", self.log("C:\\Tools\\Nubilux\\Setup.LOG"))


class EscapeOnTheLastScreen(unittest.TestCase):
    def test_escape_closes_the_uninstaller_after_either_choice(self):
        # The choice by its button, or "Annulla" by Escape itself: the next Escape closes.
        for choice in ("Procedi", "Annulla", "Escape"):
            with self.subTest(choice=choice):
                session = WineSession()
                self.addCleanup(session.close)
                app = product.unpack(session)
                (app / "Nubilux.ini").write_text("[Nubilux]\r\nAggiornamento=1\r\n")
                code, out = session.probe("run", product.APP_FOLDER + "\\Install.exe", "/S", "/NOSTART", timeout=120)
                self.assertEqual(out.strip(), "0")
                session.start(app / "uninstall.exe")
                session.wait_window(product.UNINSTALL, 60)
                if choice == "Escape":
                    session.probe("escape", product.UNINSTALL)
                else:
                    session.click(product.UNINSTALL, choice)
                self.assertTrue(session.wait_until(
                    lambda: session.control(product.UNINSTALL, text="Chiudi")["visible"], 30))
                session.probe("escape", product.UNINSTALL)
                self.assertTrue(session.window_gone(product.UNINSTALL))
                session.close()


if __name__ == "__main__":
    unittest.main()

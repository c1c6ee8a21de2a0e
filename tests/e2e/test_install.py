"""Install.exe as a user meets it: run from its product folder in a fresh prefix,
its window read and driven with the probe, its results read from the prefix."""

import re
import shutil
import unittest

from support import product
from support.product import SUITE_VERSION
from support.session import BUILD_DIR, WINE_USER, WineSession

CAPTION = "Quintaris Srl - Setup Wizard"
LABEL1, LABEL2, BUTTON = 101, 102, 103
DARK_BLUE = (0, 0, 128)
ENTRY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaris Nubilux"
FIXTURES = BUILD_DIR / "fixtures"
TESTWIN = BUILD_DIR / "tools" / "testwin.exe"
STAMP = re.compile(r"^\d{4}/\d{2}/\d{2}-\d{2}:\d{2}:\d{2} - (.*)$")


def description(first_run):
    return ("[APPLICATION]\r\nGruppo=Quintaris\r\nName=Nubilux\r\nExecutable=Nubilux.exe\r\nFolder=Nubilux\r\n"
            "EsecuzioneAutomatica=TRUE\r\nSulDesktop=TRUE\r\n"
            f"PrimaEsecuzione={first_run}\r\n"
            "[LIB]\r\nUses1=MSFLXGRD.ocx\r\nUses2=MSINET.OCX\r\n")


class Installer(unittest.TestCase):
    """One machine, installed twice, as a user would: a clean run, then a second one."""

    @classmethod
    def setUpClass(cls):
        cls.session = WineSession()
        cls.setup = cls.session.copy_product("C:\\Setup")
        shutil.copy(FIXTURES / "table_6_0_81_69.dll", cls.setup / "LIB" / "MSFLXGRD.ocx")
        shutil.copy(FIXTURES / "standard_1_0_0_0.dll", cls.setup / "LIB" / "MSINET.OCX")
        shutil.copy(TESTWIN, cls.setup / "testwin.exe")
        cls.env = {"COMPONENT_TRACE": "C:\\trace.txt"}

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def run_installer(self, first_run):
        if self.session.probe("list", CAPTION)[0] == 0:  # left open by a failed test
            self.session.probe("close", CAPTION)
            self.session.window_gone(CAPTION)
        (self.setup / "Install.ini").write_bytes(description(first_run).encode("cp1252"))
        self.session.start(self.setup / "Install.exe", env=self.env)
        self.session.wait_window(CAPTION, 60)

    def labels(self):
        return (self.session.control(CAPTION, control_id=LABEL1)["text"],
                self.session.control(CAPTION, control_id=LABEL2)["text"])

    def log(self):
        lines = (self.setup / "Setup.LOG").read_bytes().decode("cp1252").split("\r\n")
        self.assertEqual(lines[-1], "")
        texts = []
        for line in lines[:-1]:
            match = STAMP.match(line)
            self.assertTrue(match, line)
            texts.append(match.group(1))
        return texts

    def test_1_clean_run_then_button_starts_the_first_run_command(self):
        self.run_installer("C:\\Setup\\testwin.exe")
        window = self.session.window(CAPTION)
        self.assertEqual(window["client"], [341, 95])  # 5115 x 1425 twips at 96 dpi
        self.assertEqual(self.labels(), ("Installazione del programma", "Nubilux"))
        self.assertEqual([c["rect"] for c in window["controls"]],
                         [[8, 8, 97, 89], [104, 8, 337, 33], [104, 40, 337, 57], [104, 64, 337, 89]])
        self.assertEqual(self.session.control(CAPTION, control_id=BUTTON)["text"], "Installazione Terminata")
        self.assertIn(DARK_BLUE, self.session.colours(CAPTION, LABEL2))
        self.assertIn((0, 0, 0), self.session.colours(CAPTION, LABEL1))
        self.assertNotIn(DARK_BLUE, self.session.colours(CAPTION, LABEL1))

        system, lib = "C:\\windows\\system32", "C:\\Setup\\LIB"
        self.assertEqual(self.log(), [
            "Cartella dell'applicazione: C:\\Setup", "Collegamenti per l'utente corrente",
            f"copy {lib}\\MSFLXGRD.ocx {system}\\MSFLXGRD.ocx", f"{system}\\MSFLXGRD.ocx Register",
            f"copy {lib}\\MSINET.OCX {system}\\MSINET.OCX", f"{system}\\MSINET.OCX Register",
            f"copy {lib}\\VB6STKIT.DLL {system}\\VB6STKIT.DLL", f"{system}\\VB6STKIT.DLL Register",
            f"Voce in Impostazioni > App: HKCU\\{ENTRY}", "Installazione completata"])
        # A 32-bit program's system32 is the 32-bit system folder.
        for name in ("MSFLXGRD.ocx", "MSINET.OCX", "VB6STKIT.DLL"):
            self.assertTrue((self.session.system_folder / name).is_file(), name)
        self.assertEqual((self.session.drive_c / "trace.txt").read_text().splitlines(),
                         [f"RegisterMSFLXGRD {system}", f"DllRegisterServer {system}"])

        programs = self.session.programs_folder
        app = self.session.link(programs / "Quintaris" / "Nubilux" / "Nubilux.lnk")
        self.assertEqual(app["target"], "C:\\Setup\\Nubilux.exe")  # the folder the installer ran from
        self.assertEqual(app["folder"], app["target"].rsplit("\\", 1)[0])
        self.assertEqual(app["arguments"], "")
        uninstall = self.session.link(programs / "Quintaris" / "Nubilux" / "Uninstall.lnk")
        self.assertEqual(uninstall["target"], app["folder"] + "\\uninstall.exe")
        self.assertEqual(self.session.link(programs / "StartUp" / "Nubilux.lnk")["target"], app["target"])
        desktop = self.session.drive_c / "users" / "root" / "Desktop" / "Nubilux.lnk"
        if not desktop.exists():
            desktop = next((self.session.drive_c / "users").glob("*/Desktop/Nubilux.lnk"))
        self.assertEqual(self.session.link(desktop)["target"], app["target"])

        self.session.click(CAPTION, "Installazione Terminata")
        self.assertTrue(self.session.window_gone(CAPTION))
        self.session.wait_window("Probe Test Window")
        self.assertTrue(self.session.window("Probe Test Window")["visible"])
        self.session.probe("close", "Probe Test Window")
        self.assertTrue(self.session.window_gone("Probe Test Window"))

    def test_2_second_run_warns_and_the_close_box_starts_nothing(self):
        self.run_installer("C:\\Setup\\testwin.exe")
        self.assertEqual(self.labels(), ("Attenzione!!", "Gi\u00e0 installato o errore d'installazione."))
        self.assertIn(DARK_BLUE, self.session.colours(CAPTION, LABEL2))
        second = self.log()[10:]  # after the first run's ten lines
        self.assertEqual(second[:2], ["Cartella dell'applicazione: C:\\Setup", "Collegamenti per l'utente corrente"])
        menu = self.session.windows_path(self.session.programs_folder / "Quintaris" / "Nubilux")
        self.assertEqual(second[8:], [f"Voce in Impostazioni > App: HKCU\\{ENTRY}", f"Gi\u00e0 installato: {menu}"])
        self.assertEqual(second[2:8], [
            "C:\\windows\\system32\\MSFLXGRD.ocx Versione: 6.0.81.69",
            "C:\\Setup\\LIB\\MSFLXGRD.ocx Versione: 6.0.81.69",
            "C:\\windows\\system32\\MSINET.OCX Versione: 1.0.0.0", "C:\\Setup\\LIB\\MSINET.OCX Versione: 1.0.0.0",
            f"C:\\windows\\system32\\VB6STKIT.DLL Versione: {SUITE_VERSION}",
            f"C:\\Setup\\LIB\\VB6STKIT.DLL Versione: {SUITE_VERSION}"])
        self.session.probe("close", CAPTION)
        self.assertTrue(self.session.window_gone(CAPTION))
        self.assertNotEqual(self.session.probe("wait", "Probe Test Window", "3")[0], 0)

    def test_3_without_first_run_command_the_button_only_closes_and_enter_presses_it(self):
        self.run_installer("")
        self.session.probe("enter", CAPTION)
        self.assertTrue(self.session.window_gone(CAPTION))
        self.assertNotEqual(self.session.probe("wait", "Probe Test Window", "3")[0], 0)

    def test_3b_escape_closes_as_the_close_box_does_starting_nothing(self):
        self.run_installer("C:\\Setup\\testwin.exe")
        self.session.probe("escape", CAPTION)
        self.assertTrue(self.session.window_gone(CAPTION))
        self.assertNotEqual(self.session.probe("wait", "Probe Test Window", "3")[0], 0)

    def test_4_a_first_run_command_that_cannot_start_is_reported(self):
        self.run_installer("C:\\Setup\\missing.exe")
        self.session.click(CAPTION, "Installazione Terminata")
        self.assertEqual(self.session.probe("answer", CAPTION, "OK", "15")[0], 0)
        self.assertTrue(self.session.window_gone(CAPTION))

    def test_5_a_silent_installation_starts_the_first_run_command_with_its_window_hidden(self):
        # A deployment puts nothing in front of the user: the program starts hidden (Nubilux
        # shows its icon only).
        (self.setup / "Install.ini").write_bytes(description("C:\\Setup\\testwin.exe").encode("cp1252"))
        code, out = self.session.probe("run", "C:\\Setup\\Install.exe", "/S", timeout=120)
        self.assertEqual((code, out.strip()), (0, "0"))  # found in place: no failure, so it starts
        self.session.wait_window("Probe Test Window")
        self.assertFalse(self.session.window("Probe Test Window")["visible"])
        self.session.probe("close", "Probe Test Window")
        self.assertTrue(self.session.window_gone("Probe Test Window"))


class InstallerAtHighDpi(unittest.TestCase):
    def test_geometry_is_converted_from_twips_at_the_screens_dpi(self):
        with WineSession() as session:
            session.run("reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", "144", "/f")
            setup = session.copy_product("C:\\Setup")
            session.start(setup / "Install.exe")
            session.wait_window(CAPTION, 60)
            window = session.window(CAPTION)
            # 1440 twips an inch: at 144 dpi a twip is a tenth of a pixel.
            self.assertEqual(window["client"], [512, 143])
            self.assertEqual([c["rect"] for c in window["controls"]],
                             [[12, 12, 146, 134], [156, 12, 506, 50], [156, 60, 506, 86], [156, 96, 506, 134]])


class AnyProfile(unittest.TestCase):
    def test_a_programs_folder_outside_the_ansi_code_page_gets_its_shortcuts_right_and_loses_them(self):
        greek = "Programmi \u03a9\u03bc\u03ad\u03b3\u03b1"  # not in the code page: best-fit would write "O..."
        with WineSession() as session:
            start_menu = session.programs_folder.parent
            folder = f"C:\\users\\{WINE_USER}\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\{greek}"
            reg = ("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                   "CurrentVersion\\Explorer\\User Shell Folders]\r\n"
                   f"\"Programs\"=\"{folder.replace(chr(92), chr(92) * 2)}\"\r\n")
            (session.root / "programs.reg").write_bytes(b"\xff\xfe" + reg.encode("utf-16-le"))
            session.run("regedit", "/S", str(session.root / "programs.reg"))
            (start_menu / greek / "StartUp").mkdir(parents=True)
            app = product.unpack(session)
            self.assertEqual(product.install(session, app), ("Installazione del programma", "Nubilux"))
            session.probe("close", product.SETUP)
            session.window_gone(product.SETUP)
            made = sorted(str(p.relative_to(start_menu)) for p in start_menu.rglob("*.lnk"))
            self.assertEqual(made, [f"{greek}/Quintaris/Nubilux/Nubilux.lnk", f"{greek}/Quintaris/Nubilux/Uninstall.lnk",
                                    f"{greek}/StartUp/Nubilux.lnk"])
            self.assertEqual(sorted(p.name for p in start_menu.iterdir()), sorted([greek, "Programs"]))
            session.start(app / "uninstall.exe")
            session.wait_window(product.UNINSTALL, 60)
            session.click(product.UNINSTALL, "Procedi")
            self.assertTrue(session.wait_until(
                lambda: session.control(product.UNINSTALL, control_id=103)["text"] == "Rimozione di Nubilux terminata."))
            self.assertEqual(list(start_menu.rglob("*.lnk")), [])
            self.assertFalse((start_menu / greek / "Quintaris").exists())


class AsNotepadSavesIt(unittest.TestCase):
    def test_a_utf8_description_without_a_mark_gives_the_right_name_everywhere(self):
        name = "Meteo Citt\u00e0"
        with WineSession() as session:
            app = product.unpack(session)
            text = (app / "Install.ini").read_bytes().decode("cp1252").replace("Name=Nubilux", f"Name={name}")
            (app / "Install.ini").write_bytes(text.encode("utf-8"))  # Notepad's default: no byte-order mark
            self.assertEqual(product.install(session, app), ("Installazione del programma", name))
            session.probe("close", product.SETUP)
            session.window_gone(product.SETUP)
            made = [p.name for p in (session.programs_folder / "Quintaris" / "Nubilux").glob("*.lnk")]
            self.assertEqual(sorted(made), sorted([f"{name}.lnk", "Uninstall.lnk"]))  # never "Citt\u00c3\u00a0"


if __name__ == "__main__":
    unittest.main()

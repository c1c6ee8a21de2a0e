"""No program of ours loads a DLL from its own folder: static imports name only
KnownDLLs (and comctl32, which comes through the manifest), and DLLs loaded at run
time come from system32 even when copies are planted beside the program."""

import re
import shutil
import subprocess
import unittest
from pathlib import Path

from support import proxy
from support.session import BUILD_DIR, DLL_OVERRIDES, PRODUCT_DIR, SYSTEM_FOLDER, WINE_USER, WineSession

# Windows' KnownDLLs (and ntdll, which every process has): never searched for on disk.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "gdi32.dll", "gdiplus.dll",
    "imagehlp.dll", "imm32.dll", "kernel32.dll", "kernelbase.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll",
    "nsi.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll",
    "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll",
}
ALLOWED_IMPORTS = KNOWN_DLLS | {"comctl32.dll"}
PLANTED_NAMES = ("wininet.dll", "rasapi32.dll", "windowscodecs.dll")
TESTWIN = BUILD_DIR / "tools" / "testwin.exe"


def our_binaries():
    binaries = [TESTWIN]
    binaries += sorted(p for p in PRODUCT_DIR.rglob("*") if p.suffix.lower() in (".exe", ".dll"))
    return binaries


def imports(binary):
    objdump = "i686-w64-mingw32-objdump" if SYSTEM_FOLDER == "syswow64" else "x86_64-w64-mingw32-objdump"
    out = subprocess.run([objdump, "-p", str(binary)], capture_output=True, text=True,
                         check=True).stdout
    return {name.lower() for name in re.findall(r"DLL Name: (\S+)", out)}


class ImportTables(unittest.TestCase):
    def test_every_program_and_library_imports_only_known_dlls(self):
        binaries = our_binaries()
        self.assertIn(TESTWIN, binaries)
        for binary in binaries:
            with self.subTest(binary=binary.name):
                self.assertLessEqual(imports(binary), ALLOWED_IMPORTS)


class PlantedDlls(unittest.TestCase):
    """Runs a program from a folder holding planted DLLs and reads Wine's loader trace."""

    def run_planted(self, program, drive=None, names=PLANTED_NAMES, prepare=None, env=None):
        with WineSession() as session:
            session.trust_test_authority()
            folder = session.drive_c / "Downloads"
            folder.mkdir()
            if prepare:
                prepare(folder)
            for name in names:
                shutil.copy(BUILD_DIR / "fixtures" / "planted.dll", folder / name)
            shutil.copy(program, folder)
            env = dict(env or {}, WINEDEBUG="+loaddll",
                       WINEDLLOVERRIDES=DLL_OVERRIDES + ";wininet,rasapi32,windowscodecs=n,b")
            if drive:
                session.start(folder / program.name, env=env)
                drive(session)
                session.settle()
                trace = (session.root / "programs.log").read_text(errors="replace")
            else:
                trace = session.run(folder / program.name, env=env).stderr.decode(errors="replace")
        planted = [line for line in trace.splitlines()
                   if "Downloads\\\\" in line and any(name.lower() in line.lower() for name in names)]
        return trace, planted

    def test_a_default_search_would_be_caught(self):
        trace, planted = self.run_planted(BUILD_DIR / "fixtures" / "naive_loader.exe")
        self.assertTrue(planted, "the trace shows no planted load; the check would be blind")
        self.assertIn("native", planted[0])

    def test_test_window_loads_its_libraries_from_system32(self):
        def fetch_and_close(session):
            session.wait_window("Probe Test Window")
            session.click("Probe Test Window", "Fetch")
            session.wait_until(lambda: session.control("Probe Test Window", control_id=100)["text"] != "Ready", 30)
            session.probe("close", "Probe Test Window")

        trace, planted = self.run_planted(TESTWIN, fetch_and_close)
        self.assertIn("wininet.dll", trace.lower())
        self.assertEqual(planted, [])

    def test_installer_loads_no_library_from_its_own_folder(self):
        # Beside a downloaded installer: system names, the shortcut library and a component.
        # (version.dll is pulled in by Wine's own libraries before ours run: the import
        # table test covers it.)
        names = PLANTED_NAMES + ("VB6STKIT.DLL", "MSFLXGRD.OCX")

        def product(folder):
            shutil.copytree(PRODUCT_DIR / "LIB", folder / "LIB")
            shutil.copy(BUILD_DIR / "fixtures" / "table_6_0_81_69.dll", folder / "LIB" / "MSFLXGRD.ocx")
            (folder / "Install.ini").write_text("[APPLICATION]\r\nGruppo=G\r\nFolder=F\r\nName=N\r\n"
                                                "[LIB]\r\nUses1=MSFLXGRD.ocx\r\n")

        def close(session):
            session.wait_window("Quintaris Srl - Setup Wizard", 60)
            self.assertEqual(session.control("Quintaris Srl - Setup Wizard", control_id=101)["text"],
                             "Installazione del programma")
            session.probe("close", "Quintaris Srl - Setup Wizard")

        trace, planted = self.run_planted(PRODUCT_DIR / "Install.exe", close, names, product)
        self.assertIn("msflxgrd.ocx", trace.lower())
        self.assertIn("vb6stkit.dll", trace.lower())
        self.assertEqual(planted, [])

    def test_uninstaller_takes_the_shortcut_library_from_system32(self):
        names = PLANTED_NAMES + ("VB6STKIT.DLL",)

        def beside(folder):
            (folder / "install.ini").write_text("[APPLICATION]\r\nGruppo=G\r\nFolder=F\r\nName=N\r\n")
            shutil.copy(PRODUCT_DIR / "LIB" / "VB6STKIT.DLL", folder.parent / "windows" / SYSTEM_FOLDER)
            # An installation to remove: only then is "Procedi" offered.
            programs = folder.parent / "users" / WINE_USER / "AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
            (programs / "G" / "F").mkdir(parents=True)

        def proceed(session):
            session.wait_window("Quintaris - Uninstall Wizard", 60)
            session.click("Quintaris - Uninstall Wizard", "Procedi")
            session.wait_until(lambda: session.control("Quintaris - Uninstall Wizard", control_id=104)["visible"])
            session.probe("close", "Quintaris - Uninstall Wizard")

        trace, planted = self.run_planted(PRODUCT_DIR / "uninstall.exe", proceed, names, beside)
        self.assertIn("system32\\\\vb6stkit.dll", trace.lower())
        self.assertEqual(planted, [])

    def test_nubilux_loads_wininet_rasapi32_and_the_codecs_from_system32(self):
        picture = (Path(__file__).resolve().parents[2] / "res" / "sample" / "sat11.jpg").read_bytes()
        with proxy.FakeProxy(body=picture) as server:
            def automatic(folder):
                (folder / "Nubilux.ini").write_text("[Nubilux]\r\nAggiornamento=0\r\n")

            def update_and_close(session):
                session.wait_window("QuintarisMeteo", 60)
                bitmap = session.drive_c / "Downloads" / "NUBILUX.BMP"
                self.assertTrue(session.wait_until(bitmap.exists, 30))
                session.probe("close", "QuintarisMeteo")
                session.probe("answer", "Nubilux", "Yes", "15")

            trace, planted = self.run_planted(PRODUCT_DIR / "Nubilux.exe", update_and_close, prepare=automatic,
                                              env=server.env())
        for name in PLANTED_NAMES:
            self.assertRegex(trace.lower(), r'system32\\\\' + name.replace(".", r"\.") + '" at')
        self.assertEqual(planted, [])


if __name__ == "__main__":
    unittest.main()

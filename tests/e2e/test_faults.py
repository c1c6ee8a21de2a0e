"""The fault matrix: each fault injected into the real programs under Wine, with its
defined outcome checked and whether the user's data stayed intact. Prints a table
(fault, outcome, data intact) and the count at the end."""

import shutil
import subprocess
import time
import unittest

from support import pictures, product, proxy
from support.session import BUILD_DIR, WineSession
from test_nubilux import (AUTOMATIC, CAPTION, FIRST, HOSTS, LABEL1, MANUAL, UPDATE, NubiluxSession, bitmap_size, kind,
                          views)

# By distance from the place of the sessions' clock: Wine reads TZ=UTC as the first Windows
# zone without an offset or summer time, "Greenwich Standard Time", whose place is Reykjavik.
ALL_VIEWS = ["Meteosat", "GOES-East", "Meteosat-IODC", "GOES-West", "Himawari"]

FIXTURES = BUILD_DIR / "fixtures"
PREVIOUS = b"BM" + bytes(range(256)) * 16  # the bitmap of an earlier update, as far as these checks care
RESULTS = []


def record(fault, outcome, intact):
    RESULTS.append((fault, outcome, "yes" if intact else "NO"))


def tearDownModule():
    width = max(len(r[0]) for r in RESULTS) if RESULTS else 5
    print(f"\n{'fault'.ljust(width)} | data intact | outcome")
    for fault, outcome, intact in RESULTS:
        print(f"{fault.ljust(width)} | {intact.ljust(11)} | {outcome}")
    print(f"{len(RESULTS)} faults injected, {sum(r[2] == 'yes' for r in RESULTS)} with data intact")


class Downloads(unittest.TestCase):
    """An update in Manual mode over an earlier bitmap. A fault is at every source unless
    `rules` put it at some of them; a picture that is refused leaves the previous one."""

    def update(self, server_mode=proxy.SERVE, body=None, use_proxy=True, rules=(), trusted=True, stall=3,
               seconds=60):
        n = NubiluxSession(self, server_mode=server_mode, rules=rules, trusted=trusted)
        n.server.stall_seconds = stall
        if body is not None:
            n.server.body = body
        n.bitmap.write_bytes(PREVIOUS)
        env = n.env() if use_proxy else {}
        n.process = n.session.start(n.app / "Nubilux.exe", env=env)
        n.session.wait_window(CAPTION, 60)
        n.tips = n.session.watch_tray(CAPTION)
        before = n.wallpaper()
        n.update_and_wait(seconds)
        leftovers = [p.name for p in n.app.iterdir() if p.name.lower().endswith(".tmp")]
        self.assertEqual(leftovers, [])
        return n, before

    def kept(self, fault, outcome, label="11", reason=None, **kwargs):
        """reason: what the icon's tip then says went wrong, as the user reads it."""
        n, before = self.update(**kwargs)
        self.assertEqual(n.control(LABEL1)["text"], label)
        if reason:
            self.assertTrue(n.session.wait_until(lambda: n.tips and "failed" in n.tips[-1], 10), n.tips)
            self.assertTrue(n.tips[-1].endswith(": " + reason), n.tips[-1])
        intact = n.bitmap.read_bytes() == PREVIOUS and n.wallpaper() == before
        record(fault, outcome, intact)
        self.assertTrue(intact)
        return n

    def from_next_source(self, fault, rules, slots=1):
        """slots: how often the first layer is asked, at ever earlier slots, before the next."""
        n, _ = self.update(rules=rules)
        self.assertEqual([kind(u) for u in n.server.urls()], ["mtg_fd:rgb_geocolour"] * slots + ["mtg_fd:ir105_hrfi"])
        intact = bitmap_size(n.bitmap.read_bytes()) == pictures.SAMPLE_SIZE and \
            n.wallpaper() == "C:\\Nubilux\\NUBILUX.BMP"
        record(fault, "refused; the next source's picture became the wallpaper", intact)
        self.assertTrue(intact)

    def test_connection_refused(self):
        self.kept("download: connection refused", "every source failed (11); bitmap, wallpaper unchanged",
                  reason="no connection", server_mode=proxy.REFUSE)

    def test_dns_failure(self):
        self.kept("download: DNS failure", "every source failed (11); bitmap, wallpaper unchanged",
                  reason="no connection", use_proxy=False)

    def test_404_and_500(self):
        for mode in (proxy.NOT_FOUND, proxy.SERVER_ERROR):
            n = self.kept(f"download: {mode} at every source", "all five views tried, failed (11); bitmap unchanged",
                          server_mode=mode)
            self.assertEqual(views(n.server.urls()), ALL_VIEWS)
            n.close()

    def test_truncated_body(self):
        self.kept("download: truncated body", "failed (11); bitmap, wallpaper unchanged",
                  reason="the picture could not be used", server_mode=proxy.TRUNCATED)

    def test_hang_up_mid_body(self):
        self.kept("download: server hangs, then hangs up mid-body", "failed (11); bitmap unchanged",
                  server_mode=proxy.STALL)

    def test_100_mib_body(self):
        self.kept("download: 100 MiB body", "refused (11); bitmap unchanged", reason="the picture could not be used",
                  body=bytes(100 << 20))

    def test_not_a_picture(self):
        self.kept("download: HTML page with 200", "transfer done (12), refused; bitmap unchanged", label="12",
                  server_mode=proxy.GARBAGE)

    def test_xml_error_with_200(self):
        self.kept("download: map server's XML error with 200", "transfer done (12), refused; bitmap unchanged",
                  label="12", server_mode=proxy.XML_ERROR)

    def test_empty_body(self):
        self.kept("download: empty body", "refused; bitmap and wallpaper unchanged", label="12", body=b"")

    def test_certificate_not_trusted(self):
        n = self.kept("download: certificate from an unknown authority", "nothing accepted (11); bitmap unchanged",
                      reason="the server's certificate was refused", trusted=False)
        # Each picture tried once at its newest slot: a refused certificate is no missing slot.
        self.assertGreaterEqual(len(n.server.tunnels), 7)
        self.assertEqual({t.rsplit(":", 1)[0] for t in n.server.tunnels}, set(HOSTS))
        self.assertEqual(n.server.requests, [])

    def test_a_certificate_trusted_after_a_refusal_is_accepted_without_a_restart(self):
        # Each attempt is a new process, which reads the trusted roots afresh.
        n, _ = self.update(trusted=False)
        self.assertTrue(n.session.wait_until(lambda: n.tips and "failed" in n.tips[-1], 10), n.tips)
        self.assertTrue(n.tips[-1].endswith(": the server's certificate was refused"), n.tips[-1])
        self.assertEqual(n.bitmap.read_bytes(), PREVIOUS)
        n.session.trust_test_authority()
        n.update_and_wait(60)
        self.assertEqual(bitmap_size(n.bitmap.read_bytes()), pictures.SAMPLE_SIZE)
        self.assertEqual(n.wallpaper(), "C:\\Nubilux\\NUBILUX.BMP")

    def test_500_then_success(self):
        self.from_next_source("download: 500 at the first source's three slots", [(FIRST, proxy.SERVER_ERROR)], 3)

    def test_xml_then_success(self):
        self.from_next_source("download: XML error with 200 at the first source's three slots",
                              [(FIRST, proxy.XML_ERROR)], 3)

    def test_one_colour_then_success(self):
        self.from_next_source("download: an all-black picture at the first source", [(FIRST, pictures.one_colour())])

    def test_size_bomb_then_success(self):
        self.from_next_source("download: 161-byte JPEG declaring 9450 x 9450", [(FIRST, pictures.size_bomb())])

    def test_redirect_to_another_host(self):
        n, _ = self.update(server_mode=proxy.REDIRECT)
        self.assertEqual(n.server.urls()[-1], proxy.REDIRECT_TARGET)
        intact = bitmap_size(n.bitmap.read_bytes()) == pictures.SAMPLE_SIZE
        record("download: redirect to another host", "followed; the picture there became the wallpaper", intact)
        self.assertTrue(intact)

    def test_stall_then_trickle_end_by_the_deadlines(self):
        # The first source never answers, the second sends a byte every 2 s: each has its
        # minute, the update two; the window answers throughout.
        n = NubiluxSession(self, server_mode=proxy.TRICKLE, rules=[(FIRST, proxy.SILENT)])
        n.server.stall_seconds = 600
        n.bitmap.write_bytes(PREVIOUS)
        n.start()
        before = n.wallpaper()
        n.update()
        started, answered = time.monotonic(), []
        while not n.control(UPDATE)["enabled"] and time.monotonic() - started < 150:
            answered.append(n.answers())
            time.sleep(2)
        took = time.monotonic() - started
        self.assertEqual([kind(u) for u in n.server.urls()], ["mtg_fd:rgb_geocolour", "mtg_fd:ir105_hrfi"])
        intact = n.bitmap.read_bytes() == PREVIOUS and n.wallpaper() == before
        ok = intact and all(answered) and len(answered) > 20 and 115 < took < 130
        record("download: first source silent, second trickling",
               f"window answered {sum(answered)} of {len(answered)} pings; gave up after {took:.0f} s", ok)
        self.assertTrue(ok, (took, answered))
        self.assertEqual(n.control(LABEL1)["text"], "11")


class NubiluxFiles(unittest.TestCase):
    def test_program_folder_read_only(self):
        n = NubiluxSession(self)
        if subprocess.run(["chattr", "+i", str(n.app)], capture_output=True).returncode != 0:
            self.skipTest("this file system cannot make a folder read-only for root")
        self.addCleanup(subprocess.run, ["chattr", "-i", str(n.app)], capture_output=True)
        n.start()
        n.update_and_wait()
        fallback = next(n.session.drive_c.glob("users/*/AppData/Local/Nubilux/NUBILUX.BMP"), None)
        intact = fallback is not None and bitmap_size(fallback.read_bytes()) == pictures.SAMPLE_SIZE
        record("Nubilux: program folder read-only", "picture kept in %LOCALAPPDATA%\\Nubilux", intact)
        self.assertTrue(intact)
        self.assertTrue(n.wallpaper().endswith("\\AppData\\Local\\Nubilux\\NUBILUX.BMP"), n.wallpaper())

    def corrupt_ini(self, fault, text):
        n = NubiluxSession(self, mode_text=text)
        n.start()
        manual = n.control(MANUAL)["checked"] and not n.control(AUTOMATIC)["checked"]
        record(fault, "started in Manual mode", manual)
        self.assertTrue(manual)

    def test_ini_binary_garbage(self):
        self.corrupt_ini("Nubilux: Nubilux.ini of binary garbage", "\x00\x01\xff\xfe[Nub\x00ilux]\x07=\x08")

    def test_ini_long_line(self):
        self.corrupt_ini("Nubilux: Nubilux.ini with a 10,000-character line",
                         "[Nubilux]\r\nAggiornamento=" + "1" * 10000 + "\r\n")


class Installer(unittest.TestCase):
    def setUp(self):
        self.session = WineSession()
        self.addCleanup(self.session.close)
        self.setup = self.session.copy_product("C:\\Setup")
        self.system = self.session.system_folder

    def ini(self, lib="", name="Nubilux", first_run=""):
        text = (f"[APPLICATION]\r\nGruppo=Quintaris\r\nName={name}\r\nExecutable=Nubilux.exe\r\nFolder=Nubilux\r\n"
                f"PrimaEsecuzione={first_run}\r\n[LIB]\r\n{lib}")
        (self.setup / "Install.ini").write_text(text)

    def run_installer(self):
        labels = product.install(self.session, self.setup)
        self.session.probe("close", product.SETUP)
        self.session.window_gone(product.SETUP)
        return labels

    def log(self):
        return (self.setup / "Setup.LOG").read_bytes().decode("cp1252").splitlines()

    def deployment_log(self):
        """The log's lines from the first component on: after the folder and whose shortcuts."""
        return self.log()[2:]

    def test_missing_lib_file(self):
        self.ini("Uses1=MSINET.OCX\r\n")
        labels = self.run_installer()
        log = self.deployment_log()
        ok = "Errore: 2-" in log[1] and log[2].endswith("MSINET.OCX Register") and labels[0].startswith("Installazione")
        record("Install: a LIB file missing", "copy failure logged, installation went on", ok)
        self.assertTrue(ok, log)

    def test_destination_in_use(self):
        shutil.copy(FIXTURES / "table_6_0_81_69.dll", self.system / "MSFLXGRD.ocx")
        shutil.copy(FIXTURES / "table_6_0_88_62.dll", self.setup / "LIB" / "MSFLXGRD.ocx")
        before = (self.system / "MSFLXGRD.ocx").read_bytes()
        self.ini("Uses1=MSFLXGRD.ocx\r\n")
        self.session.start(BUILD_DIR / "tools" / "probe.exe", "hold", "C:\\windows\\system32\\MSFLXGRD.ocx", "30")
        time.sleep(1)
        self.run_installer()
        errors = [line for line in self.log() if " - Errore: " in line]
        intact = (self.system / "MSFLXGRD.ocx").read_bytes() == before
        record("Install: destination in use", "copy failure logged; installed copy unchanged", intact and bool(errors))
        self.assertTrue(intact and errors)

    def test_component_without_version_data(self):
        shutil.copy(FIXTURES / "table_noversion.dll", self.setup / "LIB" / "MSFLXGRD.ocx")
        self.ini("Uses1=MSFLXGRD.ocx\r\n")
        self.run_installer()
        ok = (self.system / "MSFLXGRD.ocx").read_bytes() == (FIXTURES / "table_noversion.dll").read_bytes()
        record("Install: a component without version data", "copied and registered", ok)
        self.assertTrue(ok)

    def test_component_whose_entry_fails(self):
        shutil.copy(FIXTURES / "bare_1_0_0_0.dll", self.setup / "LIB" / "FLASH.OCX")
        self.ini("Uses1=FLASH.OCX\r\n")
        labels = self.run_installer()
        log = self.deployment_log()
        ok = "Errore: 127-" in log[2] and (self.system / "FLASH.OCX").exists() and labels[0].startswith("Install")
        record("Install: a component's entry missing", "failure logged; file stays; installation went on", ok)
        self.assertTrue(ok, log)

    def test_log_not_writable(self):
        (self.setup / "Setup.LOG").mkdir()  # as on a read-only medium: no Setup.LOG can be made here
        self.ini()
        labels = self.run_installer()
        moved = next(self.session.drive_c.glob("users/*/Temp/Setup.LOG"), None)  # %TEMP% under Wine
        lines = moved.read_bytes().decode("cp1252").splitlines() if moved else []
        ok = labels == ("Installazione del programma", "Nubilux") and (self.system / "VB6STKIT.DLL").exists() and \
            len(lines) > 1 and " - Errore: " in lines[0] and lines[0].endswith("C:\\Setup\\Setup.LOG") and \
            (self.session.programs_folder / "Quintaris" / "Nubilux" / "Nubilux.lnk").exists()
        record("Install: Setup.LOG not writable beside the installer",
               "log in the user's temporary folder, saying why; installed as usual", ok)
        self.assertTrue(ok, (labels, lines[:2]))

    def test_description_of_binary_garbage(self):
        (self.setup / "Install.ini").write_bytes(bytes(range(256)) * 4)
        labels = self.run_installer()
        ok = labels[0] == "Attenzione!!" and (self.system / "VB6STKIT.DLL").exists()
        record("Install: Install.ini of binary garbage", "library deployed, window warns", ok)
        self.assertTrue(ok, labels)

    def test_description_with_a_10000_character_value(self):
        # Read as its first 254 characters (the profile reader's tests show the cut), a name
        # too long for a shortcut's path: the shortcut the library could not make is a
        # failure, said, never claimed as made.
        self.ini(name="N" * 10000)
        labels = self.run_installer()
        log = self.log()
        ok = labels[0] == "Attenzione!!" and log[-1].endswith("Installazione non riuscita: collegamenti non creati")
        record("Install: a 10,000-character value", "its shortcut cannot be made: warned, not claimed", ok)
        self.assertTrue(ok, (labels, log[-3:]))

    def test_description_with_100_uses_keys(self):
        for n in range(1, 101):
            shutil.copy(FIXTURES / "bare_1_0_0_0.dll", self.setup / "LIB" / f"C{n}.DLL")
        self.ini("".join(f"Uses{n}=C{n}.DLL\r\n" for n in range(1, 101)))
        labels = self.run_installer()
        copies = [line for line in self.log() if " - copy " in line]
        ok = len(copies) == 100 and not any("VB6STKIT" in line for line in self.log()) and labels[0] == "Attenzione!!"
        record("Install: 100 Uses keys", "100 files deployed, the shortcut library not: window warns", ok)
        self.assertTrue(ok)

    def test_users_shell_cannot_start_the_first_run_program(self):
        # The elevated installer asks the user's shell; here the shell's proxies are gone.
        self.ini(first_run="Nubilux.exe")
        product.install(self.session, self.setup,
                        {"WINEDLLOVERRIDES": self.session.env["WINEDLLOVERRIDES"] + ";actxprxy=d"})
        self.session.click(product.SETUP, "Installazione Terminata")
        message = self.session.wait_until(
            lambda: "avviarlo dal menu Start" in self.session.probe("list", product.SETUP)[1], 15)
        answered = self.session.probe("answer", product.SETUP, "OK", "15")[0] == 0
        started = self.session.probe("wait", product.NUBILUX, "3")[0] == 0
        ok = message and answered and not started
        record("Install: the user's shell cannot start the first-run program",
               "not started with the installer's rights; a message says so and why", ok)
        self.assertTrue(ok)

    def test_first_run_command_missing(self):
        self.ini(first_run="C:\\nowhere\\missing.exe")
        product.install(self.session, self.setup)
        self.session.click(product.SETUP, "Installazione Terminata")
        answered = self.session.probe("answer", product.SETUP, "OK", "15")[0] == 0
        gone = self.session.window_gone(product.SETUP)
        record("Install: PrimaEsecuzione names a missing program", "a message names the error; installer ends",
               answered and gone)
        self.assertTrue(answered and gone)


class Uninstaller(unittest.TestCase):
    def setUp(self):
        self.session = WineSession()
        self.addCleanup(self.session.close)
        self.app = product.unpack(self.session)
        product.install(self.session, self.app)
        self.session.probe("close", product.SETUP)
        self.session.window_gone(product.SETUP)
        self.menu = self.session.programs_folder / "Quintaris" / "Nubilux"

    def proceed(self):
        self.session.start(self.app / "uninstall.exe")
        self.session.wait_window(product.UNINSTALL, 60)
        self.session.click(product.UNINSTALL, "Procedi")
        self.assertTrue(self.session.wait_until(
            lambda: self.session.control(product.UNINSTALL, control_id=104)["visible"]))
        return (self.session.control(product.UNINSTALL, control_id=103)["text"],
                self.session.control(product.UNINSTALL, control_id=105)["text"])

    def test_shortcut_library_missing(self):
        (self.session.system_folder / "VB6STKIT.DLL").unlink()
        status, reason = self.proceed()
        ok = status == "Rimozione di Nubilux non completata." and reason and (self.menu / "Nubilux.lnk").exists()
        record("Uninstall: the shortcut library missing", "says it did not complete, and why; nothing removed", ok)
        self.assertTrue(ok)

    def test_program_folder_holds_a_users_file(self):
        (self.menu / "Note.txt").write_text("mine")
        status, reason = self.proceed()
        ok = status == "Rimozione di Nubilux non completata." and (self.menu / "Note.txt").read_text() == "mine"
        record("Uninstall: the program's folder holds a user's file", "stops there and says why; the file stays", ok)
        self.assertTrue(ok)

    def cannot_tell(self, fault, reason):
        self.session.start(self.app / "uninstall.exe")
        self.session.wait_window(product.UNINSTALL, 60)
        texts = {c["id"]: (c["text"], c["visible"]) for c in self.session.window(product.UNINSTALL)["controls"]}
        ok = texts[103] == ("Impossibile stabilire cosa rimuovere.", True) and texts[105] == (reason, True) and \
            texts[104][1] and not texts[100][1] and (self.menu / "Nubilux.lnk").exists()
        record(fault, "says it cannot tell what to remove, and why, naming the file; removes nothing", ok)
        self.assertTrue(ok, texts)

    def test_description_missing(self):
        (self.app / "Install.ini").unlink()
        self.cannot_tell("Uninstall: install.ini missing",
                         f"Manca il file {product.APP_FOLDER}\\install.ini, che descrive l'installazione.")

    def test_description_not_matching(self):
        ini = (self.app / "Install.ini").read_text().replace("Folder=Nubilux", "Folder=Meteo")
        (self.app / "Install.ini").write_text(ini)
        self.cannot_tell("Uninstall: install.ini describes another installation",
                         f"Nulla di quanto descritto nel file {product.APP_FOLDER}\\install.ini risulta installato "
                         "per questo utente.")

if __name__ == "__main__":
    unittest.main()

#!/usr/bin/env python3
"""pendrix-cli status and prune under Wine, against the real registry.

Each restart signal is written as Windows and its installers write it (with
Wine's own reg.exe), alone, and status must name it and exit 3010; the
pending list is written as another program writes it (RegSetValueExW) with
entries that take effect, have none, or are never reached; prune's backup
is put back with the real `reg import` and must give the value byte for
byte.

Usage: status_wine_test.py PENDRIX_CLI.exe CLI_TEST_HELPER.exe (WINEPREFIX set)
"""
import json
import os
import re
import sys
import unittest

import cli_wine_test as base
from cli_wine_test import cli, stored, value, set_value, wine, win, write, FOLDER, RESTART

HKLM = "HKEY_LOCAL_MACHINE\\"
SERVICING = HKLM + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing"
UPDATE_AGENT = HKLM + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update"
COMPUTER_NAME = HKLM + "SYSTEM\\CurrentControlSet\\Control\\ComputerName"
NETLOGON = HKLM + "SYSTEM\\CurrentControlSet\\Services\\Netlogon"

# Each signal as status names it, and the reg.exe commands that write it as
# Windows does (a key, or a value of the type Windows gives it).
SIGNALS = [
    ("Component Based Servicing RebootPending", [["add", SERVICING + "\\RebootPending", "/f"]]),
    ("Component Based Servicing RebootInProgress", [["add", SERVICING + "\\RebootInProgress", "/f"]]),
    ("Component Based Servicing PackagesPending", [["add", SERVICING + "\\PackagesPending", "/f"]]),
    ("Windows Update RebootRequired", [["add", UPDATE_AGENT + "\\RebootRequired", "/f"]]),
    ("Windows Update PostRebootReporting", [["add", UPDATE_AGENT + "\\PostRebootReporting", "/f"]]),
    ("Updates UpdateExeVolatile",
     [["add", HKLM + "SOFTWARE\\Microsoft\\Updates", "/v", "UpdateExeVolatile", "/t", "REG_DWORD", "/d", "1", "/f"]]),
    ("pending computer rename",
     [["add", COMPUTER_NAME + "\\ActiveComputerName", "/v", "ComputerName", "/t", "REG_SZ", "/d", "PENDRIXNOW", "/f"],
      ["add", COMPUTER_NAME + "\\ComputerName", "/v", "ComputerName", "/t", "REG_SZ", "/d", "PENDRIXNEXT", "/f"]]),
    ("pending domain join (JoinDomain)",
     [["add", NETLOGON, "/v", "JoinDomain", "/t", "REG_SZ", "/d", "corp.example", "/f"]]),
    ("pending domain join (AvoidSpnSet)",
     [["add", NETLOGON, "/v", "AvoidSpnSet", "/t", "REG_DWORD", "/d", "1", "/f"]]),
    ("RunOnce DVDRebootSignal",
     [["add", HKLM + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "/v", "DVDRebootSignal", "/t",
       "REG_BINARY", "/d", "02000000", "/f"]]),
    ("Server Manager CurrentRebootAttempts",
     [["add", HKLM + "SOFTWARE\\Microsoft\\ServerManager", "/v", "CurrentRebootAttempts", "/t", "REG_DWORD", "/d",
       "1", "/f"]]),
]


# The signals Microsoft documents (PowerShell DSC's PendingReboot resource).
DOCUMENTED = {"Component Based Servicing RebootPending", "Windows Update RebootRequired", "pending computer rename"}


def reg(*args):
    code, out, err = wine("reg", *args)
    return code, out.decode("utf-8", "replace")


def query(key, name):
    """A REG_SZ value's text, or None."""
    code, out = reg("query", key, "/v", name)
    match = re.search(re.escape(name) + r"\s+REG_SZ\s+(\S*)", out)
    return match.group(1) if code == 0 and match else None


def undo(command):
    """Deletes what a reg add of command made, or puts back the name it changed."""
    key = command[1]
    if "/v" not in command:
        reg("delete", key, "/f")
    else:
        reg("delete", key, "/v", command[command.index("/v") + 1], "/f")


def status_json():
    code, out, err = cli("status", "--json")
    report = json.loads(out)
    return code, report, err


def linux_of(windows_name):
    """The Linux path of a Z:\\ or C:\\ name."""
    if windows_name[:2].upper() == "Z:":
        return windows_name[2:].replace("\\", "/")
    return os.path.join(base.PREFIX, "drive_c", windows_name[3:].replace("\\", "/"))


class StatusTest(unittest.TestCase):
    def setUp(self):
        base.shutil.rmtree(FOLDER, ignore_errors=True)
        os.makedirs(FOLDER)
        set_value(None)
        self.names = [(COMPUTER_NAME + k, query(COMPUTER_NAME + k, "ComputerName")) for k in
                      ("\\ActiveComputerName", "\\ComputerName")]
        self.same_computer_names()

    def same_computer_names(self):
        """The computer's name now and at the next start are the same."""
        name = self.names[1][1] or "PENDRIXHOST"
        for key, _ in self.names:
            reg("add", key, "/v", "ComputerName", "/t", "REG_SZ", "/d", name, "/f")

    def tearDown(self):
        set_value(None)
        for key, old in self.names:
            if old is None:
                reg("delete", key, "/v", "ComputerName", "/f")
            else:
                reg("add", key, "/v", "ComputerName", "/t", "REG_SZ", "/d", old, "/f")

    def test_each_signal_alone_needs_a_restart(self):
        code, report, err = status_json()
        self.assertEqual((code, report["exitCode"], report["restartNeeded"]), (0, 0, False), err)
        # Wine has no Configuration Manager client: its namespace does not exist.
        client = report["signals"][-1]
        self.assertEqual((client["name"], client["key"], client["state"], client["documented"]),
                         ("Configuration Manager client", "WMI root\\ccm\\ClientSDK", "absent", True))
        for name, commands in SIGNALS:
            documented = name in DOCUMENTED
            with self.subTest(signal=name):
                for command in commands:
                    self.assertEqual(reg(*command)[0], 0, command)
                try:
                    code, report, err = status_json()
                    self.assertEqual((code, report["exitCode"]), (RESTART, RESTART), err)
                    present = [s["name"] for s in report["signals"] if s["state"] == "present"]
                    self.assertEqual(present, [name])
                    self.assertEqual([s["documented"] for s in report["signals"] if s["name"] == name], [documented])
                    self.assertEqual(report["causes"], [name])
                    code, out, err = cli("status")
                    self.assertEqual(code, RESTART)
                    column = "documented  " if documented else "community   "
                    self.assertIn("\n" + column + name + ": a restart is pending", out)
                    self.assertTrue(out.splitlines()[-1].startswith("A restart is needed: " + name), out)
                    # Judged by the documented signals alone.
                    code, out, err = cli("status", "--documented-only")
                    self.assertEqual(code, RESTART if documented else 0, out)
                finally:
                    if name == "pending computer rename":
                        self.same_computer_names()
                    else:
                        for command in commands:
                            undo(command)

    def test_entries_judged_in_order(self):
        write("app.dll", "old")
        write("new.dll", "new")
        set_value(stored("\\??\\" + win("gone.tmp"), "",
                         "\\??\\" + win("missing.dll"), "!\\??\\" + win("app.dll"),
                         "", "", "\\??\\" + win("app.dll"), ""))
        code, out, err = cli("status")
        self.assertEqual(code, 0, err)
        self.assertIn("1 delete \"%s\": no effect (the file does not exist)" % win("gone.tmp"), out)
        self.assertIn(": never reached (it lies after an empty first string", out)
        self.assertEqual(out.splitlines()[-1], "No restart is needed: 3 pending file operations can have no effect "
                                               "or are never reached (prune withdraws those with no effect).")
        set_value(stored("\\??\\" + win("gone.tmp"), "", "\\??\\" + win("new.dll"), "!\\??\\" + win("app.dll"),
                         "\\??\\" + win("app.dll"), "\\??\\" + win("moved.dll")))
        code, report, err = status_json()
        self.assertEqual((code, report["exitCode"]), (RESTART, RESTART), err)
        self.assertEqual([(e["effect"], e["reason"]) for e in report["entries"]],
                         [("no-effect", "source-missing"), ("effective", "source-exists"),
                          ("effective", "source-from-earlier-entry")])
        self.assertEqual(report["causes"], ["pending file operations"])

    def test_prune_backup_goes_back_with_reg_import(self):
        write("app.dll", "old")
        write("new.dll", "new")
        kept = ["\\??\\" + win("new.dll"), "!\\??\\" + win("app.dll")]
        # Names long enough for regedit's wrapped lines, one in Cyrillic.
        gone = ["\\??\\" + win("Данные-" + "x" * 60 + ".tmp"), "", "\\??\\" + win("gone.tmp"), "!\\??\\" + win("b")]
        original = stored(*(gone[:2] + kept + gone[2:]))
        set_value(original)
        backup = os.path.join(FOLDER, "backup.reg")
        code, out, err = cli("prune", "--backup", win("backup.reg"), "--dry-run")
        self.assertEqual((code, value()), (0, original), err)
        self.assertFalse(os.path.exists(backup))
        self.assertIn("Would withdraw 2 entries that can have no effect; 1 entry stays. Nothing was changed.", out)

        code, out, err = cli("prune", "--backup", win("backup.reg"))
        self.assertEqual(code, 0, err)
        self.assertEqual(value(), stored(*kept))
        self.assertIn('Saved the list to "%s"' % win("backup.reg"), out)
        with open(backup, "rb") as f:
            data = f.read()
        self.assertTrue(data.startswith(b"\xff\xfe" + "Windows Registry Editor Version 5.00\r\n".encode("utf-16-le")))
        self.assertTrue(all(len(line) <= 80 for line in data[2:].decode("utf-16-le").split("\r\n")))

        # Never over a file that exists.
        code, out, err = cli("prune", "--backup", win("backup.reg"))
        self.assertEqual(code, 0, err)  # nothing left to withdraw
        set_value(original)
        code, out, err = cli("prune", "--backup", win("backup.reg"))
        self.assertEqual((code, value()), (80, original), err)
        set_value(stored(*kept))

        self.assertEqual(reg("import", base.windows_path(backup))[0], 0)
        self.assertEqual(value(), original)

    def test_prune_names_its_own_backup(self):
        set_value(stored("\\??\\" + win("gone.tmp"), ""))
        code, out, err = cli("prune", "--json")
        self.assertEqual(code, 0, err)
        report = json.loads(out)
        self.assertEqual(report["exitCode"], 0)
        self.assertRegex(report["backup"], r"\\pendrix-backup-\d{8}-\d{6}\.reg$")
        path = linux_of(report["backup"])
        try:
            self.assertTrue(os.path.exists(path), path)
            self.assertIsNone(value())
        finally:
            if os.path.exists(path):
                os.remove(path)


if __name__ == "__main__":
    base.CLI, base.HELPER = sys.argv[1:3]
    unittest.main(argv=sys.argv[:1], verbosity=2)

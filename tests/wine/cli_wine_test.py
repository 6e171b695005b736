#!/usr/bin/env python3
"""pendrix-cli.exe under Wine, run as a deployment script runs it.

Each test runs the tool through cli_test_helper.exe, which hands on its
standard handles and records its whole exit code, and checks what it printed,
its exit code and the bytes of PendingFileRenameOperations, read back with
RegQueryValueExW. JSON output is read with Python's json module.

Usage: cli_wine_test.py PENDRIX_CLI.exe CLI_TEST_HELPER.exe TEST_LIBRARY_V1.dll TEST_LIBRARY_V2.dll
       (WINEPREFIX set; file_holder.exe beside the helper)
"""
import datetime
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from concurrent.futures import ThreadPoolExecutor

CLI = HELPER = LIBRARY = LIBRARY_V2 = None
PREFIX = os.environ.get("WINEPREFIX", "")
FOLDER = os.path.join(PREFIX, "drive_c", "pendrix_cli_test")
WIN_FOLDER = "C:\\pendrix_cli_test"
CODE_FILE = os.path.join(FOLDER, "exit_code.txt")

USAGE, SAME_FILE, NO_SUCH_ENTRY, ACCESS_DENIED, RESTART, INVALID_DATA = 87, 160, 1168, 5, 3010, 13
NOT_FOUND, PATH_NOT_FOUND, INVALID_NAME, BAD_PATHNAME, DIR_NOT_EMPTY, IS_FOLDER = 2, 3, 123, 161, 145, 336
FILETIME_OF_UNIX_EPOCH = 116_444_736_000_000_000  # 1970-01-01 in 100 ns since 1601-01-01
# How holders ends under Wine, which cannot give the system's handle table safely.
WINE_HANDLES_NOTE = ("Note: this system (Wine) cannot list the open handles of all processes safely, so open files "
                     "were looked for among the first 4096 handles of each process: a program that holds the file "
                     "behind a longer gap of closed handles is not found.\r\n")


def windows_path(linux_path):
    return "Z:" + os.path.abspath(linux_path).replace("/", "\\")


def stored(*strings, closing="\0"):
    """A value's data: each string with its NUL, then the closing NUL."""
    return ("".join(s + "\0" for s in strings) + closing).encode("utf-16-le", "surrogatepass")


def wine(*args, data=None, timeout=None):
    """Runs a Windows program; its exit status, standard output and standard
    error. The output goes through files, not pipes: a service that Wine
    starts on the way would keep a pipe open after the program has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        result = subprocess.run(["wine", *args], input=data, stdout=out, stderr=err, check=False, timeout=timeout)
        out.seek(0)
        err.seek(0)
        return result.returncode, out.read(), err.read()


def helper(*args, data=None):
    return wine(HELPER, *args, data=data)


NO_VALUE, NOT_MULTI_SZ = 2, 1804


def recorded(*args, data=None):
    """Runs the helper with CODE_FILE as its first argument after the command,
    where it records its whole result, then the process ids of the holders it
    started; that result, standard output, standard error and those ids.
    Wine, loaded by other tests, now and then fails to start the helper at
    all: nothing has run then, so it runs once more."""
    command = (args[0], WIN_FOLDER + "\\exit_code.txt", *args[1:])
    for attempt in range(2):
        if os.path.exists(CODE_FILE):
            os.remove(CODE_FILE)
        status, out, err = helper(*command, data=data)
        if os.path.exists(CODE_FILE):
            with open(CODE_FILE) as f:
                lines = f.read().split("\n")
            pids = [int(pid) for pid in lines[1].split()] if len(lines) > 1 else []
            return int(lines[0]), status, out, err, pids
        sys.stderr.write("the helper did not start (%d: %r); once more\n" % (status, err[-300:]))
    raise AssertionError("the helper could not run: %d %r" % (status, err[-300:]))


def value(value_type=7):
    """The value's bytes, or None when there is none. It must be
    REG_MULTI_SZ (value_type 7), or of another type for any other value_type."""
    code, _, out, err, _ = recorded("get")
    if code == NO_VALUE:
        return None
    assert code in (0, NOT_MULTI_SZ), "the value could not be read: %d %r" % (code, err[-300:])
    assert (code == 0) == (value_type == 7), "the value is %sREG_MULTI_SZ" % ("not " if code else "")
    return out


def set_value(data, value_type=7):
    """Stores data as the value, of value_type (None: no value). Storing twice
    is harmless, so a helper that Wine failed to start is run once more."""
    command = ("clear",) if data is None else ("set", str(value_type))
    status = helper(*command, data=data)[0]
    if status != 0:
        status = helper(*command, data=data)[0]
    assert status == 0, "the value could not be %s: %d" % ("deleted" if data is None else "stored", status)


def value2():
    """PendingFileRenameOperations2's bytes, or None when there is none."""
    code, _, out, err, _ = recorded("get2")
    if code == NO_VALUE:
        return None
    assert code == 0, "the second value could not be read: %d %r" % (code, err[-300:])
    return out


def set_value2(data):
    """Stores data as PendingFileRenameOperations2 (None: no value), unit for
    unit, as Windows 10 and 11 write it."""
    command = ("clear2",) if data is None else ("set2", "7")
    status = helper(*command, data=data)[0]
    if status != 0:
        status = helper(*command, data=data)[0]
    assert status == 0, "the second value could not be changed: %d" % status


STARTUP_LOG = os.path.join(PREFIX, "drive_c", "windows", "PFRO.log")


def write_startup_log(lines, encoding="utf-16-le"):
    """PFRO.log in the prefix's Windows folder, as Windows writes it: UTF-16 LE
    after its mark, a line per failure ended by CR LF."""
    data = "".join(line + "\r\n" for line in lines).encode(encoding)
    with open(STARTUP_LOG, "wb") as f:
        f.write((b"\xff\xfe" if encoding == "utf-16-le" else b"") + data)


def log_time(when):
    """A local time as the log writes it: month/day/year, 24-hour clock."""
    return when.strftime("%m/%d/%Y %H:%M:%S")


def cli(*args, hold=None, refused=False):
    """Runs the tool (with hold kept in use, and with writes to the Session
    Manager key refused); its exit code, standard output and standard error."""
    return cli_holding(*args, hold=[hold] if hold else [], refused=refused)[:3]


def cli_holding(*args, hold=(), exclusive=(), load=(), refused=False):
    """Runs the tool while each path of hold is kept open, each of exclusive
    kept unreadable to others and each of load loaded as a DLL, each by a
    process of its own; its exit code, standard output and standard error,
    and the process ids of the holders, in that order."""
    held = [option for path in hold for option in ("--hold", path)]
    held += [option for path in exclusive for option in ("--exclusive", path)]
    held += [option for path in load for option in ("--load", path)]
    held += ["--refused"] if refused else []
    code, status, out, err, pids = recorded("run", *held, windows_path(CLI), *args)
    assert status == 0, "the helper could not run the tool: %d %r" % (status, err[-300:])
    return code, out.decode("utf-8"), err.decode("utf-8"), pids


class LoadedLibrary:
    """A program that keeps running with path loaded as a DLL (or, how "open",
    open), started from here so that it outlives the tool's runs; its
    process id as holders finds it."""

    def __init__(self, path, how="load"):
        holder = os.path.join(os.path.dirname(HELPER), "file_holder.exe")
        start = lambda: subprocess.Popen(["wine", holder, path, "PendrixHeld" + how, how],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.process = start()
        deadline = time.monotonic() + 60
        self.pid = None
        restarted = False
        while self.pid is None:
            # 5: its window to learn of the session's end could not be made
            # (Wine, busy with other programs); that is tried once more.
            if self.process.poll() == 5 and not restarted:
                self.process, restarted = start(), True
            assert self.process.poll() is None, "the program loading %s ended: %d" % (path, self.process.returncode)
            assert time.monotonic() < deadline, "nobody came to hold " + path
            holders = json.loads(cli("holders", path, "--json")[1])["holders"]
            self.pid = holders[0]["processId"] if holders else None

    def running(self):
        return self.process.poll() is None

    def end(self):
        self.process.kill()
        self.process.wait()


def short_name(path):
    status, out, _ = helper("short", path)
    assert status == 0, "no short name for %s: %d" % (path, status)
    return out.decode("utf-8")


def win(name):
    return WIN_FOLDER + "\\" + name


def linux(name):
    return os.path.join(FOLDER, name)


def write(name, text):
    with open(linux(name), "w") as f:
        f.write(text)


def stamp(name):
    """A file's size and last-write time as list --json writes them."""
    status = os.stat(linux(name))
    ticks = status.st_mtime_ns // 100 + FILETIME_OF_UNIX_EPOCH
    seconds, fraction = divmod(ticks, 10_000_000)
    written = datetime.datetime(1601, 1, 1) + datetime.timedelta(seconds=seconds)
    return status.st_size, written.strftime("%Y-%m-%dT%H:%M:%S") + ".%07dZ" % fraction


def read(name):
    with open(linux(name)) as f:
        return f.read()


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


# Another program's list: names in several scripts and one holding a lone
# surrogate, which Windows allows in a file name.
CYRILLIC = "C:\\Данные\\отчёт.txt"
CJK = "C:\\数据\\文件.dll"
EMOJI = "C:\\emoji\\😀.log"
SURROGATE = "C:\\odd\\a\ud800b.txt"
FOREIGN = ["\\??\\" + CYRILLIC, "!\\??\\" + CJK, "\\??\\" + EMOJI, "", "\\??\\" + SURROGATE, "\\??\\C:\\odd\\c.txt"]
# A surplus NUL after a deletion: the start-up processing stops there.
GAP = ["\\??\\" + win("a.txt"), "", "", "\\??\\" + win("c.txt"), "!\\??\\" + win("d.txt")]
# Without its closing NUL: the start-up processing ignores the whole value.
UNCLOSED = ["\\??\\" + win("a.txt"), "!\\??\\" + win("b.txt")]


class ConsoleToolTest(unittest.TestCase):
    def setUp(self):
        shutil.rmtree(FOLDER, ignore_errors=True)
        os.makedirs(FOLDER)
        set_value(None)

    def tearDown(self):
        set_value(None)
        if os.path.exists(STARTUP_LOG):
            os.remove(STARTUP_LOG)

    def assertFailureLine(self, stderr, *words):
        lines = stderr.splitlines()
        self.assertEqual(len(lines), 1, stderr)
        self.assertTrue(lines[0].startswith("pendrix-cli: "), stderr)
        for word in words:
            self.assertIn(word, lines[0])

    def test_bad_usage_changes_nothing(self):
        set_value(stored(*GAP))
        for args in ([], ["bogus"], ["list", "--at-restart"], ["replace", "", "b"], ["remove", "0"], ["verify"],
                     ["holders"], ["holders", "a", "b"], ["holders", "a", "--at-restart"],
                     ["replace", "a", "b", "--move-aside", "--at-restart"]):
            with self.subTest(args=args):
                code, out, err = cli(*args)
                self.assertEqual((code, out), (USAGE, ""))
                self.assertFailureLine(err)
        self.assertEqual(value(), stored(*GAP))
        for flag in ("--help", "-h", "/?"):
            code, out, err = cli(flag)
            self.assertEqual((code, err), (0, ""))
            self.assertIn("Usage: pendrix-cli", out)
            self.assertIn("3010", out)

    def test_list_of_another_program_as_text_and_json(self):
        set_value(stored(*FOREIGN))
        code, out, err = cli("list")
        self.assertEqual((code, err), (0, ""))
        missing = "  warning: the source does not exist now"
        self.assertEqual(out.split("\r\n"), [
            '1 v1 replace "%s" -> "%s"' % (CYRILLIC, CJK), missing,
            '2 v1 delete "%s"' % EMOJI, missing,
            '3 v1 rename "%s" -> "C:\\odd\\c.txt"' % SURROGATE.replace("\ud800", "<U+D800>"), missing, ""])

        code, out, err = cli("list", "--json")
        self.assertEqual((code, err), (0, ""))
        self.assertTrue(out.isascii())
        document = json.loads(out)
        self.assertEqual((document["exists"], document["closedProperly"]), (True, True))
        entries = document["entries"]
        self.assertEqual([(e["first"], e["second"]) for e in entries],
                         [(FOREIGN[0], FOREIGN[1]), (FOREIGN[2], FOREIGN[3]), (FOREIGN[4], FOREIGN[5])])
        self.assertEqual([(e["number"], e["kind"], e["source"], e["destination"]) for e in entries],
                         [(1, "replace", CYRILLIC, CJK), (2, "delete", EMOJI, None),
                          (3, "rename", SURROGATE, "C:\\odd\\c.txt")])
        self.assertIn("\\ud800", out)
        for e in entries:
            self.assertEqual((e["reached"], e["sourceExists"], e["warnings"]), (True, False, ["source-missing"]))

        # A name no file can have (the file system answers 123, not "not
        # found"): whether it exists is unknown, and it is not called missing.
        set_value(stored("\\??\\" + win("a*b.txt"), ""))
        code, out, err = cli("list", "--json")
        self.assertEqual((code, err), (0, ""))
        self.assertEqual([(e["sourceExists"], e["warnings"]) for e in json.loads(out)["entries"]], [(None, [])])

    def test_many_names_in_one_folder_answer_as_one_by_one(self):
        # Enough names in one folder for it to be listed once: the answers
        # must be those the file system gives name by name, letter case
        # ignored, the first name missing; with each file's size and
        # last-write time.
        present = ["Lib%02d.dll" % i for i in range(1, 24, 2)]
        for i, name in enumerate(present):
            write(name, "x" * i)
        names = ["Lib%02d.dll" % i for i in range(24)]
        spelt = [name.upper() if i % 3 == 0 else name for i, name in enumerate(names)]
        set_value(stored(*[s for name in spelt for s in ("\\??\\" + win(name), "")]))
        code, out, err = cli("list", "--json")
        self.assertEqual((code, err), (0, ""))
        entries = json.loads(out)["entries"]
        self.assertEqual([e["sourceExists"] for e in entries], [name in present for name in names])
        self.assertEqual([(e["sourceSize"], e["sourceLastWrite"]) for e in entries],
                         [stamp(name) if name in present else (None, None) for name in names])

    def test_verify_a_listing_as_windows_powershell_saves_it_or_none(self):
        set_value(stored(*FOREIGN))
        listing = cli("list", "--json")[1]
        with open(linux("before.json"), "wb") as f:
            f.write(b"\xff\xfe" + listing.encode("utf-16-le"))  # what ">" writes there
        code, out, err = cli("verify", win("before.json"))
        self.assertEqual((code, err), (RESTART, ""))
        self.assertTrue(out.endswith("\r\nSummary: 0 carried out, 0 not carried out, 3 still pending, "
                                     "0 never reached.\r\n"), out)
        write("other.json", '{"entries": []}')
        for name, expected in (("other.json", INVALID_DATA), ("absent.json", NOT_FOUND)):
            code, out, err = cli("verify", win(name))
            self.assertEqual((code, out), (expected, ""))
            self.assertFailureLine(err, "nothing was verified")

    @unittest.skipUnless(os.environ.get("DISPLAY"), "Wine shows a console in a window: needs a display")
    def test_console_window_shows_every_name(self):
        set_value(stored(*FOREIGN))
        status, _, _ = helper("console", WIN_FOLDER + "\\screen.txt", windows_path(CLI), "list")
        self.assertEqual(status, 0)
        with open(linux("screen.txt"), encoding="utf-8") as f:
            code, *rows = f.read().split("\n")
        missing = "  warning: the source does not exist now"
        # The console shows a lone surrogate as the replacement character.
        self.assertEqual((code, rows), ("0", [
            '1 v1 replace "%s" -> "%s"' % (CYRILLIC, CJK), missing, '2 v1 delete "%s"' % EMOJI, missing,
            '3 v1 rename "%s" -> "C:\\odd\\c.txt"' % SURROGATE.replace("\ud800", "<U+D800>"), missing, ""]))

    def test_list_of_absent_and_damaged_values(self):
        write("a.txt", "a")
        cases = [
            (None, "Nothing is pending: PendingFileRenameOperations does not exist.\r\n", False, True, []),
            (b"", "Nothing is pending: PendingFileRenameOperations holds no entry.\r\n", True, False, []),
            (stored(*GAP), '1 v1 delete "%s"\r\n2 v1 replace "%s" -> "%s"\r\n' % (win("a.txt"), win("c.txt"), win("d.txt")) +
             "  warning: the source does not exist now\r\n"
             "  warning: never carried out: it lies after an empty first string, where the start-up processing "
             "stops\r\n", True, True, [(True, []), (False, ["source-missing", "after-empty-string"])]),
            (stored(*UNCLOSED, closing=""), "Warning: the list does not end with two NULs: the start-up processing "
             'carries out none of it.\r\n1 v1 replace "%s" -> "%s"\r\n' % (win("a.txt"), win("b.txt")) +
             "  warning: never carried out: the list does not end with two NULs, so the start-up processing ignores "
             "it\r\n", True, False,
             [(False, ["not-closed"])]),
        ]
        for data, text, exists, closed, entries in cases:
            with self.subTest(data=data):
                set_value(data)
                self.assertEqual(cli("list"), (0, text, ""))
                code, out, _ = cli("list", "--json")
                document = json.loads(out)
                self.assertEqual((code, document["exists"]), (0, exists))
                if entries:
                    self.assertEqual(document["closedProperly"], closed)
                self.assertEqual([(e["reached"], e["warnings"]) for e in document["entries"]], entries)
                self.assertEqual(value(), data)

    def test_scheduling_on_absent_and_existing_lists(self):
        write("new.txt", "new")
        write("gone.txt", "gone")
        # What the restart installs is a copy of new.txt staged beside old.txt.
        new = ["\\??\\" + win("old.txt.pendrix-new-1"), "!\\??\\" + win("old.txt")]
        gone = ["\\??\\" + win("gone.txt"), ""]
        for before, command, after in [
            (None, ["replace", win("new.txt"), win("old.txt"), "--at-restart"], stored(*new)),
            (None, ["delete", win("gone.txt"), "--at-restart"], stored(*gone)),
            (stored(*FOREIGN), ["replace", win("new.txt"), win("old.txt"), "--at-restart"], stored(*FOREIGN, *new)),
            (stored(*FOREIGN), ["delete", win("gone.txt"), "--at-restart"], stored(*FOREIGN, *gone)),
        ]:
            with self.subTest(before=before, command=command):
                set_value(before)
                code, out, err = cli(*command)
                self.assertEqual((code, err), (RESTART, ""))
                self.assertTrue(out.startswith("Scheduled: ") and out.endswith("Restart Windows to carry it out.\r\n"))
                self.assertEqual(out.count("\n"), 1)
                self.assertEqual(value(), after)
                if os.path.exists(linux("old.txt.pendrix-new-1")):
                    os.remove(linux("old.txt.pendrix-new-1"))

    def test_replace_and_delete_now_or_when_in_use(self):
        write("new.txt", "new")
        write("old.txt", "old")
        code, out, _, (holder,) = cli_holding("replace", win("new.txt"), win("old.txt"), hold=[win("old.txt")])
        self.assertEqual((code, out), (RESTART, 'Scheduled: "%s" is replaced with "%s" at the next start of Windows '
                                               '(in use by file_holder.exe, process %d). Windows puts the copy made '
                                               'now, "%s", in its place; the source "%s" stays where it is. Restart '
                                               'Windows to carry it out.\r\n'
                                               % (win("old.txt"), win("new.txt"), holder, win("old.txt.pendrix-new-1"),
                                                  win("new.txt"))))
        self.assertEqual((read("old.txt"), read("new.txt"), read("old.txt.pendrix-new-1")), ("old", "new", "new"))
        self.assertEqual(value(), stored("\\??\\" + win("old.txt.pendrix-new-1"), "!\\??\\" + win("old.txt")))
        os.remove(linux("old.txt.pendrix-new-1"))
        set_value(None)

        self.assertEqual(cli("replace", win("new.txt"), win("old.txt")),
                         (0, 'Replaced "%s" with "%s" now.\r\n' % (win("old.txt"), win("new.txt")), ""))
        self.assertEqual((read("old.txt"), read("new.txt")), ("new", "new"))
        self.assertEqual(sorted(os.listdir(FOLDER)), ["exit_code.txt", "new.txt", "old.txt"])
        self.assertIsNone(value())

        code, out, err = cli("replace", win("new.txt"), win("NEW.TXT"))
        self.assertEqual((code, out), (SAME_FILE, ""))
        self.assertFailureLine(err, "same file")
        self.assertIsNone(value())

        write("in_use.log", "x")
        write("free.log", "y")
        code, out, _, (holder,) = cli_holding("delete", win("*.log"), hold=[win("in_use.log")])
        self.assertEqual(code, RESTART)
        self.assertIn('"%s" (in use by file_holder.exe, process %d).' % (win("in_use.log"), holder), out)
        self.assertFalse(os.path.exists(linux("free.log")))
        self.assertEqual(value(), stored("\\??\\" + win("in_use.log"), ""))
        set_value(None)
        self.assertEqual(cli("delete", win("in_use.log")), (0, 'Deleted "%s" now.\r\n' % win("in_use.log"), ""))
        self.assertFalse(os.path.exists(linux("in_use.log")))

    def test_holders_by_any_spelling(self):
        shutil.copy(LIBRARY, linux("Report Library.dll"))
        write("Held Data File.txt", "data")
        write("bystander.txt", "nothing to do with it")
        data, library = win("Held Data File.txt"), win("Report Library.dll")
        short_data, short_library = short_name(data), short_name(library)
        self.assertNotEqual(short_data.lower(), data.lower())
        holder_path = windows_path(os.path.join(os.path.dirname(HELPER), "file_holder.exe"))
        holding = dict(hold=[data, win("bystander.txt")], load=[library])

        code, out, err, (data_holder, _, library_holder) = cli_holding("holders", data.upper(), **holding)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out, '"%s" is held by:\r\n%d file_holder.exe "%s" (open file)\r\n%s' %
                         (data.upper(), data_holder, holder_path, WINE_HANDLES_NOTE))

        for path, opened in [(short_data, True), (library, False), (short_library.lower(), False)]:
            with self.subTest(path=path):
                code, out, err, (data_holder, _, library_holder) = cli_holding("holders", path, "--json", **holding)
                self.assertEqual((code, err), (0, ""))
                document = json.loads(out)
                self.assertEqual((document["path"], document["notExamined"], document["handlesNotAnswering"]),
                                 (path, 0, 0))
                self.assertEqual([(h["processId"], h["imageName"], h["imagePath"], h["openFile"], h["loadedModule"])
                                  for h in document["holders"]],
                                 [(data_holder if opened else library_holder, "file_holder.exe", holder_path, opened,
                                   not opened)])

    def test_holder_searches_at_once_beside_programs_that_start_and_end(self):
        # A dead Wine server ends the session's programs; the next session carries out the list.
        write("held.txt", "held")
        write("kept.txt", "kept")
        held, pending = LoadedLibrary(win("held.txt"), how="open"), stored("\\??\\" + win("kept.txt"), "")
        set_value(pending)
        try:
            with ThreadPoolExecutor(4) as pool:
                searches = [pool.submit(lambda: [wine(CLI, "holders", win("held.txt"), timeout=60)[:2]
                                                 for _ in range(8)]) for _ in range(3)]
                pool.submit(lambda: [wine("cmd", "/c", "exit", timeout=60) for _ in range(30)]).result()
            self.assertEqual((held.running(), value(), read("kept.txt")), (True, pending, "kept"))
            for status, out in (result for search in searches for result in search.result()):
                self.assertEqual((status, b"%d file_holder.exe" % held.pid in out), (0, True), out)
        finally:
            held.end()

    def test_holders_of_a_free_or_missing_file(self):
        write("free.txt", "x")
        self.assertEqual(cli("holders", win("free.txt")),
                         (0, '"%s": nobody holds it.\r\n%s' % (win("free.txt"), WINE_HANDLES_NOTE), ""))
        document = json.loads(cli("holders", win("free.txt"), "--json")[1])
        self.assertEqual((document["holders"], document["notExamined"], document["handlesOfEachProcess"]), ([], 0, 4096))
        for path, code in [(win("missing.txt"), 2), (win("missing\\free.txt"), 3)]:
            with self.subTest(path=path):
                result, out, err = cli("holders", path)
                self.assertEqual((result, out), (code, ""))
                self.assertFailureLine(err, path, "(error %d)" % code)
        for path in ("\\\\.\\pipe\\x", "NUL", "\\\\.\\C:"):
            with self.subTest(path=path):
                result, out, err = cli("holders", path)
                self.assertEqual((result, out), (BAD_PATHNAME, ""))
                self.assertFailureLine(err, path, "a device")

    def test_move_aside_replaces_a_loaded_library_now(self):
        shutil.copy(LIBRARY, linux("report.dll"))
        shutil.copy(LIBRARY_V2, linux("new.dll"))
        report, old_copy = win("report.dll"), win("report.dll.pendrix-old-1")
        running = LoadedLibrary(report)
        try:
            code, out, err = cli("replace", win("new.dll"), report, "--move-aside")
            self.assertEqual((code, err), (0, ""))
            self.assertEqual(out, 'Replaced "%s" with "%s" now. Programs that use it keep the old copy until they end '
                                  '(file_holder.exe, process %d); it is now "%s" and is deleted at the next start of '
                                  'Windows.\r\n' % (report, win("new.dll"), running.pid, old_copy))
            # A program started now loads the new version; the first one runs on.
            self.assertEqual(helper("version", report)[0], 2)
            self.assertTrue(running.running())
            self.assertEqual(read_bytes(linux("report.dll.pendrix-old-1")), read_bytes(LIBRARY))
            self.assertEqual(value(), stored("\\??\\" + old_copy, ""))
            self.assertEqual(cli("list"), (0, '1 v1 delete "%s"\r\n' % old_copy, ""))
        finally:
            running.end()

    def test_move_aside_on_a_list_of_another_form_changes_nothing(self):
        shutil.copy(LIBRARY, linux("aside.dll"))
        shutil.copy(LIBRARY_V2, linux("aside-new.dll"))
        data = stored("\\??\\" + win("a.txt"), "")
        set_value(data, 3)
        running = LoadedLibrary(win("aside.dll"))
        try:
            code, out, err = cli("replace", win("aside-new.dll"), win("aside.dll"), "--move-aside")
            self.assertEqual((code, out), (INVALID_DATA, ""))
            self.assertFailureLine(err, "nothing was replaced or scheduled", "is of type REG_BINARY", "never changed")
            self.assertEqual(value(3), data)
            self.assertEqual(read_bytes(linux("aside.dll")), read_bytes(LIBRARY))
            self.assertFalse(os.path.exists(linux("aside.dll.pendrix-old-1")))
        finally:
            running.end()
            set_value(None)

    def test_move_aside_falls_back_to_scheduling(self):
        shutil.copy(LIBRARY, linux("report.dll"))
        shutil.copy(LIBRARY_V2, linux("new.dll"))
        new, report = win("new.dll"), win("report.dll")
        staged = stored("\\??\\" + report + ".pendrix-new-1", "!\\??\\" + report)
        for name, holding, replacement, left in [
            # Held open without delete sharing: it cannot be renamed; a copy is staged beside it.
            ("held open", dict(hold=[report]), staged, ["report.dll.pendrix-new-1"]),
            # A source that cannot be read: nothing is renamed, and it is moved as it is at the restart.
            ("source unreadable", dict(exclusive=[new], load=[report]), stored("\\??\\" + new, "!\\??\\" + report),
             []),
        ]:
            with self.subTest(name):
                set_value(None)
                code, out, err, _ = cli_holding("replace", new, report, "--move-aside", **holding)
                self.assertEqual((code, err), (RESTART, ""))
                self.assertTrue(out.startswith('Scheduled: "%s" is replaced with "%s" at the next start of Windows '
                                               '(in use by file_holder.exe, process ' % (report, new)), out)
                self.assertEqual(value(), replacement)
                self.assertEqual(read_bytes(linux("report.dll")), read_bytes(LIBRARY))
                self.assertEqual(sorted(os.listdir(FOLDER)), ["exit_code.txt", "new.dll", "report.dll"] + left)
                for name in left:
                    os.remove(linux(name))

    def test_remove_an_entry_of_another_program(self):
        for before, command, code, after in [
            (stored(*FOREIGN), ["remove", "2"], 0, stored(*FOREIGN[:2], *FOREIGN[4:])),
            (stored(*FOREIGN), ["remove", "2", "--source", EMOJI], 0, stored(*FOREIGN[:2], *FOREIGN[4:])),
            (stored(*FOREIGN), ["remove", "2", "--source", "\\??\\" + EMOJI], 0, stored(*FOREIGN[:2], *FOREIGN[4:])),
            (stored(*FOREIGN), ["remove", "2", "--source", CYRILLIC], NO_SUCH_ENTRY, stored(*FOREIGN)),
            (stored(*FOREIGN), ["remove", "4"], NO_SUCH_ENTRY, stored(*FOREIGN)),
            (None, ["remove", "1"], NO_SUCH_ENTRY, None),
            (stored(*GAP), ["remove", "2"], 0, stored(*GAP[:3])),
            (stored(*GAP), ["remove", "1"], 0, stored(*GAP[2:])),
            # A list left with no entry goes, as the start-up processing leaves it.
            (stored(*UNCLOSED, closing=""), ["remove", "1"], 0, None),
            # Taking out the unclosed tail would let the start-up processing
            # carry out the entry before it, which it ignores now.
            (stored(*UNCLOSED, closing="\0C:\\tail\0"), ["remove", "2"], INVALID_DATA,
             stored(*UNCLOSED, closing="\0C:\\tail\0")),
            (stored(FOREIGN[0], FOREIGN[1]), ["remove", "1"], 0, None),
        ]:
            with self.subTest(before=before, command=command):
                set_value(before)
                result, out, err = cli(*command)
                self.assertEqual(result, code)
                if code == 0:
                    self.assertEqual(err, "")
                    self.assertTrue(out.startswith("Withdrew entry %s: " % command[1]), out)
                else:
                    self.assertEqual(out, "")
                    self.assertFailureLine(err, "nothing was withdrawn")
                self.assertEqual(value(), after)

    def test_a_list_of_another_form_is_never_changed(self):
        pair = stored("\\??\\" + win("a.txt"), "")
        for name in ("new.txt", "old.txt", "x.txt"):
            write(name, name)
        for data, value_type, what in [
                (pair, 3, "is of type REG_BINARY, not a list of strings"),
                (pair + b"x", 7, "holds an odd number of bytes (%d)" % (len(pair) + 1)),
                (pair, 1, "is of type REG_SZ, not a list of strings")]:
            with self.subTest(value_type=value_type, size=len(data)):
                set_value(data, value_type)
                for command in (["replace", win("new.txt"), win("old.txt"), "--at-restart"],
                                ["delete", win("x.txt"), "--at-restart"], ["remove", "1"]):
                    code, out, err = cli(*command)
                    self.assertEqual((code, out), (INVALID_DATA, ""), command)
                    self.assertFailureLine(err, "nothing was", what, "never changed")
                self.assertEqual(value(value_type), data)

                code, out, err = cli("list")
                self.assertEqual((code, err), (0, ""))
                self.assertEqual(out.split("\r\n")[:2], [
                    "Warning: PendingFileRenameOperations %s, and is never changed." % what.replace(
                        "(%d)" % (len(pair) + 1), "(%d), the last of them no whole character" % (len(pair) + 1)),
                    '1 v1 delete "%s"' % win("a.txt")])
                document = json.loads(cli("list", "--json")[1])
                self.assertEqual((document["bytes"], document["changeable"]), (len(data), False))
                self.assertEqual(document["type"], {3: "REG_BINARY", 7: "REG_MULTI_SZ", 1: "REG_SZ"}[value_type])
                self.assertEqual([e["source"] for e in document["entries"]], [win("a.txt")])

    def test_refused_write(self):
        write("old.txt", "old")
        write("new.txt", "new")
        write("x.txt", "x")
        set_value(stored(*FOREIGN))
        for command in (["replace", win("new.txt"), win("old.txt"), "--at-restart"], ["delete", win("x.txt"), "--at-restart"],
                        ["remove", "1"]):
            with self.subTest(command=command):
                code, out, err = cli(*command, refused=True)
                self.assertEqual((code, out), (ACCESS_DENIED, ""))
                self.assertFailureLine(err, "(error 5)", "run it elevated")
        self.assertEqual(cli("list", refused=True)[0], 0)
        self.assertEqual(value(), stored(*FOREIGN))
        self.assertEqual(read("old.txt"), "old")

    def test_what_can_never_run_is_refused(self):
        write("file.txt", "content")
        os.makedirs(linux("folder"))
        write("folder/inside.txt", "inside")
        set_value(stored(*FOREIGN))
        for command, code in [
            (["replace", win("folder"), win("folder\\inside.txt")], IS_FOLDER),
            (["replace", win("missing.txt"), win("file.txt")], NOT_FOUND),
            (["replace", win("none\\missing.txt"), win("file.txt")], PATH_NOT_FOUND),
            (["replace", win("file.txt"), win("a<b>.txt"), "--at-restart"], INVALID_NAME),
            (["delete", win("missing.txt")], NOT_FOUND),
            (["delete", win("folder")], DIR_NOT_EMPTY),
            (["delete", "\\\\.\\C:"], BAD_PATHNAME),
            (["delete", "C:\\", "--at-restart"], BAD_PATHNAME),
            (["delete", "   "], USAGE),
        ]:
            with self.subTest(command=command):
                result, out, err = cli(*command)
                self.assertEqual((result, out), (code, ""))
                self.assertFailureLine(err)
                if code != USAGE:
                    self.assertTrue(err.rstrip().endswith("nothing was replaced or scheduled") or
                                    err.rstrip().endswith("nothing was deleted or scheduled"), err)
        self.assertEqual(value(), stored(*FOREIGN))
        self.assertEqual((read("file.txt"), read("folder/inside.txt")), ("content", "inside"))

    def test_names_are_stored_in_their_one_nt_form(self):
        for name in ("f1.txt", "f2.txt", "f3.txt", "f4.txt", "f 5.txt"):
            write(name, name)
        for typed in ("\\\\?\\" + win("f1.txt"), "\\??\\" + win("f2.txt"), "\\\\.\\" + win("f3.txt"),
                      WIN_FOLDER.replace("\\", "/") + "/sub/../f4.txt", win("f 5.txt. . ")):
            code, out, err = cli("delete", typed, "--at-restart")
            self.assertEqual((code, err), (RESTART, ""))
        names = [win(n) for n in ("f1.txt", "f2.txt", "f3.txt", "f4.txt", "f 5.txt")]
        self.assertEqual(value(), stored(*[s for n in names for s in ("\\??\\" + n, "")]))
        code, out, _ = cli("list")
        self.assertEqual(out.split("\r\n"), ['%d v1 delete "%s"' % (i + 1, n) for i, n in enumerate(names)] + [""])

    def test_replacement_keeps_a_symbolic_link_and_a_read_only_deletion_goes(self):
        # A link (made on the Linux side: Wine makes its links so) leads to
        # the file that gets the new content, and stays a link.
        write("real.dll", "old")
        write("new.dll", "new")
        os.symlink("real.dll", linux("link.dll"))
        self.assertEqual(cli("replace", win("new.dll"), win("link.dll"))[0], 0)
        self.assertTrue(os.path.islink(linux("link.dll")))
        self.assertEqual((read("real.dll"), read("link.dll")), ("new", "new"))
        self.assertEqual(sorted(os.listdir(FOLDER)), ["exit_code.txt", "link.dll", "new.dll", "real.dll"])
        # A read-only file in use is made writable and scheduled: the
        # start-up processing could not delete it otherwise.
        write("ro.txt", "x")
        self.assertEqual(helper("readonly", win("ro.txt"))[0], 0)
        code, out, err = cli("delete", win("ro.txt"), hold=win("ro.txt"))
        self.assertEqual((code, err), (RESTART, ""))
        self.assertEqual(value(), stored("\\??\\" + win("ro.txt"), ""))
        self.assertEqual(int(helper("attributes", win("ro.txt"))[1]) & 1, 0, "still read-only")

    # apply PLAN: a set of files as one step.
    def plan_of_five(self, encoding="utf-16"):
        """Three replacements (one of a file with a blank in its name, given
        quoted) and two deletions, staged as a deployment job stages them;
        the plan file as Windows PowerShell's Out-File writes it (UTF-16)."""
        os.makedirs(linux("new"))
        os.makedirs(linux("app dir"))
        for n in range(1, 6):
            write("app dir/f%d.dll" % n, "old %d" % n)
        for n in range(1, 4):
            write("new/f%d.dll" % n, "new %d" % n)
        plan = ("# the release's files\r\n"
                'replace "%s" "%s"\r\n' % (win("new\\f1.dll"), win("app dir\\f1.dll")) +
                'replace %s "%s"\r\n' % (win("new\\f2.dll"), win("app dir\\f2.dll")) +
                "\r\n"
                'replace %s "%s"\r\n' % (win("new\\f3.dll"), win("app dir\\f3.dll")) +
                'delete "%s"\r\n' % win("app dir\\f4.dll") +
                'delete "%s"\r\n' % win("app dir\\f5.dll"))
        with open(linux("plan.txt"), "wb") as f:
            f.write(b"\xff\xfe" + plan.encode("utf-16-le") if encoding == "utf-16" else plan.encode("utf-8"))
        return [win("app dir\\f%d.dll" % n) for n in range(1, 6)]

    def app_files(self):
        folder = linux("app dir")
        return {name: read_bytes(os.path.join(folder, name)) for name in sorted(os.listdir(folder))}

    def test_apply_with_no_file_held_does_all_now(self):
        targets = self.plan_of_five()
        code, out, err = cli("apply", win("plan.txt"))
        self.assertEqual((code, err), (0, ""))
        lines = out.split("\r\n")
        self.assertEqual(lines[:5], ['line 2: replaced "%s" with "%s" now.' % (targets[0], win("new\\f1.dll")),
                                     'line 3: replaced "%s" with "%s" now.' % (targets[1], win("new\\f2.dll")),
                                     'line 5: replaced "%s" with "%s" now.' % (targets[2], win("new\\f3.dll")),
                                     'line 6: deleted "%s" now.' % targets[3],
                                     'line 7: deleted "%s" now.' % targets[4]])
        self.assertEqual(lines[5:], ["Applied the plan now: all 5 operations done.", ""])
        # No old copy and no staged copy stays; the sources stay.
        self.assertEqual(self.app_files(), {"f1.dll": b"new 1", "f2.dll": b"new 2", "f3.dll": b"new 3"})
        self.assertEqual(read("new/f1.dll"), "new 1")
        self.assertIsNone(value())

    def test_apply_puts_back_three_done_when_the_fourth_fails(self):
        os.makedirs(linux("new"))
        os.makedirs(linux("app dir"))
        for n in range(1, 6):
            write("app dir/f%d.dll" % n, "old %d" % n)
            write("new/f%d.dll" % n, "new %d" % n)
        with open(linux("plan.txt"), "w") as f:
            f.write('replace %s "%s"\n' % (win("new\\f1.dll"), win("app dir\\f1.dll")) +
                    'replace %s "%s"\n' % (win("new\\f2.dll"), win("app dir\\f2.dll")) +
                    'delete "%s"\n' % win("app dir\\f3.dll") +
                    'replace %s "%s"\n' % (win("new\\f4.dll"), win("app dir\\f4.dll")) +
                    'delete "%s"\n' % win("app dir\\f5.dll"))
        before = self.app_files()
        # The fourth file is made immutable on the Linux side: no program may
        # rename or write it, whatever Windows' checks found before.
        subprocess.run(["chattr", "+i", linux("app dir/f4.dll")], check=True)
        try:
            code, out, err = cli("apply", win("plan.txt"), "--json")
        finally:
            subprocess.run(["chattr", "-i", linux("app dir/f4.dll")], check=True)
        report = json.loads(out)
        self.assertEqual((code, report["exitCode"], report["outcome"], report["line"]),
                         (ACCESS_DENIED, ACCESS_DENIED, "failed", 4))
        self.assertEqual([o["outcome"] for o in report["operations"]],
                         ["put-back", "put-back", "put-back", "failed", "not-done"])
        self.assertFailureLine(err, "line 4 failed", "put back")
        self.assertEqual(self.app_files(), before)  # byte for byte, and nothing left beside them
        self.assertIsNone(value())

    def test_apply_with_a_file_held_schedules_all_and_changes_nothing(self):
        targets = self.plan_of_five()
        before = self.app_files()
        code, out, err, pids = cli_holding("apply", win("plan.txt"), "--json", hold=[targets[2]])
        report = json.loads(out)
        self.assertEqual((code, err, report["exitCode"], report["outcome"]), (RESTART, "", RESTART, "scheduled"))
        self.assertEqual([o["outcome"] for o in report["operations"]], ["scheduled"] * 5)
        self.assertEqual([o["use"] for o in report["operations"]], ["free", "free", "held", "free", "free"])
        self.assertIn("process %d" % pids[0], report["operations"][2]["heldBy"])
        # Nothing changed now; each source is staged beside its destination,
        # and the restart puts that copy in place.
        staged = [targets[n] + ".pendrix-new-1" for n in range(3)]
        self.assertEqual([o.get("stagedCopy") for o in report["operations"]], staged + [None, None])
        for n in range(3):
            before["f%d.dll.pendrix-new-1" % (n + 1)] = b"new %d" % (n + 1)
        self.assertEqual(self.app_files(), before)
        self.assertEqual(value(), stored(*[s for n in range(3) for s in ("\\??\\" + staged[n], "!\\??\\" + targets[n])],
                                         "\\??\\" + targets[3], "", "\\??\\" + targets[4], ""))

    def test_apply_refuses_a_plan_before_doing_anything(self):
        targets = self.plan_of_five()
        before = self.app_files()
        with open(linux("bad.txt"), "w") as f:
            f.write("replace %s %s\nreplace %s %s\n" % (win("new\\f1.dll"), win("app dir\\f1.dll").replace(" ", "?"),
                                                        win("new\\f2.dll"), win("new\\f2.dll")))
        for args, code, words in [
            (("apply", win("nothing.txt")), NOT_FOUND, ["does not exist"]),
            (("apply", win("plan.txt"), "--at-restart", "--move-aside"), USAGE, ["--move-aside"]),
            (("apply", win("bad.txt")), INVALID_NAME, ["line 1", "not a name Windows can hold"]),
        ]:
            with self.subTest(args=args):
                result, out, err = cli(*args)
                self.assertEqual(result, code)
                self.assertFailureLine(err, *words)
        with open(linux("bad.txt"), "w") as f:
            f.write("replace a b\nmove a b\n")
        self.assertEqual(cli("apply", win("bad.txt"))[0], INVALID_DATA)
        self.assertIn("line 2", cli("apply", win("bad.txt"))[2])
        self.assertEqual(self.app_files(), before)
        self.assertIsNone(value())

    def test_apply_moves_a_loaded_library_aside(self):
        os.makedirs(linux("new"))
        shutil.copy(LIBRARY, linux("report.dll"))
        shutil.copy(LIBRARY_V2, linux("new/report.dll"))
        write("data.txt", "old data")
        write("new/data.txt", "new data")
        with open(linux("plan.txt"), "w") as f:
            f.write("replace %s %s\nreplace %s %s\n" % (win("new\\report.dll"), win("report.dll"),
                                                      win("new\\data.txt"), win("data.txt")))
        running = LoadedLibrary(win("report.dll"))
        try:
            # Without --move-aside the loaded library waits for the restart, and the set with it.
            code, out, err = cli("apply", win("plan.txt"))
            self.assertEqual((code, err), (RESTART, ""))
            self.assertIn("(in use by file_holder.exe, process %d)" % running.pid, out.split("\r\n")[0])
            self.assertEqual((read("data.txt"), read_bytes(linux("report.dll"))), ("old data", read_bytes(LIBRARY)))
            set_value(None)
            code, out, err = cli("apply", win("plan.txt"), "--move-aside")
            self.assertEqual((code, err), (0, ""))
            old_copy = win("report.dll.pendrix-old-1")
            self.assertEqual(out.split("\r\n")[0],
                             'line 1: replaced "%s" with "%s" now; the old file (in use by file_holder.exe, process '
                             '%d) is now "%s" and is deleted at the next start of Windows.'
                             % (win("report.dll"), win("new\\report.dll"), running.pid, old_copy))
            self.assertEqual(helper("version", win("report.dll"))[0], 2)
            self.assertEqual(read("data.txt"), "new data")
            self.assertEqual(read_bytes(linux("report.dll.pendrix-old-1")), read_bytes(LIBRARY))
            self.assertEqual(value(), stored("\\??\\" + old_copy, ""))
        finally:
            running.end()

    def test_both_values_and_prefixed_sources_as_windows_writes_them(self):
        for name in ("a.txt", "b.txt", "c.txt", "x.txt"):
            write(name, name)
        first = stored("\\??\\" + win("a.txt"), "")
        second = ["*1\\??\\" + win("b.txt"), "\\??\\" + win("c.txt")]
        set_value(first)
        set_value2(stored(*second))
        try:
            code, out, err = cli("list")
            self.assertEqual((code, err), (0, ""))
            self.assertEqual(out.split("\r\n"), [
                '1 v1 delete "%s"' % win("a.txt"),
                '2 v2 rename "%s" -> "%s" (source flag *1)' % (win("b.txt"), win("c.txt")),
                "  warning: the destination exists and the entry does not replace it: the rename fails at the "
                "restart", ""])
            document = json.loads(cli("list", "--json")[1])
            self.assertEqual([(e["number"], e["value"], e["source"], e["sourceFlag"], e["sourceExists"], e["warnings"])
                              for e in document["entries"]],
                             [(1, 1, win("a.txt"), None, True, []),
                              (2, 2, win("b.txt"), "*1", True, ["destination-exists"])])
            self.assertEqual([(v["value"], v["exists"], v["bytes"], v["changeable"]) for v in document["values"]],
                             [(1, True, len(first), True), (2, True, len(stored(*second)), True)])
            self.assertEqual((document["exists"], document["bytes"]), (True, len(first)))

            # Scheduling appends to the second value, which runs last; the
            # first stays as it is.
            self.assertEqual(cli("delete", win("x.txt"), "--at-restart")[0], RESTART)
            mine = ["\\??\\" + win("x.txt"), ""]
            self.assertEqual(value(), first)
            self.assertEqual(value2(), stored(*second, *mine))

            # remove N takes the entry out of the value that holds it, by its
            # path as list shows it; the flag of what stays is kept.
            self.assertEqual(cli("remove", "2", "--source", win("a.txt"))[0], NO_SUCH_ENTRY)
            code, out, err = cli("remove", "2", "--source", win("b.txt"))
            self.assertEqual((code, err), (0, ""))
            self.assertTrue(out.startswith("Withdrew entry 2 from PendingFileRenameOperations2: "), out)
            self.assertEqual((value(), value2()), (first, stored(*mine)))
            set_value2(stored(*mine, *second))
            self.assertEqual(cli("remove", "2")[0], 0)
            self.assertEqual((value(), value2()), (first, stored(*second)))
        finally:
            set_value2(None)

    def test_verify_tells_what_the_start_up_log_says(self):
        for name in ("a.txt", "b.txt"):
            write(name, name)
        set_value(stored("\\??\\" + win("a.txt"), ""))
        set_value2(stored("*1\\??\\" + win("b.txt"), "!\\??\\" + win("new.txt")))
        try:
            code, listing, err = cli("list", "--json")
            self.assertEqual((code, err), (0, ""))
            taken = json.loads(listing)["taken"]
            self.assertRegex(taken, r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{7}Z$")
            write("before.json", listing)
        finally:
            # The restart: both lists are gone, every file stays.
            set_value(None)
            set_value2(None)
        now = datetime.datetime.now()
        later = log_time(now + datetime.timedelta(minutes=2))
        earlier = log_time(now - datetime.timedelta(hours=2))
        write_startup_log([
            "%s - PFRO Error: \\??\\%s, |delete operation|, 0xc0000043" % (later, win("a.txt")),
            # Before the listing was taken: another restart's.
            "%s - PFRO Error: \\??\\%s, |rename operation|, 0xc0000034" % (earlier, win("b.txt")),
        ])
        code, out, err = cli("verify", win("before.json"))
        self.assertEqual((code, err), (1, ""))
        self.assertEqual(out.split("\r\n"), [
            '1 not carried out: delete "%s" (the start-up processing logged 0xC0000043: the file was in use '
            '(sharing violation))' % win("a.txt"),
            '2 not carried out: replace "%s" -> "%s" (the source still exists)' % (win("b.txt"), win("new.txt")),
            "Summary: 0 carried out, 2 not carried out, 0 still pending, 0 never reached.", ""])
        document = json.loads(cli("verify", win("before.json"), "--json")[1])
        self.assertEqual([e["loggedStatus"] for e in document["entries"]], ["0xC0000043", None])

        # A log of another form changes nothing and is said once.
        write_startup_log(["%s - PFRO Error: \\??\\%s, |delete operation|, 0xc0000043" % (later, win("a.txt"))],
                          encoding="ascii")
        code, out, err = cli("verify", win("before.json"))
        self.assertEqual(code, 1)
        self.assertIn('1 not carried out: delete "%s" (it still exists)' % win("a.txt"), out)
        self.assertFailureLine(err, "PFRO.log", "the outcomes go by the files alone")


if __name__ == "__main__":
    CLI, HELPER, LIBRARY, LIBRARY_V2 = sys.argv[1:5]
    unittest.main(argv=sys.argv[:1], verbosity=2)

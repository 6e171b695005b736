#!/usr/bin/env python3
"""The console tool's benchmark, in two parts, each timed alternately in one
run, and the size of pendrix-cli.exe.

list: pendrix-cli list --json against Wine's own reg query on one 10,000-pair
list.

Both programs start under Wine and print the whole value to a file; the
time is the wall clock of each run, from the Linux side, with one Wine
session kept alive so that neither pays for starting it. list also asks
whether each source exists, which costs most when it does not: the list is
timed with its sources present (as the new files of an update are), absent
from a folder that exists, and under a folder that does not exist. Run by
bench/run_cli.sh, which builds the programs and makes the prefix.

holders: pendrix-cli holders on a handle table as full as a busy machine's
(a few hundred processes, tens of thousands of handles, a fifth of them
files), for a file held open and for a DLL loaded, against the two bare
baselines of bench/handle_table_walk.cpp: one read of the handle table, and
that read with every file handle of every process duplicated and asked its
type and file index, which any finder of open files must do.

Usage: cli_bench.py PENDRIX_CLI.exe CLI_TEST_HELPER.exe [list|holders]   (WINEPREFIX set)
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

PAIRS = 10_000
ROUNDS = 15
KEY = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager"


# Where the sources are, for each case: the folder as Windows and Linux see it.
# Each with the name of its ratio line and the ratio's target, if any.
CASES = [
    ("sources present", "C:\\bench\\update", "bench/update", "list_json_present", 1.2),
    ("sources absent, folder present", "C:\\windows", None, "list_json_absent", None),
    ("sources under a missing folder", "C:\\Program Files\\Vendor\\update", None, "list_json_missing_folder", None),
]
HOLDERS_TARGET = 1.1
CLI_SIZE_TARGET = 450 * 1024


def ratio_line(name, ratio, target=None):
    """One line per ratio for scripts: its name, value and target."""
    print("ratio %s %.2f%s" % (name, ratio, " target %.2f" % target if target else ""))


def the_list(folder):
    strings = []
    for n in range(PAIRS):
        strings.append("\\??\\%s\\library%d.dll" % (folder, n))
        strings.append("!\\??\\C:\\Windows\\System32\\library%d.dll" % n)
    return ("".join(s + "\0" for s in strings) + "\0").encode("utf-16-le")


def timed(command, output):
    """Wall-clock seconds of one run. A run that fails is tried once more:
    Wine, on a busy machine, now and then fails to start a program at all."""
    for attempt in range(2):
        with open(output, "wb") as out, tempfile.TemporaryFile() as err:
            start = time.perf_counter()
            status = subprocess.run(command, stdout=out, stderr=err, check=False).returncode
            elapsed = time.perf_counter() - start
            if status == 0:
                return elapsed
            err.seek(0)
            sys.stderr.write("%s failed with %d: %r\n" % (command[1], status, err.read()[-300:]))
    sys.exit("%s failed twice" % command[1])


def measure(cli, helper, data):
    """Median seconds of each program over alternate runs, and its output size."""
    subprocess.run(["wine", helper, "set"], input=data, check=True)
    with tempfile.TemporaryDirectory() as folder:
        commands = {
            "pendrix-cli list --json": (["wine", cli, "list", "--json"], os.path.join(folder, "list.json")),
            "reg query": (["wine", "reg", "query", KEY, "/v", "PendingFileRenameOperations"],
                          os.path.join(folder, "reg.txt")),
        }
        times = {name: [] for name in commands}
        for command, output in commands.values():
            timed(command, output)  # warm the file cache once
        for _ in range(ROUNDS):
            for name, (command, output) in commands.items():
                times[name].append(timed(command, output))
        result = {name: (statistics.median(times[name]), os.path.getsize(output))
                  for name, (_, output) in commands.items()}
    subprocess.run(["wine", helper, "clear"], check=True)
    return result


# The handle table of the holders part: processes, and the files and other
# objects each holds.
HOLDER_PROCESSES = 200
HOLDER_FILES = 25
HOLDER_OTHERS = 75
READY_SECONDS = 900
STALLED_PIPES = 100


def windows_path(linux_path):
    return "Z:" + os.path.abspath(linux_path).replace("/", "\\")


def wait_for(what, condition):
    deadline = time.monotonic() + READY_SECONDS
    while not condition():
        if time.monotonic() > deadline:
            sys.exit("timed out waiting for " + what)
        time.sleep(0.5)


def holders_found(cli, path):
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", cli, "holders", path], stdout=out, stderr=subprocess.DEVNULL, check=False)
        out.seek(0)
        return b"is held by" in out.read()


def bench_holders(cli, helper):
    drive_c = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    tests = os.path.dirname(helper)
    bench = os.path.join(os.path.dirname(cli), "bench")
    folder = os.path.join(drive_c, "bench", "holders")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    ready = os.path.join(folder, "ready.txt")
    start = time.monotonic()
    subprocess.Popen(["wine", os.path.join(bench, "handle_holders.exe"), str(HOLDER_PROCESSES),
                      "C:\\bench\\holders", str(HOLDER_FILES), str(HOLDER_OTHERS), "C:\\bench\\holders\\ready.txt"],
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for("the handle holders", lambda: os.path.exists(ready))
    print("holders: %d processes started in %.0f s" % (HOLDER_PROCESSES, time.monotonic() - start))

    with open(os.path.join(folder, "held.txt"), "w") as f:
        f.write("held open")
    shutil.copy(os.path.join(tests, "test_library_v1.dll"), os.path.join(folder, "loaded.dll"))
    held, loaded = "C:\\bench\\holders\\held.txt", "C:\\bench\\holders\\loaded.dll"
    file_holder = os.path.join(tests, "file_holder.exe")
    for path, how in ((held, []), (loaded, ["load"])):
        subprocess.Popen(["wine", file_holder, path, "PendrixBench%d" % len(how), *how],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the holder of " + path, lambda: holders_found(cli, path))

    walk = os.path.join(bench, "handle_table_walk.exe")
    commands = {
        "holders, file open": ["wine", cli, "holders", held, "--json"],
        "holders, DLL loaded": ["wine", cli, "holders", loaded, "--json"],
        "handle table read": ["wine", walk],
        "file handle walk": ["wine", walk, "--files"],
    }
    times = {name: [] for name in commands}
    with tempfile.TemporaryDirectory() as outputs:
        output = os.path.join(outputs, "out.txt")
        for command in commands.values():
            timed(command, output)  # warm the file cache once
        with open(output) as f:
            print("  " + f.read().strip())
        for _ in range(ROUNDS):
            for name, command in commands.items():
                times[name].append(timed(command, output))
    medians = {name: statistics.median(values) for name, values in times.items()}
    print("median of %d alternate runs each:" % ROUNDS)
    for name, seconds in medians.items():
        print("  %-24s %7.3f s" % (name, seconds))
    for name in ("holders, file open", "holders, DLL loaded"):
        print("  ratio %s / file handle walk: %.2f; / handle table read: %.2f" % (
            name, medians[name] / medians["file handle walk"], medians[name] / medians["handle table read"]))
    ratio_line("holders_file_open", medians["holders, file open"] / medians["file handle walk"], HOLDERS_TARGET)
    ratio_line("holders_dll_loaded", medians["holders, DLL loaded"] / medians["file handle walk"], HOLDERS_TARGET)

    # Handles on which a query may wait for ever: pipes with a synchronous
    # read pending. Each may cost the time limit at most once; none may hold
    # up the whole run.
    stalled_ready = os.path.join(folder, "stalled.txt")
    subprocess.Popen(["wine", os.path.join(bench, "handle_holders.exe"), "stalled", str(STALLED_PIPES),
                      "C:\\bench\\holders\\stalled.txt"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for("the stalled pipes", lambda: os.path.exists(stalled_ready))
    stalled_commands = {
        "holders, file open, %d stalled pipes" % STALLED_PIPES: commands["holders, file open"],
        "file handle walk, %d stalled pipes" % STALLED_PIPES: commands["file handle walk"],
    }
    stalled_times = {name: [] for name in stalled_commands}
    with tempfile.TemporaryDirectory() as outputs:
        output = os.path.join(outputs, "out.txt")
        for _ in range(ROUNDS):
            for name, command in stalled_commands.items():
                stalled_times[name].append(timed(command, output))
    stalled = {name: statistics.median(values) for name, values in stalled_times.items()}
    for name, seconds in stalled.items():
        print("  %-38s %7.3f s" % (name, seconds))
    first, walk_name = list(stalled)
    ratio_line("holders_stalled_pipes", stalled[first] / stalled[walk_name], HOLDERS_TARGET)


def bench_list(cli, helper):
    drive_c = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    print("list: %d pairs, median of %d alternate runs each:" % (PAIRS, ROUNDS))
    for case, folder, linux_folder, ratio_name, target in CASES:
        if linux_folder:
            os.makedirs(os.path.join(drive_c, linux_folder), exist_ok=True)
            for n in range(PAIRS):
                open(os.path.join(drive_c, linux_folder, "library%d.dll" % n), "w").close()
        data = the_list(folder)
        result = measure(cli, helper, data)
        print("%s (%d bytes stored):" % (case, len(data)))
        for name, (seconds, size) in result.items():
            print("  %-24s %7.3f s  (output %d bytes)" % (name, seconds, size))
        ratio = result["pendrix-cli list --json"][0] / result["reg query"][0]
        print("  ratio pendrix-cli / reg query: %.2f" % ratio)
        ratio_line(ratio_name, ratio, target)


def main():
    cli, helper = sys.argv[1], sys.argv[2]
    parts = sys.argv[3:] or ["list", "holders"]
    if "list" in parts:
        bench_list(cli, helper)
    # Last: its processes stay until the Wine session ends.
    if "holders" in parts:
        bench_holders(cli, helper)
    size = os.path.getsize(cli)
    print("pendrix-cli.exe: %d bytes (1 MB is 1,048,576)" % size)
    print("size pendrix-cli.exe %d target %d" % (size, CLI_SIZE_TARGET))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""pendrix-cli list --json against Wine's own reg query on one 10,000-pair
list, timed alternately in one run, and the size of pendrix-cli.exe.

Both programs start under Wine and print the whole value to a file; the
time is the wall clock of each run, from the Linux side, with one Wine
session kept alive so that neither pays for starting it. list also asks
whether each source exists, which costs most when it does not: the list is
timed with its sources present (as the new files of an update are), absent
from a folder that exists, and under a folder that does not exist. Run by
bench/run_cli.sh, which builds the programs and makes the prefix.
Usage: cli_bench.py PENDRIX_CLI.exe CLI_TEST_HELPER.exe   (WINEPREFIX set)
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

PAIRS = 10_000
ROUNDS = 15
KEY = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager"


# Where the sources are, for each case: the folder as Windows and Linux see it.
CASES = [
    ("sources present", "C:\\bench\\update", "bench/update"),
    ("sources absent, folder present", "C:\\windows", None),
    ("sources under a missing folder", "C:\\Program Files\\Vendor\\update", None),
]


def the_list(folder):
    strings = []
    for n in range(PAIRS):
        strings.append("\\??\\%s\\library%d.dll" % (folder, n))
        strings.append("!\\??\\C:\\Windows\\System32\\library%d.dll" % n)
    return ("".join(s + "\0" for s in strings) + "\0").encode("utf-16-le")


def timed(command, output):
    with open(output, "wb") as out:
        start = time.perf_counter()
        status = subprocess.run(command, stdout=out, stderr=subprocess.DEVNULL, check=False).returncode
        elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit("%s failed with %d" % (command[1], status))
    return elapsed


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


def main():
    cli, helper = sys.argv[1], sys.argv[2]
    drive_c = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    print("%d pairs, median of %d alternate runs each:" % (PAIRS, ROUNDS))
    for case, folder, linux_folder in CASES:
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
    print("pendrix-cli.exe: %d bytes (1 MB is 1,048,576)" % os.path.getsize(cli))


if __name__ == "__main__":
    main()

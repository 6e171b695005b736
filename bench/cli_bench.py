#!/usr/bin/env python3
"""pendrix-cli list --json against Wine's own reg query on one 10,000-pair
list, timed alternately in one run, and the size of pendrix-cli.exe.

Both programs start under Wine and print the whole value to a file; the
time is the wall clock of each run, from the Linux side, with one Wine
session kept alive so that neither pays for starting it. Run by
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


def the_list():
    strings = []
    for n in range(PAIRS):
        strings.append("\\??\\C:\\Program Files\\Vendor\\update\\library%d.dll" % n)
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


def main():
    cli, helper = sys.argv[1], sys.argv[2]
    data = the_list()
    subprocess.run(["wine", helper, "set"], input=data, check=True)
    with tempfile.TemporaryDirectory() as folder:
        json_out = os.path.join(folder, "list.json")
        reg_out = os.path.join(folder, "reg.txt")
        commands = {
            "pendrix-cli list --json": (["wine", cli, "list", "--json"], json_out),
            "reg query": (["wine", "reg", "query", KEY, "/v", "PendingFileRenameOperations"], reg_out),
        }
        times = {name: [] for name in commands}
        for name, (command, output) in commands.items():
            timed(command, output)  # warm the file cache once
        for _ in range(ROUNDS):
            for name, (command, output) in commands.items():
                times[name].append(timed(command, output))
        sizes = {name: os.path.getsize(output) for name, (_, output) in commands.items()}
    subprocess.run(["wine", helper, "clear"], check=True)

    print("%d pairs (%d bytes stored), median of %d alternate runs each:" % (PAIRS, len(data), ROUNDS))
    for name in commands:
        print("  %-24s %7.3f s  (output %d bytes)" % (name, statistics.median(times[name]), sizes[name]))
    ratio = statistics.median(times["pendrix-cli list --json"]) / statistics.median(times["reg query"])
    print("  ratio pendrix-cli / reg query: %.2f (at most 1.5)" % ratio)
    print("pendrix-cli.exe: %d bytes (under 1 MB: 1,048,576)" % os.path.getsize(cli))


if __name__ == "__main__":
    main()

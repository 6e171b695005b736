#!/usr/bin/env python3
"""What a program's size is made of, from the GNU linker's map file.

    map_parts.py PROGRAM.map [OTHER.map]

Sums the sections the linker kept (debugging sections left out) by part:
the project's own libraries, the C++ runtime, the thread emulation, the C
runtime and the resources; with two maps, side by side (before, after), in
KB. Make a map by adding -Wl,-Map,PROGRAM.map to the program's link line
(build/windows/*/CMakeFiles/TARGET.dir/link.txt) and dropping -s.
"""
import collections
import re
import sys

SECTION = re.compile(r"^ (\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
SECTION_NAME = re.compile(r"^ (\.\S+)$")
CONTINUED = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")

# (part, pattern on "library(member)"), first match wins.
PARTS = [
    ("resources (pictures, manifest, version)", r"\.res\)?$"),
    ("own code: scheduler/, registry/, platform/ seams, common/", r"^libpendrix_core\.a"),
    ("own code: Windows side (win32 classes)", r"^libpendrix_win32\.a"),
    ("own code: the front end (cli/ or app/, about/)",
     r"^(libpendrix_cli_core|libpendrix_window_logic|libpendrix_gui|objects)\.a"),
    ("C++ runtime: name demangler", r"^libstdc\+\+\.a\(cp-demangle"),
    ("C++ runtime: threads, clocks, futures",
     r"^libstdc\+\+\.a\((thread|future|condition_variable|mutex|system_error|chrono)"),
    ("C++ runtime: strings, exceptions, the rest", r"^libstdc\+\+\.a"),
    ("thread emulation (winpthread)", r"^libpthread\.a"),
    ("printf and number formatting (mingwex)", r"^libmingwex\.a"),
    ("C runtime start-up, unwinding, imports", r""),
]


def members(map_file):
    """Bytes kept per library(member)."""
    lines = open(map_file, errors="replace").read().split("\n")
    start = next(i for i, line in enumerate(lines) if line.startswith("Linker script and memory map"))
    sizes = collections.Counter()
    pending = None
    for line in lines[start:]:
        match = SECTION.match(line)
        if match:
            section, address, size, member = match.groups()
        elif pending and CONTINUED.match(line):
            section = pending
            address, size, member = CONTINUED.match(line).groups()
        else:
            named = SECTION_NAME.match(line)
            pending = named.group(1) if named else None
            continue
        pending = None
        if int(address, 16) == 0 or section.startswith((".debug", ".stab")):
            continue
        sizes[member.strip().split("/")[-1]] += int(size, 16)
    return sizes


def parts(map_file):
    total = collections.Counter()
    for member, size in members(map_file).items():
        part = next(name for name, pattern in PARTS if re.search(pattern, member))
        total[part] += size
    return total


def main():
    maps = [parts(name) for name in sys.argv[1:]]
    for name, _ in PARTS:
        print("| %s | %s |" % (name, " | ".join("%d" % round(m[name] / 1024) for m in maps)))
    print("| all | %s |" % " | ".join("%d" % round(sum(m.values()) / 1024) for m in maps))


if __name__ == "__main__":
    main()

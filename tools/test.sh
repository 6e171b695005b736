#!/bin/sh
# Builds Pendrix twice and runs every test: the portable logic natively with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the Windows build
# under Wine, on a virtual X display, in a Wine prefix of the build's own.
set -eu
cd "$(dirname "$0")/.."
./tools/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset native
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

# Every fuzz target briefly (tools/fuzz.sh runs them longer by hand).
./tools/fuzz.sh 30

cmake --preset windows
cmake --build --preset windows -j "$jobs"
# Wine tests share one registry and one Wine session: run them one at a time.
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset windows

#!/bin/sh
# Installs what building and testing Pendrix needs on Debian 12: CMake,
# g++ and GoogleTest for the native build, mingw-w64 for the Windows build,
# Wine with its own fonts to run it, Xvfb with X tools for its windows, ImageMagick with icoutils
# to make its pictures, clang with its runtime libraries for the fuzz
# targets, Python for the tests and benchmark of the console tool, and
# Ansible (with its Windows collections) to check the deployment playbooks.
set -eu
packages="cmake g++ make googletest g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          wine wine64 fonts-wine xvfb xauth x11-apps imagemagick xdotool icoutils
          clang libclang-rt-14-dev python3 ansible"

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing:$missing"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing

#!/usr/bin/env bash
# Compiles the Qt-free platform and link layers for Windows with MinGW, so the
# Win32 serial port, clock and registry code is checked on every test run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cxx=x86_64-w64-mingw32-g++-posix
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for f in "$root"/src/platform/*.cpp "$root"/src/link/*.cpp; do
  "$cxx" -std=c++20 -Wall -Wextra -Werror -I "$root/src" -I "$root" -c "$f" -o "$out/$(basename "$f").o"
done
echo "Windows build of the platform and link layers: OK"

#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and demonstrate the program.
# Idempotent: only missing packages are installed. Non-interactive.
#   --test   also what only the test script uses: Wine (the Windows build's
#            tests), lintian (the Debian package check), poppler-utils (the
#            report test reads the PDF's text back with pdftotext), dpkg-dev
#            (apt-get source, for the Windows build's Qt, libjpeg-turbo,
#            GoogleTest and SQLite), tcl (SQLite's makefile joins its sources
#            with tclsh), zip (the Windows zip), the PostgreSQL server the
#            history tests start a cluster of their own with, and
#            clang-format and clang-tidy (scripts/check-style.sh); and
#            xdotool, x11-utils and ImageMagick, with which
#            scripts/windows-screenshot.sh types the login into the Windows
#            build under Wine and takes its picture
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev qt6-translations-l10n
  libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  g++-mingw-w64-x86-64-posix
  xvfb xauth x11-apps fonts-dejavu-core fonts-liberation2
  qt6-translations-l10n
  libqt6sql6-sqlite libqt6sql6-psql
)

# ---- test-only packages (scripts/test.sh passes --test) --------------------
if [ "${1:-}" = "--test" ]; then
  packages+=(wine wine64 lintian poppler-utils dpkg-dev tcl zip unzip postgresql clang-format clang-tidy
    xdotool x11-utils imagemagick)
fi
# ---------------------------------------------------------------------------

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Retakes the pictures in docs/screenshots: the windows against the simulated
# valve, offscreen, in the program's font.
#   scripts/screenshots.sh [BUILD_DIR]    (default build/release; built with tests)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
[ -x "$build/bin/gui_tests" ] || { echo "no $build/bin/gui_tests: build with tests first" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen TARVELMUNDIX_SCREENSHOTS="$root/docs/screenshots" \
  "$build/bin/gui_tests" --gtest_filter='Screenshots.*' --gtest_brief=1
echo "Pictures in $root/docs/screenshots"

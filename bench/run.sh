#!/usr/bin/env bash
# Runs every benchmark once and prints all their results:
#   bash bench/run.sh [build dir, default build/release]
# Build it with -DCMAKE_BUILD_TYPE=RelWithDebInfo (the default of scripts/test.sh).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/release}/bin
status=0
"$bin/link_bench" || status=$?
echo
"$bin/program_bench" || status=$?
echo
"$bin/profile_bench" || status=$?
"$bin/trace_bench" || status=$?
echo
"$bin/cli_bench" || status=$?
echo
# SQLite always; PostgreSQL on a throw-away server of its own where the
# postgresql package is installed, otherwise it says so and measures SQLite alone.
# Built with the tests only (it starts its server as they do).
if [ -x "$bin/history_bench" ]; then
  "$bin/history_bench" || status=$?
else
  echo "history_bench: not built (configure with the tests)"
fi
exit $status

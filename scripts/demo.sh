#!/usr/bin/env bash
# Sets up the machine, builds, and starts the tool against a simulated valve.
# The simulator registers itself as COM3 (announced as the valve's USB port) in
# a port-map folder of the demo's own and keeps its EEPROM in
# build/demo/valve-eeprom.state, so stored parameters survive a restart.
# Arguments are passed to valve-sim, e.g.:  scripts/demo.sh --input current --positions 2
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target tarvelmundix valve-sim

demo="$root/build/demo"
mkdir -p "$demo/ports"
export TARVELMUNDIX_PORTS="$demo/ports"

"$build/bin/valve-sim" --ports "$demo/ports" --state "$demo/valve-eeprom.state" --log "$demo/requests.log" "$@" \
  >"$demo/valve-sim.out" 2>"$demo/valve-sim.err" &
sim_pid=$!
cleanup() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
}
trap cleanup EXIT

for _ in $(seq 100); do
  [ -s "$demo/valve-sim.out" ] && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    cat "$demo/valve-sim.err" >&2
    exit 1
  fi
  sleep 0.1
done
echo "Simulated valve on $(head -n1 "$demo/valve-sim.out") (COM entries in $demo/ports; requests logged to $demo/requests.log)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting under Xvfb (the window is not visible; close it with Ctrl+C)." >&2
  xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/tarvelmundix"
else
  "$build/bin/tarvelmundix"
fi

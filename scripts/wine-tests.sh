#!/usr/bin/env bash
# Runs the Windows build of the platform and link layers and their link tests
# under Wine, against valve-sim on a pty entered as a COM port in the Wine
# prefix's dosdevices (Wine maps comN links there as our port-map folder does).
#
#   scripts/wine-tests.sh NATIVE_BUILD_DIR
#
# NATIVE_BUILD_DIR holds a Linux build with bin/valve-sim. Each test runs in a
# Windows process of its own against a fresh valve-sim, which it drives
# through valve-sim's control port. Without Wine the step says so and passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${1:-$root/build/release}

wine_cmd=$(command -v wine || command -v wine64 || true)
if [ -z "$wine_cmd" ]; then
  echo "SKIPPED: the Windows tests under Wine need Wine (scripts/setup.sh --test installs it)."
  exit 0
fi
[ -x "$native/bin/valve-sim" ] || { echo "no valve-sim in $native/bin" >&2; exit 1; }

out="$root/build/wine"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
mkdir -p "$out"
if ! { cmake -S "$root/tests/wine" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" "${launcher[@]}" &&
       cmake --build "$out" -j"$(nproc)"; } >"$out/build.log" 2>&1; then
  cat "$out/build.log" >&2
  echo "the Windows build of the link tests failed" >&2
  exit 1
fi

# See the shim's comment: a pty cannot take parity, and glibc says so.
cc -shared -fPIC -O2 -o "$out/pty_shim.so" "$root/tests/wine/pty_shim.c" -ldl

export WINEPREFIX="$out/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
logs="$out/logs"
rm -rf "$logs" && mkdir -p "$logs"
# One persistent wineserver for the whole run, so that each test starts quickly.
mkdir -p "$WINEPREFIX"
wineserver -k >/dev/null 2>&1 || true
wineserver -p >"$logs/wineserver.log" 2>&1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix (once; takes a few seconds)"
  wineboot -i >"$logs/wineboot.log" 2>&1
fi
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
dosdevices="$WINEPREFIX/dosdevices"
exe="$out/link_tests.exe"

# Suite.Test names from the program's own list.
mapfile -t tests < <("$wine_cmd" "$exe" --gtest_list_tests 2>/dev/null | tr -d '\r' | awk '
  /^[^ ]/ { suite = $1; next }
  /^  [^ ]/ { print suite $1 }')
[ ${#tests[@]} -gt 0 ] || { echo "the Windows test program lists no tests" >&2; exit 1; }

passed=0
failed=()
for t in "${tests[@]}"; do
  log="$logs/${t//\//_}"
  : >"$log.sim.err"  # there before the background job opens it
  "$native/bin/valve-sim" --no-pacing --no-register --ports "$dosdevices" --control 0 \
    >"$log.sim.out" 2>"$log.sim.err" &
  sim_pid=$!
  port=
  for _ in $(seq 100); do
    port=$(sed -n 's/^valve-sim: control port 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$log.sim.err" || true)
    [ -n "$port" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ -z "$port" ]; then
    echo "valve-sim did not start:" >&2
    cat "$log.sim.err" >&2
    exit 1
  fi
  if TVX_SIM_CONTROL=$port LD_PRELOAD="$out/pty_shim.so" timeout 180 "$wine_cmd" "$exe" --gtest_filter="$t" >"$log.out" 2>&1; then
    passed=$((passed + 1))
  else
    failed+=("$t")
    echo "---- $t (Windows, under Wine) failed:"
    tr -d '\r' <"$log.out" | grep -v '^\(Running main\|Note: Google Test filter\)' || true
  fi
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
done

echo "Windows tests under Wine: $passed of ${#tests[@]} passed"
[ ${#failed[@]} -eq 0 ] || { printf '  failed: %s\n' "${failed[@]}"; exit 1; }

#!/usr/bin/env bash
# Runs Windows test programs under Wine, each link, GUI and command line test in
# a Windows process of its own against a fresh valve-sim on a pty entered as a
# COM port in the Wine prefix's dosdevices (Wine maps comN links there as our
# port-map folder does); the test drives it through valve-sim's control port.
#
#   scripts/wine-tests.sh NATIVE_BUILD_DIR
#       builds the platform and link layers and their link tests for Windows
#       (tests/wine, no Qt needed) and runs them;
#   scripts/wine-tests.sh NATIVE_BUILD_DIR WINDOWS_BIN_DIR
#       runs the whole Windows build's tests (scripts/windows-build.sh):
#       unit_tests at once, link_tests, gui_tests and cli_tests test by test
#       (TVX_WINE_FILTER, a GoogleTest filter, picks some of the latter).
#       A test that fails runs once more against a fresh valve-sim
#       (TVX_WINE_RERUN=0: never): it fails if it fails again; one that
#       passes the second time is named in the summary, both logs kept.
#
# NATIVE_BUILD_DIR holds a Linux build with bin/valve-sim. Without Wine the
# step says so and passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${1:-$root/build/release}
windows_bin=${2:-}

wine_cmd=$(command -v wine || command -v wine64 || true)
if [ -z "$wine_cmd" ]; then
  echo "SKIPPED: the Windows tests under Wine need Wine (scripts/setup.sh --test installs it)."
  exit 0
fi
[ -x "$native/bin/valve-sim" ] || { echo "no valve-sim in $native/bin" >&2; exit 1; }

if [ -z "$windows_bin" ]; then
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
  whole=()
  per_test=("$out/link_tests.exe")
else
  out="$(cd "$windows_bin/.." && pwd)/wine"
  mkdir -p "$out"
  whole=("$windows_bin/unit_tests.exe")
  per_test=()
  for t in link_tests gui_tests cli_tests; do
    [ -f "$windows_bin/$t.exe" ] && per_test+=("$windows_bin/$t.exe")
  done
fi

# See the shim's comment: a pty cannot take parity, and glibc says so.
shim="$out/pty_shim.so"
cc -shared -fPIC -O2 -o "$shim" "$root/tests/wine/pty_shim.c" -ldl

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
  # Wine has no Arial: Liberation Sans has its widths, which the layout is
  # drawn for. The offscreen platform of the GUI tests draws with FreeType
  # from a font folder. (Wine gives Windows programs no QT_* variables of the
  # Linux environment, so they are set here.)
  "$wine_cmd" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >>"$logs/wineboot.log" 2>&1
  "$wine_cmd" reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d 'Z:\usr\share\fonts\truetype\liberation2' /f \
    >>"$logs/wineboot.log" 2>&1
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
passed=0
failed=()
second=()
total=0

# One test in a Windows process of its own against a fresh valve-sim; its
# output in LOG.out, the simulator's in LOG.sim.out and LOG.sim.err.
run_one() {
  local exe=$1 t=$2 log=$3 port= status=0
  # Only the ports the test's valve enters: none of Wine's own (com1 is
  # /dev/ttyS0) and none a previous test's simulator left behind.
  find "$dosdevices" -maxdepth 1 -name 'com*' -type l -delete
  : >"$log.sim.err"  # there before the background job opens it
  "$native/bin/valve-sim" --no-pacing --no-register --ports "$dosdevices" --control 0 \
    >"$log.sim.out" 2>"$log.sim.err" &
  sim_pid=$!
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
  TVX_SIM_CONTROL=$port LD_PRELOAD="$shim" timeout "${TVX_WINE_TIMEOUT:-180}" "$wine_cmd" "$exe" --gtest_filter="$t" \
    >"$log.out" 2>&1 || status=$?
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
  return "$status"
}

# Test programs that need no valve: run whole, once.
for exe in "${whole[@]}"; do
  name=$(basename "$exe" .exe)
  if timeout 600 "$wine_cmd" "$exe" --gtest_brief=1 >"$logs/$name.out" 2>&1; then
    count=$(tr -d '\r' <"$logs/$name.out" | sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p')
    passed=$((passed + ${count:-0}))
    total=$((total + ${count:-0}))
  else
    tr -d '\r' <"$logs/$name.out" | tail -n 60
    failed+=("$name")
  fi
done

for exe in "${per_test[@]}"; do
  name=$(basename "$exe" .exe)
  # Suite.Test names from the program's own list.
  mapfile -t tests < <(timeout 120 "$wine_cmd" "$exe" --gtest_list_tests --gtest_filter="${TVX_WINE_FILTER:-*}" 2>/dev/null | tr -d '\r' | awk '
    /^[^ ]/ { suite = $1; next }
    /^  [^ ]/ { print suite $1 }')
  if [ ${#tests[@]} -eq 0 ]; then
    [ -n "${TVX_WINE_FILTER:-}" ] && continue
    echo "$name lists no tests" >&2
    exit 1
  fi
  total=$((total + ${#tests[@]}))
  for t in "${tests[@]}"; do
    log="$logs/$name.${t//\//_}"
    if run_one "$exe" "$t" "$log"; then
      passed=$((passed + 1))
      continue
    fi
    echo "---- $name $t (Windows, under Wine) failed:"
    tr -d '\r' <"$log.out" | grep -v '^\(Running main\|Note: Google Test filter\)' || true
    # Once more against a fresh valve-sim: a test that fails twice fails; one
    # that passes the second time is named in the summary, its first log kept.
    if [ "${TVX_WINE_RERUN:-1}" = 1 ]; then
      for f in "$log".*; do [ -e "$f" ] && mv "$f" "${f/$log./$log.first.}"; done
      if run_one "$exe" "$t" "$log"; then
        echo "---- $name $t passed on its second run (first run's log: $log.first.out)"
        passed=$((passed + 1))
        second+=("$name $t")
        continue
      fi
      echo "---- $name $t failed again"
    fi
    failed+=("$name $t")
  done
done

echo "Windows tests under Wine: $passed of $total passed"
[ ${#second[@]} -eq 0 ] || printf '  passed on a second run only: %s\n' "${second[@]}"
[ ${#failed[@]} -eq 0 ] || { printf '  failed: %s\n' "${failed[@]}"; exit 1; }

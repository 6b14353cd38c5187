#!/usr/bin/env bash
# Sets up the machine, checks the layering of the includes, builds and runs
# every test:
#   1. the normal build: unit, simulator, link and GUI tests (offscreen);
#   2. every test again under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the simulator and link tests under ThreadSanitizer (Qt-free code only:
#      Debian's Qt is not built for TSan);
#   4. every libFuzzer target in tests/fuzz for a bounded time (TVX_FUZZ_SECONDS,
#      default 20), when clang is installed.
# After step 1 it checks the code style (scripts/check-style.sh: clang-format on
# every file, clang-tidy on the files changed against main; TVX_TIDY=all for
# every file). After that it also runs the Windows build's link tests under Wine
# (scripts/wine-tests.sh) and builds and checks the Debian packages
# (scripts/package-check.sh, lintian); each says when it is skipped.
# TVX_SKIP_SANITIZERS=1 runs step 1 only.
# Last, the whole Windows build: Qt, libjpeg-turbo, GoogleTest and SQLite
# cross-built from Debian's sources once, into ~/.cache/tarvelmundix (started
# in the background at the lowest priority right after the set-up, so that it
# takes the processor time the tests leave idle), then the program, the tool
# and the tests for Windows, their run under Wine, and the Windows zip with the
# check of its contents. TVX_WINDOWS_BUILD=0 leaves it out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
# Each step says how long it took.
step_name= step_start=$SECONDS
step() {
  [ -n "$step_name" ] && echo "   ($step_name: $((SECONDS - step_start)) s)"
  step_name=$1 step_start=$SECONDS
  [ -n "$1" ] && echo "== $1"
  return 0
}
windows_deps_pid=
finish() {
  trap - EXIT  # once
  [ -n "$windows_deps_pid" ] && kill -- "-$windows_deps_pid" 2>/dev/null
  step ""
  echo "   (whole test run: $SECONDS s)"
}
trap finish EXIT
configure_and_build() {
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
}
run_tests() {
  local dir=$1; shift
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" "$@"
}

step "Setting up the machine"
bash "$root/scripts/setup.sh" --test

windows_build=${TVX_WINDOWS_BUILD:-1}
if [ "$windows_build" = 1 ]; then
  step "Windows build's libraries from Debian's sources: started in the background (once; kept in the cache)"
  mkdir -p "$root/build"
  # Its own process group, so that an early end of the run stops all of it.
  setsid bash "$root/scripts/windows-build.sh" --deps >"$root/build/windows-deps.log" 2>&1 &
  windows_deps_pid=$!
  echo "   its steps and times: build/windows-deps.log"
fi

step "Layering of the includes"
bash "$root/scripts/check-layers.sh"
bash "$root/tests/layers/planted_includes.sh"

step "Windows compile check of the platform and link layers"
bash "$root/scripts/check-windows-build.sh"

step "Build and test"
configure_and_build "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_tests "$root/build/release"

echo "== Code style (clang-format, clang-tidy)"
start=$SECONDS
bash "$root/scripts/check-style.sh" "$root/build/release"
echo "   (code style: $((SECONDS - start)) s)"

# ---- Windows under Wine, and the Debian package ------------------------------
step "Windows build of the platform and link layers, tested under Wine"
bash "$root/scripts/wine-tests.sh" "$root/build/release"
step "Debian package"
bash "$root/scripts/package-check.sh" "$root/build/release"
# -----------------------------------------------------------------------------

if [ "${TVX_SKIP_SANITIZERS:-0}" != 1 ]; then
  step "AddressSanitizer + UndefinedBehaviorSanitizer"
  configure_and_build "$root/build/asan" -DCMAKE_BUILD_TYPE=Debug "-DTVX_SANITIZE=address;undefined" \
    -DTVX_BUILD_BENCH=OFF
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    run_tests "$root/build/asan"

  step "ThreadSanitizer (simulator and link)"
  configure_and_build "$root/build/tsan" -DCMAKE_BUILD_TYPE=Debug -DTVX_SANITIZE=thread \
    -DTVX_BUILD_GUI=OFF -DTVX_BUILD_BENCH=OFF
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" run_tests "$root/build/tsan" -L "sim|link"

  fuzz_seconds=${TVX_FUZZ_SECONDS:-20}
  step "Fuzz targets, ${fuzz_seconds} s each"
  if command -v clang++ >/dev/null 2>&1; then
    CXX=clang++ configure_and_build "$root/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTVX_BUILD_FUZZ=ON \
      -DTVX_BUILD_GUI=OFF -DTVX_BUILD_TESTS=OFF -DTVX_BUILD_BENCH=OFF
    for target in "$root"/build/fuzz/bin/fuzz_*; do
      log="$target.log"
      if "$target" -max_total_time="$fuzz_seconds" -artifact_prefix="$root/build/fuzz/" >"$log" 2>&1; then
        echo "$(basename "$target"): $(grep -E '^Done [0-9]+ runs' "$log" || echo done)"
      else
        tail -n 40 "$log"
        echo "$(basename "$target") failed; the input that did it is in $root/build/fuzz/"
        exit 1
      fi
    done
  else
    echo "clang++ not found: fuzz targets skipped"
  fi
fi

# ---- The whole Windows build -------------------------------------------------
if [ "$windows_build" = 1 ]; then
  step "Windows build's libraries (waiting for the background build)"
  deps_status=0
  wait "$windows_deps_pid" || deps_status=$?
  windows_deps_pid=
  grep -E '^(==|   \()' "$root/build/windows-deps.log" || true
  if [ "$deps_status" != 0 ]; then
    tail -n 80 "$root/build/windows-deps.log"
    echo "the Windows build's libraries failed (exit $deps_status)"
    exit 1
  fi
  step "The program, the tool and the tests for Windows"
  bash "$root/scripts/windows-build.sh"
  step "The Windows build's tests under Wine"
  bash "$root/scripts/wine-tests.sh" "$root/build/release" "$root/build/win64/bin"
  step "The Windows zip and the check of its contents"
  bash "$root/scripts/windows-package.sh" "$root/build/win64/bin" "$root/build"
fi

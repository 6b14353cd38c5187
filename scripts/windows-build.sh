#!/usr/bin/env bash
# Makes the Windows (64-bit, MinGW-w64 with POSIX threads) build from nothing:
#   1. enables Debian's source archive if apt has none, and fetches the source
#      packages of qt6-base, libjpeg-turbo, googletest and sqlite3 (Debian's
#      Qt tarball leaves out the SQLite that Qt's SQLite driver builds in);
#   2. cross-builds them once into a cache folder outside the repository, named
#      after their versions and the compiler's, and kept between runs
#      (TVX_WIN_CACHE, default ~/.cache/tarvelmundix);
#   3. builds the program, tarvelmundix-cli and the test programs for Windows
#      with cmake/mingw-w64.cmake into build/win64.
# Prints the time of each step. Qt is built with only what the program uses:
# Core, Gui, Widgets, Test and the windows platform plugin (plus the offscreen
# one, for the GUI tests under Wine).
#
#   scripts/windows-build.sh            all three steps
#   scripts/windows-build.sh --deps     steps 1 and 2 only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/windows-env.sh"

step_start=0
step() { step_start=$(date +%s); echo "== $*"; }
step_done() { echo "   ($(( $(date +%s) - step_start )) s)"; }

# ---- 1. Debian's sources ----------------------------------------------------
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ -z "$(apt-cache showsrc qt6-base 2>/dev/null | head -1)" ]; then
  step "Enabling Debian's source archive"
  # The same archives and suites as the binary entries, for source packages.
  for f in /etc/apt/sources.list.d/*.sources; do
    grep -q '^Types:.*deb-src' "$f" && continue
    grep -q '^URIs:.*debian' "$f" || continue
    sed 's/^Types:.*/Types: deb-src/' "$f" |
      "${sudo_cmd[@]}" tee "/etc/apt/sources.list.d/tvx-src-$(basename "$f")" >/dev/null
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb .*debian' /etc/apt/sources.list; then
    grep '^deb .*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/tvx-src.list >/dev/null
  fi
  "${sudo_cmd[@]}" apt-get update -q >/dev/null
  step_done
fi
tvx_win_versions
mkdir -p "$TVX_WIN_PREFIX" "$TVX_WIN_SRC"

fetch_source() {  # package, version
  local pkg=$1 version=$2
  [ -f "$TVX_WIN_SRC/$pkg.done" ] && return 0
  rm -rf "${TVX_WIN_SRC:?}/$pkg" && mkdir -p "$TVX_WIN_SRC/$pkg"
  (cd "$TVX_WIN_SRC/$pkg" && apt-get source -q "$pkg=$version" >../"$pkg".fetch.log 2>&1) ||
    { cat "$TVX_WIN_SRC/$pkg.fetch.log" >&2; return 1; }
  touch "$TVX_WIN_SRC/$pkg.done"
}
source_dir() { find "$TVX_WIN_SRC/$1" -mindepth 1 -maxdepth 1 -type d | head -1; }

if [ ! -f "$TVX_WIN_PREFIX/.complete" ]; then
  step "Fetching Debian's sources of qt6-base $TVX_QT_VERSION, libjpeg-turbo $TVX_JPEG_VERSION, googletest $TVX_GTEST_VERSION, sqlite3 $TVX_SQLITE_VERSION"
  fetch_source qt6-base "$TVX_QT_VERSION"
  fetch_source libjpeg-turbo "$TVX_JPEG_VERSION"
  fetch_source googletest "$TVX_GTEST_VERSION"
  fetch_source sqlite3 "$TVX_SQLITE_VERSION"
  step_done
fi

# ---- 2. Qt, libjpeg-turbo and GoogleTest for Windows, once --------------------
toolchain="$root/cmake/mingw-w64.cmake"
deps_build="$TVX_WIN_CACHE/build-$TVX_WIN_KEY"
jobs=${TVX_JOBS:-$(nproc)}
build_logged() {  # log, command...
  local log=$1; shift
  if ! nice -n "${TVX_NICE:-19}" "$@" >>"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "failed; the whole log is $log" >&2
    return 1
  fi
}

if [ ! -f "$TVX_WIN_PREFIX/.jpeg" ]; then
  step "libjpeg-turbo for Windows (static)"
  src=$(source_dir libjpeg-turbo)
  rm -rf "$deps_build/jpeg" && mkdir -p "$deps_build/jpeg"
  build_logged "$deps_build/jpeg.log" cmake -S "$src" -B "$deps_build/jpeg" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$TVX_WIN_PREFIX" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DWITH_JAVA=OFF -DREQUIRE_SIMD=OFF
  build_logged "$deps_build/jpeg.log" cmake --build "$deps_build/jpeg" -j"$jobs" --target jpeg-static
  # The library and the IJG headers only (its install target wants the tools).
  mkdir -p "$TVX_WIN_PREFIX/lib" "$TVX_WIN_PREFIX/include"
  cp "$deps_build/jpeg/libjpeg.a" "$TVX_WIN_PREFIX/lib/"
  cp "$deps_build/jpeg/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$TVX_WIN_PREFIX/include/"
  cp "$src/LICENSE.md" "$TVX_WIN_PREFIX/libjpeg-turbo-LICENSE.md"
  cp "$src/README.ijg" "$TVX_WIN_PREFIX/libjpeg-turbo-README.ijg"
  touch "$TVX_WIN_PREFIX/.jpeg"
  step_done
fi

if [ ! -f "$TVX_WIN_PREFIX/.gtest" ]; then
  step "GoogleTest for Windows (static)"
  src=$(source_dir googletest)
  rm -rf "$deps_build/gtest" && mkdir -p "$deps_build/gtest"
  build_logged "$deps_build/gtest.log" cmake -S "$src" -B "$deps_build/gtest" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$TVX_WIN_PREFIX" -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF
  build_logged "$deps_build/gtest.log" cmake --build "$deps_build/gtest" -j"$jobs"
  build_logged "$deps_build/gtest.log" cmake --install "$deps_build/gtest"
  touch "$TVX_WIN_PREFIX/.gtest"
  step_done
fi

if [ ! -f "$TVX_WIN_PREFIX/.qt-sql" ]; then
  src=$(source_dir qt6-base)
  if [ ! -f "$src/src/3rdparty/sqlite/sqlite3.c" ]; then
    step "SQLite's one-file source for Qt's SQLite driver"
    # Debian's source is SQLite's tree; its makefile joins it into the
    # sqlite3.c and sqlite3.h that Qt's driver compiles in (needs tclsh).
    rm -rf "$deps_build/sqlite" && mkdir -p "$deps_build/sqlite"
    sqlite_src=$(source_dir sqlite3)
    build_logged "$deps_build/sqlite.log" sh -c "cd '$deps_build/sqlite' && '$sqlite_src/configure' --disable-tcl && make sqlite3.c"
    mkdir -p "$src/src/3rdparty/sqlite"
    cp "$deps_build/sqlite/sqlite3.h" "$src/src/3rdparty/sqlite/"
    cp "$deps_build/sqlite/sqlite3.c" "$src/src/3rdparty/sqlite/"
    cp "$sqlite_src/LICENSE.md" "$TVX_WIN_PREFIX/sqlite-LICENSE.md"
    step_done
  fi
  step "Qt $TVX_QT_VERSION for Windows: configure"
  # A build folder whose configuration did not finish is configured anew.
  if [ ! -f "$deps_build/qt/.configured" ]; then
    rm -rf "$deps_build/qt" && mkdir -p "$deps_build/qt"
    # Host tools (moc, uic, rcc) are Debian's own, of the same Qt version.
    # Off what the program does not use; tablet events off because Debian's
    # tarball lacks their sources; OpenGL off through its input (switching the
    # feature off leaves dynamic OpenGL on, and the windows plugin then does
    # not compile); DirectWrite 3 off with Direct2D, or the windows plugin
    # does not link; the offscreen plugin needs freetype.
    build_logged "$deps_build/qt.log" cmake -S "$src" -B "$deps_build/qt" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$TVX_WIN_PREFIX" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
      -DQT_FEATURE_network=OFF -DQT_FEATURE_sql=ON -DQT_FEATURE_sql_sqlite=ON -DQT_FEATURE_system_sqlite=OFF -DQT_FEATURE_sql_odbc=OFF -DQT_FEATURE_dbus=OFF -DQT_FEATURE_xml=OFF \
      -DQT_FEATURE_printsupport=OFF -DQT_FEATURE_concurrent=OFF -DINPUT_opengl=no \
      -DQT_FEATURE_vulkan=OFF -DQT_FEATURE_tabletevent=OFF \
      -DQT_FEATURE_direct2d=OFF -DQT_FEATURE_directwrite3=OFF \
      -DQT_FEATURE_freetype=ON -DQT_FEATURE_system_freetype=OFF \
      -DQT_FEATURE_system_zlib=OFF -DQT_FEATURE_system_pcre2=OFF -DQT_FEATURE_system_harfbuzz=OFF \
      -DQT_FEATURE_system_png=OFF -DQT_FEATURE_jpeg=OFF -DQT_FEATURE_gif=OFF \
      -DQT_FEATURE_icu=OFF -DQT_FEATURE_testlib_selfcover=OFF \
      -DQT_FEATURE_accessibility=ON -DQT_FEATURE_fontconfig=OFF
    touch "$deps_build/qt/.configured"
    step_done
  fi
  step "Qt $TVX_QT_VERSION for Windows: build (once; about 20 minutes on two cores)"
  build_logged "$deps_build/qt.log" cmake --build "$deps_build/qt" -j"$jobs"
  build_logged "$deps_build/qt.log" cmake --install "$deps_build/qt"
  touch "$TVX_WIN_PREFIX/.qt-sql"
  step_done
fi
touch "$TVX_WIN_PREFIX/.complete"
rm -rf "$deps_build"
[ "${1:-}" = --deps ] && exit 0

# ---- 3. The program, the command line tool and the tests for Windows ----------
out="$root/build/win64"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
step "The program, tarvelmundix-cli and the tests for Windows"
mkdir -p "$out"
: >"$out/build.log"
build_logged "$out/build.log" cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTVX_WINDOWS_PREFIX="$TVX_WIN_PREFIX" -DCMAKE_PREFIX_PATH="$TVX_WIN_PREFIX" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DTVX_BUILD_BENCH=OFF "${launcher[@]}"
build_logged "$out/build.log" cmake --build "$out" -j"$jobs"
if grep -q 'warning:' "$out/build.log"; then
  grep 'warning:' "$out/build.log" >&2
  echo "the Windows build warns: fix the code" >&2
  exit 1
fi
step_done

# The DLLs and plugins beside the programs, as in the zip, so that the tests
# and the programs run from the build folder under Wine.
step "Qt's and MinGW's DLLs beside the Windows programs"
bash "$root/scripts/windows-package.sh" --deploy "$out/bin"
step_done

#!/usr/bin/env bash
# The Windows build's DLLs, plugins and the portable zip (scripts/windows-build.sh
# made the build and the cache of Qt, libjpeg-turbo and GoogleTest).
#
#   scripts/windows-package.sh --deploy BIN_DIR
#       puts the MinGW and Qt DLLs and the plugins the programs load beside the
#       programs in BIN_DIR (plus the offscreen platform, for the GUI tests)
#       and Qt's Polish texts;
#   scripts/windows-package.sh BIN_DIR OUT_DIR
#       makes OUT_DIR/tarvelmundix-<version>-win64.zip: both programs, the DLLs
#       and plugins they need, Qt's Polish texts, the README and the licence
#       texts of everything in it; then checks the zip's contents and fails on
#       a missing or surplus DLL.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/windows-env.sh"
tvx_win_versions

qt_bin="$TVX_WIN_PREFIX/bin"
qt_plugins="$TVX_WIN_PREFIX/plugins"
mingw_dirs=(/usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib)
programs=(tarvelmundix.exe tarvelmundix-cli.exe)
# Plugins are loaded by name at run time, so no import names them: the
# platform of the windows and the style that draws them as Windows does.
plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll sqldrivers/qsqlite.dll)

imports() {  # the DLLs a Windows binary imports
  x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'
}
# Where a DLL that is not Windows' own comes from; nothing for Windows' own.
dll_source() {
  local dir
  for dir in "$qt_bin" "${mingw_dirs[@]}"; do
    [ -f "$dir/$1" ] && { echo "$dir/$1"; return; }
  done
  return 0
}
# The DLLs of ours to ship for the given binaries, imports of imports included.
needed_dlls() {
  local -A seen=()
  local queue=("$@") file dll src
  while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}; queue=("${queue[@]:1}")
    for dll in $(imports "$file"); do
      src=$(dll_source "$dll")
      [ -n "$src" ] || continue
      [ -n "${seen[$dll]:-}" ] && continue
      seen[$dll]=1
      queue+=("$src")
    done
  done
  printf '%s\n' "${!seen[@]}" | sort
}

deploy() {  # bin folder, extra plugins...
  local bin=$1; shift
  local p dll binaries=()
  for p in "${plugins[@]}" "$@"; do
    mkdir -p "$bin/$(dirname "$p")"
    cp "$qt_plugins/$p" "$bin/$p"
    binaries+=("$qt_plugins/$p")
  done
  for p in "$bin"/*.exe; do binaries+=("$p"); done
  for dll in $(needed_dlls "${binaries[@]}"); do
    cp "$(dll_source "$dll")" "$bin/"
  done
  # Qt's own texts in Polish (Debian's qt6-translations-l10n), loaded by the
  # program from its folder's translations.
  mkdir -p "$bin/translations"
  cp /usr/share/qt6/translations/qtbase_pl.qm "$bin/translations/"
}

if [ "${1:-}" = --deploy ]; then
  deploy "$2" platforms/qoffscreen.dll
  exit 0
fi

bin=$(cd "$1" && pwd)
out=$2
version=$(sed -n 's/^project(Tarvelmundix VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name="tarvelmundix-$version-win64"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/$name"
mkdir -p "$dir/translations" "$dir/licenses"
for p in "${programs[@]}"; do
  cp "$bin/$p" "$dir/"
  x86_64-w64-mingw32-strip "$dir/$p"
done
deploy "$dir"
cp "$root/README.md" "$dir/README.md"

# Licences of everything shipped. Qt under the LGPL 3 with the licences of
# the third-party code built into its DLLs (Debian's copyright file of
# qt6-base lists them all); SQLite (built into Qt's SQLite driver);
# libjpeg-turbo (built into the programs); the MinGW
# runtime (GCC's runtime library exception, winpthreads).
qt_src=$(find "$TVX_WIN_SRC/qt6-base" -mindepth 1 -maxdepth 1 -type d | head -1)
jpeg_src=$(find "$TVX_WIN_SRC/libjpeg-turbo" -mindepth 1 -maxdepth 1 -type d | head -1)
mkdir -p "$dir/licenses/Qt" "$dir/licenses/libjpeg-turbo" "$dir/licenses/MinGW-w64"
cp "$qt_src/LICENSES/LGPL-3.0-only.txt" "$qt_src/LICENSES/GPL-3.0-only.txt" "$dir/licenses/Qt/"
cp "$qt_src/debian/copyright" "$dir/licenses/Qt/copyright"
cat >"$dir/licenses/Qt/SOURCE.txt" <<EOF
The Qt DLLs (Qt6Core, Qt6Gui, Qt6Widgets and the plugins) are Qt $TVX_QT_VERSION, used under
the GNU Lesser General Public License version 3 (LGPL-3.0-only.txt). They are built
unchanged from Debian's source package qt6-base, version $TVX_QT_VERSION
(apt-get source qt6-base=$TVX_QT_VERSION, or the Debian archive's pool/main/q/qt6-base/),
by the Windows build script of Tarvelmundix. You may replace these DLLs with your own
build of the same Qt version. copyright lists the licences of the code built into them.
Debian's tarball leaves out the SQLite that Qt's SQLite driver (sqldrivers/qsqlite.dll)
builds in: it is SQLite from Debian's source package sqlite3, version $TVX_SQLITE_VERSION,
in the public domain (../SQLite/LICENSE.md).
EOF
mkdir -p "$dir/licenses/SQLite"
cp "$TVX_WIN_PREFIX/sqlite-LICENSE.md" "$dir/licenses/SQLite/LICENSE.md"
cp "$jpeg_src/LICENSE.md" "$dir/licenses/libjpeg-turbo/LICENSE.md"
cp "$jpeg_src/README.ijg" "$dir/licenses/libjpeg-turbo/README.ijg"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$dir/licenses/MinGW-w64/gcc-runtime-copyright"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$dir/licenses/MinGW-w64/mingw-w64-copyright"

mkdir -p "$out"
zip_file="$(cd "$out" && pwd)/$name.zip"
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -q -r -X "$zip_file" "$name")

# ---- The zip's check --------------------------------------------------------
# Every DLL in it is one the programs or plugins import, or a plugin; every
# DLL they import, other than Windows' own, is in it.
check=$(mktemp -d)
trap 'rm -rf "$stage" "$check"' EXIT
unzip -q "$zip_file" -d "$check"
top="$check/$name"
problems=()
for p in "${programs[@]}" "${plugins[@]}" translations/qtbase_pl.qm README.md \
         licenses/Qt/LGPL-3.0-only.txt licenses/Qt/SOURCE.txt licenses/libjpeg-turbo/LICENSE.md licenses/SQLite/LICENSE.md \
         licenses/MinGW-w64/gcc-runtime-copyright; do
  [ -f "$top/$p" ] || problems+=("missing: $p")
done
binaries=()
for p in "${programs[@]}" "${plugins[@]}"; do [ -f "$top/$p" ] && binaries+=("$top/$p"); done
mapfile -t needed < <(needed_dlls "${binaries[@]}")
for dll in "${needed[@]}"; do
  [ -f "$top/$dll" ] || problems+=("missing DLL: $dll")
done
while IFS= read -r f; do
  rel=${f#"$top/"}
  case " ${plugins[*]} " in *" $rel "*) continue ;; esac
  printf '%s\n' "${needed[@]}" | grep -qx "$rel" || problems+=("surplus DLL: $rel")
done < <(find "$top" -iname '*.dll')
while IFS= read -r f; do
  rel=${f#"$top/"}
  case " ${programs[*]} " in *" $rel "*) ;; *) problems+=("surplus program: $rel") ;; esac
done < <(find "$top" -iname '*.exe')
unzip -Z1 "$zip_file" | grep -v '/$' | sed "s|^$name/||" | sort >"$out/$name.contents.txt"
if [ ${#problems[@]} -gt 0 ]; then
  printf '  %s\n' "${problems[@]}" >&2
  echo "the zip's contents are wrong (listed in $out/$name.contents.txt)" >&2
  exit 1
fi
echo "$zip_file: $(du -h "$zip_file" | cut -f1), $(wc -l <"$out/$name.contents.txt") files, DLLs: $(printf '%s ' "${needed[@]}")"

# Shared by the Windows build scripts: the cache of the cross-built libraries.
#   TVX_WIN_CACHE   cache folder (default ~/.cache/tarvelmundix)
# tvx_win_versions sets TVX_QT_VERSION, TVX_JPEG_VERSION, TVX_GTEST_VERSION,
# TVX_SQLITE_VERSION (the versions of Debian's source packages), TVX_WIN_KEY and TVX_WIN_PREFIX
# (the install folder, one per set of versions and compiler) and TVX_WIN_SRC.
TVX_WIN_CACHE=${TVX_WIN_CACHE:-$HOME/.cache/tarvelmundix}
tvx_src_version() {  # source package -> its version in apt's lists
  apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -1
}
tvx_win_versions() {
  TVX_QT_VERSION=$(tvx_src_version qt6-base)
  TVX_JPEG_VERSION=$(tvx_src_version libjpeg-turbo)
  TVX_GTEST_VERSION=$(tvx_src_version googletest)
  TVX_SQLITE_VERSION=$(tvx_src_version sqlite3)
  if [ -z "$TVX_QT_VERSION" ] || [ -z "$TVX_JPEG_VERSION" ] || [ -z "$TVX_GTEST_VERSION" ] ||
     [ -z "$TVX_SQLITE_VERSION" ]; then
    echo "apt knows no source of qt6-base, libjpeg-turbo, googletest or sqlite3" >&2
    return 1
  fi
  local gcc
  gcc=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
  TVX_WIN_KEY="qt${TVX_QT_VERSION}-jpeg${TVX_JPEG_VERSION}-gtest${TVX_GTEST_VERSION}-sqlite${TVX_SQLITE_VERSION}-mingw${gcc}"
  TVX_WIN_KEY=${TVX_WIN_KEY//[^A-Za-z0-9.+-]/_}
  TVX_WIN_PREFIX="$TVX_WIN_CACHE/win64-$TVX_WIN_KEY"
  TVX_WIN_SRC="$TVX_WIN_CACHE/src-$TVX_WIN_KEY"
}

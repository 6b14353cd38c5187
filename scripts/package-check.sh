#!/usr/bin/env bash
# Builds the Debian packages from a configured build folder and checks them:
# each holds what it should, and lintian (when installed) finds no error.
#   scripts/package-check.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)

rm -rf "$build/packages"
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
program=$(ls "$build"/packages/tarvelmundix_*.deb)
simulator=$(ls "$build"/packages/tarvelmundix-valve-sim_*.deb)

status=0
expect() {  # expect PACKAGE PATH...: each path is in the package
  local deb=$1; shift
  local listing
  listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
  for path in "$@"; do
    if ! grep -qx "\./$path" <<<"$listing"; then
      echo "$(basename "$deb") lacks /$path" >&2
      status=1
    fi
  done
}
expect "$program" usr/bin/tarvelmundix usr/bin/tarvelmundix-cli usr/share/man/man1/tarvelmundix-cli.1.gz usr/share/applications/tarvelmundix.desktop \
  usr/share/icons/hicolor/32x32/apps/tarvelmundix.png usr/lib/udev/rules.d/70-tarvelmundix.rules \
  usr/share/man/man1/tarvelmundix.1.gz usr/share/doc/tarvelmundix/copyright
expect "$simulator" usr/bin/valve-sim usr/share/man/man1/valve-sim.1.gz \
  usr/share/doc/tarvelmundix-valve-sim/copyright
if ! dpkg-deb -f "$program" Depends | grep -qw fonts-liberation2; then
  echo "$(basename "$program") does not depend on the font its windows are laid out for" >&2
  status=1
fi
if ! dpkg-deb -f "$program" Depends | grep -qw qt6-translations-l10n; then
  echo "$(basename "$program") does not depend on Qt's Polish translations" >&2
  status=1
fi
if dpkg-deb -c "$program" | grep -q valve-sim; then
  echo "the simulator belongs in its own package" >&2
  status=1
fi
[ $status -eq 0 ] && echo "Packages: $(basename "$program"), $(basename "$simulator")"

if command -v lintian >/dev/null; then
  # Errors fail the step; warnings are shown.
  lintian --fail-on error --suppress-tags-from-file /dev/null "$program" "$simulator" || status=1
  [ $status -eq 0 ] && echo "lintian: no errors"
else
  echo "SKIPPED: lintian is not installed (scripts/setup.sh --test installs it)."
fi
exit $status

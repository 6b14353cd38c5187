#!/usr/bin/env bash
# The layering check on a copy of the tree with one forbidden include planted
# at a time: each must make it fail and name the file, the include and its rule
# (a check that never fails would pass the tree too). The untouched copy passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# file | planted include | the rule the check must name
cases=(
  "src/link/port.cpp|params/valve_state.h|link includes only link and platform"
  "src/params/conversions.cpp|ui/guarded.h|a logic file includes neither ui nor app"
  "src/ui/valve_field.cpp|params/conversions.h|ui includes no subsystem"
  "src/view/dialog_view.h|params/conversions.h|view includes only view"
  "src/status/status_refresh.cpp|remote/set_value.h|status does not include remote: dependencies point down"
  "src/params/register_map.cpp|history/recorder.h|params does not include history: dependencies point down"
  "src/history/recorder.cpp|app/tpgm.h|only app and cli include app"
  "src/cli/cli.cpp|ui/widgets.h|the command line program uses no widget"
  "src/report/report_content.cpp|QPushButton|a logic file includes no Qt Widgets header"
  "sim/valve_model.cpp|params/conversions.h|the simulator shares only the protocol constants"
)

mkdir "$tmp/tree"
cp -r "$root/src" "$root/sim" "$root/scripts" "$tmp/tree/"
bash "$tmp/tree/scripts/check-layers.sh" >/dev/null || { echo "planted includes: the untouched copy fails"; exit 1; }

failed=0
for c in "${cases[@]}"; do
  IFS='|' read -r file inc rule <<<"$c"
  target=$tmp/tree/$file
  [ -e "$target" ] || { echo "planted includes: $file is gone: pick another file"; failed=1; continue; }
  cp "$target" "$tmp/saved"
  case "$inc" in Q*) echo "#include <$inc>" >>"$target" ;; *) echo "#include \"$inc\"" >>"$target" ;; esac
  if out=$(bash "$tmp/tree/scripts/check-layers.sh" 2>&1); then
    echo "planted includes: $file including $inc passed the check"; failed=1
  elif ! grep -qF "$file: includes " <<<"$out" || ! grep -qF "$inc" <<<"$out" || ! grep -qF "($rule)" <<<"$out"; then
    echo "planted includes: $file including $inc: expected ($rule), the check said:"; echo "$out"; failed=1
  fi
  cp "$tmp/saved" "$target"
done
[ "$failed" = 0 ] && echo "planted includes: each of ${#cases[@]} refused"
exit "$failed"

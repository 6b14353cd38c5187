#!/usr/bin/env bash
# Checks the include lines against the layers of the program
# (docs/architecture.md draws them):
#   app, cli -> report, session -> service, trace, remote, status -> history
#     -> params -> link -> platform (session: one valve's port and state);
#   view (the interfaces the sequences show and ask through) and the program's
#   few top-level headers stand at the bottom for everyone; ui (shared Qt
#   pieces) is used by the forms and includes no subsystem.
# It fails when
#   - a subsystem includes one beside or above it (an arrow running back up);
#     the one exception: cli may use app's widget-free pieces;
#   - platform or link include anything of the program above them;
#   - view includes anything of the program but view;
#   - ui includes anything of the program but ui, view and the top-level
#     headers;
#   - a logic file of a subsystem (not *_form.*) includes ui/, app/ or a Qt
#     Widgets header;
#   - anything but app and cli (the command line program, beside the window)
#     includes app/; cli includes neither ui/ nor app's forms nor Qt Widgets;
#   - the simulator includes anything of src/ but the link's protocol constants.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

widgets_dir=${TVX_QT_WIDGETS_INCLUDE:-}
if [ -z "$widgets_dir" ]; then
  for d in /usr/include/*/qt6/QtWidgets /usr/include/qt6/QtWidgets; do
    [ -d "$d" ] && widgets_dir=$d && break
  done
fi

violations=0
checked=0
report() {
  echo "layering: $1: includes $2 ($3)"
  violations=$((violations + 1))
}

# A subsystem's floor; view, ui and the top-level headers have none.
floor() {
  case "$1" in
    platform) echo 0 ;;
    link) echo 1 ;;
    params) echo 2 ;;
    history) echo 3 ;;
    status|remote|trace|service) echo 4 ;;
    report|session) echo 5 ;;
    app|cli) echo 6 ;;
    *) echo "" ;;
  esac
}

# The program's own includes of a file, one per line.
own_includes() { sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$1"; }
system_includes() { sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' "$1"; }

is_widgets_header() {
  local h=$1
  case "$h" in QtWidgets/*) return 0 ;; esac
  [ -n "$widgets_dir" ] && [ -e "$widgets_dir/$h" ]
}

while IFS= read -r file; do
  checked=$((checked + 1))
  rel=${file#src/}
  layer=${rel%%/*}
  [ "$layer" = "$rel" ] && layer=root
  base=$(basename "$file")
  while IFS= read -r inc; do
    [ -z "$inc" ] && continue
    target=${inc%%/*}
    [ "$target" = "$inc" ] && target=root
    case "$layer" in
      platform)
        [ "$target" = platform ] || report "$file" "$inc" "platform includes only platform" ;;
      link)
        case "$target" in link|platform) ;; *) report "$file" "$inc" "link includes only link and platform" ;; esac ;;
      view)
        [ "$target" = view ] || report "$file" "$inc" "view includes only view" ;;
      ui)
        case "$target" in ui|view|root) ;; *) report "$file" "$inc" "ui includes no subsystem" ;; esac ;;
    esac
    from=$(floor "$layer")
    to=$(floor "$target")
    if [ -n "$from" ] && [ -n "$to" ] && [ "$target" != "$layer" ] && [ "$to" -ge "$from" ] \
       && ! { [ "$layer" = cli ] && [ "$target" = app ]; }; then
      report "$file" "$inc" "$layer does not include $target: dependencies point down"
    fi
    if [ "$target" = app ] && [ "$layer" != app ] && [ "$layer" != cli ]; then report "$file" "$inc" "only app and cli include app"; fi
    if [ "$layer" = cli ]; then
      case "$inc" in
        ui/*) report "$file" "$inc" "the command line program uses no widget" ;;
        app/*) [ -e "src/${inc%.h}.cpp" ] && grep -q 'QtWidgets\|<Q[A-Z][A-Za-z]*Widget\|QDialog\|QMainWindow' "src/$inc" "src/${inc%.h}.cpp" \
                 && report "$file" "$inc" "the command line program uses no widget" ;;
      esac
    fi
    case "$layer" in
      params|history|status|remote|trace|service|report|session)
        case "$base" in
          *_form.*) ;;
          *) case "$target" in ui|app) report "$file" "$inc" "a logic file includes neither ui nor app" ;; esac ;;
        esac ;;
    esac
  done < <(own_includes "$file")
  case "$layer" in
    params|history|status|remote|trace|service|report|session|view|link|platform|root|cli)
      case "$base" in
        *_form.*) ;;
        *) while IFS= read -r inc; do
             [ -z "$inc" ] && continue
             if is_widgets_header "$inc"; then report "$file" "<$inc>" "a logic file includes no Qt Widgets header"; fi
           done < <(system_includes "$file") ;;
      esac ;;
  esac
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

while IFS= read -r file; do
  checked=$((checked + 1))
  while IFS= read -r inc; do
    case "$inc" in
      sim/*|link/protocol.h) ;;
      *) [ -e "src/$inc" ] && report "$file" "$inc" "the simulator shares only the protocol constants" ;;
    esac
  done < <(own_includes "$file")
done < <(find sim -name '*.h' -o -name '*.cpp' | sort)

if [ "$violations" -ne 0 ]; then
  echo "layering: $violations violation(s) in $checked files"
  exit 1
fi
echo "layering: OK ($checked files)"

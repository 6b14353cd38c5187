#!/usr/bin/env bash
# Takes a picture of the Windows build's main window under Wine, connected to
# the simulated valve: valve-sim serves a pty entered as COM3 in a fresh Wine
# prefix (and named in the registry value the program looks the valve's port
# up in), tarvelmundix.exe runs on the windows platform on an Xvfb screen, the
# login is typed in, the port is opened and the parameters are read, as a
# technician does. Needs Wine, Xvfb, xdotool and ImageMagick's convert.
#
#   scripts/windows-screenshot.sh NATIVE_BUILD_DIR WINDOWS_BIN_DIR OUT.png [PASSWORD]
#
# PASSWORD is that of the level to log in at (default: the built-in level 2
# password of a build without TARVELMUNDIX_PASSWORD_LEVELn of its own).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
out=$3
password=${4:-technik}
for tool in wine Xvfb xdotool xwd convert; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export DISPLAY=$display
xvfb_pid= sim_pid= app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The screen before the prefix: Wine sets its display up when it makes one.
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
wineboot -i >"$work/wineboot.log" 2>&1
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >>"$work/wineboot.log" 2>&1
wine reg add 'HKLM\SYSTEM\ControlSet001\ENUM\USB\VID_0000&PID_0400\0x00000004\Device Parameters' \
  /v PortName /d COM3 /f >>"$work/wineboot.log" 2>&1

cc -shared -fPIC -O2 -o "$work/pty_shim.so" "$root/tests/wine/pty_shim.c" -ldl
"$native/bin/valve-sim" --ports "$WINEPREFIX/dosdevices" --com 3 >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$WINEPREFIX/dosdevices/com3" ] && break; sleep 0.1; done

LD_PRELOAD="$work/pty_shim.so" wine "$bin/tarvelmundix.exe" >"$work/app.log" 2>&1 &
app_pid=$!

window() {  # title pattern -> the id of its visible window, waiting up to 60 s
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  echo "no window \"$1\" appeared" >&2
  cat "$work/app.log" >&2
  return 1
}
# The login form's caption, then the main window's (its title, then the notice).
login=$(window '^ Tarvelmundix$')
sleep 1
xdotool windowactivate --sync "$login" 2>/dev/null || xdotool windowfocus --sync "$login"
xdotool type --delay 50 "$password"
xdotool key Return
main=$(window '^ Tarvelmundix rozdzielaczy')
sleep 2
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key alt+p   # "&Połącz"
sleep 2
xdotool key alt+d   # " O&dczytaj "
sleep 4
eval "$(xdotool getwindowgeometry --shell "$main")"
# The screen has no window manager, so the window has no frame: the picture
# is its client area.
xwd -root -display "$display" -silent >"$work/screen.xwd"
mkdir -p "$(dirname "$out")"
convert "xwd:$work/screen.xwd" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "Picture in $out"

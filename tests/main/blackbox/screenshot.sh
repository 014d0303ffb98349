#!/bin/sh
# screenshot.sh BUILD_DIR OUT.png [DPI]
# Photographs the main window: starts Wellenblick.exe from a fresh working
# folder on the current X display (in the Wine prefix of BUILD_DIR), at the
# display scale DPI when given, waits until its window is mapped, saves the
# window's part of the screen as OUT.png and closes the program again.
# Meant to run inside
#   xvfb-run -a cmake/wine-session.sh BUILD_DIR ...
set -u
[ $# -eq 2 ] || [ $# -eq 3 ] || { echo "usage: $0 BUILD_DIR OUT.png [DPI]" >&2; exit 2; }
top=$(cd "$(dirname "$0")/../../.." && pwd)
. "$top/linux/script.sh"
use_build "$1"
out=$2
dpi=${3:-}
run=$wine_run
window_tool="$build/linux/wb_window_tool.exe"

# Without a window manager on the display Wine leaves the frame to nobody;
# asked to, it draws title bar and border itself. Only for this start.
x11_key='HKCU\Software\Wine\X11 Driver'
had_decorated=0
"$run" reg query "$x11_key" /v Decorated >/dev/null 2>&1 && had_decorated=1
if [ $had_decorated -eq 0 ]; then
    "$run" reg add "$x11_key" /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    at_exit '"$run" reg delete "$x11_key" /v Decorated /f >/dev/null 2>&1'
fi

# Wine takes the user's LogPixels as the display's DPI when a program
# starts. Its note of the DPI its font list was made for moves along, or the
# program would make the list anew and rewrite the machine's font entries:
# both change in one import, and come back in one at exit.
if [ -n "$dpi" ]; then
    scale=$(mktemp -d "$build/scale.XXXXXX")
    at_exit 'rm -rf "$scale"'
    for key in 'Control Panel\Desktop' 'Software\Wine\Fonts'; do
        v=$("$run" reg query "HKCU\\$key" /v LogPixels 2>/dev/null | tr -d '\r' | awk '$1 == "LogPixels" {print $3}')
        was='"LogPixels"=-'
        [ -z "$v" ] || was=$(printf '"LogPixels"=dword:%08x' "$((v))")
        printf '[HKEY_CURRENT_USER\\%s]\r\n%s\r\n\r\n' "$key" "$was" >>"$scale/before"
        printf '[HKEY_CURRENT_USER\\%s]\r\n"LogPixels"=dword:%08x\r\n\r\n' "$key" "$dpi" >>"$scale/dpi"
    done
    import_reg() {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n' | cat - "$scale/$1" >"$scale/$1.reg"
        "$run" regedit /s "$(printf 'Z:%s' "$scale/$1.reg" | tr / '\\')" >/dev/null 2>&1
    }
    at_exit 'import_reg before'
    import_reg dpi
fi

# A pointer left over a control would raise its tooltip in the picture.
"$run" "$window_tool" park </dev/null >/dev/null 2>&1

work=$(mktemp -d "$build/screenshot.XXXXXX")
at_exit 'rm -rf "$work"'
(cd "$work" && exec "$run" "$build/Wellenblick.exe") </dev/null >/dev/null 2>&1 &
pid=$!
# Still there after the polite close: end the process we started.
at_exit 'stop_pid "$pid"'

window=""
tries=0
while [ -z "$window" ] && [ $tries -lt 300 ]; do
    window=$(xwininfo -root -tree 2>/dev/null | grep 'Wellenblick V1.4' | awk '{print $1; exit}')
    [ -n "$window" ] || { sleep 0.1; tries=$((tries + 1)); }
done
[ -n "$window" ] || die "the window did not appear"
# Mapped is not yet painted.
sleep 2

info=$(xwininfo -id "$window")
x=$(echo "$info" | awk -F: '/Absolute upper-left X/ {gsub(/ /, "", $2); print $2}')
y=$(echo "$info" | awk -F: '/Absolute upper-left Y/ {gsub(/ /, "", $2); print $2}')
w=$(echo "$info" | awk -F: '/Width/ {gsub(/ /, "", $2); print $2}')
h=$(echo "$info" | awk -F: '/Height/ {gsub(/ /, "", $2); print $2}')
rc=0
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out" || rc=1

"$run" "$window_tool" close </dev/null >/dev/null 2>&1
tries=0
while kill -0 "$pid" 2>/dev/null && [ $tries -lt 300 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
[ $rc -eq 0 ] && echo "screenshot: ${w}x${h} window written to $out"
exit $rc

#!/usr/bin/env bash
# demo-screenshot.sh BUILD_DIR OUT.png
# The README's picture of a playing stream: in a fresh Wine prefix made as
# run.sh makes its own, starts Wellenblick with the demo stream's address,
# clicks "testen", and once VLC's window shows photographs the screen with
# both windows. Ends everything it started. Run it on a virtual display:
#   xvfb-run -a -s "-screen 0 2200x640x24" tests/e2e/demo-screenshot.sh build/windows docs/playing.png
set -u
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR OUT.png" >&2; exit 2; }
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/linux/script.sh"
out=$2
dir=$(mktemp -d "${TMPDIR:-/tmp}/wb-shot.XXXXXX")
at_exit 'rm -rf "$dir"'
use_build "$1" "$dir/prefix"
run=$wine_run
. "$top/linux/stream-server.sh"

"$top/cmake/run-prefix.sh" "$build" || exit 1
at_exit 'wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1'  # this prefix's own server
# Without a window manager VLC's interface cannot start minimised as the
# program asks, and every window opens in the top left corner: leave the
# interface out, as a desktop would hide it, and keep the picture small
# enough to stand beside the program.
export WB_VLC_EXTRA_OPTIONS="--intf=dummy"
# No window manager on a virtual display: Wine draws the frames itself.
"$run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
mkdir -p "$dir/www" "$dir/work"
start_stream_server "$dir" || exit 1
serve_live_hls demo 384x216 || exit 1
(cd "$dir/work" && exec "$run" "$build/Wellenblick.exe") </dev/null >/dev/null 2>&1 &
app=$!
at_exit 'stop_pid "$app"'
"$run" "$build/linux/wb_window_tool.exe" type "http://127.0.0.1:$http_port/demo/index.m3u8" testen || exit 1

# VLC's video window bears the title the program gives it.
for _ in $(seq 300); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Kanalbox' && break
    sleep 0.1
done
xwininfo -root -tree 2>/dev/null | grep -q '"Kanalbox' || die "no VLC window"
sleep 4  # a few seconds into the stream
# The program stands in the middle of the wide screen, clear of the console
# and the video in the top left corner: the picture ends at its right edge.
info=$(xwininfo -root -tree 2>/dev/null | grep 'Wellenblick V1.4' | head -1)
geometry=$(echo "$info" | grep -o '[0-9]*x[0-9]*+-\?[0-9]*+-\?[0-9]*' | head -1)
width=${geometry%%x*}
rest=${geometry#*+}
left=${rest%%+*}
right=$((left + width + 10))
import -window root -crop "${right}x$(xwininfo -root | awk '/Height/ {print $2}')+0+0" +repage "$out" || exit 1
echo "demo-screenshot: written to $out"
"$run" "$build/linux/wb_window_tool.exe" close </dev/null >/dev/null 2>&1
wait "$app" 2>/dev/null

#!/usr/bin/env bash
# Installs what is missing, builds Wellenblick.exe and starts it under Wine,
# with Debian's VLC, ffmpeg and rtmpdump behind small launchers at the
# program's default tool paths, so that a pasted address plays.
#   ./run.sh          the program
#   ./run.sh --demo   also serves a live HLS test stream on 127.0.0.1 while
#                     the program runs, with its address in the address field
set -euo pipefail
cd "$(dirname "$0")"
demo=0
case "${1:-}" in
"") ;;
--demo) demo=1 ;;
*) echo "usage: $0 [--demo]" >&2; exit 2 ;;
esac
cmake/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Wellenblick \
    vlc_launcher ffmpeg_launcher rtmpdump_launcher wb_window_tool
# No display: a virtual one (then nothing is to be seen, but it runs).
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a "$0" "$@"

top=$PWD
. linux/script.sh
# A prefix of its own, apart from the tests' one.
use_build build/windows "$PWD/build/windows/run-prefix"
cmake/run-prefix.sh "$build"

# The settings file lives in the working directory: keep it in the checkout.
if [ $demo -eq 0 ]; then
    exec "$wine_run" "$build/Wellenblick.exe"
fi

. linux/stream-server.sh
demo_dir=$(mktemp -d "${TMPDIR:-/tmp}/wellenblick-demo.XXXXXX")
at_exit 'rm -rf "$demo_dir"'
mkdir -p "$demo_dir/www"
start_stream_server "$demo_dir"
# Live HLS, as most channels come: one click plays it through ffmpeg and VLC.
echo "Starting the live test stream ..."
serve_live_hls demo 640x360
address="http://127.0.0.1:$http_port/demo/index.m3u8"
"$wine_run" "$build/Wellenblick.exe" &
app=$!
at_exit 'stop_pid "$app"'
"$wine_run" "$build/linux/wb_window_tool.exe" type "$address" ||
    echo "Could not put the address into the window; paste it: $address" >&2
echo "Serving $address until Wellenblick ends: click \"testen\"."
wait "$app" || true

#!/usr/bin/env bash
# e2e.sh BUILD_DIR SCENARIO
# One stream, end to end: makes a bounded test stream with ffmpeg, serves it
# from nginx (RTMP module and plain HTTP) on 127.0.0.1, has the driver type
# or load its address into the real Wellenblick.exe and click "testen", so
# that the real rtmpdump, ffmpeg and VLC run behind their launchers, and
# then checks what VLC decoded (frames as pictures, sound as WAV) against
# what was published. Everything it starts ends with it, pass or fail.
# Meant to run inside  xvfb-run -a cmake/wine-session.sh BUILD_DIR ...
#
# Scenarios: rtmpdump (nginx-rtmp, stream name in another dialect),
# ffmpeg_hls (HLS playlist whose query holds & and %20), player_http (VLC
# opens an http address itself), hostile_link (a loaded link line that
# tries to run a command), channel_list (a channel list loaded through the
# file dialog, whose first entry the server refuses without its user
# agent); live_hls and live_rtmp (an endless live stream through ffmpeg or
# rtmpdump into VLC, in a prefix made as run.sh makes its own, with the
# launchers at the program's default tool paths: pictures must come while
# the source publishes, and "VLC aus" must end every tool of the test).
set -u
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR SCENARIO" >&2; exit 2; }
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/linux/script.sh"
use_build "$1"
scenario=$2
# The driver runs as ctest runs every Windows suite: failing it also for a
# process or file it leaves in the prefix.
run="$top/cmake/wine-suite.sh"
driver="$build/tests/e2e/e2e_driver.exe"

for tool in ffmpeg ffprobe vlc rtmpdump nginx setpriv; do
    command -v "$tool" >/dev/null || die "$tool is missing (cmake/install-deps.sh)"
done
. "$top/linux/stream-server.sh"
[ -f "$nginx_rtmp_module" ] || die "libnginx-mod-rtmp is missing"

# The published stream: 5 s of a test picture (25 frames/s) and a tone.
seconds=5
published_frames=$((seconds * 25))
size=320x240

dir=$(mktemp -d "${TMPDIR:-/tmp}/wb-e2e.XXXXXX")
at_exit 'rm -rf "$dir"'
# VLC may run as another user (see the launcher): it needs to reach the
# folder and write its pictures.
chmod 755 "$dir"
mkdir -p "$dir/www/hls" "$dir/out"
chmod 1777 "$dir/out"

fail() { die "$scenario: FAIL: $*"; }
started=$(date +%s.%N)
media() { make_test_media "$seconds" "$size" "$@" || fail "ffmpeg could not make the media"; }

# Behind ua/ the server refuses any request without this user agent, which
# holds what cmd.exe would act on (in the comment part, where VLC takes any
# such character): it must reach the server as it is, and run nothing.
agent='WbAgent/1.0 (%PATH% & echo injected>injected.txt | x ^ !y!)'
stream_server_site="location /ua/ { if (\$http_user_agent != \"$agent\") { return 403; } }"
start_stream_server "$dir" || fail "nginx did not start"
tools_dir="$build/linux/tools"
# Every decoded picture as a file, the sound into a WAV file; no picture
# dropped for being late on a busy machine.
record_pictures="--no-drop-late-frames --no-skip-frames"
record_pictures+=" --video-filter=scene --scene-format=png --scene-ratio=1 --scene-path=$dir/out --scene-prefix=frame"
export WB_VLC_EXTRA_OPTIONS="$record_pictures --aout=afile --audiofile-file=$dir/out/audio.wav"
unset WB_E2E_LINK_FILE WB_E2E_FIELD WB_E2E_ABSENT WB_E2E_LIVE_FRAMES
tools="vlc"

# A live stream plays in the set-up ./run.sh gives the user: its own
# prefix, made by the same script, default tool paths, default settings.
live_prefix() {
    use_build "$build" "$build/run-prefix-e2e"
    "$top/cmake/run-prefix.sh" "$build" || fail "could not make the prefix"
    at_exit 'wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1'  # this prefix's own server
    tools_dir=""
    export WB_E2E_LIVE_FRAMES="$dir/out"
}

case "$scenario" in
rtmpdump)
    # Pasted with the stream name as playpath=, as some pages show it.
    export WB_E2E_ADDRESS="rtmp://127.0.0.1:$rtmp_port/live playpath=stream"
    export WB_E2E_FIELD="rtmp://127.0.0.1:$rtmp_port/live --playpath stream"
    tools="rtmpdump vlc"
    # A live stream reaches only players that are there when it starts:
    # publish once rtmpdump waits for the stream.
    (
        for _ in $(seq 1200); do
            http_get /stat 2>/dev/null | grep -q '<name>stream</name>' && break
            sleep 0.1
        done
        mapfile -t source < <(test_media_args "$seconds" "$size")
        exec ffmpeg -nostdin -hide_banner -loglevel error -re "${source[@]}" \
            -f flv "rtmp://127.0.0.1:$rtmp_port/live/stream"
    ) </dev/null &
    at_exit "stop_pid $!"
    ;;
ffmpeg_hls)
    media -f hls -hls_time 1 -hls_list_size 0 -hls_playlist_type vod "$dir/www/hls/index.m3u8"
    query='?token=a&b=c%20d'
    export WB_E2E_ADDRESS="http://127.0.0.1:$http_port/hls/index.m3u8$query"
    tools="ffmpeg vlc"
    ;;
player_http)
    media -f mpegts "$dir/www/clip.ts"
    export WB_E2E_ADDRESS="http://127.0.0.1:$http_port/clip.ts"
    ;;
hostile_link)
    media -f mpegts "$dir/www/clip.ts"
    injected="$dir/out/injected.txt"
    windows_injected="Z:${injected//\//\\}"
    export WB_E2E_ADDRESS="http://127.0.0.1:$http_port/clip.ts & echo injected>$windows_injected"
    printf '%s\r\n' "$WB_E2E_ADDRESS" >"$dir/links.txt"
    export WB_E2E_LINK_FILE="$dir/links.txt"
    export WB_E2E_ABSENT="$windows_injected"
    ;;
channel_list)
    media -f mpegts "$dir/www/clip.ts"
    ln -s . "$dir/www/ua"
    # As channel lists come: names, a comma inside a quoted attribute, the
    # player's option line for the user agent, line ends CR LF.
    printf '%s\r\n' '#EXTM3U' '#EXTINF:-1 tvg-id="a,b" group-title="Test",Erster Kanal' \
        "#EXTVLCOPT:http-user-agent=$agent" "http://127.0.0.1:$http_port/ua/clip.ts" \
        '#EXTINF:-1,Zweiter Kanal' "http://127.0.0.1:$http_port/clip.ts" >"$dir/channels.m3u"
    export WB_E2E_LINK_FILE="$dir/channels.m3u"
    # Loading appends the entry's header list, "%", "&" and "|" encoded.
    encoded=${agent//%/%25} encoded=${encoded//&/%26} encoded=${encoded//|/%7C}
    export WB_E2E_ADDRESS="http://127.0.0.1:$http_port/ua/clip.ts|User-Agent=$encoded"
    ;;
live_hls)
    serve_live_hls live "$size" || fail "the live HLS stream did not start"
    export WB_E2E_ADDRESS="http://127.0.0.1:$http_port/live/index.m3u8"
    live_prefix
    ;;
live_rtmp)
    publish_test_stream stream "" "$size" || fail "the publisher ended"
    export WB_E2E_ADDRESS="rtmp://127.0.0.1:$rtmp_port/live/stream"
    live_prefix
    ;;
*) fail "unknown scenario" ;;
esac
export WB_E2E_TOOLS_DIR="$tools_dir" WB_E2E_TOOLS="$tools"

"$run" "$driver" </dev/null || fail "the driver failed"
# The driver has seen the live pictures come, and every tool go.
[ -z "${WB_E2E_LIVE_FRAMES:-}" ] || { echo "e2e $scenario: passed"; exit 0; }

# What VLC decoded, against what was published.
# Reading a pipe, VLC shows the first picture at once and again until its
# cache has filled: a run of one picture counts once.
frames=$(find "$dir/out" -name 'frame*.png' | sort | xargs -r md5sum | cut -c1-32 | uniq | wc -l)
first=$(find "$dir/out" -name 'frame*.png' | sort | head -1)
[ -n "$first" ] || fail "VLC decoded no picture"
picture=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x "$first")
audio=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$dir/out/audio.wav" 2>/dev/null)
[ -n "$audio" ] || audio=0
elapsed=$(echo "$(date +%s.%N) $started" | awk '{printf "%.1f", $1 - $2}')
echo "e2e $scenario: VLC decoded $frames of $published_frames published frames ($picture, published $size)," \
     "${audio} s of ${seconds} s sound; scenario took ${elapsed} s"
# VLC's picture filter keeps the width but scales the height by its own
# idea of the pixel shape (240 become 258).
[ "${picture%x*}" = "${size%x*}" ] || fail "decoded pictures are $picture, published $size"
# A picture or two may be lost at the start or the end; allow a tenth.
[ "$frames" -ge $((published_frames * 9 / 10)) ] && [ "$frames" -le "$published_frames" ] ||
    fail "decoded $frames frames, published $published_frames"
awk -v a="$audio" -v s="$seconds" 'BEGIN { exit !(a >= s * 0.9 && a <= s + 0.5) }' ||
    fail "decoded $audio s of sound, published $seconds s"

case "$scenario" in
ffmpeg_hls)
    grep -qF "GET /hls/index.m3u8$query HTTP" "$dir/access.log" ||
        { cat "$dir/access.log" >&2; fail "the playlist was not asked for with its query unchanged"; }
    ;;
hostile_link)
    [ ! -e "$injected" ] || fail "the link line ran a command"
    grep -qF "GET /clip.ts HTTP" "$dir/access.log" || fail "VLC did not fetch the address"
    ;;
channel_list)
    # Every request carried the entry's user agent; none was refused.
    grep -F '"GET /ua/clip.ts HTTP/1.1" 20' "$dir/access.log" | grep -qF "\"$agent\"" &&
        ! grep -qE '" 403 ' "$dir/access.log" ||
        { cat "$dir/access.log" >&2; fail "VLC did not send the channel's user agent"; }
    [ -z "$(find "$WINEPREFIX/drive_c" -name injected.txt)" ] || fail "the user agent ran a command"
    ;;
esac
echo "e2e $scenario: passed"

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
# tries to run a command).
set -u
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR SCENARIO" >&2; exit 2; }
build=$(cd "$1" && pwd)
scenario=$2
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../cmake/wine-run.sh"
driver="$build/tests/e2e/e2e_driver.exe"
export WB_BUILD_DIR="$build"
: "${WINEPREFIX:=$build/wineprefix}"
export WINEPREFIX

for tool in ffmpeg ffprobe vlc rtmpdump nginx setpriv; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (cmake/install-deps.sh)" >&2; exit 1; }
done
nginx_rtmp=/usr/lib/nginx/modules/ngx_rtmp_module.so
[ -f "$nginx_rtmp" ] || { echo "e2e: libnginx-mod-rtmp is missing" >&2; exit 1; }

# The published stream: 5 s of a test picture (25 frames/s) and a tone.
seconds=5
rate=25
published_frames=$((seconds * rate))
size=320x240

dir=$(mktemp -d "${TMPDIR:-/tmp}/wb-e2e.XXXXXX")
# VLC may run as another user (see the launcher): it needs to reach the
# folder and write its pictures.
chmod 755 "$dir"
mkdir -p "$dir/www/hls" "$dir/out" "$dir/tmp"
chmod 1777 "$dir/out"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() { echo "e2e $scenario: FAIL: $*" >&2; exit 1; }
started=$(date +%s.%N)

source_args=(-f lavfi -i "testsrc=size=$size:rate=$rate" -f lavfi -i "sine=frequency=440:sample_rate=44100"
             -t "$seconds" -c:v libx264 -preset ultrafast -g "$rate" -pix_fmt yuv420p -c:a aac)
make_media() {
    ffmpeg -nostdin -hide_banner -loglevel error -y "${source_args[@]}" "$@" || fail "ffmpeg could not make the media"
}

# nginx on two free loopback ports: RTMP, and HTTP for the files and the
# RTMP statistics. A port taken meanwhile by someone else: try others.
start_nginx() {
    local user_line=""
    [ "$(id -u)" -eq 0 ] && user_line="user $(id -un) $(id -gn);"
    for _ in 1 2 3 4 5; do
        rtmp_port=$((20000 + RANDOM % 20000))
        http_port=$((40000 + RANDOM % 20000))
        cat >"$dir/nginx.conf" <<EOF
load_module $nginx_rtmp;
daemon off;
master_process off;
$user_line
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 64; }
rtmp {
    server {
        listen 127.0.0.1:$rtmp_port;
        application live {
            live on;
            publish_notify on;
            allow publish 127.0.0.1;
            deny publish all;
        }
    }
}
http {
    access_log $dir/access.log;
    client_body_temp_path $dir/tmp/body;
    proxy_temp_path $dir/tmp/proxy;
    fastcgi_temp_path $dir/tmp/fastcgi;
    uwsgi_temp_path $dir/tmp/uwsgi;
    scgi_temp_path $dir/tmp/scgi;
    types {
        application/vnd.apple.mpegurl m3u8;
        video/mp2t ts;
    }
    server {
        listen 127.0.0.1:$http_port;
        root $dir/www;
        location /stat { rtmp_stat all; }
    }
}
EOF
        nginx -e "$dir/error.log" -p "$dir" -c "$dir/nginx.conf" </dev/null >/dev/null 2>&1 &
        nginx_pid=$!
        for _ in $(seq 50); do
            kill -0 "$nginx_pid" 2>/dev/null || break
            if http_get /stat >/dev/null 2>&1; then pids+=("$nginx_pid"); return 0; fi
            sleep 0.1
        done
        kill "$nginx_pid" 2>/dev/null; wait "$nginx_pid" 2>/dev/null
    done
    cat "$dir/error.log" >&2
    fail "nginx did not start"
}

# A plain HTTP/1.0 GET to our own server, body on standard output.
http_get() {
    local reply
    exec 5<>"/dev/tcp/127.0.0.1/$http_port" || return 1
    printf 'GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' "$1" >&5
    reply=$(cat <&5)
    exec 5<&-
    case "$reply" in "HTTP/1.1 200"*) printf '%s\n' "${reply#*$'\r\n\r\n'}" ;; *) return 1 ;; esac
}

start_nginx
tools_dir="$build/tests/e2e/tools"
# Every decoded picture as a file, the sound into a WAV file.
record_pictures="--video-filter=scene --scene-format=png --scene-ratio=1 --scene-path=$dir/out --scene-prefix=frame"
export WB_VLC_EXTRA_OPTIONS="$record_pictures --aout=afile --audiofile-file=$dir/out/audio.wav"
unset WB_E2E_FROM_LINK_FILE WB_E2E_FIELD WB_E2E_ABSENT
tools="vlc.exe"

case "$scenario" in
rtmpdump)
    # Pasted with the stream name as playpath=, as some pages show it.
    export WB_E2E_ADDRESS="rtmp://127.0.0.1:$rtmp_port/live playpath=stream"
    export WB_E2E_FIELD="rtmp://127.0.0.1:$rtmp_port/live --playpath stream"
    tools="rtmpdump.exe vlc.exe"
    # A live stream reaches only players that are there when it starts:
    # publish once rtmpdump waits for the stream.
    (
        for _ in $(seq 1200); do
            http_get /stat 2>/dev/null | grep -q '<name>stream</name>' && break
            sleep 0.1
        done
        exec ffmpeg -nostdin -hide_banner -loglevel error -re "${source_args[@]}" \
            -f flv "rtmp://127.0.0.1:$rtmp_port/live/stream"
    ) </dev/null &
    pids+=($!)
    ;;
ffmpeg_hls)
    make_media -f hls -hls_time 1 -hls_list_size 0 -hls_playlist_type vod "$dir/www/hls/index.m3u8"
    query='?token=a&b=c%20d'
    export WB_E2E_ADDRESS="http://127.0.0.1:$http_port/hls/index.m3u8$query"
    tools="ffmpeg.exe vlc.exe"
    ;;
player_http)
    make_media -f mpegts "$dir/www/clip.ts"
    export WB_E2E_ADDRESS="http://127.0.0.1:$http_port/clip.ts"
    ;;
hostile_link)
    make_media -f mpegts "$dir/www/clip.ts"
    injected="$dir/out/injected.txt"
    windows_injected="Z:${injected//\//\\}"
    export WB_E2E_ADDRESS="http://127.0.0.1:$http_port/clip.ts & echo injected>$windows_injected"
    export WB_E2E_FROM_LINK_FILE=1
    export WB_E2E_ABSENT="$windows_injected"
    ;;
*) fail "unknown scenario" ;;
esac
export WB_E2E_TOOLS_DIR="$tools_dir" WB_E2E_TOOLS="$tools"

"$run" "$driver" </dev/null || fail "the driver failed"

# What VLC decoded, against what was published.
frames=$(find "$dir/out" -name 'frame*.png' | wc -l)
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
# A frame or two may fall at the start or the end of playback.
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
esac
echo "e2e $scenario: passed"

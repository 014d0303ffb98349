#!/usr/bin/env bash
# streams.sh WORK_DIR WORDS_CMD
# Every kind of stream address against the real tools and nginx on
# 127.0.0.1 (http, https with a certificate made here, rtmp) or a test
# stream sent to a udp port. For each row of streams.tsv, WORDS_CMD
# (tool_words) gives the program's batch line for the pasted address, its
# commands and the words each tool receives; the first tool then runs with
# exactly those words. rtmpdump and ffmpeg feed their standard output to a
# picture counter, where the player would read; the player is Debian's VLC
# with no picture and its sound into a file, and the server's log says what
# it was asked for, what it sent and with which headers. Rows run side by
# side; each ends as soon as it has its answer. Everything started here ends
# with it, pass or fail. The outcome, row by row, is also in
# WORK_DIR/streams.txt.
set -u
table_tools="ffmpeg ffprobe rtmpdump vlc nginx openssl timeout setpriv"
. "$(dirname "$0")/table-start.sh"

rm -rf "$work/server" "$work/rows" "$work/marker" && mkdir -p "$work/rows" || exit 1
# VLC does not run as root: then it runs as nobody, in a folder it may use.
player_dir=$(mktemp -d "${TMPDIR:-/tmp}/wb-streams.XXXXXX") || exit 1
at_exit 'rm -rf "$player_dir"'
chmod 755 "$player_dir"
as_player=()
[ "$(id -u)" -eq 0 ] && as_player=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

# The server's certificate; VLC trusts its authority for these runs only.
make_test_certificate "$work/server/tls" || die "openssl could not make the certificate"
mkdir -p "$player_dir/trust" && cp "$work/server/tls/ca.pem" "$player_dir/trust/"

agent="WbAgent/1.0"
long_agent="Mozilla/5.0 (X11; Linux x86_64) WbTest/1.0"
referer="https://site.example/tv/"
origin="https://site.example"
cookie="session=abc"
signed_query="next=HTTP://b.example/X&sig=Ab1"
# Row N asks for /rN/PATH, which is PATH: the log tells the rows apart.
stream_server_tls=$work/server/tls
stream_server_http="log_format rows '\$request_uri	\$status	\$body_bytes_sent	\$http_user_agent	\$http_referer	\$http_origin';"
stream_server_site="access_log $work/server/rows.log rows;
        rewrite ^/r[0-9]+(/.*)\$ \$1;
        location /ua/ { if (\$http_user_agent != \"$agent\") { return 403; } }
        location /agent/ { if (\$http_user_agent != \"$long_agent\") { return 403; } }
        location /ref/ { if (\$http_referer != \"$referer\") { return 403; } }
        location /both/ {
            if (\$http_user_agent != \"$agent\") { return 403; }
            if (\$http_referer != \"$referer\") { return 403; }
        }
        location /origin/ { if (\$http_origin != \"$origin\") { return 403; } }
        location /cookie/ { if (\$http_cookie != \"$cookie\") { return 403; } }
        location /signed/ { if (\$args != \"$signed_query\") { return 403; } }"
start_stream_server "$work/server" || die "nginx did not start"
publish_test_stream stream 600 160x120 || die "the publisher ended"

# Two seconds of each kind, made side by side.
www=$work/server/www
mkdir -p "$www/media/hls" "$www/media/dash"
makers=()
make_test_media 2 160x120 -f mpegts "$www/media/clip.ts" & makers+=($!)
make_test_media 2 160x120 -movflags +faststart "$www/media/clip.mp4" & makers+=($!)
make_test_media 2 160x120 -vn -c:a libmp3lame "$www/media/clip.mp3" & makers+=($!)
make_test_media 2 160x120 -f hls -hls_time 1 -hls_playlist_type vod "$www/media/hls/index.m3u8" & makers+=($!)
make_test_media 2 160x120 -f dash -seg_duration 1 "$www/media/dash/manifest.mpd" & makers+=($!)
for maker in "${makers[@]}"; do wait "$maker" || die "ffmpeg could not make the media"; done
cp "$www/media/clip.ts" "$www/media/live" || exit 1
for name in ua agent ref both origin cookie signed "my folder"; do ln -s media "$www/$name"; done
mapfile -t source < <(test_media_args 600 160x120)
udp_base=$((10000 + RANDOM % 8000))

# The player, with no picture and its sound into DIR/sound.wav. A stream
# from a server ends; a stream sent to a port does not: there the row ends
# once a second of sound is decoded.
play() {
    local dir=$1 endless=$2 vlc
    shift 2
    mkdir -p "$dir" && chmod 1777 "$dir" && cd "$dir" || return 1
    (exec env -u DISPLAY -u XDG_RUNTIME_DIR -u DBUS_SESSION_BUS_ADDRESS HOME="$dir" \
        timeout -k 2 60 "${as_player[@]}" vlc -I dummy --vout=dummy --aout=afile \
        --audiofile-file="$dir/sound.wav" --audiofile-format=s16 --audiofile-channels=1 \
        --gnutls-dir-trust="$player_dir/trust" "$@") </dev/null >/dev/null 2>"$dir/err" &
    vlc=$!
    if [ "$endless" = yes ]; then
        # 44 bytes of header, then 44100 samples of two bytes a second.
        while kill -0 "$vlc" 2>/dev/null && [ "$(stat -c %s sound.wav 2>/dev/null || echo 0)" -lt 88244 ]; do
            sleep 0.1
        done
        kill "$vlc" 2>/dev/null
    fi
    wait "$vlc"
}

n=0 rows=()
while IFS=$'\t' read -r -u 3 input programs plays want_agent want_referer; do
    [[ -z "$input" || "$input" == \#* ]] && continue
    n=$((n + 1))
    row=$work/rows/$n
    port=$((udp_base + 2 * n))
    address=${input//\{web\}/127.0.0.1:$http_port/r$n}
    address=${address//\{tls\}/127.0.0.1:$https_port/r$n}
    address=${address//\{rtmp\}/127.0.0.1:$rtmp_port}
    address=${address//\{udp\}/127.0.0.1:$port}
    address=${address//\{closed\}/127.0.0.1:1}
    address=${address//\{marker\}/$work/marker}
    printf '%s' "$input" >"$row.input"
    printf '%s\t%s\t%s\t%s' "$programs" "$plays" "${want_agent//\{marker\}/$work/marker}" \
        "${want_referer//\{marker\}/$work/marker}" >"$row.wanted"
    mapfile -d '' -t line < <("$words_cmd" "$address")
    : >"$row.programs"
    [ ${#line[@]} -gt 1 ] || continue
    printf '%s\0' "${line[@]:1}" >"$row.programs"
    for k in $(seq 0 $((${#line[@]} - 2))); do
        "$words_cmd" "$address" "$k" >"$row.words$k"
    done
    mapfile -d '' -t words <"$row.words0"
    # Eight rows at a time, beside the server and the publisher.
    while [ "$(jobs -rp | wc -l)" -gt 10 ]; do wait -n; done
    case "${line[1]}" in
    rtmpdump | ffmpeg)
        # In /proc the tool can create no file: words that send the stream
        # to a file end the row at once. timeout is the hang guard.
        tool=${line[1]}
        { ( cd /proc && exec timeout -k 1 60 "$tool" "${words[@]}" ) </dev/null 2>"$row.err"; echo $? >"$row.status"; } |
            ffprobe -v error -count_frames -read_intervals '%+#25' -select_streams v:0 \
                -show_entries stream=nb_read_frames -of csv=p=0 pipe:0 >"$row.frames" 2>/dev/null &
        ;;
    vlc)
        # The one option only the Windows builds know goes, as the launcher
        # does it.
        for i in "${!words[@]}"; do [ "${words[i]}" = --no-qt-updates-notif ] && unset 'words[i]'; done
        if [[ "$input" == *"{udp}"* ]]; then
            # The test stream goes to the port for as long as the row runs.
            format=mpegts scheme=udp
            [[ "${address,,}" == rtp* ]] && format=rtp_mpegts scheme=rtp
            {
                ffmpeg -nostdin -hide_banner -loglevel error -re "${source[@]}" \
                    -f "$format" "$scheme://127.0.0.1:$port?pkt_size=1316" </dev/null 2>"$row.feed" &
                feeder=$!
                play "$player_dir/$n" yes "${words[@]}"
                echo $? >"$row.status"
                stop_pid "$feeder"
            } &
        else
            { play "$player_dir/$n" no "${words[@]}"; echo $? >"$row.status"; } &
        fi
        ;;
    esac
    rows+=($!) groups+=("$(jobs -p %%)")
done 3<"$top/tests/link/dialects/streams.tsv"
[ "$n" -gt 0 ] || die "no rows"
wait "${rows[@]}"

# Each row's lines of the server's log, apart.
awk -F'\t' -v dir="$work/rows" 'match($1, /^\/r[0-9]+\//) { print > (dir "/" substr($1, 3, RLENGTH - 3) ".log") }' \
    "$work/server/rows.log"
matches() { [ "$2" = "*" ] || [ "$1" = "$2" ] || { [[ "$2" == *\* ]] && [ "${1#"${2%\*}"}" != "$1" ]; }; }
shown() {
    local w out=""
    for w in "$@"; do [[ "$w" =~ [[:space:]] || -z "$w" ]] && out+="\"$w\" " || out+="$w "; done
    printf '%s' "${out% }"
}
# Adds TEXT to the array NAME unless it holds it.
add_once() {
    local -n list=$1
    local x
    for x in "${list[@]}"; do [ "$x" = "$2" ] && return; done
    list+=("$2")
}

failed=0
report=$work/streams.txt
: >"$report"
for i in $(seq "$n"); do
    row=$work/rows/$i
    IFS=$'\t' read -r want_programs want_plays want_agent want_referer <"$row.wanted"
    programs=()
    mapfile -d '' -t programs <"$row.programs"
    got_programs=${programs[*]:-"-"}
    problems=()
    [ "$got_programs" = "$want_programs" ] || problems+=("the batch line runs: $got_programs")
    # What the tools receive: a word that begins with a scheme has it in
    # lower case (the rest as typed), and no header list.
    words_text=""
    for k in "${!programs[@]}"; do
        mapfile -d '' -t words <"$row.words$k"
        words_text+="${words_text:+ | }${programs[k]} $(shown "${words[@]}")"
        # The player's fixed options are the same on every row.
        [[ "$words_text" =~ (.*)--network-caching=.*--no-qt-error-dialogs(.*) ]] &&
            words_text="${BASH_REMATCH[1]}[player options]${BASH_REMATCH[2]}"
        for w in "${words[@]}"; do
            [[ "$w" =~ ^([A-Za-z][A-Za-z0-9+.-]*):// && "${BASH_REMATCH[1]}" != "${BASH_REMATCH[1],,}" ]] &&
                problems+=("a tool receives the scheme ${BASH_REMATCH[1]}")
            [[ "$w" =~ \|[A-Za-z0-9-]+= ]] && problems+=("a tool receives the header list: $w")
        done
        [ "$k" -gt 0 ] && [ "${words[-1]:-}" != - ] && problems+=("${programs[k]} does not read the pipe")
    done
    # What the first tool or the player got.
    status=""
    [ -f "$row.status" ] && read -r status <"$row.status"
    [[ "$status" = 124 || "$status" = 137 ]] && problems+=("the hang guard ended the tool")
    got_plays=no
    case "${programs[0]:-}" in
    rtmpdump | ffmpeg)
        frames=""
        [ -f "$row.frames" ] && read -r frames <"$row.frames"
        [[ "$frames" =~ ^[0-9]+$ ]] || frames=0
        [ "$frames" -ge 25 ] && got_plays=yes
        outcome="$frames pictures"
        ;;
    vlc)
        # 44 bytes of header, then 44100 samples of two bytes a second.
        size=$(stat -c %s "$player_dir/$i/sound.wav" 2>/dev/null || echo 44)
        [ "$size" -ge 88244 ] && got_plays=yes
        outcome="$(((size - 44) / 88200)).$(printf '%02d' $(((size - 44) % 88200 / 882))) s of sound"
        ;;
    *) outcome="-" ;;
    esac
    [ "$got_plays" = "$want_plays" ] || problems+=("plays: $got_plays")
    # What the server saw from this row (a quote, a backslash and the like
    # logged as \xHH).
    requests=0 bytes=0 first="" statuses=() agents=() referers=() origins=()
    if [ -f "$row.log" ]; then
        while IFS=$'\t' read -r uri code sent agent referer origin; do
            requests=$((requests + 1)) bytes=$((bytes + sent))
            [ -n "$first" ] || first=${uri#/r$i}
            add_once statuses "$code"
            printf -v agent '%b' "$agent"
            printf -v referer '%b' "$referer"
            printf -v origin '%b' "$origin"
            add_once agents "$agent"
            add_once referers "$referer"
            [ "$origin" = - ] || add_once origins "$origin"
        done <"$row.log"
        statuses_text=$(IFS=/; echo "${statuses[*]}")
        outcome+="; server: $requests requests ($statuses_text), $bytes bytes, first $first"
        [ "$want_plays" = yes ] && [[ "$statuses_text" =~ [345][0-9][0-9] ]] && problems+=("a request was refused")
        outcome+="; agent $(printf '"%s", ' "${agents[@]}")"
        outcome="${outcome%, }; referer $(printf '"%s", ' "${referers[@]}")"
        outcome=${outcome%, }
        [ ${#origins[@]} -eq 0 ] || { outcome+="; origin $(printf '"%s", ' "${origins[@]}")"; outcome=${outcome%, }; }
        for a in "${agents[@]}"; do matches "$a" "$want_agent" || problems+=("the server saw agent \"$a\""); done
        for r in "${referers[@]}"; do matches "$r" "$want_referer" || problems+=("the server saw referer \"$r\""); done
    elif [ "$want_agent" != "*" ] || [ "$want_referer" != "*" ]; then
        problems+=("no request reached the server")
    fi
    result=ok
    [ ${#problems[@]} -eq 0 ] || { result=FAIL; failed=$((failed + 1)); }
    {
        # Shown as the table writes it, so that runs compare.
        words_text=${words_text//127.0.0.1:$http_port\/r$i/\{web\}} words_text=${words_text//127.0.0.1:$https_port\/r$i/\{tls\}}
        words_text=${words_text//127.0.0.1:$rtmp_port/\{rtmp\}} words_text=${words_text//127.0.0.1:$((udp_base + 2 * i))/\{udp\}}
        words_text=${words_text//127.0.0.1:1\//\{closed\}\/} words_text=${words_text//$work\/marker/\{marker\}}
        outcome=${outcome//$work\/marker/\{marker\}}
        printf '%-4s %2d: %s\n      %s\n      %s\n' "$result" "$i" "$(cat "$row.input")" "${words_text:-nothing runs}" "$outcome"
        for p in "${problems[@]}"; do echo "      FAIL: $p"; done
        if [ $result = FAIL ]; then
            cat "$row.err" "$player_dir/$i/err" 2>/dev/null | grep -aiE 'error|fail|refus' | grep -avE 'dbus|interface' |
                head -3 | sed 's/^/      tool: /'
        fi
    } >>"$report"
done
ran=no
[ -e "$work/marker" ] && ran=yes && echo "FAIL: a command in a header value ran" >>"$report"
cat "$report"
elapsed=$(echo "$(date +%s.%N) $started" | awk '{printf "%.1f", $1 - $2}')
echo "streams: $((n - failed)) of $n rows as the table says; took ${elapsed} s" | tee -a "$report"
[ "$failed" -eq 0 ] && [ "$ran" = no ]

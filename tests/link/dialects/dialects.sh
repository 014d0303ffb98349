#!/usr/bin/env bash
# dialects.sh WORK_DIR WORDS_CMD
# Every pasted dialect against Debian's rtmpdump and nginx-rtmp on
# 127.0.0.1. For each row of dialects.tsv, WORDS_CMD (tool_words) gives
# the arguments the program's batch line hands rtmpdump for that pasted
# input; rtmpdump runs with them while one test stream is
# published, and the row says whether the stream plays (25 pictures decoded
# from rtmpdump's standard output, where the player reads) and which
# application and stream name the server was asked for. Rows run side by
# side; each ends as soon as it has its answer. Everything started here
# ends with it, pass or fail.
set -u
table_tools="ffmpeg ffprobe rtmpdump nginx timeout"
. "$(dirname "$0")/table-start.sh"

# Info level: the server logs each connect (app) and play (name) at once,
# under the connection's number. No waiting for a stream that is not
# published, so a wrong name ends its row; every player starts at a key
# picture, so 25 packets read are 25 pictures decoded.
stream_server_log_level=info
stream_server_live="idle_streams off; wait_key on;"
rm -rf "$work/server" "$work/rows" && mkdir -p "$work/rows" || exit 1
start_stream_server "$work/server" || die "nginx did not start"
log=$work/server/error.log
host=127.0.0.1:$rtmp_port stream=stream

# One continuous stream (ten minutes at most, should all else fail).
publish_test_stream "$stream" 600 160x120 || die "the publisher ended"

connected() { grep -c ' client connected ' "$log"; }
n=0 readers=()
while IFS=$'\t' read -r -u 3 input plays app name; do
    [[ -z "$input" || "$input" == \#* ]] && continue
    n=$((n + 1))
    input=${input//HOST/$host} input=${input//STREAM/$stream} input=${input//TAB/$'\t'}
    inputs[n]=$input wanted[n]="$plays	${app//STREAM/$stream}	${name//STREAM/$stream}"
    # The batch line and its programs; only an rtmpdump-to-player line
    # hands words to rtmpdump.
    mapfile -d '' -t line < <("$words_cmd" "$input")
    words=()
    [ "${line[*]:1}" = "rtmpdump vlc" ] && mapfile -d '' -t words < <("$words_cmd" "$input" 0)
    printf '%s ' "${words[@]}" >"$work/rows/$n.words"
    # The server's workers allow 64 connections: keep well below.
    while [ "$(jobs -rp | wc -l)" -gt 40 ]; do wait -n; done
    before=$(connected)
    # rtmpdump works in /proc, where it can create no file: words that send
    # the stream to a file end the row at once. timeout is the hang guard.
    ( cd /proc && HOME=$work exec timeout --foreground -k 1 30 rtmpdump "${words[@]}" ) \
        </dev/null 2>"$work/rows/$n.err" |
        ffprobe -v error -count_frames -read_intervals '%+#25' -select_streams v:0 \
            -show_entries stream=nb_read_frames -of csv=p=0 pipe:0 >"$work/rows/$n.frames" 2>/dev/null &
    readers+=($!) groups+=("$(jobs -p %%)")
    # The row's connection is the next one the server logs, unless rtmpdump
    # gives up before connecting; so rows start one after another.
    while kill -0 $! 2>/dev/null && [ "$(connected)" -eq "$before" ]; do sleep 0.01; done
    conn[n]=$(grep ' client connected ' "$log" | sed -n "$((before + 1))s/.* \*\([0-9]*\) client connected.*/\1/p")
done 3<"$top/tests/link/dialects/dialects.tsv"
[ "$n" -gt 0 ] || die "no rows"
wait "${readers[@]}"

# What the server was asked for on a connection: the value of KEY= on its
# COMMAND line; "-" when it never got that command, '' for an empty value.
asked() {
    local value
    [ -n "$1" ] || { echo -; return; }
    value=$(sed -n "s/.* \*$1 $2: $3='\(.*\)' args='.*/\1/p" "$log")
    case "$value" in "") grep -q " \*$1 $2: " "$log" && echo "''" || echo - ;; *) echo "$value" ;; esac
}
failed=0
for i in $(seq "$n"); do
    frames=$(head -1 "$work/rows/$i.frames")
    [[ "$frames" =~ ^[0-9]+$ ]] || frames=0
    got_plays=no
    [ "$frames" -ge 25 ] && got_plays=yes
    got="$got_plays	$(asked "${conn[i]}" connect app)	$(asked "${conn[i]}" play name)"
    result=ok
    [ "$got" = "${wanted[i]}" ] || { result=FAIL; failed=$((failed + 1)); }
    printf '%-4s %2d: %s\n      rtmpdump %s| %s pictures, %s\n' "$result" "$i" "${inputs[i]}" \
        "$(cat "$work/rows/$i.words")" "$frames" "$(echo "$got" | cut -f2,3 | tr '\t' /)"
    if [ $result = FAIL ]; then
        echo "      the table says: ${wanted[i]}"
        grep -avE 'kB / |^(RTMPDump|\(c\)|$)' "$work/rows/$i.err" | head -3 | sed 's/^/      rtmpdump: /'
    fi
done
elapsed=$(echo "$(date +%s.%N) $started" | awk '{printf "%.1f", $1 - $2}')
echo "dialects: $((n - failed)) of $n rows as the table says; took ${elapsed} s"
[ "$failed" -eq 0 ]

# Sourced by bash scripts (run.sh --demo, tests/e2e/e2e.sh, the dialect
# table's dialects.sh) after linux/script.sh: makes bounded test media with ffmpeg and serves
# them from nginx on 127.0.0.1 only, over RTMP (nginx-rtmp, application
# "live") and HTTP (files under DIR/www, the RTMP statistics at /stat).
# Nothing here listens beyond the loopback.
#
#   make_test_media SECONDS SIZE OUTPUT-OPTIONS...  picture and tone, 25 frames/s
#                              (test_media_args: the input and codec options;
#                              SECONDS empty: endless)
#   make_test_certificate DIR  a certificate authority (DIR/ca.pem) and the
#                              server's certificate for 127.0.0.1 signed by it
#                              (DIR/server.pem, DIR/server.key)
#   start_stream_server DIR    sets rtmp_port, http_port; the server ends
#                              with the script. Reads stream_server_log_level
#                              (default error; info logs every rtmp connect
#                              and play at once), stream_server_live (more
#                              directives for "live"), stream_server_tls (a
#                              folder made by make_test_certificate: https
#                              on https_port as well) and stream_server_http,
#                              stream_server_site (more directives for the
#                              http block and for its server)
#   publish_test_stream NAME SECONDS SIZE  publishes to rtmp application
#                              "live" in the background and returns once the
#                              server lists NAME; ends with the script
#   serve_live_hls NAME SIZE   an endless live HLS stream at /NAME/index.m3u8
#                              (one-second segments, the last few kept on
#                              disk); returns once it lists a segment, ends
#                              with the script
#   http_get PATH              the body of a 200 reply, on standard output

nginx_rtmp_module=/usr/lib/nginx/modules/ngx_rtmp_module.so

test_media_args() {
    printf '%s\n' -f lavfi -i "testsrc=size=$2:rate=25" -f lavfi -i "sine=frequency=440:sample_rate=44100"
    [ -z "$1" ] || printf '%s\n' -t "$1"
    printf '%s\n' -c:v libx264 -preset ultrafast -g 25 -pix_fmt yuv420p -c:a aac
}

make_test_media() {
    local seconds=$1 size=$2 args
    shift 2
    mapfile -t args < <(test_media_args "$seconds" "$size")
    ffmpeg -nostdin -hide_banner -loglevel error -y "${args[@]}" "$@"
}

make_test_certificate() {
    local dir=$1
    mkdir -p "$dir" || return 1
    printf '%s\n' "subjectAltName=IP:127.0.0.1,DNS:localhost" "basicConstraints=CA:FALSE" \
        "extendedKeyUsage=serverAuth" >"$dir/server.ext"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Wellenblick test authority" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
        -keyout "$dir/ca.key" -out "$dir/ca.pem" 2>/dev/null &&
        openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" \
            -keyout "$dir/server.key" -out "$dir/server.csr" 2>/dev/null &&
        openssl x509 -req -days 2 -in "$dir/server.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" \
            -CAcreateserial -extfile "$dir/server.ext" -out "$dir/server.pem" 2>/dev/null
}

# publish SECONDS SIZE READY OUTPUT-OPTIONS...: the test media in real time,
# in the background until the script ends; returns once the command READY
# succeeds, or fails when the publisher ended first.
publish() {
    local seconds=$1 size=$2 ready=$3 source publisher
    shift 3
    mapfile -t source < <(test_media_args "$seconds" "$size")
    ffmpeg -nostdin -hide_banner -loglevel error -re "${source[@]}" "$@" \
        </dev/null 2>>"$stream_server_dir/publisher.log" &
    publisher=$!
    at_exit "stop_pid $publisher"
    until eval "$ready"; do
        kill -0 "$publisher" 2>/dev/null || { cat "$stream_server_dir/publisher.log" >&2; return 1; }
        sleep 0.1
    done
}

publish_test_stream() {
    publish "$2" "$3" "http_get /stat 2>/dev/null | grep -q '<name>$1</name>'" \
        -f flv "rtmp://127.0.0.1:$rtmp_port/live/$1"
}

serve_live_hls() {
    local dir=$stream_server_dir/www/$1
    mkdir -p "$dir" || return 1
    publish "" "$2" "grep -qs '[.]ts\$' '$dir/index.m3u8'" -f hls -hls_time 1 -hls_list_size 5 \
        -hls_flags delete_segments "$dir/index.m3u8"
}

http_get() {
    local reply
    exec 5<>"/dev/tcp/127.0.0.1/$http_port" || return 1
    printf 'GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' "$1" >&5
    reply=$(cat <&5)
    exec 5<&-
    case "$reply" in "HTTP/1.1 200"*) printf '%s\n' "${reply#*$'\r\n\r\n'}" ;; *) return 1 ;; esac
}

# One nginx process (no master, no daemon) so that one PID ends it. Ports
# are picked at random; one taken meanwhile means another try.
start_stream_server() {
    local dir=$1 user_line="" tls_lines="" pid
    stream_server_dir=$dir
    mkdir -p "$dir/www" "$dir/tmp"
    # As root nginx would hand its work to "nobody", who may not read DIR.
    [ "$(id -u)" -eq 0 ] && user_line="user $(id -un) $(id -gn);"
    for _ in 1 2 3 4 5; do
        rtmp_port=$((20000 + RANDOM % 20000))
        http_port=$((40000 + RANDOM % 20000))
        https_port=$((http_port + 1))
        [ -z "${stream_server_tls:-}" ] || tls_lines="listen 127.0.0.1:$https_port ssl;
        ssl_certificate $stream_server_tls/server.pem;
        ssl_certificate_key $stream_server_tls/server.key;"
        cat >"$dir/nginx.conf" <<EOF
load_module $nginx_rtmp_module;
daemon off;
master_process off;
$user_line
pid $dir/nginx.pid;
error_log $dir/error.log ${stream_server_log_level:-error};
events { worker_connections 64; }
rtmp {
    server {
        listen 127.0.0.1:$rtmp_port;
        application live {
            live on;
            # Tells players that the publisher has ended.
            publish_notify on;
            allow publish 127.0.0.1;
            deny publish all;
            ${stream_server_live:-}
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
        application/dash+xml mpd;
        video/mp4 mp4 m4s;
        audio/mpeg mp3;
    }
    ${stream_server_http:-}
    server {
        listen 127.0.0.1:$http_port;
        $tls_lines
        root $dir/www;
        location /stat { rtmp_stat all; }
        ${stream_server_site:-}
    }
}
EOF
        nginx -e "$dir/error.log" -p "$dir" -c "$dir/nginx.conf" </dev/null >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            if http_get /stat >/dev/null 2>&1; then
                at_exit "stop_pid $pid"
                return 0
            fi
            sleep 0.1
        done
        stop_pid "$pid"
    done
    cat "$dir/error.log" >&2
    return 1
}

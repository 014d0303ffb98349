#!/bin/sh
# Installs the Debian packages the build and the tests need, when missing.
set -eu
packages="cmake ninja-build g++ libgtest-dev libbenchmark-dev googletest clang libclang-rt-14-dev
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 xvfb xauth x11-utils imagemagick
fonts-wine ffmpeg rtmpdump vlc vlc-plugin-qt nginx libnginx-mod-rtmp openssl"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
# nginx serves the end-to-end tests' streams on 127.0.0.1, started and
# stopped by the tests themselves; the package would also start a system web
# server on port 80 on every interface. Only when this script installed it.
case " $missing " in
*" nginx "*)
    if [ -d /run/systemd/system ]; then
        $SUDO systemctl disable --now nginx >/dev/null 2>&1 || true
    elif command -v service >/dev/null; then
        $SUDO service nginx stop >/dev/null 2>&1 || true
        $SUDO update-rc.d nginx disable >/dev/null 2>&1 || true
    fi
    ;;
esac

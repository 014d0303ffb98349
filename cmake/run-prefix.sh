#!/bin/sh
# run-prefix.sh BUILD_DIR
# Makes the Wine prefix in WINEPREFIX ready to run Wellenblick on Linux:
# boots it, gives it Wine's own fonts, and puts the launchers for Debian's
# VLC, ffmpeg and rtmpdump (built in BUILD_DIR) at the program's default
# tool paths, c:\programme\videolan\vlc\. Never use the tests' prefix for
# this: there a test must not reach real tools at those paths.
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
[ -f "$WINEPREFIX/system.reg" ] || wine cmd /c exit >/dev/null 2>&1 </dev/null || true
"$here/wine-fonts.sh"
tools="$WINEPREFIX/drive_c/programme/videolan/vlc"
mkdir -p "$tools"
for tool in vlc ffmpeg rtmpdump; do
    cp "$build/linux/tools/$tool.exe" "$tools/$tool.exe"
done

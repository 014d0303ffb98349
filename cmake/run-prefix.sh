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
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
    # The first window after the prefix's first server has Wine list the
    # display devices anew, rewriting their keys: a window that closes at
    # once does it here, not the program's first start (nor in a test that
    # watches the keys).
    wineserver -w
    wine rundll32 user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null || true
fi
# Wine's menu builder, run at each start of the prefix's server, would add
# Wine's menu entries and file associations to the user's Linux desktop;
# this prefix is only for the program.
wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d "" /f >/dev/null 2>&1 </dev/null || true
"$here/wine-fonts.sh"
tools="$WINEPREFIX/drive_c/programme/videolan/vlc"
mkdir -p "$tools"
for tool in vlc ffmpeg rtmpdump; do
    cp "$build/linux/tools/$tool.exe" "$tools/$tool.exe"
done

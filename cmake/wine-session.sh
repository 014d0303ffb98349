#!/bin/sh
# wine-session.sh BUILD_DIR COMMAND...
# Starts a persistent wineserver for BUILD_DIR's private prefix, boots the
# prefix once and gives it Wine's own fonts, runs COMMAND, then stops that
# wineserver (and only that one).
# Call it under xvfb-run so Wine windows have a display.
set -u
build_dir=$(cd "$1" && pwd); shift
export WB_BUILD_DIR="$build_dir"
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Detached from our output: a wineserver holding ctest's pipe makes it hang.
setsid wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null
"$(dirname "$0")/wine-fonts.sh"
"$@"
rc=$?
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
exit $rc

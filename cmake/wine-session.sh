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
# Debian's Wine has no preloader to reserve its fixed low addresses before
# the kernel's address randomization can take them: now and then a new
# Windows process then dies at birth ("failed to map the shared user data")
# and cmd.exe reports its tool as unknown. Without randomization the layout
# is the same every time, and every process starts.
if [ -z "${WB_NO_ASLR:-}" ]; then
    export WB_NO_ASLR=1
    exec setarch "$(uname -m)" -R "$0" "$build_dir" "$@"
fi
# Detached from our output: a wineserver holding ctest's pipe makes it hang.
# The server will not start for a prefix folder that is not there yet; then
# every Wine start would start a server of its own and boot the prefix anew.
mkdir -p "$WINEPREFIX"
setsid wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null
# Wine's menu builder, run at each start of the prefix's server, would
# write its desktop entries into the registry, and so into the changes of
# whichever suite runs then.
wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d "" /f >/dev/null 2>&1 </dev/null
"$(dirname "$0")/wine-fonts.sh"
"$@"
rc=$?
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
exit $rc

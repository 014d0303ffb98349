#!/bin/sh
# Runs a Windows executable under Wine in a private prefix.
# WB_BUILD_DIR (or the current directory, which ctest sets to the build folder)
# decides which prefix; nothing outside it is touched.
: "${WB_BUILD_DIR:=$(pwd)}"
: "${WINEPREFIX:=$WB_BUILD_DIR/wineprefix}"
export WINEPREFIX
export WINEDEBUG=-all
# No Mono/Gecko install prompts in a fresh prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Without address randomization every Windows process can place Wine's
# fixed pages (see wine-session.sh).
exec setarch "$(uname -m)" -R wine "$@"

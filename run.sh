#!/usr/bin/env bash
# Installs what is missing, builds Wellenblick.exe and starts it under Wine.
set -euo pipefail
cd "$(dirname "$0")"
cmake/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Wellenblick
export WB_BUILD_DIR="$PWD/build/windows"
# The settings file lives in the working directory: keep it in the checkout.
if [ -n "${DISPLAY:-}" ]; then
    exec cmake/wine-run.sh build/windows/Wellenblick.exe
else
    exec xvfb-run -a cmake/wine-run.sh build/windows/Wellenblick.exe
fi

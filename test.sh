#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
cmake/install-deps.sh
cmake/check-includes.sh

for preset in native native-asan fuzz; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

cmake --preset windows
cmake --build --preset windows
# One private Wine prefix under build/windows, one virtual display. The
# suites run in a random order: none may depend on what ran before it.
xvfb-run -a -s "-screen 0 1280x1024x24" cmake/wine-session.sh build/windows \
    ctest --preset windows --schedule-random

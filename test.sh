#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
cmake/install-deps.sh
cmake/check-includes.sh

for preset in native native-asan fuzz; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
done
# Each fuzz target runs for a fixed time on one core; beside it run the
# native tests, whose real-tool tables spend most of theirs waiting for
# streams played in real time. Neither waits for the other's outcome.
ctest --preset fuzz >build/fuzz/ctest.log 2>&1 &
fuzz=$!
native=0
ctest --preset native -j2 || native=1
ctest --preset native-asan || native=1
fuzzed=0
wait "$fuzz" || fuzzed=1
cat build/fuzz/ctest.log
if [ "$native" -ne 0 ] || [ "$fuzzed" -ne 0 ]; then exit 1; fi

cmake --preset windows
cmake --build --preset windows
# One private Wine prefix under build/windows, one virtual display. The
# suites run in a random order: none may depend on what ran before it.
xvfb-run -a -s "-screen 0 1280x1024x24" cmake/wine-session.sh build/windows \
    ctest --preset windows --schedule-random

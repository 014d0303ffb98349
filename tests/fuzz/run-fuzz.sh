#!/bin/sh
# Runs one fuzz target for a while, starting from its checked-in corpus.
# New inputs go to a scratch folder, so the checked-in corpus only grows by
# hand; an input that breaks a property is kept in ./fuzz-findings and shown.
# Usage: run-fuzz.sh <fuzz executable> <corpus folder> [seconds] [libFuzzer options...]
set -eu
exe=$1
corpus=$2
seconds=${3:-20}
shift 2
[ $# -gt 0 ] && shift
work=$(mktemp -d "${TMPDIR:-/tmp}/wb-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
mkdir "$work/new" "$work/found"
status=0
"$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/found/" "$@" "$work/new" "$corpus" || status=$?
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/found")" ]; then
    mkdir -p fuzz-findings
    for f in "$work"/found/*; do
        [ -e "$f" ] || continue
        cp "$f" fuzz-findings/
        echo "finding $(pwd)/fuzz-findings/$(basename "$f"):"
        od -A d -t x1 "$f" | head -n 20
    done
    [ "$status" -ne 0 ] || status=1
fi
exit "$status"

# Sourced by the scripts that run the program or its tests (run.sh,
# tests/e2e/*.sh, tests/link/dialects/dialects.sh,
# tests/main/blackbox/screenshot.sh) after they set `top` to
# the checkout: the build folder and its Wine prefix, and one clean-up that
# runs, on every way out, what the script registered as it went.
#
#   use_build BUILD_DIR [PREFIX]  sets build (absolute) and wine_run; exports
#                                 WB_BUILD_DIR, WINEPREFIX (default: the
#                                 build folder's test prefix) and WINEDEBUG
#   at_exit COMMAND               runs COMMAND at exit, the last one first
#   stop_pid PID                  ends a process this script started and
#                                 waits for it
#   die MESSAGE                   reports and exits with status 1
wb_exit_actions=""
trap 'eval "$wb_exit_actions"' EXIT
trap 'exit 1' INT TERM HUP

at_exit() { wb_exit_actions="$1; $wb_exit_actions"; }

stop_pid() {
    [ -n "${1:-}" ] || return 0
    # Not an error when it has ended already (run.sh runs with set -e).
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

die() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

use_build() {
    build=$(cd "$1" && pwd) || die "no build folder $1"
    WB_BUILD_DIR=$build
    WINEPREFIX=${2:-${WINEPREFIX:-$build/wineprefix}}
    WINEDEBUG=-all
    export WB_BUILD_DIR WINEPREFIX WINEDEBUG
    wine_run="$top/cmake/wine-run.sh"
}

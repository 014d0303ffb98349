#!/bin/sh
# Runs one Windows test executable under Wine (ctest's emulator) and fails
# it when it leaves a process or a file of its own in the prefix, whatever
# its own outcome: suites run in any order, so each must leave the prefix
# as it found it. Wine's own services (started on first use) do not count.
: "${WB_BUILD_DIR:=$(pwd)}"
: "${WINEPREFIX:=$WB_BUILD_DIR/wineprefix}"
export WB_BUILD_DIR WINEPREFIX
here=$(cd "$(dirname "$0")" && pwd)

files() {
    [ -d "$WINEPREFIX/drive_c" ] || return 0
    (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print | LC_ALL=C sort)
}
# Linux processes of this prefix that are not Wine's own: "pid command".
processes() {
    grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null | while read -r environ; do
        dir=${environ%/environ}
        command=$(tr '\0' ' ' 2>/dev/null <"$dir/cmdline")
        # "sort " is the end of this very pipeline, which inherits WINEPREFIX.
        case "$command" in
        "" | "sort " | *wineserver* | ctest* | *cmake* | *wine-s*.sh* | *'\system32\services.exe'* | \
        *'\system32\explorer.exe'* | *'\system32\winedevice.exe'* | *'\system32\plugplay.exe'* | \
        *'\system32\svchost.exe'* | *'\system32\rpcss.exe'*) continue ;;
        esac
        echo "${dir#/proc/} $command"
    done | LC_ALL=C sort
}

before_files=$(files)
before_processes=$(processes)
"$here/wine-run.sh" "$@"
rc=$?

# Lines of the second list that the first does not have.
added_lines() { printf '%s\n' "$2" | grep -vxF -f "$(printf '%s\n' "$1" >"$scratch" && echo "$scratch")" || true; }
scratch=$(mktemp)
trap 'rm -f "$scratch"' EXIT

# A process ended with TerminateProcess may take a moment to leave the
# process table; only one that stays is left behind.
tries=0
while :; do
    left=$(added_lines "$before_processes" "$(processes)")
    [ -z "$left" ] || [ $tries -ge 50 ] && break
    tries=$((tries + 1))
    sleep 0.2
done
added=$(added_lines "$before_files" "$(files)")

if [ -n "$left" ] || [ -n "$added" ]; then
    echo "The suite left behind in $WINEPREFIX:"
    [ -z "$left" ] || printf '%s\n' "$left" | sed 's/^/  process /'
    [ -z "$added" ] || printf '%s\n' "$added" | sed 's|^\.|  drive_c|'
    # End what it left, by the PIDs just listed (processes of this prefix
    # only), so that the next suite finds the prefix clean.
    printf '%s\n' "$left" | while read -r pid _; do [ -z "$pid" ] || kill "$pid" 2>/dev/null; done
    [ $rc -ne 0 ] || rc=1
fi
exit $rc

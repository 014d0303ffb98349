#!/bin/sh
# Runs one Windows test executable under Wine (ctest's emulator) and fails
# it when it leaves anything of its own behind, whatever its own outcome:
# suites run in any order, so each must leave the prefix as it found it.
# Checked: every process started on its behalf (Windows programs and the
# Linux tools behind the launchers), the files of drive_c outside windows/,
# and every key and value of HKEY_LOCAL_MACHINE and HKEY_USERS.
: "${WB_BUILD_DIR:=$(pwd)}"
: "${WINEPREFIX:=$WB_BUILD_DIR/wineprefix}"
export WB_BUILD_DIR WINEPREFIX
here=$(cd "$(dirname "$0")" && pwd)

# Only the suite gets this tag in its environment, never the checks below.
# Wine hands the Unix environment on to every Windows child and from there
# to the Linux programs the launchers spawn, so the tag marks exactly the
# processes started on the suite's behalf; being unique, it never marks
# those of a suite running at the same time.
tag="$$.$(date +%s%N)"

# Processes carrying the tag, "pid command", less Wine's own services. Of
# these a suite may start the desktop's explorer on first use (it stays
# with the desktop, and ends by itself some time later); the others and the
# wineserver carry the tag only when the suite was the first Wine program
# of a prefix without a running server. All outlive the suite by design.
# An empty command line is a process on its way out.
processes() {
    grep -lzxF "WB_SUITE=$tag" /proc/[0-9]*/environ 2>/dev/null | while read -r environ; do
        dir=${environ%/environ}
        case $(readlink "$dir/exe") in */wineserver*) continue ;; esac
        command=$( (tr '\0\t\r\n' '    ' <"$dir/cmdline") 2>/dev/null)
        # Wine pads the command line it writes over the Linux one.
        command=${command%"${command##*[! ]}"}
        case "$command" in
        '' | 'C:\windows\system32\services.exe' | 'C:\windows\system32\winedevice.exe' | \
        'C:\windows\system32\plugplay.exe' | 'C:\windows\system32\svchost.exe -k '* | \
        'C:\windows\system32\rpcss.exe' | 'C:\windows\system32\explorer.exe /desktop'*) continue ;;
        esac
        printf '%s %s\n' "${dir#/proc/}" "$command"
    done
}

# drive_c outside windows/, a regular file with its size and time, so that
# a changed or removed file shows as well as a new one. Wine links Desktop,
# Documents and the like to the Linux home: what a suite saves there lands
# outside the prefix, so their top level is listed too (dot files aside:
# Windows programs make none, Linux ones keep their settings there).
files() {
    [ -d "$WINEPREFIX/drive_c" ] || return 0
    (
        cd "$WINEPREFIX/drive_c" || exit
        find . -path ./windows -prune -o -type f -printf '%p %s %T@\n' -o -print
        find . -path ./windows -prune -o -type l -xtype d -print | while read -r link; do
            find -L "$link" -mindepth 1 -maxdepth 1 ! -name '.*' \( -type f -printf '%p %s %T@\n' -o -print \)
        done
    ) | LC_ALL=C sort
}

# The registry as one line per key and per value, "[key]" and
# "[key]name=data", sorted. The wineserver keeps it in memory and writes
# its hive files only every 30 s, so registry-dump.exe has the server
# write HKEY_LOCAL_MACHINE and HKEY_USERS into $1.* now (volatile keys
# left out). Also left out:
#  - the time after each key name and the #time= lines: when the key last
#    changed, also by a value set to what it was; a changed value shows itself;
#  - ...\Explorer\ComDlg32\LastVisitedMRU: the file dialog's own history
#    of the last folder of each program, written on every use (Wine
#    ignores OFN_DONTADDTORECENT);
#  - the key ...\Explorer\Advanced while it is empty: in a new prefix the
#    file dialog's folder view makes it when it first looks for its view
#    settings; a value there is a setting and counts;
#  - the values of HKCU\Console itself: the first console window of a
#    prefix saves there all its defaults with the font it picked;
#  - a display adapter's DriverDateData: the time at which Wine last listed
#    the display devices, which it does again when a new server's first
#    window opens.
registry() {
    "$here/wine-run.sh" "$WB_BUILD_DIR/registry-dump.exe" "$(windows_path "$1.machine")" \
        "$(windows_path "$1.users")" </dev/null >/dev/null 2>&1 ||
        { echo "wine-suite: $WB_BUILD_DIR/registry-dump.exe could not dump the registry" >&2; return 1; }
    { flatten HKLM <"$1.machine" && flatten HKU <"$1.users"; } |
        grep -v -e '^\[HKU\\[^\\]*\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU\]' \
            -e '^\[HKU\\[^\\]*\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\]$' \
            -e '^\[HKU\\[^\\]*\\Console\]' \
            -e '^\[HKLM\\System\\CurrentControlSet\\Control\\Class\\[^]]*\]"DriverDateData"=' |
        LC_ALL=C sort
}
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
flatten() {
    awk -v root="$1" '
        /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); gsub(/\\\\/, "\\", key)
                key = "[" root "\\" substr(key, 2); print key; next }
        key == "" || /^$/ || /^#time=/ { next }
        {
            line = $0  # long data goes on over lines ending in a backslash
            while (line ~ /\\$/ && (getline more) > 0) { sub(/\\$/, "", line); sub(/^ +/, "", more); line = line more }
            print key line
        }'
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The registry first: in a prefix not made yet, Wine makes it now.
registry "$work/before" >"$work/before.keys" || exit 1
files >"$work/before.files"
WB_SUITE=$tag "$here/wine-run.sh" "$@"
rc=$?

# Waits up to $1 seconds for the suite's processes to end; $left is what
# is still there. A process just ended (by TerminateProcess, or a Linux
# tool whose launcher was ended) may take a moment to go.
wait_for_processes() {
    deadline=$(($(date +%s) + $1))
    while left=$(processes) && [ -n "$left" ] && [ "$(date +%s)" -lt "$deadline" ]; do sleep 0.1; done
}
wait_for_processes 10
stayed=$left
# Ends what stayed, so that the next suite finds the prefix clean: by the
# PIDs of a fresh list, so only processes with this suite's tag.
end_processes() { for pid in $(processes | cut -d' ' -f1); do kill -s "$1" "$pid" 2>/dev/null; done; }
if [ -n "$stayed" ]; then
    end_processes TERM
    wait_for_processes 5
    [ -z "$left" ] || end_processes KILL
fi

# "-" was there before and is not now, "+" is new; a change shows as both.
changes() { diff "$1" "$2" | sed -n 's/^< /- /p; s/^> /+ /p'; }
files >"$work/after.files"
files_changed=$(changes "$work/before.files" "$work/after.files")
if registry "$work/after" >"$work/after.keys"; then
    registry_changed=$(changes "$work/before.keys" "$work/after.keys")
else
    registry_changed="? (could not be read)"
fi

if [ -n "$stayed$files_changed$registry_changed" ]; then
    echo "The suite left behind in $WINEPREFIX:"
    [ -z "$stayed" ] || printf '%s\n' "$stayed" | sed 's/^\(.*\)$/  process \1  (ended now)/'
    [ -z "$files_changed" ] || printf '%s\n' "$files_changed" | sed 's|^\(.\) \.|  file \1 drive_c|'
    [ -z "$registry_changed" ] || printf '%s\n' "$registry_changed" | sed 's/^/  registry /'
    [ $rc -ne 0 ] || rc=1
fi
exit $rc

// Stands in for the Windows build of a tool when Wellenblick runs under Wine
// on Linux. Built as vlc.exe, ffmpeg.exe and rtmpdump.exe, it runs the
// Debian tool of its own name with this process's standard input and output
// and ends, with the tool's exit code, when the tool has ended.
//
// Why a launcher: Wine starts a Linux program from a Windows process
// detached (no process handle), so cmd.exe would neither wait for it nor
// feed a pipe into it. Wine's own spawn call hands the standard handles over
// as Unix descriptors and waits for the Linux process.
//
// Pipes: Wine 8's cmd.exe runs "a | b" one side after the other. a writes
// into an empty temporary file (CMDxxxx.tmp), and b starts, with that file
// as its input, once a has ended: a live stream would never reach b, and the
// file would grow for as long as it plays. So the launchers hand the stream
// over: a left side whose output is such a file leaves its command in a
// record named after the file's identity and ends at once; the right side,
// whose input is the same file, takes the record and runs both tools
// itself, joined by a real pipe, so that both end with it. With a console,
// a real pipe or any other file the launchers only run their tool.
//
// VLC: Debian's build refuses to run as root, so as root it runs as the
// unprivileged user "nobody" with a copy of the X authority; the one option
// that only the Windows builds know (--no-qt-updates-notif) is dropped, every
// other option goes through. WB_VLC_EXTRA_OPTIONS (space-separated) is added
// after the program's options; the tests use it to record what VLC decoded.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/win32.h"
#include "linux/tool_support.h"

namespace {

using SpawnFn = LONG(__cdecl*)(char* const argv[], int wait);

// Run by bash with the tool name and the tool's arguments. The tools run as
// children so that a launcher ended by TerminateProcess (the program's "VLC
// aus", its next test, its exit) takes them with it: setpriv makes this
// shell receive TERM when the launcher dies, and the left tool of a pipe
// receive TERM when this shell ends.
//
// The hand-off records live in the Wine prefix, which only its owner can
// write to (Wine runs in no other), in a folder that must be a real folder
// of ours, no link. A record names the temporary file by device, inode and
// time of its last change, so that a file made later in its place is
// another. A right side starts at once or never: older records are stale.
constexpr char kScript[] = R"sh(
tool=$1; shift
home=""
child=""
cleanup() { [ -z "$home" ] || rm -rf "$home"; }
trap '[ -z "$child" ] || { kill "$child" 2>/dev/null; wait "$child"; }; cleanup; exit 143' TERM INT HUP

pipe_file() {
    local fd=/proc/$$/fd/$1 path
    path=$(readlink "$fd") && [ -f "$fd" ] && [ ! -s "$fd" ] || return 1
    case ${path##*/} in CMD*.tmp) ;; *) return 1 ;; esac
    stat -L -c '%d-%i-%.9Y' "$fd"
}
records() {
    local dir=${WINEPREFIX:-$HOME/.wine}/wellenblick-pipes
    mkdir -m 700 "$dir" 2>/dev/null
    [ -d "$dir" ] && [ ! -L "$dir" ] && [ -O "$dir" ] && [ "$(stat -c %a "$dir")" = 700 ] || return 1
    printf '%s\n' "$dir"
}

if key=$(pipe_file 1) && dir=$(records); then
    find "$dir" -maxdepth 1 -type f -mmin +1 -delete 2>/dev/null
    if record=$(mktemp "$dir/.new.XXXXXX"); then
        printf '%s\0' "$tool" "$@" >"$record" && mv -f "$record" "$dir/$key" && exit 0
        rm -f "$record"
    fi
fi
left=()
if key=$(pipe_file 0) && dir=$(records) && [ -f "$dir/$key" ] && [ ! -L "$dir/$key" ]; then
    mapfile -d '' -t left <"$dir/$key"
    # Taken; and cmd.exe, ended before it removes the empty file, would
    # leave it behind.
    rm -f "$dir/$key" "$(readlink "/proc/$$/fd/0")"
    case ${left[0]-} in ffmpeg | rtmpdump) ;; *) left=() ;; esac
fi

if [ "$tool" = vlc ] && [ "$(id -u)" -eq 0 ]; then
    home=$(mktemp -d "${TMPDIR:-/tmp}/wb-vlc.XXXXXX") || exit 1
    auth=${XAUTHORITY:-$HOME/.Xauthority}
    [ -r "$auth" ] && cp "$auth" "$home/.Xauthority"
    chown -R nobody "$home"
    set -- setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -u XDG_RUNTIME_DIR -u DBUS_SESSION_BUS_ADDRESS \
        HOME="$home" XAUTHORITY="$home/.Xauthority" vlc "$@"
else
    set -- "$tool" "$@"
fi
if [ ${#left[@]} -gt 0 ]; then
    setpriv --pdeathsig TERM "${left[@]}" </dev/null | "$@" &
    child=$!
else
    # Asynchronous commands get /dev/null as input unless it is handed
    # over explicitly (fd 3).
    exec 3<&0
    "$@" <&3 3<&- &
    child=$!
    exec 3<&-
fi
wait "$child"
rc=$?
cleanup
exit $rc
)sh";

// "vlc" for ...\vlc.exe.
std::wstring own_tool_name() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    std::wstring name(path, n);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".exe") == 0) name.resize(name.size() - 4);
    for (auto& c : name) c = static_cast<wchar_t>(towlower(c));
    return name;
}

// The right side of a pipe ends with its cmd.exe. "testen" and "VLC aus"
// stop the tools and cmd.exe by name from one look at the process table; a
// right side that cmd.exe starts in between would play on unseen.
DWORD WINAPI end_with(void* parent) {
    WaitForSingleObject(parent, INFINITE);
    ExitProcess(143);
}

void end_with_parent_when_reading_a_file() {
    if (GetFileType(GetStdHandle(STD_INPUT_HANDLE)) != FILE_TYPE_DISK) return;
    const DWORD self = GetCurrentProcessId();
    DWORD parent_id = 0;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
        if (entry.th32ProcessID == self) parent_id = entry.th32ParentProcessID;
    HANDLE parent = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent_id);
    // Gone already, or its number taken by a process younger than this one.
    FILETIME parent_start{}, own_start{}, unused{};
    if (!parent || !GetProcessTimes(parent, &parent_start, &unused, &unused, &unused) ||
        !GetProcessTimes(GetCurrentProcess(), &own_start, &unused, &unused, &unused) ||
        CompareFileTime(&parent_start, &own_start) > 0)
        ExitProcess(143);
    if (!CreateThread(nullptr, 0, end_with, parent, 0, nullptr)) CloseHandle(parent);
}

std::wstring environment(const wchar_t* name) {
    const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::wstring value(n, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), n));
    return value;
}

}  // namespace

int main() {
    const auto spawn = reinterpret_cast<SpawnFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    if (!spawn) return 127;  // not Wine: there is no Linux tool to run

    end_with_parent_when_reading_a_file();
    const std::wstring tool = own_tool_name();
    std::vector<std::string> words = {"/usr/bin/setpriv", "--pdeathsig", "TERM", "/bin/bash", "-c", kScript,
                                      "wb-tool", utf8(u16(tool.c_str()))};
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 127;
    for (int i = 1; i < argc; ++i) {
        if (tool == L"vlc" && wcscmp(argv[i], L"--no-qt-updates-notif") == 0) continue;
        words.push_back(utf8(u16(argv[i])));
    }
    LocalFree(argv);
    if (tool == L"vlc") {
        const std::string extra = utf8(u16(environment(L"WB_VLC_EXTRA_OPTIONS").c_str()));
        for (std::size_t at = 0; at < extra.size();) {
            const std::size_t end = std::min(extra.find(' ', at), extra.size());
            if (end > at) words.push_back(extra.substr(at, end - at));
            at = end + 1;
        }
    }

    std::vector<char*> unix_argv;
    for (auto& w : words) unix_argv.push_back(w.data());
    unix_argv.push_back(nullptr);
    return static_cast<int>(spawn(unix_argv.data(), 1));
}

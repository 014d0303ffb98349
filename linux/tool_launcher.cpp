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
// VLC: Debian's build refuses to run as root, so as root it runs as the
// unprivileged user "nobody" with a copy of the X authority; the one option
// that only the Windows builds know (--no-qt-updates-notif) is dropped, every
// other option goes through. WB_VLC_EXTRA_OPTIONS (space-separated) is added
// after the program's options; the tests use it to record what VLC decoded.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/win32.h"
#include "linux/tool_support.h"

namespace {

using SpawnFn = LONG(__cdecl*)(char* const argv[], int wait);

// Run by /bin/sh with the tool name and the tool's arguments. The tool runs
// as a child so that a launcher ended by TerminateProcess (the program's
// "VLC aus", its next test, its exit) takes the tool with it: setpriv makes
// this shell receive TERM when the launcher dies. Asynchronous commands get
// /dev/null as input unless it is handed over explicitly (fd 3).
constexpr char kScript[] = R"sh(
tool=$1; shift
home=""
child=""
cleanup() { [ -z "$home" ] || rm -rf "$home"; }
trap '[ -z "$child" ] || { kill "$child" 2>/dev/null; wait "$child"; }; cleanup; exit 143' TERM INT HUP
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
exec 3<&0
"$@" <&3 3<&- &
child=$!
exec 3<&-
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

    const std::wstring tool = own_tool_name();
    std::vector<std::string> words = {"/usr/bin/setpriv", "--pdeathsig", "TERM", "/bin/sh", "-c", kScript,
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

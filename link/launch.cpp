#include "link/launch.h"

#include "link/stream_command.h"
#include "textfile/text_file.h"
#include "textfile/text_ops.h"
#include "base/win32.h"

#include <shellapi.h>

#include <string>

namespace {

// Calls a Win32 "fill this buffer" function that returns the length written,
// or the size needed (with the terminator) when the buffer is too small.
template <typename Fill>
std::wstring fill_buffer(Fill fill) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.assign(n + 1, L'\0');
    }
    return {};
}

}  // namespace

BatchCharset batch_charset() {
    BatchCharset charset;
    charset.holds = [](char32_t c) { return text_encoding_holds(TextEncoding::console, c); };
    charset.short_path = [](const std::u16string& path) {
        const std::wstring short_form = fill_buffer(
            [&](wchar_t* b, DWORD n) { return GetShortPathNameW(wz(path), b, n); });
        return u16(short_form.c_str(), short_form.size());
    };
    return charset;
}

bool write_batch_file(const std::u16string& path, const std::u16string& test_command) {
    if (!text_file_create(path, TextEncoding::console)) return false;
    bool written = true;
    for (const std::u16string& line : {std::u16string(u" "), test_command, std::u16string(u" "), std::u16string(u"pause")})
        written = text_file_write_line(line) && written;
    text_file_close();
    return written;
}

std::u16string temp_directory() {
    const std::wstring short_form = fill_buffer([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); });
    if (short_form.empty()) return {};
    // The long form walks the folder path on disk, a good part of a click
    // under Wine; it is asked again only when the folder itself changed.
    static std::wstring last_short, last_long;
    std::wstring dir;
    if (short_form == last_short) {
        dir = last_long;
    } else {
        dir = fill_buffer([&](wchar_t* b, DWORD n) { return GetLongPathNameW(short_form.c_str(), b, n); });
        if (!dir.empty()) {
            last_short = short_form;
            last_long = dir;
        }
    }
    // A folder that cannot be expanded is still the temporary directory.
    if (dir.empty()) dir = short_form;
    if (dir.back() != L'\\') dir += L'\\';
    return u16(dir.c_str(), dir.size());
}

void start_program(const std::u16string& target) {
    const std::u16string command = !target.empty() && target.front() == u'"' ? target : u"\"" + target + u"\"";
    // CreateProcessW may write into the command line.
    std::wstring writable(command.begin(), command.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &startup, &process)) {
        UniqueHandle process_handle(process.hProcess);
        UniqueHandle thread_handle(process.hThread);
        return;
    }

    // Not an executable (a web address, a document): the shell's default action.
    const auto slash = target.rfind(u'\\');
    const std::u16string folder = slash == std::u16string::npos ? std::u16string() : target.substr(0, slash + 1);
    SHELLEXECUTEINFOW shell{};
    shell.cbSize = sizeof shell;
    shell.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
    shell.lpFile = wz(target);
    shell.lpDirectory = folder.empty() ? nullptr : wz(folder);
    shell.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&shell)) UniqueHandle opened(shell.hProcess);
}

TestOutcome run_test(ProgramState& state, const TestFields& fields) {
    TestOutcome outcome;
    state.stream_address = fields.address;
    state.ffmpeg_path = fields.ffmpeg_path;
    state.vlc_path = fields.vlc_path;
    state.rtmpdump_path = fields.rtmpdump_path;
    state.cache_kb = trim_spaces(fields.cache_kb);

    outcome.address_rewritten = normalise_rtmp_address(state.stream_address);
    compose_test_command(state, batch_charset());

    // Without a temporary directory the file would land in whatever folder
    // is current; treat it like a batch file that cannot be created.
    std::u16string temp_dir = temp_directory();
    if (temp_dir.empty()) return outcome;
    state.temp_dir = std::move(temp_dir);
    const std::u16string batch = state.temp_dir + u"stream.bat";
    DeleteFileW(wz(batch));  // a missing or locked file is dealt with by the create below

    if (!write_batch_file(batch, state.test_command)) return outcome;
    outcome.batch_written = true;

    start_program(batch);
    return outcome;
}

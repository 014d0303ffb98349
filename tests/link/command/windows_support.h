#pragma once
// Test support for running batch files and recording stand-in tools under
// Wine: a temporary folder, the recorder's log, cmd.exe runs, clean-up of
// processes the tests started.
#include <windows.h>

#include <string>
#include <vector>

struct Record {
    std::wstring tool;                // file name of the recorder copy
    std::wstring line;                // its raw command line
    std::vector<std::wstring> crt;    // argv[1..] of the C runtime
    std::vector<std::wstring> w32;    // CommandLineToArgvW, without the program
};

// A fresh folder under the temporary directory, removed with its content.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& path() const { return path_; }  // ends in a backslash
private:
    std::wstring path_;
};

std::wstring recorder_exe();
bool make_folder(const std::wstring& path);
bool copy_recorder(const std::wstring& to);
std::string read_bytes(const std::wstring& path);
bool write_bytes(const std::wstring& path, const std::string& bytes);
std::string utf8(const std::wstring& text);
std::string utf8(const std::u16string& text);
std::vector<Record> read_records(const std::wstring& log);
// Names in a folder, without "." and "..".
std::vector<std::wstring> folder_entries(const std::wstring& folder);
// Runs `command_line` with standard input from `input` and output to
// `output`, in `directory`; waits (at most two minutes) and returns false on
// timeout.
bool run_and_wait(const std::wstring& command_line, const std::wstring& directory,
                  const std::wstring& output, const std::wstring& input = L"NUL");
std::wstring cmd_exe();
// Waits until `predicate` holds, at most two minutes.
template <typename P>
bool eventually(P predicate) {
    for (int i = 0; i < 1200; ++i) {
        if (predicate()) return true;
        Sleep(100);
    }
    return predicate();
}
// Processes this test process started, and theirs.
std::vector<DWORD> descendants();
// Terminates them all.
void end_descendants();

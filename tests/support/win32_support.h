#pragma once
// What every Wine suite, the black-box driver and the end-to-end driver
// need around the program: UTF-8 and build-tree paths, scratch folders, raw
// file bytes checked independently of the program's own text files, folder
// listings, processes and their trees, and waiting for a condition.
#include "base/win32.h"
#include "linux/tool_support.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// utf8() and wait_until() come from linux/tool_support.h, shared with the
// Linux tools.
std::u16string from_utf8(std::string_view text);

// A build-tree path as the compiler saw it (Unix) in its Wine Z: drive
// form; a Windows path passes through.
std::u16string windows_path(std::string_view build_path);

// The temporary directory in its long form, ending in a backslash.
std::u16string temp_folder();

// A fresh, empty folder below the temporary directory (long form, ending in
// a backslash), removed with everything in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::u16string& path() const { return path_; }
    std::u16string file(std::u16string_view name) const { return path_ + std::u16string(name); }

private:
    std::u16string path_;
};
// Removes a folder and everything in it; a file that a process just ended
// still holds is waited for a moment.
void remove_tree(const std::u16string& folder);
bool make_folder(const std::u16string& path);

// The whole file, or nothing when it cannot be opened (others may hold it).
std::optional<std::string> file_bytes(const std::u16string& path);
// The whole file; "<missing>" when it cannot be opened.
std::string read_bytes(const std::u16string& path);
bool write_bytes(const std::u16string& path, std::string_view bytes);
bool file_exists(const std::u16string& path);
bool is_file(const std::u16string& path);
bool is_directory(const std::u16string& path);
// Names in a folder (ending in a backslash), without "." and "..", sorted.
std::vector<std::u16string> folder_entries(const std::u16string& folder);

// Starts `exe` with `arguments` (already quoted as needed) in `directory`
// (none: the current one); the process handle, or none.
UniqueHandle start_process(const std::u16string& exe, const std::u16string& arguments = {},
                           const std::u16string& directory = {}, DWORD flags = DETACHED_PROCESS);
// Runs `command_line` with standard input from `input` and standard output
// and error into `output`, in `directory`, and waits at most `bound_ms`;
// false when it did not start or did not end.
bool run_and_wait(const std::u16string& command_line, const std::u16string& directory,
                  const std::u16string& output, const std::u16string& input, DWORD bound_ms);
// Every process started, directly or further down, by `root`.
std::vector<DWORD> descendants(DWORD root = GetCurrentProcessId());
// Ends those processes (and what they start meanwhile).
void end_descendants(DWORD root = GetCurrentProcessId());
// File names of the running processes, in lower case.
std::vector<std::u16string> running_process_names();
// The file name of a running process as the process table lists it; empty
// when it is not listed.
std::u16string process_name(DWORD pid);
// The exit code of a process once it has ended; STILL_ACTIVE when it did
// not end within the bound.
DWORD exit_code_when_ended(HANDLE process, DWORD bound_ms = kPatienceMs);
// Ends a process with `code` and returns its exit code: `code` when it was
// still running, else the code of what ended it before. TerminateProcess
// returns before the process has ended, but the first one decides the code.
DWORD end_process(HANDLE process, UINT code);

// Clipboard text, or empty when there is none; retries while it is busy.
std::u16string clipboard_text();
bool put_clipboard(const std::u16string& text);

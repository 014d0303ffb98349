#include "settings/settings.h"

#include "base/win32.h"
#include "settings/settings_lines.h"
#include "textfile/text_file.h"

#include <string>

namespace {

// The same rule as writing the file in place: one that another program
// holds open for writing, or that is read-only or not a file, is left as
// it is. A missing file may be created.
bool may_replace(const std::u16string& path) {
    UniqueHandle probe(CreateFileW(wz(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe || GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace

void load_settings(ProgramState& state) {
    if (!text_file_open(state.work_dir + kSettingsFileName)) return;
    // A missing line reads as empty and so takes its default, like an empty one.
    for (std::size_t i = 0; i < kSettingsLineCount; ++i)
        apply_settings_line(state, i, text_file_read_line());
    text_file_close();
}

// The new content goes into a file of its own beside the old one, and only
// a complete one replaces it: a crash, a forced shutdown or a full disk
// while writing leaves the old settings as they were.
void save_settings(const ProgramState& state) {
    const std::u16string path = state.work_dir + kSettingsFileName;
    if (!may_replace(path)) return;
    const std::u16string fresh =
        path + u"." + u16(std::to_wstring(GetCurrentProcessId()).c_str()) + u".neu";
    if (!text_file_create(fresh)) return;
    for (const auto& line : settings_to_lines(state)) text_file_write_line(line);
    const bool complete = text_file_flush();
    text_file_close();

    if (complete) {
        // A hidden or system settings file stays hidden or system.
        const DWORD old = GetFileAttributesW(wz(path));
        if (old != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(wz(fresh), old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                 FILE_ATTRIBUTE_ARCHIVE));
        if (MoveFileExW(wz(fresh), wz(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return;
    }
    SetFileAttributesW(wz(fresh), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wz(fresh));
}

#include "settings/settings.h"

#include "settings/settings_lines.h"
#include "textfile/text_file.h"

void load_settings(ProgramState& state) {
    if (!text_file_open(state.work_dir + kSettingsFileName)) return;
    // A missing line reads as empty and so takes its default, like an empty one.
    for (std::size_t i = 0; i < kSettingsLineCount; ++i)
        apply_settings_line(state, i, text_file_read_line());
    text_file_close();
}

void save_settings(const ProgramState& state) {
    if (!text_file_create(state.work_dir + kSettingsFileName)) return;
    for (const auto& line : settings_to_lines(state)) text_file_write_line(line);
    text_file_close();
}

#include "settings/settings_lines.h"

namespace {

struct LineSlot {
    std::u16string ProgramState::*value;
    const char16_t* default_text;
};

// File order. The address line's default is the hint text, not the empty
// address the program starts with.
constexpr LineSlot kSlots[kSettingsLineCount] = {
    {&ProgramState::vlc_path, kDefaultVlcPath},
    {&ProgramState::ffmpeg_path, kDefaultFfmpegPath},
    {&ProgramState::link_dir, kDefaultLinkDir},
    {&ProgramState::cache_kb, kDefaultCacheKb},
    {&ProgramState::stream_address, kAddressHint},
    {&ProgramState::rtmpdump_path, kDefaultRtmpdumpPath},
};

}  // namespace

SettingsLines settings_to_lines(const ProgramState& state) {
    SettingsLines lines;
    for (std::size_t i = 0; i < kSettingsLineCount; ++i) lines[i] = state.*kSlots[i].value;
    return lines;
}

void apply_settings_line(ProgramState& state, std::size_t index, const std::u16string& line) {
    if (index >= kSettingsLineCount) return;
    const LineSlot& slot = kSlots[index];
    state.*slot.value = line.empty() ? std::u16string(slot.default_text) : line;
}

// The settings loader's portable part on arbitrary file content: the first
// six lines (as the line reader cuts them) become the six values, an empty
// or missing line its default, further lines change nothing; and what is
// saved from the loaded values loads back to the same values and the same
// bytes.
#include "settings/settings_lines.h"
#include "textfile/line_reader.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>

namespace {

// Bytes widen to UTF-16 one to one here: the loader sees text, and the
// encoding on disk belongs to the Win32 file layer.
std::vector<std::u16string> read_lines(std::string_view file) {
    std::size_t at = 0;
    LineReader reader([&](unsigned char* dest, std::size_t capacity) {
        const std::size_t n = std::min(capacity, file.size() - at);
        std::copy_n(file.data() + at, n, dest);
        at += n;
        return n;
    });
    std::vector<std::u16string> lines;
    while (!line_reader_at_end(reader)) {
        std::u16string line;
        for (unsigned char b : line_reader_next(reader)) line += b;
        lines.push_back(std::move(line));
    }
    return lines;
}

// As the loader does: six lines, a missing one read as empty. Further lines
// are offered too, to see that they are ignored.
ProgramState load(const std::vector<std::u16string>& lines) {
    ProgramState state;
    for (std::size_t i = 0; i < std::max(lines.size(), kSettingsLineCount); ++i)
        apply_settings_line(state, i, i < lines.size() ? lines[i] : std::u16string());
    return state;
}

std::string save(const ProgramState& state) {
    std::string file;
    for (const std::u16string& value : settings_to_lines(state)) {
        for (char16_t c : value) file += static_cast<char>(c);
        file += "\r\n";
    }
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const auto lines = read_lines(file);
    const ProgramState state = load(lines);

    const SettingsLines defaults = {kDefaultVlcPath, kDefaultFfmpegPath, kDefaultLinkDir,
                                    kDefaultCacheKb,  kAddressHint,       kDefaultRtmpdumpPath};
    const SettingsLines values = settings_to_lines(state);
    for (std::size_t i = 0; i < kSettingsLineCount; ++i) {
        const bool given = i < lines.size() && !lines[i].empty();
        FUZZ_CHECK(values[i] == (given ? lines[i] : defaults[i]),
                   "line " + std::to_string(i + 1) + " became " + fuzz::show(values[i]));
    }
    // The values the program starts with, untouched by the settings lines.
    const ProgramState fresh;
    FUZZ_CHECK(state.links == fresh.links && state.link_index == fresh.link_index &&
                   state.work_dir == fresh.work_dir && state.test_command == fresh.test_command,
               "a value outside the six lines changed");

    const std::string saved = save(state);
    const ProgramState again = load(read_lines(saved));
    FUZZ_CHECK(settings_to_lines(again) == values, "saved values load back differently");
    FUZZ_CHECK(save(again) == saved, "saving the loaded file changes it");
    return 0;
}

// tool_words INPUT [K]: what the tools are started with when INPUT (ASCII,
// as the tables hold it) is pasted and tested, or, when it holds "\n"
// (backslash, n) between lines, loaded as a link file and its first entry
// tested: the program's own reading, rewriting and batch line, read as
// cmd.exe (with every variable defined) and the C runtime read it (the
// shared model). The tools are named "rtmpdump",
// "ffmpeg" and "vlc".
//   without K: the batch line, then the program of each command, in order
//   with K:    the arguments of command K (from 0)
// Each text with a NUL after it. Exit status 1 when no command would run
// as written: no marker matched, or cmd.exe would act on the line itself.
#include "link/stream_command.h"
#include "main/channel_list.h"
#include "tests/support/cmd_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void put(const std::u16string& text) {
    for (char16_t c : text) std::putchar(c < 0x80 ? static_cast<char>(c) : '?');
    std::putchar('\0');
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) return 2;
    ProgramState state;
    state.rtmpdump_path = u"rtmpdump";
    state.ffmpeg_path = u"ffmpeg";
    state.vlc_path = u"vlc";
    std::u16string input;
    for (const char* c = argv[1]; *c; ++c) {
        if (static_cast<unsigned char>(*c) >= 0x80) return 2;
        input += static_cast<char16_t>(*c);
    }
    state.stream_address = input;
    if (input.find(u"\\n") != std::u16string::npos) {
        LinkFileReading reading;
        std::vector<LinkEntry> entries;
        for (std::size_t at = 0, end; at <= input.size(); at = end + 2) {
            end = std::min(input.find(u"\\n", at), input.size());
            read_link_line(reading, std::u16string_view(input).substr(at, end - at), entries);
        }
        end_link_file(reading, entries);
        state.stream_address = entries.empty() ? u"" : entries.front().link;
    }
    // As a test does it (run_test), without the window.
    normalise_rtmp_address(state.stream_address);
    compose_test_command(state);
    if (state.test_command.empty()) return 1;
    const auto commands =
        cmd_model::commands(state.test_command, CommandShell::batch, cmd_model::Environment::hostile);
    if (!commands) {
        std::fprintf(stderr, "cmd.exe would act on the line: %s\n",
                     cmd_model::why_not_inert(state.test_command, CommandShell::batch).c_str());
        return 1;
    }
    if (argc == 2) {
        put(state.test_command);
        for (const std::u16string& command : *commands) put(cmd_model::crt_argv(command).program);
        return 0;
    }
    const std::size_t k = std::strtoul(argv[2], nullptr, 10);
    if (k >= commands->size()) return 2;
    for (const std::u16string& word : cmd_model::crt_argv((*commands)[k]).arguments) put(word);
}

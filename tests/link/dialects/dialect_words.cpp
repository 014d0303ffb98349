// dialect_words INPUT: the arguments rtmpdump is started with when INPUT
// (ASCII, as the dialect table holds it) is pasted and tested: the
// program's own rewriting and batch line, read as cmd.exe and the C runtime
// read it (the shared model). Each word with a NUL after it.
#include "link/normalise_link.h"
#include "link/stream_command.h"
#include "tests/support/cmd_model.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    ProgramState state;
    state.rtmpdump_path = u"rtmpdump";
    for (const char* c = argv[1]; *c; ++c) state.stream_address += static_cast<char16_t>(*c);
    if (!is_rtmp_family(state.stream_address)) return 1;
    state.stream_address = normalise_link(state.stream_address);
    compose_test_command(state);
    const auto commands = cmd_model::commands(state.test_command, CommandShell::batch, cmd_model::Environment::empty);
    if (!commands || commands->size() != 2) return 1;
    for (const std::u16string& word : cmd_model::crt_argv(commands->front()).arguments) {
        for (char16_t c : word) std::putchar(static_cast<char>(c));
        std::putchar('\0');
    }
}

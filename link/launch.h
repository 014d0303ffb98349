#pragma once
#include <string>

#include "base/program_state.h"
#include "link/stream_command.h"

// The five field texts a test takes, as the window shows them.
struct TestFields {
    std::u16string address;
    std::u16string ffmpeg_path;
    std::u16string vlc_path;
    std::u16string rtmpdump_path;
    std::u16string cache_kb;
};

// What the window shows of a test: the address field takes the rewritten
// address, the clipboard button is enabled once the batch file is written.
struct TestOutcome {
    bool address_rewritten = false;
    bool batch_written = false;
};

// Takes the field texts into `state`, normalises rtmp-family addresses,
// writes state.temp_dir + "stream.bat" and starts it. Without a temporary
// directory or a writable batch file it stops before writing or starting.
TestOutcome run_test(ProgramState& state, const TestFields& fields);
// The code page cmd.exe reads "stream.bat" in, with the short form of a path
// it cannot carry (see compose_test_command).
BatchCharset batch_charset();
// Writes the four lines of "stream.bat" (a space, the command, a space,
// "pause") in that code page. False when the file cannot be created or the
// command does not fit the code page; nothing may be started then.
bool write_batch_file(const std::u16string& path, const std::u16string& test_command);
// The user's temporary directory in its long form, ending in a backslash;
// empty when the system cannot name one.
std::u16string temp_directory();
// Starts a file or opens a web address; returns at once, failures ignored.
void start_program(const std::u16string& target);

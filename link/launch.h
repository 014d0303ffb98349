#pragma once
#include <windows.h>

#include <string>

#include "base/program_state.h"

// Takes the field texts of `window` into `state`, normalises rtmp-family
// addresses (the address field shows the result), writes
// state.temp_dir + "stream.bat" and starts it; enables the clipboard button
// once the batch file is written. Without a temporary directory or a
// writable batch file it stops before writing, enabling or starting.
void run_test(ProgramState& state, HWND window);
// The user's temporary directory in its long form, ending in a backslash;
// empty when the system cannot name one.
std::u16string temp_directory();
// Starts a file or opens a web address; returns at once, failures ignored.
void start_program(const std::u16string& target);

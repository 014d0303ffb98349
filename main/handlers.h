#pragma once
// Start-up pieces, the event loop with its dispatch table, the small
// handlers and the exit sequence.
#include <windows.h>

#include <string>

#include "base/program_state.h"

enum class Tool { vlc, ffmpeg, rtmpdump };

// The shell's default action and the file dialog may use COM extensions;
// they want the thread initialised as a single-threaded apartment. That is
// done before the first handler that may reach them, not at start: loading
// COM would hold up the window. The exit sequence ends the apartment.
void need_com_apartment();

// The working directory, ending in a backslash (empty if unreadable).
std::u16string current_directory();

void browse_tool_path(ProgramState& state, HWND window, Tool tool);
// What browse_tool_path does with the requester's result (empty = cancel).
void take_tool_path(ProgramState& state, HWND window, Tool tool, const std::u16string& chosen);
// Takes the five field texts into a test (see the link room's run_test);
// the address field shows the rewritten address and the clipboard button
// is enabled once the batch file is written.
void run_test(ProgramState& state, HWND window);
void test_button(ProgramState& state, HWND window);
void copy_last_test(ProgramState& state, HWND window);
void stop_tools();
void clear_address(HWND window);
void open_web_page(const std::u16string& address);

// Runs the handler of `control`; controls without one are ignored.
void dispatch_control(ProgramState& state, HWND window, int control);
// Runs the handlers of the control events recorded so far, in order; stops
// early when the window was asked to close. False once it has been.
bool run_pending_events(ProgramState& state, HWND window);
// Waits for events until the window is closed (or the queue ends).
void run_event_loop(ProgramState& state, HWND window, HACCEL accelerators);

// Removes the batch file, saves the settings, stops the tools. The caller
// then ends the process with exit code 0.
void exit_sequence(const ProgramState& state);

#pragma once
// Composition of the test command from the program state (portable part of
// the test; reading the window and writing the batch file are in run_test).
#include <string>
#include <string_view>

#include "main/program_state.h"

enum class Pipeline { rtmpdump, ffmpeg, direct, web, none };

// Contains "rtmp://", "rtmpt://" or "rtmpe://" (exact case, anywhere).
bool is_rtmp_family(std::u16string_view address);
// The first group whose marker occurs in the address.
Pipeline choose_pipeline(std::u16string_view address);
// Sets ffmpeg_args, cache_option, rtmpdump_args and test_command from
// stream_address, the tool paths and cache_kb (stream_address already
// normalised). test_command is the protected batch line; it is empty when
// no marker matches.
void compose_test_command(ProgramState& state);
// The last test as an ffmpeg-to-VLC console command line (clipboard text).
std::u16string clipboard_line(const ProgramState& state);

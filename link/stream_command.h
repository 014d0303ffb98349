#pragma once
// Composition of the test command from the program state (portable part of
// the test; reading the window and writing the batch file are in run_test).
#include <functional>
#include <string>
#include <string_view>

#include "base/program_state.h"

enum class Pipeline { rtmpdump, ffmpeg, direct, web, none };

// Fixed player options. The first and third both end with
// --no-qt-error-dialogs, and the window title is deliberately unquoted, so
// the player sees "--video-title=Kanalbox" and "Player" as two words.
inline constexpr std::u16string_view kPlayerOptions1 =
    u" --no-qt-system-tray --qt-start-minimized --no-qt-video-autoresize"
    u" --no-qt-updates-notif --no-qt-error-dialogs";
inline constexpr std::u16string_view kPlayerOptions2 =
    u" --mouse-hide-timeout=500 --no-embedded-video --no-video-title-show"
    u" --width=300 --height=200";
inline constexpr std::u16string_view kPlayerOptions3 =
    u" --video-x=20 --video-y=20 --video-title=Kanalbox Player --play-and-exit"
    u" --video-on-top --no-qt-error-dialogs";

// Contains "rtmp://", "rtmpt://" or "rtmpe://" (any letter case) in front
// of its header list (link/header_list.h): a header value is no address.
bool is_rtmp_family(std::u16string_view address);
// The scheme that begins the address (behind blanks and double quotes) in
// lower case, as the tools know their protocols; everything else as typed.
std::u16string lower_leading_scheme(std::u16string_view address);
// An rtmp-family address rewritten into rtmpdump's long options
// (normalise_link, then its leading scheme in lower case); false, and the
// address untouched, for any other.
bool normalise_rtmp_address(std::u16string& address);
// The first group whose marker occurs in the address in front of its header
// list; the whole text of an rtmp address, which has no header list
// (rtmpdump's options follow it instead). An address for the player with a
// header it cannot send goes to ffmpeg; a text that is only a header list
// runs nothing.
Pipeline choose_pipeline(std::u16string_view address);
// What the batch file's code page can carry. Left empty, it carries all of
// Unicode and the line keeps every character as typed.
struct BatchCharset {
    // True when a character (a code point outside ASCII) reads back as itself.
    std::function<bool(char32_t)> holds;
    // The short form of an existing file's path, or the empty text.
    std::function<std::u16string(const std::u16string&)> short_path;
};
// Sets ffmpeg_args, cache_option, rtmpdump_args (plain texts) and
// test_command (the protected batch line) from stream_address, the tool
// paths and cache_kb; stream_address must already be normalised. The tools
// get the address without its header list, its leading scheme in lower
// case, and the headers as their own options.
// test_command is empty when no marker matches, so an unknown address never
// replays the previous stream. A tool path the charset cannot carry is
// written in its short form; whatever still does not fit, in a path or an
// address, is percent-encoded (fit_batch_line).
void compose_test_command(ProgramState& state, const BatchCharset& charset = {});
// The last test as an ffmpeg-to-VLC console command line (clipboard text).
std::u16string clipboard_line(const ProgramState& state);

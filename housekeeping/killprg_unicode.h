#pragma once
#include <array>
#include <string>

// Terminates every process whose executable file name equals `name`
// (whole name, exact case). Failures are skipped silently.
void killprg(const std::u16string& name);

// Exit code handed to the processes killprg terminates. Nothing in the
// program reads it; it is fixed so that it can be told from a normal exit.
inline constexpr unsigned kKilledExitCode = 1;

// The two orders in which the callers stop the tools.
inline const std::array<std::u16string, 5> kToolsTestOrder = {
    u"vlc.exe", u"flv.exe", u"rtmpdump.exe", u"cmd.exe", u"ffmpeg.exe"};
inline const std::array<std::u16string, 5> kToolsStopOrder = {
    u"rtmpdump.exe", u"flv.exe", u"vlc.exe", u"cmd.exe", u"ffmpeg.exe"};

// killprg for each name, in the given order, from one look at the running
// processes.
void killprg_series(const std::array<std::u16string, 5>& names);

#pragma once
// The one window of the program and its 25 controls.
#include <windows.h>

#include "main/program_state.h"

inline constexpr wchar_t kMainWindowClass[] = L"WellenblickMain";
inline constexpr char16_t kMakerHost[] = u"www.kanalbox.example";
inline constexpr char16_t kHomepageAddress[] = u"http://www.kanalbox.example/";
inline constexpr char16_t kDownloadAddress[] = u"http://www.kanalbox.example/download/rtmpdump-ffmpeg.zip";
inline constexpr char16_t kTitleTail[] =
    u" - Wellenblick V1.4      -      rtmp / rtmpe / rtmpt / rtsp / mms / mmsh / http / m3u8 ";

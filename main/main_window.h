#pragma once
// The one window of the program and its 25 controls.
#include <windows.h>

#include <string>

#include "base/program_state.h"

inline constexpr wchar_t kMainWindowClass[] = L"WellenblickMain";
inline constexpr char16_t kMakerHost[] = u"www.kanalbox.example";
inline constexpr char16_t kHomepageAddress[] = u"http://www.kanalbox.example/";
inline constexpr char16_t kDownloadAddress[] = u"http://www.kanalbox.example/download/rtmpdump-ffmpeg.zip";
inline constexpr char16_t kTitleTail[] =
    u" - Wellenblick V1.4      -      rtmp / rtmpe / rtmpt / rtsp / mms / mmsh / http / m3u8 ";

inline constexpr int kClientWidth = 800;
inline constexpr int kClientHeight = 550;
inline constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Background of AddressField (red 255, green 255, blue 185).
inline constexpr COLORREF kAddressBackground = 0xB9FFFF;

// Command ids of the Tab and Shift+Tab accelerators, outside 0..24.
inline constexpr WORD kTabCommand = 1000;
inline constexpr WORD kShiftTabCommand = 1001;

// Registers the class, creates the window and its controls filled from
// `state`, makes it topmost. `show` is a ShowWindow command (tests pass
// SW_HIDE). Null when the window itself cannot be created.
HWND build_main_window(HINSTANCE instance, const ProgramState& state, int show);

// The control with number `control`; null when there is none.
HWND main_window_control(HWND window, int control);

// Gives `control` the tooltip `text`, replacing any tooltip it had.
void set_control_tooltip(HWND window, int control, const std::u16string& text);
// Passes a mouse message meant for one of the window's controls on to the
// tooltip pop-up, which shows and hides the tips from them.
void relay_to_tooltip(HWND window, const MSG& msg);
// The shared tooltip pop-up of the window, or null.
HWND main_window_tooltip(HWND window);

// Moves the keyboard focus to the next (or previous) enabled, visible tab
// stop in creation order, wrapping.
void move_focus(HWND window, bool backwards);

// The window procedure only records control events and the close request;
// the event loop takes them from here and runs the handlers itself, so a
// handler never runs nested inside another one's message processing.
bool take_control_event(HWND window, int& control);
bool close_requested(HWND window);

// The Tab / Shift+Tab accelerators; null on failure (the loop then runs
// without them).
HACCEL create_main_accelerators();

#include "main/handlers.h"

#include "housekeeping/crash_dump.h"
#include "housekeeping/killprg_unicode.h"
#include "housekeeping/tray.h"
#include "link/launch.h"
#include "link/stream_command.h"
#include "main/control_access.h"
#include "main/controls.h"
#include "main/file_requester.h"
#include "main/link_list.h"
#include "main/main_window.h"
#include "settings/settings.h"
#include "base/win32.h"

#include <objbase.h>

namespace {

bool com_apartment = false;

struct ToolBrowse {
    const char16_t* title;
    const char16_t* default_file;
    const char16_t* pattern;
    std::u16string ProgramState::*value;
    int field;
};

ToolBrowse browse_set(Tool tool) {
    switch (tool) {
    case Tool::ffmpeg:
        return {u"Bitte ffmpeg.exe ausw\u00e4hlen", kDefaultFfmpegPath,
                u"FFMPEG (exe Dateien (*.exe)|*.exe", &ProgramState::ffmpeg_path,
                FfmpegPathField};
    case Tool::rtmpdump:
        return {u"Bitte rtmpdump.exe ausw\u00e4hlen", kDefaultRtmpdumpPath,
                u"RTMPDUMP (exe Dateien (*.exe)|*.exe", &ProgramState::rtmpdump_path,
                RtmpdumpPathField};
    case Tool::vlc:
    default:
        return {u"Bitte vlc.exe ausw\u00e4hlen", kDefaultVlcPath,
                u"VLC (exe Dateien (*.exe)|*.exe", &ProgramState::vlc_path, VlcPathField};
    }
}

}  // namespace

void need_com_apartment() {
    if (!com_apartment)
        com_apartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

std::u16string current_directory() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, buffer.data());
    if (length == 0 || length >= needed) return {};
    std::u16string dir = u16(buffer.data(), length);
    if (dir.back() != u'\\') dir.push_back(u'\\');
    return dir;
}

void browse_tool_path(ProgramState& state, HWND window, Tool tool) {
    const ToolBrowse set = browse_set(tool);
    take_tool_path(state, window, tool,
                   open_file_requester(window, set.title, set.default_file, set.pattern));
}

void take_tool_path(ProgramState& state, HWND window, Tool tool, const std::u16string& chosen) {
    const ToolBrowse set = browse_set(tool);
    state.*set.value = chosen;
    set_control_text(window, set.field, chosen.empty() ? std::u16string(set.default_file) : chosen);
}

void run_test(ProgramState& state, HWND window) {
    const TestFields fields{get_control_text(window, AddressField),
                            get_control_text(window, FfmpegPathField),
                            get_control_text(window, VlcPathField),
                            get_control_text(window, RtmpdumpPathField),
                            get_control_text(window, CacheField)};
    const TestOutcome outcome = run_test(state, fields);
    // Setting the same text again would only cost a repaint of the field.
    if (outcome.address_rewritten && state.stream_address != fields.address)
        set_control_text(window, AddressField, state.stream_address);
    if (outcome.batch_written) enable_control(window, ClipboardButton, true);
}

void test_button(ProgramState& state, HWND window) {
    need_com_apartment();
    killprg_series(kToolsTestOrder);
    tray_refresh();
    remove_player_crash_dump();
    run_test(state, window);
}

void copy_last_test(ProgramState& state, HWND window) {
    put_clipboard_text(window, clipboard_line(state));
}

void stop_tools() {
    killprg_series(kToolsStopOrder);
    tray_refresh();
}

void clear_address(HWND window) { set_control_text(window, AddressField, u""); }

void open_web_page(const std::u16string& address) {
    need_com_apartment();
    start_program(address);
}

void dispatch_control(ProgramState& state, HWND window, int control) {
    switch (control) {
    case VlcBrowseButton: browse_tool_path(state, window, Tool::vlc); break;
    case FfmpegBrowseButton: browse_tool_path(state, window, Tool::ffmpeg); break;
    case RtmpdumpBrowseButton: browse_tool_path(state, window, Tool::rtmpdump); break;
    case TestButton: test_button(state, window); break;
    case LoadLinksButton: load_link_file(state, window); break;
    case NextLinkButton: next_link(state, window); break;
    case PreviousLinkButton: previous_link(state, window); break;
    case LinkList: select_link(state, window); break;
    case ClipboardButton: copy_last_test(state, window); break;
    case VlcOffButton: stop_tools(); break;
    case AddressField: break;
    case ClearAddressButton: clear_address(window); break;
    case HomepageButton: open_web_page(kHomepageAddress); break;
    case DownloadButton: open_web_page(kDownloadAddress); break;
    default: break;
    }
}

bool run_pending_events(ProgramState& state, HWND window) {
    int control = 0;
    while (!close_requested(window) && take_control_event(window, control))
        dispatch_control(state, window, control);
    return !close_requested(window);
}

void run_event_loop(ProgramState& state, HWND window, HACCEL accelerators) {
    MSG msg{};
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) return;  // WM_QUIT or a broken queue: leave
        relay_to_tooltip(window, msg);
        if (!accelerators || !TranslateAcceleratorW(window, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!run_pending_events(state, window)) return;
    }
}

void exit_sequence(const ProgramState& state) {
    // Without a temporary directory the name alone would point into the
    // working directory, at a file that is not ours.
    const std::u16string temp = temp_directory();
    if (!temp.empty()) DeleteFileW(wz(temp + u"stream.bat"));
    save_settings(state);
    killprg_series(kToolsStopOrder);
    tray_refresh();
    // The process ends next; the apartment, if any was opened, ends first.
    if (com_apartment) CoUninitialize();
    com_apartment = false;
}

#include "main/file_requester.h"
#include "main/handlers.h"

#include <commdlg.h>

#include <cstring>

#include "main/window_logic.h"
#include "base/win32.h"

namespace {

constexpr std::size_t kPathUnits = 260;

void set_topmost(HWND window, bool topmost) {
    if (window)
        SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Closes the clipboard on every way out.
struct ClipboardSession {
    bool open;
    explicit ClipboardSession(HWND window) : open(OpenClipboard(window) != 0) {}
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession() {
        if (open) CloseClipboard();
    }
};

}  // namespace

std::u16string open_file_requester(HWND window, const std::u16string& title,
                                   const std::u16string& default_file,
                                   const std::u16string& pattern) {
    const RequesterStart start = requester_start(default_file, kPathUnits);
    const std::u16string filter = requester_filter(pattern);

    wchar_t file[kPathUnits] = {};
    std::memcpy(file, start.file_name.data(), start.file_name.size() * sizeof(wchar_t));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window && GetForegroundWindow() == window ? window : nullptr;
    ofn.lpstrFilter = wz(filter);
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = static_cast<DWORD>(kPathUnits);
    ofn.lpstrInitialDir = start.folder.empty() ? nullptr : wz(start.folder);
    ofn.lpstrTitle = wz(title);
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;

    // A topmost window would cover the dialog of an unowned requester.
    set_topmost(window, false);
    need_com_apartment();
    const bool chosen = GetOpenFileNameW(&ofn) != 0;
    set_topmost(window, true);

    if (!chosen) return {};
    file[kPathUnits - 1] = L'\0';
    return u16(file);
}

bool put_clipboard_text(HWND window, const std::u16string& text) {
    ClipboardSession clipboard(window);
    if (!clipboard.open) return false;
    if (!EmptyClipboard()) return false;

    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory);
    // On success the clipboard owns the memory; otherwise it is still ours.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

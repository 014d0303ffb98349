#include "tests/main/blackbox/app_driver.h"

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>


#include "main/controls.h"

namespace {

// A handler that does process sweeps or writes files still answers within
// this; only a hung program takes longer.
constexpr UINT kSendBoundMs = 60000;

std::u16string class_of(HWND window) {
    wchar_t name[256] = {};
    const int n = GetClassNameW(window, name, 256);
    return n > 0 ? u16(name, static_cast<std::size_t>(n)) : std::u16string();
}

DWORD owner_pid(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct WindowQuery {
    DWORD pid;
    std::u16string class_name;
    const std::u16string* title;  // null: any title
    bool visible_only;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_window(HWND window, LPARAM param) {
    auto& q = *reinterpret_cast<WindowQuery*>(param);
    if (owner_pid(window) != q.pid) return TRUE;
    if (q.visible_only && !IsWindowVisible(window)) return TRUE;
    if (class_of(window) != q.class_name) return TRUE;
    if (q.title && text_of(window) != *q.title) return TRUE;
    q.found.push_back(window);
    return TRUE;
}

std::vector<HWND> process_windows(DWORD pid, const std::u16string& class_name,
                                  const std::u16string* title, bool visible_only) {
    WindowQuery q{pid, class_name, title, visible_only, {}};
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

LRESULT send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool* delivered = nullptr) {
    DWORD_PTR result = 0;
    const LRESULT ok = SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL,
                                           kSendBoundMs, &result);
    if (delivered) *delivered = ok != 0;
    return ok ? static_cast<LRESULT>(result) : 0;
}

}  // namespace

bool app_running(const App& app) {
    return app.process && WaitForSingleObject(app.process.get(), 0) == WAIT_TIMEOUT;
}

bool start_app(App& app, const std::u16string& program, const std::u16string& work_dir) {
    std::u16string command = u"\"" + program + u"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(wz(program), reinterpret_cast<wchar_t*>(command.data()), nullptr, nullptr, FALSE,
                        0, nullptr, wz(work_dir), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    app.process.reset(info.hProcess);
    app.pid = info.dwProcessId;

    // Started means: the window is visible, complete (a user never sees it
    // half-built), and its event loop answers. Input idle alone says
    // little: Wine reports it whenever the program's thread waits on its
    // queue, also for the reply to a message sent during start-up, and when
    // the process has ended.
    bool complete_when_seen = false;
    wait_until([&] {
        const auto windows = process_windows(app.pid, u"WellenblickMain", nullptr, true);
        if (!windows.empty()) {
            app.window = windows.front();
            complete_when_seen = GetDlgItem(app.window, DownloadButton) != nullptr;
        }
        return app.window != nullptr || !app_running(app);
    });
    return app.window && complete_when_seen && settle(app);
}

std::string describe_app(const App& app) {
    std::string out = "pid " + std::to_string(app.pid);
    if (!app.process) return out + ": not started (CreateProcess failed)";
    DWORD code = 0;
    if (app_running(app)) out += ", still running";
    else if (GetExitCodeProcess(app.process.get(), &code)) out += ", ended with exit code " + std::to_string(code);
    out += "; main window " + std::string(app.window ? "found" : "not found");
    if (app.window)
        out += std::string(", ") + (IsWindowVisible(app.window) ? "visible" : "hidden") + ", last control " +
               (GetDlgItem(app.window, DownloadButton) ? "present" : "missing");
    out += "; its top-level windows:";
    struct Query { DWORD pid; std::string* out; int count; } q{app.pid, &out, 0};
    EnumWindows(
        [](HWND w, LPARAM param) -> BOOL {
            auto& q = *reinterpret_cast<Query*>(param);
            if (owner_pid(w) != q.pid) return TRUE;
            int children = 0;
            for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
            *q.out += " [" + utf8(class_of(w)) + " \"" + utf8(text_of(w)) + "\" " +
                      (IsWindowVisible(w) ? "visible" : "hidden") + ", " + std::to_string(children) + " children]";
            ++q.count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&q));
    if (q.count == 0) out += " none";
    return out;
}

DWORD close_app(App& app) {
    if (!app.process) return STILL_ACTIVE;
    PostMessageW(app.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(app.process.get(), 30000) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(app.process.get(), &code);
    return code;
}

void stop_app(App& app) {
    if (!app_running(app)) return;
    // The consoles of its batch files would otherwise wait at "pause".
    const auto children = descendants(app.pid);
    TerminateProcess(app.process.get(), 1);
    WaitForSingleObject(app.process.get(), 10000);
    for (DWORD pid : children) {
        UniqueHandle child(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        if (!child) continue;
        TerminateProcess(child.get(), 1);
        WaitForSingleObject(child.get(), 5000);
    }
}

HWND control(const App& app, int id) { return GetDlgItem(app.window, id); }

std::u16string text_of(HWND window) {
    bool delivered = false;
    const LRESULT length = send(window, WM_GETTEXTLENGTH, 0, 0, &delivered);
    if (!delivered || length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return u16(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void set_text(HWND window, const std::u16string& text) {
    send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wz(text)));
}

bool click(const App& app, HWND button) {
    bool delivered = false;
    send(button, BM_CLICK, 0, 0, &delivered);
    return delivered && settle(app);
}

void post_click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool settle(const App& app) {
    // The marker: the cache field's "modified" flag, which the program never
    // reads. Cleared by a sent message, which is taken at once, and set by a
    // posted one, which is taken only behind everything posted before it.
    HWND marker = control(app, CacheField);
    bool delivered = false;
    send(marker, EM_SETMODIFY, FALSE, 0, &delivered);
    if (!delivered || !PostMessageW(marker, EM_SETMODIFY, TRUE, 0)) return false;
    return wait_until([&] { return send(marker, EM_GETMODIFY, 0, 0) != 0; });
}

HWND wait_for_dialog(const App& app, const std::u16string& title) {
    HWND dialog = nullptr;
    wait_until([&] {
        const auto found = process_windows(app.pid, u"#32770", &title, true);
        if (!found.empty()) dialog = found.front();
        return dialog != nullptr;
    });
    return dialog;
}

HWND file_name_box(HWND dialog) {
    // Explorer-style dialogs name the file in combo box cmb13, older ones in
    // edit control edt1.
    for (int id : {0x47C, 0x480}) {
        HWND box = GetDlgItem(dialog, id);
        if (box && IsWindowVisible(box)) return box;
    }
    return nullptr;
}

std::vector<std::u16string> file_type_entries(HWND dialog) {
    std::vector<std::u16string> entries;
    HWND types = GetDlgItem(dialog, 0x470);  // cmb1
    if (!types) return entries;
    const int count = static_cast<int>(send(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = send(types, CB_GETLBTEXTLEN, i, 0);
        if (length == CB_ERR) continue;
        std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT copied = send(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        entries.push_back(u16(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0));
    }
    return entries;
}

bool press_dialog_button(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    return wait_until([&] { return !IsWindow(dialog); });
}

int list_count(HWND list) { return static_cast<int>(send(list, LB_GETCOUNT, 0, 0)); }

std::u16string list_item(HWND list, int index) {
    const LRESULT length = send(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return u"<no item>";
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = send(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    return u16(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

int list_selection(HWND list) { return static_cast<int>(send(list, LB_GETCURSEL, 0, 0)); }

bool click_list_item(HWND list, int index) {
    RECT item{};
    if (send(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) return false;
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    return PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at) && PostMessageW(list, WM_LBUTTONUP, 0, at);
}

std::vector<HWND> process_windows(DWORD pid, const wchar_t* class_name, bool visible_only) {
    return process_windows(pid, u16(class_name), nullptr, visible_only);
}

bool bring_to_front(const App& app) {
    return wait_until(
        [&] {
            if (GetForegroundWindow() == app.window) return true;
            SetForegroundWindow(app.window);
            return false;
        },
        5000);
}

void press_key(WORD key, bool shift) {
    INPUT keys[4] = {};
    UINT n = 0;
    auto add = [&](WORD vk, bool up) {
        keys[n].type = INPUT_KEYBOARD;
        keys[n].ki.wVk = vk;
        keys[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++n;
    };
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    SendInput(n, keys, sizeof(INPUT));
}

HWND focused(const App& app) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(app.window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::u16string appdata_folder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    std::u16string path = u16(folder);
    if (!path.empty() && path.back() != u'\\') path.push_back(u'\\');
    return path;
}

namespace {
const wchar_t* const kDpiKeys[] = {L"Control Panel\\Desktop", L"Software\\Wine\\Fonts"};
}

DisplayScale::DisplayScale(DWORD dpi) {
    for (std::size_t i = 0; i < std::size(kDpiKeys); ++i) {
        DWORD value = 0, size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, kDpiKeys[i], L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value, &size) ==
            ERROR_SUCCESS)
            before_[i] = value;
        RegSetKeyValueW(HKEY_CURRENT_USER, kDpiKeys[i], L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
}

DisplayScale::~DisplayScale() {
    for (std::size_t i = 0; i < std::size(kDpiKeys); ++i) {
        if (before_[i])
            RegSetKeyValueW(HKEY_CURRENT_USER, kDpiKeys[i], L"LogPixels", REG_DWORD, &*before_[i], sizeof(DWORD));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDpiKeys[i], L"LogPixels");
    }
}

void point_at(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    // Wine moves the display's pointer only when its own record of the
    // position changes, and a program that reports a pointer event late (one
    // that was being closed, say) can leave that record where the pointer
    // was before. A step beside the target makes the step onto it a change.
    SetCursorPos(x + 1, y);
    SetCursorPos(x, y);
}

void mouse_click(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    // The position travels with the click, so a second click made before
    // the first was taken still lands where it was meant to.
    INPUT events[3] = {};
    for (INPUT& e : events) {
        e.type = INPUT_MOUSE;
        e.mi.dx = MulDiv((r.left + r.right) / 2, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
        e.mi.dy = MulDiv((r.top + r.bottom) / 2, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
        e.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    events[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    events[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, events, sizeof(INPUT));
}

namespace {

// Memory inside another process, released again on every way out.
struct RemoteBlock {
    HANDLE process;
    void* at;
    RemoteBlock(HANDLE p, std::size_t size)
        : process(p), at(VirtualAllocEx(p, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    ~RemoteBlock() {
        if (at) VirtualFreeEx(process, at, 0, MEM_RELEASE);
    }
};

}  // namespace

std::vector<ToolTip> tooltips(const App& app) {
    constexpr std::size_t kTextUnits = 512;
    std::vector<ToolTip> found;
    for (HWND tip : process_windows(app.pid, u16(TOOLTIPS_CLASSW), nullptr, false)) {
        RemoteBlock block(app.process.get(), sizeof(TOOLINFOW) + kTextUnits * sizeof(wchar_t));
        if (!block.at) continue;
        auto* remote_info = static_cast<char*>(block.at);
        auto* remote_text = reinterpret_cast<wchar_t*>(remote_info + sizeof(TOOLINFOW));
        const int count = static_cast<int>(send(tip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TOOLINFOW info{};
            info.cbSize = sizeof info;
            info.lpszText = remote_text;
            wchar_t text[kTextUnits] = {};
            if (!WriteProcessMemory(app.process.get(), remote_info, &info, sizeof info, nullptr) ||
                !WriteProcessMemory(app.process.get(), remote_text, text, sizeof text, nullptr) ||
                !send(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote_info)) ||
                !ReadProcessMemory(app.process.get(), remote_info, &info, sizeof info, nullptr) ||
                !ReadProcessMemory(app.process.get(), remote_text, text, sizeof text, nullptr))
                continue;
            text[kTextUnits - 1] = L'\0';
            HWND owner = (info.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info.uId) : nullptr;
            const bool ours = owner && GetParent(owner) == app.window;
            found.push_back({ours ? GetDlgCtrlID(owner) : -1,
                             info.lpszText == remote_text ? u16(text) : u"<no text>"});
        }
    }
    return found;
}

#include "main/main_window.h"

#include <commctrl.h>

#include <array>
#include <deque>
#include <iterator>
#include <memory>
#include <type_traits>
#include <utility>

#include "main/controls.h"
#include "main/window_logic.h"
#include "base/win32.h"

namespace {

// A GDI object (brush, font) or an icon of the window's own, freed once:
// when it is replaced or when the window goes.
struct DeleteGdiObject {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using GdiObject = std::unique_ptr<void, DeleteGdiObject>;
using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, DestroyIconHandle>;

// What the window procedure keeps between messages.
struct WindowData {
    GdiObject address_brush{CreateSolidBrush(kAddressBackground)};
    // The font made for a DPI other than the system's; empty while the
    // stock font, made for the system's, serves.
    GdiObject made_font;
    // Set when the window moved to a monitor of another scale; until then
    // the class's icons, loaded for the system's DPI, serve.
    OwnedIcon big_icon, small_icon;
    HWND tooltip = nullptr;
    HWND saved_focus = nullptr;
    // The controls by number, as created. Looking one up by number asks the
    // window system each time (a server request under Wine), and the paint
    // path and every click ask for several.
    std::array<HWND, kControlCount> controls{};
    std::deque<int> control_events;
    bool close_requested = false;
};

WindowData* window_data(HWND window) {
    if (!window) return nullptr;
    return reinterpret_cast<WindowData*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

enum class Kind { label, field, button, frame, list };

struct ControlRow {
    int id;
    Kind kind;
    int x, y, width, height;
    const char16_t* caption;                  // fixed caption, or null
    std::u16string ProgramState::*value;      // field content, or null
};

constexpr std::array<ControlRow, kControlCount> kControls = {{
    {VlcPathLabel, Kind::label, 20, 23, 150, 18, u"Pfad zur vlc.exe :", nullptr},
    {VlcPathField, Kind::field, 150, 20, 530, 20, nullptr, &ProgramState::vlc_path},
    {VlcBrowseButton, Kind::button, 700, 20, 80, 20, u"suchen", nullptr},
    {FfmpegPathLabel, Kind::label, 20, 53, 150, 18, u"Pfad zur ffmpeg.exe :", nullptr},
    {FfmpegPathField, Kind::field, 150, 50, 530, 20, nullptr, &ProgramState::ffmpeg_path},
    {FfmpegBrowseButton, Kind::button, 700, 50, 80, 20, u"suchen", nullptr},
    {RtmpdumpPathLabel, Kind::label, 20, 83, 150, 18, u"Pfad zur rtmpdump.exe :", nullptr},
    {RtmpdumpPathField, Kind::field, 150, 80, 530, 20, nullptr, &ProgramState::rtmpdump_path},
    {RtmpdumpBrowseButton, Kind::button, 700, 80, 80, 20, u"suchen", nullptr},
    {ToolsFrame, Kind::frame, 10, 10, 780, 100, nullptr, nullptr},
    {StreamFrame, Kind::frame, 10, 115, 780, 385, nullptr, nullptr},
    {AddressLabel, Kind::label, 20, 130, 200, 18, u"Live Stream Adresse :", nullptr},
    {AddressField, Kind::field, 20, 150, 730, 20, nullptr, &ProgramState::stream_address},
    {ClearAddressButton, Kind::button, 760, 150, 20, 20, u"X", nullptr},
    {TestButton, Kind::button, 20, 175, 505, 30, u"testen", nullptr},
    {ClipboardButton, Kind::button, 530, 175, 250, 30, u"Zwischenablage", nullptr},
    {LoadLinksButton, Kind::button, 20, 215, 250, 25, u"Datei mit Links zeilenweise einlesen", nullptr},
    {NextLinkButton, Kind::button, 275, 215, 250, 25, u"nach unten", nullptr},
    {PreviousLinkButton, Kind::button, 530, 215, 250, 25, u"nach oben", nullptr},
    {LinkList, Kind::list, 20, 250, 760, 240, nullptr, nullptr},
    {CacheLabel, Kind::label, 510, 130, 90, 18, u"VLC Cache / kB :", nullptr},
    {CacheField, Kind::field, 610, 125, 70, 20, nullptr, &ProgramState::cache_kb},
    {VlcOffButton, Kind::button, 700, 125, 80, 20, u"VLC aus", nullptr},
    {HomepageButton, Kind::button, 10, 505, 80, 40, u"Kanalbox", nullptr},
    {DownloadButton, Kind::button, 110, 505, 80, 40, u"dump dnld", nullptr},
}};

// Tab stops in creation order.
constexpr std::array<int, 18> kTabOrder = {
    VlcPathField, VlcBrowseButton, FfmpegPathField, FfmpegBrowseButton,
    RtmpdumpPathField, RtmpdumpBrowseButton, AddressField, ClearAddressButton,
    TestButton, ClipboardButton, LoadLinksButton, NextLinkButton,
    PreviousLinkButton, LinkList, CacheField, VlcOffButton,
    HomepageButton, DownloadButton};

const wchar_t* class_of(Kind kind) {
    switch (kind) {
    case Kind::label:
    case Kind::frame: return L"Static";
    case Kind::field: return L"Edit";
    case Kind::button: return L"Button";
    case Kind::list: return L"ListBox";
    }
    return L"Static";
}

DWORD style_of(Kind kind) {
    const DWORD common = WS_CHILD | WS_VISIBLE;
    switch (kind) {
    case Kind::label: return common | SS_LEFT | WS_GROUP;
    case Kind::field: return common | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP;
    case Kind::button: return common | BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP;
    case Kind::frame: return common | WS_GROUP;
    case Kind::list:
        return common | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
               WS_HSCROLL | WS_TABSTOP | WS_GROUP;
    }
    return common;
}

DWORD ex_style_of(Kind kind) {
    return kind == Kind::field || kind == Kind::frame || kind == Kind::list ? WS_EX_CLIENTEDGE
                                                                            : 0;
}

// The DPI functions of Windows 10 (1607 and later), looked up so that the
// program still starts on older versions, where every window has the
// system's DPI. user32 is loaded already: the look-up asks no one.
template <typename Function>
Function user32_function(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                  : nullptr;
}

// Fixed for the life of the process.
UINT system_dpi() {
    static const UINT dpi = [] {
        if (const auto for_system = user32_function<UINT(WINAPI*)()>("GetDpiForSystem"))
            return for_system();
        HDC screen = GetDC(nullptr);
        const int found = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        return found > 0 ? static_cast<UINT>(found) : UINT{USER_DEFAULT_SCREEN_DPI};
    }();
    return dpi;
}

UINT window_dpi(HWND window) {
    static const auto for_window = user32_function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const UINT dpi = for_window ? for_window(window) : 0;
    return dpi ? dpi : system_dpi();
}

// The layout is given in units of 96 DPI.
int scaled(int value, UINT dpi) {
    return MulDiv(value, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

int metric_for_dpi(int metric, UINT dpi) {
    static const auto for_dpi = user32_function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    return for_dpi ? for_dpi(metric, dpi) : GetSystemMetrics(metric);
}

// The stock GUI font is made for the system's DPI. A window at another DPI
// (on a monitor of another scale) gets the same face at its own; none when
// the stock font serves, or when no font could be made (it serves then).
GdiObject font_for_dpi(UINT dpi) {
    if (dpi == system_dpi()) return {};
    LOGFONTW face{};
    if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face)) return {};
    face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(dpi), static_cast<int>(system_dpi()));
    return GdiObject(CreateFontIndirectW(&face));
}

HFONT font_in_use(const WindowData& data) {
    return static_cast<HFONT>(data.made_font ? data.made_font.get() : GetStockObject(DEFAULT_GUI_FONT));
}

// The window moved to a monitor of another scale: the controls take their
// places and the font for the new DPI, the window its icons. What they
// replace is freed on return, when nothing uses it any more.
void rescale(HWND window, WindowData& data, UINT dpi) {
    const GdiObject previous_font = std::exchange(data.made_font, font_for_dpi(dpi));
    const auto font = reinterpret_cast<WPARAM>(font_in_use(data));
    for (const ControlRow& row : kControls) {
        HWND control = data.controls[static_cast<std::size_t>(row.id)];
        if (!control) continue;
        SetWindowPos(control, nullptr, scaled(row.x, dpi), scaled(row.y, dpi), scaled(row.width, dpi),
                     scaled(row.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, font, TRUE);
    }
    if (data.tooltip) SendMessageW(data.tooltip, WM_SETFONT, font, FALSE);

    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    const auto icon = [&](int metric) {
        const int size = metric_for_dpi(metric, dpi);
        return OwnedIcon(static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    };
    // An icon that cannot be loaded leaves the class's in its place.
    const OwnedIcon previous_big = std::exchange(data.big_icon, icon(SM_CXICON));
    const OwnedIcon previous_small = std::exchange(data.small_icon, icon(SM_CXSMICON));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(data.big_icon.get()));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(data.small_icon.get()));
}

// Only the events a list reports count for LinkList: a selection change
// (also sent on every left-button release over it) and a double click. Its
// focus notifications are not list events; taking them would overwrite the
// address field whenever the list is tabbed through.
bool counts_as_control_event(int control, WORD code) {
    if (control == LinkList)
        return code == LBN_SELCHANGE || code == LBN_DBLCLK || code == LBN_SELCANCEL;
    return true;
}

bool is_frame(const WindowData& data, HWND child) {
    return child && (child == data.controls[ToolsFrame] || child == data.controls[StreamFrame]);
}

// A message sent from another thread (a click or close sent by another
// program) is handled inside GetMessageW, which then keeps waiting; an empty
// posted message lets the loop see what was recorded.
void wake_event_loop(HWND window) { PostMessageW(window, WM_NULL, 0, 0); }

// Remembers the focused control when the window loses activation and gives
// the focus back on reactivation; true when it did.
bool restore_focus_on_activate(HWND window, WindowData& data, WPARAM wparam) {
    if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        data.saved_focus = focus && IsChild(window, focus) ? focus : nullptr;
        return false;
    }
    if (HIWORD(wparam) || !data.saved_focus || !IsWindow(data.saved_focus) ||
        !IsChild(window, data.saved_focus))
        return false;  // minimised, or nothing to restore
    SetFocus(data.saved_focus);
    return true;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* data = new (std::nothrow) WindowData;
        if (!data) return FALSE;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
        return DefWindowProcW(window, message, wparam, lparam);
    }
    WindowData* data = window_data(window);
    if (!data) return DefWindowProcW(window, message, wparam, lparam);

    switch (message) {
    case WM_DESTROY:
        if (data->tooltip) DestroyWindow(data->tooltip);
        data->tooltip = nullptr;
        return DefWindowProcW(window, message, wparam, lparam);
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete data;
        return DefWindowProcW(window, message, wparam, lparam);
    case WM_CLOSE:
        // The exit sequence runs first; the window ends with the process.
        data->close_requested = true;
        wake_event_loop(window);
        return 0;
    case WM_COMMAND:
        if (lparam == 0 && HIWORD(wparam) == 1) {
            if (LOWORD(wparam) == kTabCommand) move_focus(window, false);
            if (LOWORD(wparam) == kShiftTabCommand) move_focus(window, true);
            return 0;
        }
        if (lparam != 0) {
            const int control = LOWORD(wparam);
            if (control >= 0 && control < kControlCount &&
                counts_as_control_event(control, HIWORD(wparam))) {
                data->control_events.push_back(control);
                if (data->control_events.size() == 1) wake_event_loop(window);
            }
        }
        return 0;
    case WM_DPICHANGED: {
        // The suggested rectangle keeps the window where the user put it.
        const RECT& at = *reinterpret_cast<const RECT*>(lparam);
        SetWindowPos(window, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        rescale(window, *data, HIWORD(wparam));
        return 0;
    }
    case WM_ACTIVATE:
        if (restore_focus_on_activate(window, *data, wparam)) return 0;
        return DefWindowProcW(window, message, wparam, lparam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lparam) == data->controls[AddressField] && data->controls[AddressField] &&
            data->address_brush.get()) {
            SetBkColor(reinterpret_cast<HDC>(wparam), kAddressBackground);
            return reinterpret_cast<LRESULT>(data->address_brush.get());
        }
        // Frames leave their interior unpainted, so the controls inside
        // them (which lie below them in the z-order) stay visible.
        if (message == WM_CTLCOLORSTATIC && is_frame(*data, reinterpret_cast<HWND>(lparam))) {
            SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        return DefWindowProcW(window, message, wparam, lparam);
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

// Buttons and labels have no frame, yet each is sent a frame-paint message
// when it is first shown, and the default answer takes a device context of
// its own for each control (under Wine a new one per control, with three
// queries of the display set-up): about a quarter of painting the window.
// Their procedures skip that message. The original procedures by control
// number: the number is read from the control itself, without a request.
std::array<WNDPROC, kControlCount> frameless_originals{};

LRESULT CALLBACK frameless_control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCPAINT) return 0;
    const auto id = static_cast<std::size_t>(GetWindowLongPtrW(control, GWLP_ID));
    return CallWindowProcW(frameless_originals[id], control, message, wparam, lparam);
}

void skip_frame_painting(HWND control, int id) {
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
    if (!previous) return;
    frameless_originals[static_cast<std::size_t>(id)] = previous;
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&frameless_control_proc));
}

bool register_main_class(HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, kMainWindowClass, &existing)) return true;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = instance;
    // At the system's DPI; the system takes the small icon of that DPI from
    // the same resource.
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&wc) != 0;
}

WindowPlacement main_window_placement(UINT dpi) {
    static const auto adjust_for_dpi =
        user32_function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    const RECT client{0, 0, scaled(kClientWidth, dpi), scaled(kClientHeight, dpi)};
    RECT outer = client;
    const bool adjusted = adjust_for_dpi ? adjust_for_dpi(&outer, kMainWindowStyle, FALSE, 0, dpi)
                                         : AdjustWindowRectEx(&outer, kMainWindowStyle, FALSE, 0);
    if (!adjusted) outer = client;
    return centred_on_screen(outer.right - outer.left, outer.bottom - outer.top,
                             GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

// The pop-up has no owner: Wine lines a window that is made topmost up
// behind the pop-ups it owns, which leaves it not topmost. The window
// destroys it itself.
HWND create_tooltip(HINSTANCE instance) {
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

void create_control(HWND window, HINSTANCE instance, const ControlRow& row,
                    const ProgramState& state, HFONT font, UINT dpi) {
    std::u16string text;
    if (row.caption) text = row.caption;
    if (row.value) text = state.*row.value;
    HWND control = CreateWindowExW(
        ex_style_of(row.kind), class_of(row.kind), wz(text), style_of(row.kind), scaled(row.x, dpi),
        scaled(row.y, dpi), scaled(row.width, dpi), scaled(row.height, dpi), window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
    if (!control) return;
    if (WindowData* data = window_data(window)) data->controls[static_cast<std::size_t>(row.id)] = control;
    if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (row.kind == Kind::button || row.kind == Kind::label) skip_frame_painting(control, row.id);

    switch (row.id) {
    case ClearAddressButton:
        set_control_tooltip(window, row.id, u"Eingabefeld leeren");
        break;
    case ClipboardButton:
        EnableWindow(control, FALSE);
        set_control_tooltip(window, row.id, u"letzter Test wird in die Zwischenablage kopiert");
        break;
    case VlcOffButton:
        set_control_tooltip(window, row.id, u"Prozesse von VLC, CMD und FFmpeg werden beendet");
        break;
    case HomepageButton:
        set_control_tooltip(window, row.id, u"Kanalbox Homepage \u00f6ffnen");
        break;
    case DownloadButton:
        set_control_tooltip(window, row.id, u"rtmpdump und ffmpeg download");
        break;
    default:
        break;
    }
}

}  // namespace

HWND build_main_window(HINSTANCE instance, const ProgramState& state, int show) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (!register_main_class(instance)) return nullptr;

    UINT dpi = system_dpi();
    WindowPlacement at = main_window_placement(dpi);
    const std::u16string title = std::u16string(kMakerHost) + kTitleTail;
    HWND window = CreateWindowExW(0, kMainWindowClass, wz(title), kMainWindowStyle, at.x, at.y,
                                  at.width, at.height, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    WindowData* data = window_data(window);  // made on WM_NCCREATE, or there would be no window

    // A window placed on a monitor of another scale than the system's has
    // that monitor's DPI; it is still hidden, so it is simply sized again.
    if (const UINT own = window_dpi(window); own != dpi) {
        dpi = own;
        at = main_window_placement(dpi);
        SetWindowPos(window, nullptr, at.x, at.y, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    data->made_font = font_for_dpi(dpi);
    const HFONT font = font_in_use(*data);
    data->tooltip = create_tooltip(instance);
    if (data->tooltip) SendMessageW(data->tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (const ControlRow& row : kControls) create_control(window, instance, row, state, font, dpi);

    // Shown only once complete: showing activates the window, and the
    // activation may wait on another program's message queue, which counts
    // as idle input for anyone watching the start (and would show the user
    // a half-built window).
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(window, show);
    UpdateWindow(window);
    return window;
}

HWND main_window_control(HWND window, int control) {
    if (control < 0 || control >= kControlCount) return nullptr;
    if (WindowData* data = window_data(window)) {
        if (HWND item = data->controls[static_cast<std::size_t>(control)]) return item;
    }
    return GetDlgItem(window, control);
}

void set_control_tooltip(HWND window, int control, const std::u16string& text) {
    HWND tip = main_window_tooltip(window);
    HWND item = main_window_control(window, control);
    if (!tip || !item) return;
    // The version-5 size: accepted by every common-controls version, also
    // by test programs that carry no manifest.
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    // Not subclassed: comctl32's subclassing looks up a window property on
    // every message the control gets, painting included. The event loop
    // relays the mouse messages instead (relay_to_tooltip).
    info.uFlags = TTF_IDISHWND;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(item);
    SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    std::u16string copy = text;  // the message takes a non-const pointer
    info.lpszText = reinterpret_cast<LPWSTR>(copy.data());
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void relay_to_tooltip(HWND window, const MSG& msg) {
    const bool mouse = (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
    if (!mouse || !msg.hwnd || GetParent(msg.hwnd) != window) return;
    if (HWND tip = main_window_tooltip(window))
        SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

HWND main_window_tooltip(HWND window) {
    WindowData* data = window_data(window);
    return data ? data->tooltip : nullptr;
}

void move_focus(HWND window, bool backwards) {
    std::array<bool, kTabOrder.size()> eligible{};
    int current = -1;
    HWND focus = GetFocus();
    for (std::size_t i = 0; i < kTabOrder.size(); ++i) {
        HWND item = main_window_control(window, kTabOrder[i]);
        if (!item) continue;
        const LONG style = GetWindowLongW(item, GWL_STYLE);
        // The control's own visibility flag: a hidden main window (tests)
        // does not make its controls unreachable.
        eligible[i] = IsWindowEnabled(item) && (style & WS_VISIBLE) && (style & WS_TABSTOP);
        if (focus && (focus == item || IsChild(item, focus))) current = static_cast<int>(i);
    }
    const int next = next_tab_position(eligible, current, backwards);
    if (next >= 0) SetFocus(main_window_control(window, kTabOrder[static_cast<std::size_t>(next)]));
}

bool take_control_event(HWND window, int& control) {
    WindowData* data = window_data(window);
    if (!data || data->control_events.empty()) return false;
    control = data->control_events.front();
    data->control_events.pop_front();
    return true;
}

bool close_requested(HWND window) {
    WindowData* data = window_data(window);
    return data && data->close_requested;
}

HACCEL create_main_accelerators() {
    std::array<ACCEL, 2> keys = {{
        {FVIRTKEY, VK_TAB, kTabCommand},
        {FVIRTKEY | FSHIFT, VK_TAB, kShiftTabCommand},
    }};
    return CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

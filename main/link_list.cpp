#include "main/link_list.h"

#include <algorithm>
#include <vector>

#include "main/channel_list.h"
#include "main/control_access.h"
#include "main/controls.h"
#include "main/file_requester.h"
#include "main/link_text.h"
#include "main/main_window.h"
#include "textfile/text_file.h"
#include "base/win32.h"

namespace {

LRESULT send_to_list(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    HWND list = main_window_control(window, LinkList);
    return list ? SendMessageW(list, message, wparam, lparam) : LB_ERR;
}

// Suspends drawing of the list while it is filled and repaints it once.
struct RedrawPause {
    HWND list;
    explicit RedrawPause(HWND l) : list(l) {
        if (list) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;
    ~RedrawPause() {
        if (!list) return;
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
};

// Makes `index` the current line in both the list and the address field.
void show_line(ProgramState& state, HWND window, std::int32_t index) {
    set_control_text(window, AddressField, state.links[static_cast<std::size_t>(index)]);
    send_to_list(window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    state.link_index = index;
}

}  // namespace

void load_link_file(ProgramState& state, HWND window) {
    const std::u16string path =
        open_file_requester(window, u"Bitte Datei ausw\u00e4hlen", state.link_dir,
                            u"Dateien (*.*)|*.txt;*.m3u;*.m3u8;*.xml;*.bat");
    if (path.empty()) return;
    load_links_from(state, window, path);
}

void load_links_from(ProgramState& state, HWND window, const std::u16string& path) {
    HWND list = main_window_control(window, LinkList);
    {
        RedrawPause pause(list);
        send_to_list(window, LB_RESETCONTENT, 0, 0);
        state.links.clear();
        state.links_are_channels = false;

        if (text_file_open(path)) {
            // Reserving storage in doubling steps keeps a long file's load
            // linear; the list would otherwise grow its arrays in small steps.
            std::size_t reserved = 0;
            LinkFileReading reading;
            std::vector<LinkEntry> entries;
            const auto add = [&] {
                for (LinkEntry& entry : entries) {
                    state.links.push_back(std::move(entry.link));
                    if (!list) continue;
                    if (state.links.size() > reserved) {
                        const std::size_t more = reserved < 1024 ? 1024 : reserved;
                        SendMessageW(list, LB_INITSTORAGE, more, 0);
                        reserved += more;
                    }
                    const std::u16string& item = entry.item.empty() ? state.links.back() : entry.item;
                    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wz(item)));
                }
                entries.clear();
            };
            while (!text_file_at_end()) {
                read_link_line(reading, text_file_read_line(), entries);
                add();
            }
            text_file_close();
            end_link_file(reading, entries);
            add();
            state.links_are_channels = is_channel_list(reading);
        }
    }
    set_control_text(window, AddressField, state.links.empty() ? u"" : state.links.front());
    state.link_index = 0;
    state.link_dir = folder_part(path);
    if (!state.links.empty()) send_to_list(window, LB_SETCURSEL, 0, 0);
}

void next_link(ProgramState& state, HWND window) {
    const auto count = static_cast<std::int64_t>(state.links.size());
    if (static_cast<std::int64_t>(state.link_index) + 1 < count)
        show_line(state, window, state.link_index + 1);
}

void previous_link(ProgramState& state, HWND window) {
    // An index beyond the lines (a list shorter than the index) is clamped
    // so that the step back lands on an existing line.
    if (state.link_index <= 0 || state.links.empty()) return;
    const auto count = static_cast<std::int64_t>(state.links.size());
    const std::int64_t target = std::min<std::int64_t>(state.link_index - 1, count - 1);
    show_line(state, window, static_cast<std::int32_t>(target));
}

void select_link(ProgramState& state, HWND window) {
    const LRESULT selected = send_to_list(window, LB_GETCURSEL, 0, 0);
    state.link_index = selected == LB_ERR ? -1 : static_cast<std::int32_t>(selected);
    // A channel's item shows its name; its entry holds the address.
    if (state.links_are_channels) {
        const bool known = selected != LB_ERR && static_cast<std::size_t>(selected) < state.links.size();
        set_control_text(window, AddressField, known ? state.links[static_cast<std::size_t>(selected)] : u"");
        return;
    }
    std::u16string text;
    if (selected != LB_ERR) {
        const LRESULT length = send_to_list(window, LB_GETTEXTLEN, selected, 0);
        if (length != LB_ERR && length > 0) {
            std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
            const LRESULT copied = send_to_list(window, LB_GETTEXT, selected,
                                                reinterpret_cast<LPARAM>(buffer.data()));
            if (copied != LB_ERR && copied > 0)
                text = u16(buffer.data(), static_cast<std::size_t>(copied));
        }
    }
    set_control_text(window, AddressField, picked_link_text(text));
}

#include "main/window_logic.h"

#include <algorithm>

WindowPlacement centred_on_screen(int outer_width, int outer_height, int screen_width,
                                  int screen_height) {
    WindowPlacement p;
    p.width = std::min(outer_width, screen_width);
    p.height = std::min(outer_height, screen_height);
    p.x = (screen_width - p.width) / 2;
    p.y = (screen_height - p.height) / 2;
    return p;
}

bool is_valid_file_name(std::u16string_view name) {
    if (name.empty()) return false;
    for (char16_t c : name) {
        if (c < 0x20) return false;
        if (std::u16string_view(u"\"*/:<>?\\|").find(c) != std::u16string_view::npos)
            return false;
    }
    return true;
}

RequesterStart requester_start(std::u16string_view default_file, std::size_t buffer_units) {
    RequesterStart start;
    std::u16string_view name = default_file;
    const auto last = default_file.rfind(u'\\');
    if (last != std::u16string_view::npos) {
        start.folder = std::u16string(default_file.substr(0, last));
        if (start.folder.size() == 2 && start.folder[1] == u':') start.folder.push_back(u'\\');
        name = default_file.substr(last + 1);
    }
    if (is_valid_file_name(name) && name.size() < buffer_units)
        start.file_name = std::u16string(name);
    return start;
}

std::u16string requester_filter(std::u16string_view pattern) {
    std::u16string filter(pattern);
    std::replace(filter.begin(), filter.end(), u'|', u'\0');
    filter.push_back(u'\0');
    filter.push_back(u'\0');
    return filter;
}

int next_tab_position(std::span<const bool> eligible, int current, bool backwards) {
    const int count = static_cast<int>(eligible.size());
    if (count == 0) return -1;
    if (current < 0 || current >= count) current = backwards ? count : -1;
    for (int step = 1; step <= count; ++step) {
        int i = backwards ? current - step : current + step;
        i = ((i % count) + count) % count;
        if (eligible[static_cast<std::size_t>(i)]) return i;
    }
    return -1;
}

#include "main/link_text.h"

#include <algorithm>

#include "textfile/text_ops.h"

std::u16string text_between(std::u16string_view text, std::u16string_view open,
                            std::u16string_view close) {
    const auto at = text.find(open);
    if (at == std::u16string_view::npos) return {};
    const auto start = at + open.size();
    // find() with a start beyond the end simply reports npos.
    const auto end = text.find(close, start);
    if (end == std::u16string_view::npos || end <= start) return {};
    std::u16string part(text.substr(start, end - start));
    part = trim_spaces(part);
    part = trim_char(part, u'"');
    part = trim_char(part, u'\'');
    return trim_spaces(part);
}

std::u16string clean_link_line(std::u16string_view line) {
    // In place: a long list is read at a copy per line.
    std::u16string out = remove_char(line, u'\t');
    out.erase(0, std::min(out.find_first_not_of(u' '), out.size()));
    out.erase(out.find_last_not_of(u' ') + 1);
    return out;
}

std::u16string folder_part(std::u16string_view path) {
    const auto last = path.find_last_of(u"\\/");
    if (last == std::u16string_view::npos) return {};
    return std::u16string(path.substr(0, last + 1));
}

std::u16string picked_link_text(std::u16string_view line) {
    if (text_contains(line, u">") && text_contains(line, u"<"))
        return text_between(line, u">", u"<");
    return std::u16string(line);
}

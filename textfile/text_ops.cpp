#include "textfile/text_ops.h"

#include <algorithm>

std::size_t text_find(std::u16string_view text, std::u16string_view what) {
    const auto at = text.find(what);
    return at == std::u16string_view::npos ? 0 : at + 1;
}

bool text_contains(std::u16string_view text, std::u16string_view what) {
    return text.find(what) != std::u16string_view::npos;
}

std::u16string trim_char(std::u16string_view text, char16_t c) {
    const auto first = text.find_first_not_of(c);
    if (first == std::u16string_view::npos) return {};
    const auto last = text.find_last_not_of(c);
    return std::u16string(text.substr(first, last - first + 1));
}

std::u16string trim_spaces(std::u16string_view text) { return trim_char(text, u' '); }

std::u16string remove_char(std::u16string_view text, char16_t c) {
    std::u16string out(text);
    out.erase(std::remove(out.begin(), out.end(), c), out.end());
    return out;
}

char16_t ascii_lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool equal_any_case(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return ascii_lower(x) == ascii_lower(y); });
}

bool starts_with_any_case(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && equal_any_case(text.substr(0, prefix.size()), prefix);
}

std::size_t find_any_case(std::u16string_view text, std::u16string_view what, std::size_t from) {
    for (std::size_t at = from; at <= text.size() && text.size() - at >= what.size(); ++at)
        if (equal_any_case(text.substr(at, what.size()), what)) return at;
    return std::u16string_view::npos;
}

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
    if (what.empty()) return from <= text.size() ? from : std::u16string_view::npos;
    const char16_t first = ascii_lower(what.front());
    for (std::size_t at = from; at <= text.size() && text.size() - at >= what.size(); ++at)
        if (ascii_lower(text[at]) == first && equal_any_case(text.substr(at, what.size()), what)) return at;
    return std::u16string_view::npos;
}

namespace {

// The surrogate-pair rule, read (code_point_at) and written here.
bool is_high_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool is_surrogate(char32_t c) { return is_high_surrogate(c) || is_low_surrogate(c); }

void append_code_point(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
        return;
    }
    out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
}

}  // namespace

CodePoint code_point_at(std::u16string_view text, std::size_t at) {
    const char16_t c = text[at];
    if (is_high_surrogate(c) && at + 1 < text.size() && is_low_surrogate(text[at + 1]))
        return {0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[at + 1]) - 0xDC00), 2};
    return {c, 1};
}

std::string utf8_encode(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const CodePoint cp = code_point_at(text, i);
        i += cp.units;
        const char32_t code = is_surrogate(cp.value) ? 0xFFFD : cp.value;
        if (code < 0x80) {
            out += static_cast<char>(code);
            continue;
        }
        const int tail = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
        out += static_cast<char>(kLead[tail] | (code >> (6 * tail)));
        for (int k = tail - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F));
    }
    return out;
}

std::u16string utf8_decode(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        // How many continuation bytes the lead byte announces; -1: none can.
        const int tail = lead < 0x80                ? 0
                         : (lead & 0xE0) == 0xC0    ? 1
                         : (lead & 0xF0) == 0xE0    ? 2
                         : (lead & 0xF8) == 0xF0    ? 3
                                                    : -1;
        char32_t code = tail == 0 ? lead : tail == 1 ? lead & 0x1F : tail == 2 ? lead & 0x0F : lead & 0x07;
        bool ok = tail >= 0 && i + tail < bytes.size();
        for (int k = 1; ok && k <= tail; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        ok = ok && code >= kLeast[tail] && code <= 0x10FFFF && !is_surrogate(code);
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        append_code_point(out, code);
        i += static_cast<std::size_t>(tail) + 1;
    }
    return out;
}

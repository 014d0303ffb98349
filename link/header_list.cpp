#include "link/header_list.h"

#include <algorithm>

#include "textfile/text_ops.h"

namespace {

bool is_name_char(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
}

int hex_value(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    c = ascii_lower(c);
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// Percent-decoded bytes as UTF-8; a sequence that is not UTF-8 gives one
// U+FFFD per byte that cannot start or continue a character.
void append_utf8_bytes(std::u16string& out, const std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const int tail = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        char32_t code = tail == 0 ? lead : tail == 1 ? lead & 0x1F : tail == 2 ? lead & 0x0F : lead & 0x07;
        bool ok = tail >= 0 && i + tail < bytes.size();
        for (int k = 1; ok && k <= tail; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are no characters.
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        ok = ok && code >= kLeast[tail] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += static_cast<std::size_t>(tail) + 1;
    }
}

std::u16string percent_decode(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool escape = text[i] == u'%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
                            hex_value(text[i + 2]) >= 0;
        if (escape) {
            bytes += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
            continue;
        }
        append_utf8_bytes(out, bytes);
        bytes.clear();
        out += text[i];
    }
    append_utf8_bytes(out, bytes);
    return out;
}

// The pairs of a header list, or nothing when `list` is not one.
std::optional<std::vector<RequestHeader>> parse_pairs(std::u16string_view list) {
    std::vector<RequestHeader> headers;
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = std::min(list.find(u'&', at), list.size());
        const std::u16string_view pair = list.substr(at, end - at);
        const std::size_t equals = pair.find(u'=');
        if (equals == 0 || equals == std::u16string_view::npos) return std::nullopt;
        const std::u16string_view name = pair.substr(0, equals);
        const std::u16string_view value = pair.substr(equals + 1);
        if (!std::all_of(name.begin(), name.end(), is_name_char) || value.find(u'|') != std::u16string_view::npos)
            return std::nullopt;
        headers.push_back({std::u16string(name), percent_decode(value)});
        if (end == list.size()) return headers;
        at = end + 1;
    }
}

}  // namespace

HeaderSplit split_header_list(std::u16string_view text) {
    for (std::size_t bar = text.find(u'|'); bar != std::u16string_view::npos; bar = text.find(u'|', bar + 1)) {
        if (auto headers = parse_pairs(text.substr(bar + 1))) return {text.substr(0, bar), std::move(*headers)};
    }
    return {text, {}};
}

bool is_user_agent(std::u16string_view name) { return equal_any_case(name, u"User-Agent"); }

bool is_referer(std::u16string_view name) {
    return equal_any_case(name, u"Referer") || equal_any_case(name, u"Referrer");
}

ToolHeaders tool_headers(const std::vector<RequestHeader>& headers) {
    ToolHeaders out;
    for (const RequestHeader& h : headers) {
        if (is_user_agent(h.name)) {
            if (!out.user_agent) out.user_agent = h.value;
        } else if (is_referer(h.name)) {
            if (!out.referer) out.referer = h.value;
        } else if (std::none_of(out.others.begin(), out.others.end(),
                                [&](const RequestHeader& o) { return equal_any_case(o.name, h.name); })) {
            out.others.push_back(h);
        }
    }
    return out;
}

std::u16string encode_header_value(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size());
    for (char16_t c : value) {
        if (c == u'%') out += u"%25";
        else if (c == u'&') out += u"%26";
        else if (c == u'|') out += u"%7C";
        else out += c;
    }
    return out;
}

#include "link/header_list.h"

#include <algorithm>
#include <unordered_set>

#include "textfile/text_ops.h"

namespace {

constexpr auto npos = std::u16string_view::npos;

bool is_name_char(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
}

// Where the '=' of a Name=Value piece stands; npos when the piece is none.
std::size_t pair_equals(std::u16string_view piece) {
    const std::size_t equals = piece.find(u'=');
    if (equals == 0 || equals == npos) return npos;
    return std::all_of(piece.begin(), piece.begin() + equals, is_name_char) ? equals : npos;
}

// True when one of the '&'-joined pieces of `segment` is a pair.
bool holds_pair(std::u16string_view segment) {
    for (std::size_t at = 0;;) {
        const std::size_t end = std::min(segment.find(u'&', at), segment.size());
        if (pair_equals(segment.substr(at, end - at)) != npos) return true;
        if (end == segment.size()) return false;
        at = end + 1;
    }
}

int hex_value(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    c = ascii_lower(c);
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

std::u16string percent_decode(std::u16string_view text) {
    std::size_t i = text.find(u'%');
    std::u16string out(text.substr(0, i));
    if (i == npos) return out;
    std::string bytes;
    for (; i < text.size(); ++i) {
        const bool escape = text[i] == u'%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
                            hex_value(text[i + 2]) >= 0;
        if (escape) {
            bytes += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
            continue;
        }
        if (!bytes.empty()) {
            out += utf8_decode(bytes);
            bytes.clear();
        }
        out += text[i];
    }
    out += utf8_decode(bytes);
    return out;
}

}  // namespace

HeaderSplit split_header_list(std::u16string_view text) {
    // Each segment between two bars is looked at once: linear in the text.
    for (std::size_t bar = text.find(u'|'); bar != npos;) {
        const std::size_t next = text.find(u'|', bar + 1);
        const std::size_t end = next == npos ? text.size() : next;
        if (holds_pair(text.substr(bar + 1, end - bar - 1)))
            return {text.substr(0, bar), header_pairs(text.substr(bar + 1))};
        bar = next;
    }
    return {text, {}};
}

std::vector<RequestHeader> header_pairs(std::u16string_view list) {
    std::vector<RequestHeader> headers;
    for (std::size_t at = 0; at <= list.size();) {
        const std::size_t end = std::min(list.find_first_of(u"&|", at), list.size());
        const std::u16string_view piece = list.substr(at, end - at);
        const std::size_t equals = pair_equals(piece);
        if (equals != npos)
            headers.push_back({std::u16string(piece.substr(0, equals)), percent_decode(piece.substr(equals + 1))});
        at = end + 1;
    }
    return headers;
}

std::u16string header_key(std::u16string_view name) {
    std::u16string key(name);
    std::transform(key.begin(), key.end(), key.begin(), ascii_lower);
    return key == u"referrer" ? u"referer" : key;
}

ToolHeaders tool_headers(const std::vector<RequestHeader>& headers) {
    ToolHeaders out;
    std::unordered_set<std::u16string> seen;
    for (const RequestHeader& h : headers) {
        std::u16string key = header_key(h.name);
        if (!seen.insert(key).second) continue;
        if (key == u"user-agent") out.user_agent = h.value;
        else if (key == u"referer") out.referer = h.value;
        else out.others.push_back(h);
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

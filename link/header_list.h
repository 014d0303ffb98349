#pragma once
// Request headers written behind an address, as media-centre lists do:
// "https://host/live.m3u8|User-Agent=Mozilla/5.0&Referer=https://site/".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RequestHeader {
    std::u16string name;   // as written
    std::u16string value;  // percent-decoded
    bool operator==(const RequestHeader&) const = default;
};

struct HeaderSplit {
    std::u16string_view address;         // the text in front of the list (all of it without one)
    std::vector<RequestHeader> headers;  // in written order; empty without a list
};

// The header list of an address, as media centres read it: it begins at the
// first '|' behind which the text, up to the next '|' or the end, holds a
// Name=Value pair (a name of ASCII letters, digits and '-'), and runs to the
// end of the text. An address without such a '|' keeps every '|' it has.
HeaderSplit split_header_list(std::u16string_view text);

// The pairs of a header list's text: pieces between '&' and '|', each a
// name, '=' and a value (percent-decoded as UTF-8, a '%' without two hex
// digits kept). Empty pieces, pieces without '=' and names that are no
// names are left out.
std::vector<RequestHeader> header_pairs(std::u16string_view list);

// What decides whether two headers are the same: the name in any letter
// case, "Referrer" read as "Referer".
std::u16string header_key(std::u16string_view name);

// The headers as the tools take them: the first User-Agent, the first
// Referer, and the first of every other name, in written order.
struct ToolHeaders {
    std::optional<std::u16string> user_agent;
    std::optional<std::u16string> referer;
    std::vector<RequestHeader> others;
};
ToolHeaders tool_headers(const std::vector<RequestHeader>& headers);

// A value as a header list writes it: '%', '&' and '|' percent-encoded, so
// that it reads back as itself.
std::u16string encode_header_value(std::u16string_view value);

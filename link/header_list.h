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

// The header list of an address: the first '|' behind which the text, up to
// its end, is one or more Name=Value pairs joined by '&' (a name of ASCII
// letters, digits and '-'; a value up to the next '&', holding no '|',
// percent-decoded, a '%' without two hex digits kept). Anything else behind
// a '|' stays part of the address.
HeaderSplit split_header_list(std::u16string_view text);

// The headers as the tools take them: the first User-Agent, the first
// Referer (also spelt Referrer), and the first of every other name, in
// written order. Names compare in any letter case.
struct ToolHeaders {
    std::optional<std::u16string> user_agent;
    std::optional<std::u16string> referer;
    std::vector<RequestHeader> others;
};
ToolHeaders tool_headers(const std::vector<RequestHeader>& headers);

// True for "User-Agent" and for "Referer"/"Referrer", in any letter case.
bool is_user_agent(std::u16string_view name);
bool is_referer(std::u16string_view name);

// A value as a header list writes it: '%', '&' and '|' percent-encoded, so
// that it reads back as itself.
std::u16string encode_header_value(std::u16string_view value);

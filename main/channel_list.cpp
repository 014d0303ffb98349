#include "main/channel_list.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <unordered_set>

#include "link/stream_command.h"
#include "main/link_text.h"
#include "textfile/text_ops.h"

namespace {

using Kind = LinkFileReading::Kind;

constexpr std::array<std::u16string_view, 4> kChannelListStarts = {u"#EXTM3U", u"#EXTINF:", u"#EXTVLCOPT:",
                                                                   u"#KODIPROP:"};

void forget_entry(LinkFileReading& r) {
    r.extinf = false;
    r.name.clear();
    r.user_agent.reset();
    r.referrer.reset();
    r.prop_headers.clear();
}

// An option line of the entry: the player's two header options, and the
// header lists of the other players' adaptive streams. Their licence lines
// are ignored: the program handles no DRM keys.
void read_option(LinkFileReading& r, std::u16string_view line) {
    constexpr std::u16string_view vlc_option = u"#EXTVLCOPT:", user_agent = u"http-user-agent=",
                                  referrer = u"http-referrer=", prop = u"#KODIPROP:";
    constexpr std::array<std::u16string_view, 2> header_props = {u"inputstream.adaptive.stream_headers=",
                                                                 u"inputstream.adaptive.manifest_headers="};
    if (starts_with_any_case(line, vlc_option)) {
        const std::u16string_view option = line.substr(vlc_option.size());
        if (starts_with_any_case(option, user_agent)) r.user_agent = std::u16string(option.substr(user_agent.size()));
        else if (starts_with_any_case(option, referrer)) r.referrer = std::u16string(option.substr(referrer.size()));
    } else if (starts_with_any_case(line, prop)) {
        const std::u16string_view property = line.substr(prop.size());
        for (std::u16string_view key : header_props) {
            if (!starts_with_any_case(property, key)) continue;
            std::vector<RequestHeader> pairs = header_pairs(property.substr(key.size()));
            std::move(pairs.begin(), pairs.end(), std::back_inserter(r.prop_headers));
        }
    }
}

void read_channel_line(LinkFileReading& r, const std::u16string& line, std::vector<LinkEntry>& entries) {
    if (line.empty()) return;
    if (starts_with_any_case(line, u"#EXTINF:")) {
        // One without an address makes no item, nor do its options.
        if (r.extinf) forget_entry(r);
        r.extinf = true;
        r.name = channel_name(line);
        return;
    }
    if (line.front() == u'#') {
        read_option(r, line);
        return;
    }
    // The address's own list first, then the player's options, then the
    // other players' header lists.
    std::vector<RequestHeader> headers;
    headers.reserve(2 + r.prop_headers.size());
    if (r.user_agent) headers.push_back({u"User-Agent", std::move(*r.user_agent)});
    if (r.referrer) headers.push_back({u"Referer", std::move(*r.referrer)});
    std::move(r.prop_headers.begin(), r.prop_headers.end(), std::back_inserter(headers));
    LinkEntry entry{with_headers(line, headers), {}};
    if (!r.name.empty()) entry.item = std::move(r.name);
    else if (entry.link != line) entry.item = line;
    entries.push_back(std::move(entry));
    forget_entry(r);
}

void end_unknown_kind(LinkFileReading& r, std::vector<LinkEntry>& entries) {
    for (std::u16string& blank : r.blank_lines) entries.push_back({std::move(blank), {}});
    r.blank_lines.clear();
}

}  // namespace

void read_link_line(LinkFileReading& r, std::u16string_view line, std::vector<LinkEntry>& entries) {
    std::u16string cleaned = clean_link_line(line);
    if (r.kind == Kind::unknown) {
        // The line reader hands a byte-order mark on as the first character.
        const bool first = r.blank_lines.empty();
        const std::u16string head = first && line.starts_with(u'\uFEFF') ? clean_link_line(line.substr(1)) : cleaned;
        if (head.empty()) {
            r.blank_lines.push_back(std::move(cleaned));
            return;
        }
        const bool channels = std::any_of(kChannelListStarts.begin(), kChannelListStarts.end(),
                                          [&](std::u16string_view start) { return starts_with_any_case(head, start); });
        if (channels) {
            r.kind = Kind::channels;
            r.blank_lines.clear();
            if (!starts_with_any_case(head, u"#EXTM3U")) read_channel_line(r, head, entries);
            return;
        }
        r.kind = Kind::plain;
        end_unknown_kind(r, entries);
    }
    if (r.kind == Kind::plain) entries.push_back({std::move(cleaned), {}});
    else read_channel_line(r, cleaned, entries);
}

void end_link_file(LinkFileReading& r, std::vector<LinkEntry>& entries) {
    if (r.kind == Kind::unknown) end_unknown_kind(r, entries);
}

bool is_channel_list(const LinkFileReading& r) { return r.kind == Kind::channels; }

std::u16string channel_name(std::u16string_view extinf_line) {
    bool quoted = false;
    for (std::size_t i = 0; i < extinf_line.size(); ++i) {
        if (extinf_line[i] == u'"') quoted = !quoted;
        else if (extinf_line[i] == u',' && !quoted) return trim_spaces(extinf_line.substr(i + 1));
    }
    return {};
}

std::u16string with_headers(const std::u16string& address, const std::vector<RequestHeader>& headers) {
    if (headers.empty()) return address;
    const HeaderSplit split = split_header_list(address);
    if (is_rtmp_family(split.address)) return address;
    std::unordered_set<std::u16string> names;
    for (const RequestHeader& h : split.headers) names.insert(header_key(h.name));
    std::u16string out = address;
    const char16_t first_separator = split.headers.empty() ? u'|' : u'&';
    for (const RequestHeader& h : headers) {
        if (!names.insert(header_key(h.name)).second) continue;
        out += out.size() == address.size() ? first_separator : u'&';
        out += h.name;
        out += u'=';
        out += encode_header_value(h.value);
    }
    return out;
}

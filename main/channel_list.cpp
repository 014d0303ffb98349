#include "main/channel_list.h"

#include <algorithm>

#include "link/header_list.h"
#include "link/stream_command.h"
#include "main/link_text.h"
#include "textfile/text_ops.h"

namespace {

using Kind = LinkFileReading::Kind;

void forget_entry(LinkFileReading& r) {
    r.extinf = false;
    r.name.clear();
    r.user_agent.reset();
    r.referrer.reset();
}

std::optional<LinkEntry> read_channel_line(LinkFileReading& r, const std::u16string& line);

}  // namespace

std::optional<LinkEntry> read_link_line(LinkFileReading& r, std::u16string_view line) {
    std::u16string cleaned = clean_link_line(line);
    if (r.kind == Kind::unknown) {
        // The line reader hands a byte-order mark on as the first character.
        const std::u16string_view head = line.starts_with(u'\uFEFF') ? line.substr(1) : line;
        if (starts_with_any_case(clean_link_line(head), u"#EXTM3U")) {
            r.kind = Kind::channels;
            return std::nullopt;
        }
        r.kind = Kind::plain;
    }
    if (r.kind == Kind::plain) return LinkEntry{std::move(cleaned), {}};
    return read_channel_line(r, cleaned);
}

bool is_channel_list(const LinkFileReading& r) { return r.kind == Kind::channels; }

namespace {

std::optional<LinkEntry> read_channel_line(LinkFileReading& r, const std::u16string& line) {
    if (line.empty()) return std::nullopt;
    if (starts_with_any_case(line, u"#EXTINF:")) {
        // One without an address makes no item, nor do its options.
        if (r.extinf) forget_entry(r);
        r.extinf = true;
        r.name = channel_name(line);
        return std::nullopt;
    }
    if (line.front() == u'#') {
        constexpr std::u16string_view vlc_option = u"#EXTVLCOPT:", user_agent = u"http-user-agent=",
                                      referrer = u"http-referrer=";
        if (!starts_with_any_case(line, vlc_option)) return std::nullopt;
        const std::u16string_view option = std::u16string_view(line).substr(vlc_option.size());
        if (starts_with_any_case(option, user_agent)) r.user_agent = std::u16string(option.substr(user_agent.size()));
        else if (starts_with_any_case(option, referrer)) r.referrer = std::u16string(option.substr(referrer.size()));
        return std::nullopt;
    }
    LinkEntry entry{with_headers(line, r.user_agent, r.referrer), {}};
    if (!r.name.empty()) entry.item = std::move(r.name);
    else if (entry.link != line) entry.item = line;
    forget_entry(r);
    return entry;
}

}  // namespace

std::u16string channel_name(std::u16string_view extinf_line) {
    bool quoted = false;
    for (std::size_t i = 0; i < extinf_line.size(); ++i) {
        if (extinf_line[i] == u'"') quoted = !quoted;
        else if (extinf_line[i] == u',' && !quoted) return trim_spaces(extinf_line.substr(i + 1));
    }
    return {};
}

std::u16string with_headers(const std::u16string& address, const std::optional<std::u16string>& user_agent,
                            const std::optional<std::u16string>& referrer) {
    if ((!user_agent && !referrer) || is_rtmp_family(address)) return address;
    const std::vector<RequestHeader> present = split_header_list(address).headers;
    const auto has = [&](bool (*is)(std::u16string_view)) {
        return std::any_of(present.begin(), present.end(), [&](const RequestHeader& h) { return is(h.name); });
    };
    std::u16string added;
    if (user_agent && !has(is_user_agent)) added += u"User-Agent=" + encode_header_value(*user_agent);
    if (referrer && !has(is_referer)) added += (added.empty() ? u"" : u"&") + (u"Referer=" + encode_header_value(*referrer));
    if (added.empty()) return address;
    return address + (present.empty() ? u'|' : u'&') + added;
}

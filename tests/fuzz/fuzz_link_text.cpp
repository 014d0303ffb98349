// The link list's text rules on arbitrary lines: clean_link_line,
// text_between (with arbitrary delimiters), picked_link_text, folder_part.
// Each result is a piece of its input, cut only where the rule allows, and
// all of the piece that the rule keeps. And a channel list's entry: the
// tools get its address as written and the headers its options ask for.
#include "link/header_list.h"
#include "link/stream_command.h"
#include "main/channel_list.h"
#include "main/link_text.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <vector>

namespace {

bool only(std::u16string_view s, std::u16string_view allowed) {
    return s.find_first_not_of(allowed) == std::u16string_view::npos;
}

// `part` is `whole` with only characters of `trimmed` cut from either end.
bool trimmed_from(std::u16string_view part, std::u16string_view whole, std::u16string_view trimmed) {
    if (part.empty()) return true;
    for (std::size_t at = 0; at + part.size() <= whole.size(); ++at) {
        if (!only(whole.substr(0, at), trimmed)) return false;
        if (whole.substr(at, part.size()) == part && only(whole.substr(at + part.size()), trimmed)) return true;
    }
    return false;
}

void check_between(std::u16string_view text, std::u16string_view open, std::u16string_view close) {
    const std::u16string got = text_between(text, open, close);
    const std::string where = "text: " + fuzz::show(text) + "\nopen: " + fuzz::show(open) +
                              "\nclose: " + fuzz::show(close) + "\ngot: " + fuzz::show(got);
    FUZZ_CHECK(got.empty() || (got.front() != u' ' && got.back() != u' '), where);
    const std::size_t at = text.find(open);
    if (at == std::u16string_view::npos) {
        FUZZ_CHECK(got.empty(), where);
        return;
    }
    const std::size_t start = at + open.size();
    const std::size_t end = text.find(close, start);
    const std::u16string_view inside =
        end == std::u16string_view::npos ? std::u16string_view() : text.substr(start, end - start);
    FUZZ_CHECK(trimmed_from(got, inside, u" \"'"), where);
    // Trimming cuts only at the ends: everything from the first to the last
    // character that is no space, quote or apostrophe stays.
    const std::size_t first = inside.find_first_not_of(u" \"'");
    if (first != std::u16string_view::npos)
        FUZZ_CHECK(got.find(inside.substr(first, inside.find_last_not_of(u" \"'") - first + 1)) != got.npos, where);
}

// A channel with `address` and the two header options: its link hands the
// tools the same address, the headers the address has, and for the names
// it lacks the options' values (as their lines are cleaned).
void check_channel(std::u16string_view address, std::u16string_view user_agent, std::u16string_view referrer) {
    constexpr std::u16string_view ua_option = u"#EXTVLCOPT:http-user-agent=", ref_option = u"#EXTVLCOPT:http-referrer=";
    const std::u16string ua_line = std::u16string(ua_option) + std::u16string(user_agent);
    const std::u16string ref_line = std::u16string(ref_option) + std::u16string(referrer);
    LinkFileReading reading;
    std::vector<LinkEntry> entries;
    for (std::u16string_view line : {std::u16string_view(u"#EXTM3U"), std::u16string_view(u"#EXTINF:-1,N"),
                                     std::u16string_view(ua_line), std::u16string_view(ref_line), address})
        read_link_line(reading, line, entries);
    end_link_file(reading, entries);
    const std::u16string written = clean_link_line(address);
    const std::string where = "address: " + fuzz::show(address) + "\nua: " + fuzz::show(user_agent) +
                              "\nreferrer: " + fuzz::show(referrer);
    FUZZ_CHECK(entries.size() == (written.empty() || written.front() == u'#' ? 0u : 1u), where);
    if (entries.empty()) return;
    FUZZ_CHECK(entries[0].item == u"N", where);
    const std::u16string& link = entries[0].link;
    if (is_rtmp_family(written)) {
        FUZZ_CHECK(link == written, where + "\nlink: " + fuzz::show(link));
        return;
    }
    const HeaderSplit before = split_header_list(written), after = split_header_list(link);
    const ToolHeaders own = tool_headers(before.headers), got = tool_headers(after.headers);
    const std::u16string ua_value = clean_link_line(ua_line).substr(ua_option.size());
    const std::u16string ref_value = clean_link_line(ref_line).substr(ref_option.size());
    FUZZ_CHECK(after.address == before.address && got.others == own.others &&
                   got.user_agent == (own.user_agent ? own.user_agent : ua_value) &&
                   got.referer == (own.referer ? own.referer : ref_value),
               where + "\nlink: " + fuzz::show(link));
}

}  // namespace

// The data is the text; up to two 0x01 bytes split off the delimiters of
// text_between (">" and "<" otherwise), which are also a channel's user
// agent and referrer, the text its address.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string all = fuzz::text(data, size);
    const std::u16string_view whole(all);
    const std::size_t cut1 = whole.find(u'\x01');
    const std::size_t cut2 = cut1 == std::u16string_view::npos ? cut1 : whole.find(u'\x01', cut1 + 1);
    const std::u16string_view text = whole.substr(0, cut1);
    if (cut2 != std::u16string_view::npos) {
        check_between(text, whole.substr(cut1 + 1, cut2 - cut1 - 1), whole.substr(cut2 + 1));
        check_channel(text, whole.substr(cut1 + 1, cut2 - cut1 - 1), whole.substr(cut2 + 1));
    }
    check_between(text, u">", u"<");

    const std::u16string clean = clean_link_line(text);
    std::u16string untabbed(text);
    untabbed.erase(std::remove(untabbed.begin(), untabbed.end(), u'\t'), untabbed.end());
    FUZZ_CHECK(trimmed_from(clean, untabbed, u" ") && clean.find(u'\t') == std::u16string::npos &&
                   (clean.empty() || (clean.front() != u' ' && clean.back() != u' ')) &&
                   (!clean.empty() || only(untabbed, u" ")),
               "clean: " + fuzz::show(text) + " -> " + fuzz::show(clean));

    const std::u16string picked = picked_link_text(text);
    const bool both = text.find(u'>') != text.npos && text.find(u'<') != text.npos;
    FUZZ_CHECK(picked == (both ? text_between(text, u">", u"<") : std::u16string(text)),
               "picked: " + fuzz::show(text) + " -> " + fuzz::show(picked));

    const std::u16string folder = folder_part(text);
    const std::u16string_view rest = text.substr(std::min(folder.size(), text.size()));
    FUZZ_CHECK(text.substr(0, folder.size()) == folder &&
                   (folder.empty() || folder.back() == u'\\' || folder.back() == u'/') &&
                   rest.find_first_of(u"\\/") == std::u16string_view::npos,
               "folder: " + fuzz::show(text) + " -> " + fuzz::show(folder));
    return 0;
}

#include "link/stream_command.h"

#include <algorithm>
#include <array>

#include "link/command_quoting.h"
#include "link/header_list.h"
#include "link/normalise_link.h"
#include "textfile/text_ops.h"

namespace {

// Schemes are found in any letter case (the tools' libraries accept any);
// the other markers as written.
constexpr std::array<std::u16string_view, 3> kRtmpMarkers = {u"rtmp://", u"rtmpt://", u"rtmpe://"};
// Playlists, and servers known to need ffmpeg in front of the player.
constexpr std::array<std::u16string_view, 4> kFfmpegMarkers = {u".m3u8", u"192.0.2.", u"198.51.100.", u"203.0.113."};
constexpr std::array<std::u16string_view, 1> kFfmpegServers = {u"http://live.example.net/"};
constexpr std::array<std::u16string_view, 5> kDirectMarkers = {u"mms://", u"mmsh://", u"rtsp://", u"udp://", u"rtp://"};
constexpr std::array<std::u16string_view, 2> kWebMarkers = {u"http://", u"https://"};

bool is_ascii_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// A URL scheme: a letter, then letters, digits, '+', '-' and '.'.
bool is_scheme_char(char16_t c) {
    return is_ascii_letter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

template <std::size_t N>
bool contains_any(std::u16string_view text, const std::array<std::u16string_view, N>& markers) {
    for (auto marker : markers)
        if (text_contains(text, marker)) return true;
    return false;
}

template <std::size_t N>
bool contains_any_case(std::u16string_view text, const std::array<std::u16string_view, N>& markers) {
    for (auto marker : markers)
        if (find_any_case(text, marker) != std::u16string_view::npos) return true;
    return false;
}

// The address a pipeline hands its tools, the headers for them, and the
// pipeline. Everything looks at the address only once its header list is
// cut; an rtmp address keeps its whole text (rtmpdump's options follow it).
struct ToolAddress {
    std::u16string address;
    ToolHeaders headers;
    Pipeline pipeline;
};

Pipeline pipeline_of(std::u16string_view a, const ToolHeaders& headers) {
    if (contains_any(a, kFfmpegMarkers) || contains_any_case(a, kFfmpegServers)) return Pipeline::ffmpeg;
    const Pipeline player = contains_any_case(a, kDirectMarkers) ? Pipeline::direct
                            : contains_any_case(a, kWebMarkers) ? Pipeline::web
                                                                : Pipeline::none;
    // The player sends no header but these two; ffmpeg sends one more.
    if (player != Pipeline::none && !headers.others.empty()) return Pipeline::ffmpeg;
    return player;
}

ToolAddress tool_address(std::u16string_view stream_address) {
    const HeaderSplit split = split_header_list(stream_address);
    if (contains_any_case(split.address, kRtmpMarkers))
        return {lower_leading_scheme(stream_address), {}, Pipeline::rtmpdump};
    ToolHeaders headers = tool_headers(split.headers);
    const Pipeline pipeline = pipeline_of(split.address, headers);
    return {lower_leading_scheme(split.address), std::move(headers), pipeline};
}

// ffmpeg's options for the headers, in front of its -i. Its -headers takes
// "Name: value" lines joined by CR LF, which no batch line can hold: it
// carries the first header beyond User-Agent and Referer, as one line
// (ffmpeg ends it with CR LF itself).
std::u16string ffmpeg_header_options(const ToolHeaders& h, CommandShell shell) {
    std::u16string out;
    if (h.user_agent) out += u" -user_agent " + protect_word(*h.user_agent, shell);
    if (h.referer) out += u" -referer " + protect_word(*h.referer, shell);
    if (!h.others.empty())
        out += u" -headers " + protect_word(h.others.front().name + u": " + h.others.front().value, shell);
    return out;
}

// The player's own options for the one input, as words after its address.
std::u16string player_header_words(const ToolHeaders& h) {
    std::u16string out;
    if (h.user_agent) out += u" " + protect_word(u":http-user-agent=" + *h.user_agent, CommandShell::batch);
    if (h.referer) out += u" " + protect_word(u":http-referrer=" + *h.referer, CommandShell::batch);
    return out;
}

bool fits(std::u16string_view text, const BatchCharset& charset) {
    return !charset.holds || fit_batch_line(text, charset.holds) == text;
}

// A path that does not fit names the same file in its short form; one
// without (a file that does not exist, a volume without short names) is
// left for fit_batch_line, so that the console shows which path failed.
std::u16string batch_path(const std::u16string& path, const BatchCharset& charset) {
    if (fits(path, charset) || !charset.short_path) return path;
    std::u16string short_form = charset.short_path(path);
    return short_form.empty() ? path : short_form;
}

// The player reading standard input (last word "-") or opening `address`.
std::u16string player_command(const ProgramState& s, std::u16string_view address_words,
                              const BatchCharset& charset) {
    std::u16string line = protect_path(batch_path(s.vlc_path, charset), CommandShell::batch);
    line += protect_words(s.cache_option, CommandShell::batch);
    line += kPlayerOptions1;
    line += kPlayerOptions2;
    line += kPlayerOptions3;
    line += address_words;
    return line;
}

}  // namespace

bool is_rtmp_family(std::u16string_view address) {
    return contains_any_case(split_header_list(address).address, kRtmpMarkers);
}

std::u16string lower_leading_scheme(std::u16string_view address) {
    std::u16string out(address);
    const std::size_t at = out.find_first_not_of(u" \t\"");
    if (at == std::u16string::npos || !is_ascii_letter(out[at])) return out;
    std::size_t end = at;
    while (end < out.size() && is_scheme_char(out[end])) ++end;
    if (out.compare(end, 3, u"://") != 0) return out;
    std::transform(out.begin() + at, out.begin() + end, out.begin() + at, ascii_lower);
    return out;
}

bool normalise_rtmp_address(std::u16string& address) {
    if (!is_rtmp_family(address)) return false;
    address = lower_leading_scheme(normalise_link(address));
    return true;
}

Pipeline choose_pipeline(std::u16string_view address) { return tool_address(address).pipeline; }

void compose_test_command(ProgramState& s, const BatchCharset& charset) {
    s.ffmpeg_args = u" -re -i " + s.stream_address + u" -acodec copy -vcodec copy -f mpegts pipe: | ";
    s.cache_option = u" --network-caching=" + s.cache_kb;
    s.rtmpdump_args = u" -v -r " + s.stream_address + u" | ";

    // The plain texts above go into the line only with every hostile word
    // protected; words without special characters stay byte for byte.
    const ToolAddress tool = tool_address(s.stream_address);
    const std::u16string address = protect_words(tool.address, CommandShell::batch);
    switch (tool.pipeline) {
    case Pipeline::rtmpdump:
        s.test_command = protect_path(batch_path(s.rtmpdump_path, charset), CommandShell::batch) +
                         u" -v -r " + address + u" | " + player_command(s, u" -", charset);
        break;
    case Pipeline::ffmpeg:
        s.test_command = protect_path(batch_path(s.ffmpeg_path, charset), CommandShell::batch) + u" -re" +
                         ffmpeg_header_options(tool.headers, CommandShell::batch) + u" -i " + address +
                         u" -acodec copy -vcodec copy -f mpegts pipe: | " + player_command(s, u" -", charset);
        break;
    case Pipeline::direct:
    case Pipeline::web:
        s.test_command = player_command(s, u" " + address + player_header_words(tool.headers), charset);
        break;
    case Pipeline::none:
        s.test_command.clear();
        break;
    }
    if (charset.holds) s.test_command = fit_batch_line(s.test_command, charset.holds);
}

std::u16string clipboard_line(const ProgramState& s) {
    const ToolAddress tool = tool_address(s.stream_address);
    return protect_path(s.ffmpeg_path, CommandShell::console) + u" -re" +
           ffmpeg_header_options(tool.headers, CommandShell::console) + u" -i " +
           protect_words(tool.address, CommandShell::console) + u" -acodec copy -vcodec copy -f mpegts pipe: | " +
           protect_path(s.vlc_path, CommandShell::console) + u" -";
}

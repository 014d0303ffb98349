#include "link/stream_command.h"

#include <array>

#include "link/command_quoting.h"
#include "textfile/text_ops.h"

namespace {

constexpr std::array<std::u16string_view, 3> kRtmpMarkers = {u"rtmp://", u"rtmpt://", u"rtmpe://"};
// Playlists, and servers known to need ffmpeg in front of the player.
constexpr std::array<std::u16string_view, 5> kFfmpegMarkers = {
    u".m3u8", u"192.0.2.", u"198.51.100.", u"203.0.113.", u"http://live.example.net/"};
constexpr std::array<std::u16string_view, 3> kDirectMarkers = {u"mms://", u"mmsh://", u"rtsp://"};
constexpr std::u16string_view kWebMarker = u"http://";

template <std::size_t N>
bool contains_any(std::u16string_view text, const std::array<std::u16string_view, N>& markers) {
    for (auto marker : markers)
        if (text_contains(text, marker)) return true;
    return false;
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

bool is_rtmp_family(std::u16string_view address) { return contains_any(address, kRtmpMarkers); }

Pipeline choose_pipeline(std::u16string_view address) {
    if (is_rtmp_family(address)) return Pipeline::rtmpdump;
    if (contains_any(address, kFfmpegMarkers)) return Pipeline::ffmpeg;
    if (contains_any(address, kDirectMarkers)) return Pipeline::direct;
    if (text_contains(address, kWebMarker)) return Pipeline::web;
    return Pipeline::none;
}

void compose_test_command(ProgramState& s, const BatchCharset& charset) {
    s.ffmpeg_args = u" -re -i " + s.stream_address + u" -acodec copy -vcodec copy -f mpegts pipe: | ";
    s.cache_option = u" --network-caching=" + s.cache_kb;
    s.rtmpdump_args = u" -v -r " + s.stream_address + u" | ";

    // The plain texts above go into the line only with every hostile word
    // protected; words without special characters stay byte for byte.
    const std::u16string address = protect_words(s.stream_address, CommandShell::batch);
    switch (choose_pipeline(s.stream_address)) {
    case Pipeline::rtmpdump:
        s.test_command = protect_path(batch_path(s.rtmpdump_path, charset), CommandShell::batch) +
                         u" -v -r " + address + u" | " + player_command(s, u" -", charset);
        break;
    case Pipeline::ffmpeg:
        s.test_command = protect_path(batch_path(s.ffmpeg_path, charset), CommandShell::batch) +
                         u" -re -i " + address + u" -acodec copy -vcodec copy -f mpegts pipe: | " +
                         player_command(s, u" -", charset);
        break;
    case Pipeline::direct:
    case Pipeline::web:
        s.test_command = player_command(s, u" " + address, charset);
        break;
    case Pipeline::none:
        s.test_command.clear();
        break;
    }
    if (charset.holds) s.test_command = fit_batch_line(s.test_command, charset.holds);
}

std::u16string clipboard_line(const ProgramState& s) {
    return protect_path(s.ffmpeg_path, CommandShell::console) + u" -re -i " +
           protect_words(s.stream_address, CommandShell::console) +
           u" -acodec copy -vcodec copy -f mpegts pipe: | " +
           protect_path(s.vlc_path, CommandShell::console) + u" -";
}

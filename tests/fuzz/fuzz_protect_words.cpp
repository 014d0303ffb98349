// protect_words in both forms: the line leaves cmd.exe nothing to act on,
// and cmd.exe plus the tool's C runtime hand the tool exactly the words the
// address means, whatever variables the environment defines. The same for
// the text as one word (a header value), and for the batch line composed
// from an address and headers the text gives, written as a header list:
// the headers asked for arrive, each once.
#include "link/command_quoting.h"
#include "link/header_list.h"
#include "link/stream_command.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/cmd_model.h"
#include "textfile/text_ops.h"

#include <algorithm>
#include <optional>

namespace {

using Words = std::vector<std::u16string>;

std::string show_words(const Words& words) {
    std::string out;
    for (const auto& w : words) out += "[" + fuzz::show(w) + "]";
    return out;
}

// Headers the fuzz text asks for, and the text that carries them behind
// an address as a list: each pair, empty pairs between them, then a second
// list that names them again, which must change nothing.
struct Asked {
    std::optional<std::u16string> user_agent, referer;
    std::optional<RequestHeader> other;  // a name neither of those two
};

std::u16string with_list(const std::u16string& address, const Asked& h) {
    std::u16string first, again;
    const auto pair = [](std::u16string& list, std::u16string_view name, std::u16string_view value) {
        list += (list.empty() ? u"|" : u"&&") + std::u16string(name) + u"=" + encode_header_value(value);
    };
    if (h.user_agent) pair(first, u"User-Agent", *h.user_agent), pair(again, u"user-agent", u"again");
    if (h.referer) pair(first, u"Referrer", *h.referer), pair(again, u"REFERER", u"again");
    if (h.other) pair(first, h.other->name, h.other->value), pair(again, h.other->name, u"again");
    return address + first + again;
}

// The words ffmpeg or the player must receive for the address and the
// headers asked for (the player's in its own option form, after the
// address).
Words meant_tool_words(std::u16string_view address, const Asked& h, Pipeline pipeline) {
    const Words address_words = cmd_model::meant_words(lower_leading_scheme(address), CommandShell::batch);
    const auto word = [](std::u16string w) { return cmd_model::meant_word(w, CommandShell::batch); };
    Words words;
    if (pipeline == Pipeline::ffmpeg) {
        words.push_back(u"-re");
        if (h.user_agent) words.insert(words.end(), {u"-user_agent", word(*h.user_agent)});
        if (h.referer) words.insert(words.end(), {u"-referer", word(*h.referer)});
        if (h.other) words.insert(words.end(), {u"-headers", word(h.other->name + u": " + h.other->value)});
        words.push_back(u"-i");
        words.insert(words.end(), address_words.begin(), address_words.end());
        words.insert(words.end(), {u"-acodec", u"copy", u"-vcodec", u"copy", u"-f", u"mpegts", u"pipe:"});
    } else {
        words = address_words;
        if (h.user_agent) words.push_back(word(u":http-user-agent=" + *h.user_agent));
        if (h.referer) words.push_back(word(u":http-referrer=" + *h.referer));
    }
    return words;
}

// The fuzz text's pieces between U+0001: the address (its '|' left out:
// where a list begins is the header rows' business), a user agent, a
// referrer, another header's name (its letters, digits and '-') and value.
void check_composed_line(std::u16string_view text) {
    std::vector<std::u16string> pieces(1);
    for (char16_t c : text) {
        if (c == u'\x01') pieces.emplace_back();
        else if (c != u'|' || pieces.size() > 1) pieces.back() += c;
    }
    Asked asked;
    if (pieces.size() > 1) asked.user_agent = pieces[1];
    if (pieces.size() > 2) asked.referer = pieces[2];
    if (pieces.size() > 4) {
        std::u16string name;
        for (char16_t c : pieces[3]) {
            const bool name_char = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                                   c == u'-';
            if (name_char) name += c;
        }
        const bool neither = !equal_any_case(name, u"User-Agent") && !equal_any_case(name, u"Referer") &&
                             !equal_any_case(name, u"Referrer");
        if (!name.empty() && neither) asked.other = RequestHeader{name, pieces[4]};
    }
    const std::u16string& address = pieces[0];
    ProgramState state;
    state.stream_address = with_list(address, asked);
    compose_test_command(state);
    const Pipeline pipeline = choose_pipeline(state.stream_address);
    if (pipeline == Pipeline::none || pipeline == Pipeline::rtmpdump) return;  // rtmp: the dialect table
    FUZZ_CHECK(!asked.other || pipeline == Pipeline::ffmpeg,
               "the player cannot send " + fuzz::show(asked.other->name));
    // The one pipe of the ffmpeg pipeline is the line's own; cmd.exe acts
    // on nothing else, and starts only the two tools.
    const std::u16string& line = state.test_command;
    const auto run = cmd_model::commands(line, CommandShell::batch, cmd_model::Environment::hostile);
    const bool ffmpeg = pipeline == Pipeline::ffmpeg;
    FUZZ_CHECK(run && run->size() == (ffmpeg ? 2u : 1u) &&
                   cmd_model::program_name(run->front()) == (ffmpeg ? state.ffmpeg_path : state.vlc_path) &&
                   cmd_model::program_name(run->back()) == state.vlc_path,
               "cmd.exe acts on " + fuzz::show(line));
    const Words received = cmd_model::crt_argv(run->front()).arguments;
    const Words meant = meant_tool_words(address, asked, pipeline);
    const bool arrived = ffmpeg
                             ? received == meant
                             : received.size() >= meant.size() &&
                                   std::equal(meant.begin(), meant.end(), received.end() - meant.size());
    FUZZ_CHECK(arrived, "in: " + fuzz::show(state.stream_address) + "\nout: " + fuzz::show(line) +
                            "\nreceived: " + show_words(received) + "\nmeant: " + show_words(meant));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string address = fuzz::text(data, size);
    const bool plain = std::none_of(address.begin(), address.end(), is_cmd_special);
    for (CommandShell shell : {CommandShell::batch, CommandShell::console}) {
        const std::u16string line = protect_words(address, shell);
        const std::string why = cmd_model::why_not_inert(line, shell);
        FUZZ_CHECK(why.empty(), why + "\nin: " + fuzz::show(address) + "\nout: " + fuzz::show(line));
        if (plain) FUZZ_CHECK(line == address, "plain text changed: " + fuzz::show(line));
        const auto run = cmd_model::as_run(line, shell, cmd_model::Environment::hostile);
        FUZZ_CHECK(run.has_value(), "cmd.exe acts on " + fuzz::show(line));
        const auto received = cmd_model::crt_arguments(*run);
        const auto meant = cmd_model::meant_words(address, shell);
        FUZZ_CHECK(received == meant, "in: " + fuzz::show(address) + "\nout: " + fuzz::show(line) +
                                          "\nreceived: " + show_words(received) +
                                          "\nmeant: " + show_words(meant));

        const std::u16string word = protect_word(address, shell);
        const auto word_run = cmd_model::as_run(word, shell, cmd_model::Environment::hostile);
        FUZZ_CHECK(cmd_model::why_not_inert(word, shell).empty() && word_run,
                   "one word: cmd.exe acts on " + fuzz::show(word));
        const Words one_word = cmd_model::crt_arguments(*word_run);
        FUZZ_CHECK(one_word == Words{cmd_model::meant_word(address, shell)},
                   "one word: in: " + fuzz::show(address) + "\nreceived: " + show_words(one_word));
    }
    check_composed_line(address);
    return 0;
}

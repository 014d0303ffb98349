// protect_words in both forms: the line leaves cmd.exe nothing to act on,
// and cmd.exe plus the tool's C runtime hand the tool exactly the words the
// address means, whatever variables the environment defines. The same for
// the text as one word (a header value), and for the batch line composed
// from the text as an address with a header list.
#include "link/command_quoting.h"
#include "link/header_list.h"
#include "link/stream_command.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/cmd_model.h"

#include <algorithm>

namespace {

using Words = std::vector<std::u16string>;

std::string show_words(const Words& words) {
    std::string out;
    for (const auto& w : words) out += "[" + fuzz::show(w) + "]";
    return out;
}

// The words ffmpeg or the player must receive for the address and its
// headers (the player's in its own option form, after the address).
Words meant_tool_words(std::u16string_view address, Pipeline pipeline) {
    const HeaderSplit split = split_header_list(address);
    const ToolHeaders h = tool_headers(split.headers);
    const Words address_words = cmd_model::meant_words(lower_case_schemes(split.address), CommandShell::batch);
    const auto word = [](std::u16string w) { return cmd_model::meant_word(w, CommandShell::batch); };
    Words words;
    if (pipeline == Pipeline::ffmpeg) {
        words.push_back(u"-re");
        if (h.user_agent) words.insert(words.end(), {u"-user_agent", word(*h.user_agent)});
        if (h.referer) words.insert(words.end(), {u"-referer", word(*h.referer)});
        if (!h.others.empty())
            words.insert(words.end(), {u"-headers", word(h.others.front().name + u": " + h.others.front().value)});
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

void check_composed_line(const std::u16string& address) {
    ProgramState state;
    state.stream_address = address;
    compose_test_command(state);
    const Pipeline pipeline = choose_pipeline(address);
    if (pipeline == Pipeline::none || pipeline == Pipeline::rtmpdump) return;  // rtmp: the dialect table
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
    const Words meant = meant_tool_words(address, pipeline);
    const bool arrived = ffmpeg
                             ? received == meant
                             : received.size() >= meant.size() &&
                                   std::equal(meant.begin(), meant.end(), received.end() - meant.size());
    FUZZ_CHECK(arrived, "in: " + fuzz::show(address) + "\nout: " + fuzz::show(line) +
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

// protect_words in both forms: the line leaves cmd.exe nothing to act on,
// and cmd.exe plus the tool's C runtime hand the tool exactly the words the
// address means, whatever variables the environment defines.
#include "link/command_quoting.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/cmd_model.h"

#include <algorithm>

namespace {

std::string show_words(const std::vector<std::u16string>& words) {
    std::string out;
    for (const auto& w : words) out += "[" + fuzz::show(w) + "]";
    return out;
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
    }
    return 0;
}

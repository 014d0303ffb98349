// protect_path in both forms: cmd.exe looks up exactly the path (without the
// characters no Windows file name holds) and takes nothing behind it into
// the name; a batch line leaves cmd.exe nothing to act on.
#include "link/command_quoting.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/cmd_model.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string path = fuzz::text(data, size);
    std::u16string usable;  // what a file name can hold of it
    for (char16_t c : path)
        if (c != u'"' && c >= 0x20) usable += c;
    for (CommandShell shell : {CommandShell::batch, CommandShell::console}) {
        const std::u16string line = protect_path(path, shell) + u" -v";
        if (shell == CommandShell::batch) {
            // A file name may hold DEL, which cmd.exe takes as a plain character.
            std::u16string seen = line;
            std::replace(seen.begin(), seen.end(), char16_t{0x7F}, u'x');
            const std::string why = cmd_model::why_not_inert(seen, shell);
            FUZZ_CHECK(why.empty(), why + "\nin: " + fuzz::show(path) + "\nout: " + fuzz::show(line));
        }
        // A console line keeps a path's percent signs as typed (the user
        // chose the file), so it is exact only where no such name is defined.
        const auto env = shell == CommandShell::batch ? cmd_model::Environment::hostile
                                                      : cmd_model::Environment::empty;
        const auto run = cmd_model::as_run(line, shell, env);
        FUZZ_CHECK(run.has_value(), "cmd.exe acts on " + fuzz::show(line));
        // A folder (trailing backslash) names no program; its closing quote
        // is written for the C runtime's rule, not for the look-up.
        if (usable.empty() || usable.back() == u'\\') continue;
        const std::u16string name = cmd_model::program_name(*run);
        FUZZ_CHECK(name == usable, "in: " + fuzz::show(path) + "\nout: " + fuzz::show(line) +
                                       "\nlooked up: " + fuzz::show(name));
    }
    return 0;
}

#pragma once
// A model of what Windows' cmd.exe and a tool's C runtime make of a line the
// program writes: cmd.exe's documented phases (percent expansion, then
// carets, quotes and operators) on a batch line or a console line, and the C
// runtime's argument rules. The property test and the fuzz targets trust
// it; the differential run checks it against the real cmd.exe. It errs on
// the side of "cmd.exe acts": anything that could expand or start another
// command counts as acting.
#include "link/command_quoting.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmd_model {

inline bool is_control(char16_t c) { return c < 0x20 || c == 0x7F; }

// Why cmd.exe could act on a protected line; empty when it cannot. Outside
// double quotes no operator, caret, parenthesis or percent; inside them a
// percent only as a batch file's %% pair; on a console line every percent
// stands between a closing and an opening quote; quotes balanced; no
// control character, but for a tab on a batch line, where it separates
// words like a space (typed or pasted into a console, a tab starts
// file-name completion).
inline std::string why_not_inert(std::u16string_view line, CommandShell shell) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        const std::string at = " at " + std::to_string(i);
        if (is_control(c) && !(c == u'\t' && shell == CommandShell::batch)) return "control character" + at;
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == u'%') {
            if (shell == CommandShell::batch) {
                if (!(quoted && i + 1 < line.size() && line[i + 1] == u'%')) return "lone %" + at;
                ++i;
            } else {
                if (quoted) return "% inside quotes" + at;
                if (!(i + 1 < line.size() && line[i + 1] == u'"')) return "% not followed by a quote" + at;
            }
        } else if (!quoted && std::u16string_view(u"&|<>^()!").find(c) != std::u16string_view::npos) {
            return "special character outside quotes" + at;
        }
    }
    return quoted ? "unbalanced quotes" : "";
}

// hostile: every variable name cmd.exe could look up is defined (with
// unknown content); empty: none is.
enum class Environment { empty, hostile };

// The commands cmd.exe starts for a line, split at the pipes outside double
// quotes, each as the text it hands to its program (quotes kept, carets
// gone); nothing when cmd.exe itself would act otherwise: expand a variable
// or argument in a hostile environment, redirect, chain or group commands,
// continue or end the line early, complete a file name at a tab typed into
// a console.
inline std::optional<std::vector<std::u16string>> commands(std::u16string_view line, CommandShell shell,
                                                           Environment env) {
    // Phase 1: percent signs.
    std::u16string expanded;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        if (c != u'%') {
            expanded += c;
            continue;
        }
        const std::size_t close = line.find(u'%', i + 1);
        if (shell == CommandShell::batch) {
            if (i + 1 < line.size() && line[i + 1] == u'%') {
                expanded += u'%';
                ++i;
            } else if (i + 1 < line.size() && (line[i + 1] == u'~' || line[i + 1] == u'*' ||
                                               (line[i + 1] >= u'0' && line[i + 1] <= u'9'))) {
                return std::nullopt;  // a batch argument
            } else if (close == std::u16string_view::npos) {
                // a lone percent sign vanishes
            } else if (env == Environment::hostile) {
                return std::nullopt;
            } else {
                i = close;  // an undefined variable expands to nothing
            }
        } else {
            // A console line keeps undefined names as typed. A name that
            // begins with a double quote (or is empty) is never defined;
            // scanning on right behind the percent also tries the closing
            // one as the start of another name.
            const bool name_defined = close != std::u16string_view::npos && close > i + 1 &&
                                      line[i + 1] != u'"' && env == Environment::hostile;
            if (name_defined) return std::nullopt;
            expanded += c;
        }
    }
    // Phase 2: line ends, carets, quotes and operators.
    std::vector<std::u16string> run(1);
    bool quoted = false;
    for (std::size_t i = 0; i < expanded.size(); ++i) {
        const char16_t c = expanded[i];
        if (c == u'\r' || c == u'\n' || c == 0 || c == 0x1A) return std::nullopt;
        if (c == u'\t' && shell == CommandShell::console) return std::nullopt;  // file-name completion
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted) {
            if (c == u'^') {
                if (++i == expanded.size()) return std::nullopt;  // continues the line
                run.back() += expanded[i];
                continue;
            }
            if (c == u'|' && !(i + 1 < expanded.size() && expanded[i + 1] == u'|')) {
                run.emplace_back();
                continue;
            }
            if (std::u16string_view(u"&|<>()").find(c) != std::u16string_view::npos) return std::nullopt;
        }
        run.back() += c;
    }
    return run;
}

// The text cmd.exe hands to the program of a line that is one simple
// command, or nothing (see commands).
inline std::optional<std::u16string> as_run(std::u16string_view line, CommandShell shell, Environment env) {
    auto run = commands(line, shell, env);
    if (!run || run->size() != 1) return std::nullopt;
    return std::move(run->front());
}

// The arguments the C runtime builds from the text behind the program name:
// split at spaces and tabs outside double quotes; quotes group and vanish;
// 2n backslashes before a quote give n backslashes, 2n+1 give n and a
// literal quote; "" inside quotes gives a literal quote.
inline std::vector<std::u16string> crt_arguments(std::u16string_view tail) {
    std::vector<std::u16string> args;
    std::size_t i = 0;
    const std::size_t n = tail.size();
    for (;;) {
        while (i < n && (tail[i] == u' ' || tail[i] == u'\t')) ++i;
        if (i == n) return args;
        std::u16string arg;
        bool quoted = false;
        while (i < n && (quoted || (tail[i] != u' ' && tail[i] != u'\t'))) {
            if (tail[i] == u'\\') {
                std::size_t run = 0;
                while (i + run < n && tail[i + run] == u'\\') ++run;
                if (i + run < n && tail[i + run] == u'"') {
                    arg.append(run / 2, u'\\');
                    i += run;
                    if (run % 2 == 1) {
                        arg += u'"';
                        ++i;
                    }
                } else {
                    arg.append(run, u'\\');
                    i += run;
                }
            } else if (tail[i] == u'"') {
                if (quoted && i + 1 < n && tail[i + 1] == u'"') {
                    arg += u'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += tail[i++];
            }
        }
        args.push_back(std::move(arg));
    }
}

// A command as the tool's C runtime splits it: the program word (up to a
// space or tab outside double quotes, the quotes removed, backslashes as
// they stand) and the arguments behind it.
struct Argv {
    std::u16string program;
    std::vector<std::u16string> arguments;
};
inline Argv crt_argv(std::u16string_view command) {
    std::size_t i = command.find_first_not_of(u" \t");
    Argv argv;
    bool quoted = false;
    for (; i < command.size() && (quoted || (command[i] != u' ' && command[i] != u'\t')); ++i) {
        if (command[i] == u'"') quoted = !quoted;
        else argv.program += command[i];
    }
    argv.arguments = crt_arguments(i < command.size() ? command.substr(i) : std::u16string_view());
    return argv;
}

// The program name cmd.exe looks up for a command that starts with a tool
// path: the first word up to a space, tab, comma, semicolon or equals sign
// outside double quotes, with the quotes removed.
inline std::u16string program_name(std::u16string_view run) {
    std::u16string name;
    bool quoted = false;
    for (char16_t c : run.substr(std::min(run.find_first_not_of(u" \t"), run.size()))) {
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && std::u16string_view(u" \t,;=").find(c) != std::u16string_view::npos) break;
        name += c;
    }
    return name;
}

// One argument as the tool must receive it: double quotes and control
// characters percent-encoded the way a URL carries them (a batch line keeps
// a tab; a console line cannot carry one), and on a batch line every
// character that `holds` says the batch file's code page lacks as its
// percent-encoded UTF-8 bytes (a lone surrogate as U+FFFD's).
inline std::u16string meant_word(std::u16string_view w, CommandShell shell,
                                 const std::function<bool(char32_t)>& holds = {}) {
    static constexpr char16_t hex[] = u"0123456789ABCDEF";
    const auto percent = [](std::u16string& out, unsigned byte) {
        out += u'%';
        out += hex[(byte >> 4) & 0xF];
        out += hex[byte & 0xF];
    };
    std::u16string encoded;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const char16_t c = w[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF;
        char32_t code = pair ? 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(w[i + 1]) - 0xDC00) : c;
        if (c == u'"' || (is_control(c) && !(c == u'\t' && shell == CommandShell::batch))) {
            percent(encoded, c);
        } else if (c < 0x80 || shell == CommandShell::console || !holds || holds(code)) {
            encoded.append(w, i, pair ? 2 : 1);
        } else {
            if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
            const int tail = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
            percent(encoded, (tail == 1 ? 0xC0 : tail == 2 ? 0xE0 : 0xF0) | (code >> (6 * tail)));
            for (int k = tail - 1; k >= 0; --k) percent(encoded, 0x80 | ((code >> (6 * k)) & 0x3F));
        }
        i += pair ? 1 : 0;
    }
    return encoded;
}

// The arguments an address means as a pasted command line, each as the
// tool must receive it (meant_word).
inline std::vector<std::u16string> meant_words(std::u16string_view address, CommandShell shell,
                                               const std::function<bool(char32_t)>& holds = {}) {
    std::vector<std::u16string> words = crt_arguments(address);
    for (std::u16string& w : words) w = meant_word(w, shell, holds);
    return words;
}

}  // namespace cmd_model

#pragma once
// A model of what cmd.exe and a tool's C runtime make of a protected line,
// shared by the property tests and the fuzz targets. It follows cmd.exe's
// documented phases (percent expansion, then carets, quotes and operators)
// and the C runtime's argument rules, and errs on the side of "cmd.exe acts":
// anything that could expand or start another command counts as acting.
#include "link/command_quoting.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmd_model {

inline bool is_control(char16_t c) { return c < 0x20 || c == 0x7F; }

// Why cmd.exe could act on a protected line; empty when it cannot. Outside
// double quotes no operator, caret, parenthesis or percent; inside them a
// percent only as a batch file's %% pair; on a console line every percent
// stands between a closing and an opening quote; nowhere a control
// character but the tab, which separates words like a space; quotes
// balanced.
inline std::string why_not_inert(std::u16string_view line, CommandShell shell) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        const std::string at = " at " + std::to_string(i);
        if (is_control(c) && c != u'\t') return "control character" + at;
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

// The text cmd.exe hands to the program for one simple command line, or
// nothing when cmd.exe itself would act: expand a variable or argument in a
// hostile environment, run an operator (& | < >), open or close a block,
// continue or end the line early.
inline std::optional<std::u16string> as_run(std::u16string_view line, CommandShell shell, Environment env) {
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
    std::u16string run;
    bool quoted = false;
    for (std::size_t i = 0; i < expanded.size(); ++i) {
        const char16_t c = expanded[i];
        if (c == u'\r' || c == u'\n' || c == 0 || c == 0x1A) return std::nullopt;
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted) {
            if (c == u'^') {
                if (++i == expanded.size()) return std::nullopt;  // continues the line
                run += expanded[i];
                continue;
            }
            if (std::u16string_view(u"&|<>()").find(c) != std::u16string_view::npos) return std::nullopt;
        }
        run += c;
    }
    return run;
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

// The arguments an address means as a pasted command line, each with its
// double quotes and control characters percent-encoded the way a URL
// carries them: what the tool must receive. A batch file keeps a tab that
// a quoted word holds; a console line cannot carry one.
inline std::vector<std::u16string> meant_words(std::u16string_view address, CommandShell shell) {
    static constexpr char16_t hex[] = u"0123456789ABCDEF";
    std::vector<std::u16string> words = crt_arguments(address);
    for (std::u16string& w : words) {
        std::u16string encoded;
        for (char16_t c : w) {
            const bool kept_tab = c == u'\t' && shell == CommandShell::batch;
            if (c == u'"' || (is_control(c) && !kept_tab)) {
                encoded += u'%';
                encoded += hex[(c >> 4) & 0xF];
                encoded += hex[c & 0xF];
            } else {
                encoded += c;
            }
        }
        w = std::move(encoded);
    }
    return words;
}

// The program name cmd.exe looks up for a line that starts with a tool
// path: the first word up to a space, tab, comma, semicolon or equals sign
// outside double quotes, with the quotes removed.
inline std::u16string program_name(std::u16string_view run) {
    std::u16string name;
    bool quoted = false;
    for (char16_t c : run) {
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && std::u16string_view(u" \t,;=").find(c) != std::u16string_view::npos) break;
        name += c;
    }
    return name;
}

}  // namespace cmd_model

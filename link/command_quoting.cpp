#include "link/command_quoting.h"

#include <algorithm>

#include "textfile/text_ops.h"

namespace {

bool is_control(char16_t c) { return c < 0x20 || c == 0x7F; }

bool ends_command_name(char16_t c) {
    return c == u' ' || c == u'\t' || c == u',' || c == u';' || c == u'=';
}

bool is_separator(char16_t c) { return c == u' ' || c == u'\t'; }

void append_percent_byte(std::u16string& out, unsigned byte) {
    static constexpr char16_t hex[] = u"0123456789ABCDEF";
    out += u'%';
    out += hex[(byte >> 4) & 0xF];
    out += hex[byte & 0xF];
}

// A double quote cannot be escaped inside a quoted cmd.exe word, and CR, LF
// and Ctrl-Z end the line even there; a URL carries such characters
// percent-encoded anyway. A tab inside quotes is kept in a batch file; typed
// or pasted into a console it would start file-name completion.
std::u16string encode_unquotable(std::u16string_view word, CommandShell shell) {
    std::u16string out;
    out.reserve(word.size());
    for (char16_t c : word) {
        const bool kept_tab = c == u'\t' && shell == CommandShell::batch;
        if (c == u'"' || (is_control(c) && !kept_tab)) append_percent_byte(out, c);
        else out += c;
    }
    return out;
}

// Windows file names cannot hold these, so leaving them out loses nothing
// that could have named a file.
std::u16string drop_unquotable(std::u16string_view path) {
    std::u16string out;
    out.reserve(path.size());
    for (char16_t c : path)
        if (c != u'"' && !(c < 0x20)) out += c;
    return out;
}

enum class Percent { doubled, outside_quotes, as_is };

// `text` as one double-quoted word. Inside quotes cmd.exe still expands
// '%': a batch line doubles it; a console line cannot escape it inside
// quotes, so an address writes each '%' between closing and reopening
// quotes (see protect_words).
std::u16string quote(std::u16string_view text, Percent percent) {
    std::u16string out;
    out.reserve(text.size() + 8);
    out += u'"';
    std::size_t backslashes = 0;
    // The C runtime reads 2n backslashes before a quote as n backslashes and
    // a quote that closes: double the run in front of every closing quote.
    auto close_quote = [&] {
        out.append(backslashes, u'\\');
        out += u'"';
        backslashes = 0;
    };
    for (char16_t c : text) {
        if (c == u'%') {
            if (percent == Percent::doubled) {
                out += u"%%";
            } else if (percent == Percent::outside_quotes) {
                close_quote();
                out += u"%\"";
            } else {
                out += u'%';
            }
            backslashes = 0;
        } else {
            out += c;
            backslashes = c == u'\\' ? backslashes + 1 : 0;
        }
    }
    close_quote();
    return out;
}

// One argument of an address as the tools' C runtime reads it from the raw
// text: double quotes group (and vanish), 2n backslashes before a quote give
// n backslashes, 2n+1 give n and a literal quote, and "" inside quotes gives a
// literal quote. Pasted command lines quote values this way; protection
// hands the tool the same argument without letting cmd.exe act on any of it.
struct Argument {
    std::size_t end;      // index just past the argument's raw text
    std::u16string value;
};

Argument scan_argument(std::u16string_view text, std::size_t at) {
    Argument arg{at, {}};
    bool quoted = false;
    std::size_t i = at;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (is_separator(c) && !quoted) break;
        if (c == u'\\') {
            std::size_t run = 0;
            while (i + run < text.size() && text[i + run] == u'\\') ++run;
            if (i + run < text.size() && text[i + run] == u'"') {
                arg.value.append(run / 2, u'\\');
                if (run % 2 == 1) {
                    arg.value += u'"';
                    i += run + 1;
                } else {
                    i += run;  // the quote toggles below
                }
            } else {
                arg.value.append(run, u'\\');
                i += run;
            }
            continue;
        }
        if (c == u'"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
                arg.value += u'"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
            continue;
        }
        arg.value += c;
        ++i;
    }
    arg.end = i;
    return arg;
}

}  // namespace

std::u16string protect_word(std::u16string_view word, CommandShell shell) {
    const std::u16string encoded = encode_unquotable(word, shell);
    const bool plain = !encoded.empty() && std::none_of(encoded.begin(), encoded.end(), [](char16_t c) {
        return is_cmd_special(c) || is_separator(c);
    });
    if (plain) return encoded;
    return quote(encoded, shell == CommandShell::batch ? Percent::doubled : Percent::outside_quotes);
}

namespace {

std::u16string protect_argument(std::u16string_view raw, std::u16string_view value, CommandShell shell) {
    if (std::none_of(raw.begin(), raw.end(), is_cmd_special)) return std::u16string(raw);
    return protect_word(value, shell);
}

}  // namespace

bool is_cmd_special(char16_t c) {
    switch (c) {
    case u'&': case u'|': case u'<': case u'>': case u'^':
    case u'(': case u')': case u'%': case u'!': case u'"':
        return true;
    default:
        return is_control(c);
    }
}

std::u16string protect_path(std::u16string_view path, CommandShell shell) {
    const bool plain = std::none_of(path.begin(), path.end(), [](char16_t c) {
        return is_cmd_special(c) || ends_command_name(c);
    });
    if (plain) return std::u16string(path);
    // A console line keeps '%' of a path as typed: cmd.exe does not accept a
    // program name that leaves and re-enters quotes, and a path is the
    // user's own choice from the file system, not text from outside.
    return quote(drop_unquotable(path), shell == CommandShell::batch ? Percent::doubled : Percent::as_is);
}

// On a console line a defined %NAME% expands even inside quotes, and an
// undefined one stays as typed. Writing every '%' of an address between a
// closing and a reopening quote ("a"%"b") makes every name cmd.exe could
// look up begin with a double quote, which no variable has, while the C
// runtime joins the pieces again. The word arrives as typed whatever the
// environment holds. (A caret before such a '%' would not do: not every
// cmd.exe removes it.)
std::u16string protect_words(std::u16string_view address, CommandShell shell) {
    std::u16string out;
    out.reserve(address.size() + 16);
    std::size_t at = 0;
    while (at < address.size()) {
        if (is_separator(address[at])) {
            // A tab separates words as a space does; a console line carries
            // none (see encode_unquotable).
            out += shell == CommandShell::console ? u' ' : address[at];
            ++at;
            continue;
        }
        const Argument arg = scan_argument(address, at);
        out += protect_argument(address.substr(at, arg.end - at), arg.value, shell);
        at = arg.end;
    }
    return out;
}

std::u16string fit_batch_line(std::u16string_view line, const std::function<bool(char32_t)>& holds) {
    std::u16string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        const CodePoint cp = code_point_at(line, i);
        const std::u16string_view unit = line.substr(i, cp.units);
        i += cp.units;
        if (cp.value < 0x80 || holds(cp.value)) {
            out.append(unit);
            continue;
        }
        // A batch file reads "%%" as one literal '%', inside quotes or not.
        for (char byte : utf8_encode(unit)) {
            out += u'%';
            append_percent_byte(out, static_cast<unsigned char>(byte));
        }
    }
    return out;
}

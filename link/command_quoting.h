#pragma once
// Protection of address words and tool paths in command lines handed to
// cmd.exe, so that the tool receives each word unchanged as one argument
// and no other command can run, whatever the text holds.
//
// A protected word is written in double quotes, where cmd.exe takes every
// character literally except '%'. Characters that cannot be carried inside
// quotes at all (a literal double quote; CR, LF, Ctrl-Z and the other
// control characters, which end or disturb the line; on a console line also
// the tab, which starts file-name completion there) never reach the line
// raw: in an address they are percent-encoded as a URL would have them
// ('"' becomes %22), in a path (where Windows forbids them) they are left out.
#include <functional>
#include <string>
#include <string_view>

enum class CommandShell {
    batch,    // a line of a .bat file (percent signs doubled)
    console,  // a line typed or pasted into a console window
};

// True when cmd.exe would give `c` a meaning of its own (& | < > ^ ( ) % !,
// a double quote, a control character).
bool is_cmd_special(char16_t c);

// A tool path: protected when it holds a space or a character cmd.exe treats
// specially (or one that ends a command name: tab , ; =); otherwise returned
// byte for byte.
std::u16string protect_path(std::u16string_view path, CommandShell shell);
// An address: split into arguments as the tools' C runtime splits a command
// line (at spaces and tabs, double quotes grouping, as in a pasted rtmpdump
// command); each argument whose text holds a special character is rewritten
// so that the tool receives that same argument and cmd.exe acts on none of
// it. Every other word and every space stays as it is, and so does a tab
// between words in a batch line (a console line has a space there).
std::u16string protect_words(std::u16string_view address, CommandShell shell);

// One argument, spaces and all (a header value, an option with its value):
// the tool receives exactly `word`, with double quotes and control
// characters percent-encoded as protect_words writes them in an address.
std::u16string protect_word(std::u16string_view word, CommandShell shell);

// A protected batch line as the batch file's code page can carry it: every
// character outside ASCII that `holds` rejects (a code point) is written as
// its UTF-8 bytes, percent-encoded as in a URL and doubled for the batch
// file, so the tool receives "%D0%AF" for U+042F rather than a '?' or a
// look-alike.
std::u16string fit_batch_line(std::u16string_view line, const std::function<bool(char32_t)>& holds);

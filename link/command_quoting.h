#pragma once
// Protection of address words and tool paths in command lines handed to
// cmd.exe, so that the tool receives each word unchanged as one argument
// and no other command can run, whatever the text holds.
#include <string>
#include <string_view>

enum class CommandShell {
    batch,    // a line of a .bat file (percent signs doubled)
    console,  // a line typed or pasted into a console window
};

// A tool path: protected when it holds a space or a character cmd.exe treats
// specially; otherwise returned byte for byte.
std::u16string protect_path(std::u16string_view path, CommandShell shell);
// An address: each space-separated word that holds a special character is
// protected; every other word and every space stays as it is.
std::u16string protect_words(std::u16string_view address, CommandShell shell);

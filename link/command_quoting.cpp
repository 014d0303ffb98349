#include "link/command_quoting.h"

std::u16string protect_path(std::u16string_view path, CommandShell) { return std::u16string(path); }
std::u16string protect_words(std::u16string_view address, CommandShell) { return std::u16string(address); }

#pragma once
// Text operations on UTF-16 text used across the program. Positions are
// 1-based and count UTF-16 units; every search is exact case.
#include <cstddef>
#include <string>
#include <string_view>

// 1-based position of the first occurrence of `what` in `text`, 0 when absent.
std::size_t text_find(std::u16string_view text, std::u16string_view what);
bool text_contains(std::u16string_view text, std::u16string_view what);
// Leading and trailing spaces (U+0020 only) removed.
std::u16string trim_spaces(std::u16string_view text);
// All leading and trailing repetitions of `c` removed, nothing inside.
std::u16string trim_char(std::u16string_view text, char16_t c);
// Every occurrence of `c` removed.
std::u16string remove_char(std::u16string_view text, char16_t c);

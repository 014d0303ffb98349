#pragma once
// Text operations on UTF-16 text used across the program. Positions are
// 1-based and count UTF-16 units; every search is exact case unless its name says otherwise.
#include <cstddef>
#include <string>
#include <string_view>

// Letter case is ASCII only where asked for (the *_any_case functions):
// schemes, header names and list tags, never user text.
char16_t ascii_lower(char16_t c);
bool equal_any_case(std::u16string_view a, std::u16string_view b);
bool starts_with_any_case(std::u16string_view text, std::u16string_view prefix);
// 0-based index of the first occurrence of `what` at or after `from`, in any
// ASCII letter case; npos when absent.
std::size_t find_any_case(std::u16string_view text, std::u16string_view what, std::size_t from = 0);

// 1-based position of the first occurrence of `what` in `text`, 0 when absent.
std::size_t text_find(std::u16string_view text, std::u16string_view what);
bool text_contains(std::u16string_view text, std::u16string_view what);
// Leading and trailing spaces (U+0020 only) removed.
std::u16string trim_spaces(std::u16string_view text);
// All leading and trailing repetitions of `c` removed, nothing inside.
std::u16string trim_char(std::u16string_view text, char16_t c);
// Every occurrence of `c` removed.
std::u16string remove_char(std::u16string_view text, char16_t c);

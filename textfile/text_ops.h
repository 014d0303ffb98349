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

// UTF-8, the one conversion of the portable code (percent-encoded bytes in
// addresses and header values). A surrogate pair is one code point; a lone
// surrogate, which has no UTF-8 form, stands for U+FFFD.
struct CodePoint {
    char32_t value;     // a lone surrogate as itself
    std::size_t units;  // 1, or 2 for a pair
};
// The code point that begins at `at` (< text.size()).
CodePoint code_point_at(std::u16string_view text, std::size_t at);
std::string utf8_encode(std::u16string_view text);
// Each byte that cannot start or continue a character (a cut sequence, an
// overlong form, a surrogate, a value beyond U+10FFFF) gives one U+FFFD.
std::u16string utf8_decode(std::string_view bytes);

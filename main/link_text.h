#pragma once
// Text rules of the link list: cutting a picked line down to its content,
// cleaning loaded lines, the folder part of a chosen file.
#include <string>
#include <string_view>

// The text after the first `open`, up to the next `close` at or after it,
// with spaces, then double quotes, then apostrophes, then spaces trimmed
// from both ends. Empty when `open` is absent or no `close` follows it.
std::u16string text_between(std::u16string_view text, std::u16string_view open,
                            std::u16string_view close);

// A line as the link list stores it: tabs removed, outer spaces trimmed.
std::u16string clean_link_line(std::u16string_view line);

// Everything up to and including the last backslash or slash; empty when
// there is neither.
std::u16string folder_part(std::u16string_view path);

// A picked list line as it goes into the address field: cut down to the
// text between ">" and "<" when it holds both, otherwise unchanged.
std::u16string picked_link_text(std::u16string_view line);

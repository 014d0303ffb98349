#pragma once
// The rewriting of pasted addresses in its plainest form, built on the
// program's own rewriting table: every row applied to the whole text, left
// to right, one character at a time, with no shortcut. normalise_link must
// give the same text for every input; the fuzz target, a native test and the
// benchmark compare them.
#include "link/normalise_table.h"

#include <string>
#include <string_view>

namespace normalise_reference {

using namespace normalise_table;

inline bool matches_at(std::u16string_view text, std::size_t at, const Row& row) {
    if (at + row.search.size() > text.size()) return false;
    for (std::size_t k = 0; k < row.search.size(); ++k) {
        const char16_t a = text[at + k], b = row.search[k];
        if (row.letter_case == exact ? a != b : fold_ascii(a) != fold_ascii(b)) return false;
    }
    return true;
}

inline std::u16string apply(std::u16string_view text, const Row& row) {
    std::u16string out;
    bool replaced = false;
    for (std::size_t i = 0; i < text.size();) {
        if (!(replaced && row.count == first) && matches_at(text, i, row)) {
            out += row.replacement;
            i += row.search.size();
            replaced = true;
        } else {
            out += text[i++];
        }
    }
    return out;
}

template <std::size_t N>
std::u16string apply_all(std::u16string text, const Row (&rows)[N]) {
    for (const Row& row : rows) text = apply(text, row);
    return text;
}

inline std::u16string normalise(std::u16string_view address) {
    std::u16string text(address);
    if (text.find(cdata_open) != std::u16string::npos) text = apply_all(text, cdata_rows);
    text = apply_all(text, wrapper_rows);
    for (const Option& option : options)
        for (const Alias& alias : option.aliases)
            text = apply(text, {alias.text, option.replacement, alias_case(alias.text), alias.count});
    text = apply_all(text, live_rows);
    text = apply_all(text, space_rows);
    const std::size_t begin = text.find_first_not_of(u' ');
    if (begin == std::u16string::npos) return {};
    return text.substr(begin, text.find_last_not_of(u' ') - begin + 1);
}

}  // namespace normalise_reference

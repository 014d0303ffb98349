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
        const bool may = row.count == all || (row.count == first && !replaced) ||
                         (row.count == last && i + row.search.size() == text.size());
        if (may && matches_at(text, i, row)) {
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

// A pasted command line's lead: blanks, a first word (in double quotes or up
// to a blank) whose last path part is a program name, blanks, an address
// option, blanks. Nothing when neither the name nor the option is there.
inline std::size_t command_lead(std::u16string_view text) {
    const auto blanks_from = [&](std::size_t i) {
        while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
        return i;
    };
    const auto ends_word = [&](std::size_t i) { return i == text.size() || text[i] == u' ' || text[i] == u'\t'; };
    std::size_t at = blanks_from(0), lead = 0;
    const bool quoted = at < text.size() && text[at] == u'"';
    std::size_t i = at + (quoted ? 1 : 0), name = i;
    for (; i < text.size() && (quoted ? text[i] != u'"' : !ends_word(i)); ++i)
        if (text[i] == u'\\' || text[i] == u'/') name = i + 1;
    const std::u16string_view word = text.substr(name, i - name);
    if (quoted && i < text.size()) ++i;
    for (std::u16string_view program : program_names)
        if (word.size() == program.size() && matches_at(word, 0, {program, {}, any, all}) && ends_word(i))
            at = lead = blanks_from(i);
    for (std::u16string_view option : address_options)
        if (text.substr(at, option.size()) == option && at + option.size() < text.size() && ends_word(at + option.size()))
            lead = blanks_from(at + option.size());
    return lead;
}

inline std::u16string normalise(std::u16string_view address) {
    std::u16string text(address.substr(command_lead(address)));
    if (text.find(cdata_open) != std::u16string::npos) text = apply_all(text, cdata_rows);
    text = apply_all(text, wrapper_rows);
    for (const Option& option : options)
        for (const Alias& alias : option.aliases)
            text = apply(text, {alias.text, option.replacement, alias_case(alias.text), alias.count});
    text = apply_all(text, output_rows);
    text = apply_all(text, live_rows);
    text = apply_all(text, closing_tag_rows);
    text = apply_all(text, space_rows);
    const std::size_t begin = text.find_first_not_of(u' ');
    if (begin == std::u16string::npos) return {};
    return text.substr(begin, text.find_last_not_of(u' ') - begin + 1);
}

}  // namespace normalise_reference

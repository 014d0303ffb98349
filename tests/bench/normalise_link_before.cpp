// normalise_link as it was before rows that find nothing became cheap: the
// benchmark's reference, so that old and new are timed in the same run on
// the same machine. Not part of the program.
#include "tests/bench/normalise_link_before.h"

#include "link/normalise_table.h"

#include "textfile/text_ops.h"

#include <cstddef>
#include <utility>

namespace {

using namespace normalise_table;

bool matches_at(std::u16string_view text, std::size_t at, const Row& row) {
    const std::u16string_view s = row.search;
    if (row.letter_case == exact) return text.compare(at, s.size(), s) == 0;
    for (std::size_t k = 0; k < s.size(); ++k) {
        if (fold_ascii(text[at + k]) != fold_ascii(s[k])) return false;
    }
    return true;
}

constexpr std::size_t none = std::u16string_view::npos;

std::size_t find_from(std::u16string_view text, std::size_t from, const Row& row) {
    const std::size_t m = row.search.size();
    if (m == 0 || m > text.size()) return none;
    const std::size_t last = text.size() - m;
    const char16_t head = fold_ascii(row.search[0]);
    const bool fold = row.letter_case == any;
    for (std::size_t i = from; i <= last; ++i) {
        const char16_t c = fold ? fold_ascii(text[i]) : text[i];
        if (c == head && matches_at(text, i, row)) return i;
    }
    return none;
}

// One left-to-right pass into a fresh buffer: linear in the text, and the
// replacement is never looked at again by this row.
std::u16string apply_row(std::u16string text, const Row& row) {
    std::size_t at = find_from(text, 0, row);
    if (at == none) return text;
    std::u16string out;
    out.reserve(text.size() + row.replacement.size());
    std::size_t done = 0;
    while (at != none) {
        out.append(text, done, at - done);
        out.append(row.replacement);
        done = at + row.search.size();
        if (row.count == first) break;
        at = find_from(text, done, row);
    }
    out.append(text, done);
    return out;
}

template <std::size_t N>
std::u16string apply_rows(std::u16string text, const Row (&rows)[N]) {
    for (const Row& row : rows) text = apply_row(std::move(text), row);
    return text;
}

}  // namespace

std::u16string normalise_link_before(std::u16string_view address) {
    std::u16string text(address);
    if (text_contains(text, cdata_open)) text = apply_rows(std::move(text), cdata_rows);
    text = apply_rows(std::move(text), wrapper_rows);
    for (const Option& option : options) {
        for (const Alias& alias : option.aliases) {
            const Row row{alias.text, option.replacement, alias_case(alias.text), alias.count};
            text = apply_row(std::move(text), row);
        }
    }
    text = apply_rows(std::move(text), live_rows);
    text = apply_rows(std::move(text), space_rows);
    return trim_spaces(text);
}

#include "link/normalise_link.h"
#include "link/normalise_table.h"

#include "textfile/text_ops.h"

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>

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

// The two units a search unit matches under the row's letter case (the
// same unit twice when it has no other case).
struct Forms {
    std::uint16_t a, b;
};
Forms forms(char16_t c, LetterCase letter_case) {
    if (letter_case == exact || !is_ascii_letter(c)) return {c, c};
    const char16_t lower = fold_ascii(c);
    return {lower, static_cast<char16_t>(lower - u'a' + u'A')};
}

// Eight units side by side; plain GCC vector arithmetic, no target intrinsics.
using Lanes = std::uint16_t __attribute__((vector_size(16)));
constexpr std::size_t lane_count = sizeof(Lanes) / sizeof(std::uint16_t);

Lanes load(const char16_t* at) {
    Lanes v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

// Long pasted texts are searched once per row, so the search looks at eight
// starts at a time and compares the whole search text only where its first,
// second and last units all fit (search texts are at least two units long).
std::size_t find_from(std::u16string_view text, std::size_t from, const Row& row) {
    const std::size_t m = row.search.size();
    if (m == 0 || m > text.size() || from > text.size() - m) return none;
    const std::size_t last = text.size() - m;
    std::size_t i = from;
    if (m >= 2) {
        const Forms head = forms(row.search[0], row.letter_case);
        const Forms next = forms(row.search[1], row.letter_case);
        const Forms tail = forms(row.search[m - 1], row.letter_case);
        const char16_t* units = text.data();
        for (; i + lane_count - 1 <= last; i += lane_count) {
            const Lanes a = load(units + i);
            const Lanes b = load(units + i + 1);
            const Lanes z = load(units + i + m - 1);
            const auto hit = ((a == head.a) | (a == head.b)) & ((b == next.a) | (b == next.b)) &
                             ((z == tail.a) | (z == tail.b));
            std::uint64_t halves[2];
            std::memcpy(halves, &hit, sizeof halves);
            if ((halves[0] | halves[1]) == 0) continue;
            for (std::size_t k = 0; k < lane_count; ++k) {
                if (hit[k] && matches_at(text, i + k, row)) return i + k;
            }
        }
    }
    for (; i <= last; ++i) {
        if (matches_at(text, i, row)) return i;
    }
    return none;
}

// The pairs of neighbouring units the text may hold, ASCII letters folded
// and every unit above ASCII counted as one: a search text with a pair the
// text lacks cannot occur, and its row costs no search at all. Rows only add
// pairs (at the seams of their replacements); a pair a row removes stays in
// the set, which costs a search, never a match.
constexpr std::size_t unit_classes = 129;
using PairSet = std::bitset<unit_classes * unit_classes>;

std::size_t pair_index(char16_t a, char16_t b) {
    const auto unit_class = [](char16_t c) -> std::size_t { return c < 128 ? fold_ascii(c) : 128; };
    return unit_class(a) * unit_classes + unit_class(b);
}

void add_pairs(PairSet& pairs, std::u16string_view text) {
    for (std::size_t i = 1; i < text.size(); ++i) pairs.set(pair_index(text[i - 1], text[i]));
}

bool may_occur(const PairSet& pairs, std::u16string_view search) {
    for (std::size_t i = 1; i < search.size(); ++i) {
        if (!pairs.test(pair_index(search[i - 1], search[i]))) return false;
    }
    return true;
}

// One left-to-right pass, so a replacement is never looked at again by its
// own row. A row that finds nothing costs at most its one search; otherwise
// the result is built in `spare`, whose buffer the next row reuses.
void apply_row(std::u16string& text, std::u16string& spare, PairSet& pairs, const Row& row) {
    if (!may_occur(pairs, row.search)) return;
    const std::size_t m = row.search.size();
    std::size_t at = row.count != last ? find_from(text, 0, row)
                     : m <= text.size() && matches_at(text, text.size() - m, row) ? text.size() - m
                                                                                   : none;
    if (at == none) return;
    spare.clear();
    bool seam = false;  // the end of `spare` meets whatever comes next for the first time
    const auto put = [&](std::u16string_view piece) {
        if (piece.empty()) return;
        if (seam && !spare.empty()) pairs.set(pair_index(spare.back(), piece.front()));
        seam = false;
        spare.append(piece);
    };
    const std::u16string_view source = text;
    std::size_t done = 0;
    while (at != none) {
        put(source.substr(done, at - done));
        seam = true;
        put(row.replacement);
        seam = true;
        done = at + m;
        if (row.count != all) break;
        at = find_from(text, done, row);
    }
    put(source.substr(done));
    add_pairs(pairs, row.replacement);
    text.swap(spare);
}

template <std::size_t N>
void apply_rows(std::u16string& text, std::u16string& spare, PairSet& pairs, const Row (&rows)[N]) {
    for (const Row& row : rows) apply_row(text, spare, pairs, row);
}

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::size_t after_blanks(std::u16string_view text, std::size_t at) {
    while (at < text.size() && is_blank(text[at])) ++at;
    return at;
}

// A pasted rtmpdump command line without what the program writes itself:
// the program's name as its first word (in double quotes or not) and an
// address option in front of the address, with the blanks behind each.
// Any other text comes back whole.
std::u16string_view without_command_lead(std::u16string_view text) {
    std::size_t at = after_blanks(text, 0);
    const bool quoted = at < text.size() && text[at] == u'"';
    const std::size_t begin = at + (quoted ? 1 : 0);
    const std::size_t end = std::min(quoted ? text.find(u'"', begin) : text.find_first_of(u" \t", begin), text.size());
    const std::size_t next = std::min(end + (quoted ? 1 : 0), text.size());
    std::u16string_view name = text.substr(begin, end - begin);
    name.remove_prefix(name.find_last_of(u"\\/") + 1);  // npos + 1 is 0: no folder
    bool cut = false;
    for (std::u16string_view program : program_names) {
        const bool same = name.size() == program.size() && matches_at(name, 0, {program, {}, any, all});
        if (same && (next == text.size() || is_blank(text[next]))) {
            at = after_blanks(text, next);
            cut = true;
            break;
        }
    }
    for (std::u16string_view option : address_options) {
        const std::size_t behind = at + option.size();
        if (text.substr(at, option.size()) == option && behind < text.size() && is_blank(text[behind])) {
            at = after_blanks(text, behind);
            cut = true;
            break;
        }
    }
    return cut ? text.substr(at) : text;
}

}  // namespace

std::u16string normalise_link(std::u16string_view address) {
    std::u16string text(without_command_lead(address));
    std::u16string spare;
    PairSet pairs;
    add_pairs(pairs, text);
    if (text_contains(text, cdata_open)) apply_rows(text, spare, pairs, cdata_rows);
    apply_rows(text, spare, pairs, wrapper_rows);
    for (const Option& option : options) {
        for (const Alias& alias : option.aliases) {
            apply_row(text, spare, pairs, {alias.text, option.replacement, alias_case(alias.text), alias.count});
        }
    }
    apply_rows(text, spare, pairs, output_rows);
    apply_rows(text, spare, pairs, live_rows);
    apply_rows(text, spare, pairs, closing_tag_rows);
    apply_rows(text, spare, pairs, space_rows);
    return trim_spaces(text);
}

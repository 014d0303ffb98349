// normalise_link as it was before rows that find nothing became cheap: the
// benchmark's reference, so that old and new are timed in the same run on
// the same machine. Not part of the program.
#include "tests/bench/normalise_link_before.h"

#include "textfile/text_ops.h"

#include <cstddef>
#include <utility>

namespace {

enum class LetterCase { exact, any };  // any: ASCII A-Z/a-z only, nothing else folds
enum class Count { all, first };

constexpr auto exact = LetterCase::exact;
constexpr auto any = LetterCase::any;
constexpr auto all = Count::all;
constexpr auto first = Count::first;

struct Row {
    std::u16string_view search;
    std::u16string_view replacement;
    LetterCase letter_case;
    Count count;
};

constexpr bool is_ascii_letter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

constexpr char16_t fold_ascii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Steps 1 to 4: wrappers around the real address. The CDATA rows run only
// when the text holds an opening "<![CDATA[" in exact case.
constexpr std::u16string_view cdata_open = u"<![CDATA[";
constexpr Row cdata_rows[] = {
    {u"<![CDATA[", u"", any, all},
    {u"]]>", u"", any, all},
};
constexpr Row wrapper_rows[] = {
    {u"http://127.0.0.1/cgi-bin/rtmp.cgi?", u"", any, first},
    {u"rtmp://$OPT:", u"", any, all},
    {u"rtmp-raw=", u"", any, all},
};

// Step 5: option aliases. Each alias is applied in the order listed; its
// letter case follows from its form (see alias_case), its count is "all"
// unless marked first.
struct Alias {
    std::u16string_view text;
    Count count = all;
};
struct Option {
    std::u16string_view replacement;
    Alias aliases[5];
};
constexpr Option options[] = {
    {u" --swfUrl ",   {{u" swfUrl="},   {u"<swfUrl>"},   {u" s=", first}, {u" -s", first}, {u"&swfUrl="}}},
    {u" --swfVfy ",   {{u" swfVfy="},   {u"<swfVfy>"},   {u" W=", first}, {u"&swfVfy="}, {u" -W", first}}},
    {u" --timeout ",  {{u" timeout="},  {u"<timeout>"},  {u" m="}, {u"&timeout="},  {u" -m"}}},
    {u" --tcUrl ",    {{u" tcUrl="},    {u"<tcUrl>"},    {u" t="}, {u"&tcUrl="},    {u" -t"}}},
    {u" --pageUrl ",  {{u" pageUrl="},  {u"<pageUrl>"},  {u" p="}, {u"&pageUrl="},  {u" -p"}}},
    {u" --playpath ", {{u" playpath="}, {u"<playpath>"}, {u" y="}, {u"&playpath="}, {u" -y"}}},
    {u" --swfhash ",  {{u" swfhash="},  {u"<swfhash>"},  {u" w="}, {u"&swfhash="},  {u" -w"}}},
    {u" --swfsize ",  {{u" swfsize="},  {u"<swfsize>"},  {u" x="}, {u"&swfsize="},  {u" -x"}}},
    {u" --app ",      {{u" app="},      {u"<app>"},      {u" a="}, {u"&app="},      {u" -a"}}},
    {u" --token ",    {{u" token="},    {u"<token>"},    {u" T="}, {u"&token="},    {u" -T"}}},
    {u" --buffer ",   {{u" buffer="},   {u"<buffer>"},   {u" b="}, {u"&buffer="},   {u" -b"}}},
    {u" --host ",     {{u" host="},     {u"<host>"},     {u" n="}, {u"&host="},     {u" -n"}}},
    {u" --flashVer ", {{u" flashVer="}, {u"<flashVer>"}, {u" f="}, {u"&flashVer="}, {u" -f"}}},
    {u" --verbose ",  {{u" verbose="},  {u"<verbose>"},  {u" V="}, {u"&verbose"},   {u" -V"}}},
};

// Single-letter aliases (" x=" and " -x") keep letter case so that -t/-T,
// -w/-W and -v/-V stay apart; option names match in any case.
constexpr LetterCase alias_case(std::u16string_view a) {
    const bool letter_form = a.size() == 3 && a[0] == u' ' && is_ascii_letter(a[1]) && a[2] == u'=';
    const bool dash_form = a.size() == 3 && a[0] == u' ' && a[1] == u'-' && is_ascii_letter(a[2]);
    return (letter_form || dash_form) ? exact : any;
}

// Step 6: the live flag. The value rows come before the general " live="
// and "&live=" so that 0/false vanish and 1 leaves no stray "1".
constexpr Row live_rows[] = {
    {u"&live=0",    u" ",        any,   all},
    {u"&live=1",    u" --live ", any,   all},
    {u" live=1 ",   u" --live ", any,   all},
    {u"&live=true", u" --live ", any,   all},
    {u"&live=false", u" ",       any,   all},
    {u"&live ",     u" --live ", any,   all},
    {u" live=",     u" --live ", any,   all},
    {u"<live>",     u" --live ", any,   all},
    {u" v=",        u" --live ", exact, first},
    {u"&live=",     u" --live ", any,   all},
    {u" -v",        u" --live ", exact, first},
};

// Step 7: one pass each, so runs of more than ten spaces can leave two.
constexpr Row space_rows[] = {
    {u"    ", u" ", exact, all},
    {u"   ",  u" ", exact, all},
    {u"  ",   u" ", exact, all},
};

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

#include "link/normalise_link.h"

#include "textfile/text_ops.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// The rewriting table. Each row is one left-to-right pass over the whole
// text: where the search text starts, the replacement is written and the
// pass goes on behind the match, so a row never sees its own replacement;
// the next row works on what this one left.
enum class LetterCase { exact, any };  // any: ASCII A-Z/a-z only, nothing else folds
enum class Count {
    all,        // every occurrence
    first,      // only the first occurrence from the start
    at_the_end  // only an occurrence that ends the text
};

constexpr auto exact = LetterCase::exact;
constexpr auto any = LetterCase::any;
constexpr auto all = Count::all;
constexpr auto first = Count::first;
constexpr auto at_the_end = Count::at_the_end;

struct Row {
    std::u16string_view search;
    std::u16string_view replacement;
    LetterCase letter_case;
    Count count;
};

// Wrappers around the real address. The CDATA rows run only when the text
// holds an opening "<![CDATA[" in exact case.
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

// A closing tag of an option ends its value as a space does, before the
// aliases run, so that whatever follows it is read as it would be behind a
// space. Other closing tags stay.
constexpr Row closing_tag_rows[] = {
    {u"</swfUrl>", u" ", any, all},   {u"</swfVfy>", u" ", any, all},  {u"</timeout>", u" ", any, all},
    {u"</tcUrl>", u" ", any, all},    {u"</pageUrl>", u" ", any, all}, {u"</playpath>", u" ", any, all},
    {u"</swfhash>", u" ", any, all},  {u"</swfsize>", u" ", any, all}, {u"</app>", u" ", any, all},
    {u"</token>", u" ", any, all},    {u"</buffer>", u" ", any, all},  {u"</host>", u" ", any, all},
    {u"</flashVer>", u" ", any, all}, {u"</verbose>", u" ", any, all}, {u"</live>", u" ", any, all},
};

// Option aliases, each applied in the order listed. Single-letter aliases
// (" x=" and " -x") keep letter case so that -t/-T, -w/-W and -v/-V stay
// apart; option names match in any case.
struct Option {
    std::u16string_view replacement;
    Row aliases[5];
};
constexpr Option options[] = {
    {u" --swfUrl ", {{u" swfUrl=", {}, any, all}, {u"<swfUrl>", {}, any, all}, {u" s=", {}, exact, first},
                     {u" -s", {}, exact, first}, {u"&swfUrl=", {}, any, all}}},
    {u" --swfVfy ", {{u" swfVfy=", {}, any, all}, {u"<swfVfy>", {}, any, all}, {u" W=", {}, exact, first},
                     {u"&swfVfy=", {}, any, all}, {u" -W", {}, exact, first}}},
    {u" --timeout ", {{u" timeout=", {}, any, all}, {u"<timeout>", {}, any, all}, {u" m=", {}, exact, all},
                      {u"&timeout=", {}, any, all}, {u" -m", {}, exact, all}}},
    {u" --tcUrl ", {{u" tcUrl=", {}, any, all}, {u"<tcUrl>", {}, any, all}, {u" t=", {}, exact, all},
                    {u"&tcUrl=", {}, any, all}, {u" -t", {}, exact, all}}},
    {u" --pageUrl ", {{u" pageUrl=", {}, any, all}, {u"<pageUrl>", {}, any, all}, {u" p=", {}, exact, all},
                      {u"&pageUrl=", {}, any, all}, {u" -p", {}, exact, all}}},
    {u" --playpath ", {{u" playpath=", {}, any, all}, {u"<playpath>", {}, any, all}, {u" y=", {}, exact, all},
                       {u"&playpath=", {}, any, all}, {u" -y", {}, exact, all}}},
    {u" --swfhash ", {{u" swfhash=", {}, any, all}, {u"<swfhash>", {}, any, all}, {u" w=", {}, exact, all},
                      {u"&swfhash=", {}, any, all}, {u" -w", {}, exact, all}}},
    {u" --swfsize ", {{u" swfsize=", {}, any, all}, {u"<swfsize>", {}, any, all}, {u" x=", {}, exact, all},
                      {u"&swfsize=", {}, any, all}, {u" -x", {}, exact, all}}},
    {u" --app ", {{u" app=", {}, any, all}, {u"<app>", {}, any, all}, {u" a=", {}, exact, all},
                  {u"&app=", {}, any, all}, {u" -a", {}, exact, all}}},
    {u" --token ", {{u" token=", {}, any, all}, {u"<token>", {}, any, all}, {u" T=", {}, exact, all},
                    {u"&token=", {}, any, all}, {u" -T", {}, exact, all}}},
    {u" --buffer ", {{u" buffer=", {}, any, all}, {u"<buffer>", {}, any, all}, {u" b=", {}, exact, all},
                     {u"&buffer=", {}, any, all}, {u" -b", {}, exact, all}}},
    {u" --host ", {{u" host=", {}, any, all}, {u"<host>", {}, any, all}, {u" n=", {}, exact, all},
                   {u"&host=", {}, any, all}, {u" -n", {}, exact, all}}},
    {u" --flashVer ", {{u" flashVer=", {}, any, all}, {u"<flashVer>", {}, any, all}, {u" f=", {}, exact, all},
                       {u"&flashVer=", {}, any, all}, {u" -f", {}, exact, all}}},
    {u" --verbose ", {{u" verbose=", {}, any, all}, {u"<verbose>", {}, any, all}, {u" V=", {}, exact, all},
                      {u"&verbose", {}, any, all}, {u" -V", {}, exact, all}}},
};

// An output file would take the stream away from the player: the output
// goes back to standard output, and the file's name is left as a word
// rtmpdump ignores. An output already on standard output ("-o -") first
// loses its "-", so that it is not given a second one.
constexpr Row output_rows[] = {
    {u" -o - ", u" -o ", exact, all},
    {u" -o -", u" -o ", exact, at_the_end},
    {u" --flv - ", u" --flv ", exact, all},
    {u" --flv -", u" --flv ", exact, at_the_end},
    {u" -o ", u" -o - ", exact, all},
    {u" --flv ", u" --flv - ", exact, all},
};

// The live flag. The value rows come before the general " live=" and
// "&live=" so that 0/false vanish and 1 leaves no stray "1".
constexpr Row live_rows[] = {
    {u"&live=0",     u" ",        any,   all},
    {u"&live=1",     u" --live ", any,   all},
    {u" live=1 ",    u" --live ", any,   all},
    {u"&live=true",  u" --live ", any,   all},
    {u"&live=false", u" ",        any,   all},
    {u"&live ",      u" --live ", any,   all},
    {u"&live",       u" --live ", any,   at_the_end},
    {u" live=",      u" --live ", any,   all},
    {u"<live>",      u" --live ", any,   all},
    {u" v=",         u" --live ", exact, first},
    {u"&live=",      u" --live ", any,   all},
    {u" -v",         u" --live ", exact, first},
};

// Spaces: one pass each, so runs of more than ten spaces can leave two.
constexpr Row space_rows[] = {
    {u"    ", u" ", exact, all},
    {u"   ",  u" ", exact, all},
    {u"  ",   u" ", exact, all},
};

bool same_text(std::u16string_view a, std::u16string_view b, LetterCase letter_case) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (letter_case == exact ? a[k] != b[k] : ascii_lower(a[k]) != ascii_lower(b[k])) return false;
    }
    return true;
}

bool matches_at(std::u16string_view text, std::size_t at, const Row& row) {
    return at + row.search.size() <= text.size() &&
           same_text(text.substr(at, row.search.size()), row.search, row.letter_case);
}

// Where the row's next match starts, at or behind `from`; npos when none.
std::size_t next_match(std::u16string_view text, std::size_t from, const Row& row) {
    if (row.count == at_the_end) {
        const std::size_t at = text.size() - std::min(text.size(), row.search.size());
        return at >= from && matches_at(text, at, row) ? at : std::u16string_view::npos;
    }
    for (std::size_t at = from; at + row.search.size() <= text.size(); ++at) {
        if (matches_at(text, at, row)) return at;
    }
    return std::u16string_view::npos;
}

std::u16string apply_row(std::u16string_view text, const Row& row) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t done = 0;
    for (std::size_t at = next_match(text, 0, row); at != std::u16string_view::npos;
         at = row.count == all ? next_match(text, done, row) : std::u16string_view::npos) {
        out.append(text.substr(done, at - done));
        out.append(row.replacement);
        done = at + row.search.size();
    }
    out.append(text.substr(done));
    return out;
}

template <std::size_t N>
void apply_rows(std::u16string& text, const Row (&rows)[N]) {
    for (const Row& row : rows) text = apply_row(text, row);
}

// A pasted rtmpdump command line. Its words are split as the C runtime
// splits a command line, blanks outside double quotes ending a word.
struct Word {
    std::size_t begin, end;
};

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::vector<Word> split_words(std::u16string_view text) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && is_blank(text[i])) ++i;
        if (i == text.size()) return words;
        const std::size_t begin = i;
        bool quoted = false;
        while (i < text.size() && (quoted || !is_blank(text[i]))) {
            if (text[i] == u'"') quoted = !quoted;
            ++i;
        }
        words.push_back({begin, i});
    }
}

std::u16string_view unquoted(std::u16string_view word) {
    if (word.size() >= 2 && word.front() == u'"' && word.back() == u'"') return word.substr(1, word.size() - 2);
    return word;
}

// The program's own name (a path ending in it, any letter case, in double
// quotes or not). An address is never the program, whatever its last part.
bool names_the_program(std::u16string_view word) {
    word = unquoted(word);
    if (word.find(u"://") != std::u16string_view::npos) return false;
    const std::size_t folder_end = word.find_last_of(u"\\/");
    if (folder_end != std::u16string_view::npos) word.remove_prefix(folder_end + 1);
    return same_text(word, u"rtmpdump", any) || same_text(word, u"rtmpdump.exe", any);
}

// The options that name the address: "-r"/"--rtmp" with the address alone,
// "-i"/"--url" with the address and its options in one word.
bool is_address_option(std::u16string_view word) {
    return word == u"-r" || word == u"--rtmp" || word == u"-i" || word == u"--url";
}

// The program writes its own "-r" in front of the address, so a pasted
// command line loses the program's name and its address option, and the
// address comes first, wherever it stood among the options; the options
// before and behind it follow, each with the space in front that its alias
// needs. An address-with-options loses its quotes so that its options are
// read as any others. Any other text comes back whole.
std::u16string address_first(std::u16string_view text) {
    const std::vector<Word> words = split_words(text);
    const auto word = [&](std::size_t k) {
        return text.substr(words[k].begin, words[k].end - words[k].begin);
    };
    const bool program = !words.empty() && names_the_program(word(0));
    // Behind the program's name, from its next word on.
    const std::size_t options_begin = program ? 1 : 0;
    const std::size_t rest = options_begin < words.size() ? words[options_begin].begin : text.size();
    const bool options_first = options_begin < words.size() && word(options_begin).starts_with(u'-');
    for (std::size_t k = options_begin; options_first && k + 1 < words.size(); ++k) {
        if (!is_address_option(word(k))) continue;
        const bool with_options = word(k) == u"-i" || word(k) == u"--url";
        std::u16string out(with_options ? unquoted(word(k + 1)) : word(k + 1));
        out += u' ';
        out += text.substr(rest, words[k].begin - rest);
        out += u' ';
        out += text.substr(words[k + 1].end);
        return out;
    }
    return std::u16string(program ? text.substr(rest) : text);
}

}  // namespace

std::u16string normalise_link(std::u16string_view address) {
    std::u16string text = address_first(address);
    if (text_contains(text, cdata_open)) apply_rows(text, cdata_rows);
    apply_rows(text, wrapper_rows);
    apply_rows(text, closing_tag_rows);
    for (const Option& option : options) {
        for (Row alias : option.aliases) {
            alias.replacement = option.replacement;
            text = apply_row(text, alias);
        }
    }
    apply_rows(text, output_rows);
    apply_rows(text, live_rows);
    apply_rows(text, space_rows);
    return trim_spaces(text);
}

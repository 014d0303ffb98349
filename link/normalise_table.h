#pragma once
// The rewriting table of normalise_link, in its order, as data: one place
// for the program and for anything that must walk the same rows.
#include <string_view>

namespace normalise_table {

enum class LetterCase { exact, any };  // any: ASCII A-Z/a-z only, nothing else folds
enum class Count { all, first, last };  // last: only where the text ends

constexpr auto exact = LetterCase::exact;
constexpr auto any = LetterCase::any;
constexpr auto all = Count::all;
constexpr auto first = Count::first;
constexpr auto last = Count::last;

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

// Before everything: a pasted rtmpdump command line loses its first word
// when that names the program (a path ending in one of these, any letter
// case, in double quotes or not), and then a leading address option; the
// program writes its own "-r" in front of the address.
constexpr std::u16string_view program_names[] = {u"rtmpdump", u"rtmpdump.exe"};
constexpr std::u16string_view address_options[] = {u"-r", u"--rtmp"};

// Wrappers around the real address. The CDATA rows run only
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

// Option aliases. Each alias is applied in the order listed; its
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

// An output file would take the stream away from the player: the output
// goes back to standard output, and the file's name is left as a word
// rtmpdump ignores.
constexpr Row output_rows[] = {
    {u" -o ", u" -o - ", exact, all},
    {u" --flv ", u" --flv - ", exact, all},
};

// The live flag. The value rows come before the general " live="
// and "&live=" so that 0/false vanish and 1 leaves no stray "1".
constexpr Row live_rows[] = {
    {u"&live=0",    u" ",        any,   all},
    {u"&live=1",    u" --live ", any,   all},
    {u" live=1 ",   u" --live ", any,   all},
    {u"&live=true", u" --live ", any,   all},
    {u"&live=false", u" ",       any,   all},
    {u"&live ",     u" --live ", any,   all},
    {u"&live",      u" --live ", any,   last},
    {u" live=",     u" --live ", any,   all},
    {u"<live>",     u" --live ", any,   all},
    {u" v=",        u" --live ", exact, first},
    {u"&live=",     u" --live ", any,   all},
    {u" -v",        u" --live ", exact, first},
};

// A closing tag of an option ends its value as a space does.
constexpr Row closing_tag_rows[] = {
    {u"</swfUrl>", u" ", any, all},   {u"</swfVfy>", u" ", any, all},  {u"</timeout>", u" ", any, all},
    {u"</tcUrl>", u" ", any, all},    {u"</pageUrl>", u" ", any, all}, {u"</playpath>", u" ", any, all},
    {u"</swfhash>", u" ", any, all},  {u"</swfsize>", u" ", any, all}, {u"</app>", u" ", any, all},
    {u"</token>", u" ", any, all},    {u"</buffer>", u" ", any, all},  {u"</host>", u" ", any, all},
    {u"</flashVer>", u" ", any, all}, {u"</verbose>", u" ", any, all}, {u"</live>", u" ", any, all},
};

// Spaces: one pass each, so runs of more than ten spaces can leave two.
constexpr Row space_rows[] = {
    {u"    ", u" ", exact, all},
    {u"   ",  u" ", exact, all},
    {u"  ",   u" ", exact, all},
};

}  // namespace normalise_table

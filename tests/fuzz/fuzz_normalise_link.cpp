// normalise_link against a plain model of its rewriting table (row by row,
// character by character), plus properties that hold whatever the table:
// no character outside the table's alphabet is lost, added or moved; no
// outer spaces; bounded growth; run time linear in the length.
#include "link/normalise_link.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

struct Row {
    std::u16string_view search;
    std::u16string_view replacement;
    bool any_case = true;
    bool first_only = false;
};

char16_t fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

std::u16string apply(const std::u16string& text, const Row& row) {
    std::u16string out;
    bool done = false;
    const std::size_t m = row.search.size();
    for (std::size_t i = 0; i < text.size();) {
        bool match = !done && i + m <= text.size();
        for (std::size_t k = 0; match && k < m; ++k)
            match = row.any_case ? fold(text[i + k]) == fold(row.search[k]) : text[i + k] == row.search[k];
        if (match) {
            out += row.replacement;
            i += m;
            done = row.first_only;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// Single-letter aliases keep letter case; everything else matches in any case.
constexpr bool kExact = false;
constexpr bool kFirst = true;

std::vector<Row> table() {
    std::vector<Row> rows = {
        {u"<![CDATA[", u""}, {u"]]>", u""},  // only with an exact "<![CDATA[" in the text
        {u"http://127.0.0.1/cgi-bin/rtmp.cgi?", u"", true, kFirst},
        {u"rtmp://$OPT:", u""}, {u"rtmp-raw=", u""},
    };
    struct Option {
        std::u16string_view replacement, key, tag, letter, query, dash;
    };
    static constexpr Option options[] = {
        {u" --swfUrl ", u" swfUrl=", u"<swfUrl>", u" s=", u"&swfUrl=", u" -s"},
        {u" --swfVfy ", u" swfVfy=", u"<swfVfy>", u" W=", u"&swfVfy=", u" -W"},
        {u" --timeout ", u" timeout=", u"<timeout>", u" m=", u"&timeout=", u" -m"},
        {u" --tcUrl ", u" tcUrl=", u"<tcUrl>", u" t=", u"&tcUrl=", u" -t"},
        {u" --pageUrl ", u" pageUrl=", u"<pageUrl>", u" p=", u"&pageUrl=", u" -p"},
        {u" --playpath ", u" playpath=", u"<playpath>", u" y=", u"&playpath=", u" -y"},
        {u" --swfhash ", u" swfhash=", u"<swfhash>", u" w=", u"&swfhash=", u" -w"},
        {u" --swfsize ", u" swfsize=", u"<swfsize>", u" x=", u"&swfsize=", u" -x"},
        {u" --app ", u" app=", u"<app>", u" a=", u"&app=", u" -a"},
        {u" --token ", u" token=", u"<token>", u" T=", u"&token=", u" -T"},
        {u" --buffer ", u" buffer=", u"<buffer>", u" b=", u"&buffer=", u" -b"},
        {u" --host ", u" host=", u"<host>", u" n=", u"&host=", u" -n"},
        {u" --flashVer ", u" flashVer=", u"<flashVer>", u" f=", u"&flashVer=", u" -f"},
        {u" --verbose ", u" verbose=", u"<verbose>", u" V=", u"&verbose", u" -V"},
    };
    for (std::size_t i = 0; i < std::size(options); ++i) {
        const Option& o = options[i];
        // swfUrl and swfVfy take only their first letter and dash form.
        const bool first = i < 2;
        const Row key{o.key, o.replacement}, tag{o.tag, o.replacement}, query{o.query, o.replacement};
        const Row letter{o.letter, o.replacement, kExact, first}, dash{o.dash, o.replacement, kExact, first};
        if (i == 0)
            rows.insert(rows.end(), {key, tag, letter, dash, query});
        else
            rows.insert(rows.end(), {key, tag, letter, query, dash});
    }
    rows.insert(rows.end(), {
        {u"&live=0", u" "}, {u"&live=1", u" --live "}, {u" live=1 ", u" --live "},
        {u"&live=true", u" --live "}, {u"&live=false", u" "}, {u"&live ", u" --live "},
        {u" live=", u" --live "}, {u"<live>", u" --live "}, {u" v=", u" --live ", kExact, kFirst},
        {u"&live=", u" --live "}, {u" -v", u" --live ", kExact, kFirst},
        {u"    ", u" ", kExact}, {u"   ", u" ", kExact}, {u"  ", u" ", kExact},
    });
    return rows;
}

std::u16string model(std::u16string text) {
    static const std::vector<Row> rows = table();
    const bool cdata = text.find(u"<![CDATA[") != std::u16string::npos;
    for (std::size_t i = cdata ? 0 : 2; i < rows.size(); ++i) text = apply(text, rows[i]);
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// Characters that occur in no search or replacement text of the table.
bool outside_table(char16_t c) {
    if (c >= 0x80) return true;
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return false;
    return std::u16string_view(u" <>&=-:/$.?[]!0127").find(c) == std::u16string_view::npos;
}

std::u16string outside_only(std::u16string_view s) {
    std::u16string out;
    std::copy_if(s.begin(), s.end(), std::back_inserter(out), outside_table);
    return out;
}

double cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Least of a few runs: other load on the machine only ever adds time.
double least_time(const std::u16string& text) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const double start = cpu_seconds();
        const std::u16string out = normalise_link(text);
        best = std::min(best, cpu_seconds() - start);
        if (out.size() > 6 * text.size()) std::abort();  // keeps the call from being optimised away
    }
    return best;
}

// The input repeated to about 1,000 and to eight times as many units. A
// linear rewrite takes about eight times as long for the longer text, a
// quadratic one about 64 times; the bound of 24 leaves room for noise both ways.
void check_linear(const std::u16string& piece) {
    std::u16string small;
    while (small.size() < 1000) small += piece;
    std::u16string large;
    for (int i = 0; i < 8; ++i) large += small;
    const double t_small = least_time(small);
    const double t_large = least_time(large);
    FUZZ_CHECK(t_large <= 24 * t_small + 1e-4,
               "time for " + std::to_string(small.size()) + " units: " + std::to_string(t_small) + " s, for " +
                   std::to_string(large.size()) + ": " + std::to_string(t_large) + " s");
}

std::uint32_t fnv(const std::uint8_t* data, std::size_t size) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string in = fuzz::text(data, size);
    const std::u16string out = normalise_link(in);
    const std::u16string expected = model(in);
    FUZZ_CHECK(out == expected, "in: " + fuzz::show(in) + "\nout: " + fuzz::show(out) +
                                    "\nmodel: " + fuzz::show(expected));
    FUZZ_CHECK(out.empty() || (out.front() != u' ' && out.back() != u' '), "outer space: " + fuzz::show(out));
    // Every match consumes at least two characters the table did not write
    // and emits at most twelve.
    FUZZ_CHECK(out.size() <= 6 * in.size(), "grew from " + std::to_string(in.size()) + " to " +
                                                 std::to_string(out.size()));
    FUZZ_CHECK(outside_only(out) == outside_only(in), "in: " + fuzz::show(in) + "\nout: " + fuzz::show(out));
    // Timing costs far more than a run; one input in 1024 (chosen by its
    // content, so that a finding reproduces) is timed.
    if (size > 0 && fnv(data, size) % 1024 == 0) check_linear(in);
    return 0;
}

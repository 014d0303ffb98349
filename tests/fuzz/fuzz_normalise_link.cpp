// normalise_link on arbitrary texts and on pasted forms built from the
// fuzzer's bytes, against properties that its rules imply (not a second
// copy of them):
// - any text: no outer spaces; bounded growth; characters the rules never
//   name are neither lost, added nor moved, but for a pasted command line's
//   program word and quotes, which may only go;
// - an XML entry of option tags, closing tags and CDATA: no tag and no CDATA
//   wrapper survives, and every value stands as a word of its own;
// - a pasted rtmpdump command line: whatever program word and wherever the
//   address option among the options, the result is that of the address
//   followed by the same options; an address is never taken for the program.
// (That its run time is linear in the length the benchmark shows.)
#include "link/normalise_link.h"
#include "tests/fuzz/fuzz_support.h"
#include "textfile/text_ops.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Characters that occur in no search or replacement text of the rules.
bool outside_rules(char16_t c) {
    if (c >= 0x80) return true;
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return false;
    return std::u16string_view(u" <>&=-:/$.?[]!0127").find(c) == std::u16string_view::npos;
}

std::u16string outside_only(std::u16string_view s) {
    std::u16string out;
    std::copy_if(s.begin(), s.end(), std::back_inserter(out), outside_rules);
    return out;
}

bool holds_any_case(std::u16string_view text, std::u16string_view what) {
    return find_any_case(text, what) != std::u16string_view::npos;
}

bool has_word(std::u16string_view text, std::u16string_view word) {
    for (std::size_t at = text.find(word); at != std::u16string_view::npos; at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || text[at - 1] == u' ') && (end == text.size() || text[end] == u' ')) return true;
    }
    return false;
}

// The fuzzer's bytes as choices.
struct Choices {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t next() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    template <typename T, std::size_t N>
    const T& pick(const std::array<T, N>& from) { return from[next() % N]; }
    std::u16string value() {  // a value no rule reads: small letters and digits
        std::u16string v(1 + next() % 6, u'a');
        for (char16_t& c : v) c = u"abcdefghijklmnopqrstuvwxyz0123456789"[next() % 36];
        return v;
    }
    std::u16string in_any_case(std::u16string_view name) {
        std::u16string out(name);
        for (char16_t& c : out) {
            if (next() % 2 && c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        }
        return out;
    }
};

constexpr std::array<std::u16string_view, 15> tag_names = {
    u"swfUrl", u"swfVfy", u"timeout", u"tcUrl", u"pageUrl", u"playpath", u"swfhash", u"swfsize",
    u"app", u"token", u"buffer", u"host", u"flashVer", u"verbose", u"live"};

void check_any_text(const std::u16string& in) {
    const std::u16string out = normalise_link(in);
    const std::string where = "in: " + fuzz::show(in) + "\nout: " + fuzz::show(out);
    FUZZ_CHECK(out.empty() || (out.front() != u' ' && out.back() != u' '), where);
    FUZZ_CHECK(out.size() <= 6 * in.size() + 8, where);
    const std::size_t first = in.find_first_not_of(u" \t");
    const bool command_line = holds_any_case(in, u"rtmpdump") || (first != in.npos && in[first] == u'-');
    std::u16string kept = outside_only(out), given = outside_only(in);
    if (command_line) {
        std::sort(kept.begin(), kept.end());
        std::sort(given.begin(), given.end());
        FUZZ_CHECK(std::includes(given.begin(), given.end(), kept.begin(), kept.end()), where);
    } else {
        FUZZ_CHECK(kept == given, where);
    }
}

void check_xml_entry(Choices& c) {
    std::u16string in = u"<![CDATA[rtmp://h/live]]>";
    std::vector<std::u16string> values;
    for (int n = 1 + c.next() % 5; n > 0; --n) {
        const std::u16string name = c.in_any_case(c.pick(tag_names));
        values.push_back(c.value());
        const bool wrapped = c.next() % 2;
        in += u"<" + name + u">" + (wrapped ? u"<![CDATA[" + values.back() + u"]]>" : values.back()) +
              u"</" + c.in_any_case(name) + u">";
    }
    const std::u16string out = normalise_link(in);
    const std::string where = "in: " + fuzz::show(in) + "\nout: " + fuzz::show(out);
    FUZZ_CHECK(out.find(u'<') == out.npos && out.find(u'>') == out.npos, where);
    FUZZ_CHECK(!holds_any_case(out, u"CDATA") && out.find(u"]]") == out.npos, where);
    FUZZ_CHECK(out.starts_with(u"rtmp://h/live"), where);
    for (const std::u16string& value : values) FUZZ_CHECK(has_word(out, value), where + "\nvalue: " + fuzz::show(value));
}

void check_command_line(Choices& c) {
    static constexpr std::array<std::u16string_view, 6> programs = {
        u"", u"rtmpdump ", u"RTMPDUMP.EXE ", u"/usr/bin/rtmpdump\t", u"\"C:\\Program Files\\rtmpdump.exe\" ",
        u"C:\\Tools\\RtmpDump.exe "};
    static constexpr std::array<std::u16string_view, 4> endings = {u"", u"/rtmpdump", u"/RTMPDUMP.EXE",
                                                                    u"/x/rtmpdump.exe"};
    static constexpr std::array<std::u16string_view, 12> options = {
        u"-y", u"-a", u"-W", u"-s", u"-p", u"-t", u"-f", u"-b", u"--playpath", u"--app", u"-v", u"--live"};
    static constexpr std::array<std::u16string_view, 4> address_options = {u"-r", u"--rtmp", u"-i", u"--url"};
    const std::u16string address = u"rtmp://h/live" + std::u16string(c.pick(endings));
    std::u16string words[2];  // the options before and behind the address
    for (std::u16string& part : words) {
        for (int n = c.next() % 4; n > 0; --n) {
            const std::u16string_view option = c.pick(options);
            part += u" " + std::u16string(option);
            if (option != u"-v" && option != u"--live") part += u" " + c.value();
        }
    }
    const std::u16string_view address_option = c.pick(address_options);
    const bool with_options = address_option == u"-i" || address_option == u"--url";
    const std::u16string inner = with_options ? u" live=" + c.value() : u"";
    const std::u16string program(c.pick(programs));
    const std::u16string pasted = program + words[0] + u" " + std::u16string(address_option) + u" \"" + address +
                                  inner + u"\"" + words[1];
    const std::u16string written = (with_options ? address + inner : u"\"" + address + u"\"") + words[0] + words[1];
    const std::u16string got = normalise_link(pasted), wanted = normalise_link(written);
    FUZZ_CHECK(got == wanted, "pasted: " + fuzz::show(pasted) + "\ngot: " + fuzz::show(got) +
                                  "\nwritten: " + fuzz::show(written) + "\nwanted: " + fuzz::show(wanted));
    const std::u16string alone = normalise_link(address + words[1]);
    FUZZ_CHECK(alone.starts_with(address), "in: " + fuzz::show(address + words[1]) + "\nout: " + fuzz::show(alone));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check_any_text(fuzz::text(data, size));
    Choices choices{data, size};
    check_xml_entry(choices);
    check_command_line(choices);
    return 0;
}

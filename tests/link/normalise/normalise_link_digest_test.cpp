// Guards the exact output of normalise_link over a few thousand texts built
// from its own search texts in random letter case, among separators, spaces,
// look-alike and non-ASCII units, short and long (so that every search path,
// also the one for long texts, runs). It holds the rewriting still while the
// code underneath changes; a deliberate change of the rules changes the
// digest, and the failure prints the new one to record.
#include "link/normalise_link.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

const char16_t* const kNames[] = {u"swfUrl", u"swfVfy", u"timeout", u"tcUrl", u"pageUrl",
                                  u"playpath", u"swfhash", u"swfsize", u"app", u"token",
                                  u"buffer", u"host", u"flashVer", u"verbose", u"live"};
const char16_t kLetters[] = u"sWmtpywxaTbnfVvSwMTPYXATBNFv";
const char16_t* const kOther[] = {
    u" ", u"  ", u"     ", u"x", u"1", u"0", u"=", u"&", u"-", u"<", u">", u"?", u"\t",
    u"true", u"false", u"=1 ", u"<![CDATA[", u"<![cdata[", u"]]>", u"rtmp://$OPT:", u"rtmp-raw=",
    u"http://127.0.0.1/cgi-bin/rtmp.cgi?", u"http://127.0.0.1/cgi-bin/rtmp.cgi!", u"rtmp://e/l",
    u"\u00e4", u"\u017f", u"\u212a", u"\U0001F600", u"\u00a0"};

std::u16string piece(std::mt19937& random) {
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::u16string p;
    switch (pick(8)) {
    case 0: p = std::u16string(u" ") + kNames[pick(std::size(kNames))] + u"="; break;
    case 1: p = std::u16string(u"<") + kNames[pick(std::size(kNames))] + u">"; break;
    case 2: p = std::u16string(u"&") + kNames[pick(std::size(kNames))] + (pick(2) ? u"=" : u" "); break;
    case 3: p = std::u16string(u" --") + kNames[pick(std::size(kNames))] + u" "; break;
    case 4: p = std::u16string(u" ") + kLetters[pick(std::size(kLetters) - 1)] + u"="; break;
    case 5: p = std::u16string(u" -") + kLetters[pick(std::size(kLetters) - 1)]; break;
    default: p = kOther[pick(std::size(kOther))]; break;
    }
    // Letter case flipped now and then: most rows match in any case, some not.
    for (char16_t& c : p) {
        if (pick(6) != 0) continue;
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        else if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return p;
}

std::vector<std::u16string> texts() {
    std::mt19937 random(20261208);  // the engine's sequence is fixed by the standard
    std::vector<std::u16string> all;
    for (int i = 0; i < 4000; ++i) {
        // Mostly short texts, every tenth a long one.
        const std::size_t pieces = i % 10 == 0 ? 400 + random() % 400 : random() % 24;
        std::u16string text;
        for (std::size_t k = 0; k < pieces; ++k) text += piece(random);
        all.push_back(std::move(text));
    }
    return all;
}

// FNV-1a over every output, each followed by its length.
std::uint64_t digest(const std::vector<std::u16string>& outputs) {
    std::uint64_t h = 14695981039346656037ull;
    const auto add = [&](std::uint64_t v) {
        for (int byte = 0; byte < 8; ++byte) {
            h ^= (v >> (8 * byte)) & 0xff;
            h *= 1099511628211ull;
        }
    };
    for (const auto& out : outputs) {
        for (char16_t c : out) add(c);
        add(out.size());
    }
    return h;
}

}  // namespace

TEST(NormaliseLinkDigest, OutputsStayTheSame) {
    std::vector<std::u16string> outputs;
    std::size_t rewritten = 0;
    for (const auto& text : texts()) {
        outputs.push_back(normalise_link(text));
        if (outputs.back() != text) ++rewritten;
    }
    // The corpus must exercise the rows, not just pass texts through.
    EXPECT_GT(rewritten, 3000u);
    EXPECT_EQ(digest(outputs), 0xf3ecba772978cc8full) << std::hex << "new digest: 0x" << digest(outputs);
}

// normalise_link against the plain reference of the rewriting table, over a
// few thousand texts built from the table's own search texts in random
// letter case, among separators, spaces, look-alike and non-ASCII units,
// short and long (so that every search path, also the one for long texts,
// runs).
#include "link/normalise_link.h"
#include "tests/support/normalise_reference.h"

#include <gtest/gtest.h>

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

}  // namespace

TEST(NormaliseLink, AgreesWithThePlainReference) {
    std::size_t rewritten = 0;
    for (const auto& text : texts()) {
        const std::u16string out = normalise_link(text);
        ASSERT_EQ(out, normalise_reference::normalise(text)) << std::string(text.begin(), text.end());
        if (out != text) ++rewritten;
    }
    // The texts must exercise the rows, not just pass through.
    EXPECT_GT(rewritten, 3000u);
}

#include "textfile/text_file.h"

#include "tests/textfile/file_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::u16string> read_all(const std::u16string& path) {
    std::vector<std::u16string> lines;
    if (!text_file_open(path)) return {u"<not opened>"};
    while (!text_file_at_end()) lines.push_back(text_file_read_line());
    text_file_close();
    return lines;
}

std::string write_all(const std::u16string& path, const std::vector<std::u16string>& lines) {
    if (!text_file_create(path)) return "<not created>";
    for (const auto& l : lines) text_file_write_line(l);
    text_file_close();
    return read_bytes(path);
}

}  // namespace

TEST(TextFileWrite, LinesBecomeUtf8WithCrLf) {
    ScratchFolder dir;
    const auto f = dir.file(u"out.txt");
    struct Case { std::vector<std::u16string> lines; std::string bytes; };
    const Case cases[] = {
        {{u"pause", u""}, "pause\r\n\r\n"},
        {{u"einf\u00fcgen"}, "einf\xC3\xBCgen\r\n"},
        {{u"\U0001F600"}, "\xF0\x9F\x98\x80\r\n"},
        {{}, ""},
        {{u"\uFEFFx"}, "\xEF\xBB\xBFx\r\n"},  // a text's own U+FEFF is written, none added
    };
    for (const auto& c : cases) EXPECT_EQ(write_all(f, c.lines), c.bytes);
}

TEST(TextFileWrite, ConsoleEncodingIsTheOemCodePageAndRefusesWhatItLacks) {
    // Each line in the OEM code page, or refused (null: nothing of it
    // written) when a character would not read back; no best fit, so
    // U+0100 does not become "A".
    struct Row {
        std::u16string line;
        const char *cp437_850, *cp866, *utf8;
    };
    const Row rows[] = {
        {u"pause", "pause", "pause", "pause"},
        {u"M\u00fcller", "M\x81ller", nullptr, "M\xC3\xBCller"},
        {u"\u042e", nullptr, "\x9E", "\xD0\xAE"},
        {u"\u0100", nullptr, nullptr, "\xC4\x80"},
    };
    const UINT page = GetOEMCP();
    if (page != 437 && page != 850 && page != 866 && page != CP_UTF8)
        GTEST_SKIP() << "no bytes written down for OEM code page " << page;
    ScratchFolder dir;
    const auto f = dir.file(u"stream.bat");
    std::string expected;
    ASSERT_TRUE(text_file_create(f, TextEncoding::console));
    for (const Row& row : rows) {
        const char* bytes = page == CP_UTF8 ? row.utf8 : page == 866 ? row.cp866 : row.cp437_850;
        EXPECT_EQ(text_file_write_line(row.line), bytes != nullptr) << utf8(row.line);
        if (bytes) expected += std::string(bytes) + "\r\n";
    }
    text_file_close();
    EXPECT_EQ(read_bytes(f), expected);
    EXPECT_FALSE(text_encoding_holds(TextEncoding::console, 0xD800));
    EXPECT_TRUE(text_encoding_holds(TextEncoding::utf8, 0x10FFFF));
}

TEST(TextFileWrite, HiddenAndSystemFilesAreRewrittenInPlace) {
    ScratchFolder dir;
    for (DWORD attr : {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM},
                       DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
        const auto f = dir.file(u"attr" + from_utf8(std::to_string(attr)) + u".txt");
        ASSERT_TRUE(write_bytes(f, std::string(500, 'o')));
        ASSERT_TRUE(SetFileAttributesW(wz(f), attr));
        EXPECT_EQ(write_all(f, {u"neu"}), "neu\r\n") << "attributes " << attr;
        EXPECT_EQ(GetFileAttributesW(wz(f)) & attr, attr) << "attributes kept";
    }
}

TEST(TextFileWrite, UnwritablePathsFailAndLeaveNothingOpen) {
    ScratchFolder dir;
    EXPECT_FALSE(text_file_create(dir.file(u"no such folder\\x.txt")));
    EXPECT_FALSE(text_file_create(dir.path()));  // a folder
    text_file_write_line(u"ignored");             // no file open: nothing happens
    text_file_close();
    EXPECT_FALSE(file_exists(dir.file(u"no such folder")));
}

TEST(TextFileRead, LinesAndLineEnds) {
    ScratchFolder dir;
    const auto f = dir.file(u"in.txt");
    struct Case { std::string bytes; std::vector<std::u16string> lines; };
    const Case cases[] = {
        // The line ends as the line reader cuts them (tested on its own).
        {std::string("a\nb\rc\r\nd\n\re\0f\r\n", 15), {u"a", u"b", u"c", u"d", u"", u"e", u"f"}},
        {"\xEF\xBB\xBF" "abc\r\n", {u"\uFEFFabc"}},
        {"K\xE4se\r\n", {u"K\uFFFDse"}},
        {"einf\xC3\xBCgen", {u"einf\u00fcgen"}},
        {"\xF0\x9F\x98\x80", {u"\U0001F600"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(write_bytes(f, c.bytes));
        EXPECT_EQ(read_all(f), c.lines) << "bytes: " << c.bytes;
    }
}

TEST(TextFileRead, EmptyFileIsAtEndAndReadsEmpty) {
    ScratchFolder dir;
    const auto f = dir.file(u"empty.txt");
    ASSERT_TRUE(write_bytes(f, ""));
    ASSERT_TRUE(text_file_open(f));
    EXPECT_TRUE(text_file_at_end());
    EXPECT_EQ(text_file_read_line(), u"");
    EXPECT_TRUE(text_file_at_end());
    text_file_close();
}

TEST(TextFileRead, LongLinesAndLineEndsAcrossBuffersComeBackWhole) {
    ScratchFolder dir;
    const auto f = dir.file(u"long.txt");
    // The first line puts its CR exactly on the last byte of the first 64 KiB.
    const std::string first(64 * 1024 - 1, 'a');
    const std::string second(10'000, 'b');
    ASSERT_TRUE(write_bytes(f, first + "\r\n" + second + "\r\nc"));
    const auto lines = read_all(f);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::u16string(first.size(), u'a'));
    EXPECT_EQ(lines[1], std::u16string(second.size(), u'b'));
    EXPECT_EQ(lines[2], u"c");
}

TEST(TextFileRead, MissingFilesAndFoldersDoNotOpen) {
    ScratchFolder dir;
    EXPECT_FALSE(text_file_open(dir.file(u"missing.txt")));
    EXPECT_FALSE(text_file_open(dir.path()));
    EXPECT_TRUE(text_file_at_end());
    EXPECT_EQ(text_file_read_line(), u"");
}

TEST(TextFile, OpeningAnotherFileClosesTheFirstWithItsBytes) {
    ScratchFolder dir;
    const auto a = dir.file(u"a.txt");
    const auto b = dir.file(u"b.txt");
    ASSERT_TRUE(write_bytes(b, "x\n"));
    ASSERT_TRUE(text_file_create(a));
    text_file_write_line(u"kept");
    ASSERT_TRUE(text_file_open(b));  // no close in between
    EXPECT_EQ(text_file_read_line(), u"x");
    text_file_write_line(u"not written: b is open for reading");
    text_file_close();
    EXPECT_EQ(read_bytes(a), "kept\r\n");
    EXPECT_EQ(read_bytes(b), "x\n");
}

TEST(TextFileSharing, OtherProcessesMayOnlyRead) {
    ScratchFolder dir;
    const auto f = dir.file(u"shared.txt");

    ASSERT_TRUE(text_file_create(f));
    text_file_write_line(u"w");
    EXPECT_EQ(probe(u"write", f), 1u) << "written file opened for writing elsewhere";
    EXPECT_EQ(probe(u"delete", f), 1u) << "written file deleted elsewhere";
    EXPECT_NE(read_bytes(f), "<missing>") << "reading by others is allowed";
    text_file_close();

    ASSERT_TRUE(text_file_open(f));
    EXPECT_EQ(probe(u"write", f), 1u) << "read file opened for writing elsewhere";
    EXPECT_EQ(probe(u"delete", f), 1u) << "read file deleted elsewhere";
    EXPECT_EQ(text_file_read_line(), u"w");
    text_file_close();

    // Closed again: the probe itself works.
    EXPECT_EQ(probe(u"write", f), 0u);
    EXPECT_EQ(probe(u"delete", f), 0u);
}

TEST(TextFileSharing, FileHeldForWritingElsewhereDoesNotOpen) {
    ScratchFolder dir;
    const auto f = dir.file(u"held.txt");
    ASSERT_TRUE(write_bytes(f, "a\r\n"));
    {
        HeldForWriting held(f);
        EXPECT_FALSE(text_file_open(f));
    }
    ASSERT_TRUE(text_file_open(f));
    EXPECT_EQ(text_file_read_line(), u"a");
    text_file_close();
}

TEST(TextFile, FileLeftOpenIsCompleteAfterProgramExit) {
    ScratchFolder dir;
    const auto f = dir.file(u"left open.txt");
    EXPECT_EQ(probe(u"leave-open", f), 0u);
    EXPECT_EQ(read_bytes(f), "offen\r\n");
}

TEST(TextFile, MegabyteLinesKeepCharactersThatStraddleConversionPieces) {
    // Converted in pieces of 2^20 units or bytes: put a surrogate pair (four
    // UTF-8 bytes) across that boundary in both directions.
    ScratchFolder dir;
    const auto f = dir.file(u"huge.txt");
    const std::u16string line =
        std::u16string((1u << 20) - 1, u'a') + u"\U0001F600" + std::u16string(300'000, u'\u00e4');
    ASSERT_TRUE(text_file_create(f));
    text_file_write_line(line);
    text_file_close();
    EXPECT_EQ(read_bytes(f).size(), ((1u << 20) - 1) + 4 + 600'000 + 2);
    const auto lines = read_all(f);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0] == line);  // no dump of two megabytes on failure
}

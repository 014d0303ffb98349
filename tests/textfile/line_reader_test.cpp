#include "textfile/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Serves `data` in pieces of at most `piece` bytes, like a file read.
ByteSource source_of(const std::string& data, std::size_t piece = SIZE_MAX) {
    auto at = std::make_shared<std::size_t>(0);
    return [data, piece, at](unsigned char* dest, std::size_t capacity) {
        const std::size_t n = std::min({capacity, piece, data.size() - *at});
        std::memcpy(dest, data.data() + *at, n);
        *at += n;
        return n;
    };
}

std::vector<std::string> all_lines(LineReader& r) {
    std::vector<std::string> lines;
    while (!line_reader_at_end(r)) lines.push_back(line_reader_next(r));
    return lines;
}

using Lines = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string bytes;
    Lines lines;
};

const SplitCase kSplitCases[] = {
    {"empty input", "", {}},
    {"CR LF after every line", "a\r\n\r\nb\r\n", {"a", "", "b"}},
    {"no final line end", "a\r\n\r\nb", {"a", "", "b"}},
    {"lone LF", "a\nb\n", {"a", "b"}},
    {"lone CR", "a\rb\r", {"a", "b"}},
    {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
    {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
    {"CR as last byte", "a\r", {"a"}},
    {"NUL splits a line", std::string("ab\0cd", 5), {"ab", "cd"}},
    {"NUL then LF", std::string("a\0\nb", 4), {"a", "", "b"}},
    {"only line ends", "\r\n\n\r", {"", "", ""}},
    {"bytes kept as they are", "\xEF\xBB\xBF" "a\xE4\r\n", {"\xEF\xBB\xBF" "a\xE4"}},
};

}  // namespace

// Each kind of line end by example; that no byte is lost, added or moved
// however the data is cut into pieces, that asking for the end consumes
// nothing and that a finished source is not asked again, the fuzz target
// checks on every input (fuzz_line_reader).
TEST(LineReader, SplitsAtEveryKindOfLineEnd) {
    // Every buffer size, down to one byte, must give the same lines: this is
    // what moves each line end across a buffer boundary.
    for (const auto& c : kSplitCases) {
        for (std::size_t size : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{64 * 1024}}) {
            LineReader r(source_of(c.bytes), size);
            EXPECT_EQ(all_lines(r), c.lines) << c.name << ", buffer " << size;
            EXPECT_TRUE(line_reader_at_end(r)) << c.name;
            EXPECT_EQ(line_reader_next(r), "") << c.name;
        }
    }
}

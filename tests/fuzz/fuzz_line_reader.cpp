// The line reader against a plain split of the whole data, whatever the
// buffer size and however the source cuts the data into chunks: no byte is
// lost, added or moved, every LF, CR, CR LF and NUL ends exactly one line,
// and a finished source is never asked again.
#include "textfile/line_reader.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<std::string> split(std::string_view data) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\n' || c == '\r' || c == '\0') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

std::string show_lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        std::u16string units;
        for (unsigned char b : l) units += b;
        out += "[" + fuzz::show(units) + "]";
    }
    return out;
}

}  // namespace

// Byte 0: buffer size; byte 1: seed of the chunk sizes and of extra
// end-of-data questions; the rest is the data.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t buffer_size = bytes[0] % 32 + 1;
    std::uint32_t seed = bytes[1] * 2654435761u + 1;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 16; };
    const std::string_view data(reinterpret_cast<const char*>(bytes + 2), size - 2);

    std::size_t offered = 0;
    int calls_after_end = 0;
    bool ended = false;
    LineReader reader(
        [&](unsigned char* dest, std::size_t capacity) -> std::size_t {
            if (ended) ++calls_after_end;
            const std::size_t n = std::min<std::size_t>(data.size() - offered, next() % capacity + 1);
            std::copy_n(data.data() + offered, n, dest);
            offered += n;
            ended = n == 0;
            return n;
        },
        buffer_size);

    std::vector<std::string> lines;
    while (!line_reader_at_end(reader)) {
        if (next() % 4 == 0) FUZZ_CHECK(!line_reader_at_end(reader), "asking twice changed the answer");
        lines.push_back(line_reader_next(reader));
    }
    FUZZ_CHECK(line_reader_next(reader).empty(), "a line after the end");
    FUZZ_CHECK(line_reader_at_end(reader), "the end did not last");
    const auto expected = split(data);
    FUZZ_CHECK(lines == expected, "buffer " + std::to_string(buffer_size) + "\nread: " + show_lines(lines) +
                                      "\nexpected: " + show_lines(expected));
    FUZZ_CHECK(calls_after_end == 0, "the source was asked again after its end");
    return 0;
}

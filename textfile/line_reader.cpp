#include "textfile/line_reader.h"

#include <algorithm>
#include <utility>

LineReader::LineReader(ByteSource src, std::size_t buffer_size)
    : source(std::move(src)), buffer(std::max<std::size_t>(buffer_size, 1)) {}

namespace {

// Makes at least one unread byte available unless the data has ended.
bool fill(LineReader& r) {
    if (r.pos < r.len) return true;
    r.pos = r.len = 0;
    if (r.exhausted || !r.source) return false;
    const std::size_t got = r.source(r.buffer.data(), r.buffer.size());
    if (got == 0) {
        r.exhausted = true;  // do not ask a finished source again
        return false;
    }
    r.len = std::min(got, r.buffer.size());
    return true;
}

bool is_line_end(unsigned char b) { return b == '\n' || b == '\r' || b == '\0'; }

}  // namespace

bool line_reader_at_end(LineReader& reader) { return !fill(reader); }

std::string line_reader_next(LineReader& r) {
    std::string line;
    while (fill(r)) {
        const unsigned char* begin = r.buffer.data() + r.pos;
        const unsigned char* end = r.buffer.data() + r.len;
        const unsigned char* stop = std::find_if(begin, end, is_line_end);
        line.append(begin, stop);
        r.pos += static_cast<std::size_t>(stop - begin);
        if (stop == end) continue;

        const unsigned char terminator = *stop;
        ++r.pos;
        // A LF after a CR belongs to the same line end, even when it only
        // arrives with the next chunk.
        if (terminator == '\r' && fill(r) && r.buffer[r.pos] == '\n') ++r.pos;
        break;
    }
    return line;
}

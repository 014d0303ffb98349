#pragma once
// Cuts a byte stream into lines: LF, CR, CR LF and NUL each end a line.
// The bytes come from a caller-supplied source in chunks, so the same code
// serves the Win32 file layer and the native tests; a CR at the end of one
// chunk followed by LF at the start of the next is still one line end.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Fills up to `capacity` bytes at `dest`; returns how many, 0 at the end of
// the data (a read error counts as the end).
using ByteSource = std::function<std::size_t(unsigned char* dest, std::size_t capacity)>;

struct LineReader {
    explicit LineReader(ByteSource source, std::size_t buffer_size = 64 * 1024);

    ByteSource source;
    std::vector<unsigned char> buffer;
    std::size_t pos = 0;   // next unread byte in buffer
    std::size_t len = 0;   // valid bytes in buffer
    bool exhausted = false;  // the source has reported its end
};

// True when no byte is left; may pull the next chunk but consumes nothing.
bool line_reader_at_end(LineReader& reader);
// The next line's bytes without its line end; empty at the end of the data.
std::string line_reader_next(LineReader& reader);

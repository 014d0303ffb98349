#pragma once
// What the recording stand-in tools (recorder.cpp) write to the file named
// by WB_RECORDER_LOG: one record per started tool.
#include "tests/support/win32_support.h"

#include <string>
#include <vector>

struct Record {
    std::u16string tool;                // file name of the recorder copy
    std::u16string line;                // its raw command line
    std::vector<std::u16string> crt;    // argv[1..] of the C runtime
    std::vector<std::u16string> w32;    // CommandLineToArgvW, without the program
};

// A copy of the recorder under another name.
inline bool copy_recorder(const std::u16string& to) {
    return CopyFileW(wz(windows_path(RECORDER_EXE)), wz(to), FALSE) != 0;
}

// The complete records so far (one still being written is left out).
inline std::vector<Record> read_records(const std::u16string& log) {
    std::vector<Record> records;
    const std::string bytes = file_bytes(log).value_or("");
    Record current;
    for (std::size_t at = 0, end; (end = bytes.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = bytes.substr(at, end - at);
        if (line == "end") {
            records.push_back(std::move(current));
            current = Record{};
            continue;
        }
        const std::size_t space = line.find(' ');
        const std::string tag = line.substr(0, space);
        // The recorder escapes backslash, CR and LF so that a field stays on its line.
        std::u16string value;
        const std::u16string raw = space == std::string::npos ? u"" : from_utf8(line.substr(space + 1));
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == u'\\' && i + 1 < raw.size()) {
                const char16_t next = raw[++i];
                value += next == u'r' ? u'\r' : next == u'n' ? u'\n' : next;
            } else {
                value += raw[i];
            }
        }
        if (tag == "tool") current.tool = value;
        else if (tag == "line") current.line = value;
        else if (tag == "crt") current.crt.push_back(value);
        else if (tag == "w32") current.w32.push_back(value);
    }
    return records;
}

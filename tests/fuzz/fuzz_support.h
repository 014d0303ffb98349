#pragma once
// Helpers of the fuzz targets: fuzzer bytes as UTF-16 text, and a check
// that reports a broken property and aborts, so libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// ASCII bytes stand for themselves; the bytes 0xF0 to 0xFF stand for code
// units that text handling tends to get wrong (lone surrogates, Unicode
// spaces and line separators, look-alikes of quote and percent, letters
// that fold to ASCII in Unicode); the other high bytes for Latin-1.
inline char16_t unit(std::uint8_t b) {
    static constexpr char16_t special[16] = {
        0xD800, 0xDC00, 0xFFFD, 0x2028, 0x2029, 0x0085, 0x00A0, 0x3000,
        0xFF02, 0xFF05, 0x212A, 0x017F, 0x0131, 0xFEFF, 0x200B, 0xFFFF};
    return b >= 0xF0 ? special[b - 0xF0] : static_cast<char16_t>(b);
}

inline std::u16string text(const std::uint8_t* data, std::size_t size) {
    std::u16string out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i) out += unit(data[i]);
    return out;
}

// For messages: ASCII as is, everything else as \uXXXX.
inline std::string show(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

[[noreturn]] inline void fail(const char* property, const std::string& detail) {
    std::fprintf(stderr, "\nPROPERTY BROKEN: %s\n%s\n", property, detail.c_str());
    std::abort();
}

}  // namespace fuzz

// Checks a property of the fuzzed function; `detail` is evaluated only when
// the property is broken.
#define FUZZ_CHECK(cond, detail)                    \
    do {                                            \
        if (!(cond)) ::fuzz::fail(#cond, (detail)); \
    } while (0)

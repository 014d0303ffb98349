#include "textfile/text_file.h"

#include "textfile/line_reader.h"
#include "base/win32.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <optional>
#include <string>

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
// Conversions go through APIs that count in int; long texts go in pieces.
constexpr std::size_t kConvertChunk = 1 << 20;

enum class Mode { closed, writing, reading };

struct OpenTextFile {
    UniqueHandle handle;
    Mode mode = Mode::closed;
    UINT code_page = CP_UTF8;
    std::string pending;               // written bytes not yet in the file
    std::optional<LineReader> reader;  // only while reading
    bool write_failed = false;         // some bytes since the create never reached the file

    ~OpenTextFile();
};

bool system_write(void* handle, const char* bytes, unsigned long size, unsigned long* written) {
    DWORD done = 0;
    const BOOL ok = WriteFile(handle, bytes, size, &done, nullptr);
    *written = done;
    return ok != FALSE;
}

TextFileWriter g_writer = system_write;

void flush_pending(OpenTextFile& f) {
    std::size_t done = 0;
    while (done < f.pending.size()) {
        const auto chunk = static_cast<unsigned long>(
            std::min<std::size_t>(f.pending.size() - done, 1u << 30));
        unsigned long written = 0;
        if (!g_writer(f.handle.get(), f.pending.data() + done, chunk, &written) || written == 0) {
            f.write_failed = true;  // the rest is dropped; text_file_flush tells
            break;
        }
        done += written;
    }
    f.pending.clear();
}

void close_file(OpenTextFile& f) {
    if (f.mode == Mode::writing) flush_pending(f);
    f.reader.reset();
    f.pending.clear();
    f.pending.shrink_to_fit();
    f.handle.reset();
    f.mode = Mode::closed;
    f.write_failed = false;
}

OpenTextFile::~OpenTextFile() { close_file(*this); }

// The one open file. Its destructor writes out and closes whatever is still
// open when the program returns from its entry point or calls exit();
// ExitProcess alone skips it.
OpenTextFile g_file;

void append_utf8(std::string& out, const char16_t* text, std::size_t count) {
    while (count > 0) {
        std::size_t n = std::min(count, kConvertChunk);
        // Keep a surrogate pair together across pieces.
        if (n < count && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
        const auto* wide = reinterpret_cast<const wchar_t*>(text);
        const int need = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n),
                                             nullptr, 0, nullptr, nullptr);
        if (need > 0) {
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(need));
            const int got = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n),
                                                out.data() + at, need, nullptr, nullptr);
            out.resize(at + static_cast<std::size_t>(std::max(got, 0)));
        }
        text += n;
        count -= n;
    }
}

// The line in a code page other than UTF-8, refusing characters it lacks.
bool append_code_page(std::string& out, UINT code_page, const std::u16string& text) {
    if (text.empty()) return true;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    if (text.size() > INT_MAX / 4) return false;  // a batch line is never near this
    const int length = static_cast<int>(text.size());
    BOOL used_default = FALSE;
    const int need = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr,
                                         &used_default);
    if (need <= 0 || used_default) return false;
    std::string bytes(static_cast<std::size_t>(need), '\0');
    if (WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide, length, bytes.data(), need, nullptr,
                            &used_default) != need || used_default)
        return false;
    out += bytes;
    return true;
}

bool is_utf8_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::u16string decode_utf8(const std::string& bytes) {
    std::u16string out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t n = std::min(bytes.size() - at, kConvertChunk);
        // Cut in front of a lead byte so a sequence is not split in two.
        if (at + n < bytes.size()) {
            std::size_t cut = n;
            for (int back = 0; back < 3 && cut > 1 && is_utf8_continuation(bytes[at + cut]); ++back)
                --cut;
            n = cut;
        }
        const char* src = bytes.data() + at;
        // Without MB_ERR_INVALID_CHARS invalid bytes become U+FFFD.
        const int need = MultiByteToWideChar(CP_UTF8, 0, src, static_cast<int>(n), nullptr, 0);
        if (need > 0) {
            const std::size_t pos = out.size();
            out.resize(pos + static_cast<std::size_t>(need));
            const int got = MultiByteToWideChar(CP_UTF8, 0, src, static_cast<int>(n),
                                                reinterpret_cast<wchar_t*>(out.data() + pos), need);
            out.resize(pos + static_cast<std::size_t>(std::max(got, 0)));
        }
        at += n;
    }
    return out;
}

std::size_t read_from_handle(HANDLE h, unsigned char* dest, std::size_t capacity) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
    if (!ReadFile(h, dest, want, &got, nullptr)) return 0;  // an unreadable rest ends the file
    return got;
}

}  // namespace

bool text_encoding_holds(TextEncoding encoding, char32_t c) {
    if (c < 0x80) return true;
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
    const UINT code_page = encoding == TextEncoding::console ? GetOEMCP() : CP_UTF8;
    if (code_page == CP_UTF8) return true;
    wchar_t unit[2];
    int units = 1;
    if (c < 0x10000) {
        unit[0] = static_cast<wchar_t>(c);
    } else {
        unit[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        unit[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        units = 2;
    }
    char bytes[8];
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, unit, units, bytes, sizeof bytes, nullptr,
                                      &used_default);
    if (n <= 0 || used_default) return false;
    // Some code pages map a character one way only; it must read back.
    wchar_t back[4];
    const int m = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes, n, back, 4);
    return m == units && std::equal(unit, unit + units, back);
}

bool text_file_create(const std::u16string& path, TextEncoding encoding) {
    close_file(g_file);
    UniqueHandle h(CreateFileW(wz(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        // An existing hidden or system file refuses CREATE_ALWAYS with normal
        // attributes; emptying it in place keeps its attributes.
        h.reset(CreateFileW(wz(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!h) return false;
    g_file.handle = std::move(h);
    g_file.mode = Mode::writing;
    g_file.code_page = encoding == TextEncoding::console ? GetOEMCP() : CP_UTF8;
    g_file.pending.reserve(kBufferSize + 256);
    return true;
}

bool text_file_open(const std::u16string& path) {
    close_file(g_file);
    UniqueHandle h(CreateFileW(wz(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    HANDLE raw = h.get();
    g_file.handle = std::move(h);
    g_file.mode = Mode::reading;
    g_file.reader.emplace(
        [raw](unsigned char* dest, std::size_t capacity) {
            return read_from_handle(raw, dest, capacity);
        },
        kBufferSize);
    return true;
}

bool text_file_write_line(const std::u16string& text) {
    if (g_file.mode != Mode::writing) return false;
    if (g_file.code_page == CP_UTF8) append_utf8(g_file.pending, text.data(), text.size());
    else if (!append_code_page(g_file.pending, g_file.code_page, text)) return false;
    g_file.pending += "\r\n";
    if (g_file.pending.size() >= kBufferSize) flush_pending(g_file);
    return true;
}

std::u16string text_file_read_line() {
    if (g_file.mode != Mode::reading) return {};
    return decode_utf8(line_reader_next(*g_file.reader));
}

bool text_file_at_end() {
    if (g_file.mode != Mode::reading) return true;
    return line_reader_at_end(*g_file.reader);
}

bool text_file_flush() {
    if (g_file.mode != Mode::writing) return false;
    flush_pending(g_file);
    const bool on_disk = FlushFileBuffers(g_file.handle.get()) != FALSE;
    return on_disk && !g_file.write_failed;
}

void text_file_close() { close_file(g_file); }

void text_file_set_writer(TextFileWriter writer) { g_writer = writer ? writer : system_write; }

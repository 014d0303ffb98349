#pragma once
// Raw file bytes for the Win32 tests, read and written around the program's
// own text-file code so that what is on disk is checked independently.
#include "base/win32.h"

#include <optional>
#include <string>

// The whole file, or nothing when it cannot be opened (others may hold it).
inline std::optional<std::string> file_bytes(const std::u16string& path) {
    UniqueHandle h(CreateFileW(wz(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return std::nullopt;
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    return out;
}

inline bool write_bytes(const std::u16string& path, const std::string& bytes) {
    UniqueHandle h(CreateFileW(wz(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    DWORD written = 0;
    return WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

inline bool file_exists(const std::u16string& path) {
    return GetFileAttributesW(wz(path)) != INVALID_FILE_ATTRIBUTES;
}

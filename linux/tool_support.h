#pragma once
// What the Windows programs of this folder and the tests' support unit
// share: UTF-8 for what goes to Linux, and waiting for a condition.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

inline std::string utf8(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* units = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, units, size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, units, size, out.data(), n, nullptr, nullptr);
    return out;
}

// Polls `done` until it holds or `bound_ms` passed; the bound only keeps a
// broken program from hanging its caller.
inline constexpr DWORD kPatienceMs = 20000;
inline bool wait_until(const std::function<bool()>& done, DWORD bound_ms = kPatienceMs) {
    const ULONGLONG end = GetTickCount64() + bound_ms;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(15);
    }
}

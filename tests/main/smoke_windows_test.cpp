#include <windows.h>
#include <gtest/gtest.h>

TEST(WindowsSmoke, RunsUnderWindowsApi) {
    wchar_t buffer[MAX_PATH];
    EXPECT_GT(GetTempPathW(MAX_PATH, buffer), 0u);
}

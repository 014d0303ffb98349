#include "housekeeping/crash_dump.h"
#include "tests/support/win32_support.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

namespace {

TEST(WithTrailingBackslash, AddsExactlyOneWhereMissing) {
    const struct {
        std::u16string in, out;
    } cases[] = {
        {u"C:\\users\\me\\AppData\\Roaming", u"C:\\users\\me\\AppData\\Roaming\\"},
        {u"C:\\users\\me\\AppData\\Roaming\\", u"C:\\users\\me\\AppData\\Roaming\\"},
        {u"D:\\", u"D:\\"},             // a drive root keeps its single backslash
        {u"\\\\server\\share", u"\\\\server\\share\\"},
        {u"x/", u"x/\\"},               // only the backslash counts as separator
        {u"", u""},                     // nothing resolved: no "\" of the current drive
    };
    for (const auto& c : cases)
        EXPECT_EQ(with_trailing_backslash(c.in), c.out) << utf8(c.in);
}

TEST(SpecialFolder, AppDataIsTheRoamingFolderWithOneTrailingBackslash) {
    const std::u16string folder = special_folder(CSIDL_APPDATA);
    ASSERT_GE(folder.size(), 4u);
    EXPECT_EQ(folder.back(), u'\\');
    EXPECT_NE(folder[folder.size() - 2], u'\\');
    EXPECT_TRUE(is_directory(folder)) << utf8(folder);

    // Cross-check with the environment's idea of the same folder.
    wchar_t env[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", env, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        EXPECT_EQ(lstrcmpiW(wz(folder), wz(with_trailing_backslash(u16(env)))), 0)
            << utf8(folder) << " vs " << utf8(u16(env));
    }
}

TEST(SpecialFolder, FolderWithoutPathOrUnknownIdIsEmpty) {
    EXPECT_EQ(special_folder(CSIDL_DRIVES), u"");  // virtual: no file-system path
    EXPECT_EQ(special_folder(0x7F), u"");          // not a folder id at all
}

// Works in the prefix's real application-data folder; removes what it made.
class RemovePlayerCrashDump : public ::testing::Test {
protected:
    void SetUp() override {
        appdata_ = special_folder(CSIDL_APPDATA);
        ASSERT_FALSE(appdata_.empty());
        vlc_ = appdata_ + u"vlc\\";
        dump_ = vlc_ + u"crashdump";
        ASSERT_FALSE(is_file(dump_) || is_directory(dump_)) << "left over: " << utf8(dump_);
        made_vlc_ = CreateDirectoryW(wz(vlc_), nullptr) != 0;
        ASSERT_TRUE(is_directory(vlc_));
    }
    void TearDown() override {
        DeleteFileW(wz(dump_));
        RemoveDirectoryW(wz(dump_));
        DeleteFileW(wz(other_));
        if (made_vlc_) RemoveDirectoryW(wz(vlc_));
    }

    std::u16string appdata_, vlc_, dump_;
    std::u16string other_;
    bool made_vlc_ = false;
};

TEST_F(RemovePlayerCrashDump, DeletesTheDumpAndNothingElse) {
    other_ = vlc_ + u"vlc-qt-interface.ini";
    ASSERT_TRUE(write_bytes(dump_, "dump"));
    ASSERT_TRUE(write_bytes(other_, "ini"));

    remove_player_crash_dump();

    EXPECT_FALSE(is_file(dump_));
    EXPECT_TRUE(is_file(other_));
    EXPECT_TRUE(is_directory(vlc_));
}

TEST_F(RemovePlayerCrashDump, LeavesAFolderNamedCrashdump) {
    ASSERT_TRUE(CreateDirectoryW(wz(dump_), nullptr));
    remove_player_crash_dump();
    EXPECT_TRUE(is_directory(dump_));
}

TEST_F(RemovePlayerCrashDump, MissingDumpOrMissingFolderIsHarmless) {
    remove_player_crash_dump();
    EXPECT_TRUE(is_directory(vlc_));
    if (made_vlc_) {
        ASSERT_TRUE(RemoveDirectoryW(wz(vlc_)));
        made_vlc_ = false;
        remove_player_crash_dump();
        EXPECT_FALSE(is_directory(vlc_)) << "nothing is created either";
    }
}

}  // namespace

#include "settings/settings.h"
#include "textfile/text_file.h"

#include "tests/support/win32_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ProgramState state_in(const ScratchFolder& dir) {
    ProgramState s;
    s.work_dir = dir.path();
    return s;
}

const std::string kAllDefaultsBytes =
    "c:\\programme\\videolan\\vlc\\vlc.exe\r\n"
    "c:\\programme\\videolan\\vlc\\ffmpeg.exe\r\n"
    "c:\\\r\n"
    "1000\r\n"
    "m3u8 Stream hier direkt einf\xC3\xBCgen\r\n"
    "c:\\programme\\videolan\\vlc\\rtmpdump.exe\r\n";

// Writers for the text file's seam: a disk that is full from the start,
// and one that fills up halfway through.
bool fail_at_once(void*, const char*, unsigned long, unsigned long* written) {
    *written = 0;
    return false;
}
bool half_then_fail(void* handle, const char* bytes, unsigned long size, unsigned long* written) {
    static bool wrote_half = false;
    if (!wrote_half) {
        wrote_half = true;
        DWORD done = 0;
        WriteFile(handle, bytes, size / 2, &done, nullptr);
        *written = done;
        return true;
    }
    wrote_half = false;
    return fail_at_once(handle, bytes, size, written);
}

}  // namespace

TEST(SaveSettings, AFailedWriteKeepsTheOldFileAndLeavesNoOther) {
    const std::string old = "alt\\vlc.exe\r\nalt\\ffmpeg.exe\r\n";
    const std::pair<const char*, TextFileWriter> writers[] = {{"disk full at once", fail_at_once},
                                                              {"disk full halfway", half_then_fail}};
    for (const auto& [name, writer] : writers) {
        ScratchFolder dir;
        ASSERT_TRUE(write_bytes(dir.file(u"Wellenblick.ini"), old));
        ProgramState s = state_in(dir);
        s.vlc_path = u"neu.exe";
        text_file_set_writer(writer);
        save_settings(s);
        text_file_set_writer(nullptr);
        EXPECT_EQ(read_bytes(dir.file(u"Wellenblick.ini")), old) << name;
        EXPECT_EQ(folder_entries(dir.path()), std::vector<std::u16string>{u"Wellenblick.ini"}) << name;
    }
}

TEST(SaveSettings, AHiddenSystemFileIsReplacedAndStaysHidden) {
    ScratchFolder dir;
    const auto ini = dir.file(u"Wellenblick.ini");
    ASSERT_TRUE(write_bytes(ini, std::string(5000, 'x')));
    ASSERT_TRUE(SetFileAttributesW(wz(ini), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ProgramState s = state_in(dir);
    s.stream_address = kAddressHint;
    save_settings(s);
    EXPECT_EQ(read_bytes(ini), kAllDefaultsBytes);
    EXPECT_EQ(GetFileAttributesW(wz(ini)) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
    EXPECT_EQ(folder_entries(dir.path()), std::vector<std::u16string>{u"Wellenblick.ini"});
}

TEST(SaveSettings, UnwritableLocationWritesNothing) {
    ScratchFolder dir;
    ProgramState missing_folder;
    missing_folder.work_dir = dir.file(u"gibt es nicht\\");
    save_settings(missing_folder);
    EXPECT_FALSE(file_exists(dir.file(u"gibt es nicht")));

    // The settings path is taken by a folder.
    ASSERT_TRUE(CreateDirectoryW(wz(dir.file(u"Wellenblick.ini")), nullptr));
    save_settings(state_in(dir));
    EXPECT_TRUE(GetFileAttributesW(wz(dir.file(u"Wellenblick.ini"))) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(LoadSettings, EmptyAndMissingLinesTakeTheirDefaults) {
    struct Case { const char* name; std::string bytes; std::u16string vlc, link_dir, address; };
    const Case cases[] = {
        {"six empty lines", "\r\n\r\n\r\n\r\n\r\n\r\n", kDefaultVlcPath, kDefaultLinkDir, kAddressHint},
        {"two lines", "v.exe\r\nf.exe\r\n", u"v.exe", kDefaultLinkDir, kAddressHint},
        {"lone LF and CR", "v\nf\rL\n9\rrtmp://a\nr", u"v", u"L", u"rtmp://a"},
        {"BOM stays", "\xEF\xBB\xBFv.exe\r\n", u"\uFEFFv.exe", kDefaultLinkDir, kAddressHint},
        {"lines after the sixth change nothing", "v\r\nf\r\nL\r\n9\r\na\r\nr\r\nx\r\n\r\ny\r\n", u"v", u"L",
         u"a"},
    };
    for (const auto& c : cases) {
        ScratchFolder dir;
        ASSERT_TRUE(write_bytes(dir.file(u"Wellenblick.ini"), c.bytes));
        ProgramState s = state_in(dir);
        s.vlc_path = s.link_dir = u"before";
        load_settings(s);
        EXPECT_EQ(s.vlc_path, c.vlc) << c.name;
        EXPECT_EQ(s.link_dir, c.link_dir) << c.name;
        EXPECT_EQ(s.stream_address, c.address) << c.name;
    }
}

TEST(Settings, RoundTripKeepsEveryValue) {
    ScratchFolder dir;
    ProgramState s = state_in(dir);
    s.vlc_path = u"C:\\Programme\\VideoLAN\\VLC\\vlc.exe";
    s.ffmpeg_path = u"d:\\\u00dcbung\\ffmpeg.exe";
    s.link_dir = u"\\\\server\\freigabe\\\u65e5\u672c\\";
    s.cache_kb = u" 250 ";
    s.stream_address = u"http://x/\U0001F600.m3u8?a=1&b=\"2\"";
    s.rtmpdump_path = u"rtmpdump.exe";
    save_settings(s);

    ProgramState back = state_in(dir);
    load_settings(back);
    EXPECT_EQ(back.vlc_path, s.vlc_path);
    EXPECT_EQ(back.ffmpeg_path, s.ffmpeg_path);
    EXPECT_EQ(back.link_dir, s.link_dir);
    EXPECT_EQ(back.cache_kb, s.cache_kb);
    EXPECT_EQ(back.stream_address, s.stream_address);
    EXPECT_EQ(back.rtmpdump_path, s.rtmpdump_path);
}

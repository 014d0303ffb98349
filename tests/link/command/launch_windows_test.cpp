// run_test against real controls (the window side), and start_program, with recording
// stand-ins as the tools so that everything started is under our control.
#include "link/launch.h"
#include "main/handlers.h"
#include "link/stream_command.h"
#include "main/controls.h"
#include "windows_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string text(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }
std::wstring wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring field_text(HWND window, int id) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(GetDlgItem(window, id), buffer, 1024);
    return buffer;
}

// A hidden window holding the controls run_test reads and changes.
class TestWindow {
public:
    TestWindow() {
        window_ = CreateWindowExW(0, L"STATIC", L"Wellenblick test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        for (int id : {VlcPathField, FfmpegPathField, RtmpdumpPathField, CacheField, AddressField})
            child(L"EDIT", id, WS_CHILD | ES_AUTOHSCROLL);
        child(L"BUTTON", ClipboardButton, WS_CHILD | WS_DISABLED);
    }
    ~TestWindow() { DestroyWindow(window_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }
    void set(int id, const std::wstring& value) { SetWindowTextW(GetDlgItem(window_, id), value.c_str()); }
    bool clipboard_enabled() const { return IsWindowEnabled(GetDlgItem(window_, ClipboardButton)) != 0; }

private:
    void child(const wchar_t* kind, int id, DWORD style) {
        CreateWindowExW(0, kind, L"", style, 0, 0, 100, 20, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }
    HWND window_ = nullptr;
};

class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window_.get(), nullptr);
        tools_ = scratch_.path() + L"tools\\";
        ASSERT_TRUE(make_folder(tools_));
        for (const wchar_t* name : {L"rec-ffmpeg.exe", L"rec-vlc.exe", L"rec-rtmpdump.exe"})
            ASSERT_TRUE(copy_recorder(tools_ + name));
        log_ = scratch_.path() + L"log.txt";
        SetEnvironmentVariableW(L"WB_RECORDER_LOG", log_.c_str());
        window_.set(VlcPathField, tools_ + L"rec-vlc.exe");
        window_.set(FfmpegPathField, tools_ + L"rec-ffmpeg.exe");
        window_.set(RtmpdumpPathField, tools_ + L"rec-rtmpdump.exe");
        window_.set(CacheField, L"  1000 ");
        batch_ = wide(temp_directory()) + L"stream.bat";
    }
    void TearDown() override {
        end_descendants();
        DeleteFileW(batch_.c_str());
        RemoveDirectoryW(batch_.c_str());
    }

    std::string player_line() const {
        return utf8(tools_) + "rec-vlc.exe --network-caching=1000" +
               utf8(std::u16string(kPlayerOptions1) + std::u16string(kPlayerOptions2) +
                    std::u16string(kPlayerOptions3));
    }

    ScratchFolder scratch_;
    TestWindow window_;
    std::wstring tools_, log_, batch_;
    ProgramState state_;
};

TEST_F(RunTest, RtmpAddressIsNormalisedWrittenAndStarted) {
    window_.set(AddressField, L"rtmp://example/live -y stream -W player.swf -v");
    run_test(state_, window_.get());

    const std::wstring normalised = L"rtmp://example/live --playpath stream --swfVfy player.swf --live";
    EXPECT_EQ(field_text(window_.get(), AddressField), normalised);
    EXPECT_EQ(wide(state_.stream_address), normalised);
    EXPECT_EQ(state_.cache_kb, u"1000");
    EXPECT_TRUE(window_.clipboard_enabled());
    ASSERT_FALSE(state_.temp_dir.empty());
    EXPECT_EQ(state_.temp_dir.back(), u'\\');
    EXPECT_EQ(wide(state_.temp_dir) + L"stream.bat", batch_);

    EXPECT_EQ(read_bytes(batch_), " \r\n" + utf8(tools_) + "rec-rtmpdump.exe -v -r " + utf8(normalised) + " | " +
                                      player_line() + " -\r\n \r\npause\r\n");

    // The batch file really ran: both stand-ins recorded their arguments.
    ASSERT_TRUE(eventually([&] { return read_records(log_).size() == 2; })) << read_bytes(log_);
    const auto records = read_records(log_);
    const Record& source = records[0].tool == L"rec-rtmpdump.exe" ? records[0] : records[1];
    EXPECT_EQ(source.tool, L"rec-rtmpdump.exe");
    EXPECT_EQ(source.crt, (std::vector<std::wstring>{L"-v", L"-r", L"rtmp://example/live", L"--playpath", L"stream",
                                                     L"--swfVfy", L"player.swf", L"--live"}));
}

TEST_F(RunTest, DirectAddressKeepsFieldAndUnknownAddressWritesEmptyCommand) {
    window_.set(AddressField, L"rtsp://example/live");
    run_test(state_, window_.get());
    EXPECT_EQ(field_text(window_.get(), AddressField), L"rtsp://example/live");
    EXPECT_EQ(read_bytes(batch_), " \r\n" + player_line() + " rtsp://example/live\r\n \r\npause\r\n");
    ASSERT_TRUE(eventually([&] { return read_records(log_).size() == 1; }));
    end_descendants();

    // The previous command must not run again for an address no pipeline takes.
    window_.set(AddressField, L"https://example/live");
    run_test(state_, window_.get());
    EXPECT_EQ(state_.test_command, u"");
    EXPECT_EQ(read_bytes(batch_), " \r\n\r\n \r\npause\r\n");
    EXPECT_TRUE(window_.clipboard_enabled());
}

TEST_F(RunTest, UncreatableBatchFileStopsTheTest) {
    end_descendants();
    DeleteFileW(batch_.c_str());
    ASSERT_TRUE(CreateDirectoryW(batch_.c_str(), nullptr));  // neither deletable nor creatable as a file
    window_.set(AddressField, L"rtsp://example/live");
    run_test(state_, window_.get());
    EXPECT_FALSE(window_.clipboard_enabled());
    EXPECT_TRUE(descendants().empty()) << "something was started";
    EXPECT_EQ(GetFileAttributesW(batch_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
}

TEST(TempDirectory, LongFormEndingInBackslash) {
    const std::wstring dir = wide(temp_directory());
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    EXPECT_EQ(dir.find(L'~'), std::wstring::npos);
    EXPECT_NE(GetFileAttributesW(dir.c_str()), INVALID_FILE_ATTRIBUTES);

    // Another temporary folder, named in its short form, is followed at
    // once, and so is the way back.
    ScratchFolder scratch;
    const std::wstring other = scratch.path() + L"Temporärer Ordner mit langem Namen\\";
    ASSERT_TRUE(make_folder(other));
    wchar_t short_form[MAX_PATH];
    ASSERT_GT(GetShortPathNameW(other.c_str(), short_form, MAX_PATH), 0u);
    wchar_t old_tmp[MAX_PATH];
    const DWORD had = GetEnvironmentVariableW(L"TMP", old_tmp, MAX_PATH);
    ASSERT_TRUE(had > 0 && had < MAX_PATH);
    SetEnvironmentVariableW(L"TMP", short_form);
    const std::wstring moved = wide(temp_directory());
    SetEnvironmentVariableW(L"TMP", old_tmp);
    EXPECT_EQ(moved, other);
    EXPECT_EQ(wide(temp_directory()), dir);
}

class StartProgram : public ::testing::TestWithParam<bool> {};

TEST_P(StartProgram, StartsBatchFileWithoutWaiting) {
    ScratchFolder scratch;
    const std::wstring folder = scratch.path() + L"batch dir\\";
    ASSERT_TRUE(make_folder(folder));
    const std::wstring recorder = folder + L"rec.exe", flag = scratch.path() + L"go.flag",
                       log = scratch.path() + L"started.log", batch = folder + L"go.bat";
    ASSERT_TRUE(copy_recorder(recorder));
    ASSERT_TRUE(write_bytes(batch, "@\"" + utf8(recorder) + "\" started\r\n"));
    SetEnvironmentVariableW(L"WB_RECORDER_LOG", log.c_str());
    SetEnvironmentVariableW(L"WB_RECORDER_WAIT_FOR", flag.c_str());

    // The stand-in waits for the flag, so a start that waited would never return.
    start_program(GetParam() ? u"\"" + text(batch) + u"\"" : text(batch));
    SetEnvironmentVariableW(L"WB_RECORDER_WAIT_FOR", nullptr);
    EXPECT_TRUE(read_records(log).empty());
    ASSERT_TRUE(write_bytes(flag, ""));
    ASSERT_TRUE(eventually([&] { return read_records(log).size() == 1; }));
    EXPECT_EQ(read_records(log)[0].crt, std::vector<std::wstring>{L"started"});
    EXPECT_TRUE(eventually([] { return descendants().empty(); }));
    end_descendants();
}

INSTANTIATE_TEST_SUITE_P(Quoting, StartProgram, ::testing::Bool());

TEST(StartProgramFailure, MissingTargetIsIgnored) {
    start_program(u"C:\\no such folder\\no such program.exe");
    end_descendants();
}

}  // namespace

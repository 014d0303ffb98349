// run_test against real controls (the window side), and start_program, with recording
// stand-ins as the tools so that everything started is under our control.
#include "link/launch.h"
#include "main/handlers.h"
#include "link/stream_command.h"
#include "main/controls.h"
#include "tests/link/command/recorder_log.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <string>

namespace {

// A batch file starting its stand-ins under Wine, on a busy machine.
constexpr DWORD kToolsBoundMs = 120000;

// start_program on a thread of its own, so that a start that does not
// return (it waits for its program, or for an error box to be answered)
// fails the test instead of hanging it: the thread is let go, and its
// future, unlike std::async's, does not wait for it when it goes.
std::future<void> start_aside(const std::u16string& target) {
    std::packaged_task<void()> start([target] { start_program(target); });
    std::future<void> done = start.get_future();
    std::thread(std::move(start)).detach();
    return done;
}

bool returned(std::future<void>& start) {
    return start.wait_for(std::chrono::milliseconds(kPatienceMs)) == std::future_status::ready;
}

std::u16string field_text(HWND window, int id) {
    wchar_t buffer[1024] = {};
    return u16(buffer, static_cast<std::size_t>(GetWindowTextW(GetDlgItem(window, id), buffer, 1024)));
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
    void set(int id, const std::u16string& value) { SetWindowTextW(GetDlgItem(window_, id), wz(value)); }
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
        tools_ = scratch_.file(u"tools\\");
        ASSERT_TRUE(make_folder(tools_));
        for (const char16_t* name : {u"rec-ffmpeg.exe", u"rec-vlc.exe", u"rec-rtmpdump.exe"})
            ASSERT_TRUE(copy_recorder(tools_ + name));
        log_ = scratch_.file(u"log.txt");
        SetEnvironmentVariableW(L"WB_RECORDER_LOG", wz(log_));
        window_.set(VlcPathField, tools_ + u"rec-vlc.exe");
        window_.set(FfmpegPathField, tools_ + u"rec-ffmpeg.exe");
        window_.set(RtmpdumpPathField, tools_ + u"rec-rtmpdump.exe");
        window_.set(CacheField, u"  1000 ");
        batch_ = temp_directory() + u"stream.bat";
    }
    void TearDown() override {
        end_descendants();
        DeleteFileW(wz(batch_));
        RemoveDirectoryW(wz(batch_));
    }

    ScratchFolder scratch_;
    TestWindow window_;
    std::u16string tools_, log_, batch_;
    ProgramState state_;
};

TEST_F(RunTest, RtmpAddressIsNormalisedWrittenAndStarted) {
    window_.set(AddressField, u"rtmp://example/live -y stream -W player.swf -v");
    run_test(state_, window_.get());

    const std::u16string normalised = u"rtmp://example/live --playpath stream --swfVfy player.swf --live";
    EXPECT_EQ(field_text(window_.get(), AddressField), normalised);
    EXPECT_EQ(state_.stream_address, normalised);
    EXPECT_EQ(state_.cache_kb, u"1000");
    EXPECT_TRUE(window_.clipboard_enabled());
    ASSERT_FALSE(state_.temp_dir.empty());
    EXPECT_EQ(state_.temp_dir.back(), u'\\');
    EXPECT_EQ(state_.temp_dir + u"stream.bat", batch_);

    // The batch file (its bytes are checked on the real program) really
    // ran: both stand-ins recorded their arguments.
    ASSERT_TRUE(wait_until([&] { return read_records(log_).size() == 2; }, kToolsBoundMs)) << read_bytes(log_);
    const auto records = read_records(log_);
    const Record& source = records[0].tool == u"rec-rtmpdump.exe" ? records[0] : records[1];
    EXPECT_EQ(source.tool, u"rec-rtmpdump.exe");
    EXPECT_EQ(source.crt, (std::vector<std::u16string>{u"-v", u"-r", u"rtmp://example/live", u"--playpath", u"stream",
                                                       u"--swfVfy", u"player.swf", u"--live"}));
}

TEST_F(RunTest, DirectAddressKeepsFieldAndUnknownAddressWritesEmptyCommand) {
    window_.set(AddressField, u"rtsp://example/live");
    run_test(state_, window_.get());
    EXPECT_EQ(field_text(window_.get(), AddressField), u"rtsp://example/live");
    ASSERT_TRUE(wait_until([&] { return read_records(log_).size() == 1; }, kToolsBoundMs));
    end_descendants();

    // The previous command must not run again for an address no pipeline takes.
    window_.set(AddressField, u"ftp://example/live");
    run_test(state_, window_.get());
    EXPECT_EQ(state_.test_command, u"");
    EXPECT_EQ(read_bytes(batch_), " \r\n\r\n \r\npause\r\n");
    EXPECT_TRUE(window_.clipboard_enabled());
}

TEST_F(RunTest, UncreatableBatchFileStopsTheTest) {
    end_descendants();
    DeleteFileW(wz(batch_));
    ASSERT_TRUE(make_folder(batch_));  // neither deletable nor creatable as a file
    window_.set(AddressField, u"rtsp://example/live");
    run_test(state_, window_.get());
    EXPECT_FALSE(window_.clipboard_enabled());
    EXPECT_TRUE(descendants().empty()) << "something was started";
    EXPECT_TRUE(is_directory(batch_));
}

TEST(TempDirectory, LongFormEndingInBackslash) {
    const std::u16string dir = temp_directory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), u'\\');
    EXPECT_EQ(dir.find(u'~'), std::u16string::npos);
    EXPECT_TRUE(is_directory(dir));

    // Another temporary folder, named in its short form, is followed at
    // once, and so is the way back.
    ScratchFolder scratch;
    const std::u16string other = scratch.file(u"Tempor\u00e4rer Ordner mit langem Namen\\");
    ASSERT_TRUE(make_folder(other));
    wchar_t short_form[MAX_PATH];
    ASSERT_GT(GetShortPathNameW(wz(other), short_form, MAX_PATH), 0u);
    wchar_t old_tmp[MAX_PATH];
    const DWORD had = GetEnvironmentVariableW(L"TMP", old_tmp, MAX_PATH);
    ASSERT_TRUE(had > 0 && had < MAX_PATH);
    SetEnvironmentVariableW(L"TMP", short_form);
    const std::u16string moved = temp_directory();
    SetEnvironmentVariableW(L"TMP", old_tmp);
    EXPECT_EQ(moved, other);
    EXPECT_EQ(temp_directory(), dir);
}

class StartProgram : public ::testing::TestWithParam<bool> {};

TEST_P(StartProgram, StartsBatchFileWithoutWaiting) {
    ScratchFolder scratch;
    const std::u16string folder = scratch.file(u"batch dir\\");
    ASSERT_TRUE(make_folder(folder));
    const std::u16string recorder = folder + u"rec.exe", flag = scratch.file(u"go.flag"),
                         log = scratch.file(u"started.log"), batch = folder + u"go.bat";
    ASSERT_TRUE(copy_recorder(recorder));
    ASSERT_TRUE(write_bytes(batch, "@\"" + utf8(recorder) + "\" started\r\n"));
    SetEnvironmentVariableW(L"WB_RECORDER_LOG", wz(log));
    SetEnvironmentVariableW(L"WB_RECORDER_WAIT_FOR", wz(flag));

    // The stand-in waits for the flag, which comes only once the start has
    // returned: a start that waits for its program does not return.
    auto start = start_aside(GetParam() ? u"\"" + batch + u"\"" : batch);
    EXPECT_TRUE(returned(start)) << "the start waited for its program";
    SetEnvironmentVariableW(L"WB_RECORDER_WAIT_FOR", nullptr);
    ASSERT_TRUE(write_bytes(flag, ""));
    ASSERT_TRUE(wait_until([&] { return read_records(log).size() == 1; }, kToolsBoundMs));
    EXPECT_EQ(read_records(log)[0].crt, std::vector<std::u16string>{u"started"});
    EXPECT_TRUE(wait_until([] { return descendants().empty(); }, kToolsBoundMs));
    end_descendants();
}

INSTANTIATE_TEST_SUITE_P(Quoting, StartProgram, ::testing::Bool());

TEST(StartProgramFailure, MissingTargetIsIgnored) {
    auto start = start_aside(u"C:\\no such folder\\no such program.exe");
    EXPECT_TRUE(returned(start)) << "an error box holds the start up";
    // Such a box goes, so that the start can end.
    EXPECT_TRUE(wait_until([&] {
        if (HWND box = FindWindowW(L"#32770", nullptr)) PostMessageW(box, WM_CLOSE, 0, 0);
        return start.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    })) << "the start never ended";
    EXPECT_TRUE(descendants().empty()) << "something was started";
    end_descendants();
}

}  // namespace

// Hostile addresses and tool paths go through real cmd.exe, as a batch file
// and as a console line, to recording stand-ins: each word must arrive as one
// argument, unchanged, and no other command may run.
#include "link/launch.h"
#include "link/stream_command.h"
#include "windows_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> split_spaces(std::wstring_view text) {
    std::vector<std::wstring> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(L' ', at), text.size());
        if (end > at) words.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// What a tool should receive for one address word without double quotes:
// the word itself, a control character percent-encoded as in a URL.
std::wstring arriving(const std::wstring& word) {
    static const wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (wchar_t c : word) {
        if (c == L'"' || c < 0x20 || c == 0x7F) {
            out += L'%';
            out += hex[(c >> 4) & 0xF];
            out += hex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

std::vector<std::wstring> player_args(bool reads_stdin) {
    std::vector<std::wstring> args{L"--network-caching=1000"};
    for (auto part : {kPlayerOptions1, kPlayerOptions2, kPlayerOptions3})
        for (auto& w : split_spaces(wide(part))) args.push_back(w);
    if (reads_stdin) args.push_back(L"-");
    return args;
}

enum class Route { batch_ffmpeg, batch_rtmpdump, batch_direct, console_ffmpeg };


struct Vector {
    const wchar_t* text;
    // Arguments the tool must receive when they are not simply the words
    // between spaces (double quotes group and vanish as in the C runtime).
    std::vector<std::wstring> args;
};

const Vector kVectors[] = {
    {L"&echo hello", {}},
    {L"&echo hello>injected.txt", {}},
    {L"\"&echo hello>injected.txt", {L"&echo hello>injected.txt"}},
    {L"\"&whoami", {L"&whoami"}},
    {L">file.txt", {}},
    {L"<nul", {}},
    {L"|echo x>piped.txt", {}},
    {L"2>err.txt", {}},
    {L"%PATH%", {}},
    {L"%%cd:~,%", {}},
    {L"!TMP!", {}},
    {L"%WB_SECRET%", {}},
    {L"abc\"&echo hello>injected.txt", {L"abc&echo hello>injected.txt"}},
    {L"hello^\"world", {L"hello^world"}},
    {L"123\">\"&echo hello>injected.txt", {L"123>&echo", L"hello>injected.txt"}},
    {L"\\\"&echo hello>injected.txt", {L"%22&echo", L"hello>injected.txt"}},
    {L"a\\\\\"b\\ c&d", {L"a\\b\\ c&d"}},
    {L"x \"\" y", {L"x", L"", L"y"}},
    {L"\"a\"\"&echo x>injected.txt\"", {L"a%22&echo x>injected.txt"}},
    {L"\"%WB_SECRET%\" \"%PATH%x", {L"%WB_SECRET%", L"%PATH%x"}},
    {L"'&echo hello>injected.txt'", {}},
    {L"%20%2%~dp0%*%%1", {}},
    {L"^&echo^ x^>caret.txt", {}},
    {L"(echo x)>paren.txt", {}},
    {L"x\r\necho x>newline.txt", {}},
    {L"x\nx\x1a&echo x>ctrlz.txt", {}},
    {L"tab\there\t\t-y\tname", {L"tab", L"here", L"-y", L"name"}},
    {L"trailing\\ \\\\", {}},
    {L"^ % ! ( )", {}},
    {L"http://h/live?a=1&b=2|x<y>z^w%20(v)!u", {}},
};

struct Case {
    Vector vector;
    Route route;
};

class CmdInjection : public ::testing::TestWithParam<Case> {
protected:
    static void SetUpTestSuite() {
        scratch_ = std::make_unique<ScratchFolder>();
        // A tool folder with a space and every character cmd.exe would act on.
        tools_ = scratch_->path() + L"tool dir & (x86) 100%^!\\";
        ASSERT_TRUE(make_folder(tools_));
        ASSERT_TRUE(make_folder(scratch_->path() + L"work"));
        for (const wchar_t* name : {L"rec-ffmpeg.exe", L"rec-vlc.exe", L"rec-rtmpdump.exe"})
            ASSERT_TRUE(copy_recorder(tools_ + name));
        SetEnvironmentVariableW(L"WB_RECORDER_LOG", (scratch_->path() + L"log.txt").c_str());
        SetEnvironmentVariableW(L"WB_SECRET", L"leaked&echo x>secret.txt");
    }
    static void TearDownTestSuite() {
        end_descendants();
        SetEnvironmentVariableW(L"WB_SECRET", nullptr);
        scratch_.reset();
    }
    static std::u16string text(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

    static std::unique_ptr<ScratchFolder> scratch_;
    static std::wstring tools_;
};
std::unique_ptr<ScratchFolder> CmdInjection::scratch_;
std::wstring CmdInjection::tools_;

TEST_P(CmdInjection, WordsArriveUnchangedAndNothingElseRuns) {
    const Case& c = GetParam();
    const std::wstring dir = scratch_->path();
    const std::wstring log = dir + L"log.txt";
    DeleteFileW(log.c_str());

    std::wstring prefix = L"http://example/live.m3u8";
    std::wstring source_tool = L"rec-ffmpeg.exe";
    if (c.route == Route::batch_rtmpdump) prefix = L"rtmp://example/live", source_tool = L"rec-rtmpdump.exe";
    if (c.route == Route::batch_direct) prefix = L"rtsp://example/live";
    const std::wstring address = prefix + L" " + c.vector.text;

    ProgramState state;
    state.vlc_path = text(tools_ + L"rec-vlc.exe");
    state.ffmpeg_path = text(tools_ + L"rec-ffmpeg.exe");
    state.rtmpdump_path = text(tools_ + L"rec-rtmpdump.exe");
    state.stream_address = text(address);
    compose_test_command(state, batch_charset());

    std::wstring command;
    if (c.route == Route::console_ffmpeg) {
        command = L"cmd.exe /d /s /c \"" + wide(clipboard_line(state)) + L"\"";
    } else {
        ASSERT_TRUE(write_batch_file(text(dir + L"stream.bat"), state.test_command));
        command = L"cmd.exe /d /s /c \"\"" + dir + L"stream.bat\"\"";
    }
    ASSERT_TRUE(run_and_wait(command, dir + L"work", dir + L"out.txt"));

    std::vector<std::wstring> address_args{prefix};
    if (c.vector.args.empty()) {
        for (const auto& word : split_spaces(c.vector.text)) address_args.push_back(arriving(word));
    } else {
        address_args.insert(address_args.end(), c.vector.args.begin(), c.vector.args.end());
    }

    std::vector<Record> records = read_records(log);
    std::vector<std::wstring> source_args, player;
    if (c.route == Route::batch_direct) {
        player = player_args(false);
        player.insert(player.end(), address_args.begin(), address_args.end());
        ASSERT_EQ(records.size(), 1u) << read_bytes(dir + L"out.txt");
    } else {
        source_args = c.route == Route::batch_rtmpdump ? std::vector<std::wstring>{L"-v", L"-r"}
                                                       : std::vector<std::wstring>{L"-re", L"-i"};
        source_args.insert(source_args.end(), address_args.begin(), address_args.end());
        if (c.route != Route::batch_rtmpdump) {
            for (const wchar_t* w : {L"-acodec", L"copy", L"-vcodec", L"copy", L"-f", L"mpegts", L"pipe:"})
                source_args.push_back(w);
        }
        player = c.route == Route::console_ffmpeg ? std::vector<std::wstring>{L"-"} : player_args(true);
        ASSERT_EQ(records.size(), 2u) << read_bytes(dir + L"out.txt");
    }
    for (const Record& r : records) {
        const auto& expected = r.tool == L"rec-vlc.exe" ? player : source_args;
        if (r.tool != L"rec-vlc.exe") {
            EXPECT_EQ(r.tool, source_tool);
        }
        EXPECT_EQ(r.crt, expected) << "command line: " << utf8(r.line);
        EXPECT_EQ(r.w32, expected) << "command line: " << utf8(r.line);
    }
    EXPECT_EQ(folder_entries(dir + L"work\\"), std::vector<std::wstring>{}) << "a redirection or command ran";
    const std::vector<std::wstring> expected_entries =
        c.route == Route::console_ffmpeg
            ? std::vector<std::wstring>{L"log.txt", L"out.txt", L"tool dir & (x86) 100%^!", L"work"}
            : std::vector<std::wstring>{L"log.txt", L"out.txt", L"stream.bat", L"tool dir & (x86) 100%^!", L"work"};
    std::vector<std::wstring> entries = folder_entries(dir);
    if (c.route == Route::console_ffmpeg) std::erase(entries, L"stream.bat");
    EXPECT_EQ(entries, expected_entries);
}

std::vector<Case> all_cases() {
    std::vector<Case> cases;
    for (const Vector& v : kVectors)
        for (Route r : {Route::batch_ffmpeg, Route::batch_rtmpdump, Route::batch_direct, Route::console_ffmpeg})
            cases.push_back({v, r});
    return cases;
}

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
    static const char* const routes[] = {"batch_ffmpeg", "batch_rtmpdump", "batch_direct", "console_ffmpeg"};
    std::string name = "v";
    name += std::to_string(info.index / 4);
    name += '_';
    name += routes[static_cast<int>(info.param.route)];
    return name;
}

INSTANTIATE_TEST_SUITE_P(Vectors, CmdInjection, ::testing::ValuesIn(all_cases()), case_name);

}  // namespace

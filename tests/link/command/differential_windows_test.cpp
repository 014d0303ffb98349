// The program's lines go to the real cmd.exe by both routes, one stream.bat
// holding every batch line and one console session reading every clipboard
// line, and on to recording stand-ins: the published injection vectors with
// their hand-written words, random words from everything cmd.exe or the C
// runtime reads specially, and international text with tools in folders
// with non-ASCII names. For every word a tool received, the shared model of
// cmd.exe and the C runtime (tests/support/cmd_model.h) must say the same,
// and it must be the word the address means; nothing else may run and no
// file may appear.
#include "link/launch.h"
#include "link/stream_command.h"
#include "tests/link/command/recorder_log.h"
#include "tests/support/cmd_model.h"
#include "textfile/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Whether cmd.exe reads a character back from a batch file written in the
// OEM code page, written out for the letters these texts use: of them, code
// pages 437 and 850 have only the Latin ones. (A new letter of theirs shows
// as a word received whole where the model expects it percent-encoded.)
bool known_oem_code_page() {
    const UINT page = GetOEMCP();
    return page == 437 || page == 850 || page == CP_UTF8;
}

bool oem_holds(char32_t code) {
    if (code < 0x80 || GetOEMCP() == CP_UTF8) return true;
    return code == U'\u00fc' || code == U'\u00e9' || code == U'\u00df';
}

bool oem_holds_all(std::u16string_view text) {
    for (char16_t c : text)
        if (c >= 0x80 && (c >= 0xD800 || !oem_holds(c))) return false;
    return true;
}

// batch: the batch file; console: a console session reading the clipboard
// lines as typed input; pasted: each clipboard line as its own Unicode
// command line, as a pasted line reaches cmd.exe (a byte stream in the OEM
// code page cannot carry every script).
enum class Route { batch, console, pasted };

const char16_t* const kToolFolders[] = {u"tool dir & (x86) 100%^!", u"Werkzeuge J\u00fcrgen M\u00fcller",
                                        u"Werkzeuge \u042e\u0440\u0438\u0439 \u4e2d\u6587"};

struct Line {
    std::u16string address;  // its markers choose the pipeline
    int source_folder = 0;   // index into kToolFolders
    int player_folder = 0;
    std::vector<std::u16string> expected;  // hand-written address words, if any
};

// Published injection vectors. Where the words are not simply the text split
// at its spaces, they are written out (double quotes group and vanish as in
// the C runtime, control characters arrive percent-encoded).
const struct {
    std::u16string text;
    std::vector<std::u16string> words;
} kVectors[] = {
    {u"&echo hello", {}},
    {u"&echo hello>injected.txt", {}},
    {u"\"&echo hello>injected.txt", {u"&echo hello>injected.txt"}},
    {u"\"&whoami", {u"&whoami"}},
    {u">file.txt", {}},
    {u"<nul", {}},
    {u"|echo x>piped.txt", {}},
    {u"2>err.txt", {}},
    {u"%PATH%", {}},
    {u"%%cd:~,%", {}},
    {u"!TMP!", {}},
    {u"%WB_SECRET%", {}},
    {u"abc\"&echo hello>injected.txt", {u"abc&echo hello>injected.txt"}},
    {u"hello^\"world", {u"hello^world"}},
    {u"123\">\"&echo hello>injected.txt", {u"123>&echo", u"hello>injected.txt"}},
    {u"\\\"&echo hello>injected.txt", {u"%22&echo", u"hello>injected.txt"}},
    {u"a\\\\\"b\\ c&d", {u"a\\b\\ c&d"}},
    {u"x \"\" y", {u"x", u"", u"y"}},
    {u"\"a\"\"&echo x>injected.txt\"", {u"a%22&echo x>injected.txt"}},
    {u"\"%WB_SECRET%\" \"%PATH%x", {u"%WB_SECRET%", u"%PATH%x"}},
    {u"'&echo hello>injected.txt'", {}},
    {u"%20%2%~dp0%*%%1", {}},
    {u"^&echo^ x^>caret.txt", {}},
    {u"(echo x)>paren.txt", {}},
    {u"x\r\necho x>newline.txt", {u"x%0D%0Aecho", u"x>newline.txt"}},
    {u"x\nx\x1a&echo x>ctrlz.txt", {u"x%0Ax%1A&echo", u"x>ctrlz.txt"}},
    {u"tab\there\t\t-y\tname", {u"tab", u"here", u"-y", u"name"}},
    {u"trailing\\ \\\\", {}},
    {u"^ % ! ( )", {}},
    {u"http://h/live?a=1&b=2|x<y>z^w%20(v)!u", {}},
};

// A lead for each pipeline; the clipboard line is always the ffmpeg one.
const char16_t* const kLeads[] = {u"http://h/live.m3u8", u"rtmp://h/live", u"rtsp://h/live"};

std::vector<Line> vector_lines(Route route) {
    std::vector<Line> lines;
    for (const auto& v : kVectors) {
        for (const char16_t* lead : kLeads) {
            Line line{std::u16string(lead) + u" " + v.text, 0, 0, {lead}};
            if (v.words.empty()) {
                for (std::size_t at = 0; at < v.text.size();) {
                    const std::size_t end = std::min(v.text.find(u' ', at), v.text.size());
                    if (end > at) line.expected.push_back(v.text.substr(at, end - at));
                    at = end + 1;
                }
            } else {
                line.expected.insert(line.expected.end(), v.words.begin(), v.words.end());
            }
            lines.push_back(std::move(line));
            if (route != Route::batch) break;
        }
    }
    return lines;
}

// Pieces of random words: cmd.exe's operators and delimiters, quotes,
// backslash runs, percent and exclamation forms, blanks, control characters
// and letters of several scripts (one outside the Basic Multilingual Plane).
const char16_t* const kPieces[] = {
    u"&", u"|", u"<", u">", u"^", u"(", u")", u",", u";", u"=", u"@", u"~", u"*", u"?", u"'", u"`", u"+",
    u"\"", u"\"\"", u"\\", u"\\\\", u"\\\\\\", u"\\\\\\\\", u"\\\"", u"\\\\\"",
    u"%x%", u"%%", u"%~", u"%1", u"%~dp0", u"%*", u"%PATH%", u"%WB_SECRET%", u"%", u"%%x%%", u"%20",
    u"!", u"!TMP!", u"!WB_SECRET!",
    u" ", u"\t", u"\r", u"\n", u"\r\n", u"\x1a", u"\x01", u"\x08", u"\x1b", u"\x7f",
    u"a", u"b", u"x1", u"-y", u"/", u":", u".", u"echo", u"stray.txt",
    u"\u00fc", u"\u00e9", u"\u00df", u"\u0416", u"\u044f", u"\u4e2d", u"\u6587", u"\U00020B9F",
};

// Words that once arrived wrong (a tab taken for part of a word, letters
// outside ASCII garbled by a UTF-8 batch file); they lead every run.
const std::u16string kRegressions[] = {
    u"rtmp://h/app\t-y\tname", u"\"J\u00fcrgen\tM\u00fcller\"", u"\u043f\u0440\u0438\u0432\u0435\u0442",
    u"\u4e2d\\\"&\u4e2d", u"\u00fcber\t\t%20",
};

constexpr std::size_t kWordsPerRoute = 1200;
constexpr std::size_t kWordsPerLine = 25;

// Lines of random words, each pipeline and each pair of tool folders in
// turn. WB_DIFFERENTIAL_SEED runs a campaign with other words; the default
// is fixed.
std::vector<Line> random_lines(Route route) {
    wchar_t seed_text[32] = L"";
    const bool other_seed = GetEnvironmentVariableW(L"WB_DIFFERENTIAL_SEED", seed_text, 32) > 0;
    std::mt19937 random(other_seed ? static_cast<unsigned>(std::wcstoul(seed_text, nullptr, 10)) : 20261208u);
    // A console session reads its input in the OEM code page.
    std::vector<std::u16string> pieces, words;
    for (const char16_t* piece : kPieces)
        if (route == Route::batch || oem_holds_all(piece)) pieces.push_back(piece);
    for (const auto& word : kRegressions)
        if (route == Route::batch || oem_holds_all(word)) words.push_back(word);
    while (words.size() < kWordsPerRoute) {
        std::u16string word;
        for (unsigned n = 1 + random() % 6; n > 0; --n) word += pieces[random() % pieces.size()];
        words.push_back(word);
    }
    // The session's tools sit where the OEM code page can name them.
    const int folders = route == Route::batch || oem_holds_all(kToolFolders[2]) ? 3 : 2;
    std::vector<Line> lines;
    for (std::size_t at = 0; at < words.size(); at += kWordsPerLine) {
        const int n = static_cast<int>(lines.size());
        Line line{kLeads[n % 3], n % folders, (n + 1) % folders, {}};
        for (std::size_t i = at; i < std::min(at + kWordsPerLine, words.size()); ++i) line.address += u" " + words[i];
        lines.push_back(std::move(line));
    }
    return lines;
}

// The international examples: tools in folders with non-ASCII names (one
// the OEM code page cannot name), letters of several scripts in addresses,
// tab-separated options.
const Line kInternational[] = {
    {u"http://h/m\u00fcller-stra\u00dfe.m3u8?t=caf\u00e9 \u00fcber", 1, 1, {}},
    {u"rtmp://h/app\t-y\tname", 1, 2, {}},
    {u"http://h/\u043f\u0440\u0438\u0432\u0435\u0442.m3u8 \u00df \u00e9 \u00fc \u4e2d\u6587 \U00020B9F", 2, 1, {}},
    {u"rtsp://h/\u042e\u0440\u0438\u0439/\u4e2d \"a b&\u00e9\"", 0, 2, {}},
    {u"rtmp://h/a -y \"J\u00fcrgen\tM\u00fcller\"", 2, 2, {}},
};

std::string printable(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        static const char hex[] = "0123456789abcdef";
        if (c < 0x20 || c == 0x7F) out += std::string("\\x") + hex[c >> 4] + hex[c & 0xF];
        else out += utf8(std::u16string(1, c));
    }
    return out;
}

std::string show(const std::vector<std::u16string>& words) {
    std::string out;
    for (const auto& w : words) {
        out += '[';  // appended piece by piece: GCC 12 warns falsely about "[" + temporary
        out += printable(w);
        out += ']';
    }
    return out;
}

class CmdDifferential : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch_ = std::make_unique<ScratchFolder>();
        for (const char16_t* folder : kToolFolders) {
            ASSERT_TRUE(make_folder(scratch_->file(folder)));
            for (const char16_t* name : {u"rec-ffmpeg.exe", u"rec-vlc.exe", u"rec-rtmpdump.exe"})
                ASSERT_TRUE(copy_recorder(scratch_->file(folder) + u"\\" + name));
        }
        SetEnvironmentVariableW(L"WB_SECRET", L"leaked&echo x>secret.txt");
        std::cout << "OEM code page " << GetOEMCP() << ", ANSI code page " << GetACP() << "\n";
    }
    static void TearDownTestSuite() {
        end_descendants();
        SetEnvironmentVariableW(L"WB_SECRET", nullptr);
        SetEnvironmentVariableW(L"WB_RECORDER_LOG", nullptr);
        scratch_.reset();
    }
    void SetUp() override {
        if (!known_oem_code_page()) GTEST_SKIP() << "no letters written down for OEM code page " << GetOEMCP();
        work_ = scratch_->file(u"work\\");
        ASSERT_TRUE(make_folder(work_));
        log_ = scratch_->file(u"log.txt");
        SetEnvironmentVariableW(L"WB_RECORDER_LOG", wz(log_));
    }
    void TearDown() override {
        end_descendants();
        for (const char16_t* name : {u"log.txt", u"out.txt", u"stream.bat", u"session.txt"})
            DeleteFileW(wz(scratch_->file(name)));
        remove_tree(work_);
    }

    static ProgramState state_for(const Line& line) {
        ProgramState state;
        const std::u16string source = scratch_->file(kToolFolders[line.source_folder]) + u"\\";
        const std::u16string player = scratch_->file(kToolFolders[line.player_folder]) + u"\\";
        state.ffmpeg_path = source + u"rec-ffmpeg.exe";
        state.rtmpdump_path = source + u"rec-rtmpdump.exe";
        state.vlc_path = player + u"rec-vlc.exe";
        state.cache_kb = u"1000";
        state.stream_address = line.address;
        compose_test_command(state, batch_charset());
        return state;
    }

    // Writes every line for its route, lets one cmd.exe run them all (or one
    // per pasted line) and checks what the tools received.
    void run(const std::vector<Line>& lines, Route route) {
        const std::u16string out = scratch_->file(u"out.txt");
        // A hang guard that grows with the work: every line starts up to two tools.
        const DWORD bound = 60000 + 30000 * static_cast<DWORD>(lines.size());
        std::vector<std::u16string> written;
        for (const Line& line : lines) {
            const ProgramState state = state_for(line);
            written.push_back(route == Route::batch ? state.test_command : clipboard_line(state));
        }
        if (route == Route::pasted) {
            for (const auto& line : written)
                ASSERT_TRUE(run_and_wait(u"cmd.exe /d /s /c \"" + line + u"\"", work_, out, u"NUL", bound));
        } else {
            const std::u16string file = scratch_->file(route == Route::batch ? u"stream.bat" : u"session.txt");
            ASSERT_TRUE(text_file_create(file, TextEncoding::console));
            for (const auto& line : written) ASSERT_TRUE(text_file_write_line(line));
            text_file_close();
            const std::u16string command = route == Route::batch ? u"cmd.exe /d /s /c \"\"" + file + u"\"\"" : u"cmd.exe /d /q";
            ASSERT_TRUE(run_and_wait(command, work_, out, route == Route::batch ? u"NUL" : file, bound));
        }
        check(lines, written, route);
    }

    // The lines of cmd.exe's output that report a program it could not start
    // or a record the recorder could not write.
    std::string complaints() const {
        std::string found;
        const std::string output = read_bytes(scratch_->file(u"out.txt"));
        for (std::size_t at = 0; at < output.size();) {
            const std::size_t end = std::min(output.find('\n', at), output.size());
            const std::string line = output.substr(at, end - at);
            if (line.find("recogni") != std::string::npos || line.find("recorder:") != std::string::npos)
                found += line + "\n";
            at = end + 1;
        }
        return found;
    }

    void check(const std::vector<Line>& lines, const std::vector<std::u16string>& written, Route route) {
        const CommandShell shell = route == Route::batch ? CommandShell::batch : CommandShell::console;
        const std::vector<Record> records = read_records(log_);
        std::size_t next = 0;
        for (std::size_t index = 0; index < lines.size(); ++index) {
            const Line& line = lines[index];
            const auto context = [&](const Record* record) {
                return "line " + std::to_string(index) + ", address \"" + printable(line.address) + "\"\nwritten: " +
                       printable(written[index]) + (record ? "\nreceived: " + printable(record->line) : "") +
                       "\ncmd.exe's complaints:\n" + complaints();
            };
            // What the model says cmd.exe starts; no variable the line could
            // name is defined in this run.
            const auto model = cmd_model::commands(written[index], shell, cmd_model::Environment::empty);
            ASSERT_TRUE(model.has_value()) << "the model says cmd.exe acts on the line\n" << context(nullptr);

            // What the tools must receive: the words the address means.
            const Pipeline pipeline = route == Route::batch ? choose_pipeline(line.address) : Pipeline::ffmpeg;
            const bool piped = pipeline == Pipeline::rtmpdump || pipeline == Pipeline::ffmpeg;
            const auto address = cmd_model::meant_words(line.address, shell, oem_holds);
            if (!line.expected.empty()) {
                ASSERT_EQ(show(address), show(line.expected)) << context(nullptr);
            }
            std::vector<std::u16string> source{u"-re", u"-i"}, player;
            if (pipeline == Pipeline::rtmpdump) source = {u"-v", u"-r"};
            source.insert(source.end(), address.begin(), address.end());
            if (pipeline == Pipeline::ffmpeg)
                for (const char16_t* w : {u"-acodec", u"copy", u"-vcodec", u"copy", u"-f", u"mpegts", u"pipe:"})
                    source.push_back(w);
            if (route != Route::batch) {
                player = {u"-"};
            } else {
                player = cmd_model::crt_arguments(u" --network-caching=1000" + std::u16string(kPlayerOptions1) +
                                                  std::u16string(kPlayerOptions2) + std::u16string(kPlayerOptions3));
                if (piped) player.push_back(u"-");
                else player.insert(player.end(), address.begin(), address.end());
            }
            const std::size_t count = piped ? 2 : 1;
            ASSERT_EQ(model->size(), count) << context(nullptr);
            ASSERT_LE(next + count, records.size()) << "fewer tools ran than lines were written\n" << context(nullptr);
            for (std::size_t r = next; r < next + count; ++r) {
                const Record& record = records[r];
                const bool is_player = record.tool == u"rec-vlc.exe";
                const std::u16string source_tool = pipeline == Pipeline::rtmpdump ? u"rec-rtmpdump.exe" : u"rec-ffmpeg.exe";
                ASSERT_TRUE(is_player || (piped && record.tool == source_tool)) << context(&record);
                // The model's reading of the line, word for word, against the real one.
                const cmd_model::Argv said = cmd_model::crt_argv(is_player ? model->back() : model->front());
                wchar_t found[MAX_PATH] = {};
                const DWORD n = GetLongPathNameW(wz(cmd_model::program_name(is_player ? model->back() : model->front())),
                                                 found, MAX_PATH);
                const std::u16string looked_up = u16(found, n);
                EXPECT_EQ(looked_up.substr(looked_up.rfind(u'\\') + 1), record.tool) << context(&record);
                ASSERT_EQ(show(record.crt), show(said.arguments)) << "the model differs from cmd.exe\n" << context(&record);
                ASSERT_EQ(show(record.crt), show(is_player ? player : source)) << context(&record);
                ASSERT_EQ(show(record.w32), show(record.crt)) << context(&record);
            }
            next += count;
        }
        EXPECT_EQ(next, records.size()) << "another command ran";
        EXPECT_EQ(folder_entries(work_), std::vector<std::u16string>{}) << "a redirection or command ran";
        std::vector<std::u16string> expected_entries{u"log.txt", u"out.txt", u"work"};
        if (route == Route::batch) expected_entries.push_back(u"stream.bat");
        if (route == Route::console) expected_entries.push_back(u"session.txt");
        expected_entries.insert(expected_entries.end(), std::begin(kToolFolders), std::end(kToolFolders));
        std::sort(expected_entries.begin(), expected_entries.end());
        EXPECT_EQ(folder_entries(scratch_->path()), expected_entries) << "a stray file appeared";
        for (const char16_t* folder : kToolFolders)
            EXPECT_EQ(folder_entries(scratch_->file(folder) + u"\\").size(), 3u) << "a stray file appeared";
    }

    static std::unique_ptr<ScratchFolder> scratch_;
    std::u16string work_, log_;
};
std::unique_ptr<ScratchFolder> CmdDifferential::scratch_;

class Routes : public CmdDifferential, public ::testing::WithParamInterface<Route> {};

TEST_P(Routes, VectorsAndRandomWordsArriveAsTheModelSays) {
    std::vector<Line> lines = vector_lines(GetParam());
    const std::vector<Line> random = random_lines(GetParam());
    lines.insert(lines.end(), random.begin(), random.end());
    const ULONGLONG start = GetTickCount64();
    run(lines, GetParam());
    std::cout << lines.size() << " lines through cmd.exe in " << (GetTickCount64() - start) / 1000.0 << " s\n";
}

INSTANTIATE_TEST_SUITE_P(BatchAndConsole, Routes, ::testing::Values(Route::batch, Route::console),
                         [](const auto& info) { return info.param == Route::batch ? "batch" : "console"; });

TEST_F(CmdDifferential, InternationalTextOnTheBatchRoute) {
    run({std::begin(kInternational), std::end(kInternational)}, Route::batch);
}

TEST_F(CmdDifferential, InternationalTextOnThePastedConsoleLine) {
    run({std::begin(kInternational), std::end(kInternational)}, Route::pasted);
}

}  // namespace

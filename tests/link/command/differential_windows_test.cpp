// Addresses go through the program's own batch and console routes to the
// real cmd.exe and on to recording stand-ins, many at a time: random words
// from everything cmd.exe or the C runtime reads specially, and the
// international examples with tools in folders with non-ASCII names. Each
// tool must receive exactly the arguments of the model below; nothing else
// may run and no file may appear.
#include "link/launch.h"
#include "link/stream_command.h"
#include "textfile/text_file.h"
#include "windows_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::u16string text(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }
std::wstring wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

// The tools' C runtime reading argument text: spaces and tabs separate, double
// quotes group, 2n backslashes before a quote give n (and the quote groups),
// 2n+1 give n and a literal quote, "" inside quotes gives a literal quote.
std::vector<std::wstring> crt_split(std::wstring_view s) {
    std::vector<std::wstring> args;
    std::size_t i = 0;
    for (;;) {
        while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
        if (i == s.size()) return args;
        std::wstring arg;
        bool quoted = false;
        while (i < s.size() && (quoted || (s[i] != L' ' && s[i] != L'\t'))) {
            std::size_t run = 0;
            while (i + run < s.size() && s[i + run] == L'\\') ++run;
            if (run > 0) {
                const bool before_quote = i + run < s.size() && s[i + run] == L'"';
                arg.append(before_quote ? run / 2 : run, L'\\');
                i += run;
                if (before_quote && run % 2 == 1) arg += s[i++];
            } else if (s[i] == L'"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == L'"') arg += L'"', i += 2;
                else quoted = !quoted, ++i;
            } else {
                arg += s[i++];
            }
        }
        args.push_back(std::move(arg));
    }
}

// Whether cmd.exe reads the text back from a batch file written in the OEM
// code page.
bool oem_holds(const std::wstring& character) {
    const UINT cp = GetOEMCP();
    if (cp == CP_UTF8) return true;
    char bytes[8];
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, character.data(), static_cast<int>(character.size()),
                                      bytes, sizeof bytes, nullptr, &used_default);
    wchar_t back[4];
    const int m = n > 0 && !used_default ? MultiByteToWideChar(cp, 0, bytes, n, back, 4) : 0;
    return std::wstring(back, static_cast<std::size_t>(m)) == character;
}

enum class Route { batch, console };

void append_percent(std::wstring& out, unsigned byte) {
    static const wchar_t hex[] = L"0123456789ABCDEF";
    out += L'%';
    out += hex[(byte >> 4) & 0xF];
    out += hex[byte & 0xF];
}

// What a tool receives for one argument of an address: a double quote and
// control characters percent-encoded, as in a URL (a tab only on a console
// line); in a batch file, every character outside the OEM code page as its
// percent-encoded UTF-8 bytes.
std::wstring arriving(const std::wstring& value, Route route) {
    std::wstring out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const wchar_t c = value[i];
        const std::size_t units = IS_HIGH_SURROGATE(c) && i + 1 < value.size() && IS_LOW_SURROGATE(value[i + 1]) ? 2 : 1;
        const std::wstring character = value.substr(i, units);
        i += units - 1;
        if (c == L'"' || c == 0x7F || (c < 0x20 && (c != L'\t' || route == Route::console))) {
            append_percent(out, c);
        } else if (c < 0x80 || route == Route::console || oem_holds(character)) {
            out += character;
        } else {
            const std::string bytes = utf8(c >= 0xD800 && c <= 0xDFFF && units == 1 ? std::wstring(L"\xFFFD") : character);
            for (unsigned char b : bytes) append_percent(out, b);
        }
    }
    return out;
}

const wchar_t* const kToolFolders[] = {L"tool dir & (x86) 100%^!", L"Werkzeuge Jürgen Müller",
                                       L"Werkzeuge Юрий 中文"};

// Tools a line starts: a source piped into the player, or the player alone.
std::size_t count_of(Pipeline pipeline) {
    return pipeline == Pipeline::rtmpdump || pipeline == Pipeline::ffmpeg ? 2 : 1;
}

struct Line {
    std::wstring address;  // its markers choose the pipeline
    int source_folder;  // index into kToolFolders
    int player_folder;
};


// Pieces of random words: cmd.exe's operators and delimiters, quotes,
// backslash runs, percent and exclamation forms, blanks, control characters
// and letters of several scripts (one outside the Basic Multilingual Plane).
const wchar_t* const kPieces[] = {
    L"&", L"|", L"<", L">", L"^", L"(", L")", L",", L";", L"=", L"@", L"~", L"*", L"?", L"'", L"`", L"+",
    L"\"", L"\"\"", L"\\", L"\\\\", L"\\\\\\", L"\\\\\\\\", L"\\\"", L"\\\\\"",
    L"%x%", L"%%", L"%~", L"%1", L"%~dp0", L"%*", L"%PATH%", L"%WB_SECRET%", L"%", L"%%x%%", L"%20",
    L"!", L"!TMP!", L"!WB_SECRET!",
    L" ", L"\t", L"\r", L"\n", L"\r\n", L"\x1a", L"\x01", L"\x08", L"\x1b", L"\x7f",
    L"a", L"b", L"x1", L"-y", L"/", L":", L".", L"echo", L"stray.txt",
    L"ü", L"é", L"ß", L"Ж", L"я", L"中", L"文", L"\U00020B9F",
};

// Words that once arrived wrong (a tab taken for part of a word, letters
// outside ASCII garbled by a UTF-8 batch file); they lead every run.
const std::vector<std::wstring> kRegressions = {
    L"rtmp://h/app\t-y\tname", L"\"Jürgen\tMüller\"", L"привет", L"中\\\"&中", L"über\t\t%20",
};

std::vector<std::wstring> random_words(std::size_t count, Route route, std::mt19937& random) {
    std::vector<const wchar_t*> pieces;
    for (const wchar_t* piece : kPieces)
        // A console session reads its input in the OEM code page too; a
        // pasted line is Unicode (see the international test).
        if (route == Route::batch || piece[0] < 0x80 || oem_holds(piece)) pieces.push_back(piece);
    std::vector<std::wstring> words;
    for (const auto& word : kRegressions)
        if (route == Route::batch || oem_holds(word)) words.push_back(word);
    while (words.size() < count) {
        std::wstring word;
        for (unsigned n = 1 + random() % 6; n > 0; --n) word += pieces[random() % pieces.size()];
        words.push_back(word);
    }
    return words;
}

std::vector<std::wstring> split_spaces(std::wstring_view s) {
    std::vector<std::wstring> words;
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t end = std::min(s.find(L' ', at), s.size());
        if (end > at) words.emplace_back(s.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

std::wstring printable(const std::wstring& s) {
    std::wstring out;
    for (wchar_t c : s) {
        if (c < 0x20 || c == 0x7F || c == L'"' || c == L'\\') {
            static const wchar_t hex[] = L"0123456789abcdef";
            out += c == L'"' ? L"\\\"" : c == L'\\' ? L"\\\\" : std::wstring(L"\\x") + hex[c >> 4] + hex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

class CmdDifferential : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch_ = std::make_unique<ScratchFolder>();
        for (const wchar_t* folder : kToolFolders) {
            ASSERT_TRUE(make_folder(scratch_->path() + folder));
            for (const wchar_t* name : {L"rec-ffmpeg.exe", L"rec-vlc.exe", L"rec-rtmpdump.exe"})
                ASSERT_TRUE(copy_recorder(scratch_->path() + folder + L"\\" + name));
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
        work_ = scratch_->path() + L"work\\";
        ASSERT_TRUE(make_folder(work_));
        log_ = scratch_->path() + L"log.txt";
        SetEnvironmentVariableW(L"WB_RECORDER_LOG", log_.c_str());
    }
    void TearDown() override {
        end_descendants();
        for (const wchar_t* name : {L"log.txt", L"out.txt", L"stream.bat", L"session.txt"})
            DeleteFileW((scratch_->path() + name).c_str());
        for (const auto& name : folder_entries(work_)) DeleteFileW((work_ + name).c_str());
        RemoveDirectoryW(work_.c_str());
    }

    static ProgramState state_for(const Line& line) {
        ProgramState state;
        const std::wstring source = scratch_->path() + kToolFolders[line.source_folder] + L"\\";
        const std::wstring player = scratch_->path() + kToolFolders[line.player_folder] + L"\\";
        state.ffmpeg_path = text(source + L"rec-ffmpeg.exe");
        state.rtmpdump_path = text(source + L"rec-rtmpdump.exe");
        state.vlc_path = text(player + L"rec-vlc.exe");
        state.cache_kb = u"1000";
        state.stream_address = text(line.address);
        compose_test_command(state, batch_charset());
        return state;
    }

    // One batch file with every line; one console session reading them all
    // (`unicode`: each line as its own Unicode command line instead, as a
    // pasted line reaches cmd.exe, which a byte stream cannot carry).
    void run(const std::vector<Line>& lines, Route route, bool unicode = false) {
        const std::wstring dir = scratch_->path();
        if (route == Route::console && unicode) {
            for (const Line& line : lines) {
                written_.push_back(clipboard_line(state_for(line)));
                const std::wstring command = L"cmd.exe /d /s /c \"" + wide(written_.back()) + L"\"";
                ASSERT_TRUE(run_and_wait(command, work_, dir + L"out.txt"));
            }
        } else {
            const std::wstring file = dir + (route == Route::batch ? L"stream.bat" : L"session.txt");
            ASSERT_TRUE(text_file_create(text(file), TextEncoding::console));
            for (const Line& line : lines) {
                const ProgramState state = state_for(line);
                written_.push_back(route == Route::batch ? state.test_command : clipboard_line(state));
                ASSERT_TRUE(text_file_write_line(written_.back()));
            }
            text_file_close();
            if (route == Route::batch)
                ASSERT_TRUE(run_and_wait(L"cmd.exe /d /s /c \"\"" + file + L"\"\"", work_, dir + L"out.txt"));
            else
                ASSERT_TRUE(run_and_wait(L"cmd.exe /d /q", work_, dir + L"out.txt", file));
        }
        check(lines, route);
    }

    // The lines of cmd.exe's output that report a program it could not start
    // or a record the recorder could not write.
    std::string complaints() const {
        std::string found;
        const std::string output = read_bytes(scratch_->path() + L"out.txt");
        for (std::size_t at = 0; at < output.size();) {
            const std::size_t end = std::min(output.find('\n', at), output.size());
            const std::string line = output.substr(at, end - at);
            if (line.find("recogni") != std::string::npos || line.find("recorder:") != std::string::npos)
                found += line + "\n";
            at = end + 1;
        }
        return found;
    }

    void check(const std::vector<Line>& lines, Route route) {
        const std::vector<Record> records = read_records(log_);
        std::size_t next = 0;
        for (std::size_t index = 0; index < lines.size(); ++index) {
            const Line& line = lines[index];
            // The program picks the pipeline by markers, which a word may hold
            // too; the clipboard line is always ffmpeg into the player.
            const Pipeline pipeline =
                route == Route::console ? Pipeline::ffmpeg : choose_pipeline(text(line.address));
            std::vector<std::wstring> address;
            for (const auto& arg : crt_split(line.address)) address.push_back(arriving(arg, route));
            std::vector<std::wstring> source{L"-re", L"-i"}, player;
            if (pipeline == Pipeline::rtmpdump) source = {L"-v", L"-r"};
            source.insert(source.end(), address.begin(), address.end());
            if (pipeline == Pipeline::ffmpeg)
                for (const wchar_t* w : {L"-acodec", L"copy", L"-vcodec", L"copy", L"-f", L"mpegts", L"pipe:"})
                    source.push_back(w);
            if (route == Route::console) {
                player = {L"-"};
            } else {
                player.push_back(L"--network-caching=1000");
                for (auto part : {kPlayerOptions1, kPlayerOptions2, kPlayerOptions3})
                    for (auto& w : split_spaces(wide(part))) player.push_back(w);
                if (count_of(pipeline) == 1) player.insert(player.end(), address.begin(), address.end());
                else player.push_back(L"-");
            }
            const std::wstring source_tool = pipeline == Pipeline::rtmpdump ? L"rec-rtmpdump.exe" : L"rec-ffmpeg.exe";
            const std::size_t count = count_of(pipeline);
            ASSERT_LE(next + count, records.size())
                << "fewer tools ran than lines were written; cmd.exe's complaints:\n" << complaints();
            for (std::size_t r = next; r < next + count; ++r) {
                const Record& record = records[r];
                const bool is_player = record.tool == L"rec-vlc.exe";
                const auto context = [&] {
                    return "line " + std::to_string(index) + ", address \"" + utf8(printable(line.address)) +
                           "\"\nwritten: " + utf8(written_[index]) + "\nreceived: " + utf8(record.line) +
                           "\ncmd.exe's complaints:\n" + complaints();
                };
                ASSERT_TRUE(is_player || (count == 2 && record.tool == source_tool)) << context();
                const auto& expected = is_player ? player : source;
                ASSERT_EQ(record.crt, expected) << context();
                ASSERT_EQ(record.w32, expected) << context();
            }
            next += count;
        }
        EXPECT_EQ(next, records.size()) << "another command ran";
        EXPECT_EQ(folder_entries(work_), std::vector<std::wstring>{}) << "a redirection or command ran";
        std::vector<std::wstring> expected_entries{L"log.txt", L"out.txt", L"work"};
        expected_entries.insert(expected_entries.end(), std::begin(kToolFolders), std::end(kToolFolders));
        std::sort(expected_entries.begin(), expected_entries.end());
        std::vector<std::wstring> entries = folder_entries(scratch_->path());
        std::erase(entries, L"stream.bat");
        std::erase(entries, L"session.txt");
        EXPECT_EQ(entries, expected_entries) << "a stray file appeared";
        for (const wchar_t* folder : kToolFolders)
            EXPECT_EQ(folder_entries(scratch_->path() + folder + L"\\").size(), 3u) << "a stray file appeared";
    }

    static std::unique_ptr<ScratchFolder> scratch_;
    std::wstring work_, log_;
    std::vector<std::u16string> written_;  // the lines given to cmd.exe
};
std::unique_ptr<ScratchFolder> CmdDifferential::scratch_;

constexpr std::size_t kWordsPerRoute = 1200;
constexpr std::size_t kWordsPerLine = 25;

class RandomWords : public CmdDifferential, public ::testing::WithParamInterface<Route> {};

TEST_P(RandomWords, ArriveAsTheModelSays) {
    const Route route = GetParam();
    // WB_DIFFERENTIAL_SEED runs a campaign with other words; the default is fixed.
    wchar_t seed_text[32] = L"";
    const bool other_seed = GetEnvironmentVariableW(L"WB_DIFFERENTIAL_SEED", seed_text, 32) > 0;
    std::mt19937 random(other_seed ? static_cast<unsigned>(std::wcstoul(seed_text, nullptr, 10)) : 20261208u);
    const std::vector<std::wstring> words = random_words(kWordsPerRoute, route, random);
    // A console session reads its input in the OEM code page, so its tools
    // sit where that code page can name them.
    const int folders = route == Route::batch || oem_holds(kToolFolders[2]) ? 3 : 2;
    std::vector<Line> lines;
    for (std::size_t at = 0; at < words.size(); at += kWordsPerLine) {
        // Each pipeline in turn (the clipboard line is always the ffmpeg one).
        static const wchar_t* const kLeads[] = {L"http://h/live.m3u8", L"rtmp://h/live", L"rtsp://h/live"};
        const int n = static_cast<int>(lines.size());
        std::wstring address = kLeads[n % 3];
        for (std::size_t i = at; i < std::min(at + kWordsPerLine, words.size()); ++i) address += L" " + words[i];
        lines.push_back({address, n % folders, (n + 1) % folders});
    }
    const auto start = std::chrono::steady_clock::now();
    run(lines, route);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::cout << words.size() << " words in " << lines.size() << " lines through cmd.exe in " << took.count()
              << " s\n";
}

INSTANTIATE_TEST_SUITE_P(Routes, RandomWords, ::testing::Values(Route::batch, Route::console),
                         [](const auto& info) { return info.param == Route::batch ? "batch" : "console"; });

// The international examples: tools in folders with non-ASCII names (one
// the OEM code page cannot name), letters of several scripts in addresses,
// tab-separated options.
const Line kInternational[] = {
    {L"http://h/müller-straße.m3u8?t=café über", 1, 1},
    {L"rtmp://h/app\t-y\tname", 1, 2},
    {L"http://h/привет.m3u8 ß é ü 中文 \U00020B9F", 2, 1},
    {L"rtsp://h/Юрий/中 \"a b&é\"", 0, 2},
    {L"rtmp://h/a -y \"Jürgen\tMüller\"", 2, 2},
};

TEST_F(CmdDifferential, InternationalTextOnTheBatchRoute) {
    run({std::begin(kInternational), std::end(kInternational)}, Route::batch);
}

TEST_F(CmdDifferential, InternationalTextOnThePastedConsoleLine) {
    run({std::begin(kInternational), std::end(kInternational)}, Route::console, true);
}

TEST_F(CmdDifferential, FallbackFormsOfTheBatchFile) {
    // Under a code page without Cyrillic and CJK (437, 850, 1252-like OEM
    // pages) the address carries them percent-encoded and the path is short.
    if (oem_holds(L"Ю")) GTEST_SKIP() << "the OEM code page holds Cyrillic";
    const ProgramState state = state_for(kInternational[2]);
    const std::wstring command = wide(state.test_command);
    EXPECT_NE(command.find(L"%%D0%%BF%%D1%%80%%D0%%B8%%D0%%B2%%D0%%B5%%D1%%82.m3u8"), std::wstring::npos);
    EXPECT_NE(command.find(L"%%E4%%B8%%AD%%E6%%96%%87 %%F0%%A0%%AE%%9F"), std::wstring::npos);
    EXPECT_EQ(command.find(L"Юрий"), std::wstring::npos) << "a path the code page cannot name";
    EXPECT_NE(command.find(L"Werkzeuge Jürgen Müller"), std::wstring::npos);
}

}  // namespace

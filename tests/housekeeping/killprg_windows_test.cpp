#include "housekeeping/killprg_unicode.h"
#include "tests/support/win32_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Exit code the test ends survivors with itself.
constexpr UINT kCleanupExitCode = 77;

struct Started {
    std::wstring name;
    DWORD pid = 0;
    UniqueHandle process;
};

class Killprg : public ::testing::Test {
protected:
    void TearDown() override {
        for (auto& p : started_)
            if (p.process) end_process(p.process.get(), kCleanupExitCode);
        started_.clear();
    }

    // Starts the sleeper under `name`, each copy in a folder of its own:
    // the file system ignores case, so "VLC.EXE" and "vlc.exe" would clash.
    std::size_t start(const std::wstring& name) {
        const std::u16string folder = dir_.path() + from_utf8(std::to_string(started_.size())) + u"\\";
        const std::u16string path = folder + u16(name.c_str());
        EXPECT_TRUE(make_folder(folder));
        EXPECT_TRUE(CopyFileW(wz(windows_path(SLEEPER_EXE)), wz(path), TRUE)) << "copy to " << utf8(path);
        Started s;
        s.name = name;
        // No console: the sleeper needs none, and a console host would
        // outlive the test holding its output.
        s.process = start_process(path, {}, folder);
        EXPECT_TRUE(s.process) << "start " << utf8(path) << " error " << GetLastError();
        s.pid = s.process ? GetProcessId(s.process.get()) : 0;
        started_.push_back(std::move(s));
        return started_.size() - 1;
    }

    // The process table lists every started process under the name it was
    // started as; otherwise the cases below would prove nothing.
    void expect_listed_as_started() {
        for (const auto& p : started_)
            EXPECT_EQ(process_name(p.pid), u16(p.name.c_str())) << "pid " << p.pid << " in the process table";
    }

    bool ended_by_killprg(std::size_t i) {
        const HANDLE h = started_[i].process.get();
        return h && exit_code_when_ended(h) == kKilledExitCode;
    }

    // Ends the process: it was left alone when it was still running then.
    bool left_alone(std::size_t i) {
        const HANDLE h = started_[i].process.get();
        return h && end_process(h, kCleanupExitCode) == kCleanupExitCode;
    }

    std::string name_of(std::size_t i) const { return utf8(u16(started_[i].name.c_str())); }

    ScratchFolder dir_;
    std::vector<Started> started_;
};

TEST_F(Killprg, EndsEveryProcessOfTheExactNameAndNoOther) {
    const std::vector<std::wstring> targets = {L"vlc.exe", L"vlc.exe"};
    const std::vector<std::wstring> bystanders = {
        L"VLC.EXE",      // case differs
        L"Vlc.exe",      // one letter differs in case
        L"myvlc.exe",    // ends with the name
        L"vlc.exe.bak",  // begins with the name
        L"xvlc.exex",    // contains the name
        L"vlc.ex",       // a prefix of the name
    };
    std::vector<std::size_t> target_ids, bystander_ids;
    for (const auto& n : targets) target_ids.push_back(start(n));
    for (const auto& n : bystanders) bystander_ids.push_back(start(n));
    ASSERT_FALSE(HasFailure());
    expect_listed_as_started();

    killprg(u"vlc.exe");

    for (const auto i : target_ids) EXPECT_TRUE(ended_by_killprg(i)) << name_of(i);
    for (const auto i : bystander_ids) EXPECT_TRUE(left_alone(i)) << name_of(i);
}

TEST_F(Killprg, NameWithoutProcessOrEmptyNameEndsNothing) {
    const auto vlc = start(L"vlc.exe");
    const auto blank_ext = start(L"vlc");
    ASSERT_FALSE(HasFailure());

    killprg(u"no-such-tool.exe");
    killprg(u"");
    killprg(u"vlc.exe ");  // trailing space: not trimmed, so no match

    EXPECT_TRUE(left_alone(vlc));
    EXPECT_TRUE(left_alone(blank_ext));
}

class KillprgSeries : public Killprg,
                      public ::testing::WithParamInterface<const std::array<std::u16string, 5>*> {};

TEST_P(KillprgSeries, EndsOneProcessOfEachToolName) {
    const auto& names = *GetParam();
    std::vector<std::size_t> tools;
    for (const auto& n : names) tools.push_back(start(std::wstring(n.begin(), n.end())));
    const auto other = start(L"notepad.exe");
    ASSERT_FALSE(HasFailure());
    expect_listed_as_started();

    killprg_series(names);

    for (const auto i : tools) EXPECT_TRUE(ended_by_killprg(i)) << name_of(i);
    EXPECT_TRUE(left_alone(other));
}

INSTANTIATE_TEST_SUITE_P(BothOrders, KillprgSeries,
                         ::testing::Values(&kToolsTestOrder, &kToolsStopOrder),
                         [](const auto& info) {
                             return info.param == &kToolsTestOrder ? "TestOrder" : "StopOrder";
                         });

}  // namespace

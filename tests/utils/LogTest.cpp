#include <gtest/gtest.h>

#include <regex>

#include "tests/support/TestSupport.h"
#include "utils/Log.h"
#include "utils/Text.h"

TEST(Log, PrefixIsExactForFixedInputs) {
    const std::wstring format = std::wstring(Utils::kLogPrefix) + L"THREAD BEGIN" + L"\r\n";
    EXPECT_EQ(Utils::FormatText(format.c_str(), 1234, 5678, 2024, 3, 5, 9, 7, 2, 45, L"Utils::Thread::CallBack", 101),
              L"<P01234><T05678><2024-03-05 09:07:02.045>(Utils::Thread::CallBack)<0101>: THREAD BEGIN\r\n");
}

TEST(Log, WideFieldsAreWrittenInFull) {
    const std::wstring format = std::wstring(Utils::kLogPrefix) + L"x %lld %s";
    EXPECT_EQ(Utils::FormatText(format.c_str(), 1234567, 0, 2024, 12, 31, 23, 59, 59, 999, L"F", 123456,
                                5000000000LL, L"\u5b89"),
              L"<P1234567><T00000><2024-12-31 23:59:59.999>(F)<123456>: x 5000000000 \u5b89");
}

TEST(Log, FunctionTagIsTheQualifiedName) {
    EXPECT_EQ(Utils::FunctionTag("static unsigned int Utils::Thread::CallBack(void*)"), L"Utils::Thread::CallBack");
    EXPECT_EQ(Utils::FunctionTag("bool Utils::HardDiskManager::CheckFreeSpace(const wstring&)"),
              L"Utils::HardDiskManager::CheckFreeSpace");
    EXPECT_EQ(Utils::FunctionTag("std::map<int, std::basic_string<char> > CurlClient::Head(int)"),
              L"CurlClient::Head");
    EXPECT_EQ(Utils::FunctionTag("void CDownloadInstaller::Start()::<lambda(int, double, const wchar_t*)>",
                                 L"downloadCallback"),
              L"CDownloadInstaller::Start::downloadCallback::operator ()");
    EXPECT_EQ(Utils::FunctionTag("void T::Go(int) [with X = int]"), L"T::Go");
}

namespace {
std::vector<std::string> CapturedRecords(const std::string& output) {
    std::vector<std::string> records;
    size_t start = 0, end;
    while ((end = output.find('\x1e', start)) != std::string::npos) {
        records.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    return records;
}
} // namespace

// The real facility, seen by a real debugger attached to a child process.
TEST(Log, LinesReachTheDebuggerOutput) {
    const std::wstring bin = TestSupport::BinFolder();
    const auto run = TestSupport::Run(L"\"" + bin + L"debug_capture.exe\" \"" + bin + L"log_child.exe\"");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 7u);
    const auto records = CapturedRecords(run.output);
    const std::string prefix = R"(<P\d{5,}><T\d{5,}><\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3}>)";
    std::vector<std::string> wanted = {
        prefix + R"(\(Probe::Widget::Report\)<\d{4}>: value=42 name=(?:\xE5\xAE\x89\xE8\xA3\x85|\?\?) pct=100%\r\n)",
        prefix + R"(\(Probe::Widget::Bare\)<\d{4}>: no line end)",
        prefix + R"(\(Utils::Thread::CallBack\)<\d{4}>: THREAD BEGIN\r\n)",
        prefix + R"(\(Utils::Thread::CallBack\)<\d{4}>: THREAD END\r\n)",
        prefix + R"(\(main::downloadCallback::operator \(\)\)<\d{4}>: inside\r\n)",
    };
    size_t next = 0;
    for (const auto& record : records) {
        if (next < wanted.size() && std::regex_match(record, std::regex(wanted[next]))) ++next;
    }
    EXPECT_EQ(next, wanted.size()) << "captured:\n" << run.output;
    // Wine hands debuggers the ANSI form of a wide debug string, so characters
    // outside the code page arrive as "?" there; Windows keeps them.
}

// The thread-naming exception reaches an attached debugger with the name.
TEST(Log, ThreadsAreNamedForTheDebugger) {
    const std::wstring bin = TestSupport::BinFolder();
    const auto run = TestSupport::Run(L"\"" + bin + L"debug_capture.exe\" \"" + bin + L"log_child.exe\"");
    ASSERT_TRUE(run.started);
    std::smatch named;
    ASSERT_TRUE(std::regex_search(run.output, named, std::regex("THREADNAME (\\d+) ABDEF\x1e"))) << run.output;
    std::smatch unnamed;
    ASSERT_TRUE(std::regex_search(run.output, unnamed, std::regex("unnamed (\\d+)"))) << run.output;
    EXPECT_NE(run.output.find("THREADNAME " + unnamed[1].str() + " t" + unnamed[1].str() + "\x1e"), std::string::npos)
        << run.output;
}

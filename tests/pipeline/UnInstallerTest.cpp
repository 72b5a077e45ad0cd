#include <gtest/gtest.h>

#include <windows.h>

#include "pipeline/UnInstaller.h"
#include "tests/pipeline/FakeProgram.h"
#include "tests/support/EventRecorder.h"
#include "utils/Security.h"

using TestSupport::EventRecorder;
using TestSupport::ScratchFolder;

namespace {

class UninstallRun : public ::testing::Test {
protected:
    UninstallRun() : folder_(L"unst"), fake_(folder_, L"VELQUOR_FAKE_UNINSTALLER", L"fake_uninstaller.exe") {}

    // Runs the fake uninstaller until its worker has ended.
    void RunScript(const std::string& script, const std::wstring& previousFolder = L"C:\\Program Files\\X") {
        fake_.Script(script);
        UnInstaller runner(recorder_.Callback(), fake_.Exe(), previousFolder);
        runner.Start();
        commandLine_ = runner.CommandLine();
        ASSERT_TRUE(recorder_.WaitForAny({UNIST_CODE_SUCCESS, UNIST_CODE_FAIL, UNIST_CODE_ERROR}, 60000));
    }

    ScratchFolder folder_;
    FakeProgram fake_;
    EventRecorder recorder_;
    std::wstring commandLine_;
};

} // namespace

TEST_F(UninstallRun, SuccessIsSentAtOnceWhileTheChildStillRuns) {
    const std::wstring done = folder_.File(L"ended");
    fake_.Script("write Progress=0.5\\nState=Success\\n\nsleep 2000\ntouch " + Utils::ToNarrow(done, 0) + "\n");
    {
        UnInstaller runner(recorder_.Callback(), fake_.Exe(), L"C:\\X");
        runner.Start();
        ASSERT_TRUE(recorder_.WaitForAny({UNIST_CODE_SUCCESS}));
        EXPECT_FALSE(TestSupport::Exists(done)) << "the success came only after the child ended";
    }
    EXPECT_TRUE(TestSupport::Exists(done));
    EXPECT_EQ(recorder_.Codes(), (std::vector<int>{5002, 5002, 5003})) << recorder_.Describe();
    EXPECT_DOUBLE_EQ(recorder_.Events()[0].value, 0.0);
    EXPECT_DOUBLE_EQ(recorder_.Events()[1].value, 0.5);
    EXPECT_DOUBLE_EQ(recorder_.Events()[2].value, 0.0);
}

TEST_F(UninstallRun, SuccessThenErrorInALaterWrite) {
    {
        fake_.Script("write State=Success\\n\nsleep 300\nwrite Error=files in use\\n\nsleep 200\n");
        UnInstaller runner(recorder_.Callback(), fake_.Exe(), L"C:\\X");
        runner.Start();
        ASSERT_TRUE(recorder_.WaitForAny({UNIST_CODE_ERROR}));
    }
    EXPECT_EQ(recorder_.Codes(), (std::vector<int>{5002, 5003, 5005})) << recorder_.Describe();
    EXPECT_EQ(recorder_.Events()[2].text, L"files in use");
}

TEST_F(UninstallRun, SilentChildEndsAsSuccessWithoutVerdict) {
    RunScript("exit 3\n");
    EXPECT_EQ(recorder_.Codes(), (std::vector<int>{5002, 5003}));
    EXPECT_DOUBLE_EQ(recorder_.Events()[1].value, 1.0);
}

TEST_F(UninstallRun, FailurePrintedJustBeforeExitIsAnError) {
    RunScript("write State=Fail\\n\nexit 0\n");
    EXPECT_EQ(recorder_.Codes(), (std::vector<int>{5002, 5005})) << recorder_.Describe();
    EXPECT_EQ(recorder_.Events()[1].text, L"安装包卸载失败");
}

TEST_F(UninstallRun, EncodeGbkMeansTheSystemCodePage) {
    {
        fake_.Script("write Encode=UTF8\\n\nsleep 600\nwrite Encode=GBK\\n\nsleep 600\nwrite Error=\\xC3\\xA9\\n\n");
        UnInstaller runner(recorder_.Callback(), fake_.Exe(), L"C:\\X");
        runner.Start();
        ASSERT_TRUE(recorder_.WaitForAny({UNIST_CODE_ERROR}));
    }
    EXPECT_EQ(recorder_.Events().back().text, Utils::ToWide("\xC3\xA9", 0));
}

TEST_F(UninstallRun, Utf8OutputIsDecoded) {
    RunScript("write Encode=UTF8\\n\nsleep 600\nwrite Error=\\xE5\\xAE\\x89\\n\n");
    EXPECT_EQ(recorder_.Events().back().text, L"安");
}

TEST_F(UninstallRun, CommandLineNamesTheCopyAndTheFolderUnquoted) {
    RunScript("exit 0\n", L"C:\\Program Files\\X");
    std::wstring user;
    const bool consoleAdmin = Utils::GetActiveSessionUserName(user) && Utils::IsUserAdmin(user);
    const std::wstring expected = fake_.Exe() + L" /S -adminact=" + (consoleAdmin ? L"true" : L"false") +
                                  L" -authorizationact=" + (Utils::IsRunningAsAdmin() ? L"true" : L"false") +
                                  L" -console=show _?=C:\\Program Files\\X";
    EXPECT_EQ(commandLine_, expected);
    EXPECT_EQ(fake_.RecordedCommandLine(), expected);
}

TEST(UnInstaller, MissingFileAndUnstartableChild) {
    EventRecorder missing;
    {
        UnInstaller runner(missing.Callback(), L"C:\\no\\such\\Velquor_un_asa.exe", L"C:\\X");
        runner.Start();
        ASSERT_TRUE(missing.WaitForAny({UNIST_CODE_FAIL}));
    }
    ASSERT_EQ(missing.Codes(), (std::vector<int>{5004}));
    EXPECT_DOUBLE_EQ(missing.Events()[0].value, 1.0);
    EXPECT_EQ(missing.Events()[0].text, L"可执行卸载文件不存在");

    EventRecorder empty;
    {
        UnInstaller runner(empty.Callback(), L"", L"C:\\X");
        runner.Start();
        ASSERT_TRUE(empty.WaitForAny({UNIST_CODE_FAIL}));
    }
    EXPECT_EQ(empty.Codes(), (std::vector<int>{5004}));

    // A file that exists but is no program; and a command line that does not fit.
    ScratchFolder folder(L"unst2");
    const std::wstring notProgram = folder.File(L"Velquor_un_asa.exe");
    TestSupport::WriteFileBytes(notProgram, "not a program");
    for (const std::wstring& previous : {std::wstring(L"C:\\X"), std::wstring(1000, L'p')}) {
        EventRecorder bad;
        {
            UnInstaller runner(bad.Callback(), previous.size() > 100 ? TestSupport::BinFolder() + L"fake_uninstaller.exe"
                                                                      : notProgram,
                               previous);
            runner.Start();
            ASSERT_TRUE(bad.WaitForAny({UNIST_CODE_FAIL, UNIST_CODE_SUCCESS}));
        }
        EXPECT_EQ(bad.Codes(), (std::vector<int>{5002, 5004})) << bad.Describe();
        EXPECT_DOUBLE_EQ(bad.Events().back().value, 2.0);
    }
}

TEST(UnInstallerProtocol, Keys) {
    EventRecorder recorder;
    UnInstaller runner(recorder.Callback(), L"x", L"y");
    EXPECT_EQ(runner.ParseOutput(L"Progress=0.3\nState=Unknown\nnoise\n"), 0);
    EXPECT_EQ(runner.ParseOutput(L"State= Success\r\n"), 1);
    EXPECT_EQ(runner.ParseOutput(L"State=Fail\n"), 1000);
    EXPECT_EQ(runner.ParseOutput(L"Error=\n"), 1000);
    const auto events = recorder.Events();
    ASSERT_EQ(events.size(), 4u) << recorder.Describe();
    EXPECT_EQ(events[0].code, 5002);
    EXPECT_DOUBLE_EQ(events[0].value, 0.3);
    EXPECT_EQ(events[1].code, 5003);
    EXPECT_EQ(events[2].code, 5005);
    EXPECT_EQ(events[2].text, L"安装包卸载失败");
    EXPECT_EQ(events[3].code, 5005);
    EXPECT_EQ(events[3].text, L"");
}

#include <gtest/gtest.h>

#include <windows.h>

#include "app/InstallerConfig.h"
#include "pipeline/PackageInstaller.h"
#include "tests/pipeline/FakeProgram.h"
#include "tests/support/EventRecorder.h"

using TestSupport::EventRecorder;
using TestSupport::ScratchFolder;

namespace {

struct Expected {
    int code;
    double value;
    std::wstring text;
};

void ExpectEvents(const EventRecorder& recorder, const std::vector<Expected>& expected) {
    const auto events = recorder.Events();
    ASSERT_EQ(events.size(), expected.size()) << recorder.Describe();
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(events[i].code, expected[i].code) << "event " << i << "\n" << recorder.Describe();
        EXPECT_DOUBLE_EQ(events[i].value, expected[i].value) << "event " << i << "\n" << recorder.Describe();
        EXPECT_EQ(events[i].text, expected[i].text) << "event " << i << "\n" << recorder.Describe();
    }
}

class PackageRun : public ::testing::Test {
protected:
    PackageRun() : folder_(L"pkg"), fake_(folder_, L"VELQUOR_FAKE_PACKAGE", L"fake_package.exe") {}

    // Runs the fake package with a script until the runner's worker has ended.
    void RunScript(const std::string& script, const std::wstring& installFolder = L"C:\\Velquor Test") {
        fake_.Script(script);
        PackageInstaller runner(recorder_.Callback(), L"\"" + fake_.Exe() + L"\"", installFolder);
        runner.Start();
        ASSERT_TRUE(recorder_.WaitForAny({INSTALL_SUCCESS, IST_CODE_FAIL}, 60000)) << recorder_.Describe();
        // Destruction waits for the worker and the child.
        commandLine_ = runner.CommandLine();
    }

    ScratchFolder folder_;
    FakeProgram fake_;
    EventRecorder recorder_;
    std::wstring commandLine_;
};

} // namespace

TEST_F(PackageRun, SeparateWritesAndAChildThatKeepsRunning) {
    RunScript("write Encode=UTF8\\n\nsleep 100\nwrite Progress=0.5\\n\nsleep 100\n"
              "write State=Success\\n\nsleep 1500\nwrite Progress=0.9\\n\n");
    ExpectEvents(recorder_, {{2001, 0.0, L""}, {2002, 0.0, L""}, {2002, 0.5, L""}, {2003, 0.0, L""}});
}

TEST_F(PackageRun, SilentChildEndsAsSuccessWithoutVerdict) {
    RunScript("exit 5\n");
    ExpectEvents(recorder_, {{2001, 0.0, L""}, {2002, 0.0, L""}, {2003, 1.0, L""}});
}

TEST_F(PackageRun, ErrorLineWithCrLfKeepsTheCarriageReturn) {
    RunScript("write Error=disk full\\r\\n\nsleep 300\n");
    ExpectEvents(recorder_, {{2001, 0.0, L""}, {2002, 0.0, L""}, {2004, 1000.0, L"disk full\r"}});
}

TEST_F(PackageRun, FailurePrintedJustBeforeExitIsNotReportedAsSuccess) {
    RunScript("write InstPath=C:\\\\V\\nState=Fail\\n\nexit 0\n");
    ExpectEvents(recorder_,
                 {{2001, 0.0, L""}, {2002, 0.0, L""}, {3000, 0.0, L"C:\\V"}, {2004, 0.0, L"安装包安装失败"}});
}

TEST_F(PackageRun, LineCutAcrossTwoWritesIsReadWhole) {
    RunScript("write Encode=UTF8\\nInstPath=C:\\\\Prog\nsleep 300\nwrite ram Files\\\\V\\r\\nMessage=\\xE5\\xAE\n"
              "sleep 300\nwrite \\x89\\xE8\\xA3\\x85\\n\nwrite State=Success\\n\n");
    ExpectEvents(recorder_, {{2001, 0.0, L""},
                             {2002, 0.0, L""},
                             {3000, 0.0, L"C:\\Program Files\\V\r"},
                             {3009, 0.0, L"安装"},
                             {2003, 0.0, L""}});
}

TEST_F(PackageRun, LastLineWithoutLineFeedIsReadAtTheEnd) {
    RunScript("write ExePath=C:\\\\V\\\\Velquor.exe\\nState=Fail\nexit 0\n");
    ExpectEvents(recorder_, {{2001, 0.0, L""}, {2002, 0.0, L""}, {3001, 0.0, L"C:\\V\\Velquor.exe"},
                             {2004, 0.0, L"安装包安装失败"}});
}

TEST_F(PackageRun, ChildPrintingMoreThanThePipeHoldsAfterItsVerdictDoesNotHang) {
    RunScript("write State=Success\\n\nspam 2000000\nwrite Progress=0.7\\n\nexit 0\n");
    ExpectEvents(recorder_, {{2001, 0.0, L""}, {2002, 0.0, L""}, {2003, 0.0, L""}});
}

TEST_F(PackageRun, CodePageSwitches) {
    // 936: the GBK bytes of 安装; then an unknown name means the system code page.
    // A new code page applies from the next read, hence the pauses.
    RunScript("write Encode=936\\n\nsleep 600\nwrite Message=\\xB0\\xB2\\xD7\\xB0\\n\nwrite Encode=xyz\\n\n"
              "sleep 600\nwrite Message=\\xC3\\xA9\\n\nwrite State=Success\\n\n");
    ExpectEvents(recorder_, {{2001, 0.0, L""},
                             {2002, 0.0, L""},
                             {3009, 0.0, L"安装"},
                             {3009, 0.0, Utils::ToWide("\xC3\xA9", 0)},
                             {2003, 0.0, L""}});
}

TEST_F(PackageRun, UndecodableCodePageStillSeesTheVerdict) {
    RunScript("write Encode=99999\\n\nwrite State=Fail\\n\n");
    ExpectEvents(recorder_, {{2001, 0.0, L""}, {2002, 0.0, L""}, {2004, 0.0, L"安装包安装失败"}});
}

TEST_F(PackageRun, CommandLineIsExact) {
    InstallerConfig::Instance().InstCmd = L"-channel=7 -x";
    RunScript("exit 0\n", L"C:\\Program Files\\Velquor");
    InstallerConfig::Instance().InstCmd.clear();
    const std::wstring expected = L"\"" + fake_.Exe() +
                                  L"\" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true"
                                  L" -dsc=false -ssc=false -channel=7 -x -instdir=\"C:\\Program Files\\Velquor\""
                                  L" /D=C:\\Program Files\\Velquor";
    EXPECT_EQ(commandLine_, expected);
    EXPECT_EQ(fake_.RecordedCommandLine(), expected);
}

TEST_F(PackageRun, EmptyInstallFolderHasNeitherInstdirNorD) {
    RunScript("exit 0\n", L"");
    const std::wstring recorded = fake_.RecordedCommandLine();
    EXPECT_EQ(recorded, L"\"" + fake_.Exe() + L"\" /S -console=show -version=1.0.0 -adminact=false"
                                              L" -authorizationact=true -dsc=false -ssc=false");
}

TEST(PackageInstaller, FlagsReachTheCommandLine) {
    ScratchFolder folder(L"pkgflags");
    FakeProgram fake(folder, L"VELQUOR_FAKE_PACKAGE", L"fake_package.exe");
    fake.Script("exit 0\n");
    EventRecorder recorder;
    {
        PackageInstaller runner(recorder.Callback(), L"\"" + fake.Exe() + L"\"", L"");
        runner.SetConsoleUserAdmin(true);
        runner.SetProcessAdmin(false);
        runner.SetDesktopShortcut(true);
        runner.SetQuickLaunchShortcut(true);
        runner.SetInstallFolder(L"D:\\V");
        runner.Start();
        ASSERT_TRUE(recorder.WaitForAny({INSTALL_SUCCESS, IST_CODE_FAIL}));
    }
    EXPECT_EQ(fake.RecordedCommandLine(), L"\"" + fake.Exe() +
                                              L"\" /S -console=show -version=1.0.0 -adminact=true"
                                              L" -authorizationact=false -dsc=true -ssc=true -instdir=\"D:\\V\" /D=D:\\V");
}

TEST(PackageInstaller, StartFailures) {
    struct Case {
        std::wstring command;
        std::vector<int> codes;
        double lastValue;
    } cases[] = {
        {L"", {2001, 2004}, 1.0},
        {L"\"C:\\no\\such\\package.exe\"", {2001, 2002, 2004}, 2.0},
        {L"\"" + TestSupport::BinFolder() + L"fake_package.exe\" " + std::wstring(1000, L'a'), {2001, 2002, 2004}, 2.0},
    };
    for (const auto& c : cases) {
        EventRecorder recorder;
        {
            PackageInstaller runner(recorder.Callback(), c.command, L"C:\\V");
            runner.Start();
            ASSERT_TRUE(recorder.WaitForAny({INSTALL_SUCCESS, IST_CODE_FAIL}));
        }
        EXPECT_EQ(recorder.Codes(), c.codes) << recorder.Describe();
        EXPECT_DOUBLE_EQ(recorder.Events().back().value, c.lastValue);
        EXPECT_EQ(recorder.Events().back().text, L"");
    }
}

TEST(PackageInstaller, SecondStartRunsAgain) {
    ScratchFolder folder(L"pkgagain");
    FakeProgram fake(folder, L"VELQUOR_FAKE_PACKAGE", L"fake_package.exe");
    fake.Script("write State=Success\\n\n");
    EventRecorder recorder;
    PackageInstaller runner(recorder.Callback(), L"\"" + fake.Exe() + L"\"", L"C:\\V");
    runner.Start();
    ASSERT_TRUE(recorder.WaitForAny({INSTALL_SUCCESS}));
    runner.Start();  // waits for the first worker
    for (int i = 0; i < 100 && recorder.Codes().size() < 6; ++i) ::Sleep(50);
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{2001, 2002, 2003, 2001, 2002, 2003}));
}

// The line protocol itself, without a child.
TEST(PackageInstallerProtocol, EveryKey) {
    struct Case {
        std::wstring text;
        int verdict;
        std::vector<Expected> events;
    } cases[] = {
        {L"Progress=0.25\n", 0, {{2002, 0.25, L""}}},
        {L"Progress=\n", 0, {{2002, 0.0, L""}}},
        {L"InstPath=C:\\V\r\n", 0, {{3000, 0.0, L"C:\\V\r"}}},
        {L"InstPath=\n", 0, {{3000, 0.0, L""}}},
        {L"State= Success \n", 1, {{2003, 0.0, L""}}},
        {L"State=success\n", 0, {}},
        {L"State=Fail\r\n", 1000, {{2004, 0.0, L"安装包安装失败"}}},
        {L"InstallVersion=1.2.3\n", 0, {}},
        {L"ExePath=a.exe\nStartExe=b.exe\n", 0, {{3001, 0.0, L"a.exe"}, {3001, 0.0, L"b.exe"}}},
        {L"UninstExePath=u.exe\nUninstExe=v.exe\n", 0, {{3002, 0.0, L"u.exe"}, {3002, 0.0, L"v.exe"}}},
        {L"UninstEp=ep\n", 0, {{3003, 0.0, L"ep"}}},
        {L"Error=disk full\n", 1000, {{2004, 1000.0, L"disk full"}}},
        {L"TopShowDetention=-1\n", 0, {{3007, 4294967295.0, L""}}},
        {L"TopShowDetention=x\n", 0, {{3007, 0.0, L""}}},
        {L"FinsihCloseDetention=15\n", 0, {{3008, 15.0, L""}}},
        {L"StartUrl=http://v/\n", 0, {{3004, 0.0, L"http://v/"}}},
        {L"StartupStyle=Auto\nStartupStyle=AutoStartup\nStartupStyle= UserStartup\nStartupStyle=NonStartup\n",
         0,
         {{3005, 0.0, L""}, {3005, 1.0, L""}, {3005, 2.0, L""}, {3005, 0.0, L""}}},
        {L"Message=hi\n", 0, {{3009, 0.0, L"hi"}}},
        {L"Encode=UTF8\n", 0, {}},
        {L"unknown=1\n progress=2\nProgress 3\n", 0, {}},
        {L"State=Success\nState=Fail\n", 1000, {{2003, 0.0, L""}, {2004, 0.0, L"安装包安装失败"}}},
        {L"Error=x\nState=Success\n", 1, {{2004, 1000.0, L"x"}, {2003, 0.0, L""}}},
        {L"Message=" + std::wstring(900, L'm') + L"\n", 0, {{3009, 0.0, std::wstring(771, L'm')}}},
    };
    for (const auto& c : cases) {
        EventRecorder recorder;
        PackageInstaller runner(recorder.Callback(), L"\"x\"", L"");
        SCOPED_TRACE(Utils::ToNarrow(c.text, CP_UTF8));
        EXPECT_EQ(runner.ParseOutput(c.text), c.verdict);
        ExpectEvents(recorder, c.events);
    }
}

TEST(PackageInstallerProtocol, VersionAndCodePageAreKept) {
    EventRecorder recorder;
    PackageInstaller runner(recorder.Callback(), L"\"x\"", L"");
    runner.ParseOutput(L"InstallVersion=4.5.6\nEncode=936\n");
    int a, b, c;
    runner.InstalledVersion(a, b, c);
    EXPECT_EQ(a, 4);
    EXPECT_EQ(b, 5);
    EXPECT_EQ(c, 6);
    EXPECT_EQ(runner.CodePage(), 936);
    runner.ParseOutput(L"Encode=ACP\n");
    EXPECT_EQ(runner.CodePage(), 0);
    runner.ParseOutput(L"Encode=UTF8\n");
    EXPECT_EQ(runner.CodePage(), 65001);
    runner.ParseOutput(L"Encode=xyz\n");
    EXPECT_EQ(runner.CodePage(), 0);
}

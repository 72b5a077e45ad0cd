// The tracker across processes: records staged by one run and sent by the
// next, the crash filter, the first-trigger rule, the Set.ini override, and
// the installer's own start-up with and without analytics.
#include "tests/analytics/TrackerFixture.h"

#include <regex>

using namespace TrackerTesting;

namespace {

std::wstring Probe() {
    return L"\"" + TestSupport::BinFolder() + L"tracker_probe.exe\"";
}

std::wstring ProbeCommand(const std::wstring& scenario, const std::string& appName, const std::wstring& extra = L"") {
    return Probe() + L" " + scenario + L" \"" + Utils::ToWide(CollectorClient::ServerUrl(), CP_UTF8) + L"\" " +
           Utils::ToWide(appName, CP_UTF8) + (extra.empty() ? L"" : L" " + extra);
}

std::vector<CollectorClient::Record> Answered200() {
    std::vector<CollectorClient::Request> ok;
    for (const auto& request : CollectorClient::Requests()) {
        if (request.answered == 200) ok.push_back(request);
    }
    return CollectorClient::AllRecords(ok);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

std::string U8(const std::wstring& text) {
    return Utils::ToNarrow(text, CP_UTF8);
}

// The installer exits with -1 while another test holds its lock; try again then.
TestSupport::RunResult RunInstaller(const std::wstring& arguments) {
    TestSupport::RunResult run;
    for (int attempt = 0; attempt < 20; ++attempt) {
        run = TestSupport::Run(L"\"" + TestSupport::BinFolder() + L"VelquorSetup.exe\" " + arguments);
        if (!run.started || run.exitCode != 0xFFFFFFFFu) break;
        ::Sleep(250);
    }
    return run;
}

// Wine hands an unhandled crash to its debugger, whose dialog would wait for a
// click; without the dialog the debugger ends the process at once, as the
// system's default handling does.
void NoCrashDialog() {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    const DWORD off = 0;
    ::RegSetValueExW(key, L"ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof(off));
    ::RegCloseKey(key);
}

} // namespace

TEST_F(TrackerTest, RecordsNotSentBeforeExitAreSentByTheNextRun) {
    ASSERT_TRUE(CollectorClient::SetMode("status:500"));
    const auto first = TestSupport::Run(ProbeCommand(L"stage", appName_, L"3"));
    ASSERT_TRUE(first.started);
    EXPECT_EQ(first.exitCode, 0u) << first.output;
    EXPECT_TRUE(Answered200().empty());
    const std::string staged = TestSupport::ReadFileBytes(StagingFile());
    EXPECT_EQ(Count(staged, "\r\n"), 3u) << staged;

    ASSERT_TRUE(CollectorClient::SetMode("ok"));
    const auto second = TestSupport::Run(ProbeCommand(L"send", appName_));
    EXPECT_EQ(second.exitCode, 0u) << second.output;
    const auto records = Answered200();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].Text("properties.qz_name"), "Stage1");
    EXPECT_EQ(records[2].Text("properties.qz_name"), "Stage3");
    EXPECT_EQ(records[3].Text("properties.qz_name"), "Send");
    EXPECT_EQ(records[0].Text("distinct_id"), records[3].Text("distinct_id"));
    EXPECT_EQ(TestSupport::ReadFileBytes(StagingFile()), "");
}

TEST_F(TrackerTest, TheCrashFilterSendsItsTwoReportsBeforeTheProcessEnds) {
    NoCrashDialog();
    for (const wchar_t* scenario : {L"crash", L"crash-thread", L"crash-default"}) {
        SCOPED_TRACE(U8(scenario));
        ASSERT_TRUE(CollectorClient::Reset());
        const auto run = TestSupport::Run(ProbeCommand(scenario, appName_), 30000);
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.exitCode, 0xC0000005u) << run.output;
        const auto requests = CollectorClient::Requests();
        ASSERT_EQ(requests.size(), 1u);
        const auto& records = requests[0].records;
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[0].Text("event"), "QzEventClick");
        EXPECT_EQ(records[0].Text("properties.qz_name"), U8(L"立即安装"));
        EXPECT_EQ(records[1].Text("event"), "QzEventTask");
        EXPECT_EQ(records[1].Text("properties.qz_task_name"), U8(L"崩溃退出"));
        EXPECT_EQ(records[1].Text("properties.qzc_ab"), "IN");
        EXPECT_EQ(records[2].Text("event"), "AppCrashed");
        EXPECT_EQ(records[2].Text("properties.app_crashed_reason"), U8(L"崩溃"));
        EXPECT_EQ(TestSupport::ReadFileBytes(StagingFile()), "");
    }
}

TEST_F(TrackerTest, ACrashWithAnalyticsOffRecordsNothing) {
    NoCrashDialog();
    const auto run = TestSupport::Run(ProbeCommand(L"crash", appName_, L"-isenableappanalytics=false"), 30000);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0xC0000005u) << run.output;
    EXPECT_TRUE(CollectorClient::Requests().empty());
    EXPECT_FALSE(TestSupport::Exists(DataFolder(appName_)));
}

TEST_F(TrackerTest, TriggersRunDetachedUntilAnUploadSucceeds) {
    const std::wstring capture = L"\"" + TestSupport::BinFolder() + L"debug_capture.exe\" ";
    auto run = TestSupport::Run(capture + ProbeCommand(L"triggers", appName_));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    // The click and the crash run detached; the crash's upload succeeds, so the later clicks do not.
    EXPECT_EQ(Count(run.output, "[Analytics] Sending messages asynchronously"), 2u) << run.output;
    EXPECT_EQ(Count(run.output, "[analytics] Analytics SDK send failed"), 0u);
    EXPECT_EQ(Answered200().size(), 4u);

    ASSERT_TRUE(CollectorClient::Reset());
    ASSERT_TRUE(CollectorClient::SetMode("status:500"));
    TestSupport::RemoveTree(DataFolder(appName_));
    run = TestSupport::Run(capture + ProbeCommand(L"triggers", appName_));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    // Nothing ever succeeds: every trigger is detached. Three attempts at the
    // crash and three at the release fail.
    EXPECT_EQ(Count(run.output, "[Analytics] Sending messages asynchronously"), 4u) << run.output;
    EXPECT_EQ(Count(run.output, "[analytics] Analytics SDK send failed"), 6u) << run.output;
    EXPECT_EQ(Count(TestSupport::ReadFileBytes(StagingFile()), "\r\n"), 4u);
}

TEST_F(TrackerTest, ASetIniBesideTheProgramMovesTheIdentityFile) {
    TestSupport::ScratchFolder folder(L"tracker-setini");
    const std::wstring copy = folder.File(L"tracker_probe.exe");
    ASSERT_TRUE(::CopyFileW((TestSupport::BinFolder() + L"tracker_probe.exe").c_str(), copy.c_str(), FALSE));
    std::string target = U8(folder.Path()) + "data/sub/x.ini";
    for (char& c : target) {
        if (c == '\\') c = '/';
    }
    ASSERT_TRUE(TestSupport::WriteFileBytes(folder.File(L"Set.ini"), "[Install]\r\nQZAnalyticsIni=" + target + "\r\n"));
    const auto run = TestSupport::Run(L"\"" + copy + L"\" start \"" +
                                      Utils::ToWide(CollectorClient::ServerUrl(), CP_UTF8) + L"\" " +
                                      Utils::ToWide(appName_, CP_UTF8));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    const std::wstring ini = folder.File(L"data\\sub\\x.ini");
    ASSERT_TRUE(TestSupport::Exists(ini));
    EXPECT_EQ(IniValue(ini, L"Base", L"URL"), CollectorClient::ServerUrl());
    EXPECT_EQ(IniValue(ini, L"UninstallInfo", L"AppName"), appName_);
    EXPECT_TRUE(TestSupport::Exists(folder.File(L"data\\sub\\" + Utils::ToWide(appName_, CP_UTF8) + L"_QZSLog.txt")));
    EXPECT_FALSE(TestSupport::Exists(DataFolder(appName_)));
}

TEST(Installer, StartsItsTrackerWithTheInstallerNames) {
    TestSupport::RemoveTree(DataFolder("Velquor.x"));
    const auto run = RunInstaller(L"-dlappnamesuffix=.x");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0u);
    const std::wstring ini = DataFolder("Velquor.x") + L"Velquor.x_QZSConfigure.ini";
    ASSERT_TRUE(TestSupport::Exists(ini));
    EXPECT_EQ(IniValue(ini, L"UninstallInfo", L"AppName"), "Velquor.x");
    EXPECT_EQ(IniValue(ini, L"UninstallInfo", L"AppStore"), "VelquorSetup.exe");
    EXPECT_EQ(IniValue(ini, L"UninstallInfo", L"AppVersion"), "1.7.9");
    EXPECT_EQ(IniValue(ini, L"Base", L"URL"), std::string("https://") + VELQUOR_TEST_ANALYTICS_HOST + "/sa?project=pc");
    EXPECT_EQ(IniValue(ini, L"Base", L"isLogined"), "NG");
    // Nothing was tracked, so nothing was kept for a later run.
    EXPECT_FALSE(TestSupport::Exists(DataFolder("Velquor.x") + L"Velquor.x_QZSCache.txt"));
    TestSupport::RemoveTree(DataFolder("Velquor.x"));
}

TEST(Installer, WithAnalyticsOffStartsNoTracker) {
    TestSupport::RemoveTree(DataFolder("Velquor.off"));
    const auto run = RunInstaller(L"-isenableappanalytics=false -dlappnamesuffix=.off");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(TestSupport::Exists(DataFolder("Velquor.off")));
}

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>

#include "app/InstallerConfig.h"
#include "pipeline/CDownloadInstaller.h"
#include "tests/pipeline/FakeProgram.h"
#include "tests/support/EventRecorder.h"
#include "utils/Folders.h"

using TestSupport::EventRecorder;
using TestSupport::Exists;
using TestSupport::ScratchFolder;

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return std::wstring(value, length);
}

std::wstring PackageUrl(const std::wstring& fault = L"") {
    return Env(L"VELQUOR_PACKAGE_URL") + (fault.empty() ? L"" : L"/_f/" + fault) + L"/software/251";
}

// The server's request log: method, path, range, status per line.
std::string RequestLog() {
    return TestSupport::ReadFileBytes(Env(L"VELQUOR_PACKAGE_LOG"));
}

size_t IndexOf(const std::vector<int>& codes, int code) {
    return static_cast<size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin());
}

class Orchestrator : public ::testing::Test {
protected:
    Orchestrator()
        : folder_(L"orch"),
          package_(folder_, L"VELQUOR_FAKE_PACKAGE", L"fake_package.exe"),
          uninstaller_(folder_, L"VELQUOR_FAKE_UNINSTALLER", L"fake_uninstaller.exe"),
          installFolder_(folder_.File(L"Velquor Install")) {
        InstallerConfig::Instance().DownloadType = 1;
        package_.Script("write Encode=UTF8\\nProgress=0.5\\n\nsleep 100\nwrite InstPath=C:\\\\V\\nState=Success\\n\n");
        uninstaller_.Script("write Progress=0.5\\n\nsleep 100\nwrite State=Success\\n\n");
    }
    ~Orchestrator() override { InstallerConfig::Instance().DownloadType = 1; }

    // A previous version: the fake uninstaller in a folder of its own.
    std::wstring PreviousUninstaller() {
        const std::wstring previousFolder = folder_.File(L"Old Velquor");
        ::CreateDirectoryW(previousFolder.c_str(), nullptr);
        const std::wstring path = previousFolder + L"\\uninst.exe";
        ::CopyFileW(uninstaller_.Exe().c_str(), path.c_str(), FALSE);
        return path;
    }

    // Runs until one of the final codes, then destroys the orchestrator (which waits for its workers).
    void Run(const std::wstring& url, const std::wstring& previous = L"",
             std::initializer_list<int> finals = {INSTALL_SUCCESS, IST_CODE_FAIL, DL_CODE_FAIL, UNIST_CODE_FAIL,
                                                  UNIST_CODE_ERROR}) {
        CDownloadInstaller installer(recorder_.Callback(), L"", L"", L"", true, true, true);
        installer.SetParams(url, L"", previous, installFolder_, true, false, false, true);
        packagePath_ = installer.GetPackagePath();
        installer.Start();
        ASSERT_TRUE(recorder_.WaitForAny(finals, 120000)) << recorder_.Describe();
    }

    ScratchFolder folder_;
    FakeProgram package_;
    FakeProgram uninstaller_;
    std::wstring installFolder_;
    std::wstring packagePath_;
    EventRecorder recorder_;
};

} // namespace

TEST_F(Orchestrator, PackagePathIsInTheInstallFolder) {
    CDownloadInstaller installer(nullptr, L"", L"", L"", true, true, true);
    installer.SetParams(L"u", L"", L"", L"C:\\Program Files\\Velquor", true, true, true, true);
    EXPECT_EQ(installer.GetPackagePath(), L"C:\\Program Files\\Velquor\\__Package_Velquor.exe");
    EXPECT_EQ(CDownloadInstaller::UninstallerCopyPath(), Utils::GetTempFolder() + L"\\Velquor_un_asa.exe");
}

TEST_F(Orchestrator, EachDownloadTypeDownloadsRunsAndDeletesThePackage) {
    for (int type : {1, 2, 3, 0, -1}) {
        SCOPED_TRACE(testing::Message() << "download type " << type);
        recorder_.Clear();
        InstallerConfig::Instance().DownloadType = type;
        Run(PackageUrl());
        const auto codes = recorder_.Codes();
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.front(), DL_CODE_START) << recorder_.Describe();
        EXPECT_LT(IndexOf(codes, DL_CODE_SUCCESS), IndexOf(codes, IST_CODE_START)) << recorder_.Describe();
        EXPECT_EQ(codes.back(), INSTALL_SUCCESS) << recorder_.Describe();
        EXPECT_EQ(std::count(codes.begin(), codes.end(), IST_INFO_INSTPATH), 1);
        EXPECT_FALSE(Exists(packagePath_)) << "the package is deleted after 2003";
        EXPECT_TRUE(Exists(installFolder_)) << "1001 creates the install folder";
    }
}

TEST_F(Orchestrator, PackageReceivesTheExactCommandLine) {
    InstallerConfig::Instance().InstCmd = L"-channel=qa";
    Run(PackageUrl());
    InstallerConfig::Instance().InstCmd.clear();
    EXPECT_EQ(package_.RecordedCommandLine(),
              L"\"" + installFolder_ + L"\\__Package_Velquor.exe\" /S -console=show -version=1.0.0 -adminact=false"
                                       L" -authorizationact=true -dsc=true -ssc=false -channel=qa -instdir=\"" +
                  installFolder_ + L"\" /D=" + installFolder_);
}

TEST_F(Orchestrator, PreviousVersionIsRemovedFirst) {
    const std::wstring previous = PreviousUninstaller();
    Run(PackageUrl(), previous);
    const auto events = recorder_.Events();
    const auto codes = recorder_.Codes();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].code, UNIST_CODE_PROGRESS);
    EXPECT_DOUBLE_EQ(events[0].value, 0.0);
    EXPECT_LT(IndexOf(codes, UNIST_CODE_SUCCESS), IndexOf(codes, DL_CODE_START)) << recorder_.Describe();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), UNIST_CODE_SUCCESS), 1);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), DL_CODE_START), 1);
    EXPECT_EQ(codes.back(), INSTALL_SUCCESS);
    // The copy runs, told which folder to remove.
    const std::wstring recorded = uninstaller_.RecordedCommandLine();
    EXPECT_EQ(recorded.find(CDownloadInstaller::UninstallerCopyPath() + L" /S -adminact="), 0u) << recorded.c_str();
    const std::wstring tail = L" -console=show _?=" + folder_.File(L"Old Velquor");
    ASSERT_GE(recorded.size(), tail.size());
    EXPECT_EQ(recorded.substr(recorded.size() - tail.size()), tail);
}

TEST_F(Orchestrator, FailedUninstallNeverDownloads) {
    const size_t logged = RequestLog().size();
    uninstaller_.Script("write Progress=0.2\\n\nwrite State=Fail\\n\n");
    Run(PackageUrl(), PreviousUninstaller());
    const auto codes = recorder_.Codes();
    EXPECT_EQ(codes.back(), UNIST_CODE_ERROR) << recorder_.Describe();
    ::Sleep(500);
    EXPECT_EQ(IndexOf(recorder_.Codes(), DL_CODE_START), recorder_.Codes().size()) << recorder_.Describe();
    EXPECT_FALSE(Exists(installFolder_));
    EXPECT_FALSE(Exists(packagePath_));
    EXPECT_EQ(RequestLog().size(), logged) << "no request reached the server";
}

TEST_F(Orchestrator, PathThatIsNoFileMeansNoPreviousVersion) {
    // A path that is not a file counts as no previous version.
    Run(PackageUrl(), folder_.File(L"no-such-uninst.exe"));
    EXPECT_EQ(recorder_.Codes().front(), DL_CODE_START);
}

TEST_F(Orchestrator, DigestMismatchRestartsOnceThenFailsAndDeletesThePackage) {
    Run(PackageUrl(L"digest=wrong"), L"", {DL_CODE_FAIL, INSTALL_SUCCESS});
    const auto codes = recorder_.Codes();
    std::vector<int> milestones;
    for (int c : codes)
        if (c != DL_CODE_PROGRESS) milestones.push_back(c);
    EXPECT_EQ(milestones, (std::vector<int>{1001, 1006, 1005, 1001, 1006, 1004})) << recorder_.Describe();
    EXPECT_FALSE(Exists(packagePath_));
}

TEST_F(Orchestrator, FailedPackageIsDeletedAndASecondStartDownloadsAgain) {
    package_.Script("write State=Fail\\n\n");
    CDownloadInstaller installer(recorder_.Callback(), L"", L"", L"", true, true, true);
    installer.SetParams(PackageUrl(), L"", L"", installFolder_, false, false, false, false);
    installer.Start();
    ASSERT_TRUE(recorder_.WaitForAny({IST_CODE_FAIL}, 120000)) << recorder_.Describe();
    ::Sleep(300);
    EXPECT_FALSE(Exists(installer.GetPackagePath()));

    package_.Script("write State=Success\\n\n");
    recorder_.Clear();
    installer.Start();
    ASSERT_TRUE(recorder_.WaitForAny({INSTALL_SUCCESS}, 120000)) << recorder_.Describe();
    EXPECT_EQ(recorder_.Codes().front(), DL_CODE_START);
    ::Sleep(300);
    EXPECT_FALSE(Exists(installer.GetPackagePath()));
}

TEST_F(Orchestrator, MultiPartFailureRestartsOnceAndThenInstalls) {
    InstallerConfig::Instance().DownloadType = 3;
    // A part that drops after 300000 bytes and then meets server errors until its budget is spent.
    Run(PackageUrl(L"plan=drop:300000+status:500*10,key=mtrestart"));
    std::vector<int> milestones;
    for (int c : recorder_.Codes())
        if (c != DL_CODE_PROGRESS && c != IST_CODE_PROGRESS && c != IST_INFO_INSTPATH && c != DL_CODE_MD5_NOTICE)
            milestones.push_back(c);
    EXPECT_EQ(milestones, (std::vector<int>{1001, 1005, 1001, 1003, 2001, 2003})) << recorder_.Describe() << RequestLog();
    EXPECT_FALSE(Exists(packagePath_));
    // The restart resumed from the part file instead of starting over.
    EXPECT_NE(RequestLog().find("bytes=300000-"), std::string::npos) << RequestLog();
}

#include <gtest/gtest.h>

#include "app/InstallerConfig.h"
#include "tests/support/TestSupport.h"

using TestSupport::ScratchFolder;

namespace {

const std::wstring kBuiltInUrl = L"http://" VELQUOR_TEST_PACKAGE_HOST L"/software/251";

struct Loaded {
    explicit Loaded(const char* ini) : folder(L"config") {
        if (ini) TestSupport::WriteFileBytes(folder.File(L"TandryInstallerConfig.ini"), ini);
        config.LoadFile(folder.File(L"VelquorSetup.exe"));
    }
    ScratchFolder folder;
    InstallerConfig config;
};

} // namespace

TEST(InstallerConfig, NoFileAndNoOptionsGiveTheBuiltInValues) {
    Loaded l(nullptr);
    const InstallerConfig& c = l.config;
    EXPECT_EQ(c.ProductId, L"Velquor");
    EXPECT_EQ(c.InstallerVersion, L"1.7.9");
    EXPECT_EQ(c.InstallerFileName, L"VelquorSetup.exe");
    EXPECT_EQ(c.DlAppNameSuffix, L".downloader");
    EXPECT_EQ(c.DlAppVersion, L"");
    EXPECT_EQ(c.InstCmd, L"");
    EXPECT_EQ(c.DownloadUrl, kBuiltInUrl);
    EXPECT_EQ(c.DownloadType, 1);
    EXPECT_FALSE(c.IsCheckNet);
    EXPECT_TRUE(c.IsEnableAppAnalytics);
    EXPECT_DOUBLE_EQ(c.DownloadScale, 0.7);
    EXPECT_TRUE(c.HttpReady);
    EXPECT_EQ(c.AbGroup, L"IN");
}

TEST(InstallerConfig, EmptySectionTurnsTheNetworkCheckOn) {
    Loaded l("[Install]\r\n");
    EXPECT_TRUE(l.config.IsCheckNet);
    EXPECT_TRUE(l.config.IsEnableAppAnalytics);
    EXPECT_EQ(l.config.DownloadType, 1);
    EXPECT_DOUBLE_EQ(l.config.DownloadScale, 0.7);
    EXPECT_EQ(l.config.DownloadUrl, kBuiltInUrl);
    EXPECT_EQ(l.config.DlAppNameSuffix, L".downloader");
}

TEST(InstallerConfig, FileValuesAreRead) {
    Loaded l("[install]\r\n"
             "downloadurl=http://pkg.example/${ROUTE}/a/${ROUTE}\r\n"
             "DownloadType=3x\r\n"
             "IsCheckNet=True\r\n"
             "IsEnableAppAnalytics=false\r\n"
             "DlAppNameSuffix=.web\r\n"
             "m_DlAppVersion=2.0.1\r\n"
             "DownloadScale=  0.25rest\r\n"
             "InstCmd=-channel=7\r\n");
    const InstallerConfig& c = l.config;
    EXPECT_EQ(c.DownloadUrl, L"http://pkg.example/download_silent/a/download_silent");
    EXPECT_EQ(c.DownloadType, 3);
    EXPECT_FALSE(c.IsCheckNet) << "only exactly \"true\" is true";
    EXPECT_FALSE(c.IsEnableAppAnalytics);
    EXPECT_EQ(c.DlAppNameSuffix, L".web");
    EXPECT_EQ(c.DlAppVersion, L"2.0.1");
    EXPECT_DOUBLE_EQ(c.DownloadScale, 0.25);
    EXPECT_EQ(c.InstCmd, L"-channel=7");
    EXPECT_EQ(c.ProductId, L"Velquor");
}

TEST(InstallerConfig, OddFileValuesNeverStopTheInstaller) {
    struct Case {
        const char* ini;
        int type;
        double scale;
    } cases[] = {
        {"[Install]\r\nDownloadScale=abc\r\nDownloadType=abc\r\n", 0, 0.0},
        {"[Install]\r\nDownloadScale=1e999\r\n", 1, 0.0},
        {"[Install]\r\nDownloadScale=7\r\n", 1, 1.0},
        {"[Install]\r\nDownloadScale=-0.5\r\n", 1, 0.0},
        {"[Install]\r\nDownloadScale=\r\n", 1, 0.0},
    };
    for (const auto& c : cases) {
        Loaded l(c.ini);
        EXPECT_EQ(l.config.DownloadType, c.type) << c.ini;
        EXPECT_DOUBLE_EQ(l.config.DownloadScale, c.scale) << c.ini;
    }
}

TEST(InstallerConfig, LongValuesAreCutTo259Characters) {
    const std::string longSuffix(400, 's');
    Loaded l(("[Install]\r\nDlAppNameSuffix=" + longSuffix + "\r\n").c_str());
    EXPECT_EQ(l.config.DlAppNameSuffix, std::wstring(259, L's'));
}

TEST(InstallerConfig, OptionsOverrideTheFile) {
    Loaded l("[Install]\r\nDownloadType=1\r\nIsCheckNet=true\r\nDownloadScale=0.4\r\n");
    InstallerConfig& c = l.config;
    c.ApplyCommandLine(L"VelquorSetup.exe -downloadtype=3 -ischecknet -dlappnamesuffix=.x -dlappversion=9 "
                       L"\"-instcmd=/S /D=C:\\x\" -downloadurl=http://h/${ROUTE}/p.exe -isenableappanalytics=false");
    EXPECT_EQ(c.DownloadType, 3);
    EXPECT_FALSE(c.IsCheckNet) << "-ischecknet without = is an empty value";
    EXPECT_EQ(c.DlAppNameSuffix, L".x");
    EXPECT_EQ(c.DlAppVersion, L"9");
    EXPECT_EQ(c.InstCmd, L"/S /D=C:\\x");
    EXPECT_EQ(c.DownloadUrl, L"http://h/download_silent/p.exe");
    EXPECT_FALSE(c.IsEnableAppAnalytics);
    EXPECT_DOUBLE_EQ(c.DownloadScale, 0.4) << "absent options keep the file's value";
}

TEST(InstallerConfig, OptionValuesOfEveryKind) {
    InstallerConfig c;
    c.ApplyCommandLine(L"VelquorSetup.exe -ischecknet=true -downloadscale=0.5 -downloadtype=abc");
    EXPECT_TRUE(c.IsCheckNet);
    EXPECT_DOUBLE_EQ(c.DownloadScale, 0.5);
    EXPECT_EQ(c.DownloadType, 0);
    // Not a number: the value from before stays.
    c.ApplyCommandLine(L"VelquorSetup.exe -downloadscale=half -isenableappanalytics=True");
    EXPECT_DOUBLE_EQ(c.DownloadScale, 0.5);
    EXPECT_FALSE(c.IsEnableAppAnalytics);
    c.ApplyCommandLine(L"VelquorSetup.exe -downloadscale=3");
    EXPECT_DOUBLE_EQ(c.DownloadScale, 1.0);
}

TEST(InstallerConfig, RouteExpansionPerSystem) {
    const std::wstring url = L"http://h/${ROUTE}/a/${ROUTE}";
    EXPECT_EQ(InstallerConfig::ExpandRoute(url, L"7", false), L"http://h/download_silent/a/download_silent");
    EXPECT_EQ(InstallerConfig::ExpandRoute(url, L"7", true), L"http://h/download_silent/a/download_silent")
        << "product 502 has no 64-bit route";
    for (const wchar_t* xp : {L"XP", L"XP-", L"XP+"})
        EXPECT_EQ(InstallerConfig::ExpandRoute(url, xp, false), L"http://h/download_silent_xp/a/download_silent_xp");
    EXPECT_EQ(InstallerConfig::ExpandRoute(L"http://h/plain", L"XP", false), L"http://h/plain");
    // The running prefix is Windows 7.
    EXPECT_EQ(InstallerConfig::ExpandRoute(url), L"http://h/download_silent/a/download_silent");
}

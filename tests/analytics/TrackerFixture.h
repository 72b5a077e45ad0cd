#pragma once
// A tracker of its own per test: a unique application name (so that its
// data folder under the Wine profile is fresh) and the test's collector.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <curl/curl.h>

#include <io.h>

#include <cstdio>
#include <string>

#include "analytics/sdk/Sdk.h"
#include "analytics/source/src/TrackerApi.h"
#include "tests/analytics/CollectorClient.h"
#include "tests/support/TestSupport.h"
#include "utils/Folders.h"
#include "utils/Text.h"

namespace TrackerTesting {

inline std::wstring LocalAppData() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

// Where a tracker named appName keeps its files, ending in a backslash.
inline std::wstring DataFolder(const std::string& appName) {
    return LocalAppData() + L"\\QZLocal\\" + Utils::ToWide(appName, CP_UTF8) + L"\\";
}

inline std::string IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                            const wchar_t* fallback = L"<absent>") {
    wchar_t value[512] = {};
    ::GetPrivateProfileStringW(section, key, fallback, value, 512, file.c_str());
    return Utils::ToNarrow(value, CP_UTF8);
}

inline void WriteIni(const std::wstring& file, const wchar_t* section, const wchar_t* key, const std::string& value) {
    ::WritePrivateProfileStringW(section, key, Utils::ToWide(value, CP_UTF8).c_str(), file.c_str());
}

class TrackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool curlReady = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
        ASSERT_TRUE(curlReady);
        ASSERT_TRUE(CollectorClient::Available()) << "run through with_collector.sh";
        ASSERT_TRUE(CollectorClient::Reset());
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        appName_ = std::string("VqTest.") + info->name() + "." + std::to_string(::GetCurrentProcessId());
        TestSupport::RemoveTree(DataFolder(appName_));
    }
    void TearDown() override {
        tandry::tracking::ReleaseTracker();
        TestSupport::RemoveTree(DataFolder(appName_));
    }

    tandry::tracking::TrackerConfig Config() const {
        tandry::tracking::TrackerConfig config;
        config.appName = appName_;
        config.appVersion = "1.7.9";
        config.appStore = "VelquorSetup.exe";
        config.dlAppId = "Velquor";
        config.serverUrl = CollectorClient::ServerUrl();
        return config;
    }
    void Start() { tandry::tracking::CreateTracker(Config()); }
    std::shared_ptr<tandry::tracking::Tracker> Tracker() const { return tandry::tracking::CurrentTracker(); }
    // Ends the tracker, which uploads what is pending; then what the collector got.
    std::vector<CollectorClient::Record> ReleaseAndCollect() {
        EXPECT_TRUE(tandry::tracking::ReleaseTracker());
        return CollectorClient::AllRecords(CollectorClient::Requests());
    }
    std::wstring ConfigureFile() const {
        return DataFolder(appName_) + Utils::ToWide(appName_, CP_UTF8) + L"_QZSConfigure.ini";
    }
    std::wstring StagingFile() const {
        return DataFolder(appName_) + Utils::ToWide(appName_, CP_UTF8) + L"_QZSCache.txt";
    }

    std::string appName_;
};

// Captures what the process writes to its standard output meanwhile.
class StdoutCapture {
public:
    explicit StdoutCapture(const std::wstring& file) : file_(file) {
        std::fflush(stdout);
        saved_ = _dup(1);
        FILE* target = _wfopen(file.c_str(), L"wb");
        _dup2(_fileno(target), 1);
        std::fclose(target);
    }
    std::string Finish() {
        std::fflush(stdout);
        _dup2(saved_, 1);
        _close(saved_);
        saved_ = -1;
        return TestSupport::ReadFileBytes(file_);
    }
    ~StdoutCapture() {
        if (saved_ >= 0) Finish();
    }

private:
    std::wstring file_;
    int saved_ = -1;
};

} // namespace TrackerTesting

// The installer's report layer over a real tracker and the collector.
#include "tests/analytics/TrackerFixture.h"

#include <cmath>
#include <regex>

#include "app/InstallerConfig.h"
#include "app/InstallerReports.h"
#include "pipeline/PackagePath.h"

using namespace TrackerTesting;

namespace {

const ReportProperties kAb = {{L"AB", L"IN"}};

std::string U8(const std::wstring& text) {
    return Utils::ToNarrow(text, CP_UTF8);
}

class Reports : public TrackerTest {
protected:
    void SetUp() override {
        TrackerTest::SetUp();
        InstallerConfig::Instance().IsEnableAppAnalytics = true;
    }
    void TearDown() override {
        InstallerConfig::Instance().IsEnableAppAnalytics = true;
        TrackerTest::TearDown();
    }
};

} // namespace

TEST_F(Reports, EachKindBecomesItsEventWithTheAbGroup) {
    Start();
    ReportClick(kAb, L"立即安装");
    ReportPageView(kAb);
    ReportTask(L"大包下载完毕", 12.5f, kAb, L"");
    ReportTask(L"开始下载大包", 0.0f, kAb, L"");
    ReportCrash();
    ASSERT_TRUE(tandry::tracking::WaitForTrackerUploads(10000));
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 5u);

    EXPECT_EQ(records[0].Text("event"), "QzEventClick");
    EXPECT_EQ(records[0].Text("properties.qz_name"), U8(L"立即安装"));
    EXPECT_EQ(records[0].Text("properties.qz_click_type"), "Button");
    EXPECT_EQ(records[0].Text("properties.qzc_ab"), "IN");

    EXPECT_EQ(records[1].Text("event"), "QzEventView");
    EXPECT_EQ(records[1].Text("properties.qz_name"), U8(L"安装中"));
    EXPECT_EQ(records[1].Text("properties.qzc_ab"), "IN");
    EXPECT_FALSE(records[1].Has("properties.qz_title"));

    EXPECT_EQ(records[2].Text("event"), "QzEventTask");
    EXPECT_EQ(records[2].Text("properties.qz_task_name"), U8(L"大包下载完毕"));
    EXPECT_EQ(records[2].Json("properties.qz_task_elapsed"), "12.5");
    EXPECT_EQ(records[2].Text("properties.qz_task_result"), "Success");
    EXPECT_EQ(records[2].Text("properties.qzc_ab"), "IN");
    EXPECT_FALSE(records[2].Has("properties.qz_reason"));
    // A value of 0 is still reported.
    EXPECT_NE(records[3].raw.find("\"qz_task_elapsed\":0,"), std::string::npos) << records[3].raw;

    EXPECT_EQ(records[4].Text("event"), "AppCrashed");
    EXPECT_EQ(records[4].Text("properties.app_crashed_reason"), U8(L"崩溃"));
    EXPECT_FALSE(records[4].Has("properties.qzc_ab"));
}

TEST_F(Reports, AbValuesThatFailTheCheckCostOnlyTheValue) {
    Start();
    ReportClick({}, L"empty map");
    ReportClick({{L"AB", L"ab"}}, L"lower case");
    ReportClick({{L"AB", L"ABCD"}}, L"too long");
    ReportClick({{L"AB", L""}}, L"empty value");
    ReportClick({{L"Other", L"IN"}}, L"other key");
    ReportClick({{L"AB", L"Z9Q"}}, L"valid");
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 6u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_FALSE(records[i].Has("properties.qzc_ab")) << records[i].Text("properties.qz_name");
        EXPECT_FALSE(records[i].Has("properties.Other"));
    }
    EXPECT_EQ(records[5].Text("properties.qzc_ab"), "Z9Q");
}

TEST_F(Reports, ShortFailureReasons) {
    Start();
    ReportFailureReason({1000, 1000.0, L"x"}, true);
    ReportFailureReason({2004, 2004.9, L"安装包返回失败"}, false);
    ReportFailureReason({1006, -7.5, std::wstring(300, L'长')}, true);
    ReportFailureReason({1006, std::nan(""), L"nan"}, true);
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].Text("properties.qz_task_name"), U8(L"下载失败原因"));
    EXPECT_EQ(records[0].Text("properties.qz_reason"), U8(L":1.code=1000；2.msg=x"));
    EXPECT_EQ(records[0].Json("properties.qz_task_elapsed"), "0");
    EXPECT_EQ(records[0].Text("properties.qzc_ab"), "IN");
    EXPECT_EQ(records[1].Text("properties.qz_task_name"), U8(L"安装失败原因"));
    EXPECT_EQ(records[1].Text("properties.qz_reason"), U8(L":1.code=2004；2.msg=安装包返回失败"));
    const std::wstring longText = Utils::ToWide(records[2].Text("properties.qz_reason"), CP_UTF8);
    EXPECT_EQ(longText.size(), 200u);
    EXPECT_EQ(longText.compare(0, 18, L":1.code=-7；2.msg=长"), 0);
    EXPECT_EQ(records[3].Text("properties.qz_reason"), U8(L":1.code=0；2.msg=nan"));
}

TEST_F(Reports, LongFailureReasonTellsDiskPermissionAndNetwork) {
    TestSupport::ScratchFolder install(L"reports-install");
    const std::wstring package = PackagePathFor(install.Path().substr(0, install.Path().size() - 1), L"Velquor");
    ASSERT_TRUE(TestSupport::WriteFileBytes(package, "partial"));
    Start();
    ReportDownloadFailure({1004, 1004.0, L"boom"}, package);
    EXPECT_FALSE(TestSupport::Exists(package));

    // Held open by someone else without delete sharing: no permission.
    const HANDLE held = ::CreateFileW(package.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ReportDownloadFailure({1004, 1004.0, L"held"}, package);
    ::CloseHandle(held);

    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 2u);
    const std::regex form(U8(L"1\\.code=1004；2\\.msg=(boom|held)；3\\.缓存磁盘容量=[0-9]+\\.[0-9]{2}G；"
                             L"4\\.缓存读写权限=(可读|无权限)；5\\.服务器连接状态code=-?[0-9]+"));
    for (const auto& record : records) {
        EXPECT_EQ(record.Text("properties.qz_task_name"), U8(L"下载失败原因"));
        EXPECT_TRUE(std::regex_match(record.Text("properties.qz_reason"), form)) << record.Text("properties.qz_reason");
        EXPECT_EQ(record.Text("properties.qzc_ab"), "IN");
    }
    EXPECT_NE(records[0].Text("properties.qz_reason").find(U8(L"4.缓存读写权限=可读")), std::string::npos);
    EXPECT_NE(records[1].Text("properties.qz_reason").find(U8(L"4.缓存读写权限=无权限")), std::string::npos);
    EXPECT_EQ(records[0].Text("properties.qz_reason").find(U8(L"缓存磁盘容量=0.00G")), std::string::npos);
}

TEST_F(Reports, NothingIsRecordedWhenAnalyticsIsOffOrNoTrackerRuns) {
    // No tracker yet.
    ReportClick(kAb, L"立即安装");
    ReportCrash();
    Start();
    InstallerConfig::Instance().IsEnableAppAnalytics = false;
    ReportClick(kAb, L"立即安装");
    ReportClick(kAb, L"自定义安装");
    ReportPageView(kAb);
    ReportTask(L"安装成功", 0.0f, kAb, L"");
    ReportFailureReason({1000, 1000.0, L"x"}, true);
    TestSupport::ScratchFolder install(L"reports-off");
    const std::wstring package = PackagePathFor(install.Path().substr(0, install.Path().size() - 1), L"Velquor");
    ASSERT_TRUE(TestSupport::WriteFileBytes(package, "kept"));
    ReportDownloadFailure({1004, 1004.0, L"x"}, package);
    ReportCrash();
    EXPECT_EQ(analytics_sdk::Sdk::QueuedRecordCount(), 0u);
    EXPECT_EQ(TestSupport::ReadFileBytes(package), "kept");
    EXPECT_TRUE(tandry::tracking::ReleaseTracker());
    EXPECT_TRUE(CollectorClient::Requests().empty());
    EXPECT_FALSE(TestSupport::Exists(StagingFile()));
    // Released: reports are dropped again, also with analytics on.
    InstallerConfig::Instance().IsEnableAppAnalytics = true;
    ReportClick(kAb, L"立即安装");
    ReportCrash();
    EXPECT_TRUE(CollectorClient::Requests().empty());
}

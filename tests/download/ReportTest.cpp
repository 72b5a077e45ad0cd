// The HTTP client's size-failure report, through the installer's reports and
// a real tracker to the collector.
#include "tests/analytics/TrackerFixture.h"

#include "app/InstallerConfig.h"
#include "download/CurlClient.h"
#include "tests/download/DownloadTestSupport.h"

using namespace TrackerTesting;

namespace {

class SizeReport : public TrackerTest {
protected:
    void SetUp() override {
        TrackerTest::SetUp();
        ASSERT_TRUE(DownloadTest::PackageServer::Instance().Ready()) << "run through with_server.sh --collector";
        InstallerConfig::Instance().IsEnableAppAnalytics = true;
    }
};

} // namespace

TEST_F(SizeReport, BothProbesReportTheStatusOfARefusedSizeRequest) {
    auto& server = DownloadTest::PackageServer::Instance();
    ASSERT_TRUE(server.Publish(L"rp_head404.bin", DownloadTest::PackageBytes(1100000, 81)));
    TestSupport::ScratchFolder scratch(L"report");
    Start();
    CurlClient client(server.Url(L"/_f/headstatus=404/software/rp_head404.bin"), scratch.File(L"package.exe"), nullptr);
    EXPECT_EQ(client.Start(), CurlClient::kNoLength);

    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 2u);
    for (const auto& record : records) {
        EXPECT_EQ(record.Text("event"), "QzEventTask");
        EXPECT_EQ(record.Text("properties.qz_task_name"), Utils::ToNarrow(L"下载失败原因", CP_UTF8));
        EXPECT_EQ(record.Text("properties.qz_reason"), Utils::ToNarrow(L"1.获取文件大小的状态码为=404；", CP_UTF8));
    }
    // The first probe sends no properties; the second adds the A/B group.
    EXPECT_FALSE(records[0].Has("properties.qzc_ab"));
    EXPECT_EQ(records[1].Text("properties.qzc_ab"), "IN");
}

TEST_F(SizeReport, AnAnsweredSizeRequestReportsNothing) {
    auto& server = DownloadTest::PackageServer::Instance();
    ASSERT_TRUE(server.Publish(L"rp_fine.bin", DownloadTest::PackageBytes(1100000, 82)));
    TestSupport::ScratchFolder scratch(L"report");
    Start();
    CurlClient client(server.Url(L"/software/rp_fine.bin"), scratch.File(L"package.exe"), nullptr);
    EXPECT_EQ(client.Start(), 0);
    EXPECT_TRUE(ReleaseAndCollect().empty());
}

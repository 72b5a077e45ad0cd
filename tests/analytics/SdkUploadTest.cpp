// The SDK's upload against our collector on 127.0.0.1: the request, the
// batches, and what happens to records when the collector fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <curl/curl.h>

#include <atomic>
#include <thread>

#include "analytics/sdk/Diagnostics.h"
#include "analytics/sdk/Sdk.h"
#include "tests/analytics/CollectorClient.h"
#include "tests/support/TestSupport.h"
#include "utils/Text.h"

using analytics_sdk::PropertiesNode;
using analytics_sdk::Sdk;

namespace {

const bool g_curlReady = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;

void TrackSequence(int from, int to) {
    for (int i = from; i < to; ++i) {
        PropertiesNode properties;
        properties.SetInteger("seq", i);
        Sdk::Track("QzEventClick", properties);
    }
}

std::vector<int> Sequence(const std::vector<CollectorClient::Record>& records) {
    std::vector<int> seq;
    for (const auto& record : records) seq.push_back(std::atoi(record.Json("properties.seq").c_str()));
    return seq;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> out;
    for (int i = from; i < to; ++i) out.push_back(i);
    return out;
}

std::vector<CollectorClient::Request> Answered(int status) {
    std::vector<CollectorClient::Request> out;
    for (const auto& request : CollectorClient::Requests()) {
        if (request.answered == status && !request.stalled) out.push_back(request);
    }
    return out;
}

class SdkUpload : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_curlReady);
        ASSERT_TRUE(CollectorClient::Available()) << "run through with_collector.sh";
        ASSERT_TRUE(CollectorClient::Reset());
        analytics_sdk::SetDiagnosticSink([this](const std::string& line) { diagnostics_.push_back(line); });
        ASSERT_TRUE(Sdk::Init(Utils::ToNarrow(scratch_.File(L"cache.txt"), CP_UTF8), CollectorClient::ServerUrl(),
                              "device-1", false));
    }
    void TearDown() override {
        Sdk::Shutdown();
        analytics_sdk::SetDiagnosticSink(nullptr);
    }

    TestSupport::ScratchFolder scratch_{L"sdk-upload"};
    std::vector<std::string> diagnostics_;
};

} // namespace

TEST_F(SdkUpload, OneRequestAsTheCollectorSeesIt) {
    PropertiesNode properties;
    properties.SetString("qz_name", "\xe7\xab\x8b\xe5\x8d\xb3\xe5\xae\x89\xe8\xa3\x85");  // 立即安装
    properties.SetNumber("a", 2.5);
    properties.SetNumber("b", 3);
    properties.SetNumber("c", 1.5e6);
    properties.SetNumber("d", 0.000123);
    properties.SetString("B", "upper");
    properties.SetString("b_", "lower");
    Sdk::Track("QzEventClick", properties);
    ASSERT_TRUE(Sdk::Flush());
    EXPECT_TRUE(Sdk::LastSendSucceeded());
    EXPECT_EQ(Sdk::QueuedRecordCount(), 0u);

    const auto requests = CollectorClient::Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_TRUE(request.decoded) << request.error;
    EXPECT_EQ(request.userAgent, "Analytics CPP SDK 0.9");
    EXPECT_EQ(request.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(request.query, "project=pc");
    ASSERT_EQ(request.records.size(), 1u);
    const auto& record = request.records[0];
    EXPECT_EQ(record.Text("event"), "QzEventClick");
    EXPECT_EQ(record.Text("type"), "track");
    EXPECT_EQ(record.Text("distinct_id"), "device-1");
    EXPECT_EQ(record.Text("lib.$lib_method"), "code");
    EXPECT_EQ(record.Text("properties.qz_name"), "\xe7\xab\x8b\xe5\x8d\xb3\xe5\xae\x89\xe8\xa3\x85");
    EXPECT_NE(record.raw.find("\"properties\":{\"$lib\":\"cpp\",\"$lib_version\":\"0.9\",\"B\":\"upper\","
                              "\"a\":2.5,\"b\":3,\"b_\":\"lower\",\"c\":1.5e+06,\"d\":0.000123,"),
              std::string::npos)
        << record.raw;
    EXPECT_EQ(request.batch, "[" + record.raw + "]");
}

TEST_F(SdkUpload, SeventyFiveRecordsGoAsThirtyThirtyFifteen) {
    TrackSequence(0, 75);
    ASSERT_TRUE(Sdk::Flush());
    const auto requests = CollectorClient::Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].records.size(), 30u);
    EXPECT_EQ(requests[1].records.size(), 30u);
    EXPECT_EQ(requests[2].records.size(), 15u);
    EXPECT_EQ(Sequence(CollectorClient::AllRecords(requests)), Range(0, 75));
    // An empty queue sends nothing.
    ASSERT_TRUE(Sdk::Flush());
    EXPECT_EQ(CollectorClient::Requests().size(), 3u);
}

TEST_F(SdkUpload, EveryFailureKeepsTheRecordsForTheNextFlush) {
    const struct {
        const char* mode;
        const char* diagnostic;  // part of the failure message
    } cases[] = {
        {"status:500", "Analytics SDK send failed: collector failure: try later"},
        {"status:204", "Analytics SDK send failed: "},
        {"redirect", "Analytics SDK send failed: "},
        {"drop", "Analytics SDK send failed: "},
        {"stall:4.5", "Analytics SDK send failed: Operation timed out"},
    };
    int next = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_TRUE(CollectorClient::Reset());
        ASSERT_TRUE(CollectorClient::SetMode(c.mode));
        diagnostics_.clear();
        TrackSequence(next, next + 5);
        EXPECT_FALSE(Sdk::Flush());
        EXPECT_FALSE(Sdk::LastSendSucceeded());
        EXPECT_EQ(Sdk::QueuedRecordCount(), 5u);
        ASSERT_EQ(diagnostics_.size(), 1u);
        EXPECT_EQ(diagnostics_[0].compare(0, strlen(c.diagnostic), c.diagnostic), 0) << diagnostics_[0];

        ASSERT_TRUE(CollectorClient::SetMode("ok"));
        ASSERT_TRUE(Sdk::Flush());
        EXPECT_TRUE(Sdk::LastSendSucceeded());
        const auto ok = Answered(200);
        ASSERT_EQ(ok.size(), 1u);
        EXPECT_EQ(Sequence(ok[0].records), Range(next, next + 5));
        next += 5;
    }
}

TEST_F(SdkUpload, AFailingBatchFromANearlyFullQueueGoesBackWhole) {
    TrackSequence(0, 1000);
    ASSERT_TRUE(CollectorClient::SetMode("status:500"));
    EXPECT_FALSE(Sdk::Flush());
    EXPECT_EQ(Sdk::QueuedRecordCount(), 1000u);
    ASSERT_TRUE(CollectorClient::SetMode("ok"));
    ASSERT_TRUE(Sdk::Flush());
    const auto ok = Answered(200);
    ASSERT_EQ(ok.size(), 34u);
    EXPECT_EQ(Sequence(CollectorClient::AllRecords(ok)), Range(0, 1000));
}

TEST_F(SdkUpload, RecordsQueuedDuringAFailingUploadLeaveRoomOnlyForTheNewestOfTheBatch) {
    TrackSequence(0, 1024);
    ASSERT_TRUE(CollectorClient::SetMode("slowfail:1.5"));
    std::atomic<bool> flushed{true};
    std::thread flush([&] { flushed = Sdk::Flush(); });
    // The batch of 30 is out once the queue holds 994.
    for (int i = 0; i < 2000 && Sdk::QueuedRecordCount() != 994; ++i) ::Sleep(1);
    ASSERT_EQ(Sdk::QueuedRecordCount(), 994u);
    TrackSequence(1024, 1044);
    flush.join();
    EXPECT_FALSE(flushed);
    EXPECT_EQ(Sdk::QueuedRecordCount(), 1024u);

    ASSERT_TRUE(CollectorClient::SetMode("ok"));
    ASSERT_TRUE(Sdk::Flush());
    std::vector<int> expected = Range(20, 1044);
    EXPECT_EQ(Sequence(CollectorClient::AllRecords(Answered(200))), expected);
}

TEST_F(SdkUpload, TheOldestRecordGivesWayToThe1025th) {
    TrackSequence(0, 1025);
    ASSERT_TRUE(Sdk::Flush());
    EXPECT_EQ(Sequence(CollectorClient::AllRecords(CollectorClient::Requests())), Range(1, 1025));
}

TEST_F(SdkUpload, StringLimitsAsTheCollectorSeesThem) {
    PropertiesNode properties;
    properties.SetString("exact", std::string(8192, 'x'));
    properties.SetString("over", std::string(8193, 'x'));
    properties.SetString("control", "a\x01");
    properties.SetString("del", "a\x7f");
    properties.SetString("overlong", "\xc0\x80");
    properties.SetString("surrogate", "\xed\xa0\x80");
    properties.SetString("cut", "ok\xe4\xbd");
    properties.SetString("text", "line\nquote\"back\\slash\ttab");
    Sdk::Track("E", properties);
    ASSERT_TRUE(Sdk::Flush());
    const auto records = CollectorClient::AllRecords(CollectorClient::Requests());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Text("properties.exact"), std::string(8192, 'x'));
    for (const char* refused : {"over", "control", "del", "overlong", "surrogate", "cut"})
        EXPECT_FALSE(records[0].Has(std::string("properties.") + refused)) << refused;
    EXPECT_EQ(records[0].Text("properties.text"), "line\nquote\"back\\slash\ttab");
}

TEST_F(SdkUpload, StagedRecordsOfAnEarlierInstanceGoFirst) {
    ASSERT_TRUE(CollectorClient::SetMode("status:500"));
    TrackSequence(0, 40);
    EXPECT_FALSE(Sdk::Flush());
    Sdk::Shutdown();
    EXPECT_EQ(Sdk::QueuedRecordCount(), 0u);

    ASSERT_TRUE(CollectorClient::SetMode("ok"));
    ASSERT_TRUE(Sdk::Init(Utils::ToNarrow(scratch_.File(L"cache.txt"), CP_UTF8), CollectorClient::ServerUrl(),
                          "device-1", false));
    TrackSequence(40, 45);
    ASSERT_TRUE(Sdk::Flush());
    EXPECT_EQ(Sequence(CollectorClient::AllRecords(Answered(200))), Range(0, 45));
    EXPECT_EQ(TestSupport::ReadFileBytes(scratch_.File(L"cache.txt")), "");
}

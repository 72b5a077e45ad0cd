// One upload over HTTPS: libcurl's Schannel under Wine against the collector
// serving TLS on 127.0.0.1 with a self-signed certificate made by the test
// script. Verification stays off, as the SDK has it.
#include <gtest/gtest.h>

#include <windows.h>

#include <curl/curl.h>

#include "analytics/sdk/Diagnostics.h"
#include "analytics/sdk/Sdk.h"
#include "tests/analytics/CollectorClient.h"
#include "tests/support/TestSupport.h"
#include "utils/Text.h"

using analytics_sdk::PropertiesNode;
using analytics_sdk::Sdk;

TEST(HttpsUpload, ABatchReachesTheTlsCollector) {
    ASSERT_EQ(curl_global_init(CURL_GLOBAL_ALL), CURLE_OK);
    ASSERT_TRUE(CollectorClient::Available());
    ASSERT_EQ(CollectorClient::ServerUrl().compare(0, 8, "https://"), 0);
    std::vector<std::string> diagnostics;
    analytics_sdk::SetDiagnosticSink([&](const std::string& line) { diagnostics.push_back(line); });
    TestSupport::ScratchFolder scratch(L"https-upload");
    ASSERT_TRUE(Sdk::Init(Utils::ToNarrow(scratch.File(L"cache.txt"), CP_UTF8), CollectorClient::ServerUrl(),
                          "device-tls", false));
    for (int i = 0; i < 3; ++i) {
        PropertiesNode properties;
        properties.SetInteger("seq", i);
        Sdk::Track("QzEventClick", properties);
    }
    EXPECT_TRUE(Sdk::Flush());
    Sdk::Shutdown();
    analytics_sdk::SetDiagnosticSink(nullptr);
    for (const auto& line : diagnostics) ADD_FAILURE() << line;

    const auto requests = CollectorClient::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].answered, 200);
    EXPECT_EQ(requests[0].userAgent, "Analytics CPP SDK 0.9");
    ASSERT_EQ(requests[0].records.size(), 3u);
    EXPECT_EQ(requests[0].records[2].Json("properties.seq"), "2");
    EXPECT_EQ(requests[0].records[0].Text("distinct_id"), "device-tls");
    curl_global_cleanup();
}

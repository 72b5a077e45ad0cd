// Benchmark (not a test): how fast records are tracked, and what one
// 30-record flush costs (serialise + gzip + Base64 + POST on loopback).
// Run it with run_bench.sh, which puts a collector beside it.
#include <windows.h>
#include <shlobj.h>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "analytics/sdk/BatchEncoder.h"
#include "analytics/sdk/Sdk.h"
#include "analytics/source/src/DeviceProfile.h"
#include "analytics/source/src/TrackerApi.h"
#include "tests/analytics/CollectorClient.h"
#include "tests/support/TestSupport.h"
#include "utils/Text.h"

using analytics_sdk::PropertiesNode;
using analytics_sdk::Sdk;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

PropertiesNode ClickProperties(int i) {
    PropertiesNode set;
    set.SetString("qz_name", "\xe7\xab\x8b\xe5\x8d\xb3\xe5\xae\x89\xe8\xa3\x85");
    set.SetString("qz_click_type", "Button");
    set.SetBool("$is_first_time", true);
    set.SetString("qzc_ab", "IN");
    set.SetInteger("seq", i);
    return set;
}

std::wstring TrackerDataFolder(const std::string& appName) {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\QZLocal\\" + Utils::ToWide(appName, CP_UTF8);
}

void PrintStats(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) sum += v;
    std::printf("%-44s median %.2f ms, mean %.2f ms, min %.2f ms, max %.2f ms (%u runs)\n", what, ms[ms.size() / 2],
                sum / ms.size(), ms.front(), ms.back(), static_cast<unsigned>(ms.size()));
}

} // namespace

int main() {
    curl_global_init(CURL_GLOBAL_ALL);
    if (!CollectorClient::Available()) {
        std::printf("run through run_bench.sh\n");
        return 1;
    }
    TestSupport::ScratchFolder scratch(L"analytics-bench");
    const std::string staging = Utils::ToNarrow(scratch.File(L"cache.txt"), CP_UTF8);

    // The common properties the tracker registers, so that records have their real size.
    tandry::tracking::CommonPropertyInput common;
    common.appName = "Velquor.downloader";
    common.appVersion = "1.7.9";
    common.appStore = "VelquorSetup.exe";
    common.dlAppId = "Velquor";

    Sdk::Init(staging, CollectorClient::ServerUrl(), "3F2504E0-4F89-11D3-9A0C-0305E82C3301", false);
    Sdk::RegisterSuperProperties(tandry::tracking::CommonProperties(common));

    // 1. Sdk::Track: check, merge, serialise, enqueue (the queue stays at 1024).
    const int kTracked = 200000;
    auto start = Clock::now();
    for (int i = 0; i < kTracked; ++i) Sdk::Track("QzEventClick", ClickProperties(i));
    const double trackSeconds = Seconds(start);
    std::printf("Sdk::Track                                   %.0f records/s (%d records in %.2f s)\n",
                kTracked / trackSeconds, kTracked, trackSeconds);

    // 2. One 30-record flush, and its encoding part alone.
    std::vector<double> flushMs, encodeMs;
    size_t bodyBytes = 0, batchBytes = 0;
    CollectorClient::Reset();
    for (int round = 0; round < 60; ++round) {
        while (Sdk::QueuedRecordCount() > 0) Sdk::Flush();
        for (int i = 0; i < 30; ++i) Sdk::Track("QzEventClick", ClickProperties(i));
        start = Clock::now();
        if (!Sdk::Flush()) std::printf("flush failed\n");
        flushMs.push_back(Seconds(start) * 1000);
    }
    // The encoding of a batch like the ones sent: 30 real records, taken from
    // the staging file the shutdown writes.
    for (int i = 0; i < 30; ++i) Sdk::Track("QzEventClick", ClickProperties(i));
    Sdk::Shutdown();
    std::vector<std::string> records;
    {
        const std::string staged = TestSupport::ReadFileBytes(scratch.File(L"cache.txt"));
        size_t start = 0;
        for (size_t end; (end = staged.find("\r\n", start)) != std::string::npos; start = end + 2)
            records.push_back(staged.substr(start, end - start));
    }
    const std::string record = records.empty() ? std::string() : records[0];
    for (int round = 0; round < 200; ++round) {
        start = Clock::now();
        std::string batch = "[";
        for (size_t i = 0; i < records.size(); ++i) batch += (i ? "," : "") + records[i];
        batch += "]";
        std::string body;
        analytics_sdk::EncodeBatchBody(batch, body);
        encodeMs.push_back(Seconds(start) * 1000);
        bodyBytes = body.size();
        batchBytes = batch.size();
    }
    std::printf("record size %u bytes; 30-record batch %u bytes -> body %u bytes\n",
                static_cast<unsigned>(record.size()), static_cast<unsigned>(batchBytes),
                static_cast<unsigned>(bodyBytes));
    PrintStats("30-record flush (whole, loopback POST)", flushMs);
    PrintStats("30-record encoding (join+gzip+Base64+URL)", encodeMs);

    // 3. The tracker's trackClick after a successful upload: the flush step
    // runs on the caller's thread and sleeps 1 ms each time.
    const std::string app = "VqBench." + std::to_string(::GetCurrentProcessId());
    tandry::tracking::TrackerConfig config;
    config.appName = app;
    config.appVersion = "1.7.9";
    config.appStore = "VelquorSetup.exe";
    config.serverUrl = CollectorClient::ServerUrl();
    tandry::tracking::CreateTracker(config);
    auto tracker = tandry::tracking::CurrentTracker();
    tandry::tracking::QzEventClick click;
    click.name = "Next";
    const int kClicks = 500;
    start = Clock::now();
    for (int i = 0; i < kClicks; ++i) tracker->trackClick(click, tandry::tracking::QzContextProperties());
    const double clickSeconds = Seconds(start);
    std::printf("Tracker::trackClick (synchronous flush step) %.0f events/s (%d in %.2f s)\n", kClicks / clickSeconds,
                kClicks, clickSeconds);
    tracker.reset();
    start = Clock::now();
    tandry::tracking::ReleaseTracker();
    std::printf("ReleaseTracker with %d pending records        %.1f ms\n", kClicks, Seconds(start) * 1000);
    TestSupport::RemoveTree(TrackerDataFolder(app));
    curl_global_cleanup();
    return 0;
}

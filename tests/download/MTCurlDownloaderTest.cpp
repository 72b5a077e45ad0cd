// The multi-part downloader against the package server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/InstallerConfig.h"
#include "download/CurlClient.h"
#include "download/MTCurlDownloader.h"
#include "tests/download/DownloadTestSupport.h"
#include "tests/support/TestSupport.h"
#include "utils/Text.h"

using namespace DownloadTest;

namespace {

const size_t MiB = 1048576;

std::string Range(size_t first, size_t last) {
    return "bytes=" + std::to_string(first) + "-" + std::to_string(last);
}

class MultiPart : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Ready()) << "run through with_server.sh"; }

    void Publish(const std::wstring& name, size_t size, unsigned seed) {
        bytes = PackageBytes(size, seed);
        ASSERT_TRUE(server.Publish(name, bytes));
    }
    std::unique_ptr<CDownloader> Make(Recorder& recorder, const std::wstring& path) {
        return CreateDownloader(3, recorder.Callback(), server.Url(path), target);
    }

    PackageServer& server = PackageServer::Instance();
    TestSupport::ScratchFolder scratch{L"multi"};
    std::wstring target = scratch.File(L"package.exe");
    std::string bytes;
    Recorder recorder;
};

} // namespace

TEST(MultiPartSplit, FilesBelowTwentyMebibytesUseOnePart) {
    struct Case {
        int32_t length;
        std::vector<int32_t> sizes;
    } cases[] = {
        {256, {256}},
        {10 * MiB - 1, {10 * MiB - 1}},
        {15 * MiB, {15 * MiB}},
        {20 * MiB - 1, {20 * MiB - 1}},
        {20 * MiB, {10 * MiB, 10 * MiB}},
        {20 * MiB + 1, {10 * MiB, 10 * MiB + 1}},
        {25 * MiB, {25 * MiB / 2, 25 * MiB / 2}},
        {100 * MiB, {50 * MiB, 50 * MiB}},
        {2000000001, {1000000000, 1000000001}},
    };
    for (const Case& c : cases) EXPECT_EQ(CMTCurlDownloader::PartSizes(c.length), c.sizes) << c.length;
}

TEST(MultiPartWrite, WritePartKeepsToItsRange) {
    TestSupport::ScratchFolder scratch(L"writepart");
    const std::string path = Utils::ToNarrow(scratch.File(L"part_0"), CP_ACP);
    DownloadPartNode node;
    node.partFile = std::fopen(path.c_str(), "ab+");
    ASSERT_NE(node.partFile, nullptr);
    node.nextOffset = 1000;
    node.lastOffset = 1999;
    std::string data = PackageBytes(1500, 1);

    // 999 bytes and then one: the whole range, accepted in full.
    EXPECT_EQ(CMTCurlDownloader::WritePart(&data[0], 1, 999, &node), 999u);
    EXPECT_EQ(CMTCurlDownloader::WritePart(&data[999], 1, 1, &node), 1u);
    EXPECT_EQ(node.nextOffset, 2000);
    EXPECT_EQ(node.downloaded, 1000);
    // Past the range nothing more is taken, which ends the transfer with a write error.
    EXPECT_EQ(CMTCurlDownloader::WritePart(&data[0], 1, 5, &node), 0u);
    std::fclose(node.partFile);
    node.partFile = nullptr;
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(scratch.File(L"part_0")), data.substr(0, 1000)));

    // One chunk larger than the range is cut at the range's last byte.
    DownloadPartNode big;
    big.partFile = std::fopen(path.c_str(), "wb+");
    big.nextOffset = 0;
    big.lastOffset = 99;
    EXPECT_EQ(CMTCurlDownloader::WritePart(&data[0], 10, 150, &big), 100u);
    std::fclose(big.partFile);
    big.partFile = nullptr;
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(scratch.File(L"part_0")), data.substr(0, 100)));

    DownloadPartNode closed;
    EXPECT_EQ(CMTCurlDownloader::WritePart(&data[0], 1, 10, &closed), 0u);
    EXPECT_EQ(CMTCurlDownloader::WritePart(&data[0], 1, 10, nullptr), 0u);
}

TEST_F(MultiPart, HappyPathFetchesTwoRangesAndJoinsThem) {
    Publish(L"mt_happy.bin", 25 * MiB, 21);
    // A limited rate per connection keeps the parts going long enough for progress.
    auto downloader = Make(recorder, L"/_f/rate=6000000/software/mt_happy.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));

    EXPECT_EQ(recorder.Shape(), (std::vector<int>{1001, 1002, 1003}));
    const auto events = recorder.Events();
    EXPECT_EQ(events.front().value, 1.0);
    EXPECT_EQ(events.back().text, L"LibCurl");
    EXPECT_TRUE(ProgressIsOrdered(events));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    EXPECT_FALSE(TestSupport::Exists(target + L"_0"));
    EXPECT_FALSE(TestSupport::Exists(target + L"_1"));
    auto ranges = GetRanges("/mt_happy.bin");
    std::sort(ranges.begin(), ranges.end());
    EXPECT_EQ(ranges, (std::vector<std::string>{Range(0, 13107199), Range(13107200, 26214399)}));
}

TEST_F(MultiPart, RangesFollowTheFileLength) {
    struct Case {
        const wchar_t* name;
        size_t length;
        std::vector<std::string> ranges;
    } cases[] = {
        {L"mt_15.bin", 15 * MiB, {Range(0, 15 * MiB - 1)}},
        {L"mt_20.bin", 20 * MiB, {Range(0, 10 * MiB - 1), Range(10 * MiB, 20 * MiB - 1)}},
        {L"mt_odd.bin", 20 * MiB + 1, {Range(0, 10 * MiB - 1), Range(10 * MiB, 20 * MiB)}},
    };
    unsigned seed = 30;
    for (const Case& c : cases) {
        Recorder run;
        Publish(c.name, c.length, ++seed);
        auto downloader = Make(run, std::wstring(L"/software/") + c.name);
        downloader->Start();
        ASSERT_TRUE(run.WaitFinals(1));
        EXPECT_EQ(CodesWithoutProgress(run.Events()), (std::vector<int>{1001, 1003}));
        EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
        auto ranges = GetRanges("/" + Utils::ToNarrow(c.name, CP_UTF8));
        std::sort(ranges.begin(), ranges.end());
        EXPECT_EQ(ranges, c.ranges);
    }
}

TEST_F(MultiPart, AddressWithoutDigestSkipsTheCheck) {
    Publish(L"mt_nodigest.bin", 2 * MiB, 40);
    auto downloader = Make(recorder, L"/pkg/mt_nodigest.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));
    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1006, 1003}));
    for (const Event& event : events) {
        if (event.code == 1006) {
            EXPECT_EQ(event.text, L"mtcurl获取url-md5失败");
        }
    }
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
}

TEST_F(MultiPart, ServerIgnoringRangesGetsExactlyEachRange) {
    Publish(L"mt_noranges.bin", 20 * MiB, 41);
    auto downloader = Make(recorder, L"/_f/noranges/software/mt_noranges.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 60000));
    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1005}));
    EXPECT_EQ(events.back().value, static_cast<double>(CURLE_WRITE_ERROR));
    // Each part file holds exactly its range's length of what the server sent
    // from the start; the surplus was refused.
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target + L"_0"), bytes.substr(0, 10 * MiB)));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target + L"_1"), bytes.substr(0, 10 * MiB)));
}

TEST_F(MultiPart, FailedPartIsResumedAfterTheRestart) {
    Publish(L"mt_resume.bin", 25 * MiB, 42);
    const size_t secondStart = 13107200, arrived = 3 * MiB;
    std::unique_ptr<CDownloader> downloader;
    recorder.onEvent = [&](const Event& event) {
        if (event.code == 1005) downloader->Start();
    };
    // The second part drops after 3 MiB, then meets errors until its budget is spent.
    downloader = Make(recorder, L"/_f/rate=3000000,from=13107200,plan=drop:3145728+status:503*7/software/mt_resume.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(2, 120000));

    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1005, 1001, 1003}));
    double before = 0.0, firstAfter = -1.0;
    bool restarted = false;
    for (const Event& event : events) {
        if (event.code == 1005) {
            EXPECT_EQ(event.value, 22.0);
            restarted = true;
        }
        if (event.code != 1002) continue;
        if (!restarted) before = event.value;
        else if (firstAfter < 0) firstAfter = event.value;
    }
    EXPECT_GT(before, 0.0);
    EXPECT_GE(firstAfter, before) << "progress went back after the restart";
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));

    std::vector<std::string> second;
    std::vector<std::string> first;
    for (const std::string& range : GetRanges("/mt_resume.bin")) {
        const size_t start = std::stoul(range.substr(6));
        (start >= secondStart ? second : first).push_back(range);
    }
    EXPECT_EQ(first, (std::vector<std::string>{Range(0, secondStart - 1)}));
    std::vector<std::string> expected = {Range(secondStart, 25 * MiB - 1)};
    for (int i = 0; i < 8; ++i) expected.push_back(Range(secondStart + arrived, 25 * MiB - 1));
    EXPECT_EQ(second, expected);
}

TEST_F(MultiPart, TargetThatCannotBeReplacedIsNoSuccess) {
    Publish(L"mt_norename.bin", 1500000, 43);
    ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr));
    ASSERT_TRUE(TestSupport::WriteFileBytes(target + L"\\inside", "x"));
    std::unique_ptr<CDownloader> downloader;
    recorder.onEvent = [&](const Event& event) {
        if (event.code == 1005) downloader->Start();
    };
    downloader = Make(recorder, L"/software/mt_norename.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(2, 120000));
    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1005, 1001, 1004}));
    EXPECT_EQ(events.back().value, static_cast<double>(CurlClient::kRenameFailed));
    downloader.reset();
    ::DeleteFileW((target + L"\\inside").c_str());
    ::RemoveDirectoryW(target.c_str());
}

TEST_F(MultiPart, HeaderRequestAnsweredWithNotFoundFailsAtOnce) {
    Publish(L"mt_head404.bin", 2 * MiB, 43);
    auto downloader = Make(recorder, L"/_f/headstatus=404/software/mt_head404.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));
    ::Sleep(500);
    const auto events = recorder.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, 1001);
    EXPECT_EQ(events[1].code, 1004);
    EXPECT_EQ(events[1].value, 0.0);
    EXPECT_EQ(events[1].text, L"LibCurl");
    EXPECT_TRUE(GetRanges("mt_head404.bin").empty());
}

TEST_F(MultiPart, RefusesToStartWithoutTheHttpLibrary) {
    Publish(L"mt_nohttp.bin", 2 * MiB, 44);
    InstallerConfig::Instance().HttpReady = false;
    auto downloader = Make(recorder, L"/software/mt_nohttp.bin");
    downloader->Start();
    const bool finished = recorder.WaitFinals(1);
    InstallerConfig::Instance().HttpReady = true;
    ASSERT_TRUE(finished);
    const auto events = recorder.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].code, 1004);
    EXPECT_EQ(events[1].value, 0.0);
    EXPECT_TRUE(server.Requests("mt_nohttp.bin").empty());
}

TEST_F(MultiPart, DigestMismatchAsksForOneRestartThenFails) {
    Publish(L"mt_wrongmd5.bin", 2 * MiB, 45);
    std::unique_ptr<CDownloader> downloader;
    recorder.onEvent = [&](const Event& event) {
        if (event.code == 1005) {
            // The mismatching file is gone before the restart is asked for.
            EXPECT_FALSE(TestSupport::Exists(target));
            downloader->Start();
        }
    };
    downloader = Make(recorder, L"/_f/digest=wrong/software/mt_wrongmd5.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(2, 60000));
    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1006, 1005, 1001, 1006, 1004}));
    for (const Event& event : events) {
        if (event.code == 1006) {
            EXPECT_EQ(event.text, L"mtcurl文件md5校验失败");
        }
        if (event.code == 1005 || event.code == 1004) {
            EXPECT_EQ(event.value, 0.0);
        }
    }
    EXPECT_FALSE(TestSupport::Exists(target));
    // Both attempts fetched the whole file; only the first asked for its address.
    EXPECT_EQ(GetRanges("/mt_wrongmd5.bin"), (std::vector<std::string>{Range(0, 2 * MiB - 1), Range(0, 2 * MiB - 1)}));
    size_t heads = 0;
    for (const auto& request : server.Requests("digest=wrong/software/mt_wrongmd5.bin")) heads += request.method == "HEAD";
    EXPECT_EQ(heads, 1u);
}

TEST_F(MultiPart, UpperCaseDigestNeverMatches) {
    Publish(L"mt_upper.bin", 2 * MiB, 46);
    auto downloader = Make(recorder, L"/_f/digest=upper/software/mt_upper.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));
    EXPECT_EQ(CodesWithoutProgress(recorder.Events()), (std::vector<int>{1001, 1006, 1005}));
}

TEST_F(MultiPart, AfterAFinalFailureTheNextStartBeginsFromZero) {
    Publish(L"mt_final.bin", 2 * MiB, 47);
    // First attempt: a drop after 500000 bytes, then errors (8 requests);
    // the restart meets errors only (7 requests) and fails for good.
    auto downloader = Make(recorder, L"/_f/plan=drop:500000+status:503*14/software/mt_final.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 60000));
    EXPECT_EQ(recorder.Events().back().code, 1005);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(2, 60000));
    EXPECT_EQ(recorder.Events().back().code, 1004);
    EXPECT_EQ(recorder.Events().back().value, 22.0);
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target + L"_0"), bytes.substr(0, 500000)));

    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(3, 60000));
    EXPECT_EQ(CodesWithoutProgress(recorder.Events()), (std::vector<int>{1001, 1005, 1001, 1004, 1001, 1003}));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    const auto ranges = GetRanges("/mt_final.bin");
    ASSERT_EQ(ranges.size(), 16u);
    EXPECT_EQ(ranges[0], Range(0, 2 * MiB - 1));
    for (size_t i = 1; i < 15; ++i) EXPECT_EQ(ranges[i], Range(500000, 2 * MiB - 1)) << i;
    EXPECT_EQ(ranges[15], Range(0, 2 * MiB - 1));
}

TEST_F(MultiPart, StartDuringARunBeginsAfterIt) {
    Publish(L"mt_twice.bin", 21 * MiB, 50);
    auto downloader = Make(recorder, L"/_f/rate=8000000/software/mt_twice.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitCode(1001));
    ::Sleep(300);  // the parts are running
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(2));
    EXPECT_EQ(CodesWithoutProgress(recorder.Events()), (std::vector<int>{1001, 1003, 1001, 1003}));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    EXPECT_EQ(GetRanges("/mt_twice.bin").size(), 4u);
}

TEST_F(MultiPart, PartFileThatCannotBeOpenedFailsTheAttempt) {
    Publish(L"mt_nopart.bin", 2 * MiB, 51);
    // A folder where the part file should be: it can be neither removed nor opened as a file.
    ASSERT_TRUE(::CreateDirectoryW((target + L"_0").c_str(), nullptr));
    std::unique_ptr<CDownloader> downloader;
    recorder.onEvent = [&](const Event& event) {
        if (event.code == 1005) downloader->Start();
    };
    downloader = Make(recorder, L"/software/mt_nopart.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(2));
    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1005, 1001, 1004}));
    for (const Event& event : events) {
        if (event.code == 1005 || event.code == 1004) {
            EXPECT_EQ(event.value, -2.0);
        }
    }
    EXPECT_TRUE(GetRanges("/mt_nopart.bin").empty());
    ::RemoveDirectoryW((target + L"_0").c_str());
}

TEST_F(MultiPart, StalledPartTimesOutAndIsResumed) {
    Publish(L"mt_stall.bin", 2 * MiB, 48);
    auto downloader = Make(recorder, L"/_f/plan=stall:1000000,stallsecs=60/software/mt_stall.bin");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 60000));
    EXPECT_EQ(CodesWithoutProgress(recorder.Events()), (std::vector<int>{1001, 1003}));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    EXPECT_EQ(GetRanges("/mt_stall.bin"), (std::vector<std::string>{Range(0, 2 * MiB - 1), Range(1000000, 2 * MiB - 1)}));
}

TEST_F(MultiPart, DestructionDuringADownloadIsSafe) {
    Publish(L"mt_destroy.bin", 25 * MiB, 49);
    for (bool waitForProgress : {false, true}) {
        Recorder run;
        auto downloader = Make(run, L"/_f/rate=2000000/software/mt_destroy.bin");
        downloader->Start();
        if (waitForProgress) {
            ASSERT_TRUE(run.WaitCode(1002, 30000));
        }
        downloader.reset();
        run.Close();
        ::Sleep(1500);
        EXPECT_EQ(run.LateEvents(), 0);
        for (int code : CodesWithoutProgress(run.Events())) EXPECT_EQ(code, 1001);
        EXPECT_FALSE(TestSupport::Exists(target));
    }
}

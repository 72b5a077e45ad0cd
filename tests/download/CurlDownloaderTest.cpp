// The single-stream downloader and its HTTP client against the package server.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "download/CurlClient.h"
#include "download/CurlDownloader.h"
#include "download/MTCurlDownloader.h"
#include "download/WinDownloader.h"
#include "tests/download/DownloadTestSupport.h"
#include "tests/support/TestSupport.h"
#include "utils/Md5.h"
#include "utils/Text.h"

using namespace DownloadTest;

namespace {

std::vector<Event> EventsOf(const std::vector<Event>& events, int code) {
    std::vector<Event> found;
    for (const Event& event : events) {
        if (event.code == code) found.push_back(event);
    }
    return found;
}

size_t CountRequests(const std::string& pathPart, const std::string& method) {
    size_t count = 0;
    for (const auto& request : PackageServer::Instance().Requests(pathPart)) count += request.method == method;
    return count;
}

std::string ServedMd5(const std::wstring& name) {
    return Utils::FileMd5Hex(Utils::ToNarrow(PackageServer::Instance().ServedPath(name), CP_ACP));
}

class SingleStream : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Ready()) << "run through with_server.sh"; }

    std::wstring Publish(const std::wstring& name, size_t size, unsigned seed) {
        bytes = PackageBytes(size, seed);
        EXPECT_TRUE(server.Publish(name, bytes));
        return name;
    }

    PackageServer& server = PackageServer::Instance();
    TestSupport::ScratchFolder scratch{L"single"};
    std::wstring target = scratch.File(L"package.exe");
    std::string bytes;
    Recorder recorder;
};

} // namespace

TEST(DownloaderChoice, TypeSelectsTheDownloader) {
    struct Case {
        int type;
        const char* kind;
    } cases[] = {{1, "single"}, {0, "single"}, {4, "single"}, {-1, "single"}, {2, "system"}, {3, "multi"}};
    for (const Case& c : cases) {
        std::unique_ptr<CDownloader> downloader = CreateDownloader(c.type, [](int, double, const wchar_t*) {},
                                                                   L"http://127.0.0.1:9/x", L"");
        const char* kind = dynamic_cast<CCurlDownloader*>(downloader.get())     ? "single"
                           : dynamic_cast<CMTCurlDownloader*>(downloader.get()) ? "multi"
                           : dynamic_cast<CWinDownloader*>(downloader.get())    ? "system"
                                                                                : "none";
        EXPECT_STREQ(kind, c.kind) << "type " << c.type;
    }
}

TEST_F(SingleStream, HappyPathFollowsTheRedirectAndChecksTheDigest) {
    const std::wstring name = Publish(L"ss_happy.bin", 1536 * 1024 + 7, 1);
    // A limited rate keeps the transfer going for a few seconds, so progress shows.
    auto downloader = CreateDownloader(1, recorder.Callback(), server.Url(L"/_f/rate=600000/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));

    EXPECT_EQ(recorder.Shape(), (std::vector<int>{1001, 1002, 1003}));
    const auto events = recorder.Events();
    EXPECT_EQ(events.front().value, 1.0);
    EXPECT_EQ(events.front().text, L"");
    EXPECT_EQ(events.back().value, 0.0);
    EXPECT_EQ(events.back().text, L"LibCurl");
    EXPECT_TRUE(ProgressIsOrdered(events));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    EXPECT_FALSE(TestSupport::Exists(target + L".part"));
    // The body came from the real address, the one carrying the digest.
    const auto gets = GetRanges("/" + ServedMd5(name) + "/ss_happy.bin");
    EXPECT_EQ(gets, (std::vector<std::string>{"-"}));
}

TEST_F(SingleStream, AddressWithoutDigestSkipsTheCheck) {
    const std::wstring name = Publish(L"ss_nodigest.bin", 1200000, 2);
    // A plain folder name, and a digest one character short.
    for (const std::wstring& path : {L"/pkg/" + name, L"/_f/digest=short/software/" + name}) {
        Recorder run;
        TestSupport::WriteFileBytes(target, "old");
        auto downloader = CreateDownloader(1, run.Callback(), server.Url(path), target);
        downloader->Start();
        ASSERT_TRUE(run.WaitFinals(1));
        const auto events = run.Events();
        EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1006, 1003})) << Utils::ToNarrow(path, CP_UTF8);
        const auto notices = EventsOf(events, 1006);
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0].text, L"curl获取url-md5失败");
        EXPECT_EQ(notices[0].value, 0.0);
        EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    }
}

TEST_F(SingleStream, ExactlyOneMebibyteIsDownloaded) {
    const std::wstring name = Publish(L"ss_onemib.bin", 1048576, 3);
    auto downloader = CreateDownloader(1, recorder.Callback(), server.Url(L"/_f/rate=400000/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));
    EXPECT_EQ(recorder.Shape(), (std::vector<int>{1001, 1002, 1003}));
    EXPECT_TRUE(ProgressIsOrdered(recorder.Events()));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
}

TEST_F(SingleStream, DroppedConnectionsResumeFromThePartFile) {
    const std::wstring name = Publish(L"ss_drops.bin", 1250000, 4);
    // Eleven drops cost eleven of the twelve budget points; the twelfth attempt completes.
    auto downloader =
        CreateDownloader(1, recorder.Callback(), server.Url(L"/_f/plan=drop:100000*11/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 60000));

    EXPECT_EQ(CodesWithoutProgress(recorder.Events()), (std::vector<int>{1001, 1003}));
    EXPECT_TRUE(ProgressIsOrdered(recorder.Events()));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    std::vector<std::string> expected = {"-"};
    for (int i = 1; i <= 11; ++i) expected.push_back("bytes=" + std::to_string(i * 100000) + "-");
    EXPECT_EQ(GetRanges("/ss_drops.bin"), expected);
}

TEST_F(SingleStream, DropOnEveryAttemptFailsWithPartialFileAfterTwelve) {
    const std::wstring name = Publish(L"ss_alwaysdrop.bin", 1300000, 5);
    auto downloader =
        CreateDownloader(1, recorder.Callback(), server.Url(L"/_f/plan=drop:50000*99/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 60000));

    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1004}));
    EXPECT_EQ(events.back().value, 18.0);
    EXPECT_EQ(events.back().text, L"LibCurl");
    EXPECT_EQ(GetRanges("/ss_alwaysdrop.bin").size(), 12u);
    // What arrived stays for a later attempt of the same downloader.
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target + L".part"), bytes.substr(0, 12 * 50000)));
}

TEST_F(SingleStream, ErrorStatusFailsWithHttpErrorAfterSixAttempts) {
    const std::wstring name = Publish(L"ss_status.bin", 1100000, 6);
    for (const wchar_t* status : {L"500", L"404"}) {
        Recorder run;
        const std::wstring path = std::wstring(L"/_f/status=") + status + L"/software/" + name;
        auto downloader = CreateDownloader(1, run.Callback(), server.Url(path), target);
        downloader->Start();
        ASSERT_TRUE(run.WaitFinals(1, 60000));
        const auto events = run.Events();
        EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1004}));
        EXPECT_EQ(events.back().value, 22.0);
        EXPECT_EQ(GetRanges("status=" + Utils::ToNarrow(status, CP_UTF8) + "/").size(), 6u);
        EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target + L".part"), ""));
    }
}

TEST_F(SingleStream, MissingOrSmallLengthFailsWithoutTransfer) {
    const std::wstring name = Publish(L"ss_length.bin", 1100000, 7);
    for (const wchar_t* fault : {L"headlength=1000", L"headlength=1048575", L"nolength", L"headstatus=404"}) {
        Recorder run;
        auto downloader = CreateDownloader(1, run.Callback(), server.Url(std::wstring(L"/_f/") + fault + L"/software/" + name), target);
        downloader->Start();
        ASSERT_TRUE(run.WaitFinals(1, 60000));
        const auto events = run.Events();
        const std::string key = "/_f/" + Utils::ToNarrow(fault, CP_UTF8) + "/";
        EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1004})) << key;
        EXPECT_EQ(events.back().value, -998.0) << key;
        EXPECT_EQ(GetRanges(key).size(), 0u) << key;
        // Six attempts, each asking the configured address twice (once per probe that follows redirects).
        EXPECT_EQ(CountRequests(key + "software/", "HEAD"), 12u) << key;
        EXPECT_FALSE(TestSupport::Exists(target + L".part")) << key;
    }
}

TEST_F(SingleStream, DigestMismatchAsksForOneRestartThenFails) {
    const std::wstring name = Publish(L"ss_wrongmd5.bin", 1100000, 8);
    std::unique_ptr<CDownloader> downloader;
    // The receiver restarts from inside the notification, as the orchestrator does.
    recorder.onEvent = [&](const Event& event) {
        if (event.code == 1005) downloader->Start();
    };
    downloader = CreateDownloader(1, recorder.Callback(), server.Url(L"/_f/digest=wrong/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(2, 60000));

    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1006, 1005, 1001, 1006, 1004}));
    for (const Event& notice : EventsOf(events, 1006)) EXPECT_EQ(notice.text, L"curl文件md5校验失败");
    EXPECT_EQ(EventsOf(events, 1005)[0].value, 0.0);
    EXPECT_EQ(EventsOf(events, 1005)[0].text, L"LibCurl");
    EXPECT_EQ(events.back().value, 0.0);
    EXPECT_EQ(events.back().text, L"LibCurl");
    // The second attempt fetched the whole file again, without the probes.
    EXPECT_EQ(GetRanges("digest=wrong/"), (std::vector<std::string>{"-", "-"}));
    EXPECT_EQ(CountRequests("digest=wrong/software/", "HEAD"), 1u);
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
}

TEST_F(SingleStream, UpperCaseDigestNeverMatches) {
    const std::wstring name = Publish(L"ss_upper.bin", 1100000, 9);
    auto downloader = CreateDownloader(1, recorder.Callback(), server.Url(L"/_f/digest=upper/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));
    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1006, 1005}));
    EXPECT_EQ(EventsOf(events, 1006)[0].text, L"curl文件md5校验失败");
}

TEST_F(SingleStream, StartDuringARunBeginsAfterIt) {
    const std::wstring name = Publish(L"ss_twice.bin", 1200000, 15);
    auto downloader = CreateDownloader(1, recorder.Callback(), server.Url(L"/_f/rate=800000/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitCode(1001));
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(2));
    EXPECT_EQ(CodesWithoutProgress(recorder.Events()), (std::vector<int>{1001, 1003, 1001, 1003}));
    EXPECT_TRUE(ProgressIsOrdered(recorder.Events()));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    EXPECT_EQ(GetRanges("/ss_twice.bin"), (std::vector<std::string>{"-", "-"}));
}

TEST_F(SingleStream, PartFileThatCannotBeOpenedFailsAfterSixAttempts) {
    const std::wstring name = Publish(L"ss_nopart.bin", 1100000, 16);
    ASSERT_TRUE(::CreateDirectoryW((target + L".part").c_str(), nullptr));
    auto downloader = CreateDownloader(1, recorder.Callback(), server.Url(L"/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 60000));
    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1004}));
    EXPECT_EQ(events.back().value, -996.0);
    EXPECT_TRUE(GetRanges("/ss_nopart.bin").empty());
    ::RemoveDirectoryW((target + L".part").c_str());
}

TEST_F(SingleStream, TargetThatCannotBeReplacedIsNoSuccess) {
    const std::wstring name = Publish(L"ss_norename.bin", 1100000, 17);
    // A folder with content stands where the package should go.
    ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr));
    ASSERT_TRUE(TestSupport::WriteFileBytes(target + L"\\inside", "x"));
    auto downloader = CreateDownloader(1, recorder.Callback(), server.Url(L"/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 60000));
    const auto codes = CodesWithoutProgress(recorder.Events());
    EXPECT_EQ(codes.front(), 1001);
    EXPECT_EQ(codes.back(), 1004);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 1003), 0);
    downloader.reset();
    ::DeleteFileW((target + L"\\inside").c_str());
    ::RemoveDirectoryW(target.c_str());
}

TEST_F(SingleStream, EmptyTargetPathFailsAtOnce) {
    auto downloader = CreateDownloader(1, recorder.Callback(), server.Url(L"/software/ss_empty.bin"), L"");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));
    const auto events = recorder.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, 1001);
    EXPECT_EQ(events[1].code, 1004);
    EXPECT_EQ(events[1].value, 1.0);
    EXPECT_EQ(events[1].text, L"");
    EXPECT_TRUE(server.Requests("ss_empty.bin").empty());
}

TEST_F(SingleStream, DestructionDuringADownloadIsSafe) {
    const std::wstring name = Publish(L"ss_destroy.bin", 3000000, 10);
    // Right after Start (inside the probes) and in the middle of the body.
    for (bool waitForProgress : {false, true}) {
        Recorder run;
        auto downloader =
            CreateDownloader(1, run.Callback(), server.Url(L"/_f/rate=300000/software/" + name), target);
        downloader->Start();
        if (waitForProgress) {
            ASSERT_TRUE(run.WaitCode(1002, 30000));
        }
        downloader.reset();
        run.Close();
        ::Sleep(1500);
        EXPECT_EQ(run.LateEvents(), 0);
        for (int code : CodesWithoutProgress(run.Events())) EXPECT_EQ(code, 1001);
        EXPECT_FALSE(TestSupport::Exists(target + L".part"));
        EXPECT_FALSE(TestSupport::Exists(target));
    }
}

TEST_F(SingleStream, StallEndsWithTimeoutAndIsResumed) {
    const std::wstring name = Publish(L"ss_stall.bin", 1200000, 11);
    auto downloader = CreateDownloader(1, recorder.Callback(),
                                       server.Url(L"/_f/plan=stall:300000,stallsecs=90/software/" + name), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 120000));
    EXPECT_EQ(CodesWithoutProgress(recorder.Events()), (std::vector<int>{1001, 1003}));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    EXPECT_EQ(GetRanges("/ss_stall.bin"), (std::vector<std::string>{"-", "bytes=300000-"}));
}

namespace {

struct ProgressLog {
    std::vector<double> percents;
    CurlClient* client = nullptr;
    bool stopAtFirst = false;
};

void RecordProgress(void* owner, double, double reserved, double percent) {
    auto* log = static_cast<ProgressLog*>(owner);
    EXPECT_EQ(reserved, 0.0);
    log->percents.push_back(percent);
    if (log->stopAtFirst) log->client->Stop();
}

} // namespace

TEST_F(SingleStream, ClientResumesFromAnExistingPartFile) {
    const std::wstring name = Publish(L"ss_resume.bin", 6 * 1048576, 12);
    const size_t present = 5 * 1048576;
    ASSERT_TRUE(TestSupport::WriteFileBytes(target + L".part", bytes.substr(0, present)));
    ProgressLog log;
    CurlClient client(server.Url(L"/_f/rate=400000/software/" + name), target, &log, &RecordProgress);
    EXPECT_EQ(client.GetFilePath(true), target + L".part");
    EXPECT_EQ(client.GetFilePath(false), target);
    EXPECT_EQ(client.Start(), 0);

    EXPECT_EQ(client.GetResumeOffset(), static_cast<int64_t>(present));
    EXPECT_EQ(client.GetFileLength(), 6.0 * 1048576);
    EXPECT_EQ(GetRanges("/ss_resume.bin"), (std::vector<std::string>{"bytes=5242880-"}));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    EXPECT_FALSE(TestSupport::Exists(target + L".part"));
    // The percent counts what the part file already held.
    ASSERT_FALSE(log.percents.empty());
    EXPECT_GE(log.percents.front(), 100.0 * present / bytes.size() - 1e-9);
    EXPECT_LE(log.percents.back(), 100.0);
}

TEST_F(SingleStream, ClientStopAbortsTheTransfer) {
    const std::wstring name = Publish(L"ss_stop.bin", 3000000, 13);
    ProgressLog log;
    CurlClient client(server.Url(L"/_f/rate=300000/software/" + name), target, &log, &RecordProgress);
    log.client = &client;
    log.stopAtFirst = true;
    EXPECT_EQ(client.Start(), CURLE_ABORTED_BY_CALLBACK);
    const std::string kept = TestSupport::ReadFileBytes(target + L".part");
    EXPECT_GT(kept.size(), 0u);
    EXPECT_LT(kept.size(), bytes.size());
    EXPECT_TRUE(SameBytes(kept, bytes.substr(0, kept.size())));
    EXPECT_FALSE(TestSupport::Exists(target));
}

TEST_F(SingleStream, ClientTakesFileUrlsInTheSystemCodePage) {
    // A letter of the system code page outside ASCII: its UTF-8 form would name another file.
    const std::wstring name = L"caf\u00e9.bin";
    const std::string narrow = Utils::ToNarrow(name, CP_ACP);
    if (::GetACP() == CP_UTF8 || narrow.empty() || Utils::ToWide(narrow, CP_ACP) != name) {
        GTEST_SKIP() << "the system code page has no \u00e9";
    }
    bool hasFile = false;
    for (const char* const* protocol = curl_version_info(CURLVERSION_NOW)->protocols; *protocol; ++protocol) {
        hasFile = hasFile || std::string(*protocol) == "file";
    }
    if (!hasFile) GTEST_SKIP() << "this libcurl is built without the file protocol";
    Publish(name, 1200000, 14);
    std::wstring url = L"file:///" + Utils::ReplaceAll(server.ServedPath(name), L"\\", L"/");
    CurlClient client(url, target, nullptr);
    EXPECT_EQ(client.Start(), 0);
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
}

TEST_F(SingleStream, ClientDestructorRemovesThePartFile) {
    ASSERT_TRUE(TestSupport::WriteFileBytes(target + L".part", "partial"));
    { CurlClient client(server.Url(L"/software/none.bin"), target, nullptr); }
    EXPECT_FALSE(TestSupport::Exists(target + L".part"));
}

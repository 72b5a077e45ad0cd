// The downloaders' diagnostic lines, as a debugger attached to a real
// downloading process receives them.
#include <gtest/gtest.h>

#include <regex>

#include "tests/download/DownloadTestSupport.h"
#include "tests/support/TestSupport.h"
#include "utils/Md5.h"
#include "utils/Text.h"

using namespace DownloadTest;

namespace {

const char* const kPrefix = R"(<P\d{5,}><T\d{5,}><\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3}>)";

struct Capture {
    TestSupport::RunResult run;
    std::vector<std::string> records;

    size_t Count(const std::string& tagAndMessage) const {
        const std::regex pattern(kPrefix + tagAndMessage);
        size_t count = 0;
        for (const std::string& record : records) count += std::regex_match(record, pattern) ? 1 : 0;
        return count;
    }
};

std::string RegexEscape(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

Capture RunProbe(int type, const std::wstring& url, const std::wstring& target) {
    const std::wstring bin = TestSupport::BinFolder();
    Capture capture;
    capture.run = TestSupport::Run(L"\"" + bin + L"debug_capture.exe\" \"" + bin + L"download_probe.exe\" " +
                                       std::to_wstring(type) + L" \"" + url + L"\" \"" + target + L"\"",
                                   120000);
    size_t start = 0, end;
    const std::string& output = capture.run.output;
    while ((end = output.find('\x1e', start)) != std::string::npos) {
        // The probe's own output lines share the pipe and may precede a record.
        std::string record = output.substr(start, end - start);
        const size_t prefix = record.find("<P");
        capture.records.push_back(prefix == std::string::npos ? record : record.substr(prefix));
        start = end + 1;
    }
    return capture;
}

class DownloadLog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Ready()) << "run through with_server.sh"; }
    PackageServer& server = PackageServer::Instance();
    TestSupport::ScratchFolder scratch{L"log"};
    std::wstring target = scratch.File(L"package.exe");
};

} // namespace

TEST_F(DownloadLog, SingleStreamRetriesAreLogged) {
    ASSERT_TRUE(server.Publish(L"log_status.bin", PackageBytes(1100000, 71)));
    const Capture capture = RunProbe(1, server.Url(L"/_f/status=500/software/log_status.bin"), target);
    ASSERT_TRUE(capture.run.started);
    EXPECT_EQ(capture.run.exitCode, 4u) << capture.run.output;
    EXPECT_NE(capture.run.output.find("1004 22.0000 LibCurl\n"), std::string::npos) << capture.run.output;

    EXPECT_EQ(capture.Count(R"(\(CurlClient::Start\)<\d{4}>: start download\r\n)"), 6u);
    EXPECT_EQ(capture.Count(R"(\(CurlClient::Start\)<\d{4}>: error:22:HTTP response code said error\r\n)"), 6u);
    EXPECT_EQ(capture.Count(R"(\(CurlClient::Start\)<\d{4}>: end download\r\n)"), 6u);
    EXPECT_EQ(capture.Count(R"(\(CCurlDownloader::dlThreadFun\)<\d{4}>: CurlDownLoader Code=22\r\n)"), 5u);
    // The probes ran once: the real address and length were kept.
    EXPECT_EQ(capture.Count(R"(\(CurlClient::Head\)<\d{4}>: error:0:No error\r\n)"), 1u);
    EXPECT_EQ(capture.Count(R"(\(CurlClient::GetDownloadFileLength\)<\d{4}>: error:0:No error\r\n)"), 1u);
}

TEST_F(DownloadLog, SingleStreamProgressIsLoggedOncePerSecond) {
    ASSERT_TRUE(server.Publish(L"log_progress.bin", PackageBytes(2 * 1048576, 72)));
    const Capture capture = RunProbe(1, server.Url(L"/_f/rate=700000/software/log_progress.bin"), target);
    EXPECT_EQ(capture.run.exitCode, 0u) << capture.run.output;
    const size_t lines =
        capture.Count(R"(\(CurlClient::ProgressCallback\)<\d{4}>:  [0-2]M 2M   progress:\d+\.\d{6}%  speed:\d+\.\d{6} \n)");
    // About three seconds of transfer: a line a second, not one per block.
    EXPECT_GE(lines, 1u);
    EXPECT_LE(lines, 5u);
}

TEST_F(DownloadLog, MultiPartJoinIsLogged) {
    const std::string bytes = PackageBytes(20 * 1048576, 73);
    ASSERT_TRUE(server.Publish(L"log_multi.bin", bytes));
    const Capture capture = RunProbe(3, server.Url(L"/software/log_multi.bin"), target);
    EXPECT_EQ(capture.run.exitCode, 0u) << capture.run.output;
    const std::string md5 = Utils::FileMd5Hex(Utils::ToNarrow(server.ServedPath(L"log_multi.bin"), CP_ACP));
    const std::string realUrl = "http://127.0.0.1:" + std::to_string(server.Port()) + "/" + md5 + "/log_multi.bin";

    EXPECT_EQ(capture.Count(R"(\(CMTCurlDownloader::Start_Down\)<\d{4}>: start download\r\n)"), 1u);
    EXPECT_EQ(capture.Count(R"(\(CMTCurlDownloader::getRealDownloadUrl\)<\d{4}>: Download File real url )" +
                            RegexEscape(realUrl) + R"(\r\n)"),
              1u);
    EXPECT_EQ(capture.Count(R"(\(CMTCurlDownloader::getRealDownloadUrl\)<\d{4}>: Download File Length 20971520\r\n)"), 1u);
    EXPECT_EQ(capture.Count(R"(\(CMTCurlDownloader::downloadExe\)<\d{4}>: curl_easy_cleanup\r\n)"), 2u);
    EXPECT_EQ(capture.Count(R"(\(CMTCurlDownloader::waitForFinishThreadFun\)<\d{4}>: partPath::)" +
                            RegexEscape(Utils::ToNarrow(target, CP_UTF8)) + R"(_1\r\n)"),
              1u);
    EXPECT_EQ(capture.Count(R"(\(CMTCurlDownloader::waitForFinishThreadFun\)<\d{4}>: finish recv\r\n)"), 1u);
}

TEST_F(DownloadLog, MultiPartRetriesAndMismatchesAreLogged) {
    ASSERT_TRUE(server.Publish(L"log_mtfail.bin", PackageBytes(2 * 1048576, 74)));
    const Capture capture =
        RunProbe(3, server.Url(L"/_f/digest=wrong,plan=drop:500000/software/log_mtfail.bin"), target);
    EXPECT_EQ(capture.run.exitCode, 4u) << capture.run.output;
    EXPECT_EQ(capture.Count(R"(\(CMTCurlDownloader::downloadExe\)<\d{4}>: error:18:Transferred a partial file\r\n)"), 1u);
    EXPECT_EQ(capture.Count(R"(\(CMTCurlDownloader::downloadThreadFun\)<\d{4}>: CurlDownLoader Code=18\r\n)"), 1u);
    EXPECT_EQ(capture.Count(R"(\(CMTCurlDownloader::waitForFinishThreadFun\)<\d{4}>: finish recv, md5 chaek failed retry once\.\r\n)"),
              1u);
    EXPECT_EQ(capture.Count(
                  R"(\(CMTCurlDownloader::waitForFinishThreadFun\)<\d{4}>: finish recv, md5 chaek failed and retry failed\.\r\n)"),
              1u);
}

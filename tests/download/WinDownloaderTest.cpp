// The system URL downloader against the package server.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <memory>
#include <thread>

#include "download/WinDownloader.h"
#include "tests/download/DownloadTestSupport.h"
#include "tests/support/TestSupport.h"
#include "utils/Text.h"

using namespace DownloadTest;

namespace {

// A loopback port with nobody listening on it.
int UnusedPort() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);
    ::closesocket(probe);
    return port;
}

// Answers one HTTP request on a loopback port with 200 and the given body.
class OneShotServer {
public:
    OneShotServer(int port, const std::string& body) : body_(body) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(port));
        listening_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                     ::listen(listener_, 4) == 0;
        if (listening_) thread_ = std::thread([this] { Serve(); });
    }
    ~OneShotServer() {
        ::closesocket(listener_);  // ends a pending accept
        if (thread_.joinable()) thread_.join();
    }
    bool Listening() const { return listening_; }
    std::string Request() {
        if (thread_.joinable()) thread_.join();
        return request_;
    }

private:
    void Serve() {
        SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        char buffer[4096];
        int got;
        while (request_.find("\r\n\r\n") == std::string::npos &&
               (got = ::recv(client, buffer, sizeof(buffer), 0)) > 0) {
            request_.append(buffer, static_cast<size_t>(got));
        }
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body_.size()) +
                                  "\r\nConnection: close\r\n\r\n" + body_;
        ::send(client, reply.data(), static_cast<int>(reply.size()), 0);
        ::shutdown(client, SD_SEND);
        ::closesocket(client);
    }

    SOCKET listener_ = INVALID_SOCKET;
    bool listening_ = false;
    std::string body_;
    std::string request_;
    std::thread thread_;
};

class SystemUrl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Ready()) << "run through with_server.sh"; }

    void Publish(const std::wstring& name, size_t size, unsigned seed) {
        bytes = PackageBytes(size, seed);
        ASSERT_TRUE(server.Publish(name, bytes));
    }

    PackageServer& server = PackageServer::Instance();
    TestSupport::ScratchFolder scratch{L"win"};
    std::wstring target = scratch.File(L"package.exe");
    std::string bytes;
    Recorder recorder;
};

} // namespace

TEST_F(SystemUrl, HappyPathDownloadsWithoutDigestCheck) {
    Publish(L"win_happy.bin", 3000000, 61);
    // The digest in the address is not checked: a wrong one still succeeds.
    auto downloader =
        CreateDownloader(2, recorder.Callback(), server.Url(L"/_f/digest=wrong,rate=1500000/software/win_happy.bin"), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));
    EXPECT_EQ(recorder.Shape(), (std::vector<int>{1001, 1002, 1003}));
    const auto events = recorder.Events();
    EXPECT_EQ(events.front().value, 1.0);
    EXPECT_EQ(events.back().value, 0.0);
    EXPECT_EQ(events.back().text, L"URLDownloadToFile");
    EXPECT_TRUE(ProgressIsOrdered(events));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
}

TEST_F(SystemUrl, AddressIsEscapedAsUtf8WithPlusForSpace) {
    // The server takes the path as it comes: "+" stays "+", %XX are UTF-8 bytes.
    Publish(L"my+file+\u5b89\u88c5.bin", 1000, 62);
    auto downloader = CreateDownloader(2, recorder.Callback(), server.Url(L"/win/my file \u5b89\u88c5.bin"), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));
    EXPECT_EQ(recorder.Events().back().code, 1003);
    const auto requests = server.Requests("/win/");
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].path, "/win/my+file+%E5%AE%89%E8%A3%85.bin");
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
}

TEST_F(SystemUrl, ServerThatNeverAnswersFailsAfterThreeAttempts) {
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(UnusedPort()) + L"/software/none.bin";
    auto downloader = CreateDownloader(2, recorder.Callback(), url, target);
    const DWORD began = ::GetTickCount();
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 120000));
    const DWORD elapsed = ::GetTickCount() - began;
    const auto events = recorder.Events();
    EXPECT_EQ(CodesWithoutProgress(events), (std::vector<int>{1001, 1004}));
    EXPECT_LT(events.back().value, 0.0) << "a failure HRESULT";
    EXPECT_EQ(events.back().text, L"URLDownloadToFile");
    // Three attempts, each followed by a one-second pause.
    EXPECT_GE(elapsed, 2900u);
}

TEST_F(SystemUrl, SecondStartAfterAFailedRunDownloadsAgain) {
    // First nobody listens on the port; then a one-shot server of this test answers there.
    const int port = UnusedPort();
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(port) + L"/win/win_again.bin";
    auto downloader = CreateDownloader(2, recorder.Callback(), url, target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1, 60000));
    EXPECT_EQ(recorder.Events().back().code, 1004);

    bytes = PackageBytes(200000, 63);
    OneShotServer answer(port, bytes);
    ASSERT_TRUE(answer.Listening());
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(2, 60000));
    EXPECT_EQ(CodesWithoutProgress(recorder.Events()), (std::vector<int>{1001, 1004, 1001, 1003}));
    EXPECT_TRUE(SameBytes(TestSupport::ReadFileBytes(target), bytes));
    EXPECT_NE(answer.Request().find("GET /win/win_again.bin "), std::string::npos);
}

TEST_F(SystemUrl, EmptyTargetPathFailsAtOnce) {
    auto downloader = CreateDownloader(2, recorder.Callback(), server.Url(L"/win/win_empty.bin"), L"");
    downloader->Start();
    ASSERT_TRUE(recorder.WaitFinals(1));
    const auto events = recorder.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].code, 1004);
    EXPECT_EQ(events[1].value, 1.0);
    EXPECT_EQ(events[1].text, L"");
    EXPECT_TRUE(server.Requests("win_empty.bin").empty());
}

TEST_F(SystemUrl, DestructionDuringADownloadIsSafe) {
    Publish(L"win_destroy.bin", 3000000, 64);
    auto downloader = CreateDownloader(2, recorder.Callback(), server.Url(L"/_f/rate=300000/win/win_destroy.bin"), target);
    downloader->Start();
    ASSERT_TRUE(recorder.WaitCode(1002, 30000));
    downloader.reset();
    recorder.Close();
    ::Sleep(1500);
    EXPECT_EQ(recorder.LateEvents(), 0);
    EXPECT_EQ(CodesWithoutProgress(recorder.Events()), (std::vector<int>{1001}));
}

TEST(BindCallback, ProgressIsSentOnlyWithAKnownMaximum) {
    Recorder recorder;
    CWinDownloader::CBindCallback callback;
    callback.SetCallback(recorder.Callback());
    EXPECT_EQ(callback.OnProgress(10, 0, BINDSTATUS_DOWNLOADINGDATA, L""), S_OK);
    EXPECT_TRUE(recorder.Events().empty());
    EXPECT_EQ(callback.OnProgress(1, 4, BINDSTATUS_DOWNLOADINGDATA, L""), S_OK);
    // Both counts are unsigned 32-bit: a value past 2^31 is not negative.
    EXPECT_EQ(callback.OnProgress(0x90000000u, 0xC0000000u, BINDSTATUS_DOWNLOADINGDATA, L""), S_OK);
    const auto events = recorder.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, 1002);
    EXPECT_EQ(events[0].value, 0.25);
    EXPECT_EQ(events[0].text, L"");
    EXPECT_EQ(events[1].value, 0.75);

    BINDINFO info{};
    info.cbSize = sizeof(info);
    DWORD flags = 0;
    EXPECT_EQ(callback.GetBindInfo(&flags, &info), E_NOTIMPL);
    EXPECT_EQ(info.dwCodePage, static_cast<DWORD>(CP_UTF8));

    callback.Cancel();
    EXPECT_EQ(callback.OnProgress(2, 4, BINDSTATUS_DOWNLOADINGDATA, L""), E_ABORT);
    EXPECT_EQ(recorder.Events().size(), 2u);
}

#pragma once
// What the download tests share: the package server started by with_server.sh,
// a recorder of status calls, and package bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace DownloadTest {

// The server of this test run (VELQUOR_PACKAGE_PORT, VELQUOR_PACKAGE_ROOT).
class PackageServer {
public:
    static PackageServer& Instance();
    bool Ready() const { return port_ != 0; }
    int Port() const { return port_; }
    // "http://127.0.0.1:<port>" + path
    std::wstring Url(const std::wstring& path) const;
    // Where a served file of this name lives, as a Windows path.
    std::wstring ServedPath(const std::wstring& name) const;
    bool Publish(const std::wstring& name, const std::string& bytes) const;

    struct Request {
        std::string method, path, range;
        int status = 0;
    };
    // Every request logged so far whose path contains the text.
    std::vector<Request> Requests(const std::string& pathPart) const;

private:
    PackageServer();
    int port_ = 0;
    std::wstring root_;  // Windows form of the host folder
};

// Deterministic bytes that differ from one seed to another.
std::string PackageBytes(size_t size, unsigned seed);

struct Event {
    int code;
    double value;
    std::wstring text;
};

// Collects the status calls of a downloader, from whatever thread.
class Recorder {
public:
    // Called for every event, inside the notification, before it is stored.
    std::function<void(const Event&)> onEvent;

    std::function<void(int, double, const wchar_t*)> Callback();
    // Waits until `count` final codes (1003, 1004, 1005) have arrived.
    bool WaitFinals(size_t count, DWORD timeoutMs = 120000);
    // Waits until an event with this code has arrived.
    bool WaitCode(int code, DWORD timeoutMs = 120000);
    std::vector<Event> Events() const;
    // The codes in order, progress calls folded into one 1002 per run of them.
    std::vector<int> Shape() const;
    // Events arrived after Close() are counted here.
    void Close();
    int LateEvents() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
    bool closed_ = false;
    int late_ = 0;
};

// Byte strings compared without printing them: sizes and the first difference.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

// Progress values of one attempt never decrease and stay within (0, 1].
::testing::AssertionResult ProgressIsOrdered(const std::vector<Event>& events);

std::wstring Utf8ToWide(const std::string& text);

// The codes in order without the progress calls.
std::vector<int> CodesWithoutProgress(const std::vector<Event>& events);

// The Range headers of the GET requests the server saw for paths containing pathPart.
std::vector<std::string> GetRanges(const std::string& pathPart);

} // namespace DownloadTest

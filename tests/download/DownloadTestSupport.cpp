#include <gtest/gtest.h>

#include "tests/download/DownloadTestSupport.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdlib>
#include <sstream>

#include "tests/support/TestSupport.h"
#include "utils/Text.h"

namespace DownloadTest {

namespace {

// The installer's entry point initialises libcurl once; so does every test program.
class CurlEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(curl_global_init(CURL_GLOBAL_ALL), CURLE_OK); }
    void TearDown() override { curl_global_cleanup(); }
};
const auto* const g_curl = ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

bool IsFinal(int code) {
    return code == 1003 || code == 1004 || code == 1005;
}

} // namespace

std::wstring Utf8ToWide(const std::string& text) {
    return Utils::ToWide(text, CP_UTF8);
}

PackageServer& PackageServer::Instance() {
    static PackageServer server;
    return server;
}

PackageServer::PackageServer() {
    const char* port = std::getenv("VELQUOR_PACKAGE_PORT");
    const char* root = std::getenv("VELQUOR_PACKAGE_ROOT");
    if (!port || !root) return;
    port_ = std::atoi(port);
    // Wine maps the host's root folder to drive Z:.
    root_ = L"Z:" + Utils::ReplaceAll(Utf8ToWide(root), L"/", L"\\");
}

std::wstring PackageServer::Url(const std::wstring& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
}

std::wstring PackageServer::ServedPath(const std::wstring& name) const {
    return root_ + L"\\files\\" + name;
}

bool PackageServer::Publish(const std::wstring& name, const std::string& bytes) const {
    return TestSupport::WriteFileBytes(ServedPath(name), bytes);
}

std::vector<PackageServer::Request> PackageServer::Requests(const std::string& pathPart) const {
    std::vector<Request> requests;
    std::istringstream log(TestSupport::ReadFileBytes(root_ + L"\\requests.log"));
    std::string line;
    while (std::getline(log, line)) {
        std::istringstream fields(line);
        Request request;
        std::string status;
        std::getline(fields, request.method, '\t');
        std::getline(fields, request.path, '\t');
        std::getline(fields, request.range, '\t');
        std::getline(fields, status, '\t');
        request.status = std::atoi(status.c_str());
        if (request.path.find(pathPart) != std::string::npos) requests.push_back(request);
    }
    return requests;
}

std::string PackageBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::function<void(int, double, const wchar_t*)> Recorder::Callback() {
    return [this](int code, double value, const wchar_t* text) {
        Event event{code, value, text ? text : L"(null)"};
        if (onEvent) onEvent(event);
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) ++late_;
        events_.push_back(event);
        changed_.notify_all();
    };
}

bool Recorder::WaitFinals(size_t count, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        size_t finals = 0;
        for (const Event& event : events_) finals += IsFinal(event.code) ? 1 : 0;
        return finals >= count;
    });
}

bool Recorder::WaitCode(int code, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (const Event& event : events_) {
            if (event.code == code) return true;
        }
        return false;
    });
}

std::vector<Event> Recorder::Events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<int> Recorder::Shape() const {
    std::vector<int> shape;
    for (const Event& event : Events()) {
        if (event.code == 1002 && !shape.empty() && shape.back() == 1002) continue;
        shape.push_back(event.code);
    }
    return shape;
}

void Recorder::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
}

int Recorder::LateEvents() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return late_;
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                         << " were expected; first difference at byte " << at;
}

::testing::AssertionResult ProgressIsOrdered(const std::vector<Event>& events) {
    double last = 0.0;
    for (const Event& event : events) {
        if (event.code == 1001) last = 0.0;
        if (event.code != 1002) continue;
        if (event.value <= 0.0 || event.value > 1.0) {
            return ::testing::AssertionFailure() << "progress " << event.value << " outside (0, 1]";
        }
        if (event.value < last) {
            return ::testing::AssertionFailure() << "progress went back from " << last << " to " << event.value;
        }
        if (!event.text.empty()) return ::testing::AssertionFailure() << "progress carries a text";
        last = event.value;
    }
    return ::testing::AssertionSuccess();
}

std::vector<int> CodesWithoutProgress(const std::vector<Event>& events) {
    std::vector<int> codes;
    for (const Event& event : events) {
        if (event.code != 1002) codes.push_back(event.code);
    }
    return codes;
}

std::vector<std::string> GetRanges(const std::string& pathPart) {
    std::vector<std::string> ranges;
    for (const auto& request : PackageServer::Instance().Requests(pathPart)) {
        if (request.method == "GET") ranges.push_back(request.range);
    }
    return ranges;
}

} // namespace DownloadTest

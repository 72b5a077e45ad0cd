#include "analytics/sdk/RecordConsumer.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <exception>
#include <vector>

#include "analytics/sdk/BatchEncoder.h"
#include "analytics/sdk/Diagnostics.h"
#include "utils/Text.h"

namespace analytics_sdk {

namespace {
std::mutex g_lastSendLock;
bool g_lastSendSucceeded = false;

FILE* OpenStaging(const std::string& path, const wchar_t* mode) {
    if (path.empty()) return nullptr;
    const std::wstring wide = Utils::ToWide(path, CP_UTF8);
    if (wide.empty()) return nullptr;
    return _wfopen(wide.c_str(), mode);
}

bool IsRecordLine(const std::string& line) {
    return !line.empty() && line.front() == '{' && line.back() == '}';
}
} // namespace

bool ReadLastSendSucceeded() {
    std::lock_guard<std::mutex> guard(g_lastSendLock);
    return g_lastSendSucceeded;
}

void WriteLastSendSucceeded(bool succeeded) {
    std::lock_guard<std::mutex> guard(g_lastSendLock);
    g_lastSendSucceeded = succeeded;
}

RecordConsumer::RecordConsumer(std::string stagingPath, std::string serverUrl)
    : stagingPath_(std::move(stagingPath)), poster_(new HttpPoster(std::move(serverUrl))) {}

void RecordConsumer::Enqueue(std::string record) {
    std::lock_guard<std::recursive_mutex> guard(recordsLock_);
    queue_.push_back(std::move(record));
    if (queue_.size() > kQueueLimit) queue_.pop_front();
}

size_t RecordConsumer::QueueSize() const {
    std::lock_guard<std::recursive_mutex> guard(recordsLock_);
    return queue_.size();
}

bool RecordConsumer::Flush() {
    LoadStaging();
    for (;;) {
        {
            std::lock_guard<std::recursive_mutex> guard(recordsLock_);
            if (queue_.empty()) return true;
        }
        if (!SendBatch()) return false;
    }
}

bool RecordConsumer::SendBatch() {
    LoadStaging();
    std::lock_guard<std::mutex> sending(sendingLock_);
    std::vector<std::string> batch;
    {
        std::lock_guard<std::recursive_mutex> guard(recordsLock_);
        const size_t n = std::min(queue_.size(), kBatchSize);
        batch.assign(std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.begin() + n));
        queue_.erase(queue_.begin(), queue_.begin() + n);
    }
    if (batch.empty()) return true;

    bool succeeded = false;
    try {
        std::string text = "[";
        for (size_t i = 0; i < batch.size(); ++i) {
            if (i) text += ',';
            text += batch[i];
        }
        text += ']';
        std::string body;
        if (EncodeBatchBody(text, body)) {
            const HttpResponse response = poster_->Post(body);
            succeeded = response.status == 200;
            if (!succeeded) {
                ::OutputDebugStringA("[analytics] Analytics SDK send failed");
                Diagnostic("Analytics SDK send failed: " + response.body);
            }
            WriteLastSendSucceeded(succeeded);
        }
    } catch (const std::exception& error) {
        Diagnostic(std::string("Exception when flush failed: (") + error.what() + ") ");
        succeeded = false;
    } catch (...) {
        Diagnostic("Exception when flush failed: (unknown) ");
        succeeded = false;
    }

    if (!succeeded) {
        std::lock_guard<std::recursive_mutex> guard(recordsLock_);
        const size_t room = queue_.size() < kQueueLimit ? kQueueLimit - queue_.size() : 0;
        const size_t keep = std::min(batch.size(), room);
        // The newest of the batch are kept when room is short; order stays.
        queue_.insert(queue_.begin(), std::make_move_iterator(batch.end() - keep),
                      std::make_move_iterator(batch.end()));
    }
    return succeeded;
}

void RecordConsumer::LoadStaging() {
    std::lock_guard<std::recursive_mutex> guard(recordsLock_);
    if (!loadPending_) return;
    const size_t room = queue_.size() < kQueueLimit ? kQueueLimit - queue_.size() : 0;
    FILE* file = OpenStaging(stagingPath_, L"rb");
    if (file) {
        if (room > 0) {
            std::string content;
            char buffer[16384];
            size_t got = 0;
            while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) content.append(buffer, got);
            std::deque<std::string> staged;
            size_t start = 0;
            while (start < content.size()) {
                size_t end = content.find('\n', start);
                if (end == std::string::npos) end = content.size();
                std::string line = content.substr(start, end - start);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (IsRecordLine(line)) {
                    staged.push_back(std::move(line));
                    if (staged.size() > room) staged.pop_front();
                }
                start = end + 1;
            }
            queue_.insert(queue_.begin(), std::make_move_iterator(staged.begin()),
                          std::make_move_iterator(staged.end()));
        }
        std::fclose(file);
        // Loaded records now live in the queue; the file must not feed them twice.
        if (FILE* truncated = OpenStaging(stagingPath_, L"wb")) std::fclose(truncated);
    }
    loadPending_ = false;
}

void RecordConsumer::DumpStaging() {
    std::lock_guard<std::recursive_mutex> guard(recordsLock_);
    LoadStaging();
    if (queue_.empty()) {
        // Nothing to keep: empty an existing file, but leave no new one behind.
        FILE* existing = OpenStaging(stagingPath_, L"rb");
        if (!existing) return;
        std::fclose(existing);
    }
    FILE* file = OpenStaging(stagingPath_, L"wb");
    if (!file) return;
    for (const std::string& record : queue_) {
        std::fwrite(record.data(), 1, record.size(), file);
        std::fwrite("\r\n", 1, 2, file);
    }
    std::fclose(file);
}

} // namespace analytics_sdk

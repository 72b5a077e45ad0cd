#pragma once
// The record queue, its batched upload and the staging file that keeps
// records across runs.
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "analytics/sdk/HttpPoster.h"

namespace analytics_sdk {

class RecordConsumer {
public:
    static constexpr size_t kQueueLimit = 1024;
    static constexpr size_t kBatchSize = 30;

    RecordConsumer(std::string stagingPath, std::string serverUrl);

    // Appends one serialized record; past the limit the oldest one goes.
    void Enqueue(std::string record);
    // Sends batches until the queue is empty (true) or one fails (false).
    bool Flush();
    // One batch of at most 30 records; on failure they go back to the front
    // as far as room allows.
    bool SendBatch();
    // Puts staged records in front of the queue, once per consumer.
    void LoadStaging();
    // Loads what is still pending, then writes every queued record to the
    // staging file.
    void DumpStaging();

    size_t QueueSize() const;

private:
    mutable std::recursive_mutex recordsLock_;
    std::mutex sendingLock_;
    std::deque<std::string> queue_;
    std::string stagingPath_;
    bool loadPending_ = true;
    std::unique_ptr<HttpPoster> poster_;
};

// The process-wide outcome of the last upload that reached the HTTP step.
bool ReadLastSendSucceeded();
void WriteLastSendSucceeded(bool succeeded);

} // namespace analytics_sdk

#pragma once
// The process's one analytics SDK instance: records, super properties, the
// queue and its upload. Init and Shutdown are not synchronised with the other
// calls; everything else may run on any thread.
#include <cstdint>
#include <string>

#include "analytics/sdk/PropertiesNode.h"

namespace analytics_sdk {

class RecordConsumer;

class Sdk {
public:
    static constexpr const char* kLibName = "cpp";
    static constexpr const char* kLibVersion = "0.9";

    // stagingPath is the file that keeps unsent records between runs. False
    // (nothing created) for an invalid distinct id; true without change when an
    // instance exists.
    static bool Init(const std::string& stagingPath, const std::string& serverUrl, const std::string& distinctId,
                     bool isLoginId);
    static void Track(const std::string& eventName, const PropertiesNode& properties);
    static void RegisterSuperProperties(const PropertiesNode& properties);
    // Uploads until the queue is empty (true) or a batch fails (false).
    static bool Flush();
    // Stages unsent records and destroys the instance.
    static void Shutdown();
    static bool LastSendSucceeded();

    static bool HasInstance();
    // Records waiting in the queue (0 without an instance).
    static size_t QueuedRecordCount();

    // Last 2 digits of (r1 mod 99) + 100, last 3 of (r2 mod 999) + 1000, last 4
    // of the clock, read as one decimal number.
    static int64_t MakeTrackId(uint32_t r1, uint32_t r2, int64_t nowMs);
    static int64_t NowMs();

private:
    Sdk(const std::string& stagingPath, const std::string& serverUrl, const std::string& distinctId, bool isLoginId);
    ~Sdk();
    std::string BuildRecord(const std::string& eventName, const PropertiesNode& properties);

    PropertiesNode superProperties_;
    std::string distinctId_;
    bool isLoginId_ = false;
    RecordConsumer* consumer_ = nullptr;

    static Sdk* instance_;
};

} // namespace analytics_sdk

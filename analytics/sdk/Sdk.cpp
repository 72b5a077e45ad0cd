#include "analytics/sdk/Sdk.h"

#include <chrono>
#include <ctime>
#include <mutex>
#include <random>

#include "analytics/sdk/Diagnostics.h"
#include "analytics/sdk/RecordConsumer.h"

namespace analytics_sdk {

Sdk* Sdk::instance_ = nullptr;

namespace {
// The C runtime's rand() keeps its state per thread here; one shared
// generator gives every thread draws from the same seeded sequence.
std::mutex g_randomLock;
std::minstd_rand g_random;

uint32_t Draw() {
    std::lock_guard<std::mutex> guard(g_randomLock);
    return static_cast<uint32_t>(g_random());
}

std::mutex g_superLock;
} // namespace

Sdk::Sdk(const std::string& stagingPath, const std::string& serverUrl, const std::string& distinctId, bool isLoginId)
    : distinctId_(distinctId), isLoginId_(isLoginId), consumer_(new RecordConsumer(stagingPath, serverUrl)) {
    superProperties_.SetString("$lib", kLibName);
    superProperties_.SetString("$lib_version", kLibVersion);
}

Sdk::~Sdk() {
    delete consumer_;
}

bool Sdk::Init(const std::string& stagingPath, const std::string& serverUrl, const std::string& distinctId,
               bool isLoginId) {
    if (!CheckId(distinctId, "Distinct ID")) return false;
    if (instance_) return true;
    instance_ = new Sdk(stagingPath, serverUrl, distinctId, isLoginId);
    std::lock_guard<std::mutex> guard(g_randomLock);
    g_random.seed(static_cast<std::minstd_rand::result_type>(std::time(nullptr)));
    return true;
}

void Sdk::Track(const std::string& eventName, const PropertiesNode& properties) {
    Sdk* sdk = instance_;
    if (!sdk) return;
    if (!properties.Check()) return;
    if (!CheckKey(eventName, "Event Name")) return;
    sdk->consumer_->Enqueue(sdk->BuildRecord(eventName, properties));
}

std::string Sdk::BuildRecord(const std::string& eventName, const PropertiesNode& properties) {
    PropertiesNode merged;
    {
        std::lock_guard<std::mutex> guard(g_superLock);
        merged.Merge(superProperties_);
    }
    merged.Merge(properties);
    if (isLoginId_) merged.SetBool("$is_login_id", true);

    utils::ObjectNode lib;
    lib.SetValue("$lib", utils::PropertyValue::String(kLibName));
    lib.SetValue("$lib_version", utils::PropertyValue::String(kLibVersion));
    lib.SetValue("$lib_method", utils::PropertyValue::String("code"));

    const int64_t now = NowMs();
    const uint32_t r1 = Draw();
    const uint32_t r2 = Draw();

    utils::ObjectNode record;
    record.SetValue("_track_id", utils::PropertyValue::Integer(MakeTrackId(r1, r2, now)));
    if (CheckString("distinct_id", distinctId_))
        record.SetValue("distinct_id", utils::PropertyValue::String(distinctId_));
    if (CheckString("event", eventName)) record.SetValue("event", utils::PropertyValue::String(eventName));
    record.SetObject("lib", lib);
    record.SetObject("properties", merged);
    record.SetValue("time", utils::PropertyValue::Integer(now));
    record.SetValue("type", utils::PropertyValue::String("track"));
    return record.ToJson();
}

void Sdk::RegisterSuperProperties(const PropertiesNode& properties) {
    Sdk* sdk = instance_;
    if (!sdk) return;
    std::lock_guard<std::mutex> guard(g_superLock);
    sdk->superProperties_.Merge(properties);
}

bool Sdk::Flush() {
    Sdk* sdk = instance_;
    if (!sdk) return false;
    return sdk->consumer_->Flush();
}

void Sdk::Shutdown() {
    Sdk* sdk = instance_;
    if (!sdk) return;
    sdk->consumer_->DumpStaging();
    instance_ = nullptr;
    delete sdk;
}

bool Sdk::LastSendSucceeded() {
    return ReadLastSendSucceeded();
}

bool Sdk::HasInstance() {
    return instance_ != nullptr;
}

size_t Sdk::QueuedRecordCount() {
    Sdk* sdk = instance_;
    return sdk ? sdk->consumer_->QueueSize() : 0;
}

int64_t Sdk::MakeTrackId(uint32_t r1, uint32_t r2, int64_t nowMs) {
    const int64_t a = (static_cast<int64_t>(r1 % 99) + 100) % 100;
    const int64_t b = (static_cast<int64_t>(r2 % 999) + 1000) % 1000;
    const int64_t c = ((nowMs % 10000) + 10000) % 10000;
    return a * 10000000 + b * 10000 + c;
}

int64_t Sdk::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace analytics_sdk

#include "analytics/source/src/TrackerImpl.h"

#include <windows.h>

#include <chrono>
#include <thread>

#include "analytics/sdk/Sdk.h"
#include "analytics/source/src/DeviceProfile.h"
#include "analytics/source/src/Identity.h"
#include "analytics/source/src/QzException.h"

#ifndef VELQUOR_ANALYTICS_HOST
#define VELQUOR_ANALYTICS_HOST "127.0.0.1:18443"
#endif

namespace tandry {
namespace tracking {

using analytics_sdk::PropertiesNode;
using analytics_sdk::Sdk;

namespace {

const char* ClickTypeText(QzClickType type) {
    switch (type) {
    case QzClickType::Button: return "Button";
    case QzClickType::Banner: return "Banner";
    case QzClickType::Tutorial: return "Tutorial";
    case QzClickType::File: return "File";
    case QzClickType::Others: return "Others";
    }
    QZ_THROW("Unknown ClickType [" + std::to_string(static_cast<int>(type)) + "]!");
}

const char* ResultText(QzResult result) {
    switch (result) {
    case QzResult::Success: return "Success";
    case QzResult::Cancelled: return "Cancelled";
    case QzResult::Fail: return "Fail";
    default: return nullptr;
    }
}

void SetText(PropertiesNode& set, const std::string& key, const std::string& value) {
    set.SetString(key, ToUtf8Text(value));
}
void SetOptionalText(PropertiesNode& set, const std::string& key, const std::string& value) {
    if (!value.empty()) SetText(set, key, value);
}

// Context values are stored last, so they replace event properties of the same key.
void ApplyContext(PropertiesNode& set, const QzContextProperties& context, QzEventType kind) {
    for (const auto& entry : context.getEventProperties(kind)) {
        if (entry.value) set.SetString(entry.key, *entry.value);
    }
}

} // namespace

std::mutex& FlushMutex() {
    static std::mutex mutex;
    return mutex;
}

void FlushGate::Enter() {
    std::lock_guard<std::mutex> guard(lock_);
    ++running_;
}

void FlushGate::Leave() {
    std::lock_guard<std::mutex> guard(lock_);
    --running_;
    idle_.notify_all();
}

bool FlushGate::WaitIdle(unsigned timeoutMs) {
    std::unique_lock<std::mutex> guard(lock_);
    return idle_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return running_ == 0; });
}

void FlushGate::WaitIdle() {
    std::unique_lock<std::mutex> guard(lock_);
    idle_.wait(guard, [this] { return running_ == 0; });
}

TrackerImpl::TrackerImpl(const TrackerConfig& config)
    : serverUrl_(ToUtf8Text(config.serverUrl)),
      appName_(ToUtf8Text(config.appName)),
      appVersion_(ToUtf8Text(config.appVersion)),
      appStore_(ToUtf8Text(config.appStore)),
      dlAppId_(ToUtf8Text(config.dlAppId)),
      dlAppVersion_(ToUtf8Text(config.dlAppVersion)),
      edition_(config.edition),
      state_(new TrackerState),
      gate_(std::make_shared<FlushGate>()) {}

void TrackerImpl::init(const TrackerConfig& config) {
    if (appName_.empty()) QZ_THROW("appName is empty");
    if (appVersion_.empty()) QZ_THROW("appVersion is empty");
    if (appStore_.empty()) QZ_THROW("appStore is empty");
    state_->pending = 0;

    const std::string overridePath = OverrideConfigurePath();
    const bool overridden = !overridePath.empty() && overridePath.find('\\') != std::string::npos;
    const DataPaths paths = DataPathsFor(overridePath, overridden ? std::string() : BaseFolder(), appName_);
    CreateFolderPath(paths.dataDir);
    state_->dataDir = paths.dataDir;
    state_->configurePath = paths.configurePath;

    if (serverUrl_.empty()) serverUrl_ = std::string("https://") + VELQUOR_ANALYTICS_HOST + "/sa?project=pc";

    LoadIdentity(*state_);
    ReconcileIdentity(*state_, serverUrl_);
    if (state_->UserId.empty()) state_->isLogined = false;

    state_->eventLogPath =
        config.eventLogPath.empty() ? state_->dataDir + appName_ + "_QZSLog.txt" : ToUtf8Text(config.eventLogPath);
    logger_.reset(new NativeTrackLogger(state_->eventLogPath));

    // Records not uploaded before a process ends wait in this file for the next one.
    const std::string stagingPath = state_->dataDir + appName_ + "_QZSCache.txt";
    const bool started = state_->isLogined ? Sdk::Init(stagingPath, serverUrl_, state_->UserId, true)
                                           : Sdk::Init(stagingPath, serverUrl_, state_->DistinctId, false);
    if (!started) QZ_THROW("analytics_sdk::Sdk::Init is failed");

    if (Sdk::HasInstance()) {
        CommonPropertyInput input;
        input.appName = appName_;
        input.appVersion = appVersion_;
        input.appStore = appStore_;
        input.dlAppId = dlAppId_;
        input.dlAppVersion = dlAppVersion_;
        input.edition = edition_;
        input.userId = state_->UserId;
        Sdk::RegisterSuperProperties(CommonProperties(input));
    }
    WriteUninstallInfo(state_->configurePath, appStore_, appName_, appVersion_);
}

TrackerImpl::~TrackerImpl() {
    // A detached upload still uses this tracker and the SDK: let it end
    // first (each attempt is bounded by the upload timeout).
    gate_->WaitIdle();
    if (!state_->configurePath.empty()) SaveIdentity(*state_);
    if (state_->pending > 0) {
        for (int attempt = 0; attempt < 3 && Sdk::HasInstance(); ++attempt) {
            if (Sdk::Flush()) {
                state_->pending = 0;
                break;
            }
        }
    }
    Sdk::Shutdown();
    state_.reset();
    logger_.reset();
}

void TrackerImpl::flushTrigger(bool flushNow) {
    if (Sdk::LastSendSucceeded()) {
        flushStep(flushNow);
        return;
    }
    ::OutputDebugStringA("[Analytics] Sending messages asynchronously");
    std::shared_ptr<FlushGate> gate = gate_;
    gate->Enter();
    try {
        std::thread([this, gate, flushNow] {
            flushStep(flushNow);
            gate->Leave();
        }).detach();
    } catch (...) {
        // No thread to be had: do the step here rather than lose it.
        gate->Leave();
        flushStep(flushNow);
    }
}

void TrackerImpl::flushStep(bool flushNow) {
    std::lock_guard<std::mutex> guard(FlushMutex());
    if (flushNow) {
        for (int attempt = 0; attempt < 3 && state_->pending > 0; ++attempt) {
            if (Sdk::HasInstance() && Sdk::Flush()) {
                state_->pending = 0;
                break;
            }
            ::Sleep(1);
        }
    } else {
        ::Sleep(1);
        state_->pending += 1;
    }
}

void TrackerImpl::trackClick(const QzEventClick& event, const QzContextProperties& context) {
    if (event.name.empty()) QZ_THROW("qzEventClick.name is empty");
    const char* clickType = ClickTypeText(event.clickType);
    PropertiesNode set;
    SetText(set, "qz_name", event.name);
    set.SetString("qz_click_type", clickType);
    SetOptionalText(set, "qz_aname", event.aname);
    SetOptionalText(set, "qz_title", event.title);
    SetOptionalText(set, "qz_module", event.module);
    SetOptionalText(set, "qz_position", event.position);
    if (event.tabIndex) set.SetInteger("qz_tab_index", *event.tabIndex);
    SetOptionalText(set, "qz_tab_name", event.tabName);
    if (event.bannerIndex) set.SetInteger("qz_banner_index", *event.bannerIndex);
    SetOptionalText(set, "qz_banner_name", event.bannerName);
    set.SetBool("$is_first_time", true);
    ApplyContext(set, context, QzEventType::Click);
    Sdk::Track("QzEventClick", set);
    state_->pending += 1;
    flushTrigger(false);
}

void TrackerImpl::trackView(const QzEventView& event, const QzContextProperties& context) {
    if (event.name.empty()) QZ_THROW("qzEventView.name is empty");
    PropertiesNode set;
    SetText(set, "qz_name", event.name);
    SetOptionalText(set, "qz_aname", event.aname);
    SetOptionalText(set, "qz_title", event.title);
    SetOptionalText(set, "qz_position", event.position);
    set.SetBool("$is_first_time", true);
    ApplyContext(set, context, QzEventType::View);
    Sdk::Track("QzEventView", set);
    state_->pending += 1;
    flushTrigger(false);
}

void TrackerImpl::trackTask(const QzEventTask& event, const QzContextProperties& context) {
    if (event.name.empty()) QZ_THROW("qzEventTask.name is empty");
    PropertiesNode set;
    SetText(set, "qz_task_name", event.name);
    SetOptionalText(set, "qz_aname", event.aname);
    SetOptionalText(set, "qz_reason", event.reason);
    if (event.elapsed) set.SetNumber("qz_task_elapsed", static_cast<double>(*event.elapsed));
    if (event.result) {
        if (const char* text = ResultText(*event.result)) set.SetString("qz_task_result", text);
    }
    set.SetBool("$is_first_time", true);
    ApplyContext(set, context, QzEventType::Task);
    Sdk::Track("QzEventTask", set);
    flushTrigger(false);
}

void TrackerImpl::trackCrash(const std::string& reason) {
    PropertiesNode set;
    SetOptionalText(set, "app_crashed_reason", reason);
    Sdk::Track("AppCrashed", set);
    flushTrigger(true);
}

// Event kinds this installer never reports.
void TrackerImpl::trackActivity(const QzContextProperties&) {}
void TrackerImpl::trackLaunch(const QzContextProperties&) {}
void TrackerImpl::trackLogin(const QzContextProperties&) {}
void TrackerImpl::trackCashier(const QzContextProperties&) {}
void TrackerImpl::trackShare(const QzContextProperties&) {}
void TrackerImpl::trackFile(const QzContextProperties&) {}
void TrackerImpl::trackOrder(const QzContextProperties&) {}
void TrackerImpl::trackPayment(const QzContextProperties&) {}
void TrackerImpl::trackUninstall(const QzContextProperties&) {}
void TrackerImpl::trackUpdate(const QzContextProperties&) {}
void TrackerImpl::trackAppOpenNotification(const QzContextProperties&) {}

void TrackerImpl::setLocale(const std::string& locale) {
    locale_ = locale;
}

std::string TrackerImpl::getPrimaryDistinctId() const {
    return state_->PrimaryDistinctId;
}

} // namespace tracking
} // namespace tandry

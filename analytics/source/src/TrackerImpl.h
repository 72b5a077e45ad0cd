#pragma once
// The tracker itself: identity, SDK start, event building and flush policy.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "analytics/source/src/Tracker.h"
#include "analytics/source/src/TrackerConfig.h"
#include "analytics/source/src/TrackerState.h"

namespace tandry {
namespace tracking {

// Counts the detached flush threads of one tracker, so that its destruction
// can wait for them. Each thread holds a share, so the gate outlives it.
class FlushGate {
public:
    void Enter();
    void Leave();
    // False when threads still run after timeoutMs.
    bool WaitIdle(unsigned timeoutMs);
    void WaitIdle();

private:
    std::mutex lock_;
    std::condition_variable idle_;
    int running_ = 0;
};

class TrackerImpl : public Tracker {
public:
    explicit TrackerImpl(const TrackerConfig& config);
    ~TrackerImpl() override;
    TrackerImpl(const TrackerImpl&) = delete;
    TrackerImpl& operator=(const TrackerImpl&) = delete;

    // Raises QzException at the first step that fails; steps done stay done.
    void init(const TrackerConfig& config);

    void trackActivity(const QzContextProperties& context) override;
    void trackLaunch(const QzContextProperties& context) override;
    void trackLogin(const QzContextProperties& context) override;
    void trackClick(const QzEventClick& event, const QzContextProperties& context) override;
    void trackView(const QzEventView& event, const QzContextProperties& context) override;
    void trackCashier(const QzContextProperties& context) override;
    void trackShare(const QzContextProperties& context) override;
    void trackTask(const QzEventTask& event, const QzContextProperties& context) override;
    void trackFile(const QzContextProperties& context) override;
    void trackOrder(const QzContextProperties& context) override;
    void trackPayment(const QzContextProperties& context) override;
    void trackUninstall(const QzContextProperties& context) override;
    void trackCrash(const std::string& reason) override;
    void trackUpdate(const QzContextProperties& context) override;
    void trackAppOpenNotification(const QzContextProperties& context) override;

    void setLocale(const std::string& locale) override;
    std::string getPrimaryDistinctId() const override;
    TrackLogger* getEventLogger() const override { return logger_.get(); }

    const TrackerState& state() const { return *state_; }
    const std::string& serverUrl() const { return serverUrl_; }
    // Waits for running detached uploads; false on timeout.
    bool waitForFlushes(unsigned timeoutMs) { return gate_->WaitIdle(timeoutMs); }

private:
    void flushTrigger(bool flushNow);
    void flushStep(bool flushNow);

    std::string serverUrl_;
    std::string appName_;
    std::string appVersion_;
    std::string appStore_;
    std::string dlAppId_;
    std::string dlAppVersion_;
    std::unique_ptr<TrackLogger> logger_;
    QzEdition edition_ = QzEdition::china;
    std::unique_ptr<TrackerState> state_;
    std::string locale_;
    std::shared_ptr<FlushGate> gate_;
};

// The process-wide mutex that serialises flush steps.
std::mutex& FlushMutex();

} // namespace tracking
} // namespace tandry

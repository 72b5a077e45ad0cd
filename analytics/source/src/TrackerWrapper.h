#pragma once
// The tracker handed to the installer: forwards every call and lets no error out.
#include <memory>

#include "analytics/source/src/TrackerImpl.h"

namespace tandry {
namespace tracking {

class TrackerWrapper : public Tracker {
public:
    explicit TrackerWrapper(std::unique_ptr<TrackerImpl> impl);
    ~TrackerWrapper() override;

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
    // The wrapper has no logger of its own.
    TrackLogger* getEventLogger() const override { return nullptr; }

    TrackerImpl* impl() const { return impl_.get(); }

private:
    // Runs one forwarded call; anything raised becomes "Failed to " + name.
    template <typename Call>
    void Guard(const char* name, Call call);

    std::unique_ptr<TrackerImpl> impl_;
};

} // namespace tracking
} // namespace tandry

#pragma once
// The analytics tracker as the installer sees it. Only trackClick, trackView,
// trackTask and trackCrash carry this installer's events; the other event
// operations keep their places in the interface and record nothing here.
#include <string>

#include "analytics/source/src/QzContextProperties.h"
#include "analytics/source/src/QzEvents.h"
#include "analytics/source/src/TrackLogger.h"

namespace tandry {
namespace tracking {

class Tracker {
public:
    virtual ~Tracker() = default;

    virtual void trackActivity(const QzContextProperties& context) = 0;
    virtual void trackLaunch(const QzContextProperties& context) = 0;
    virtual void trackLogin(const QzContextProperties& context) = 0;
    virtual void trackClick(const QzEventClick& event, const QzContextProperties& context) = 0;
    virtual void trackView(const QzEventView& event, const QzContextProperties& context) = 0;
    virtual void trackCashier(const QzContextProperties& context) = 0;
    virtual void trackShare(const QzContextProperties& context) = 0;
    virtual void trackTask(const QzEventTask& event, const QzContextProperties& context) = 0;
    virtual void trackFile(const QzContextProperties& context) = 0;
    virtual void trackOrder(const QzContextProperties& context) = 0;
    virtual void trackPayment(const QzContextProperties& context) = 0;
    virtual void trackUninstall(const QzContextProperties& context) = 0;
    virtual void trackCrash(const std::string& reason) = 0;
    virtual void trackUpdate(const QzContextProperties& context) = 0;
    virtual void trackAppOpenNotification(const QzContextProperties& context) = 0;

    virtual void setLocale(const std::string& locale) = 0;
    virtual std::string getPrimaryDistinctId() const = 0;
    virtual TrackLogger* getEventLogger() const = 0;
};

} // namespace tracking
} // namespace tandry

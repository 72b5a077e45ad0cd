#include "analytics/source/src/TrackerWrapper.h"

#include <cstdio>

namespace tandry {
namespace tracking {

TrackerWrapper::TrackerWrapper(std::unique_ptr<TrackerImpl> impl) : impl_(std::move(impl)) {}

TrackerWrapper::~TrackerWrapper() {
    try {
        impl_.reset();
    } catch (...) {
        // Destruction must not throw; whatever was left is lost.
    }
}

template <typename Call>
void TrackerWrapper::Guard(const char* name, Call call) {
    try {
        call();
    } catch (...) {
        if (impl_ && impl_->getEventLogger()) {
            std::fprintf(stdout, "Failed to %s\n", name);
            std::fflush(stdout);
        }
    }
}

void TrackerWrapper::trackActivity(const QzContextProperties& c) {
    Guard("trackActivity", [&] { impl_->trackActivity(c); });
}
void TrackerWrapper::trackLaunch(const QzContextProperties& c) {
    Guard("trackLaunch", [&] { impl_->trackLaunch(c); });
}
void TrackerWrapper::trackLogin(const QzContextProperties& c) {
    Guard("trackLogin", [&] { impl_->trackLogin(c); });
}
void TrackerWrapper::trackClick(const QzEventClick& e, const QzContextProperties& c) {
    Guard("trackClick", [&] { impl_->trackClick(e, c); });
}
void TrackerWrapper::trackView(const QzEventView& e, const QzContextProperties& c) {
    Guard("trackView", [&] { impl_->trackView(e, c); });
}
void TrackerWrapper::trackCashier(const QzContextProperties& c) {
    Guard("trackCashier", [&] { impl_->trackCashier(c); });
}
void TrackerWrapper::trackShare(const QzContextProperties& c) {
    Guard("trackShare", [&] { impl_->trackShare(c); });
}
void TrackerWrapper::trackTask(const QzEventTask& e, const QzContextProperties& c) {
    Guard("trackTask", [&] { impl_->trackTask(e, c); });
}
void TrackerWrapper::trackFile(const QzContextProperties& c) {
    Guard("trackFile", [&] { impl_->trackFile(c); });
}
void TrackerWrapper::trackOrder(const QzContextProperties& c) {
    Guard("trackOrder", [&] { impl_->trackOrder(c); });
}
void TrackerWrapper::trackPayment(const QzContextProperties& c) {
    Guard("trackPayment", [&] { impl_->trackPayment(c); });
}
void TrackerWrapper::trackUninstall(const QzContextProperties& c) {
    Guard("trackUninstall", [&] { impl_->trackUninstall(c); });
}
void TrackerWrapper::trackCrash(const std::string& reason) {
    Guard("trackCrash", [&] { impl_->trackCrash(reason); });
}
void TrackerWrapper::trackUpdate(const QzContextProperties& c) {
    Guard("trackUpdate", [&] { impl_->trackUpdate(c); });
}
void TrackerWrapper::trackAppOpenNotification(const QzContextProperties& c) {
    Guard("trackAppOpenNotification", [&] { impl_->trackAppOpenNotification(c); });
}

void TrackerWrapper::setLocale(const std::string& locale) {
    Guard("setLocale", [&] { impl_->setLocale(locale); });
}

std::string TrackerWrapper::getPrimaryDistinctId() const {
    try {
        return impl_->getPrimaryDistinctId();
    } catch (...) {
        return std::string();
    }
}

} // namespace tracking
} // namespace tandry

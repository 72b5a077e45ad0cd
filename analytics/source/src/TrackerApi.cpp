#include "analytics/source/src/TrackerApi.h"

#include <mutex>

#include "analytics/source/src/TrackerWrapper.h"

namespace tandry {
namespace tracking {

namespace {
std::mutex g_holderLock;
std::shared_ptr<TrackerWrapper> g_current;
} // namespace

void CreateTracker(const TrackerConfig& config) {
    // The old tracker goes first: its end shuts the process's one SDK
    // instance down, which would otherwise leave the new one without it.
    ReleaseTracker();
    std::unique_ptr<TrackerImpl> impl;
    try {
        impl.reset(new TrackerImpl(config));
        impl->init(config);
    } catch (...) {
        // A half-started tracker is still installed; it records nothing.
    }
    if (!impl) return;
    auto wrapper = std::make_shared<TrackerWrapper>(std::move(impl));
    std::lock_guard<std::mutex> guard(g_holderLock);
    g_current = std::move(wrapper);
}

bool ReleaseTracker() {
    std::shared_ptr<TrackerWrapper> released;
    {
        std::lock_guard<std::mutex> guard(g_holderLock);
        released.swap(g_current);
    }
    // Destroyed here, outside the lock, unless a caller still holds it.
    return released != nullptr;
}

std::shared_ptr<Tracker> CurrentTracker() {
    std::lock_guard<std::mutex> guard(g_holderLock);
    return g_current;
}

bool WaitForTrackerUploads(unsigned timeoutMs) {
    std::shared_ptr<TrackerWrapper> tracker;
    {
        std::lock_guard<std::mutex> guard(g_holderLock);
        tracker = g_current;
    }
    if (!tracker || !tracker->impl()) return true;
    return tracker->impl()->waitForFlushes(timeoutMs);
}

} // namespace tracking
} // namespace tandry

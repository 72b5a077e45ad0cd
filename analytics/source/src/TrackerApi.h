#pragma once
// The process's one tracker: created at start-up, used by the reports,
// released at exit.
#include <memory>

#include "analytics/source/src/Tracker.h"
#include "analytics/source/src/TrackerConfig.h"

namespace tandry {
namespace tracking {

// Releases the tracker installed before (if any), then builds, starts and
// installs a new one. A failed start is swallowed: the tracker is installed
// and records nothing.
void CreateTracker(const TrackerConfig& config);
// True when a tracker was installed. Its destruction (upload of what is
// pending, staging of the rest) happens once the last user lets go of it.
bool ReleaseTracker();
// The installed tracker, or empty.
std::shared_ptr<Tracker> CurrentTracker();
// Waits up to timeoutMs for the installed tracker's background uploads; true
// when none runs any more (also when there is no tracker).
bool WaitForTrackerUploads(unsigned timeoutMs);

} // namespace tracking
} // namespace tandry

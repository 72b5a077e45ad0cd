#pragma once
// The device identity kept in the tracker's INI file.
#include <string>

#include "analytics/source/src/TrackerState.h"

namespace tandry {
namespace tracking {

// Reads section "Base" of state.configurePath; a missing DistinctId gets a
// new device id, which is saved at once.
void LoadIdentity(TrackerState& state);
// A different server URL (or no DistinctId) logs out and goes back to the
// PrimaryDistinctId; saved when anything changed.
void ReconcileIdentity(TrackerState& state, const std::string& serverUrl);
void SaveIdentity(const TrackerState& state);
// Section "UninstallInfo": AppStore, AppName, AppVersion.
void WriteUninstallInfo(const std::string& configurePath, const std::string& appStore, const std::string& appName,
                        const std::string& appVersion);

} // namespace tracking
} // namespace tandry

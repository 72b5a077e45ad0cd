#pragma once
// The process start-up steps that come before any window.
#include "analytics/source/src/TrackerConfig.h"

class InstallerConfig;

// Keeps libraries planted beside the executable from being loaded: system32
// first, the current folder out of the search, and the usual victims
// preloaded from the system folder.
void HardenLibrarySearch();

// The process's unhandled-exception filter: reports the crash and lets the
// system's default handling end the process.
long __stdcall CrashFilter(struct _EXCEPTION_POINTERS* info);

// The tracker's settings from the installer's (texts as UTF-8).
tandry::tracking::TrackerConfig TrackerConfigFor(const InstallerConfig& config);
// Creates the process's tracker when analytics is enabled.
void StartAnalytics(const InstallerConfig& config);
// Releases it again (uploading what is pending, staging the rest).
void StopAnalytics(const InstallerConfig& config);

#include "app/Startup.h"

#include <windows.h>

#include <string>

#include "analytics/source/src/TrackerApi.h"
#include "app/InstallerConfig.h"
#include "app/InstallerReports.h"
#include "utils/Text.h"

namespace {
// How long a crash waits for its report to leave. Without the wait the
// upload thread dies with the process and the crash is never reported.
constexpr unsigned kCrashUploadWaitMs = 10000;
} // namespace

void HardenLibrarySearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(0x800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
    ::SetDllDirectoryW(L"");

    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    static const wchar_t* const kPreload[] = {L"\\version.dll", L"\\ws2_32.dll",  L"\\sxs.dll",
                                              L"\\dwmapi.dll",  L"\\msimg32.dll", L"\\d3d8.dll",
                                              L"\\ieframe.dll", L"\\ws2help.dll", L"\\WindowsCodecs.dll"};
    for (const wchar_t* name : kPreload) {
        // Kept loaded for the whole run; a library the system lacks is simply skipped.
        ::LoadLibraryW((std::wstring(system) + name).c_str());
    }
}

long __stdcall CrashFilter(struct _EXCEPTION_POINTERS*) {
    const InstallerConfig& config = InstallerConfig::Instance();
    ReportTask(L"崩溃退出", 0.0f, {{L"AB", config.AbGroup}}, L"");
    ReportCrash();
    // Releasing stages whatever could not be sent for the next run; a
    // still-running upload would be freed under it, so it is waited for first.
    if (config.IsEnableAppAnalytics && tandry::tracking::WaitForTrackerUploads(kCrashUploadWaitMs))
        tandry::tracking::ReleaseTracker();
    return EXCEPTION_CONTINUE_SEARCH;
}

tandry::tracking::TrackerConfig TrackerConfigFor(const InstallerConfig& config) {
    tandry::tracking::TrackerConfig tracker;
    tracker.appName = Utils::ToNarrow(config.ProductId + config.DlAppNameSuffix, CP_UTF8);
    tracker.appVersion = Utils::ToNarrow(config.InstallerVersion, CP_UTF8);
    tracker.appStore = Utils::ToNarrow(config.InstallerFileName, CP_UTF8);
    tracker.dlAppId = Utils::ToNarrow(config.ProductId, CP_UTF8);
    tracker.dlAppVersion = Utils::ToNarrow(config.DlAppVersion, CP_UTF8);
    return tracker;
}

void StartAnalytics(const InstallerConfig& config) {
    if (config.IsEnableAppAnalytics) tandry::tracking::CreateTracker(TrackerConfigFor(config));
}

void StopAnalytics(const InstallerConfig& config) {
    if (config.IsEnableAppAnalytics) tandry::tracking::ReleaseTracker();
}

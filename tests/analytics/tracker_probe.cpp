// A small program that drives the real tracker the way the installer does,
// for the tests that need a process of their own (staging across runs, the
// crash filter, the first-trigger rule, the Set.ini override).
//   tracker_probe <scenario> <server url> <app name> [count] [-isenableappanalytics=false]
// Scenarios: stage, send, triggers, start, crash, crash-thread (both end the
// process as soon as the installer's crash filter returns), crash-default
// (the filter alone, then the system's own handling).
#include <windows.h>
#include <shellapi.h>

#include <curl/curl.h>

#include <string>
#include <thread>

#include "analytics/source/src/TrackerApi.h"
#include "app/InstallerConfig.h"
#include "app/InstallerReports.h"
#include "app/Startup.h"
#include "utils/Text.h"

using namespace tandry::tracking;

namespace {

QzEventClick Click(const std::string& name) {
    QzEventClick click;
    click.name = name;
    return click;
}

// The strictest end a crash can have: the process goes the moment the
// installer's filter returns, so whatever it did not finish is lost.
LONG WINAPI EndAtOnce(EXCEPTION_POINTERS* info) {
    CrashFilter(info);
    return EXCEPTION_EXECUTE_HANDLER;
}

void CrashHere() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const std::wstring scenario = argv[1];
    curl_global_init(CURL_GLOBAL_ALL);
    InstallerConfig& settings = InstallerConfig::Instance();
    settings.ApplyCommandLine();

    TrackerConfig config = TrackerConfigFor(settings);
    config.serverUrl = Utils::ToNarrow(argv[2], CP_UTF8);
    config.appName = Utils::ToNarrow(argv[3], CP_UTF8);
    const int count = argc > 4 ? _wtoi(argv[4]) : 1;

    if (scenario == L"crash" || scenario == L"crash-thread" || scenario == L"crash-default") {
        // The system's crash dialog would wait for a click that never comes.
        ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
        ::SetUnhandledExceptionFilter(scenario == L"crash-default" ? &CrashFilter : &EndAtOnce);
        if (settings.IsEnableAppAnalytics) CreateTracker(config);
        ReportClick({{L"AB", settings.AbGroup}}, L"立即安装");
        if (scenario == L"crash") {
            CrashHere();
        } else {
            std::thread worker(&CrashHere);
            worker.join();
        }
        return 3;  // not reached
    }

    CreateTracker(config);
    const auto tracker = CurrentTracker();
    if (scenario == L"stage") {
        for (int i = 1; i <= count; ++i) tracker->trackClick(Click("Stage" + std::to_string(i)), QzContextProperties());
    } else if (scenario == L"send") {
        tracker->trackClick(Click("Send"), QzContextProperties());
    } else if (scenario == L"triggers") {
        tracker->trackClick(Click("First"), QzContextProperties());
        tracker->trackCrash("x");
        WaitForTrackerUploads(20000);
        tracker->trackClick(Click("Second"), QzContextProperties());
        tracker->trackClick(Click("Third"), QzContextProperties());
    } else if (scenario != L"start") {
        return 2;
    }
    ReleaseTracker();
    curl_global_cleanup();
    return 0;
}

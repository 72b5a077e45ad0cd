// The installer's entry point: start-up in order, the run, teardown in reverse.
#include <windows.h>

#include <curl/curl.h>

#include "app/InstallerConfig.h"
#include "app/InstallerReports.h"
#include "app/Startup.h"
#include "utils/InstanceMutex.h"

namespace {
// The settings exist (defaults, then the file) before the entry point runs.
InstallerConfig& g_config = InstallerConfig::Instance();
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    HardenLibrarySearch();
    ::SetUnhandledExceptionFilter(&CrashFilter);

    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
        g_config.HttpReady = false;
        // No tracker runs yet, so this report is dropped; it is kept for its place in the order.
        ReportTask(L"libcurl初始化失败", 0.0f, {{L"AB", g_config.AbGroup}}, L"");
    }

    Utils::InstanceMutex instance(L"Installer_Velquor");
    instance.Acquire();
    if (!instance.IsHeld()) return -1;

    g_config.ApplyCommandLine();
    StartAnalytics(g_config);

    StopAnalytics(g_config);
    curl_global_cleanup();
    instance.Release();
    return 0;
}

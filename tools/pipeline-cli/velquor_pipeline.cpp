// velquor-pipeline.exe: one whole installation without a window. It reads the
// settings exactly as the installer does (its own folder's
// TandryInstallerConfig.ini, then the same command-line options), takes the
// install folder from -installdir=PATH and an optional previous uninstaller
// from -previous=PATH, and prints every status as "code<TAB>value<TAB>text".
// Exit code: 0 after 2003, 1 after 1004, 2004, 5004 or 5005, 2 on bad usage.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>

#include <curl/curl.h>

#include "app/InstallerConfig.h"
#include "app/Startup.h"
#include "pipeline/CDownloadInstaller.h"
#include "utils/CommandLine.h"
#include "utils/Security.h"
#include "utils/Text.h"

namespace {

std::mutex g_lock;
std::condition_variable g_ended;
int g_exitCode = -1;

void Print(int code, double value, const wchar_t* text) {
    const std::string utf8 = Utils::ToNarrow(text ? text : L"", CP_UTF8);
    std::lock_guard<std::mutex> lock(g_lock);
    std::printf("%d\t%.6g\t%s\n", code, value, utf8.c_str());
    std::fflush(stdout);
    switch (code) {
    case INSTALL_SUCCESS:
        g_exitCode = 0;
        g_ended.notify_all();
        break;
    case DL_CODE_FAIL:
    case IST_CODE_FAIL:
    case UNIST_CODE_FAIL:
    case UNIST_CODE_ERROR:
        g_exitCode = 1;
        g_ended.notify_all();
        break;
    default:
        break;
    }
}

} // namespace

int wmain() {
    _setmode(1, _O_BINARY);
    InstallerConfig& config = InstallerConfig::Instance();
    config.ApplyCommandLine();
    Utils::CommandLine options;
    options.Parse(::GetCommandLineW());
    const std::wstring installFolder = options.GetString(L"-installdir");
    const std::wstring previous = options.GetString(L"-previous");
    if (installFolder.empty()) {
        std::fprintf(stderr, "usage: velquor-pipeline.exe -installdir=PATH [-previous=UNINSTALLER] [installer options]\n");
        return 2;
    }
    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) config.HttpReady = false;
    StartAnalytics(config);

    std::wstring user;
    const bool consoleAdmin = Utils::GetActiveSessionUserName(user) && Utils::IsUserAdmin(user);
    int exitCode = 1;
    {
        CDownloadInstaller installer(&Print, config.DownloadUrl, previous, installFolder, true, true, consoleAdmin);
        installer.SetParams(config.DownloadUrl, L"", previous, installFolder, true, true, consoleAdmin,
                            Utils::IsRunningAsAdmin());
        installer.Start();
        std::unique_lock<std::mutex> lock(g_lock);
        g_ended.wait(lock, [] { return g_exitCode >= 0; });
        exitCode = g_exitCode;
        lock.unlock();
        // Leaving the scope waits for every worker and child.
    }
    StopAnalytics(config);
    curl_global_cleanup();
    return exitCode;
}

#pragma once
// The installer's one settings record: built-in values, then
// "TandryInstallerConfig.ini" beside the executable, then the command line.
#include <string>

class InstallerConfig {
public:
    // The process-wide record, built (defaults, then the file) before the entry point runs.
    static InstallerConfig& Instance();

    // Built-in values only.
    InstallerConfig();

    // Sets the built-in values again.
    void SetDefaults();
    // The file loader for the running executable, and for a given one.
    void LoadFile();
    void LoadFile(const std::wstring& executablePath);
    // Options of the process's command line, and of a given one.
    void ApplyCommandLine();
    void ApplyCommandLine(const std::wstring& commandLine);

    // "${ROUTE}" replaced by the route name of the running system.
    static std::wstring ExpandRoute(const std::wstring& url);
    // The same for a named system ("7", "XP", ...).
    static std::wstring ExpandRoute(const std::wstring& url, const std::wstring& osVersionName, bool is64BitOs);

    static const wchar_t* const kConfigFileName;
    static const int kProductNumber = 502;

    std::wstring ProductId;
    std::wstring InstallerVersion;
    std::wstring InstallerFileName;
    std::wstring DlAppNameSuffix;
    std::wstring DlAppVersion;
    std::wstring InstCmd;
    std::wstring DownloadUrl;
    int DownloadType = 1;
    bool IsCheckNet = false;
    bool IsEnableAppAnalytics = true;
    double DownloadScale = 0.7;
    bool HttpReady = true;
    std::wstring AbGroup;
};

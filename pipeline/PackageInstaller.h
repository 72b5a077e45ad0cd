#pragma once
// Runs the downloaded package silently and turns its key=value output into
// install status codes (2001-2004) and package facts (3000-3009).
#include <functional>
#include <memory>
#include <string>

#include "download/Downloader.h"
#include "pipeline/ProtocolReader.h"
#include "utils/Process.h"
#include "utils/Thread.h"

enum InstallStatus : int {
    IST_CODE_START = 2001,
    IST_CODE_PROGRESS = 2002,
    INSTALL_SUCCESS = 2003,
    IST_CODE_FAIL = 2004,
    IST_INFO_INSTPATH = 3000,
    IST_INFO_EXEPATH = 3001,
    IST_INFO_UNINSTEXE = 3002,
    IST_INFO_UNINSTEP = 3003,
    IST_INFO_STARTURL = 3004,
    IST_INFO_STARTUPSTYLE = 3005,
    IST_INFO_TOPSHOWDETENTION = 3007,
    IST_INFO_FINISHCLOSEDETENTION = 3008,
    IST_INFO_MESSAGE = 3009,
};

class PackageInstaller : public ProtocolReader {
public:
    // packageCommand is the package path already wrapped in double quotes.
    PackageInstaller(StatusCallback callback, const std::wstring& packageCommand, const std::wstring& installFolder);
    // Waits for a running worker (and so for its child).
    ~PackageInstaller() override;

    void SetInstallFolder(const std::wstring& folder) { m_installFolder = folder; }
    void SetDesktopShortcut(bool on) { m_desktopShortcut = on; }
    void SetQuickLaunchShortcut(bool on) { m_quickLaunchShortcut = on; }
    void SetConsoleUserAdmin(bool on) { m_consoleUserAdmin = on; }
    void SetProcessAdmin(bool on) { m_processAdmin = on; }

    // Called on the worker after the child has ended and been reaped: the
    // verdict arrives while the package may still run and hold its own file.
    void SetFinishedHook(std::function<void()> hook) { m_finished = std::move(hook); }

    // Builds the command line and runs the package on a fresh worker; returns at once.
    void Start();
    // The worker body.
    void Run();
    int ParseOutput(const std::wstring& text) override;

    const std::wstring& CommandLine() const { return m_commandLine; }
    int CodePage() const { return m_codePage; }
    void InstalledVersion(int& major, int& minor, int& build) const;

private:
    std::wstring BuildCommandLine() const;

    std::function<void()> m_finished;
    std::wstring m_packageCommand;
    std::wstring m_installFolder;
    std::wstring m_commandLine;
    bool m_quickLaunchShortcut = false;
    bool m_desktopShortcut = false;
    std::unique_ptr<Utils::Thread> m_worker;
    std::unique_ptr<Utils::PipedProcess> m_process;
    int m_version[3] = {0, 0, 0};
    bool m_consoleUserAdmin = false;
    bool m_processAdmin = true;
};

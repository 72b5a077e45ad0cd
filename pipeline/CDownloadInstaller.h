#pragma once
// Runs one whole installation: removes a previous version when there is one,
// downloads the package with the configured downloader, runs it, deletes it,
// and passes every status of these workers on to the outer callback.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "download/Downloader.h"
#include "pipeline/PackageInstaller.h"
#include "pipeline/UnInstaller.h"

class CDownloadInstaller {
public:
    CDownloadInstaller(StatusCallback outer, const std::wstring& url, const std::wstring& previousUninstaller,
                       const std::wstring& installFolder, bool desktopShortcut, bool quickLaunchShortcut,
                       bool consoleUserAdmin);
    // Stops chaining workers, then waits for each of them (and their children).
    ~CDownloadInstaller();
    CDownloadInstaller(const CDownloadInstaller&) = delete;
    CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

    void SetParams(const std::wstring& url, const std::wstring& existingInstallFolder,
                   const std::wstring& previousUninstaller, const std::wstring& installFolder, bool desktopShortcut,
                   bool quickLaunchShortcut, bool consoleUserAdmin, bool processAdmin);
    // installFolder + "\__Package_Velquor.exe"
    std::wstring GetPackagePath() const;
    // Begins the run and returns at once; the rest happens on the workers.
    void Start();

    // Where a previous version's uninstaller is copied before it runs.
    static std::wstring UninstallerCopyPath();

private:
    void DeletePackage();
    std::unique_ptr<CDownloader> MakeDownloader(int downloadType, StatusCallback handler);

    std::unique_ptr<UnInstaller> m_uninstaller;
    std::unique_ptr<CDownloader> m_downloader;
    std::unique_ptr<PackageInstaller> m_packageInstaller;
    std::wstring m_url;
    std::wstring m_existingInstallFolder;
    std::wstring m_previousUninstaller;
    std::wstring m_installFolder;
    std::wstring m_packagePath;
    bool m_desktopShortcut;
    bool m_quickLaunchShortcut;
    bool m_consoleUserAdmin;
    bool m_processAdmin = false;
    StatusCallback m_outer;

    // A handler starts the next worker only while the object is not being
    // destroyed; the lock keeps that check and the start together.
    std::mutex m_chainLock;
    std::atomic<bool> m_closing{false};
    // An uninstaller that states its success twice must not start two downloads.
    bool m_downloadStarted = false;
};

#include "pipeline/CDownloadInstaller.h"

#include <windows.h>

#include "app/InstallerConfig.h"
#include "download/CurlDownloader.h"
#include "download/MTCurlDownloader.h"
#include "download/WinDownloader.h"
#include "pipeline/PackagePath.h"
#include "utils/Folders.h"
#include "utils/Log.h"

CDownloadInstaller::CDownloadInstaller(StatusCallback outer, const std::wstring& url,
                                       const std::wstring& previousUninstaller, const std::wstring& installFolder,
                                       bool desktopShortcut, bool quickLaunchShortcut, bool consoleUserAdmin)
    : m_url(url),
      m_previousUninstaller(previousUninstaller),
      m_installFolder(installFolder),
      m_desktopShortcut(desktopShortcut),
      m_quickLaunchShortcut(quickLaunchShortcut),
      m_consoleUserAdmin(consoleUserAdmin),
      m_outer(std::move(outer)) {}

CDownloadInstaller::~CDownloadInstaller() {
    {
        std::lock_guard<std::mutex> lock(m_chainLock);
        m_closing = true;
    }
    m_downloader.reset();
    m_packageInstaller.reset();
    m_uninstaller.reset();
    m_outer = nullptr;
}

void CDownloadInstaller::SetParams(const std::wstring& url, const std::wstring& existingInstallFolder,
                                   const std::wstring& previousUninstaller, const std::wstring& installFolder,
                                   bool desktopShortcut, bool quickLaunchShortcut, bool consoleUserAdmin,
                                   bool processAdmin) {
    m_url = url;
    m_existingInstallFolder = existingInstallFolder;
    m_previousUninstaller = previousUninstaller;
    m_installFolder = installFolder;
    m_desktopShortcut = desktopShortcut;
    m_quickLaunchShortcut = quickLaunchShortcut;
    m_consoleUserAdmin = consoleUserAdmin;
    m_processAdmin = processAdmin;
}

std::wstring CDownloadInstaller::GetPackagePath() const {
    return PackagePathFor(m_installFolder, InstallerConfig::Instance().ProductId);
}

std::wstring CDownloadInstaller::UninstallerCopyPath() {
    const std::wstring temp = Utils::GetTempFolder();
    if (temp.empty()) return std::wstring();
    return temp + L"\\" + InstallerConfig::Instance().ProductId + L"_un_asa.exe";
}

void CDownloadInstaller::DeletePackage() {
    ::DeleteFileW(m_packagePath.c_str());
}

std::unique_ptr<CDownloader> CDownloadInstaller::MakeDownloader(int downloadType, StatusCallback handler) {
    switch (downloadType) {
    case 2: return std::unique_ptr<CDownloader>(new CWinDownloader(std::move(handler), m_url, m_packagePath));
    case 3: return std::unique_ptr<CDownloader>(new CMTCurlDownloader(std::move(handler), m_url, m_packagePath));
    default: return std::unique_ptr<CDownloader>(new CCurlDownloader(std::move(handler), m_url, m_packagePath));
    }
}

void CDownloadInstaller::Start() {
    m_packagePath = GetPackagePath();
    const int downloadType = InstallerConfig::Instance().DownloadType;
    LogText(L"DL_TYPE=%d\r\n", downloadType);

    if (!m_downloader) {
        m_downloader = MakeDownloader(downloadType, [this](int code, double value, const wchar_t* text) {
            if (m_outer) m_outer(code, value, text);
            switch (code) {
            case DL_CODE_START:
                LogTextIn(L"downloadCallback", L"DL_CODE_START\r\n");
                Utils::CreateDirectories(m_installFolder);
                break;
            case DL_CODE_PROGRESS:
                LogTextIn(L"downloadCallback", L"DL_CODE_PROGRESS\r\n");
                break;
            case DL_CODE_SUCCESS: {
                LogTextIn(L"downloadCallback", L"DOWNLOAD_SUCCESS\r\n");
                std::lock_guard<std::mutex> lock(m_chainLock);
                if (!m_closing && m_packageInstaller) m_packageInstaller->Start();
                LogTextIn(L"downloadCallback", L"DL_CODE_SUCCESS\r\n");
                break;
            }
            case DL_CODE_FAIL:
                LogTextIn(L"downloadCallback", L"DL_CODE_FAIL\r\n");
                DeletePackage();
                break;
            case DL_CODE_RETRY: {
                LogTextIn(L"downloadCallback", L"DL_CODE_RETRY\r\n");
                std::lock_guard<std::mutex> lock(m_chainLock);
                if (!m_closing) m_downloader->Start();
                break;
            }
            default:
                break;
            }
        });
    }

    if (!m_packageInstaller) {
        m_packageInstaller.reset(new PackageInstaller(
            [this](int code, double value, const wchar_t* text) {
                if (m_outer) m_outer(code, value, text);
                switch (code) {
                case IST_CODE_START:
                    LogTextIn(L"installCallback", L"IST_CODE_START\r\n");
                    break;
                case INSTALL_SUCCESS:
                    LogTextIn(L"installCallback", L"INSTALL_SUCCESS\r\n");
                    DeletePackage();
                    break;
                case IST_CODE_FAIL:
                    LogTextIn(L"installCallback", L"IST_CODE_FAIL\r\n");
                    DeletePackage();
                    break;
                default:
                    break;
                }
            },
            L"\"" + m_packagePath + L"\"", m_installFolder));
        // The package usually still runs when it states its verdict, and its
        // own file cannot be deleted then; once it has ended, it can.
        m_packageInstaller->SetFinishedHook([this] { DeletePackage(); });
    }
    m_packageInstaller->SetInstallFolder(m_installFolder);
    m_packageInstaller->SetDesktopShortcut(m_desktopShortcut);
    m_packageInstaller->SetQuickLaunchShortcut(m_quickLaunchShortcut);
    m_packageInstaller->SetConsoleUserAdmin(m_consoleUserAdmin);
    m_packageInstaller->SetProcessAdmin(m_processAdmin);

    const DWORD attributes =
        m_previousUninstaller.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(m_previousUninstaller.c_str());
    {
        std::lock_guard<std::mutex> lock(m_chainLock);
        m_downloadStarted = false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const std::wstring copyPath = UninstallerCopyPath();
        std::wstring previousFolder = m_previousUninstaller.substr(0, m_previousUninstaller.find_last_of(L'\\'));
        if (previousFolder.size() > MAX_PATH) previousFolder.resize(MAX_PATH);
        // A failed copy shows as the uninstaller's own "file missing" failure.
        if (!copyPath.empty()) ::CopyFileW(m_previousUninstaller.c_str(), copyPath.c_str(), FALSE);
        m_uninstaller.reset(new UnInstaller(
            [this](int code, double value, const wchar_t* text) {
                if (m_outer) m_outer(code, value, text);
                switch (code) {
                case UNIST_CODE_START:
                    LogTextIn(L"uninstallCallback", L"UNIST_CODE_START\r\n");
                    break;
                case UNIST_CODE_PROGRESS:
                    LogTextIn(L"uninstallCallback", L"UNIST_CODE_PROGRESS\r\n");
                    break;
                case UNIST_CODE_SUCCESS: {
                    LogTextIn(L"uninstallCallback", L"UNIST_CODE_SUCCESS\r\n");
                    std::lock_guard<std::mutex> lock(m_chainLock);
                    if (!m_closing && !m_downloadStarted && m_packageInstaller && m_downloader) {
                        m_downloadStarted = true;
                        m_downloader->Start();
                    }
                    break;
                }
                case UNIST_CODE_FAIL:
                    LogTextIn(L"uninstallCallback", L"UNIST_CODE_FAIL\r\n");
                    break;
                case UNIST_CODE_ERROR:
                    LogTextIn(L"uninstallCallback", L"UNIST_CODE_ERROR\r\n");
                    break;
                default:
                    break;
                }
            },
            copyPath, previousFolder));
        m_uninstaller->Start();
    } else {
        m_downloader->Start();
    }
}

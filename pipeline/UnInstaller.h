#pragma once
// Runs a previous version's uninstaller (a copy outside its folder) silently
// and reports its progress and outcome as the codes 5002-5005.
#include <memory>
#include <string>

#include "download/Downloader.h"
#include "pipeline/ProtocolReader.h"
#include "utils/Process.h"
#include "utils/Thread.h"

enum UninstallStatus : int {
    UNIST_CODE_START = 5001,
    UNIST_CODE_PROGRESS = 5002,
    UNIST_CODE_SUCCESS = 5003,
    UNIST_CODE_FAIL = 5004,
    UNIST_CODE_ERROR = 5005,
};

class UnInstaller : public ProtocolReader {
public:
    UnInstaller(StatusCallback callback, const std::wstring& uninstallerPath, const std::wstring& previousFolder);
    ~UnInstaller() override;

    // Builds the command line and runs the uninstaller on its own worker; returns at once.
    void Start();
    void Run();
    int ParseOutput(const std::wstring& text) override;

    const std::wstring& CommandLine() const { return m_commandLine; }

private:
    std::wstring m_commandLine;
    std::wstring m_uninstallerPath;
    std::wstring m_previousFolder;
    bool m_commandLineFits = true;
    std::unique_ptr<Utils::Thread> m_worker;
    std::unique_ptr<Utils::PipedProcess> m_process;
};

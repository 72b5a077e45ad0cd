#pragma once
// Runs a previous version's uninstaller (a copy outside its folder) silently
// and reports its progress and outcome as the codes 5002-5005.
#include <memory>
#include <string>

#include "download/Downloader.h"
#include "pipeline/OutputProtocol.h"
#include "utils/Process.h"
#include "utils/Thread.h"

enum UninstallStatus : int {
    UNIST_CODE_START = 5001,
    UNIST_CODE_PROGRESS = 5002,
    UNIST_CODE_SUCCESS = 5003,
    UNIST_CODE_FAIL = 5004,
    UNIST_CODE_ERROR = 5005,
};

class UnInstaller {
public:
    UnInstaller(StatusCallback callback, const std::wstring& uninstallerPath, const std::wstring& previousFolder);
    ~UnInstaller();
    UnInstaller(const UnInstaller&) = delete;
    UnInstaller& operator=(const UnInstaller&) = delete;

    // Builds the command line and runs the uninstaller on its own worker; returns at once.
    void Start();
    void Run();
    // 0 no verdict, 1 success, 1000 failure.
    int ParseOutput(const std::wstring& text);

    const std::wstring& CommandLine() const { return m_commandLine; }

private:
    void Send(int code, double value, const std::wstring& text = std::wstring());
    int Feed(PipelineProtocol::LineBuffer& lines, const std::string& block);

    StatusCallback m_callback;
    std::wstring m_commandLine;
    std::wstring m_uninstallerPath;
    std::wstring m_previousFolder;
    int m_codePage = 0;
    bool m_commandLineFits = true;
    std::unique_ptr<Utils::Thread> m_worker;
    std::unique_ptr<Utils::PipedProcess> m_process;
};

#include "pipeline/UnInstaller.h"

#include <windows.h>

#include "pipeline/ChildOutput.h"
#include "utils/Log.h"
#include "utils/Security.h"
#include "utils/Text.h"

using namespace PipelineProtocol;

UnInstaller::UnInstaller(StatusCallback callback, const std::wstring& uninstallerPath,
                         const std::wstring& previousFolder)
    : ProtocolReader(std::move(callback)), m_uninstallerPath(uninstallerPath), m_previousFolder(previousFolder) {}

UnInstaller::~UnInstaller() {
    m_worker.reset();
}

void UnInstaller::Start() {
    std::wstring user;
    const bool consoleUserAdmin = Utils::GetActiveSessionUserName(user) && Utils::IsUserAdmin(user);
    const bool processAdmin = Utils::IsRunningAsAdmin();
    m_commandLine = Utils::FormatText(L"%s /S -adminact=%s -authorizationact=%s -console=show _?=%s",
                                      m_uninstallerPath.c_str(), consoleUserAdmin ? L"true" : L"false",
                                      processAdmin ? L"true" : L"false", m_previousFolder.c_str());
    m_commandLineFits = m_commandLine.size() < Utils::PipedProcess::kCommandLineSize;
    m_worker.reset();
    m_worker.reset(new Utils::Thread(this, L"UnInstaller", [](void* self) { static_cast<UnInstaller*>(self)->Run(); }));
    m_worker->Resume();
}

void UnInstaller::Run() {
    const DWORD attributes = ::GetFileAttributesW(m_uninstallerPath.c_str());
    if (m_uninstallerPath.empty() || attributes == INVALID_FILE_ATTRIBUTES) {
        Send(UNIST_CODE_FAIL, 1.0, L"可执行卸载文件不存在");
        return;
    }
    Send(UNIST_CODE_PROGRESS, 0.0);
    try {
        if (!m_commandLineFits) throw Utils::Exception();
        m_process.reset(new Utils::PipedProcess());
        m_process->CreatePipes();
        m_process->Start(m_commandLine);
    } catch (const std::exception&) {
        m_process.reset();
        Send(UNIST_CODE_FAIL, 2.0);
        return;
    }

    BeginOutput();
    std::string block;
    bool verdictSeen = false;
    while (IsRunning(*m_process)) {
        if (!ReadBlock(*m_process, block)) {
            // Output closed while the child still runs: wait for its end without spinning.
            ::WaitForSingleObject(m_process->info.hProcess, 50);
            continue;
        }
        if (Feed(block) != 0) verdictSeen = true;
    }
    // Lines written just before the end still count.
    while (ReadAvailable(*m_process, block)) {
        if (Feed(block) != 0) verdictSeen = true;
    }
    if (FinishOutput() != 0) verdictSeen = true;

    ::WaitForSingleObject(m_process->info.hProcess, INFINITE);
    m_process->Close();
    m_process.reset();
    if (!verdictSeen) Send(UNIST_CODE_SUCCESS, 1.0);
}

int UnInstaller::ParseOutput(const std::wstring& text) {
    int verdict = 0;
    for (const std::wstring& line : SplitLines(text)) {
        size_t key = 0;
        if (StartsWith(line, L"Progress=", key)) {
            Send(UNIST_CODE_PROGRESS, NumberAfter(line, key));
        } else if (StartsWith(line, L"Error=", key)) {
            Send(UNIST_CODE_ERROR, 0.0, RestOf(line, key));
            verdict = 1000;
        } else if (StartsWith(line, L"State=", key)) {
            const std::wstring state = Utils::Trim(RestOf(line, key));
            if (state == L"Success") {
                Send(UNIST_CODE_SUCCESS, 0.0);
                verdict = 1;
            } else if (state == L"Fail") {
                Send(UNIST_CODE_ERROR, 0.0, L"安装包卸载失败");
                verdict = 1000;
            }
        } else if (StartsWith(line, L"Encode=", key)) {
            m_codePage = Utils::Trim(RestOf(line, key)) == L"UTF8" ? 65001 : 0;
        }
    }
    return verdict;
}

#include "pipeline/PackageInstaller.h"

#include <windows.h>

#include <cwchar>

#include "app/InstallerConfig.h"
#include "pipeline/ChildOutput.h"
#include "utils/Text.h"

using namespace PipelineProtocol;

namespace {
const wchar_t* TrueFalse(bool value) {
    return value ? L"true" : L"false";
}
} // namespace

PackageInstaller::PackageInstaller(StatusCallback callback, const std::wstring& packageCommand,
                                   const std::wstring& installFolder)
    : ProtocolReader(std::move(callback)), m_packageCommand(packageCommand), m_installFolder(installFolder) {}

PackageInstaller::~PackageInstaller() {
    m_worker.reset();
}

void PackageInstaller::InstalledVersion(int& major, int& minor, int& build) const {
    major = m_version[0];
    minor = m_version[1];
    build = m_version[2];
}

std::wstring PackageInstaller::BuildCommandLine() const {
    std::wstring line = m_packageCommand;
    line += L" /S -console=show -version=1.0.0";
    line += L" -adminact=";
    line += TrueFalse(m_consoleUserAdmin);
    line += L" -authorizationact=";
    line += TrueFalse(m_processAdmin);
    line += L" -dsc=";
    line += TrueFalse(m_desktopShortcut);
    line += L" -ssc=";
    line += TrueFalse(m_quickLaunchShortcut);
    const std::wstring& extra = InstallerConfig::Instance().InstCmd;
    if (!extra.empty()) line += L" " + extra;
    if (!m_installFolder.empty()) {
        line += L" -instdir=\"" + m_installFolder + L"\"";
        line += L" /D=" + m_installFolder;
    }
    return line;
}

void PackageInstaller::Start() {
    m_commandLine = BuildCommandLine();
    m_worker.reset();
    m_worker.reset(new Utils::Thread(this, L"ABDEF", [](void* self) {
        auto* runner = static_cast<PackageInstaller*>(self);
        runner->Run();
        if (runner->m_finished) runner->m_finished();
    }));
    m_worker->Resume();
}

void PackageInstaller::Run() {
    Send(IST_CODE_START, 0.0);
    if (m_packageCommand.empty()) {
        Send(IST_CODE_FAIL, 1.0);
        return;
    }
    Send(IST_CODE_PROGRESS, 0.0);
    try {
        m_process.reset(new Utils::PipedProcess());
        m_process->CreatePipes();
        m_process->Start(m_commandLine);
    } catch (const std::exception&) {
        m_process.reset();
        Send(IST_CODE_FAIL, 2.0);
        return;
    }

    BeginOutput();
    std::string block;
    int verdict = 0;
    for (;;) {
        if (!IsRunning(*m_process)) {
            // Whatever the child wrote before it ended still counts.
            while (verdict == 0 && ReadAvailable(*m_process, block)) verdict = Feed(block);
            if (verdict == 0) verdict = FinishOutput();
            break;
        }
        if (ReadBlock(*m_process, block)) {
            verdict = Feed(block);
            if (verdict != 0) break;
        }
        ::Sleep(100);
    }

    DrainUntilExit(*m_process);
    m_process->Close();
    m_process.reset();
    if (verdict == 0) Send(INSTALL_SUCCESS, 1.0);
}

int PackageInstaller::ParseOutput(const std::wstring& text) {
    int verdict = 0;
    for (const std::wstring& line : SplitLines(text)) {
        size_t key = 0;
        if (StartsWith(line, L"Progress=", key)) {
            Send(IST_CODE_PROGRESS, NumberAfter(line, key));
        } else if (StartsWith(line, L"InstPath=", key)) {
            Send(IST_INFO_INSTPATH, 0.0, RestOf(line, key));
        } else if (StartsWith(line, L"State=", key)) {
            const std::wstring state = Utils::Trim(RestOf(line, key));
            if (state == L"Success") {
                Send(INSTALL_SUCCESS, 0.0);
                verdict = 1;
            } else if (state == L"Fail") {
                Send(IST_CODE_FAIL, 0.0, L"安装包安装失败");
                verdict = 1000;
            }
        } else if (StartsWith(line, L"InstallVersion=", key)) {
            int numbers[3] = {0, 0, 0};
            const int read = std::swscanf(line.c_str() + key, L"%d.%d.%d", &numbers[0], &numbers[1], &numbers[2]);
            for (int i = 0; i < read && i < 3; ++i) m_version[i] = numbers[i];
        } else if (StartsWith(line, L"ExePath=", key) || StartsWith(line, L"StartExe=", key)) {
            Send(IST_INFO_EXEPATH, 0.0, RestOf(line, key));
        } else if (StartsWith(line, L"UninstExePath=", key) || StartsWith(line, L"UninstExe=", key)) {
            Send(IST_INFO_UNINSTEXE, 0.0, RestOf(line, key));
        } else if (StartsWith(line, L"UninstEp=", key)) {
            Send(IST_INFO_UNINSTEP, 0.0, RestOf(line, key));
        } else if (StartsWith(line, L"Error=", key)) {
            Send(IST_CODE_FAIL, 1000.0, RestOf(line, key));
            verdict = 1000;
        } else if (StartsWith(line, L"TopShowDetention=", key)) {
            Send(IST_INFO_TOPSHOWDETENTION, static_cast<double>(static_cast<unsigned>(IntegerAfter(line, key))));
        } else if (StartsWith(line, L"FinsihCloseDetention=", key)) {
            Send(IST_INFO_FINISHCLOSEDETENTION, static_cast<double>(static_cast<unsigned>(IntegerAfter(line, key))));
        } else if (StartsWith(line, L"StartUrl=", key)) {
            Send(IST_INFO_STARTURL, 0.0, RestOf(line, key));
        } else if (StartsWith(line, L"StartupStyle=", key)) {
            const std::wstring style = Utils::Trim(RestOf(line, key));
            double value = 0.0;
            if (style == L"AutoStartup") value = 1.0;
            else if (style == L"UserStartup") value = 2.0;
            Send(IST_INFO_STARTUPSTYLE, value);
        } else if (StartsWith(line, L"Encode=", key)) {
            const std::wstring encoding = Utils::Trim(RestOf(line, key));
            if (encoding == L"UTF8") m_codePage = 65001;
            else if (encoding == L"ACP") m_codePage = 0;
            else m_codePage = IntegerAfter(encoding, 0);
        } else if (StartsWith(line, L"Message=", key)) {
            Send(IST_INFO_MESSAGE, 0.0, RestOf(line, key));
        }
    }
    return verdict;
}

#include "pipeline/ChildOutput.h"

namespace PipelineProtocol {

namespace {
constexpr DWORD kBlockSize = 1024;
}

bool IsRunning(const Utils::PipedProcess& process) {
    DWORD code = 0;
    if (!::GetExitCodeProcess(process.info.hProcess, &code)) return false;
    return code == kStillActive;
}

bool ReadBlock(Utils::PipedProcess& process, std::string& block) {
    char buffer[kBlockSize];
    DWORD got = 0;
    const BOOL ok = ::ReadFile(process.outputPipe->read, buffer, kBlockSize, &got, nullptr);
    block.assign(buffer, got);
    return ok || got > 0;
}

bool ReadAvailable(Utils::PipedProcess& process, std::string& block) {
    DWORD available = 0;
    if (!::PeekNamedPipe(process.outputPipe->read, nullptr, 0, nullptr, &available, nullptr) || available == 0)
        return false;
    return ReadBlock(process, block);
}

void DrainUntilExit(Utils::PipedProcess& process) {
    std::string discarded;
    while (::WaitForSingleObject(process.info.hProcess, 50) == WAIT_TIMEOUT) {
        while (ReadAvailable(process, discarded)) {
        }
    }
}

} // namespace PipelineProtocol

#include "utils/Process.h"

#include <cwchar>

namespace Utils {

namespace {
void CloseHandleOnce(HANDLE& handle) {
    if (handle) {
        ::CloseHandle(handle);
        handle = nullptr;
    }
}
} // namespace

Pipe::Pipe() {
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    if (!::CreatePipe(&read, &write, &sa, 0)) {
        Close();
        throw Exception();
    }
}

Pipe::~Pipe() {
    Close();
}

void Pipe::Close() {
    CloseRead();
    CloseWrite();
}

void Pipe::CloseRead() {
    CloseHandleOnce(read);
}

void Pipe::CloseWrite() {
    CloseHandleOnce(write);
}

PipedProcess::~PipedProcess() {
    Close();
    delete errorPipe;
    delete outputPipe;
    delete inputPipe;
}

void PipedProcess::CreatePipes() {
    errorPipe = new Pipe();
    outputPipe = new Pipe();
    inputPipe = new Pipe();
}

void PipedProcess::Start(const std::wstring& line) {
    if (!errorPipe || !outputPipe || !inputPipe) throw Exception();
    if (line.size() >= kCommandLineSize) throw Exception();
    std::wmemset(commandLine, 0, kCommandLineSize);
    std::wmemcpy(commandLine, line.c_str(), line.size());

    // The parent's ends must not leak into the child, or the child's end of
    // file would never come.
    ::SetHandleInformation(errorPipe->read, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(outputPipe->read, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(inputPipe->write, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = inputPipe->read;
    si.hStdOutput = outputPipe->write;
    si.hStdError = errorPipe->write;
    if (!::CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &info)) {
        info = PROCESS_INFORMATION{};
        throw Exception();
    }
    outputPipe->CloseWrite();
    errorPipe->CloseWrite();
    inputPipe->CloseRead();
}

void PipedProcess::Close() {
    CloseHandleOnce(info.hThread);
    CloseHandleOnce(info.hProcess);
    if (errorPipe) errorPipe->Close();
    if (outputPipe) outputPipe->Close();
    if (inputPipe) inputPipe->Close();
}

DWORD PipedProcess::ReadOutput(char* buffer, DWORD size) {
    if (!outputPipe || !outputPipe->read) return 0;
    DWORD got = 0;
    if (!::ReadFile(outputPipe->read, buffer, size, &got, nullptr)) return 0;
    return got;
}

} // namespace Utils

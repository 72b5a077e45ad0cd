#pragma once
// Anonymous pipes and child processes whose standard streams are pipes.
#include <windows.h>

#include <exception>
#include <string>

namespace Utils {

// Raised by Pipe and PipedProcess; carries no message.
class Exception : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};

class Pipe {
public:
    // Both ends inheritable, default buffer size; throws Exception on failure.
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    void Close();
    void CloseRead();
    void CloseWrite();

    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

class PipedProcess {
public:
    static constexpr size_t kCommandLineSize = 1024;

    PipedProcess() = default;
    ~PipedProcess();
    PipedProcess(const PipedProcess&) = delete;
    PipedProcess& operator=(const PipedProcess&) = delete;

    // The owner creates the three pipes (error, output, input) before Start.
    void CreatePipes();
    // Runs the command line (the program is its first token) hidden, with the
    // pipes as its standard streams. Throws Exception when it cannot start,
    // also when the command line does not fit the buffer: a cut command line
    // would run the program with wrong arguments.
    void Start(const std::wstring& commandLine);
    // Closes the process and thread handles and every pipe end still open.
    void Close();

    // Bytes of the child's standard output, 0 at its end (or on a read error).
    DWORD ReadOutput(char* buffer, DWORD size);

    wchar_t commandLine[kCommandLineSize] = {};
    Pipe* errorPipe = nullptr;
    Pipe* outputPipe = nullptr;
    Pipe* inputPipe = nullptr;
    PROCESS_INFORMATION info = {};
};

} // namespace Utils

#pragma once
// Small helpers shared by the tests: scratch folders, running our own programs.
#include <windows.h>

#include <string>

namespace TestSupport {

// The folder of the running test program (build/bin), ending in a backslash.
std::wstring BinFolder();

// A fresh, empty folder under the Wine prefix's temp folder, removed with the object.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    const std::wstring& Path() const { return path_; }  // ends in a backslash
    std::wstring File(const std::wstring& name) const { return path_ + name; }

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool Exists(const std::wstring& path);

struct RunResult {
    bool started = false;
    DWORD exitCode = 0;
    std::string output;  // standard output and error together
};
// Runs a command line hidden, collecting its output, waiting at most timeoutMs.
RunResult Run(const std::wstring& commandLine, DWORD timeoutMs = 60000);

} // namespace TestSupport

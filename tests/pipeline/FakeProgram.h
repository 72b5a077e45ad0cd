#pragma once
// Drives tools/fake-package: a script for the next run and the command line it recorded.
#include <windows.h>

#include <string>

#include "tests/support/TestSupport.h"
#include "utils/Text.h"

class FakeProgram {
public:
    // role: "VELQUOR_FAKE_PACKAGE" or "VELQUOR_FAKE_UNINSTALLER"
    FakeProgram(const TestSupport::ScratchFolder& folder, const std::wstring& role, const std::wstring& exeName)
        : role_(role),
          exe_(TestSupport::BinFolder() + exeName),
          script_(folder.File(role + L".script")),
          record_(folder.File(role + L".cmdline")) {
        ::SetEnvironmentVariableW((role_ + L"_SCRIPT").c_str(), script_.c_str());
        ::SetEnvironmentVariableW((role_ + L"_RECORD").c_str(), record_.c_str());
        ::DeleteFileW(record_.c_str());
    }
    ~FakeProgram() {
        ::SetEnvironmentVariableW((role_ + L"_SCRIPT").c_str(), nullptr);
        ::SetEnvironmentVariableW((role_ + L"_RECORD").c_str(), nullptr);
    }

    void Script(const std::string& commands) { TestSupport::WriteFileBytes(script_, commands); }
    const std::wstring& Exe() const { return exe_; }
    std::wstring RecordedCommandLine() const { return Utils::ToWide(TestSupport::ReadFileBytes(record_), CP_UTF8); }

private:
    std::wstring role_, exe_, script_, record_;
};

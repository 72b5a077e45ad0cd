#pragma once
// The named lock that keeps a second installer from running.
#include <windows.h>

#include <string>

namespace Utils {

class InstanceMutex {
public:
    static constexpr const wchar_t* kPrefix = L"D1A547DB89C0BC61_";

    explicit InstanceMutex(const std::wstring& nameSuffix);
    ~InstanceMutex();
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    // Creates the mutex with initial ownership; when it already existed the
    // handle is dropped, which tells the caller another instance runs.
    void Acquire();
    bool IsHeld() const { return handle_ != nullptr; }
    HANDLE Handle() const { return handle_; }
    // Releases and closes a held mutex.
    void Release();
    std::wstring Name() const { return std::wstring(kPrefix) + suffix_; }

private:
    std::wstring suffix_;
    HANDLE handle_ = nullptr;
};

} // namespace Utils

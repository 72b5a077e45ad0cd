#include "utils/InstanceMutex.h"

namespace Utils {

InstanceMutex::InstanceMutex(const std::wstring& nameSuffix) : suffix_(nameSuffix) {}

InstanceMutex::~InstanceMutex() {
    Release();
}

void InstanceMutex::Acquire() {
    if (handle_) return;
    handle_ = ::CreateMutexW(nullptr, TRUE, Name().c_str());
    if (handle_ && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(handle_);
        handle_ = nullptr;
    }
}

void InstanceMutex::Release() {
    if (!handle_) return;
    ::ReleaseMutex(handle_);
    ::CloseHandle(handle_);
    handle_ = nullptr;
}

} // namespace Utils

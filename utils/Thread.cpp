#include "utils/Thread.h"

#include <process.h>

#include "utils/Log.h"
#include "utils/Text.h"

namespace Utils {

namespace {

constexpr DWORD kSetThreadNameCode = 0x406D1388;

#pragma pack(push, 8)
struct ThreadNameInfo {
    DWORD type;        // 0x1000
    LPCSTR name;
    DWORD threadId;
    DWORD flags;
};
#pragma pack(pop)

// Without a debugger nobody claims the naming exception: swallow it here so it
// never reaches the crash filter.
LONG CALLBACK IgnoreThreadNameException(PEXCEPTION_POINTERS info) {
    if (info->ExceptionRecord->ExceptionCode == kSetThreadNameCode) return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

Thread::Thread(void* argument, const std::wstring& name, Callback callback)
    : callback_(std::move(callback)), argument_(argument), name_(name) {
    unsigned id = 0;
    const uintptr_t handle = _beginthreadex(nullptr, 0, &Thread::CallBack, this, CREATE_SUSPENDED, &id);
    if (!handle) return;
    handle_ = reinterpret_cast<HANDLE>(handle);
    id_ = id;
    const std::string debuggerName = name_.empty() ? "t" + std::to_string(id_) : ToNarrow(name_, CP_ACP);
    SetDebuggerName(id_, debuggerName);
}

Thread::~Thread() {
    if (handle_) {
        if (!resumed_) {
            // Never started: waiting would never end, and its work must not run now.
            ::TerminateThread(handle_, 0);
        }
        ::WaitForSingleObject(handle_, INFINITE);
        ::CloseHandle(handle_);
        handle_ = nullptr;
    }
    name_.clear();
    callback_ = nullptr;
}

bool Thread::Resume() {
    if (!handle_) return false;
    if (::ResumeThread(handle_) == static_cast<DWORD>(-1)) return false;
    resumed_ = true;
    return true;
}

void Thread::Join() {
    if (!handle_) return;
    if (!resumed_) ::TerminateThread(handle_, 0);
    ::WaitForSingleObject(handle_, INFINITE);
    ::CloseHandle(handle_);
    handle_ = nullptr;
    id_ = 0xFFFFFFFF;
}

unsigned __stdcall Thread::CallBack(void* self) {
    auto* thread = static_cast<Thread*>(self);
    LogLine(L"THREAD BEGIN");
    thread->callback_(thread->argument_);
    LogLine(L"THREAD END");
    return 0;
}

void Thread::SetDebuggerName(DWORD threadId, const std::string& name) {
    ThreadNameInfo info{0x1000, name.c_str(), threadId, 0};
    PVOID handler = ::AddVectoredExceptionHandler(1, IgnoreThreadNameException);
    if (!handler && !::IsDebuggerPresent()) return;
    ::RaiseException(kSetThreadNameCode, 0, sizeof(info) / sizeof(ULONG_PTR),
                     reinterpret_cast<const ULONG_PTR*>(&info));
    if (handler) ::RemoveVectoredExceptionHandler(handler);
}

} // namespace Utils

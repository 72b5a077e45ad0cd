#pragma once
// Diagnostic lines for the debugger output: a fixed prefix (process, thread,
// local time, function, source line) and the caller's message, formatted as
// one wide format string. There is no file and no level.
#include <windows.h>
#include <string>

namespace Utils {

// The eleven-argument prefix every line starts with.
extern const wchar_t* const kLogPrefix;

// Formats a complete wide format string (Microsoft conventions: %s is wide)
// and sends it to OutputDebugStringW. A line that cannot be allocated is dropped.
void DebugOutput(const wchar_t* format, ...);

// The same formatting, returned instead of sent; empty when it fails.
std::wstring FormatText(const wchar_t* format, ...);

// The qualified function name taken from the compiler's signature text
// ("static unsigned int Utils::Thread::CallBack(void*)" gives
// "Utils::Thread::CallBack"). Inside a lambda, the enclosing method's name,
// "::", the callback's name and "::operator ()".
std::wstring FunctionTag(const char* prettyFunction, const wchar_t* callbackName = nullptr);

} // namespace Utils

#define VQ_LOG_WRITE_(tag, ending, message, ...)                                          \
    do {                                                                                  \
        SYSTEMTIME vqLogTime_;                                                            \
        ::GetLocalTime(&vqLogTime_);                                                      \
        const std::wstring vqLogFormat_ =                                                 \
            std::wstring(::Utils::kLogPrefix) + (message) + (ending);                     \
        const std::wstring vqLogTag_ = (tag);                                             \
        ::Utils::DebugOutput(vqLogFormat_.c_str(), static_cast<int>(::GetCurrentProcessId()), \
                             static_cast<int>(::GetCurrentThreadId()),                    \
                             static_cast<int>(vqLogTime_.wYear), static_cast<int>(vqLogTime_.wMonth), \
                             static_cast<int>(vqLogTime_.wDay), static_cast<int>(vqLogTime_.wHour), \
                             static_cast<int>(vqLogTime_.wMinute), static_cast<int>(vqLogTime_.wSecond), \
                             static_cast<int>(vqLogTime_.wMilliseconds), vqLogTag_.c_str(), \
                             static_cast<int>(__LINE__), ##__VA_ARGS__);                  \
    } while (0)

// A message with "\r\n" appended.
#define LogLine(message, ...) \
    VQ_LOG_WRITE_(::Utils::FunctionTag(__PRETTY_FUNCTION__), L"\r\n", message, ##__VA_ARGS__)
// A message as it stands; it carries its own line end when it wants one.
#define LogText(message, ...) \
    VQ_LOG_WRITE_(::Utils::FunctionTag(__PRETTY_FUNCTION__), L"", message, ##__VA_ARGS__)
// The two forms inside a callback (lambda) named `callback` within its method.
#define LogLineIn(callback, message, ...) \
    VQ_LOG_WRITE_(::Utils::FunctionTag(__PRETTY_FUNCTION__, callback), L"\r\n", message, ##__VA_ARGS__)
#define LogTextIn(callback, message, ...) \
    VQ_LOG_WRITE_(::Utils::FunctionTag(__PRETTY_FUNCTION__, callback), L"", message, ##__VA_ARGS__)

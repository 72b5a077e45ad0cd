#pragma once
// One worker thread, created suspended and named for an attached debugger.
#include <windows.h>

#include <functional>
#include <string>

namespace Utils {

class Thread {
public:
    using Callback = std::function<void(void*)>;

    // Creates the thread suspended; Resume starts the work.
    Thread(void* argument, const std::wstring& name, Callback callback);
    // Waits without limit for a running thread.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    bool Resume();
    // Waits without limit for the end, then closes the handle. Never call it
    // from the thread itself.
    void Join();

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return handle_; }
    const std::wstring& Name() const { return name_; }

private:
    static unsigned __stdcall CallBack(void* self);
    static void SetDebuggerName(DWORD threadId, const std::string& name);

    DWORD id_ = 0xFFFFFFFF;
    HANDLE handle_ = nullptr;
    Callback callback_;
    void* argument_ = nullptr;
    std::wstring name_;
    bool resumed_ = false;
};

} // namespace Utils

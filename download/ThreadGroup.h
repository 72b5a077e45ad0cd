#pragma once
// Every thread a downloader runs, owned so that destruction can wait for them.
// Each worker begins a new attempt; the threads a worker starts belong to its
// attempt. A worker waits for every thread of earlier attempts before its own
// work, so that an attempt requested from inside one of the group's threads
// (a receiver restarting from a notification) or while one runs begins only
// after the earlier one has ended, and nobody waits for itself.
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "utils/Thread.h"

class ThreadGroup {
public:
    ThreadGroup() = default;
    ~ThreadGroup();
    ThreadGroup(const ThreadGroup&) = delete;
    ThreadGroup& operator=(const ThreadGroup&) = delete;

    // A Utils::Thread named "ABDEF" that first waits for every thread of the
    // earlier attempts. False once the group is closed or the thread cannot be made.
    bool StartWorker(std::function<void()> body);
    // A plain thread of the calling thread's attempt that starts at once.
    // False once closed or on failure.
    bool StartHelper(std::function<void()> body);

    // Waits for every thread except the calling one.
    void WaitAll();
    // Accepts no more threads, then waits for every thread except the calling one.
    void Close();

private:
    struct Entry {
        DWORD id = 0;
        HANDLE handle = nullptr;                 // owned unless worker holds it
        std::unique_ptr<Utils::Thread> worker;   // set for "ABDEF" workers
        unsigned attempt = 0;
    };
    static void Release(Entry& entry);
    static unsigned __stdcall HelperMain(void* body);
    void PruneLocked();
    // Waits for the running threads of attempts before `attempt` (all when 0), never for the caller.
    void WaitBefore(unsigned attempt);

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    bool closed_ = false;
    unsigned attempts_ = 0;
};

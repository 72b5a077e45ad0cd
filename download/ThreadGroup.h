#pragma once
// Every thread a downloader runs, owned so that destruction can wait for them.
// A new attempt may be requested from inside one of the group's own threads
// (a receiver restarting from a notification); the new worker then waits for
// the threads already running, including the caller, instead of the caller
// waiting for itself.
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

    // A Utils::Thread named "ABDEF" that first waits for every thread the
    // group is running. False once the group is closed or the thread cannot be made.
    bool StartWorker(std::function<void()> body);
    // A plain thread that starts at once. False once closed or on failure.
    bool StartHelper(std::function<void()> body);

    // True when the calling thread is one of the group's.
    bool IsMember() const;
    // Waits for every thread except the calling one.
    void WaitAll();
    // Accepts no more threads, then waits for every thread except the calling one.
    void Close();

private:
    struct Entry {
        DWORD id = 0;
        HANDLE handle = nullptr;                 // owned unless worker holds it
        std::unique_ptr<Utils::Thread> worker;   // set for "ABDEF" workers
    };
    static void Release(Entry& entry);
    static unsigned __stdcall HelperMain(void* body);
    void PruneLocked();
    std::vector<HANDLE> DuplicateRunningLocked() const;

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    bool closed_ = false;
};

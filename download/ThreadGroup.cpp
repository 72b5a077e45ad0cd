#include "download/ThreadGroup.h"

#include <process.h>

ThreadGroup::~ThreadGroup() {
    Close();
}

bool ThreadGroup::StartWorker(std::function<void()> body) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    PruneLocked();
    std::vector<HANDLE> earlier = DuplicateRunningLocked();
    auto thread = std::make_unique<Utils::Thread>(nullptr, L"ABDEF", [earlier, body](void*) {
        for (HANDLE handle : earlier) {
            ::WaitForSingleObject(handle, INFINITE);
            ::CloseHandle(handle);
        }
        body();
    });
    if (!thread->Handle()) {
        for (HANDLE handle : earlier) ::CloseHandle(handle);
        return false;
    }
    Entry entry;
    entry.id = thread->Id();
    entry.handle = thread->Handle();
    entry.worker = std::move(thread);
    entries_.push_back(std::move(entry));
    if (!entries_.back().worker->Resume()) {
        // Never ran: its copies of the handles are ours to close.
        for (HANDLE handle : earlier) ::CloseHandle(handle);
        entries_.pop_back();
        return false;
    }
    return true;
}

unsigned __stdcall ThreadGroup::HelperMain(void* body) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(body));
    (*work)();
    return 0;
}

bool ThreadGroup::StartHelper(std::function<void()> body) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    PruneLocked();
    auto* work = new std::function<void()>(std::move(body));
    unsigned id = 0;
    const uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadGroup::HelperMain, work, 0, &id);
    if (!handle) {
        delete work;
        return false;
    }
    Entry entry;
    entry.id = id;
    entry.handle = reinterpret_cast<HANDLE>(handle);
    entries_.push_back(std::move(entry));
    return true;
}

bool ThreadGroup::IsMember() const {
    const DWORD self = ::GetCurrentThreadId();
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Entry& entry : entries_) {
        if (entry.id == self) return true;
    }
    return false;
}

void ThreadGroup::WaitAll() {
    const DWORD self = ::GetCurrentThreadId();
    for (;;) {
        std::vector<HANDLE> running;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            PruneLocked();
            const HANDLE process = ::GetCurrentProcess();
            for (const Entry& entry : entries_) {
                HANDLE copy = nullptr;
                if (entry.id != self &&
                    ::DuplicateHandle(process, entry.handle, process, &copy, SYNCHRONIZE, FALSE, 0)) {
                    running.push_back(copy);
                }
            }
        }
        if (running.empty()) return;
        for (HANDLE handle : running) {
            ::WaitForSingleObject(handle, INFINITE);
            ::CloseHandle(handle);
        }
    }
}

void ThreadGroup::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    WaitAll();
    std::lock_guard<std::mutex> lock(mutex_);
    const DWORD self = ::GetCurrentThreadId();
    for (Entry& entry : entries_) {
        if (entry.id == self) {
            // The owner is being destroyed from one of its own threads: that
            // thread cannot wait for itself, so its record is left to it.
            if (entry.worker) entry.worker.release();
            else ::CloseHandle(entry.handle);
            continue;
        }
        Release(entry);
    }
    entries_.clear();
}

void ThreadGroup::Release(Entry& entry) {
    if (entry.worker) {
        entry.worker.reset();  // waits; the thread has ended already
    } else if (entry.handle) {
        ::WaitForSingleObject(entry.handle, INFINITE);
        ::CloseHandle(entry.handle);
    }
    entry.handle = nullptr;
}

void ThreadGroup::PruneLocked() {
    for (size_t i = 0; i < entries_.size();) {
        if (::WaitForSingleObject(entries_[i].handle, 0) == WAIT_OBJECT_0) {
            Release(entries_[i]);
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

std::vector<HANDLE> ThreadGroup::DuplicateRunningLocked() const {
    std::vector<HANDLE> copies;
    const HANDLE process = ::GetCurrentProcess();
    for (const Entry& entry : entries_) {
        HANDLE copy = nullptr;
        if (::DuplicateHandle(process, entry.handle, process, &copy, SYNCHRONIZE, FALSE, 0)) copies.push_back(copy);
    }
    return copies;
}

#include "download/ThreadGroup.h"

#include <process.h>

ThreadGroup::~ThreadGroup() {
    Close();
}

bool ThreadGroup::StartWorker(std::function<void()> body) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    PruneLocked();
    const unsigned attempt = ++attempts_;
    auto thread = std::make_unique<Utils::Thread>(nullptr, L"ABDEF", [this, attempt, body](void*) {
        WaitBefore(attempt);
        body();
    });
    if (!thread->Handle()) return false;
    Entry entry;
    entry.id = thread->Id();
    entry.handle = thread->Handle();
    entry.worker = std::move(thread);
    entry.attempt = attempt;
    entries_.push_back(std::move(entry));
    if (!entries_.back().worker->Resume()) {
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
    unsigned attempt = attempts_;
    const DWORD self = ::GetCurrentThreadId();
    for (const Entry& entry : entries_) {
        if (entry.id == self) attempt = entry.attempt;
    }
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
    entry.attempt = attempt;
    entries_.push_back(std::move(entry));
    return true;
}

void ThreadGroup::WaitBefore(unsigned attempt) {
    const DWORD self = ::GetCurrentThreadId();
    // Threads of those attempts may still start others of theirs: look again until none runs.
    for (;;) {
        std::vector<HANDLE> running;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            PruneLocked();
            const HANDLE process = ::GetCurrentProcess();
            for (const Entry& entry : entries_) {
                if (entry.id == self || (attempt != 0 && entry.attempt >= attempt)) continue;
                HANDLE copy = nullptr;
                if (::DuplicateHandle(process, entry.handle, process, &copy, SYNCHRONIZE, FALSE, 0)) {
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

void ThreadGroup::WaitAll() {
    WaitBefore(0);
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
        entry.worker.reset();  // the thread has ended already
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

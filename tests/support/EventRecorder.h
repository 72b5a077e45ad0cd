#pragma once
// Collects (code, value, text) status calls from any thread and waits for them.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace TestSupport {

struct StatusEvent {
    int code;
    double value;
    std::wstring text;
    DWORD threadId;
};

class EventRecorder {
public:
    std::function<void(int, double, const wchar_t*)> Callback() {
        return [this](int code, double value, const wchar_t* text) { Add(code, value, text ? text : L""); };
    }

    void Add(int code, double value, const std::wstring& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back({code, value, text, ::GetCurrentThreadId()});
        changed_.notify_all();
    }

    // Waits until an event with one of the codes arrives; false on time-out.
    bool WaitForAny(std::initializer_list<int> codes, int timeoutMs = 30000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const auto& e : events_)
                for (int c : codes)
                    if (e.code == c) return true;
            return false;
        });
    }

    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.clear();
    }

    std::vector<StatusEvent> Events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const auto& e : Events()) codes.push_back(e.code);
        return codes;
    }

    std::string Describe() const {
        std::ostringstream out;
        for (const auto& e : Events()) {
            out << e.code << " " << e.value << " [";
            for (wchar_t c : e.text) out << (c < 128 ? static_cast<char>(c) : '?');
            out << "]\n";
        }
        return out.str();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<StatusEvent> events_;
};

} // namespace TestSupport

#include "utils/Stopwatch.h"

#include <windows.h>

namespace Utils {

void Stopwatch::Start() {
    startTick_ = ::GetTickCount();
    running_ = true;
}

void Stopwatch::Stop() {
    running_ = false;
}

float Stopwatch::ElapsedSeconds() const {
    if (!running_) return 0.0f;
    const DWORD elapsed = ::GetTickCount() - static_cast<DWORD>(startTick_);
    return static_cast<float>(elapsed) / 1000.0f;
}

} // namespace Utils

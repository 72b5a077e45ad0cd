#pragma once

namespace Utils {

class Stopwatch {
public:
    void Start();
    void Stop();
    bool IsRunning() const { return running_; }
    // Seconds since Start while running (survives the tick counter's wrap); 0 otherwise.
    float ElapsedSeconds() const;

private:
    unsigned long startTick_ = 0;
    bool running_ = false;
};

} // namespace Utils

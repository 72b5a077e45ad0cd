// Writes known log lines through the real facility, for the capture test.
#include <windows.h>

#include <cstdio>

#include "utils/Log.h"
#include "utils/Thread.h"

namespace Probe {
struct Widget {
    static void Report(int value) { LogLine(L"value=%d name=%s pct=100%%", value, L"\u5b89\u88c5"); }
    static void Bare() { LogText(L"no line end"); }
};
} // namespace Probe

int main() {
    Probe::Widget::Report(42);
    Probe::Widget::Bare();
    Utils::Thread thread(nullptr, L"ABDEF", [](void*) {});
    thread.Resume();
    thread.Join();
    Utils::Thread unnamed(nullptr, L"", [](void*) {});
    std::printf("unnamed %lu\n", static_cast<unsigned long>(unnamed.Id()));
    std::fflush(stdout);
    unnamed.Resume();
    unnamed.Join();
    auto callback = [] { LogLineIn(L"downloadCallback", L"inside"); };
    callback();
    return 7;
}

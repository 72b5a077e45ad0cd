#include "analytics/sdk/Diagnostics.h"

#include <cstdio>
#include <mutex>

namespace analytics_sdk {
namespace {
std::mutex& SinkLock() {
    static std::mutex lock;
    return lock;
}
DiagnosticSink& Sink() {
    static DiagnosticSink sink;
    return sink;
}
} // namespace

void Diagnostic(const std::string& message) {
    std::lock_guard<std::mutex> guard(SinkLock());
    if (Sink()) {
        Sink()(message);
        return;
    }
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void SetDiagnosticSink(DiagnosticSink sink) {
    std::lock_guard<std::mutex> guard(SinkLock());
    Sink() = std::move(sink);
}

} // namespace analytics_sdk

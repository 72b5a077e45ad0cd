#pragma once
#include <atomic>
#include <cstdint>
#include <string>

namespace tandry {
namespace tracking {

// Paths are UTF-8; dataDir always ends with a backslash.
struct TrackerState {
    bool isLogined = false;
    std::string UserId;
    std::string DistinctId;
    std::string PrimaryDistinctId;
    int UserVipLevel = 0;
    std::string eventLogPath;
    std::string dataDir;
    std::string configurePath;
    std::string URL;
    // Gates uploads: a flush-now trigger sends only while it is above 0.
    std::atomic<int32_t> pending{0};
};

} // namespace tracking
} // namespace tandry

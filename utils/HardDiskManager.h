#pragma once
#include <string>

namespace Utils {

// Free and total space of the volume that holds a folder.
class HardDiskManager {
public:
    virtual ~HardDiskManager() = default;

    // Stores the three counts and answers true; on failure logs the system
    // error and keeps the counts of the last successful check.
    bool CheckFreeSpace(const std::wstring& folder);

    unsigned long long FreeBytesAvailable() const { return freeToCaller_; }
    unsigned long long TotalBytes() const { return total_; }
    unsigned long long TotalFreeBytes() const { return totalFree_; }

private:
    unsigned long long freeToCaller_ = 0;
    unsigned long long total_ = 0;
    unsigned long long totalFree_ = 0;
};

} // namespace Utils

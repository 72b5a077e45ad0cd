#include "utils/HardDiskManager.h"

#include <windows.h>

#include "utils/Log.h"

namespace Utils {

bool HardDiskManager::CheckFreeSpace(const std::wstring& folder) {
    ULARGE_INTEGER freeToCaller{}, total{}, totalFree{};
    if (!::GetDiskFreeSpaceExW(folder.c_str(), &freeToCaller, &total, &totalFree)) {
        LogText(L"HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n", static_cast<long>(::GetLastError()));
        return false;
    }
    freeToCaller_ = freeToCaller.QuadPart;
    total_ = total.QuadPart;
    totalFree_ = totalFree.QuadPart;
    return true;
}

} // namespace Utils

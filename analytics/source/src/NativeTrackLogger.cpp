#include "analytics/source/src/TrackLogger.h"

#include "utils/Text.h"

namespace tandry {
namespace tracking {

NativeTrackLogger::NativeTrackLogger(const std::string& path) : path_(path) {
    const std::wstring wide = Utils::ToWide(path, CP_UTF8);
    if (wide.empty()) return;
    file_ = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

NativeTrackLogger::~NativeTrackLogger() {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
}

} // namespace tracking
} // namespace tandry

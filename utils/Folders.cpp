#include "utils/Folders.h"

#include <windows.h>

namespace Utils {

namespace {

constexpr size_t kMaxPath = 260;

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EnsureDirectory(const std::wstring& path) {
    if (IsDirectory(path)) return true;
    if (::CreateDirectoryW(path.c_str(), nullptr)) return true;
    // Another process may have made it meanwhile.
    return ::GetLastError() == ERROR_ALREADY_EXISTS && IsDirectory(path);
}

} // namespace

bool CreateDirectories(const std::wstring& path) {
    if (path.size() > kMaxPath) return false;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != L'\\') continue;
        const std::wstring prefix = path.substr(0, i + 1);
        // A drive ("C:\") or the root of the current drive ("\") already exists.
        if (prefix.size() <= 3 && IsDirectory(prefix)) continue;
        if (!EnsureDirectory(prefix)) return false;
    }
    if (!path.empty() && path.back() != L'\\' && !EnsureDirectory(path)) return false;
    return true;
}

std::wstring GetTempFolder() {
    wchar_t buffer[kMaxPath + 1] = {};
    const DWORD length = ::GetTempPathW(kMaxPath, buffer);
    if (length == 0 || length > kMaxPath) return std::wstring();
    std::wstring folder(buffer, length);
    if (folder.back() != L'\\') folder += L'\\';
    folder += L"~TandryTemp.92482B06FB471E17\\";
    if (folder.size() > kMaxPath) return std::wstring();
    if (!IsDirectory(folder) && !CreateDirectories(folder)) return std::wstring();
    return folder;
}

} // namespace Utils

#include "utils/Registry.h"

#include <windows.h>

#include <vector>

namespace Utils {

const wchar_t* const kRegistryKey = L"Software\\TandrySoft\\Velquor";

bool WriteRegistryString(const std::wstring& valueName, const std::wstring& text) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result =
        ::RegSetValueExW(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool ReadRegistryString(const std::wstring& valueName, unsigned long& type, std::wstring& text) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD valueType = 0, bytes = 0;
    bool ok = false;
    if (::RegQueryValueExW(key, valueName.c_str(), nullptr, &valueType, nullptr, &bytes) == ERROR_SUCCESS) {
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1 + 1, L'\0');
        DWORD size = bytes;
        if (::RegQueryValueExW(key, valueName.c_str(), nullptr, &valueType, reinterpret_cast<BYTE*>(buffer.data()),
                               &size) == ERROR_SUCCESS) {
            type = valueType;
            text = buffer.data();
            ok = true;
        }
    }
    ::RegCloseKey(key);
    return ok;
}

} // namespace Utils

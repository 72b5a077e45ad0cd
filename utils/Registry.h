#pragma once
// String values under the installer's key HKCU\Software\TandrySoft\Velquor.
#include <string>

namespace Utils {

extern const wchar_t* const kRegistryKey;

bool WriteRegistryString(const std::wstring& valueName, const std::wstring& text);
// The value's text (terminated even when the stored data is not) and its type.
bool ReadRegistryString(const std::wstring& valueName, unsigned long& type, std::wstring& text);

} // namespace Utils

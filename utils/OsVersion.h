#pragma once
// Naming the running Windows version and telling a 64-bit system.
#include <string>

namespace Utils {

// family is always "Windows"; name as OsVersionNameFor of the numbers that
// RtlGetNtVersionNumbers reports ("XP-" when they cannot be read).
void GetOsVersionName(std::wstring& family, std::wstring& name);

// The naming table on its own.
std::wstring OsVersionNameFor(unsigned long major, unsigned long minor, unsigned long build, bool serverR2);

// The WOW64 answer when the query exists; when it fails, the native
// processor architecture; false when the query does not exist.
void Is64BitOs(bool& is64);

} // namespace Utils

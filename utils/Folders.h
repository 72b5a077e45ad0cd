#pragma once
#include <string>

namespace Utils {

// "~TandryTemp.92482B06FB471E17\" inside the user's temporary folder, created
// when missing, ending in a backslash; empty when it cannot be had.
std::wstring GetTempFolder();

// Creates every missing folder along a backslash-separated path (a last
// component after the final backslash too). False for a path over 260
// characters or when a folder cannot be created.
bool CreateDirectories(const std::wstring& path);

} // namespace Utils

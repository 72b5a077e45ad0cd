#pragma once
#include <string>

namespace Utils {

// A fresh GUID as 32 hexadecimal digits, no separators; the third group in
// lower case, the others upper case. Empty when no GUID can be made.
std::wstring NewGuidText();

} // namespace Utils

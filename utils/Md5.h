#pragma once
#include <string>

namespace Utils {

// MD5 of a file's bytes as 32 lower-case hexadecimal digits. The path is in
// the system code page. Empty when the path is empty or the file cannot be read.
std::string FileMd5Hex(const std::string& path);

} // namespace Utils

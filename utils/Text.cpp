#include "utils/Text.h"

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwctype>

namespace Utils {

std::wstring ToWide(const std::string& text, unsigned int codePage) {
    if (text.empty()) return std::wstring();
    const int size = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring result(static_cast<size_t>(size), L'\0');
    if (::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0], size) != size)
        return std::wstring();
    return result;
}

std::string ToNarrow(const std::wstring& text, unsigned int codePage) {
    if (text.empty()) return std::string();
    const int size = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string result(static_cast<size_t>(size), '\0');
    if (::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0], size, nullptr,
                              nullptr) != size)
        return std::string();
    return result;
}

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && std::iswspace(text[begin])) ++begin;
    while (end > begin && std::iswspace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string Trim(const std::string& text) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    size_t begin = 0, end = text.size();
    while (begin < end && space(text[begin])) ++begin;
    while (end > begin && space(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string UrlEncode(const std::wstring& text) {
    static const char kHex[] = "0123456789ABCDEF";
    const std::string utf8 = ToNarrow(text, CP_UTF8);
    std::string out;
    out.reserve(utf8.size() * 3);
    for (unsigned char c : utf8) {
        if (c >= 33 && c <= 126) {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::wstring ToDecimalText(unsigned long long number) {
    return std::to_wstring(number);
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return text;
    if (to.find(from) != std::wstring::npos) {
        // Restarting from the beginning would never end; one left-to-right pass instead.
        size_t pos = 0;
        while ((pos = text.find(from, pos)) != std::wstring::npos) {
            text.replace(pos, from.size(), to);
            pos += to.size();
        }
        return text;
    }
    size_t pos;
    while ((pos = text.find(from)) != std::wstring::npos) text.replace(pos, from.size(), to);
    return text;
}

std::string UrlParentSegment(const std::string& url) {
    const size_t last = url.rfind('/');
    if (last == std::string::npos || last == 0) return std::string();
    const size_t before = url.rfind('/', last - 1);
    if (before == std::string::npos) return std::string();
    return url.substr(before + 1, last - before - 1);
}

namespace {

// Length of the decimal number at the start of text (after white space), 0 when none.
size_t DecimalPrefix(const std::wstring& text, size_t& begin, bool allowFraction) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    begin = i;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    size_t digits = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') ++i, ++digits;
    if (allowFraction && i < text.size() && text[i] == L'.') {
        ++i;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (allowFraction && i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) ++j;
        size_t expDigits = 0;
        while (j < text.size() && text[j] >= L'0' && text[j] <= L'9') ++j, ++expDigits;
        if (expDigits) i = j;
    }
    return i - begin;
}

} // namespace

bool ParseLeadingInt(const std::wstring& text, int& value) {
    size_t begin = 0;
    const size_t length = DecimalPrefix(text, begin, false);
    if (length == 0) return false;
    const std::wstring number = text.substr(begin, length);
    errno = 0;
    wchar_t* end = nullptr;
    const long long parsed = std::wcstoll(number.c_str(), &end, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseLeadingDouble(const std::wstring& text, double& value) {
    size_t begin = 0;
    const size_t length = DecimalPrefix(text, begin, true);
    if (length == 0) return false;
    const std::string number(text.begin() + static_cast<std::ptrdiff_t>(begin),
                             text.begin() + static_cast<std::ptrdiff_t>(begin + length));
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(number.c_str(), &end);
    if (errno == ERANGE && std::fabs(parsed) > 1.0) return false;
    if (!std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

} // namespace Utils

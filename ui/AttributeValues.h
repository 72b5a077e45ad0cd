#pragma once
// Reading attribute values written in skin documents.
#include <windows.h>

#include <string>

namespace SkinUI {

// Decimal with the standard text-to-long rules: leading white space and a
// sign allowed, reading stops at the first non-digit; 0 when nothing is read.
// `end` (optional) receives the position after the number.
long ParseLong(const wchar_t* text, const wchar_t** end = nullptr);

// "a,b" and "l,t,r,b": one separator character between numbers, each number
// may be preceded by white space. Missing numbers read as 0.
SIZE ParseSize(const std::wstring& text);
RECT ParseRect(const std::wstring& text);

// "#AARRGGBB", "0xAARRGGBB" or bare hexadecimal, as one unsigned 32-bit number.
DWORD ParseColor(const std::wstring& text);

// Controls: only the exact text "true". Windows, fonts and a few window
// settings: "true" in any letter case.
inline bool ParseControlBool(const std::wstring& text) { return text == L"true"; }
bool ParseWindowBool(const std::wstring& text);

// Case-insensitive equality of two texts (the system's locale-aware rules).
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

// The attribute list form: name="value" pairs separated by white space.
// Returns the pairs in document order; stops at the first malformed pair.
template <typename Callback>
void ForEachAttributeInList(const std::wstring& list, Callback callback) {
    size_t i = 0;
    const size_t n = list.size();
    while (i < n) {
        while (i < n && list[i] <= L' ') ++i;
        if (i >= n) break;
        size_t nameStart = i;
        while (i < n && list[i] != L'=' && list[i] > L' ') ++i;
        std::wstring name = list.substr(nameStart, i - nameStart);
        while (i < n && list[i] <= L' ') ++i;
        if (i >= n || list[i] != L'=' || name.empty()) break;
        ++i;
        while (i < n && list[i] <= L' ') ++i;
        if (i >= n || list[i] != L'"') break;
        ++i;
        size_t valueStart = i;
        while (i < n && list[i] != L'"') ++i;
        if (i >= n) break;
        std::wstring value = list.substr(valueStart, i - valueStart);
        ++i;
        callback(name, value);
    }
}

} // namespace SkinUI

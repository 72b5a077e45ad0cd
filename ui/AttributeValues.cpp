#include "ui/AttributeValues.h"

#include <cwchar>
#include <cwctype>

namespace SkinUI {

long ParseLong(const wchar_t* text, const wchar_t** end) {
    wchar_t* stop = nullptr;
    long value = std::wcstol(text, &stop, 10);
    if (end) *end = stop;
    return value;
}

namespace {

// Reads up to `count` numbers, each after one separator character.
void ParseNumbers(const std::wstring& text, long* out, int count) {
    const wchar_t* p = text.c_str();
    for (int i = 0; i < count; ++i) {
        out[i] = 0;
        if (*p == L'\0') continue;
        const wchar_t* end = nullptr;
        out[i] = ParseLong(p, &end);
        if (end == p) {
            // Not a number: nothing more can be read.
            for (int j = i + 1; j < count; ++j) out[j] = 0;
            return;
        }
        p = end;
        if (*p != L'\0') ++p;  // the one separator
    }
}

} // namespace

SIZE ParseSize(const std::wstring& text) {
    long v[2];
    ParseNumbers(text, v, 2);
    return SIZE{v[0], v[1]};
}

RECT ParseRect(const std::wstring& text) {
    long v[4];
    ParseNumbers(text, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

DWORD ParseColor(const std::wstring& text) {
    const wchar_t* p = text.c_str();
    while (*p != L'\0' && *p <= L' ') ++p;
    if (*p == L'#') ++p;
    return static_cast<DWORD>(std::wcstoul(p, nullptr, 16));
}

bool ParseWindowBool(const std::wstring& text) { return EqualsNoCase(text, L"true"); }

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                            b.c_str(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

} // namespace SkinUI

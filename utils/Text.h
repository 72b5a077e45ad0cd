#pragma once
// Text conversions and small text helpers.
#include <string>

namespace Utils {

// Code page 0 is the system's default code page, 65001 UTF-8. Empty on failure.
std::wstring ToWide(const std::string& text, unsigned int codePage);
std::string ToNarrow(const std::wstring& text, unsigned int codePage);

std::wstring Trim(const std::wstring& text);
std::string Trim(const std::string& text);

// UTF-8, then byte by byte: 33..126 kept, space as "+", the rest "%XX".
std::string UrlEncode(const std::wstring& text);

std::wstring ToDecimalText(unsigned long long number);

// Every occurrence, searching again from the start after each replacement.
std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to);

// The text between the last two "/" (the folder holding the file of a URL).
std::string UrlParentSegment(const std::string& url);

// Leading decimal number of a text (white space and a sign allowed, the rest
// ignored). False when the text does not begin with a number that fits.
bool ParseLeadingInt(const std::wstring& text, int& value);
// Decimal only: no hexadecimal, no "inf" or "nan". False when the text does
// not begin with a number or the number is outside a double's range.
bool ParseLeadingDouble(const std::wstring& text, double& value);

} // namespace Utils

#include "utils/Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace Utils {

const wchar_t* const kLogPrefix =
    L"<P%05d><T%05d><%04d-%02d-%02d %02d:%02d:%02d.%03d>(%s)<%04d>: ";

namespace {

// msvcrt's own wide formatter: %s takes a wide string whatever the C99 switch says.
wchar_t* FormatAlloc(const wchar_t* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int needed = _vscwprintf(format, measure);
    va_end(measure);
    if (needed < 0) return nullptr;
    const size_t size = static_cast<size_t>(needed) + 2;
    auto* buffer = static_cast<wchar_t*>(std::malloc(size * sizeof(wchar_t)));
    if (!buffer) return nullptr;
    const int written = _vsnwprintf(buffer, size, format, args);
    if (written < 0) {
        std::free(buffer);
        return nullptr;
    }
    buffer[size - 1] = L'\0';
    return buffer;
}

} // namespace

void DebugOutput(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    wchar_t* text = FormatAlloc(format, args);
    va_end(args);
    if (!text) return;
    ::OutputDebugStringW(text);
    std::free(text);
}

std::wstring FormatText(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    wchar_t* text = FormatAlloc(format, args);
    va_end(args);
    if (!text) return std::wstring();
    std::wstring result(text);
    std::free(text);
    return result;
}

std::wstring FunctionTag(const char* prettyFunction, const wchar_t* callbackName) {
    std::string text(prettyFunction ? prettyFunction : "");
    const size_t with = text.find(" [with ");
    if (with != std::string::npos) text.erase(with);

    // The function's own parameter list is the first "(" outside template brackets.
    int depth = 0;
    size_t open = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<') ++depth;
        else if (c == '>' && depth > 0) --depth;
        else if (c == '(' && depth == 0) { open = i; break; }
    }
    std::string name = text.substr(0, open);
    // Drop the return type and specifiers: the name starts after the last
    // space outside template brackets.
    depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '<') ++depth;
        else if (c == '>' && depth > 0) --depth;
        else if (c == ' ' && depth == 0) start = i + 1;
    }
    name = name.substr(start);

    std::wstring tag(name.begin(), name.end());
    const bool inLambda = open != std::string::npos && text.find("::<lambda", open) != std::string::npos;
    if (inLambda || callbackName) {
        tag += L"::";
        tag += callbackName ? callbackName : L"lambda";
        tag += L"::operator ()";
    }
    return tag;
}

} // namespace Utils

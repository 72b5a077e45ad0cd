#include "utils/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "utils/Text.h"

namespace Utils {

void CommandLine::Parse(const std::wstring& text) {
    // CommandLineToArgvW answers an empty text with the running program's path.
    if (text.empty()) return;
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(text.c_str(), &count);
    if (!args) return;
    for (int i = 0; i < count; ++i) {
        const std::wstring arg(args[i]);
        const size_t eq = arg.find(L'=');
        if (!arg.empty() && arg[0] == L'-' && eq != std::wstring::npos)
            entries_.emplace(arg.substr(0, eq), arg.substr(eq + 1));
        else
            entries_.emplace(arg, std::wstring());
    }
    ::LocalFree(args);
}

bool CommandLine::Has(const std::wstring& key) const {
    return entries_.count(key) != 0;
}

std::wstring CommandLine::GetString(const std::wstring& key) const {
    const auto it = entries_.find(key);
    return it == entries_.end() ? std::wstring() : it->second;
}

int CommandLine::GetInt(const std::wstring& key) const {
    int value = 0;
    const auto it = entries_.find(key);
    if (it == entries_.end() || !ParseLeadingInt(it->second, value)) return 0;
    return value;
}

bool CommandLine::GetBool(const std::wstring& key) const {
    const auto it = entries_.find(key);
    return it != entries_.end() && it->second == L"true";
}

double CommandLine::GetDouble(const std::wstring& key, double fallback) const {
    double value = 0.0;
    const auto it = entries_.find(key);
    if (it == entries_.end() || !ParseLeadingDouble(it->second, value)) return fallback;
    return value;
}

} // namespace Utils

#pragma once
// The process's "-key=value" options.
#include <map>
#include <string>

namespace Utils {

class CommandLine {
public:
    // Splits by the platform's rules (CommandLineToArgvW); the program path is
    // an entry too. "-key=value" splits at the first "="; anything else is a
    // key with an empty value. The first occurrence of a key wins.
    void Parse(const std::wstring& text);

    bool Has(const std::wstring& key) const;
    std::wstring GetString(const std::wstring& key) const;
    // Leading signed decimal number; 0 when absent, not a number or out of range.
    int GetInt(const std::wstring& key) const;
    // True only for exactly "true".
    bool GetBool(const std::wstring& key) const;
    // Leading decimal number; the fallback when absent or not a number.
    double GetDouble(const std::wstring& key, double fallback) const;

    const std::map<std::wstring, std::wstring>& Entries() const { return entries_; }

private:
    std::map<std::wstring, std::wstring> entries_;
};

} // namespace Utils

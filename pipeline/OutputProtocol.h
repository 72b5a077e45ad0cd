#pragma once
// The key=value line protocol that packages and uninstallers print, and the
// reading of their output in whole lines.
#include <string>
#include <vector>

namespace PipelineProtocol {

// The longest value a line can deliver.
constexpr size_t kMaxValueLength = 771;

// Lines split at line feeds; a carriage return before the feed stays in its line.
std::vector<std::wstring> SplitLines(const std::wstring& text);

// Everything after the key up to the end of the line (a trailing carriage
// return included), at most kMaxValueLength characters.
std::wstring RestOf(const std::wstring& line, size_t keyLength);

// Leading decimal number after the key, 0 when there is none.
double NumberAfter(const std::wstring& line, size_t keyLength);
int IntegerAfter(const std::wstring& line, size_t keyLength);

inline bool StartsWith(const std::wstring& line, const wchar_t* key, size_t& keyLength) {
    keyLength = std::char_traits<wchar_t>::length(key);
    return line.compare(0, keyLength, key) == 0;
}

// Collects a child's output bytes and hands out only complete lines, so a
// line (or a multi-byte character) cut by a read boundary is decoded whole.
class LineBuffer {
public:
    // A line longer than this without a line feed is handed out as it stands.
    static constexpr size_t kMaxPendingBytes = 16384;

    // Adds the bytes of one read (up to its first zero byte) and returns the
    // complete lines among everything collected, decoded with the code page.
    std::wstring Feed(const char* data, size_t size, unsigned int codePage);
    // What is left after the child has ended: the last line without its feed.
    std::wstring Flush(unsigned int codePage);
    bool HasPending() const { return !pending_.empty(); }

private:
    std::string pending_;
};

} // namespace PipelineProtocol

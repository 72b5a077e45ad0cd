#include "pipeline/OutputProtocol.h"

#include <cstring>

#include "utils/Text.h"

namespace PipelineProtocol {

namespace {
// A code page the system cannot decode with (a package may announce any
// number) must not swallow the lines: the keys are ASCII in every code page.
std::wstring Decode(const std::string& bytes, unsigned int codePage) {
    if (bytes.empty()) return std::wstring();
    std::wstring text = Utils::ToWide(bytes, codePage);
    if (text.empty() && codePage != 0) text = Utils::ToWide(bytes, 0);
    return text;
}
} // namespace

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t feed = text.find(L'\n', start);
        if (feed == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    return lines;
}

std::wstring RestOf(const std::wstring& line, size_t keyLength) {
    if (line.size() <= keyLength) return std::wstring();
    return line.substr(keyLength, kMaxValueLength);
}

double NumberAfter(const std::wstring& line, size_t keyLength) {
    double value = 0.0;
    if (line.size() <= keyLength || !Utils::ParseLeadingDouble(line.substr(keyLength), value)) return 0.0;
    return value;
}

int IntegerAfter(const std::wstring& line, size_t keyLength) {
    int value = 0;
    if (line.size() <= keyLength || !Utils::ParseLeadingInt(line.substr(keyLength), value)) return 0;
    return value;
}

std::wstring LineBuffer::Feed(const char* data, size_t size, unsigned int codePage) {
    const void* zero = std::memchr(data, '\0', size);
    if (zero) size = static_cast<size_t>(static_cast<const char*>(zero) - data);
    pending_.append(data, size);
    const size_t lastFeed = pending_.rfind('\n');
    if (lastFeed == std::string::npos) {
        if (pending_.size() < kMaxPendingBytes) return std::wstring();
        return Flush(codePage);
    }
    const std::string complete = pending_.substr(0, lastFeed + 1);
    pending_.erase(0, lastFeed + 1);
    return Decode(complete, codePage);
}

std::wstring LineBuffer::Flush(unsigned int codePage) {
    std::string taken;
    taken.swap(pending_);
    return Decode(taken, codePage);
}

} // namespace PipelineProtocol

#include "pipeline/ProtocolReader.h"

void ProtocolReader::Send(int code, double value, const std::wstring& text) {
    if (m_callback) m_callback(code, value, text.c_str());
}

int ProtocolReader::Feed(const std::string& block) {
    const std::wstring text = m_lines.Feed(block.data(), block.size(), static_cast<unsigned>(m_codePage));
    return text.empty() ? 0 : ParseOutput(text);
}

int ProtocolReader::FinishOutput() {
    if (!m_lines.HasPending()) return 0;
    return ParseOutput(m_lines.Flush(static_cast<unsigned>(m_codePage)));
}

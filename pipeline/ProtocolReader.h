#pragma once
// What the package runner and the uninstaller runner share: the receiver of
// their codes, the code page of the child's output, and reading that output
// in whole lines.
#include <string>

#include "download/Downloader.h"
#include "pipeline/OutputProtocol.h"

class ProtocolReader {
public:
    virtual ~ProtocolReader() = default;
    ProtocolReader(const ProtocolReader&) = delete;
    ProtocolReader& operator=(const ProtocolReader&) = delete;

    // One decoded piece of output: sends what its lines say; 0 no verdict, 1 success, 1000 failure.
    virtual int ParseOutput(const std::wstring& text) = 0;

protected:
    explicit ProtocolReader(StatusCallback callback) : m_callback(std::move(callback)) {}

    void Send(int code, double value, const std::wstring& text = std::wstring());
    // Starts the output of a new child.
    void BeginOutput() { m_lines = PipelineProtocol::LineBuffer(); }
    // The bytes of one read; parses the complete lines among what has arrived.
    int Feed(const std::string& block);
    // After the child has ended: parses the last line, which had no line feed.
    int FinishOutput();

    StatusCallback m_callback;
    int m_codePage = 0;

private:
    PipelineProtocol::LineBuffer m_lines;
};

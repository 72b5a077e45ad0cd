#pragma once
// The SDK's diagnostic stream: one message per line on standard error. A test
// or a tool may take the lines instead.
#include <functional>
#include <string>

namespace analytics_sdk {

void Diagnostic(const std::string& message);

// Replaces the destination of every later message; an empty sink restores
// standard error. Not synchronised with running uploads: set it before them.
using DiagnosticSink = std::function<void(const std::string&)>;
void SetDiagnosticSink(DiagnosticSink sink);

} // namespace analytics_sdk

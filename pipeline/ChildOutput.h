#pragma once
// Reading a piped child's standard output without hanging on it.
#include <windows.h>

#include <string>

#include "utils/Process.h"

namespace PipelineProtocol {

constexpr DWORD kStillActive = 259;

// True while the child runs.
bool IsRunning(const Utils::PipedProcess& process);

// One blocking read of up to 1024 bytes; false at the end of the output or on an error.
bool ReadBlock(Utils::PipedProcess& process, std::string& block);

// Bytes already waiting in the pipe, without blocking; false when there are none.
bool ReadAvailable(Utils::PipedProcess& process, std::string& block);

// Waits for the child to end, reading and discarding whatever it still
// writes, so that a child writing more than the pipe holds is never stuck.
void DrainUntilExit(Utils::PipedProcess& process);

} // namespace PipelineProtocol

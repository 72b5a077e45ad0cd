#pragma once
#include <windows.h>

namespace Utils {

// Runs the thread's message loop for a slice: false as soon as the window
// (when given) is gone or the quit message arrives (which is posted again),
// true once more than 100 ms have passed. Blocks for at least one message.
bool PumpMessages(HWND window);

} // namespace Utils

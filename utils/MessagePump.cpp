#include "utils/MessagePump.h"

#include <mmsystem.h>

namespace Utils {

bool PumpMessages(HWND window) {
    const DWORD start = ::timeGetTime();
    MSG msg;
    for (;;) {
        if (window && !::IsWindow(window)) return false;
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (got == -1) return false;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        if (window && !::IsWindow(window)) return false;
        if (::timeGetTime() - start > 100) return true;
    }
}

} // namespace Utils

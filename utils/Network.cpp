#include "utils/Network.h"

#include <windows.h>
#include <netlistmgr.h>
#include <objbase.h>

#include "utils/Log.h"

namespace Utils {

namespace {
const CLSID kClsidNetworkListManager = {0xDCB00C01, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};
const IID kIidNetworkListManager = {0xDCB00000, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};
} // namespace

int CheckNetwork() {
    INetworkListManager* manager = nullptr;
    if (FAILED(::CoCreateInstance(kClsidNetworkListManager, nullptr, CLSCTX_ALL, kIidNetworkListManager,
                                  reinterpret_cast<void**>(&manager))) ||
        !manager)
        return 0;
    NLM_CONNECTIVITY flags = NLM_CONNECTIVITY_DISCONNECTED;
    if (FAILED(manager->GetConnectivity(&flags))) flags = NLM_CONNECTIVITY_DISCONNECTED;
    int status = 0;
    if (flags == NLM_CONNECTIVITY_DISCONNECTED) {
        LogText(L"GetConnectivity %d", static_cast<int>(flags));
        status = 1;
    } else {
        VARIANT_BOOL connected = VARIANT_FALSE;
        // The get_IsConnectedToInternet property; mingw names its getter without "get_".
        manager->IsConnectedToInternet(&connected);
        if (connected == VARIANT_FALSE) {
            LogText(L"get_IsConnectedToInternet:%d", static_cast<int>(connected));
            status = 2;
        }
    }
    manager->Release();
    ::CoFreeUnusedLibraries();
    return (status << 16) | (static_cast<int>(flags) & 0xFFFF);
}

} // namespace Utils

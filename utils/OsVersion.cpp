#include "utils/OsVersion.h"

#include <windows.h>

namespace Utils {

std::wstring OsVersionNameFor(unsigned long major, unsigned long minor, unsigned long build, bool serverR2) {
    build &= 0xFFFF;
    if (major <= 4) return L"XP-";
    if (major == 5) {
        if (minor == 0) return L"2K";
        if (minor == 1) return L"XP";
        if (minor == 2) return serverR2 ? L"Server 2003 R2" : L"Server 2003";
        return L"XP+";
    }
    if (major == 6) {
        switch (minor) {
        case 0: return L"Vista";
        case 1: return L"7";
        case 2: return L"8";
        case 3: return L"8.1";
        default: return L"8.1+";
        }
    }
    if (major == 10) return minor == 0 ? L"10" : L"10+";
    return std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(build);
}

void GetOsVersionName(std::wstring& family, std::wstring& name) {
    family = L"Windows";
    DWORD major = 0, minor = 0, build = 0;
    if (HMODULE ntdll = ::LoadLibraryW(L"ntdll.dll")) {
        using Fn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
        if (auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetNtVersionNumbers"))))
            fn(&major, &minor, &build);
        ::FreeLibrary(ntdll);
    }
    name = OsVersionNameFor(major, minor, build, ::GetSystemMetrics(SM_SERVERR2) != 0);
}

void Is64BitOs(bool& is64) {
    is64 = false;
    using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    if (!fn) return;
    BOOL wow64 = FALSE;
    if (fn(::GetCurrentProcess(), &wow64)) {
        is64 = wow64 != FALSE;
        return;
    }
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    is64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

} // namespace Utils

#include "app/Startup.h"

#include <windows.h>

#include <string>

void HardenLibrarySearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(0x800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
    ::SetDllDirectoryW(L"");

    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    static const wchar_t* const kPreload[] = {L"\\version.dll", L"\\ws2_32.dll",  L"\\sxs.dll",
                                              L"\\dwmapi.dll",  L"\\msimg32.dll", L"\\d3d8.dll",
                                              L"\\ieframe.dll", L"\\ws2help.dll", L"\\WindowsCodecs.dll"};
    for (const wchar_t* name : kPreload) {
        // Kept loaded for the whole run; a library the system lacks is simply skipped.
        ::LoadLibraryW((std::wstring(system) + name).c_str());
    }
}

long __stdcall CrashFilter(struct _EXCEPTION_POINTERS*) {
    return EXCEPTION_CONTINUE_SEARCH;
}

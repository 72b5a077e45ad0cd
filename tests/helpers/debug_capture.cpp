// A minimal debugger: runs a command line, writes every debug-output string
// the child sends to standard output (as UTF-8, one string per record ending
// in "\x1e"), and every thread name it announces as a record
// "THREADNAME <thread id> <name>"; exits with the child's exit code.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

static std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], size, nullptr, nullptr);
    return out;
}

int wmain() {
    _setmode(1, _O_BINARY);
    const wchar_t* line = GetCommandLineW();
    // Skip our own program name.
    bool quoted = false;
    while (*line && (quoted || (*line != L' ' && *line != L'\t'))) {
        if (*line == L'"') quoted = !quoted;
        ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    std::vector<wchar_t> command(line, line + wcslen(line) + 1);

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                        &si, &pi)) {
        std::fprintf(stderr, "debug_capture: cannot start the program\n");
        return 200;
    }
    DWORD exitCode = 0;
    for (bool done = false; !done;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, INFINITE)) break;
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case OUTPUT_DEBUG_STRING_EVENT: {
            const auto& info = event.u.DebugString;
            std::wstring text;
            if (info.fUnicode) {
                std::vector<wchar_t> buffer(info.nDebugStringLength + 1, L'\0');
                SIZE_T got = 0;
                ReadProcessMemory(pi.hProcess, info.lpDebugStringData, buffer.data(),
                                  info.nDebugStringLength * sizeof(wchar_t), &got);
                text.assign(buffer.data());
            } else {
                std::vector<char> buffer(info.nDebugStringLength + 1, '\0');
                SIZE_T got = 0;
                ReadProcessMemory(pi.hProcess, info.lpDebugStringData, buffer.data(), info.nDebugStringLength, &got);
                const std::string narrow(buffer.data());
                const int size = MultiByteToWideChar(CP_ACP, 0, narrow.data(), (int)narrow.size(), nullptr, 0);
                text.assign(size, L'\0');
                MultiByteToWideChar(CP_ACP, 0, narrow.data(), (int)narrow.size(), &text[0], size);
            }
            const std::string utf8 = ToUtf8(text);
            std::fwrite(utf8.data(), 1, utf8.size(), stdout);
            std::fputc('\x1e', stdout);
            std::fflush(stdout);
            break;
        }
        case EXCEPTION_DEBUG_EVENT: {
            const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
            if (record.ExceptionCode == 0x406D1388 && record.NumberParameters >= 3 &&
                record.ExceptionInformation[0] == 0x1000) {
                char name[128] = {};
                SIZE_T got = 0;
                ReadProcessMemory(pi.hProcess, reinterpret_cast<LPCVOID>(record.ExceptionInformation[1]), name,
                                  sizeof(name) - 1, &got);
                std::printf("THREADNAME %lu %s\x1e", static_cast<unsigned long>(record.ExceptionInformation[2]), name);
                std::fflush(stdout);
            } else if (record.ExceptionCode != EXCEPTION_BREAKPOINT) {
                status = DBG_EXCEPTION_NOT_HANDLED;
            }
            break;
        }
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            exitCode = event.u.ExitProcess.dwExitCode;
            done = true;
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(exitCode);
}

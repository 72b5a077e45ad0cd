// The demo product's uninstaller: "/S ... _?=FOLDER" removes what the demo
// package installed there and says so in the key=value protocol.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace {
void Say(const char* line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(1, _O_BINARY);
    std::wstring folder;
    // The folder follows "_?=" and may hold spaces: it runs to the end of the command line.
    const std::wstring line = GetCommandLineW();
    const size_t at = line.find(L"_?=");
    if (at != std::wstring::npos) folder = line.substr(at + 3);
    while (!folder.empty() && (folder.back() == L' ' || folder.back() == L'"')) folder.pop_back();
    if (folder.empty() && argc > 0) {
        folder = argv[0];
        folder = folder.substr(0, folder.find_last_of(L'\\'));
    }
    Say("Encode=UTF8\n");
    Say("Progress=0.2\n");
    const wchar_t* files[] = {L"\\Velquor.exe", L"\\uninst.ep", L"\\set.ini"};
    for (const wchar_t* file : files) DeleteFileW((folder + file).c_str());
    Sleep(300);
    Say("Progress=0.8\n");
    // The uninstaller itself cannot be deleted while it runs from this folder.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring selfPath(self);
    const std::wstring own = folder + L"\\uninst.exe";
    if (lstrcmpiW(selfPath.c_str(), own.c_str()) != 0) DeleteFileW(own.c_str());
    RemoveDirectoryW(folder.c_str());
    Say("State=Success\n");
    return 0;
}

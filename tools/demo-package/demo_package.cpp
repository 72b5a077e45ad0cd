// The demo package: a real installer for the demo product. Run as
// "PACKAGE /S ... -instdir="FOLDER" /D=FOLDER", it writes Velquor.exe,
// uninst.exe and uninst.ep into FOLDER and reports in the key=value protocol.
// It carries its payload (and filler, so it weighs more than 1 MiB like a
// real package) as resources.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "tools/demo-package/demo_resources.h"

namespace {

void Say(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size - 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    return out;
}

// "/D=" is the last argument and runs to the end, spaces included.
std::wstring InstallFolder() {
    const std::wstring line = GetCommandLineW();
    const size_t d = line.rfind(L" /D=");
    if (d != std::wstring::npos) {
        std::wstring folder = line.substr(d + 4);
        while (!folder.empty() && (folder.back() == L'"' || folder.back() == L' ')) folder.pop_back();
        return folder;
    }
    const size_t quotedD = line.rfind(L" \"/D=");
    if (quotedD != std::wstring::npos) {
        std::wstring folder = line.substr(quotedD + 5);
        while (!folder.empty() && (folder.back() == L'"' || folder.back() == L' ')) folder.pop_back();
        return folder;
    }
    const size_t instdir = line.find(L"-instdir=\"");
    if (instdir != std::wstring::npos) {
        const size_t start = instdir + 10;
        return line.substr(start, line.find(L'"', start) - start);
    }
    return L"";
}

bool ExtractResource(int id, const std::wstring& path) {
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_RCDATA));
    if (!resource) return false;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const void* data = LockResource(loaded);
    const DWORD size = SizeofResource(nullptr, resource);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, data, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

bool CreateFolders(const std::wstring& folder) {
    for (size_t i = 3; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == L'\\') {
            const std::wstring part = folder.substr(0, i);
            if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        }
    }
    return true;
}

} // namespace

int main() {
    // Lines end in a bare line feed, as the installer expects.
    _setmode(1, _O_BINARY);
    Say("Encode=UTF8");
    Say("Progress=0.05");
    const std::wstring folder = InstallFolder();
    if (folder.empty()) {
        Say("Error=no install folder given");
        return 1;
    }
    Sleep(400);
    Say("Progress=0.2");
    if (!CreateFolders(folder)) {
        Say("Error=cannot create " + Utf8(folder));
        return 2;
    }
    Sleep(400);
    Say("Progress=0.45");
    if (!ExtractResource(kDemoProductResource, folder + L"\\Velquor.exe") ||
        !ExtractResource(kDemoUninstallerResource, folder + L"\\uninst.exe")) {
        Say("Error=cannot write into " + Utf8(folder));
        return 3;
    }
    Sleep(400);
    Say("Progress=0.7");
    const std::wstring ep = folder + L"\\uninst.ep";
    HANDLE file = CreateFileW(ep.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        const std::string content = Utf8(folder + L"\\uninst.exe");
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    }
    Sleep(400);
    Say("Progress=0.9");
    Say("InstPath=" + Utf8(folder));
    Say("ExePath=" + Utf8(folder + L"\\Velquor.exe"));
    Say("UninstExePath=" + Utf8(folder + L"\\uninst.exe"));
    Say("UninstEp=" + Utf8(ep));
    Say("StartupStyle=UserStartup");
    Sleep(300);
    Say("Progress=1");
    Say("State=Success");
    return 0;
}

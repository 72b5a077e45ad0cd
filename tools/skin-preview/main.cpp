// skin-preview ARCHIVE_OR_FOLDER SKIN.xml: opens one skin document in a real
// skinned window, from a 7z skin archive or a folder of skin files, so that
// skins can be looked at while they are written. Exits with the window's
// modal result (1 after its "closebtn"), or 2 for a wrong command line.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ui/SkinUI.h"

namespace {

class PreviewFrame : public SkinUI::CSkinFrame {
public:
    PreviewFrame(int type, const std::wstring& archive, const std::wstring& skin)
        : CSkinFrame(type, 0, L"", skin, L"SkinPreview"), archive_(archive) {}
    std::wstring GetArchiveFileName() const override { return archive_; }

private:
    std::wstring archive_;
};

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 2] = {};
    DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(full, n) : path;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 3) {
        ::MessageBoxW(nullptr, L"skin-preview ARCHIVE_OR_FOLDER SKIN.xml", L"skin-preview", MB_OK);
        return 2;
    }
    SkinUI::CSkinResources::SetInstance(instance);
    const std::wstring source = FullPath(argv[1]);
    const std::wstring skin = argv[2];
    ::LocalFree(argv);

    const DWORD attributes = ::GetFileAttributesW(source.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        ::MessageBoxW(nullptr, (L"Not found: " + source).c_str(), L"skin-preview", MB_OK | MB_ICONERROR);
        return 2;
    }
    int type = SkinUI::kSkinArchiveFile;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        SkinUI::CSkinResources::SetResourcePath(source);
        type = SkinUI::kSkinFolder;
    } else {
        std::wstring folder = source.substr(0, source.find_last_of(L"\\/") + 1);
        SkinUI::CSkinResources::SetResourcePath(folder);
        if (!SkinUI::CSkinResources::OpenArchiveFile(source)) {
            ::MessageBoxW(nullptr, (L"Not a 7z skin archive: " + source).c_str(), L"skin-preview",
                          MB_OK | MB_ICONERROR);
            return 2;
        }
    }
    PreviewFrame frame(type, source, skin);
    const std::wstring title = L"Skin preview - " + skin;
    if (frame.Create(nullptr, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0) == nullptr) return 3;
    frame.CenterWindow();
    return static_cast<int>(frame.ShowModal());
}

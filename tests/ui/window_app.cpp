// A skinned window from the linked test skin, for tests that drive it from
// outside: window_app SKIN.xml LOG_FILE. Every notification is appended to
// the log as "type sender"; the modal result ends the log as "modal=N" and
// is the exit code.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "ui/SkinUI.h"

namespace {

class LoggedFrame : public SkinUI::CSkinFrame {
public:
    LoggedFrame(const std::wstring& skin, const std::wstring& log)
        : CSkinFrame(SkinUI::kSkinResourceArchive, 147, L"", skin), log_(log) {}

    void Notify(SkinUI::TNotify& msg) override {
        Append(msg.sType + L" " + (msg.pSender ? msg.pSender->GetName() : std::wstring()));
        CSkinFrame::Notify(msg);
    }

    void Append(const std::wstring& line) {
        FILE* f = _wfopen(log_.c_str(), L"ab");
        if (f == nullptr) return;
        std::string utf8(static_cast<size_t>(line.size()) * 4 + 1, '\0');
        int n = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0],
                                      static_cast<int>(utf8.size()), nullptr, nullptr);
        utf8.resize(n > 0 ? n : 0);
        std::fprintf(f, "%s\n", utf8.c_str());
        std::fclose(f);
    }

private:
    std::wstring log_;
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) return 2;
    SkinUI::CSkinResources::SetInstance(instance);
    LoggedFrame frame(argv[1], argv[2]);
    if (frame.Create(nullptr, L"SkinUI Test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0) == nullptr) return 3;
    frame.CenterWindow();
    UINT result = frame.ShowModal();
    frame.Append(L"modal=" + std::to_wstring(result));
    ::LocalFree(argv);
    return static_cast<int>(result);
}

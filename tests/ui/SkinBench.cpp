// Benchmark, not a test: opening and extracting the skin archive linked into
// this program (about 2 MiB), and the time from Create to the first painted
// frame of a 600x400 skin. Prints the figures.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ui/SkinUI.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class BenchFrame : public SkinUI::CSkinFrame {
public:
    BenchFrame() : CSkinFrame(SkinUI::kSkinResourceArchive, 147, L"", L"BenchWnd.xml") {}
    double paintedAt = 0;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        LRESULT r = CSkinFrame::HandleMessage(uMsg, wParam, lParam);
        if (uMsg == WM_PAINT && paintedAt == 0) paintedAt = Now();
        return r;
    }
};

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) sum += v;
    std::printf("%-34s runs %2zu  min %7.2f ms  median %7.2f ms  mean %7.2f ms  max %7.2f ms\n", what, ms.size(),
                ms.front(), ms[ms.size() / 2], sum / ms.size(), ms.back());
}

} // namespace

int wmain() {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(147), L"ZIPRES");
    if (info == nullptr) return 1;
    const void* data = ::LockResource(::LoadResource(module, info));
    const DWORD size = ::SizeofResource(module, info);

    std::vector<double> open;
    size_t entries = 0;
    unsigned long long unpacked = 0;
    for (int i = 0; i < 20; ++i) {
        SkinUI::CSkinArchive archive;
        double t0 = Now();
        if (!archive.OpenFromMemory(data, size)) return 1;
        open.push_back(Now() - t0);
        entries = archive.Count();
        unpacked = 0;
        for (size_t e = 0; e < archive.Count(); ++e) unpacked += archive.EntryAt(e)->size;
    }
    std::printf("archive: %lu bytes packed, %zu entries, %llu bytes unpacked\n", size, entries, unpacked);
    Report("archive open + extract all", open);

    std::vector<double> firstFrame;
    double cold = 0;
    for (int i = 0; i < 15; ++i) {
        BenchFrame frame;
        double t0 = Now();
        HWND h = frame.Create(nullptr, L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0);
        if (h == nullptr) return 1;
        MSG msg;
        while (frame.paintedAt == 0 && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        double ms = frame.paintedAt - t0;
        if (i == 0)
            cold = ms;  // includes opening the archive and decoding every image once
        else
            firstFrame.push_back(ms);
        ::DestroyWindow(h);
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    std::printf("%-34s %.2f ms\n", "create to first frame (first run)", cold);
    Report("create to first frame (later runs)", firstFrame);
    return 0;
}

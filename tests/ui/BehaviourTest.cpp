// Skinned windows driven with real window messages: clicks, selection, tab
// pages, timers, asynchronous notifications, keys, hit-testing, the modal
// loop, the native edit, and painting into bitmaps.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/SkinUI.h"
#include "utils/Thread.h"

using namespace SkinUI;

namespace {

struct Recorded {
    std::wstring type;
    std::wstring sender;
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread;
};

class Recorder : public INotifyUI {
public:
    std::vector<Recorded> events;
    void Notify(TNotify& msg) override {
        events.push_back({msg.sType, msg.pSender ? msg.pSender->GetName() : L"", msg.wParam, msg.lParam,
                          ::GetCurrentThreadId()});
    }
    // "type:sender" of the events whose type is one of `types`.
    std::vector<std::wstring> Of(std::initializer_list<const wchar_t*> types) const {
        std::vector<std::wstring> out;
        for (const auto& e : events)
            for (const wchar_t* t : types)
                if (e.type == t) out.push_back(e.type + L":" + e.sender);
        return out;
    }
    int Count(const wchar_t* type) const {
        int n = 0;
        for (const auto& e : events) n += e.type == type;
        return n;
    }
};

// Sees every message of the loop before it is dispatched.
class Spy : public IMessageFilterUI {
public:
    std::function<void(UINT, WPARAM, LPARAM)> onMessage;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool&) override {
        if (onMessage) onMessage(uMsg, wParam, lParam);
        return 0;
    }
};

class TestWindow : public WindowImplBase {
public:
    explicit TestWindow(std::wstring xml) : xml_(std::move(xml)) {}
    const wchar_t* GetWindowClassName() const override { return L"SkinUIBehaviourTest"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return xml_; }

    // Hidden unless asked: Wine under Xvfb takes about two seconds to destroy a shown window.
    HWND Open(bool visible = false, HWND owner = nullptr) {
        HWND h = Create(owner, L"behaviour", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 40, 40, 0, 0);
        if (h) {
            GetManager().AddNotifier(&recorder);
            ::UpdateWindow(h);
        }
        return h;
    }
    ~TestWindow() override {
        if (::IsWindow(hWnd_)) ::DestroyWindow(hWnd_);
    }
    template <typename T>
    T* Find(const wchar_t* name) {
        return dynamic_cast<T*>(GetManager().FindControlByName(name));
    }
    Recorder recorder;

private:
    std::wstring xml_;
};

class TestFrame : public CSkinFrame {
public:
    explicit TestFrame(const std::wstring& xml) : CSkinFrame(kSkinFolder, 0, L"", xml, L"SkinUIFrameTest") {}
    ~TestFrame() override {
        if (::IsWindow(hWnd_)) ::DestroyWindow(hWnd_);
    }
};

void Pump(DWORD ms) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < ms) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            if (!CSkinManagerUI::TranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms = 3000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        Pump(5);
    }
    return true;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

void Click(HWND h, int x, int y) {
    ::SendMessageW(h, WM_MOUSEMOVE, 0, At(x, y));
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    ::SendMessageW(h, WM_LBUTTONUP, 0, At(x, y));
}

class Behaviour : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CSkinResources::OpenResourceArchive(147)); }
};

TEST_F(Behaviour, CheckBoxSelectedInMarkupTogglesOnOneClick) {
    TestWindow w(L"<Window size=\"200,100\"><VerticalLayout>"
                 L"<CheckBox name=\"cb\" height=\"20\" selected=\"true\" text=\"agree\"/><Control/>"
                 L"</VerticalLayout></Window>");
    HWND h = w.Open();
    ASSERT_NE(h, nullptr);
    auto* cb = w.Find<CCheckBoxUI>(L"cb");
    ASSERT_NE(cb, nullptr);
    EXPECT_TRUE(cb->IsSelected());
    EXPECT_TRUE(w.recorder.Of({L"selectchanged"}).empty());  // nothing observed at build time

    Click(h, 10, 10);
    EXPECT_EQ(w.recorder.Of({L"click", L"selectchanged"}),
              (std::vector<std::wstring>{L"click:cb", L"selectchanged:cb"}));
    EXPECT_FALSE(cb->IsSelected());

    // Pressed inside, released outside: no click.
    w.recorder.events.clear();
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    ::SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At(10, 60));
    ::SendMessageW(h, WM_LBUTTONUP, 0, At(10, 60));
    EXPECT_TRUE(w.recorder.Of({L"click", L"selectchanged"}).empty());

    // Disabled: no click either.
    cb->SetEnabled(false);
    Click(h, 10, 10);
    EXPECT_TRUE(w.recorder.Of({L"click", L"selectchanged"}).empty());
    EXPECT_FALSE(cb->IsSelected());
}

TEST_F(Behaviour, OptionsOfAGroupSelectExclusively) {
    TestWindow w(L"<Window size=\"200,100\"><VerticalLayout>"
                 L"<Option name=\"o1\" group=\"g\" height=\"20\" selected=\"true\"/>"
                 L"<Option name=\"o2\" group=\"g\" height=\"20\"/><Control/></VerticalLayout></Window>");
    HWND h = w.Open();
    ASSERT_NE(h, nullptr);
    Click(h, 10, 30);
    EXPECT_TRUE(w.Find<COptionUI>(L"o2")->IsSelected());
    EXPECT_FALSE(w.Find<COptionUI>(L"o1")->IsSelected());
    EXPECT_EQ(w.recorder.Of({L"click", L"selectchanged"}),
              (std::vector<std::wstring>{L"click:o2", L"selectchanged:o2"}));
    w.recorder.events.clear();
    Click(h, 10, 30);  // already selected
    EXPECT_EQ(w.recorder.Of({L"click", L"selectchanged"}), (std::vector<std::wstring>{L"click:o2"}));
}

TEST_F(Behaviour, SelectItemNotifiesOnlyRealPageChanges) {
    TestWindow w(L"<Window size=\"200,100\"><TabLayout name=\"tab\" selectedid=\"1\">"
                 L"<Control name=\"p0\"/><Control name=\"p1\"/><Control name=\"p2\"/></TabLayout></Window>");
    HWND h = w.Open();
    ASSERT_NE(h, nullptr);
    auto* tab = w.Find<CTabLayoutUI>(L"tab");
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetSelectedIndex(), 1);
    EXPECT_TRUE(tab->SelectItem(1));
    EXPECT_EQ(w.recorder.Count(L"tabselect"), 0);
    EXPECT_TRUE(tab->SelectItem(2));
    ASSERT_EQ(w.recorder.Count(L"tabselect"), 1);
    for (const auto& e : w.recorder.events)
        if (e.type == L"tabselect") {
            EXPECT_EQ(e.sender, L"tab");
            EXPECT_EQ(e.wParam, 2u);
            EXPECT_EQ(e.lParam, 1);
        }
    EXPECT_FALSE(tab->SelectItem(3));
    EXPECT_TRUE(tab->SelectItem(0, false));
    EXPECT_EQ(w.recorder.Count(L"tabselect"), 1);
    EXPECT_TRUE(w.Find<CControlUI>(L"p0")->IsVisible());
    EXPECT_FALSE(w.Find<CControlUI>(L"p2")->IsVisible());
}

TEST_F(Behaviour, TimerIdsStartAt17AndWrapModulo255) {
    TestWindow w(L"<Window size=\"100,100\"><VerticalLayout><Control name=\"c\"/></VerticalLayout></Window>");
    HWND h = w.Open();
    ASSERT_NE(h, nullptr);
    CControlUI* c = w.Find<CControlUI>(L"c");
    std::vector<WPARAM> systemIds;
    Spy spy;
    spy.onMessage = [&](UINT m, WPARAM wp, LPARAM) {
        if (m == WM_TIMER) systemIds.push_back(wp);
    };
    w.GetManager().AddPreMessageFilter(&spy);
    CSkinManagerUI& m = w.GetManager();

    ASSERT_TRUE(m.StartTimer(c, 1, 10));
    ASSERT_TRUE(PumpUntil([&] { return w.recorder.Count(L"timer") > 0; }));
    ASSERT_FALSE(systemIds.empty());
    EXPECT_EQ(systemIds.back(), 17u);
    for (const auto& e : w.recorder.events)
        if (e.type == L"timer") {
            EXPECT_EQ(e.wParam, 1u);  // the control's own id
        }
    ASSERT_TRUE(m.StopTimer(c, 1));

    for (UINT id = 2; id <= 238; ++id) ASSERT_TRUE(m.StartTimer(c, id, 600000)) << id;
    systemIds.clear();
    w.recorder.events.clear();
    ASSERT_TRUE(m.StartTimer(c, 239, 10));  // the 239th new timer of the window
    ASSERT_TRUE(PumpUntil([&] { return w.recorder.Count(L"timer") > 0; }));
    EXPECT_EQ(systemIds.back(), 0u);
    EXPECT_EQ(w.recorder.events.back().wParam, 239u);
    w.GetManager().RemovePreMessageFilter(&spy);
}

TEST_F(Behaviour, RestartingARunningTimerKeepsItsInterval) {
    TestWindow w(L"<Window size=\"100,100\"><VerticalLayout><Control name=\"c\"/></VerticalLayout></Window>");
    HWND h = w.Open();
    ASSERT_NE(h, nullptr);
    CControlUI* c = w.Find<CControlUI>(L"c");
    CSkinManagerUI& m = w.GetManager();
    ASSERT_TRUE(m.StartTimer(c, 5, 600000));
    EXPECT_FALSE(m.StartTimer(c, 5, 10));
    Pump(200);
    EXPECT_EQ(w.recorder.Count(L"timer"), 0);

    EXPECT_TRUE(m.StopTimer(c, 5));
    EXPECT_FALSE(m.StopTimer(c, 5));
    EXPECT_FALSE(m.StopTimer(c, 6));
    ASSERT_TRUE(m.StartTimer(c, 5, 10));  // a stopped timer restarts under its old id
    ASSERT_TRUE(PumpUntil([&] { return w.recorder.Count(L"timer") > 0; }));
    ASSERT_TRUE(m.StartTimer(c, 6, 600000));
    // System ids: 17 for timer 5 (twice), so the next new one is 18.
    EXPECT_TRUE(::KillTimer(h, 18));
    EXPECT_TRUE(m.StopTimer(c, 5));
    const int ticks = w.recorder.Count(L"timer");
    Pump(100);
    EXPECT_EQ(w.recorder.Count(L"timer"), ticks);
}

TEST_F(Behaviour, AsynchronousNotificationsArriveOnTheWindowThreadInOrder) {
    TestWindow w(L"<Window size=\"100,100\"><VerticalLayout name=\"root\"><Control name=\"c\"/>"
                 L"<Control name=\"gone\"/></VerticalLayout></Window>");
    HWND h = w.Open();
    ASSERT_NE(h, nullptr);
    CControlUI* c = w.Find<CControlUI>(L"c");
    CSkinManagerUI* m = &w.GetManager();

    Utils::Thread worker(nullptr, L"notifier", [&](void*) {
        for (int i = 0; i < 50; ++i) m->SendNotify(c, L"checknet", i, 1000 + i, true);
    });
    ASSERT_TRUE(worker.Resume());
    worker.Join();
    ASSERT_TRUE(PumpUntil([&] { return w.recorder.Count(L"checknet") == 50; }));
    int expected = 0;
    for (const auto& e : w.recorder.events) {
        if (e.type != L"checknet") continue;
        EXPECT_EQ(e.thread, ::GetCurrentThreadId());
        EXPECT_EQ(e.sender, L"c");
        EXPECT_EQ(e.wParam, static_cast<WPARAM>(expected));
        EXPECT_EQ(e.lParam, 1000 + expected);
        ++expected;
    }

    // Without repeats the queued record is updated instead.
    w.recorder.events.clear();
    m->SetAsyncNotifyRepeat(false);
    Utils::Thread again(nullptr, L"notifier", [&](void*) {
        for (int i = 0; i < 10; ++i) m->SendNotify(c, L"progress", i, 0, true);
    });
    ASSERT_TRUE(again.Resume());
    again.Join();
    Pump(100);
    ASSERT_EQ(w.recorder.Count(L"progress"), 1);
    EXPECT_EQ(w.recorder.events.back().wParam, 9u);

    // A control removed before delivery is not reported.
    w.recorder.events.clear();
    CControlUI* gone = w.Find<CControlUI>(L"gone");
    m->SendNotify(gone, L"late", 0, 0, true);
    w.Find<CContainerUI>(L"root")->Remove(gone);
    Pump(100);
    EXPECT_EQ(w.recorder.Count(L"late"), 0);
}

// Paints a control tree into a 32-bit bitmap and hands its pixels out.
struct Canvas {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    const DWORD* pixels = nullptr;
    int width, height;
    Canvas(int w, int h) : width(w), height(h) {
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = w;
        bmi.bmiHeader.biHeight = -h;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = ::SelectObject(dc, bitmap);
        pixels = static_cast<const DWORD*>(bits);
        RECT rc = {0, 0, w, h};
        ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() {
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    DWORD At(int x, int y) const { return pixels[y * width + x] & 0xFFFFFF; }
    int CountInRow(int y, DWORD rgb) const {
        int n = 0;
        for (int x = 0; x < width; ++x) n += At(x, y) == rgb;
        return n;
    }
    int CountInColumn(int x, DWORD rgb) const {
        int n = 0;
        for (int y = 0; y < height; ++y) n += At(x, y) == rgb;
        return n;
    }
};

const DWORD kGreen = 0x00C000;  // fore.png

struct Painted {
    CSkinManagerUI manager;
    CSkinBuilder builder;
    CControlUI* root = nullptr;
    Painted(const std::wstring& xml, Canvas& canvas) {
        root = builder.Create(L"<Window>" + xml + L"</Window>", nullptr, &manager);
        if (!root) return;
        manager.AttachDialog(root);
        RECT rc = {0, 0, canvas.width, canvas.height};
        root->SetPos(rc);
        root->DoPaint(canvas.dc, rc);
    }
};

TEST_F(Behaviour, ProgressFillsItsShareOfTheBar) {
    struct Case {
        const wchar_t* attributes;
        int filled;
    } cases[] = {
        {L"value=\"50\"", 205},
        {L"value=\"50\" foreimage=\"file='res\\test\\fore.png' corner='2,2,2,2'\"", 205},
        {L"value=\"0\"", 0},
        {L"value=\"100\"", 410},
        {L"value=\"250\"", 410},  // clamped to the maximum
        {L"min=\"10\" max=\"20\" value=\"15\"", 205},
        {L"min=\"50\" max=\"50\" value=\"50\"", 0},  // no division by zero
        {L"min=\"60\" max=\"40\" value=\"70\"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.attributes, c.attributes + wcslen(c.attributes)));
        Canvas canvas(410, 8);
        std::wstring attributes = c.attributes;
        if (attributes.find(L"foreimage") == std::wstring::npos)
            attributes += L" foreimage=\"res\\test\\fore.png\"";
        Painted p(L"<Progress name=\"p\" " + attributes + L"/>", canvas);
        ASSERT_NE(p.root, nullptr);
        EXPECT_EQ(canvas.CountInRow(4, kGreen), c.filled);
        if (c.filled > 0) {
            EXPECT_EQ(canvas.At(0, 4), kGreen);
        }
    }
    // Vertical: filled from the bottom.
    Canvas tall(8, 100);
    Painted v(L"<Progress hor=\"false\" value=\"25\" foreimage=\"res\\test\\fore.png\"/>", tall);
    EXPECT_EQ(tall.CountInColumn(4, kGreen), 25);
    EXPECT_EQ(tall.At(4, 99), kGreen);
    EXPECT_NE(tall.At(4, 0), kGreen);
    // SetValue clamps, the minimum winning.
    auto* bar = dynamic_cast<CProgressUI*>(v.root);
    bar->SetMinValue(30);
    bar->SetMaxValue(20);
    bar->SetValue(25);
    EXPECT_EQ(bar->GetValue(), 30);
}

TEST_F(Behaviour, BackgroundsImagesAndRoundedClipping) {
    Canvas canvas(60, 40);
    Painted p(L"<VerticalLayout bkcolor=\"#FF0000FF\"><Control height=\"20\" bkcolor=\"#FFFF0000\" borderround=\"10,10\"/>"
              L"<Control bkimage=\"file='res\\test\\fore.png' dest='10,5,30,15'\"/></VerticalLayout>",
              canvas);
    ASSERT_NE(p.root, nullptr);
    EXPECT_EQ(canvas.At(30, 10), 0xFF0000u);  // the red box
    EXPECT_EQ(canvas.At(0, 0), 0x0000FFu);    // its rounded corner shows the parent
    EXPECT_EQ(canvas.At(15, 30), kGreen);     // image inside dest
    EXPECT_EQ(canvas.At(5, 30), 0x0000FFu);   // outside dest
    EXPECT_EQ(canvas.CountInRow(30, kGreen), 20);
    // A half-transparent colour blends with what is below.
    Canvas blend(10, 10);
    Painted q(L"<VerticalLayout bkcolor=\"#FF000000\"><Control bkcolor=\"#80FFFFFF\"/></VerticalLayout>", blend);
    const DWORD mixed = blend.At(5, 5);
    EXPECT_GE(mixed & 0xFF, 0x7Eu);
    EXPECT_LE(mixed & 0xFF, 0x81u);
}

TEST_F(Behaviour, KeyboardMovesFocusAndClicksButtons) {
    TestWindow w(L"<Window size=\"200,200\"><VerticalLayout>"
                 L"<Button name=\"b1\" height=\"20\" shortcut=\"k\"/><Label name=\"lbl\" height=\"20\"/>"
                 L"<Button name=\"b2\" height=\"20\"/><Button name=\"off\" height=\"20\" enabled=\"false\"/><Control/>"
                 L"</VerticalLayout></Window>");
    HWND h = w.Open();
    ASSERT_NE(h, nullptr);
    ::SendMessageW(h, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(w.GetManager().GetFocus(), w.Find<CControlUI>(L"b1"));
    ::SendMessageW(h, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(w.GetManager().GetFocus(), w.Find<CControlUI>(L"b2"));  // labels and disabled buttons are skipped
    ::SendMessageW(h, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(w.GetManager().GetFocus(), w.Find<CControlUI>(L"b1"));
    EXPECT_EQ(w.recorder.Of({L"setfocus", L"killfocus"}),
              (std::vector<std::wstring>{L"setfocus:b1", L"killfocus:b1", L"setfocus:b2", L"killfocus:b2",
                                         L"setfocus:b1"}));

    ::SendMessageW(h, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(w.recorder.Of({L"click"}), (std::vector<std::wstring>{L"click:b1"}));
    // Return through the message loop: the window's key filter lets it pass.
    ::PostMessageW(h, WM_KEYDOWN, VK_RETURN, 0);
    Pump(50);
    EXPECT_EQ(w.recorder.Count(L"click"), 2);
    // Alt plus the shortcut clicks the control.
    ::PostMessageW(h, WM_SYSCHAR, L'k', 1 << 29);
    Pump(50);
    EXPECT_EQ(w.recorder.Count(L"click"), 3);
}

TEST_F(Behaviour, EscapeClosesAPlainWindowButNotASkinFrame) {
    const std::wstring xml = L"<Window size=\"100,100\"><VerticalLayout/></Window>";
    TestWindow plain(xml);
    HWND a = plain.Open();
    ASSERT_NE(a, nullptr);
    ::PostMessageW(a, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump(100);
    EXPECT_FALSE(::IsWindow(a));

    TestFrame frame(xml);
    HWND b = frame.Create(nullptr, L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 0, 0, 0);
    ASSERT_NE(b, nullptr);
    ::PostMessageW(b, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump(100);
    EXPECT_TRUE(::IsWindow(b));
    const LONG_PTR style = ::GetWindowLongPtrW(b, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
}

TEST_F(Behaviour, CaptionBandHitTestingDependsOnTheControlClass) {
    TestWindow w(L"<Window size=\"300,200\" caption=\"0,0,20,40\" sizebox=\"4,4,4,4\"><VerticalLayout>"
                 L"<HorizontalLayout height=\"40\"><Label name=\"title\" width=\"100\" text=\"t\"/>"
                 L"<Button name=\"btn\" width=\"40\"/><Text name=\"txt\" width=\"40\" text=\"x\"/>"
                 L"<CheckBox name=\"cb\" width=\"40\"/><Option name=\"opt\" width=\"30\"/><Control/>"
                 L"</HorizontalLayout><Control/></VerticalLayout></Window>");
    HWND h = w.Open();
    ASSERT_NE(h, nullptr);
    RECT rc;
    ::GetClientRect(h, &rc);
    ASSERT_EQ(rc.right, 300);
    ASSERT_EQ(rc.bottom, 200);
    struct Case {
        int x, y;
        LRESULT code;
    } cases[] = {
        {50, 20, HTCAPTION},   {120, 20, HTCLIENT},  {160, 20, HTCLIENT},     {200, 20, HTCAPTION},
        {235, 20, HTCLIENT},   {265, 20, HTCAPTION}, {285, 20, HTCLIENT},     {150, 100, HTCLIENT},
        {1, 1, HTTOPLEFT},     {150, 1, HTTOP},      {298, 100, HTRIGHT},     {150, 198, HTBOTTOM},
        {298, 198, HTBOTTOMRIGHT}, {1, 100, HTLEFT}, {298, 1, HTTOPRIGHT},    {1, 198, HTBOTTOMLEFT},
    };
    for (const Case& c : cases) {
        POINT pt = {c.x, c.y};
        ::ClientToScreen(h, &pt);
        EXPECT_EQ(::SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), c.code) << c.x << "," << c.y;
    }
}

TEST_F(Behaviour, ShowModalReturnsTheCloseCode) {
    const std::wstring xml =
        L"<Window size=\"120,80\" roundcorner=\"10,10\"><VerticalLayout><HorizontalLayout height=\"20\">"
        L"<Button name=\"closebtn\" width=\"20\"/><Control/></HorizontalLayout><Control/></VerticalLayout></Window>";
    {
        TestFrame f(xml);
        HWND h = f.Create(nullptr, L"modal", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0);
        ASSERT_NE(h, nullptr);
        RECT wr;
        ::GetWindowRect(h, &wr);
        EXPECT_EQ(wr.right - wr.left, 120);
        EXPECT_EQ(wr.bottom - wr.top, 80);
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(::GetWindowRgn(h, region), ERROR);
        EXPECT_FALSE(::PtInRegion(region, 0, 0));
        EXPECT_FALSE(::PtInRegion(region, 119, 79));
        EXPECT_TRUE(::PtInRegion(region, 60, 40));
        EXPECT_TRUE(::PtInRegion(region, 119, 40));
        ::DeleteObject(region);

        ::PostMessageW(h, WM_MOUSEMOVE, 0, At(10, 10));
        ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
        ::PostMessageW(h, WM_LBUTTONUP, 0, At(10, 10));
        EXPECT_EQ(f.ShowModal(), 1u);
        EXPECT_FALSE(::IsWindow(h));
    }
    {
        TestFrame f(xml);
        HWND h = f.Create(nullptr, L"modal", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0);
        ::PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);  // as Alt+F4: the close message is sent
        EXPECT_EQ(f.ShowModal(), 0u);
    }
    {
        TestFrame f(xml);
        f.Create(nullptr, L"modal", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0);
        f.Close(7);
        EXPECT_EQ(f.ShowModal(), 7u);
    }
    {
        TestFrame f(xml);
        HWND h = f.Create(nullptr, L"modal", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0);
        ::PostQuitMessage(3);
        EXPECT_EQ(f.ShowModal(), 0u);
        EXPECT_TRUE(::IsWindow(h));
        MSG msg;
        ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // posted again
        EXPECT_EQ(msg.wParam, 3u);
    }
}

TEST_F(Behaviour, TheOwnerIsDisabledWhileAModalWindowRuns) {
    TestWindow owner(L"<Window size=\"100,100\"><VerticalLayout/></Window>");
    HWND o = owner.Open(true);
    ASSERT_NE(o, nullptr);
    TestFrame f(L"<Window size=\"60,60\"><VerticalLayout/></Window>");
    HWND h = f.Create(o, L"owned", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0);
    ASSERT_NE(h, nullptr);
    f.CenterWindow();
    RECT ro, rf;
    ::GetWindowRect(o, &ro);
    ::GetWindowRect(h, &rf);
    EXPECT_EQ((rf.left + rf.right) / 2, (ro.left + ro.right) / 2);
    bool enabledDuring = true;
    Spy spy;
    spy.onMessage = [&](UINT m, WPARAM, LPARAM) {
        if (m == WM_USER + 5) {
            enabledDuring = ::IsWindowEnabled(o) != FALSE;
            f.Close(2);
        }
    };
    f.GetManager().AddPreMessageFilter(&spy);
    ::PostMessageW(h, WM_USER + 5, 0, 0);
    EXPECT_EQ(f.ShowModal(), 2u);
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(::IsWindowEnabled(o));
}

TEST_F(Behaviour, EditOpensANativeFieldThatReportsChanges) {
    TestWindow w(L"<Window size=\"200,100\"><VerticalLayout>"
                 L"<Edit name=\"e\" height=\"30\" text=\"abc\" textpadding=\"4,0,4,0\"/>"
                 L"<Button name=\"b\" height=\"30\"/><Control/></VerticalLayout></Window>");
    HWND h = w.Open(true);
    ASSERT_NE(h, nullptr);
    auto* edit = w.Find<CEditUI>(L"e");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetNativeWindow(), nullptr);
    Click(h, 190, 15);
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    EXPECT_TRUE(::IsWindowVisible(native));
    EXPECT_EQ(::GetParent(native), h);
    wchar_t text[32] = {};
    ::GetWindowTextW(native, text, 32);
    EXPECT_STREQ(text, L"abc");
    EXPECT_EQ(::GetFocus(), native);

    ::SendMessageW(native, WM_CHAR, L'x', 0);
    EXPECT_EQ(edit->GetText(), L"abcx");
    EXPECT_GE(w.recorder.Count(L"textchanged"), 1);
    ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(w.recorder.Of({L"return"}), (std::vector<std::wstring>{L"return:e"}));

    Click(h, 100, 45);  // elsewhere: the field closes, the text stays
    ASSERT_TRUE(PumpUntil([&] { return edit->GetNativeWindow() == nullptr; }));
    EXPECT_FALSE(::IsWindow(native));
    EXPECT_EQ(edit->GetText(), L"abcx");
}

TEST_F(Behaviour, AButtonFadeStepsOnTimer11UntilFullyHot) {
    TestWindow w(L"<Window size=\"200,100\"><VerticalLayout><Button name=\"b\" height=\"30\" fadedelta=\"100\" "
                 L"normalimage=\"res\\test\\back.png\" hotimage=\"res\\test\\fore.png\"/><Control/>"
                 L"</VerticalLayout></Window>");
    HWND h = w.Open();
    ASSERT_NE(h, nullptr);
    ::SendMessageW(h, WM_MOUSEMOVE, 0, At(10, 10));
    ASSERT_TRUE(PumpUntil([&] { return w.recorder.Count(L"timer") >= 3; }));
    Pump(200);  // 100, 200, then 255: the timer stops
    EXPECT_EQ(w.recorder.Count(L"timer"), 3);
    for (const auto& e : w.recorder.events) {
        if (e.type == L"timer") {
            EXPECT_EQ(e.sender, L"b");
            EXPECT_EQ(e.wParam, 11u);
        }
    }
}

class MappedWindow : public TestWindow {
public:
    MappedWindow() : TestWindow(L"") {}
    std::vector<std::wstring> calls;
    void OnOk(TNotify& msg) { calls.push_back(L"ok:" + msg.pSender->GetName()); }
    void OnAnySelect(TNotify& msg) { calls.push_back(L"anyselect:" + msg.pSender->GetName()); }
    void OnTab(WPARAM w, LPARAM l) { calls.push_back(L"tab:" + std::to_wstring(w) + L"," + std::to_wstring(l)); }
    void OnClick(TNotify& msg) override { calls.push_back(L"baseclick:" + msg.pSender->GetName()); }
    SKINUI_DECLARE_NOTIFY_MAP()
};

SKINUI_BEGIN_NOTIFY_MAP(MappedWindow, WindowImplBase)
    SKINUI_ON_NOTIFY_TYPE(L"selectchanged", MappedWindow::OnAnySelect)
    SKINUI_ON_NOTIFY(L"click", L"okBtn", MappedWindow::OnOk)
    SKINUI_ON_NOTIFY_PARAMS(L"tabselect", L"tab", MappedWindow::OnTab)
SKINUI_END_NOTIFY_MAP()

class PagePump : public CNotifyPump {
public:
    std::vector<std::wstring> calls;
    void OnClick(TNotify& msg) { calls.push_back(L"page:" + msg.pSender->GetName()); }
    SKINUI_DECLARE_NOTIFY_MAP()
};

SKINUI_BEGIN_NOTIFY_MAP(PagePump, CNotifyPump)
    SKINUI_ON_NOTIFY_TYPE(L"click", PagePump::OnClick)
SKINUI_END_NOTIFY_MAP()

TEST_F(Behaviour, TheMessageMapPrefersExactNamesThenFallsBackAndUpTheClasses) {
    CSkinManagerUI manager;
    CSkinBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><VerticalLayout><Button name=\"okBtn\"/><Button name=\"other\"/><Option name=\"opt\"/>"
        L"<TabLayout name=\"tab\"/><VerticalLayout virtualwnd=\"page\"><Button name=\"inPage\"/>"
        L"</VerticalLayout></VerticalLayout></Window>",
        nullptr, &manager);
    ASSERT_NE(root, nullptr);
    manager.AttachDialog(root);
    MappedWindow w;
    PagePump page;
    ASSERT_TRUE(w.AddVirtualWnd(L"PAGE", &page));
    auto send = [&](const wchar_t* name, const wchar_t* type, WPARAM wp = 0, LPARAM lp = 0) {
        TNotify msg;
        msg.pSender = manager.FindControlByName(name);
        msg.sType = type;
        msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
        msg.wParam = wp;
        msg.lParam = lp;
        w.Notify(msg);
    };
    send(L"okBtn", L"click");     // exact entry of the derived map
    send(L"other", L"click");     // no entry here: the base class's map, its virtual OnClick
    send(L"opt", L"selectchanged");  // the entry without a name
    send(L"tab", L"tabselect", 2, 1);
    send(L"inPage", L"click");    // the virtual window's pump first
    send(L"other", L"textchanged");  // nothing handles it
    EXPECT_EQ(w.calls, (std::vector<std::wstring>{L"ok:okBtn", L"baseclick:other", L"anyselect:opt", L"tab:2,1"}));
    EXPECT_EQ(page.calls, (std::vector<std::wstring>{L"page:inPage"}));
}

TEST_F(Behaviour, HoverAndFirstPaintNotifications) {
    TestWindow w(L"<Window size=\"200,100\"><VerticalLayout name=\"root\"><Button name=\"b\" height=\"30\"/>"
                 L"<Control/></VerticalLayout></Window>");
    HWND h = w.Open(true);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(w.recorder.Of({L"windowinit"}), (std::vector<std::wstring>{L"windowinit:root"}));
    ::InvalidateRect(h, nullptr, FALSE);
    ::UpdateWindow(h);
    EXPECT_EQ(w.recorder.Count(L"windowinit"), 1);

    ::SendMessageW(h, WM_MOUSEMOVE, 0, At(10, 10));
    ::SendMessageW(h, WM_MOUSEMOVE, 0, At(12, 12));
    ::SendMessageW(h, WM_MOUSEMOVE, 0, At(10, 60));
    EXPECT_EQ(w.recorder.Of({L"mouseenter", L"mouseleave"}),
              (std::vector<std::wstring>{L"mouseenter:b", L"mouseleave:b"}));
    auto* b = w.Find<CButtonUI>(L"b");
    EXPECT_EQ(b->GetButtonState() & UISTATE_HOT, 0u);
    // Hidden controls are not under the pointer.
    b->SetVisible(false);
    POINT pt = {10, 10};
    EXPECT_NE(w.GetManager().FindControlAt(pt), b);
}

} // namespace

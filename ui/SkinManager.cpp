#include "ui/SkinManager.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/AttributeValues.h"
#include "ui/Control.h"
#include "ui/Option.h"
#include "ui/SkinResources.h"

namespace SkinUI {

TFontInfo::~TFontInfo() {
    if (hFont) ::DeleteObject(hFont);
}

namespace {

// Resources every window sees.
struct SharedResources {
    std::map<int, std::unique_ptr<TFontInfo>> fonts;
    std::unique_ptr<TFontInfo> defaultFont;
    std::unique_ptr<TFontInfo> systemFont;
    std::map<std::wstring, ImagePtr> images;
    std::map<std::wstring, std::wstring> defaultAttributes;
    std::map<int, std::wstring> languageTexts;
};

SharedResources& Shared() {
    static SharedResources shared;
    return shared;
}

std::vector<CSkinManagerUI*>& Managers() {
    static std::vector<CSkinManagerUI*> managers;
    return managers;
}

long long PackPoint(POINT pt) {
    return (static_cast<long long>(static_cast<unsigned long>(pt.x)) << 32) | static_cast<unsigned long>(pt.y);
}

POINT UnpackPoint(long long v) {
    POINT pt;
    pt.x = static_cast<LONG>(static_cast<unsigned long>(static_cast<unsigned long long>(v) >> 32));
    pt.y = static_cast<LONG>(static_cast<unsigned long>(v & 0xFFFFFFFF));
    return pt;
}

std::wstring ImageKey(const std::wstring& file, DWORD mask) {
    std::wstring key = file;
    for (auto& c : key)
        if (c == L'\\') c = L'/';
    if (!key.empty()) ::CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    wchar_t suffix[16];
    wsprintfW(suffix, L"|%08X", mask);
    return key + suffix;
}

} // namespace

std::wstring CSkinManagerUI::LowerCase(const std::wstring& text) {
    std::wstring s = text;
    if (!s.empty()) ::CharLowerBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

CSkinManagerUI::CSkinManagerUI() {
    ::InitializeCriticalSection(&asyncLock_);
    measureDC_ = ::CreateCompatibleDC(nullptr);
}

CSkinManagerUI::~CSkinManagerUI() {
    auto& managers = Managers();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
    CControlUI* root = root_;
    root_ = nullptr;
    delete root;
    for (const TimerInfo& t : timers_)
        if (!t.killed && ::IsWindow(t.hWnd)) ::KillTimer(t.hWnd, t.sysId);
    timers_.clear();
    if (offscreenDC_) {
        ::SelectObject(offscreenDC_, offscreenOld_);
        ::DeleteDC(offscreenDC_);
    }
    if (offscreenBitmap_) ::DeleteObject(offscreenBitmap_);
    fonts_.clear();
    defaultFont_.reset();
    if (measureDC_) ::DeleteDC(measureDC_);
    ::DeleteCriticalSection(&asyncLock_);
}

void CSkinManagerUI::Init(HWND hWnd) {
    hWnd_ = hWnd;
    auto& managers = Managers();
    if (std::find(managers.begin(), managers.end(), this) == managers.end()) managers.push_back(this);
}

void CSkinManagerUI::ReleaseControls() {
    CControlUI* root = root_;
    root_ = nullptr;
    delete root;
    for (const TimerInfo& t : timers_)
        if (!t.killed && ::IsWindow(t.hWnd)) ::KillTimer(t.hWnd, t.sysId);
    timers_.clear();
    names_.clear();
    focus_ = hover_ = capture_ = nullptr;
    auto& managers = Managers();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
    hWnd_ = nullptr;
}

// ---- the control tree ----

bool CSkinManagerUI::AttachDialog(CControlUI* root) {
    if (root_ != nullptr && root_ != root) {
        CControlUI* old = root_;
        root_ = nullptr;
        delete old;
    }
    names_.clear();
    focus_ = hover_ = capture_ = nullptr;
    root_ = root;
    if (root_ == nullptr) return false;
    InitControls(root_, nullptr);
    firstLayout_ = true;
    NeedUpdate();
    return true;
}

void CSkinManagerUI::RegisterNames(CControlUI* control) {
    control->ForEachPostOrder([this](CControlUI* c) {
        if (!c->GetName().empty()) names_[c->GetName()] = c;
    });
}

void CSkinManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (control == nullptr) return;
    control->SetManager(this, parent, true);
    RegisterNames(control);
}

void CSkinManagerUI::ReapControl(CControlUI* control) {
    if (focus_ == control) focus_ = nullptr;
    if (hover_ == control) hover_ = nullptr;
    if (capture_ == control) capture_ = nullptr;
    if (root_ == control) root_ = nullptr;
    for (auto it = names_.begin(); it != names_.end();) {
        if (it->second == control)
            it = names_.erase(it);
        else
            ++it;
    }
    KillTimers(control);
    ::EnterCriticalSection(&asyncLock_);
    for (auto& p : asyncQueue_)
        if (p.msg.pSender == control) p.dropped = true;
    ::LeaveCriticalSection(&asyncLock_);
    for (auto& p : delivering_)
        if (p.msg.pSender == control) p.dropped = true;
}

CControlUI* CSkinManagerUI::FindControlByName(const std::wstring& name) const {
    auto it = names_.find(name);
    return it == names_.end() ? nullptr : it->second;
}

CControlUI* CSkinManagerUI::FindControlAt(POINT pt) {
    if (updateNeeded_) UpdateLayout();
    return root_ ? root_->FindControlAt(pt) : nullptr;
}

void CSkinManagerUI::NeedUpdate() {
    updateNeeded_ = true;
    if (hWnd_) ::InvalidateRect(hWnd_, nullptr, FALSE);
}

void CSkinManagerUI::Invalidate(const RECT& rc) {
    if (hWnd_) ::InvalidateRect(hWnd_, &rc, FALSE);
}

void CSkinManagerUI::UpdateLayout() {
    if (root_ == nullptr || hWnd_ == nullptr) return;
    RECT client;
    ::GetClientRect(hWnd_, &client);
    if (::IsRectEmpty(&client)) return;
    updateNeeded_ = false;
    root_->SetPos(client, false);
}

// ---- painting ----

void CSkinManagerUI::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hWnd_, &ps);
    if (root_ == nullptr) {
        ::EndPaint(hWnd_, &ps);
        return;
    }
    if (updateNeeded_) UpdateLayout();
    if (firstLayout_ && !updateNeeded_) {
        firstLayout_ = false;
        SendNotify(root_, L"windowinit");
        if (root_ == nullptr) {
            ::EndPaint(hWnd_, &ps);
            return;
        }
        if (updateNeeded_) UpdateLayout();
    }
    RECT client;
    ::GetClientRect(hWnd_, &client);
    const SIZE size = {client.right - client.left, client.bottom - client.top};
    if (size.cx <= 0 || size.cy <= 0) {
        ::EndPaint(hWnd_, &ps);
        return;
    }
    if (offscreenDC_ == nullptr || offscreenSize_.cx != size.cx || offscreenSize_.cy != size.cy) {
        if (offscreenDC_) {
            ::SelectObject(offscreenDC_, offscreenOld_);
            ::DeleteDC(offscreenDC_);
            offscreenDC_ = nullptr;
        }
        if (offscreenBitmap_) ::DeleteObject(offscreenBitmap_);
        offscreenBitmap_ = ::CreateCompatibleBitmap(dc, size.cx, size.cy);
        offscreenDC_ = ::CreateCompatibleDC(dc);
        offscreenOld_ = ::SelectObject(offscreenDC_, offscreenBitmap_);
        offscreenSize_ = size;
    }
    RECT paint;
    if (::IntersectRect(&paint, &ps.rcPaint, &client)) {
        ::FillRect(offscreenDC_, &paint, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        root_->DoPaint(offscreenDC_, paint);
        ::BitBlt(dc, paint.left, paint.top, paint.right - paint.left, paint.bottom - paint.top, offscreenDC_,
                 paint.left, paint.top, SRCCOPY);
    }
    ::EndPaint(hWnd_, &ps);
}

HBITMAP CSkinManagerUI::RenderToBitmap() const {
    if (hWnd_ == nullptr || root_ == nullptr) return nullptr;
    RECT client;
    ::GetClientRect(hWnd_, &client);
    if (::IsRectEmpty(&client)) return nullptr;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = client.right;
    bmi.bmiHeader.biHeight = -client.bottom;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    root_->DoPaint(dc, client);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return bitmap;
}

// ---- focus ----

void CSkinManagerUI::SetFocus(CControlUI* control, bool focusWindow) {
    if (focusWindow && hWnd_ && ::GetFocus() != hWnd_ && control != focus_) ::SetFocus(hWnd_);
    if (control == focus_) return;
    if (focus_ != nullptr) {
        CControlUI* old = focus_;
        focus_ = nullptr;
        TEventUI ev = MakeEvent(UIEVENT_KILLFOCUS, old, 0, 0);
        old->Event(ev);
        SendNotify(old, L"killfocus");
    }
    if (control != nullptr && control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        focus_ = control;
        TEventUI ev = MakeEvent(UIEVENT_SETFOCUS, control, 0, 0);
        control->Event(ev);
        SendNotify(control, L"setfocus");
    }
}

bool CSkinManagerUI::SetNextTabControl(bool forward) {
    if (root_ == nullptr) return false;
    std::vector<CControlUI*> stops;
    root_->ForEachPreOrder([&stops](CControlUI* c) {
        if (!c->IsVisible()) return false;
        if (c->IsTabStop() && c->IsEnabled() && c->IsKeyboardEnabled()) stops.push_back(c);
        return true;
    });
    if (stops.empty()) return false;
    auto it = std::find(stops.begin(), stops.end(), focus_);
    int index;
    const int n = static_cast<int>(stops.size());
    if (it == stops.end())
        index = forward ? 0 : n - 1;
    else
        index = (static_cast<int>(it - stops.begin()) + (forward ? 1 : n - 1)) % n;
    SetFocus(stops[index]);
    return true;
}

// ---- timers ----

bool CSkinManagerUI::StartTimer(CControlUI* control, UINT timerId, UINT elapse) {
    if (control == nullptr || hWnd_ == nullptr) return false;
    for (TimerInfo& t : timers_) {
        if (t.control == control && t.hWnd == hWnd_ && t.localId == timerId) {
            if (!t.killed) return false;  // running: the interval stays
            if (!::SetTimer(hWnd_, t.sysId, elapse, nullptr)) return false;
            t.killed = false;
            return true;
        }
    }
    timerCounter_ = (timerCounter_ + 1) % 255;
    if (!::SetTimer(hWnd_, timerCounter_, elapse, nullptr)) return false;
    timers_.push_back(TimerInfo{control, timerId, hWnd_, timerCounter_, false});
    return true;
}

bool CSkinManagerUI::StopTimer(CControlUI* control, UINT timerId) {
    for (TimerInfo& t : timers_) {
        if (t.control == control && t.hWnd == hWnd_ && t.localId == timerId && !t.killed) {
            if (::IsWindow(t.hWnd)) ::KillTimer(t.hWnd, t.sysId);
            t.killed = true;
            return true;
        }
    }
    return false;
}

void CSkinManagerUI::KillTimers(CControlUI* control) {
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->control == control) {
            if (!it->killed && ::IsWindow(it->hWnd)) ::KillTimer(it->hWnd, it->sysId);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

// ---- notifications ----

POINT CSkinManagerUI::GetMousePos() const { return UnpackPoint(lastMouse_.load()); }

void CSkinManagerUI::SendNotify(CControlUI* control, const std::wstring& type, WPARAM wParam, LPARAM lParam,
                                bool async) {
    TNotify msg;
    msg.pSender = control;
    msg.sType = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async);
}

void CSkinManagerUI::SendNotify(TNotify& msg, bool async) {
    msg.ptMouse = GetMousePos();
    msg.dwTimestamp = ::GetTickCount();
    if (!async) {
        if (msg.pSender) msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
        Deliver(msg);
        return;
    }
    // Any thread may get here; the record is delivered on the window's thread.
    bool post = false;
    ::EnterCriticalSection(&asyncLock_);
    bool merged = false;
    if (!asyncRepeat_) {
        for (auto& p : asyncQueue_) {
            if (!p.dropped && p.msg.pSender == msg.pSender && p.msg.sType == msg.sType) {
                p.msg = msg;
                merged = true;
                break;
            }
        }
    }
    if (!merged) asyncQueue_.push_back(PendingNotify{msg, false});
    if (!asyncPosted_) {
        asyncPosted_ = true;
        post = true;
    }
    HWND target = hWnd_;
    ::LeaveCriticalSection(&asyncLock_);
    if (post) {
        if (target == nullptr || !::PostMessageW(target, WM_SKINUI_ASYNCNOTIFY, 0, 0)) {
            ::EnterCriticalSection(&asyncLock_);
            asyncPosted_ = false;
            ::LeaveCriticalSection(&asyncLock_);
        }
    }
}

void CSkinManagerUI::DeliverAsyncNotifications() {
    ::EnterCriticalSection(&asyncLock_);
    std::deque<PendingNotify> batch;
    batch.swap(asyncQueue_);
    asyncPosted_ = false;
    ::LeaveCriticalSection(&asyncLock_);
    // Kept where ReapControl can see it while the records are delivered.
    for (auto& p : batch) delivering_.push_back(std::move(p));
    while (!delivering_.empty()) {
        PendingNotify p = delivering_.front();
        delivering_.pop_front();
        if (p.dropped) continue;
        if (p.msg.pSender) p.msg.sVirtualWnd = p.msg.pSender->GetVirtualWnd();
        Deliver(p.msg);
    }
}

void CSkinManagerUI::Deliver(TNotify& msg) {
    if (msg.pSender != nullptr && !msg.pSender->OnNotify.empty()) {
        auto listeners = msg.pSender->OnNotify;
        for (auto& listener : listeners)
            if (!listener(msg)) return;
    }
    std::vector<INotifyUI*> notifiers = notifiers_;
    for (INotifyUI* n : notifiers) {
        if (std::find(notifiers_.begin(), notifiers_.end(), n) == notifiers_.end()) continue;
        n->Notify(msg);
    }
}

namespace {
// Registration lists hold each entry once.
template <typename T>
bool AddOnce(std::vector<T*>& list, T* entry) {
    if (entry == nullptr || std::find(list.begin(), list.end(), entry) != list.end()) return false;
    list.push_back(entry);
    return true;
}

template <typename T>
bool RemoveEntry(std::vector<T*>& list, T* entry) {
    auto it = std::find(list.begin(), list.end(), entry);
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}
} // namespace

bool CSkinManagerUI::AddNotifier(INotifyUI* notifier) {
    return AddOnce(notifiers_, notifier);
}

bool CSkinManagerUI::RemoveNotifier(INotifyUI* notifier) {
    return RemoveEntry(notifiers_, notifier);
}

bool CSkinManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) {
    return AddOnce(preFilters_, filter);
}

bool CSkinManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) {
    return RemoveEntry(preFilters_, filter);
}

bool CSkinManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
    return AddOnce(filters_, filter);
}

bool CSkinManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
    return RemoveEntry(filters_, filter);
}

// ---- messages ----

TEventUI CSkinManagerUI::MakeEvent(int type, CControlUI* sender, WPARAM wParam, LPARAM lParam) const {
    TEventUI ev;
    ev.Type = type;
    ev.pSender = sender;
    ev.dwTimestamp = ::GetTickCount();
    ev.ptMouse = GetMousePos();
    ev.wParam = wParam;
    ev.lParam = lParam;
    WORD keys = 0;
    if (::GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
    if (::GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
    ev.wKeyState = keys;
    return ev;
}

bool CSkinManagerUI::TranslateMessage(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) return false;
    HWND h = msg->hwnd;
    for (;;) {
        for (CSkinManagerUI* m : Managers()) {
            if (m->hWnd_ == h) {
                LRESULT result = 0;
                return m->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
            }
        }
        if ((::GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD) == 0) return false;
        h = ::GetParent(h);
        if (h == nullptr) return false;
    }
}

void CSkinManagerUI::MessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool CSkinManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    std::vector<IMessageFilterUI*> filters = preFilters_;
    for (IMessageFilterUI* f : filters) {
        if (std::find(preFilters_.begin(), preFilters_.end(), f) == preFilters_.end()) continue;
        bool handled = false;
        LRESULT r = f->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            result = r;
            return true;
        }
    }
    switch (uMsg) {
    case WM_KEYDOWN:
        if (wParam == VK_TAB && root_ != nullptr) {
            SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
            result = 0;
            return true;
        }
        break;
    case WM_SYSCHAR: {
        if (root_ == nullptr) break;
        wchar_t c[2] = {static_cast<wchar_t>(wParam), 0};
        ::CharUpperBuffW(c, 1);
        CControlUI* target = nullptr;
        root_->ForEachPreOrder([&](CControlUI* x) {
            if (!x->IsVisible()) return false;
            if (target == nullptr && x->IsEnabled() && x->GetShortcut() == c[0]) target = x;
            return target == nullptr;
        });
        if (target != nullptr) {
            target->SetFocus();
            target->Activate();
            result = 0;
            return true;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

void CSkinManagerUI::SetHover(CControlUI* control, const TEventUI& base) {
    if (control == hover_) return;
    if (hover_ != nullptr) {
        TEventUI ev = base;
        ev.Type = UIEVENT_MOUSELEAVE;
        ev.pSender = hover_;
        CControlUI* old = hover_;
        hover_ = nullptr;
        old->Event(ev);
    }
    hover_ = control;
    if (hover_ != nullptr) {
        TEventUI ev = base;
        ev.Type = UIEVENT_MOUSEENTER;
        ev.pSender = hover_;
        hover_->Event(ev);
    }
}

bool CSkinManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (hWnd_ == nullptr) return false;
    {
        std::vector<IMessageFilterUI*> filters = filters_;
        for (IMessageFilterUI* f : filters) {
            if (std::find(filters_.begin(), filters_.end(), f) == filters_.end()) continue;
            bool handled = false;
            LRESULT r = f->MessageHandler(uMsg, wParam, lParam, handled);
            if (handled) {
                result = r;
                return true;
            }
        }
    }
    switch (uMsg) {
    case WM_SKINUI_ASYNCNOTIFY:
        DeliverAsyncNotifications();
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_PRINTCLIENT: {
        if (root_ == nullptr) return false;
        RECT client;
        ::GetClientRect(hWnd_, &client);
        if (updateNeeded_) UpdateLayout();
        root_->DoPaint(reinterpret_cast<HDC>(wParam), client);
        result = 0;
        return true;
    }
    case WM_SIZE:
        if (root_ != nullptr && wParam != SIZE_MINIMIZED) NeedUpdate();
        return false;
    case WM_TIMER: {
        for (const TimerInfo& t : timers_) {
            if (t.hWnd == hWnd_ && t.sysId == wParam && !t.killed) {
                TEventUI ev = MakeEvent(UIEVENT_TIMER, t.control, t.localId, lParam);
                CControlUI* c = t.control;
                c->Event(ev);  // may start or stop timers: `t` is not used again
                result = 0;
                return true;
            }
        }
        return false;
    }
    case WM_MOUSEMOVE: {
        if (!mouseTracking_) {
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE | TME_HOVER, hWnd_, HOVER_DEFAULT};
            ::TrackMouseEvent(&tme);
            mouseTracking_ = true;
        }
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        lastMouse_ = PackPoint(pt);
        CControlUI* under = FindControlAt(pt);
        if (under != nullptr && under->GetManager() != this) under = nullptr;
        TEventUI base = MakeEvent(UIEVENT_MOUSEMOVE, nullptr, wParam, lParam);
        SetHover(under, base);
        CControlUI* target = capture_ ? capture_ : hover_;
        if (target != nullptr) {
            base.pSender = target;
            target->Event(base);
        }
        return false;
    }
    case WM_MOUSELEAVE:
        mouseTracking_ = false;
        if (capture_ == nullptr && hover_ != nullptr) {
            TEventUI base = MakeEvent(UIEVENT_MOUSELEAVE, nullptr, wParam, lParam);
            SetHover(nullptr, base);
        }
        return false;
    case WM_MOUSEHOVER:
        if (hover_ != nullptr) {
            TEventUI ev = MakeEvent(UIEVENT_MOUSEHOVER, hover_, wParam, lParam);
            hover_->Event(ev);
        }
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        ::SetFocus(hWnd_);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        lastMouse_ = PackPoint(pt);
        CControlUI* c = FindControlAt(pt);
        if (c == nullptr || c->GetManager() != this) return false;
        capture_ = c;
        c->SetFocus();
        if (capture_ != c) return false;  // focus handling took it away
        ::SetCapture(hWnd_);
        TEventUI ev = MakeEvent(uMsg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_DBLCLICK, c, wParam, lParam);
        c->Event(ev);
        return false;
    }
    case WM_LBUTTONUP: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        lastMouse_ = PackPoint(pt);
        if (capture_ == nullptr) return false;
        CControlUI* c = capture_;
        capture_ = nullptr;
        if (::GetCapture() == hWnd_) ::ReleaseCapture();
        TEventUI ev = MakeEvent(UIEVENT_BUTTONUP, c, wParam, lParam);
        c->Event(ev);
        return false;
    }
    case WM_RBUTTONDOWN: {
        ::SetFocus(hWnd_);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        lastMouse_ = PackPoint(pt);
        CControlUI* c = FindControlAt(pt);
        if (c != nullptr && c->GetManager() == this) c->SetFocus();
        return false;
    }
    case WM_CONTEXTMENU: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (pt.x == -1 && pt.y == -1) {
            pt = GetMousePos();
        } else {
            ::ScreenToClient(hWnd_, &pt);
        }
        CControlUI* c = FindControlAt(pt);
        if (c == nullptr || c->GetManager() != this) return false;
        TEventUI ev = MakeEvent(UIEVENT_CONTEXTMENU, c, wParam, lParam);
        ev.ptMouse = pt;
        c->Event(ev);
        return false;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(hWnd_, &pt);
        CControlUI* c = FindControlAt(pt);
        if (c == nullptr || c->GetManager() != this) return false;
        TEventUI ev = MakeEvent(UIEVENT_SCROLLWHEEL, c, wParam, lParam);
        ev.ptMouse = pt;
        c->Event(ev);
        result = 0;
        return true;
    }
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT) return false;
        POINT pt;
        ::GetCursorPos(&pt);
        ::ScreenToClient(hWnd_, &pt);
        CControlUI* c = FindControlAt(pt);
        if (c == nullptr) return false;
        TEventUI ev = MakeEvent(UIEVENT_SETCURSOR, c, wParam, lParam);
        ev.ptMouse = pt;
        c->Event(ev);
        result = TRUE;
        return true;
    }
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
            result = 0;
            return true;
        }
        if (focus_ != nullptr) {
            TEventUI ev = MakeEvent(UIEVENT_KEYDOWN, focus_, wParam, lParam);
            ev.chKey = static_cast<wchar_t>(wParam);
            focus_->Event(ev);
            result = 0;
            return true;
        }
        return false;
    case WM_KEYUP:
    case WM_CHAR:
        if (focus_ != nullptr) {
            TEventUI ev = MakeEvent(uMsg == WM_CHAR ? UIEVENT_CHAR : UIEVENT_KEYUP, focus_, wParam, lParam);
            ev.chKey = static_cast<wchar_t>(wParam);
            focus_->Event(ev);
            result = 0;
            return true;
        }
        return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_COMMAND: {
        if (lParam == 0) return false;
        HWND child = reinterpret_cast<HWND>(lParam);
        if (::GetParent(child) != hWnd_) return false;
        LRESULT r = ::SendMessageW(child, WM_SKINUI_REFLECT + uMsg, wParam, lParam);
        if (r == 0) return false;
        result = r;
        return true;
    }
    default:
        return false;
    }
}

// ---- window attributes ----

void CSkinManagerUI::SetInitSize(int cx, int cy) {
    initSize_ = {cx, cy};
    if (hWnd_ != nullptr && root_ == nullptr)
        ::SetWindowPos(hWnd_, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CSkinManagerUI::SetOpacity(BYTE opacity) {
    opacity_ = opacity;
    if (hWnd_ == nullptr) return;
    LONG_PTR ex = ::GetWindowLongPtrW(hWnd_, GWL_EXSTYLE);
    if (opacity < 255) {
        ::SetWindowLongPtrW(hWnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        ::SetLayeredWindowAttributes(hWnd_, 0, opacity, LWA_ALPHA);
    } else if (ex & WS_EX_LAYERED) {
        ::SetLayeredWindowAttributes(hWnd_, 0, 255, LWA_ALPHA);
    }
}

void CSkinManagerUI::SetWindowAttribute(const std::wstring& rawName, const std::wstring& value) {
    const std::wstring name = LowerCase(rawName);
    if (name == L"size") {
        SIZE s = ParseSize(value);
        SetInitSize(s.cx, s.cy);
    } else if (name == L"sizebox") {
        SetSizeBox(ParseRect(value));
    } else if (name == L"caption") {
        SetCaptionRect(ParseRect(value));
    } else if (name == L"roundcorner") {
        SIZE s = ParseSize(value);
        SetRoundCorner(s.cx, s.cy);
    } else if (name == L"mininfo") {
        SIZE s = ParseSize(value);
        SetMinInfo(s.cx, s.cy);
    } else if (name == L"maxinfo") {
        SIZE s = ParseSize(value);
        SetMaxInfo(s.cx, s.cy);
    } else if (name == L"showdirty") {
        showDirty_ = ParseWindowBool(value);
    } else if (name == L"noactivate") {
        noActivate_ = ParseWindowBool(value);
    } else if (name == L"opacity" || name == L"layeredopacity") {
        long v = ParseLong(value.c_str());
        SetOpacity(static_cast<BYTE>(std::max(0L, std::min(255L, v))));
    } else if (name == L"layeredimage") {
        layeredImage_ = value;
    } else if (name == L"disabledfontcolor") {
        defaultDisabledColor_ = ParseColor(value);
    } else if (name == L"defaultfontcolor") {
        defaultFontColor_ = ParseColor(value);
    } else if (name == L"linkfontcolor") {
        defaultLinkFontColor_ = ParseColor(value);
    } else if (name == L"linkhoverfontcolor") {
        defaultLinkHoverFontColor_ = ParseColor(value);
    } else if (name == L"selectedcolor") {
        defaultSelectedBkColor_ = ParseColor(value);
    } else {
        windowCustom_[name] = value;
    }
}

std::wstring CSkinManagerUI::GetWindowCustomAttribute(const std::wstring& name) const {
    auto it = windowCustom_.find(LowerCase(name));
    return it == windowCustom_.end() ? std::wstring() : it->second;
}

bool CSkinManagerUI::HasWindowCustomAttribute(const std::wstring& name) const {
    return windowCustom_.count(LowerCase(name)) != 0;
}

// ---- fonts ----

std::unique_ptr<TFontInfo> CSkinManagerUI::MakeFont(const std::wstring& faceName, int size, bool bold,
                                                    bool underline, bool italic) const {
    LOGFONTW lf{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    if (!faceName.empty()) {
        std::wstring face = faceName.substr(0, LF_FACESIZE - 1);
        std::copy(face.begin(), face.end(), lf.lfFaceName);
        lf.lfFaceName[face.size()] = L'\0';
    }
    if (size > 0) lf.lfHeight = -size;
    // The weight stays inside the documented range.
    if (bold) lf.lfWeight = std::min(1000L, lf.lfWeight + FW_BOLD);
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    HFONT font = ::CreateFontIndirectW(&lf);
    if (font == nullptr) return nullptr;
    auto info = std::make_unique<TFontInfo>();
    info->hFont = font;
    info->faceName = lf.lfFaceName;
    info->size = size;
    info->bold = bold;
    info->underline = underline;
    info->italic = italic;
    HGDIOBJ old = ::SelectObject(measureDC_, font);
    ::GetTextMetricsW(measureDC_, &info->tm);
    ::SelectObject(measureDC_, old);
    return info;
}

bool CSkinManagerUI::AddFont(int id, const std::wstring& faceName, int size, bool bold, bool underline,
                             bool italic, bool shared) {
    auto info = MakeFont(faceName, size, bold, underline, italic);
    if (!info) return false;
    if (shared)
        Shared().fonts[id] = std::move(info);
    else
        fonts_[id] = std::move(info);
    return true;
}

void CSkinManagerUI::SetDefaultFont(const std::wstring& faceName, int size, bool bold, bool underline,
                                    bool italic, bool shared) {
    auto info = MakeFont(faceName, size, bold, underline, italic);
    if (!info) return;
    if (shared)
        Shared().defaultFont = std::move(info);
    else
        defaultFont_ = std::move(info);
}

const TFontInfo* CSkinManagerUI::GetFontInfo(int id) const {
    if (id >= 0) {
        auto it = fonts_.find(id);
        if (it != fonts_.end()) return it->second.get();
        auto sit = Shared().fonts.find(id);
        if (sit != Shared().fonts.end()) return sit->second.get();
    }
    if (defaultFont_) return defaultFont_.get();
    if (Shared().defaultFont) return Shared().defaultFont.get();
    if (!Shared().systemFont) Shared().systemFont = MakeFont(L"", 0, false, false, false);
    return Shared().systemFont.get();
}

HFONT CSkinManagerUI::GetFont(int id) const {
    const TFontInfo* info = GetFontInfo(id);
    return info ? info->hFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// ---- images ----

ImagePtr CSkinManagerUI::GetImage(const std::wstring& file, DWORD mask, bool shared) {
    if (file.empty()) return nullptr;
    const std::wstring key = ImageKey(file, mask);
    auto it = images_.find(key);
    if (it != images_.end()) return it->second;
    auto sit = Shared().images.find(key);
    if (sit != Shared().images.end()) return sit->second;

    std::vector<unsigned char> bytes;
    std::wstring error;
    ImagePtr image;
    if (CSkinResources::ReadFile(file, bytes, 0, error) || CSkinResources::ReadPlainFile(file, bytes))
        image = DecodeImage(bytes.data(), bytes.size(), mask);
    // A missing image is remembered too, so painting does not look for it again.
    if (shared)
        Shared().images[key] = image;
    else
        images_[key] = image;
    return image;
}

ImagePtr CSkinManagerUI::GetResourceImage(const std::wstring& res, const std::wstring& type, DWORD mask) {
    const std::wstring key = L"res:" + res + L"|" + type + ImageKey(L"", mask);
    auto it = images_.find(key);
    if (it != images_.end()) return it->second;
    ImagePtr image;
    HINSTANCE module = CSkinResources::GetInstance();
    const wchar_t* name = res.c_str();
    const wchar_t* end = nullptr;
    long number = ParseLong(res.c_str(), &end);
    if (end != res.c_str() && *end == L'\0') name = MAKEINTRESOURCEW(number);
    HRSRC info = ::FindResourceW(module, name, type.empty() ? RT_RCDATA : type.c_str());
    if (info != nullptr) {
        HGLOBAL h = ::LoadResource(module, info);
        DWORD size = ::SizeofResource(module, info);
        const void* data = h ? ::LockResource(h) : nullptr;
        if (data != nullptr && size > 0) image = DecodeImage(static_cast<const unsigned char*>(data), size, mask);
    }
    images_[key] = image;
    return image;
}

ImagePtr CSkinManagerUI::GetImageFor(const TImageDescriptor& d) {
    if (d.hasColor) {
        wchar_t key[32];
        wsprintfW(key, L"color:%08X", d.color);
        auto it = images_.find(key);
        if (it != images_.end()) return it->second;
        ImagePtr image = MakeColorImage(d.color);
        images_[key] = image;
        return image;
    }
    if (!d.res.empty()) return GetResourceImage(d.res, d.resType, d.mask);
    return GetImage(d.file, d.mask);
}

// ---- default attributes and texts ----

void CSkinManagerUI::AddDefaultAttributeList(const std::wstring& elementName, const std::wstring& list,
                                             bool shared) {
    if (shared)
        Shared().defaultAttributes[LowerCase(elementName)] = list;
    else
        defaultAttributes_[LowerCase(elementName)] = list;
}

std::wstring CSkinManagerUI::GetDefaultAttributeList(const std::wstring& elementName) const {
    const std::wstring key = LowerCase(elementName);
    auto it = defaultAttributes_.find(key);
    if (it != defaultAttributes_.end()) return it->second;
    auto sit = Shared().defaultAttributes.find(key);
    return sit == Shared().defaultAttributes.end() ? std::wstring() : sit->second;
}

void CSkinManagerUI::AddMultiLanguageString(int id, const std::wstring& text) { Shared().languageTexts[id] = text; }

std::wstring CSkinManagerUI::GetMultiLanguageString(int id) {
    auto it = Shared().languageTexts.find(id);
    return it == Shared().languageTexts.end() ? std::wstring() : it->second;
}

// ---- option groups ----

void CSkinManagerUI::AddOptionGroup(const std::wstring& group, COptionUI* option) {
    auto& members = optionGroups_[group];
    if (std::find(members.begin(), members.end(), option) == members.end()) members.push_back(option);
}

const std::vector<COptionUI*>* CSkinManagerUI::GetOptionGroup(const std::wstring& group) const {
    auto it = optionGroups_.find(group);
    return it == optionGroups_.end() ? nullptr : &it->second;
}

void CSkinManagerUI::RemoveOptionGroupMember(COptionUI* option) {
    for (auto& g : optionGroups_) g.second.erase(std::remove(g.second.begin(), g.second.end(), option), g.second.end());
}

} // namespace SkinUI

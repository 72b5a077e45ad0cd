#include "ui/WindowWnd.h"

#include "ui/SkinManager.h"
#include "ui/SkinResources.h"

namespace SkinUI {

namespace {
const wchar_t kBindingProperty[] = L"SkinUI.Window";
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, const RECT& rc,
                        HMENU menu) {
    return Create(parent, name, style, exStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, menu);
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x, int y, int cx,
                        int cy, HMENU menu) {
    if (GetSuperClassName() != nullptr && !RegisterSuperclass()) return nullptr;
    if (GetSuperClassName() == nullptr && !RegisterWindowClass()) return nullptr;
    hWnd_ = ::CreateWindowExW(exStyle, GetWindowClassName(), name, style, x, y, cx, cy, parent, menu,
                              CSkinResources::GetInstance(), this);
    return hWnd_;
}

HWND CWindowWnd::Subclass(HWND hWnd) {
    if (!::IsWindow(hWnd)) return nullptr;
    oldWndProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
    if (oldWndProc_ == nullptr) return nullptr;
    subclassed_ = true;
    hWnd_ = hWnd;
    ::SetPropW(hWnd, kBindingProperty, this);
    return hWnd_;
}

void CWindowWnd::Unsubclass() {
    if (!subclassed_ || !::IsWindow(hWnd_)) return;
    ::SetWindowLongPtrW(hWnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc_));
    ::RemovePropW(hWnd_, kBindingProperty);
    oldWndProc_ = ::DefWindowProcW;
    subclassed_ = false;
}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSW wc{};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = CSkinResources::GetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszClassName = GetWindowClassName();
    ATOM atom = ::RegisterClassW(&wc);
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    HINSTANCE instance = CSkinResources::GetInstance();
    if (::GetClassInfoExW(instance, GetWindowClassName(), &wc)) {
        // Registered before: remember the system procedure it builds on.
        WNDCLASSEXW base{};
        base.cbSize = sizeof(base);
        if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &base) &&
            !::GetClassInfoExW(instance, GetSuperClassName(), &base))
            return false;
        oldWndProc_ = base.lpfnWndProc;
        return true;
    }
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExW(instance, GetSuperClassName(), &wc))
        return false;
    oldWndProc_ = wc.lpfnWndProc;
    wc.lpfnWndProc = ControlProc;
    wc.hInstance = instance;
    wc.lpszClassName = GetWindowClassName();
    ATOM atom = ::RegisterClassExW(&wc);
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (uMsg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        self = static_cast<CWindowWnd*>(cs->lpCreateParams);
        self->hWnd_ = hWnd;
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && self != nullptr) {
            LRESULT result = ::CallWindowProcW(self->oldWndProc_, hWnd, uMsg, wParam, lParam);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            if (self->subclassed_) self->Unsubclass();
            self->hWnd_ = nullptr;
            self->OnFinalMessage(hWnd);
            return result;
        }
    }
    if (self != nullptr) return self->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (uMsg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        self = static_cast<CWindowWnd*>(cs->lpCreateParams);
        ::SetPropW(hWnd, kBindingProperty, self);
        self->hWnd_ = hWnd;
    } else {
        self = static_cast<CWindowWnd*>(::GetPropW(hWnd, kBindingProperty));
        if (uMsg == WM_NCDESTROY && self != nullptr) {
            LRESULT result = ::CallWindowProcW(self->oldWndProc_, hWnd, uMsg, wParam, lParam);
            if (self->subclassed_) self->Unsubclass();
            ::RemovePropW(hWnd, kBindingProperty);
            self->hWnd_ = nullptr;
            self->OnFinalMessage(hWnd);
            return result;
        }
    }
    if (self != nullptr) return self->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(oldWndProc_, hWnd_, uMsg, wParam, lParam);
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(hWnd_)) return;
    ::ShowWindow(hWnd_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
    if (!::IsWindow(hWnd_)) return 0;
    UINT result = 0;
    HWND owner = ::GetWindow(hWnd_, GW_OWNER);
    ::ShowWindow(hWnd_, SW_SHOWNORMAL);
    if (owner) ::EnableWindow(owner, FALSE);
    MSG msg{};
    bool quit = false;
    while (::IsWindow(hWnd_)) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got == -1) break;
        if (msg.message == WM_CLOSE && msg.hwnd == hWnd_) {
            result = static_cast<UINT>(msg.wParam);
            if (owner) {
                ::EnableWindow(owner, TRUE);
                ::SetFocus(owner);
            }
        }
        if (!CSkinManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void CWindowWnd::Close(UINT result) {
    if (!::IsWindow(hWnd_)) return;
    ::PostMessageW(hWnd_, WM_CLOSE, static_cast<WPARAM>(result), 0);
}

void CWindowWnd::CenterWindow() {
    if (!::IsWindow(hWnd_)) return;
    RECT rcDlg;
    ::GetWindowRect(hWnd_, &rcDlg);
    HWND owner = ::GetWindow(hWnd_, GW_OWNER);
    HMONITOR monitor = ::MonitorFromWindow(owner ? owner : hWnd_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(monitor, &mi);
    const RECT work = mi.rcWork;
    RECT center = work;
    if (owner != nullptr && !::IsIconic(owner)) ::GetWindowRect(owner, &center);

    const int w = rcDlg.right - rcDlg.left, h = rcDlg.bottom - rcDlg.top;
    int x = (center.left + center.right) / 2 - w / 2;
    int y = (center.top + center.bottom) / 2 - h / 2;
    if (x + w > work.right) x = work.right - w;
    if (x < work.left) x = work.left;
    if (y + h > work.bottom) y = work.bottom - h;
    if (y < work.top) y = work.top;
    ::SetWindowPos(hWnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT resourceId) {
    HINSTANCE instance = CSkinResources::GetInstance();
    HICON big = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                LR_DEFAULTCOLOR));
    if (big) ::SendMessageW(hWnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    HICON small = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON),
                                                  ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (small) ::SendMessageW(hWnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(hWnd_, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(hWnd_, uMsg, wParam, lParam);
}

void CWindowWnd::ResizeClient(int cx, int cy) {
    RECT rc;
    if (!::GetClientRect(hWnd_, &rc)) return;
    if (cx != -1) rc.right = cx;
    if (cy != -1) rc.bottom = cy;
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hWnd_, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hWnd_, GWL_EXSTYLE));
    ::AdjustWindowRectEx(&rc, style, ::GetMenu(hWnd_) != nullptr, exStyle);
    ::SetWindowPos(hWnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

} // namespace SkinUI

#include "ui/WindowImplBase.h"

#include <windowsx.h>

#include <cstdlib>

#include "ui/AttributeValues.h"
#include "ui/Control.h"
#include "ui/SkinResources.h"

namespace SkinUI {

SKINUI_BEGIN_NOTIFY_MAP(WindowImplBase, CNotifyPump)
    SKINUI_ON_NOTIFY_TYPE(L"click", WindowImplBase::OnClick)
SKINUI_END_NOTIFY_MAP()

void WindowImplBase::OnFinalMessage(HWND) {
    manager_.RemovePreMessageFilter(this);
    manager_.RemoveNotifier(this);
    manager_.ReleaseControls();
}

void WindowImplBase::Notify(TNotify& msg) { NotifyPump(msg); }

CControlUI* WindowImplBase::CreateControl(const std::wstring&) { return nullptr; }

LONG WindowImplBase::GetStyle() {
    LONG style = static_cast<LONG>(::GetWindowLongPtrW(hWnd_, GWL_STYLE));
    return style & ~WS_CAPTION;
}

void WindowImplBase::OnClick(TNotify& msg) {
    const std::wstring name = msg.pSender ? msg.pSender->GetName() : std::wstring();
    if (name == L"closebtn") {
        Close(1);
    } else if (name == L"minbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name == L"restorebtn") {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam) {
    if (wParam == VK_RETURN) return FALSE;
    if (wParam == VK_ESCAPE) {
        Close(1);
        return TRUE;
    }
    return FALSE;
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool& handled) {
    if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        if (ResponseDefaultKeyEvent(wParam)) handled = true;
    }
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (::IsIconic(hWnd_)) {
        bHandled = FALSE;
        return 0;
    }
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (wParam && ::IsZoomed(hWnd_)) {
        auto* params = reinterpret_cast<LPNCCALCSIZE_PARAMS>(lParam);
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        ::GetMonitorInfoW(::MonitorFromWindow(hWnd_, MONITOR_DEFAULTTONEAREST), &mi);
        params->rgrc[0] = mi.rcWork;
    }
    // Otherwise the client area is the whole window: no frame.
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL&) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(hWnd_, &pt);
    RECT client;
    ::GetClientRect(hWnd_, &client);

    if (!::IsZoomed(hWnd_)) {
        const RECT& box = manager_.GetSizeBox();
        const bool left = pt.x < client.left + box.left;
        const bool right = pt.x >= client.right - box.right;
        const bool top = pt.y < client.top + box.top;
        const bool bottom = pt.y >= client.bottom - box.bottom;
        if (top && left) return HTTOPLEFT;
        if (top && right) return HTTOPRIGHT;
        if (bottom && left) return HTBOTTOMLEFT;
        if (bottom && right) return HTBOTTOMRIGHT;
        if (top) return HTTOP;
        if (bottom) return HTBOTTOM;
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
    }

    const RECT& caption = manager_.GetCaptionRect();
    if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right && pt.y >= caption.top &&
        pt.y < caption.bottom) {
        CControlUI* c = manager_.FindControlAt(pt);
        if (c == nullptr) return HTCLIENT;
        const std::wstring cls = c->GetClass();
        if (cls == L"Button" || cls == L"Option" || cls == L"Text") return HTCLIENT;
        return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL&) {
    auto* info = reinterpret_cast<LPMINMAXINFO>(lParam);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd_, MONITOR_DEFAULTTONEAREST), &mi);
    info->ptMaxPosition.x = mi.rcWork.left - mi.rcMonitor.left;
    info->ptMaxPosition.y = mi.rcWork.top - mi.rcMonitor.top;
    info->ptMaxSize.x = mi.rcWork.right - mi.rcWork.left;
    info->ptMaxSize.y = mi.rcWork.bottom - mi.rcWork.top;
    const SIZE minInfo = manager_.GetMinInfo();
    if (minInfo.cx > 0 || minInfo.cy > 0) {
        info->ptMinTrackSize.x = minInfo.cx;
        info->ptMinTrackSize.y = minInfo.cy;
    }
    const SIZE maxInfo = manager_.GetMaxInfo();
    if (maxInfo.cx > 0 || maxInfo.cy > 0) {
        info->ptMaxTrackSize.x = maxInfo.cx;
        info->ptMaxTrackSize.y = maxInfo.cy;
    }
    return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    const SIZE round = manager_.GetRoundCorner();
    if (wParam != SIZE_MINIMIZED && (round.cx != 0 || round.cy != 0)) {
        RECT rc;
        ::GetWindowRect(hWnd_, &rc);
        HRGN region = ::CreateRoundRectRgn(0, 0, rc.right - rc.left + 1, rc.bottom - rc.top + 1, round.cx,
                                           round.cy);
        if (region != nullptr && !::SetWindowRgn(hWnd_, region, TRUE)) ::DeleteObject(region);
    }
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        SendMessage(WM_CLOSE);
        return 0;
    }
    const bool wasZoomed = ::IsZoomed(hWnd_) != FALSE;
    LRESULT result = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    if (::IsWindow(hWnd_) && wasZoomed != (::IsZoomed(hWnd_) != FALSE)) {
        const bool zoomed = !wasZoomed;
        CControlUI* maxButton = manager_.FindControlByName(L"maxbtn");
        CControlUI* restoreButton = manager_.FindControlByName(L"restorebtn");
        if (maxButton) maxButton->SetVisible(!zoomed);
        if (restoreButton) restoreButton->SetVisible(zoomed);
    }
    return result;
}

void WindowImplBase::OnSkinLoadFailed() {
    ::MessageBoxW(nullptr, L"加载资源文件失败", L"SkinUI", MB_OK | MB_ICONERROR);
    ::ExitProcess(1);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    LONG_PTR style = ::GetWindowLongPtrW(hWnd_, GWL_STYLE);
    style &= ~WS_CAPTION;
    ::SetWindowLongPtrW(hWnd_, GWL_STYLE, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT client;
    ::GetClientRect(hWnd_, &client);
    ::SetWindowPos(hWnd_, nullptr, client.left, client.top, client.right - client.left,
                   client.bottom - client.top, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);

    manager_.Init(hWnd_);
    manager_.AddPreMessageFilter(this);

    if (CSkinResources::GetResourcePath().empty())
        CSkinResources::SetResourcePath(CSkinResources::GetInstancePath() + GetSkinFolder());

    CSkinBuilder builder;
    CControlUI* root = nullptr;
    switch (GetResourceType()) {
    case kSkinResourceArchive:
        if (!CSkinResources::OpenResourceArchive(GetResourceId())) return 0;  // the window stays empty
        root = builder.Create(GetSkinFile(), this, &manager_);
        break;
    case kSkinArchiveFile:
        if (!CSkinResources::OpenArchiveFile(GetArchiveFileName())) return 0;
        root = builder.Create(GetSkinFile(), this, &manager_);
        break;
    case kSkinResourceDocument: {
        const std::wstring file = GetSkinFile();
        root = builder.CreateFromResource(static_cast<UINT>(ParseLong(file.c_str())), L"xml", this, &manager_);
        break;
    }
    default:
        root = builder.Create(GetSkinFile(), this, &manager_);
        break;
    }
    if (root == nullptr) {
        OnSkinLoadFailed();
        return 0;
    }
    manager_.AttachDialog(root);
    manager_.AddNotifier(this);
    InitWindow();
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    BOOL handled = TRUE;
    switch (uMsg) {
    case WM_CREATE: result = OnCreate(uMsg, wParam, lParam, handled); break;
    case WM_CLOSE: result = OnClose(uMsg, wParam, lParam, handled); break;
    case WM_DESTROY: result = OnDestroy(uMsg, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(uMsg, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(uMsg, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(uMsg, wParam, lParam, handled); break;
    case WM_NCHITTEST: result = OnNcHitTest(uMsg, wParam, lParam, handled); break;
    case WM_GETMINMAXINFO: result = OnGetMinMaxInfo(uMsg, wParam, lParam, handled); break;
    case WM_MOUSEWHEEL: result = OnMouseWheel(uMsg, wParam, lParam, handled); break;
    case WM_SIZE: result = OnSize(uMsg, wParam, lParam, handled); break;
    case WM_CHAR: result = OnChar(uMsg, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(uMsg, wParam, lParam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(uMsg, wParam, lParam, handled); break;
    case WM_KILLFOCUS: result = OnKillFocus(uMsg, wParam, lParam, handled); break;
    case WM_SETFOCUS: result = OnSetFocus(uMsg, wParam, lParam, handled); break;
    case WM_LBUTTONUP: result = OnLButtonUp(uMsg, wParam, lParam, handled); break;
    case WM_LBUTTONDOWN: result = OnLButtonDown(uMsg, wParam, lParam, handled); break;
    case WM_MOUSEMOVE: result = OnMouseMove(uMsg, wParam, lParam, handled); break;
    case WM_MOUSEHOVER: result = OnMouseHover(uMsg, wParam, lParam, handled); break;
    default: handled = FALSE; break;
    }
    if (handled) return result;
    handled = TRUE;
    result = HandleCustomMessage(uMsg, wParam, lParam, handled);
    if (handled) return result;
    if (manager_.MessageHandler(uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

} // namespace SkinUI

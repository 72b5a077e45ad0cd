#include "ui/Edit.h"

#include "ui/AttributeValues.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"
#include "ui/SkinResources.h"
#include "ui/WindowWnd.h"

namespace SkinUI {

// The native edit child window of one CEditUI.
class CEditWnd : public CWindowWnd {
public:
    explicit CEditWnd(CEditUI* owner) : owner_(owner) {}
    ~CEditWnd() override {
        if (brush_) ::DeleteObject(brush_);
    }

    bool Open();
    void Detach() { owner_ = nullptr; }
    RECT EditRect() const;

    const wchar_t* GetWindowClassName() const override { return L"SkinUIEditWnd"; }
    const wchar_t* GetSuperClassName() const override { return L"EDIT"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT OnCtlColor(HDC hDC);

    CEditUI* owner_;
    HBRUSH brush_ = nullptr;
    bool closing_ = false;
};

RECT CEditWnd::EditRect() const {
    RECT rc = owner_->GetPos();
    const RECT& pad = owner_->GetTextPadding();
    rc.left += pad.left;
    rc.top += pad.top;
    rc.right -= pad.right;
    rc.bottom -= pad.bottom;
    // A single-line edit is as tall as its font; centre it in the padding box.
    const TFontInfo* font = owner_->GetManager()->GetFontInfo(owner_->GetFont());
    const int lineHeight = font ? font->tm.tmHeight : 0;
    const int h = rc.bottom - rc.top;
    if (lineHeight > 0 && h > lineHeight) {
        rc.top += (h - lineHeight) / 2;
        rc.bottom = rc.top + lineHeight;
    }
    return rc;
}

bool CEditWnd::Open() {
    CSkinManagerUI* manager = owner_->GetManager();
    RECT rc = EditRect();
    DWORD style = WS_CHILD | ES_AUTOHSCROLL;
    const UINT textStyle = owner_->GetTextStyle();
    if (textStyle & DT_CENTER) style |= ES_CENTER;
    else if (textStyle & DT_RIGHT) style |= ES_RIGHT;
    else style |= ES_LEFT;
    if (owner_->IsPasswordMode()) style |= ES_PASSWORD;
    if (owner_->IsNumberOnly()) style |= ES_NUMBER;
    if (Create(manager->GetPaintWindow(), nullptr, style, 0, rc) == nullptr) return false;

    ::SendMessageW(hWnd_, WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(owner_->GetFont())), FALSE);
    ::SendMessageW(hWnd_, EM_LIMITTEXT, static_cast<WPARAM>(owner_->GetMaxChar()), 0);
    if (owner_->IsPasswordMode()) ::SendMessageW(hWnd_, EM_SETPASSWORDCHAR, owner_->GetPasswordChar(), 0);
    ::SetWindowTextW(hWnd_, owner_->text_.c_str());
    ::SendMessageW(hWnd_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    ::SendMessageW(hWnd_, EM_SETMODIFY, FALSE, 0);
    ::EnableWindow(hWnd_, owner_->IsEnabled());
    ::SendMessageW(hWnd_, EM_SETREADONLY, owner_->IsReadOnly(), 0);
    ::ShowWindow(hWnd_, SW_SHOWNOACTIVATE);
    ::SetFocus(hWnd_);
    const int length = ::GetWindowTextLengthW(hWnd_);
    if (owner_->IsAutoSelAll())
        ::SendMessageW(hWnd_, EM_SETSEL, 0, -1);
    else
        ::SendMessageW(hWnd_, EM_SETSEL, length, length);
    return true;
}

LRESULT CEditWnd::OnCtlColor(HDC hDC) {
    const DWORD bk = owner_->GetNativeEditBkColor();
    if (bk == 0xFFFFFFFF) return 0;  // the system's edit colours
    ::SetTextColor(hDC, CRenderEngine::ToColorRef(owner_->NativeTextColor()));
    ::SetBkMode(hDC, TRANSPARENT);
    if (brush_ == nullptr) {
        if ((bk >> 24) == 0xFF) {
            brush_ = ::CreateSolidBrush(CRenderEngine::ToColorRef(bk));
        } else {
            // The skin as painted behind the control, so the field looks transparent.
            HBITMAP frame = owner_->GetManager()->RenderToBitmap();
            if (frame != nullptr) {
                RECT rc;
                ::GetWindowRect(hWnd_, &rc);
                ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hWnd_), reinterpret_cast<POINT*>(&rc), 2);
                const int w = rc.right - rc.left, h = rc.bottom - rc.top;
                HDC src = ::CreateCompatibleDC(hDC);
                HDC dst = ::CreateCompatibleDC(hDC);
                HBITMAP piece = ::CreateCompatibleBitmap(hDC, w > 0 ? w : 1, h > 0 ? h : 1);
                HGDIOBJ oldSrc = ::SelectObject(src, frame);
                HGDIOBJ oldDst = ::SelectObject(dst, piece);
                ::BitBlt(dst, 0, 0, w, h, src, rc.left, rc.top, SRCCOPY);
                ::SelectObject(src, oldSrc);
                ::SelectObject(dst, oldDst);
                ::DeleteDC(src);
                ::DeleteDC(dst);
                ::DeleteObject(frame);
                brush_ = ::CreatePatternBrush(piece);
                ::DeleteObject(piece);
            }
            if (brush_ == nullptr) brush_ = ::CreateSolidBrush(CRenderEngine::ToColorRef(bk));
        }
    }
    return reinterpret_cast<LRESULT>(brush_);
}

LRESULT CEditWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (owner_ == nullptr) return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_KILLFOCUS:
        if (!closing_) {
            closing_ = true;
            PostMessage(WM_CLOSE);
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            owner_->GetManager()->SendNotify(owner_, L"return");
            return 0;
        }
        break;
    case WM_CHAR:
        // Return, Tab and Escape would only beep in a single-line edit.
        if (wParam == L'\r' || wParam == L'\t' || wParam == 27) return 0;
        break;
    case WM_SKINUI_REFLECT + WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) {
            const int n = ::GetWindowTextLengthW(hWnd_);
            std::wstring text(static_cast<size_t>(n) + 1, L'\0');
            ::GetWindowTextW(hWnd_, &text[0], n + 1);
            text.resize(static_cast<size_t>(n));
            if (text == owner_->text_) return 1;  // opening the field sets the same text
            owner_->text_ = text;
            owner_->GetManager()->SendNotify(owner_, L"textchanged");
            return 1;
        }
        return 0;
    case WM_SKINUI_REFLECT + WM_CTLCOLOREDIT:
    case WM_SKINUI_REFLECT + WM_CTLCOLORSTATIC:
        return OnCtlColor(reinterpret_cast<HDC>(wParam));
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CEditWnd::OnFinalMessage(HWND) {
    if (owner_ != nullptr) {
        owner_->window_ = nullptr;
        owner_->Invalidate();
    }
    delete this;
}

// ---- CEditUI ----

CEditUI::CEditUI() { textStyle_ = DT_SINGLELINE | DT_VCENTER | DT_LEFT; }

CEditUI::~CEditUI() { CloseNativeWindow(); }

void* CEditUI::GetInterface(const std::wstring& name) {
    if (name == L"Edit") return this;
    return CLabelUI::GetInterface(name);
}

HWND CEditUI::GetNativeWindow() const { return window_ ? window_->GetHWND() : nullptr; }

void CEditUI::OpenNativeWindow() {
    if (window_ != nullptr || manager_ == nullptr || manager_->GetPaintWindow() == nullptr) return;
    window_ = new CEditWnd(this);
    if (!window_->Open()) {
        CEditWnd* w = window_;
        window_ = nullptr;
        if (w->GetHWND() == nullptr)
            delete w;  // never created: nothing else will free it
        else {
            w->Detach();
            ::DestroyWindow(w->GetHWND());
        }
        return;
    }
    Invalidate();
}

void CEditUI::CloseNativeWindow() {
    if (window_ == nullptr) return;
    CEditWnd* w = window_;
    window_ = nullptr;
    w->Detach();
    if (::IsWindow(w->GetHWND()))
        ::DestroyWindow(w->GetHWND());  // frees the object
}

void CEditUI::SetText(const std::wstring& text) {
    text_ = text;
    if (window_ != nullptr) ::SetWindowTextW(window_->GetHWND(), text_.c_str());
    Invalidate();
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!enabled) {
        state_ = 0;
        CloseNativeWindow();
    }
}

void CEditUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    if (!IsVisible()) CloseNativeWindow();
}

void CEditUI::SetInternVisible(bool visible) {
    CLabelUI::SetInternVisible(visible);
    if (!IsVisible()) CloseNativeWindow();
}

void CEditUI::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (window_ != nullptr) ::SendMessageW(window_->GetHWND(), EM_SETREADONLY, readOnly_, 0);
    Invalidate();
}

void CEditUI::SetMaxChar(int count) {
    maxChar_ = count;
    if (window_ != nullptr) ::SendMessageW(window_->GetHWND(), EM_LIMITTEXT, static_cast<WPARAM>(count), 0);
}

DWORD CEditUI::NativeTextColor() const {
    if (nativeTextColor_ != 0) return nativeTextColor_;
    return EffectiveTextColor();
}

SIZE CEditUI::EstimateSize(SIZE) {
    if (fixedHeight_ != 0) return SIZE{fixedWidth_, fixedHeight_};
    const TFontInfo* font = manager_ ? manager_->GetFontInfo(font_) : nullptr;
    return SIZE{fixedWidth_, (font ? font->tm.tmHeight : 0) + 8};
}

void CEditUI::SetPos(RECT rc, bool needInvalidate) {
    CLabelUI::SetPos(rc, needInvalidate);
    if (window_ != nullptr) {
        RECT r = window_->EditRect();
        ::SetWindowPos(window_->GetHWND(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CEditUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (IsEnabled()) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
            return;
        }
        break;
    case UIEVENT_SETFOCUS:
        CLabelUI::DoEvent(event);
        if (IsEnabled()) OpenNativeWindow();
        return;
    case UIEVENT_KILLFOCUS:
        CLabelUI::DoEvent(event);
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) {
            OpenNativeWindow();
            if (window_ != nullptr) {
                // Put the caret where the click was.
                HWND h = window_->GetHWND();
                POINT pt = event.ptMouse;
                ::MapWindowPoints(manager_->GetPaintWindow(), h, &pt, 1);
                ::SendMessageW(h, WM_LBUTTONDOWN, event.wParam, MAKELPARAM(pt.x, pt.y));
                ::SendMessageW(h, WM_LBUTTONUP, event.wParam, MAKELPARAM(pt.x, pt.y));
            }
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            state_ |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (state_ & UISTATE_HOT) {
            state_ &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"readonly") SetReadOnly(ParseControlBool(value));
    else if (name == L"numberonly") SetNumberOnly(ParseControlBool(value));
    else if (name == L"password") SetPasswordMode(ParseControlBool(value));
    else if (name == L"autoselall") autoSelAll_ = ParseControlBool(value);
    else if (name == L"maxchar") SetMaxChar(static_cast<int>(ParseLong(value.c_str())));
    else if (name == L"normalimage") { normalImage_ = value; Invalidate(); }
    else if (name == L"hotimage") { hotImage_ = value; Invalidate(); }
    else if (name == L"focusedimage") { focusedImage_ = value; Invalidate(); }
    else if (name == L"disabledimage") { disabledImage_ = value; Invalidate(); }
    else if (name == L"nativebkcolor") nativeBkColor_ = ParseColor(value);
    else if (name == L"nativetextcolor") nativeTextColor_ = ParseColor(value);
    else if (name == L"tipvalue") SetTipValue(value);
    else if (name == L"tipvaluecolor") { tipValueColor_ = ParseColor(value); Invalidate(); }
    else CLabelUI::SetAttribute(name, value);
}

void CEditUI::PaintStatusImage(HDC hDC) {
    if (!IsEnabled()) {
        if (!disabledImage_.empty() && DrawImage(hDC, disabledImage_)) return;
    } else if (focused_) {
        if (!focusedImage_.empty() && DrawImage(hDC, focusedImage_)) return;
    } else if (state_ & UISTATE_HOT) {
        if (!hotImage_.empty() && DrawImage(hDC, hotImage_)) return;
    }
    if (!normalImage_.empty()) DrawImage(hDC, normalImage_);
}

void CEditUI::PaintText(HDC hDC) {
    if (window_ != nullptr) return;  // the native window shows the text
    std::wstring shown = text_;
    DWORD color = IsEnabled() ? EffectiveTextColor() : EffectiveDisabledTextColor();
    if (text_.empty() || text_ == tipValue_) {
        if (tipValue_.empty()) return;
        shown = tipValue_;
        color = tipValueColor_;
    } else if (password_) {
        shown.assign(text_.size(), passwordChar_);
    }
    CRenderEngine::DrawText(hDC, manager_, TextRect(), shown, color, font_,
                            (textStyle_ | DT_SINGLELINE) & ~DT_WORDBREAK);
}

} // namespace SkinUI

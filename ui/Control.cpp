#include "ui/Control.h"

#include <cwchar>

#include "ui/AttributeValues.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"

namespace SkinUI {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (manager_) manager_->ReapControl(this);
}

void* CControlUI::GetInterface(const std::wstring& name) {
    if (name == L"Control") return this;
    return nullptr;
}

void CControlUI::SetText(const std::wstring& text) {
    if (text_ == text) return;
    text_ = text;
    Invalidate();
}

const std::wstring& CControlUI::GetVirtualWnd() const {
    if (!virtualWnd_.empty() || parent_ == nullptr) return virtualWnd_;
    return parent_->GetVirtualWnd();
}

void CControlUI::SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init) {
    manager_ = manager;
    parent_ = parent;
    if (init && manager_) Init();
}

void CControlUI::Init() { DoInit(); }

void CControlUI::SetPos(RECT rc, bool needInvalidate) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    if (needInvalidate) Invalidate();
    rcItem_ = rc;
    updateNeeded_ = false;
    if (needInvalidate) Invalidate();
}

void CControlUI::SetPadding(const RECT& rc) {
    rcPadding_ = rc;
    NeedParentUpdate();
}

void CControlUI::SetFixedXY(SIZE xy) {
    fixedXY_ = xy;
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    fixedWidth_ = cx;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    fixedHeight_ = cy;
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx) {
    if (cx < 0) return;
    minWidth_ = cx;
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx) {
    if (cx < 0) return;
    maxWidth_ = cx;
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy) {
    if (cy < 0) return;
    minHeight_ = cy;
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy) {
    if (cy < 0) return;
    maxHeight_ = cy;
    NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE) { return SIZE{fixedWidth_, fixedHeight_}; }

void CControlUI::SetFloat(bool value) {
    float_ = value;
    if (!value) relativeFloat_ = false;
    NeedParentUpdate();
}

RECT CControlUI::FloatPosIn(const RECT& p) const {
    RECT rc;
    if (relativeFloat_) {
        const double w = p.right - p.left, h = p.bottom - p.top;
        rc.left = p.left + static_cast<LONG>(w * floatFractions_[0]);
        rc.top = p.top + static_cast<LONG>(h * floatFractions_[1]);
        rc.right = p.left + static_cast<LONG>(w * floatFractions_[2]);
        rc.bottom = p.top + static_cast<LONG>(h * floatFractions_[3]);
    } else {
        rc.left = p.left + fixedXY_.cx;
        rc.top = p.top + fixedXY_.cy;
        rc.right = rc.left + fixedWidth_;
        rc.bottom = rc.top + fixedHeight_;
    }
    return rc;
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!IsVisible() && focused_ && manager_) manager_->SetFocus(nullptr, false);
    NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    internVisible_ = visible;
    if (!IsVisible() && focused_ && manager_) manager_->SetFocus(nullptr, false);
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

void CControlUI::SetFocus() {
    if (manager_) manager_->SetFocus(this);
}

void CControlUI::SetBkColor(DWORD c) { bkColor_ = c; Invalidate(); }
void CControlUI::SetBkColor2(DWORD c) { bkColor2_ = c; Invalidate(); }
void CControlUI::SetBkColor3(DWORD c) { bkColor3_ = c; Invalidate(); }
void CControlUI::SetBkImage(const std::wstring& image) { bkImage_ = image; Invalidate(); }
void CControlUI::SetBorderColor(DWORD c) { borderColor_ = c; Invalidate(); }
void CControlUI::SetFocusBorderColor(DWORD c) { focusBorderColor_ = c; Invalidate(); }

void CControlUI::SetBorderSize(int size) {
    borderSize_ = size < 0 ? 0 : size;
    borderSizeSides_ = false;
    Invalidate();
}

void CControlUI::SetBorderSize(const RECT& rc) {
    rcBorderSize_ = rc;
    borderSizeSides_ = true;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE cxy) {
    borderRound_ = cxy;
    Invalidate();
}

void CControlUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"pos") {
        RECT rc = ParseRect(value);
        SIZE xy = {rc.left, rc.top};
        fixedXY_ = xy;
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (name == L"padding") {
        SetPadding(ParseRect(value));
    } else if (name == L"bkcolor" || name == L"bkcolor1") {
        SetBkColor(ParseColor(value));
    } else if (name == L"bkcolor2") {
        SetBkColor2(ParseColor(value));
    } else if (name == L"bkcolor3") {
        SetBkColor3(ParseColor(value));
    } else if (name == L"bordercolor") {
        SetBorderColor(ParseColor(value));
    } else if (name == L"focusbordercolor") {
        SetFocusBorderColor(ParseColor(value));
    } else if (name == L"bordersize") {
        if (value.find(L',') != std::wstring::npos)
            SetBorderSize(ParseRect(value));
        else
            SetBorderSize(static_cast<int>(ParseLong(value.c_str())));
    } else if (name == L"borderstyle") {
        borderStyle_ = static_cast<int>(ParseLong(value.c_str()));
    } else if (name == L"borderround") {
        SetBorderRound(ParseSize(value));
    } else if (name == L"colorhsl") {
        colorHsl_ = value;
    } else if (name == L"bkimage") {
        SetBkImage(value);
    } else if (name == L"width") {
        SetFixedWidth(static_cast<int>(ParseLong(value.c_str())));
    } else if (name == L"height") {
        SetFixedHeight(static_cast<int>(ParseLong(value.c_str())));
    } else if (name == L"minwidth") {
        SetMinWidth(static_cast<int>(ParseLong(value.c_str())));
    } else if (name == L"minheight") {
        SetMinHeight(static_cast<int>(ParseLong(value.c_str())));
    } else if (name == L"maxwidth") {
        SetMaxWidth(static_cast<int>(ParseLong(value.c_str())));
    } else if (name == L"maxheight") {
        SetMaxHeight(static_cast<int>(ParseLong(value.c_str())));
    } else if (name == L"name") {
        SetName(value);
    } else if (name == L"text") {
        SetText(value);
    } else if (name == L"tooltip") {
        SetToolTip(value);
    } else if (name == L"userdata") {
        SetUserData(value);
    } else if (name == L"tag") {
        SetTag(static_cast<UINT_PTR>(ParseLong(value.c_str())));
    } else if (name == L"enabled") {
        SetEnabled(ParseControlBool(value));
    } else if (name == L"mouse") {
        SetMouseEnabled(ParseControlBool(value));
    } else if (name == L"keyboard") {
        SetKeyboardEnabled(ParseControlBool(value));
    } else if (name == L"visible") {
        SetVisible(ParseControlBool(value));
    } else if (name == L"float") {
        if (value.find(L',') != std::wstring::npos) {
            const wchar_t* p = value.c_str();
            for (int i = 0; i < 4; ++i) {
                wchar_t* end = nullptr;
                floatFractions_[i] = std::wcstod(p, &end);
                p = end;
                if (*p != L'\0') ++p;
            }
            relativeFloat_ = true;
            SetFloat(true);
        } else {
            SetFloat(ParseControlBool(value));
        }
    } else if (name == L"shortcut") {
        wchar_t c[2] = {value.empty() ? L'\0' : value[0], L'\0'};
        ::CharUpperBuffW(c, 1);
        SetShortcut(c[0]);
    } else if (name == L"menu") {
        menuUsed_ = ParseControlBool(value);
    } else if (name == L"virtualwnd") {
        SetVirtualWnd(value);
    } else {
        AddCustomAttribute(name, value);
    }
}

void CControlUI::ApplyAttributeList(const std::wstring& list) {
    ForEachAttributeInList(list, [this](const std::wstring& n, const std::wstring& v) { SetAttribute(n, v); });
}

std::wstring CControlUI::GetCustomAttribute(const std::wstring& name) const {
    auto it = customAttributes_.find(name);
    return it == customAttributes_.end() ? std::wstring() : it->second;
}

bool CControlUI::HasCustomAttribute(const std::wstring& name) const {
    return customAttributes_.count(name) != 0;
}

void CControlUI::AddCustomAttribute(const std::wstring& name, const std::wstring& value) {
    customAttributes_[name] = value;
}

CControlUI* CControlUI::FindControlAt(POINT pt) {
    if (!IsVisible() || !mouseEnabled_) return nullptr;
    return ::PtInRect(&rcItem_, pt) ? this : nullptr;
}

void CControlUI::ForEachPostOrder(const std::function<void(CControlUI*)>& visit) { visit(this); }

void CControlUI::ForEachPreOrder(const std::function<bool(CControlUI*)>& visit) { visit(this); }

void CControlUI::Event(TEventUI& event) {
    for (auto& listener : OnEvent)
        if (!listener(event)) return;
    DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return;
    case UIEVENT_SETFOCUS:
        focused_ = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        focused_ = false;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (manager_) manager_->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (menuUsed_ && manager_) manager_->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
    case UIEVENT_SCROLLWHEEL:
        if (parent_) parent_->DoEvent(event);
        return;
    default:
        return;
    }
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::Invalidate() {
    if (!IsVisible() || manager_ == nullptr) return;
    manager_->Invalidate(rcItem_);
}

void CControlUI::NeedUpdate() {
    updateNeeded_ = true;
    if (manager_) manager_->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (parent_) parent_->NeedUpdate();
    else NeedUpdate();
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&rcPaint_, &rcPaint, &rcItem_)) return;
    if (borderRound_.cx > 0 || borderRound_.cy > 0) {
        CRenderClip clip(hDC, rcItem_, borderRound_.cx, borderRound_.cy);
        PaintBkColor(hDC);
        PaintBkImage(hDC);
        PaintStatusImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    } else {
        PaintBkColor(hDC);
        PaintBkImage(hDC);
        PaintStatusImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    }
}

void CControlUI::PaintBkColor(HDC hDC) {
    if (bkColor_ == 0) return;
    if (bkColor2_ != 0) {
        if (bkColor3_ != 0) {
            RECT top = rcItem_, bottom = rcItem_;
            top.bottom = (rcItem_.top + rcItem_.bottom) / 2;
            bottom.top = top.bottom;
            CRenderEngine::DrawGradient(hDC, top, bkColor_, bkColor2_, true);
            CRenderEngine::DrawGradient(hDC, bottom, bkColor2_, bkColor3_, true);
        } else {
            CRenderEngine::DrawGradient(hDC, rcItem_, bkColor_, bkColor2_, true);
        }
        return;
    }
    CRenderEngine::DrawColor(hDC, rcPaint_, bkColor_);
}

void CControlUI::PaintBkImage(HDC hDC) {
    if (!bkImage_.empty()) DrawImage(hDC, bkImage_);
}

void CControlUI::PaintStatusImage(HDC) {}

void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC hDC) {
    DWORD color = (focused_ && focusBorderColor_ != 0) ? focusBorderColor_ : borderColor_;
    if (color == 0) return;
    if (borderSizeSides_) {
        const RECT& r = rcItem_;
        const RECT& s = rcBorderSize_;
        if (s.left > 0) CRenderEngine::DrawColor(hDC, {r.left, r.top, r.left + s.left, r.bottom}, color);
        if (s.top > 0) CRenderEngine::DrawColor(hDC, {r.left, r.top, r.right, r.top + s.top}, color);
        if (s.right > 0) CRenderEngine::DrawColor(hDC, {r.right - s.right, r.top, r.right, r.bottom}, color);
        if (s.bottom > 0) CRenderEngine::DrawColor(hDC, {r.left, r.bottom - s.bottom, r.right, r.bottom}, color);
        return;
    }
    if (borderSize_ <= 0) return;
    if (borderRound_.cx > 0 || borderRound_.cy > 0)
        CRenderEngine::DrawRoundRect(hDC, rcItem_, borderSize_, borderRound_.cx, borderRound_.cy, color,
                                     borderStyle_);
    else
        CRenderEngine::DrawRect(hDC, rcItem_, borderSize_, color, borderStyle_);
}

bool CControlUI::DrawImage(HDC hDC, const std::wstring& descriptor, const RECT* destOverride) {
    return CRenderEngine::DrawImageString(hDC, manager_, rcItem_, rcPaint_, descriptor, destOverride);
}

} // namespace SkinUI

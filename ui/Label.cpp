#include "ui/Label.h"

#include "ui/AttributeValues.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"

namespace SkinUI {

CLabelUI::CLabelUI() = default;

void* CLabelUI::GetInterface(const std::wstring& name) {
    if (name == L"Label") return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::DropSizeCache() { sizeCached_ = false; }

void CLabelUI::SetText(const std::wstring& text) {
    if (text_ == text) return;
    CControlUI::SetText(text);
    DropSizeCache();
    // A label sized by its text asks its parent for a new layout.
    if (fixedWidth_ == 0 || fixedHeight_ == 0) NeedParentUpdate();
}

void CLabelUI::SetTextStyle(UINT style) {
    textStyle_ = style;
    DropSizeCache();
    Invalidate();
}

void CLabelUI::SetFont(int id) {
    font_ = id;
    DropSizeCache();
    Invalidate();
}

void CLabelUI::SetTextColor(DWORD c) {
    textColor_ = c;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD c) {
    disabledTextColor_ = c;
    Invalidate();
}

void CLabelUI::SetTextPadding(const RECT& rc) {
    rcTextPadding_ = rc;
    DropSizeCache();
    NeedParentUpdate();
}

DWORD CLabelUI::EffectiveTextColor() const {
    if (textColor_ != 0) return textColor_;
    return manager_ ? manager_->GetDefaultFontColor() : 0xFF000000;
}

DWORD CLabelUI::EffectiveDisabledTextColor() const {
    if (disabledTextColor_ != 0) return disabledTextColor_;
    return manager_ ? manager_->GetDefaultDisabledColor() : 0xFFA7A6AA;
}

RECT CLabelUI::TextRect() const {
    RECT rc = rcItem_;
    rc.left += rcTextPadding_.left;
    rc.top += rcTextPadding_.top;
    rc.right -= rcTextPadding_.right;
    rc.bottom -= rcTextPadding_.bottom;
    return rc;
}

SIZE CLabelUI::EstimateSize(SIZE available) {
    if (fixedWidth_ > 0 && fixedHeight_ > 0) return SIZE{fixedWidth_, fixedHeight_};
    if (manager_ == nullptr) return SIZE{fixedWidth_, fixedHeight_};
    const LONG widthKey = IsMultiLine() ? available.cx : -1;
    if (sizeCached_ && cachedForWidth_ == widthKey) return cachedSize_;

    SIZE sz{};
    const RECT& pad = rcTextPadding_;
    if (!IsMultiLine()) {
        const TFontInfo* font = manager_->GetFontInfo(font_);
        const int charHeight = font ? font->tm.tmHeight : 0;
        sz.cy = fixedHeight_ != 0 ? fixedHeight_ : charHeight + 8 + pad.top + pad.bottom;
        if (fixedWidth_ != 0) {
            sz.cx = fixedWidth_;
        } else {
            RECT rc = {0, 0, 9999, 9999};
            CRenderEngine::MeasureText(manager_->GetMeasureDC(), manager_, rc, text_, font_, textStyle_);
            sz.cx = (rc.right - rc.left) + pad.left + pad.right;
        }
    } else {
        sz.cx = fixedWidth_ != 0 ? fixedWidth_ : available.cx;
        RECT rc = {0, 0, sz.cx - pad.left - pad.right, 9999};
        if (rc.right < 0) rc.right = 0;
        CRenderEngine::MeasureText(manager_->GetMeasureDC(), manager_, rc, text_, font_,
                                   textStyle_ | DT_WORDBREAK);
        sz.cy = (rc.bottom - rc.top) + pad.top + pad.bottom;
    }
    cachedSize_ = sz;
    cachedForWidth_ = widthKey;
    sizeCached_ = true;
    return sz;
}

void CLabelUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"align") {
        UINT s = textStyle_;
        if (value.find(L"left") != std::wstring::npos) s = (s & ~(DT_CENTER | DT_RIGHT)) | DT_LEFT;
        if (value.find(L"center") != std::wstring::npos) s = (s & ~(DT_LEFT | DT_RIGHT)) | DT_CENTER;
        if (value.find(L"right") != std::wstring::npos) s = (s & ~(DT_LEFT | DT_CENTER)) | DT_RIGHT;
        SetTextStyle(s);
    } else if (name == L"valign") {
        UINT s = textStyle_;
        if (value.find(L"top") != std::wstring::npos) s = (s & ~(DT_VCENTER | DT_BOTTOM)) | DT_TOP;
        if (value.find(L"vcenter") != std::wstring::npos) s = (s & ~(DT_TOP | DT_BOTTOM)) | DT_VCENTER;
        if (value.find(L"bottom") != std::wstring::npos) s = (s & ~(DT_TOP | DT_VCENTER)) | DT_BOTTOM;
        SetTextStyle(s);
    } else if (name == L"endellipsis") {
        SetTextStyle(ParseControlBool(value) ? (textStyle_ | DT_END_ELLIPSIS) : (textStyle_ & ~DT_END_ELLIPSIS));
    } else if (name == L"multiline") {
        if (ParseControlBool(value))
            SetTextStyle((textStyle_ & ~DT_SINGLELINE) | DT_WORDBREAK);
        else
            SetTextStyle((textStyle_ & ~DT_WORDBREAK) | DT_SINGLELINE);
    } else if (name == L"showhtml") {
        showHtml_ = ParseControlBool(value);
    } else if (name == L"font") {
        SetFont(static_cast<int>(ParseLong(value.c_str())));
    } else if (name == L"textcolor") {
        SetTextColor(ParseColor(value));
    } else if (name == L"disabledtextcolor") {
        SetDisabledTextColor(ParseColor(value));
    } else if (name == L"textpadding") {
        SetTextPadding(ParseRect(value));
    } else {
        // The text effects ("enabledeffect", "strokecolor", ...) are kept, not drawn.
        CControlUI::SetAttribute(name, value);
    }
}

void CLabelUI::PaintText(HDC hDC) {
    if (text_.empty()) return;
    DWORD color = IsEnabled() ? EffectiveTextColor() : EffectiveDisabledTextColor();
    CRenderEngine::DrawText(hDC, manager_, TextRect(), text_, color, font_, textStyle_);
}

} // namespace SkinUI

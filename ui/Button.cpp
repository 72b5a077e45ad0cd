#include "ui/Button.h"

#include <algorithm>

#include "ui/AttributeValues.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"

namespace SkinUI {

CButtonUI::CButtonUI() { textStyle_ = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }

void* CButtonUI::GetInterface(const std::wstring& name) {
    if (name == L"Button") return this;
    return CLabelUI::GetInterface(name);
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (manager_) manager_->SendNotify(this, L"click");
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!enabled) buttonState_ &= ~(UISTATE_HOT | UISTATE_PUSHED | UISTATE_CAPTURED);
}

SIZE CButtonUI::EstimateSize(SIZE) {
    if (fixedHeight_ != 0) return SIZE{fixedWidth_, fixedHeight_};
    const TFontInfo* font = manager_ ? manager_->GetFontInfo(font_) : nullptr;
    return SIZE{fixedWidth_, (font ? font->tm.tmHeight : 0) + 8};
}

void CButtonUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
        buttonState_ |= UISTATE_FOCUSED;
        break;
    case UIEVENT_KILLFOCUS:
        buttonState_ &= ~UISTATE_FOCUSED;
        break;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (::PtInRect(&rcItem_, event.ptMouse) && IsEnabled()) {
            buttonState_ |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (buttonState_ & UISTATE_CAPTURED) {
            if (::PtInRect(&rcItem_, event.ptMouse))
                buttonState_ |= UISTATE_PUSHED;
            else
                buttonState_ &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (buttonState_ & UISTATE_CAPTURED) {
            const bool inside = ::PtInRect(&rcItem_, event.ptMouse) != FALSE;
            buttonState_ &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            // Last: a click handler may delete this control.
            if (inside && IsEnabled()) Activate();
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            buttonState_ |= UISTATE_HOT;
            if (fadeDelta_ > 0 && manager_) manager_->StartTimer(this, kFadeTimerId, 30);
            Invalidate();
            if (manager_) manager_->SendNotify(this, L"mouseenter", event.wParam, event.lParam);
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (buttonState_ & UISTATE_HOT) {
            buttonState_ &= ~UISTATE_HOT;
            if (fadeDelta_ > 0 && manager_) manager_->StartTimer(this, kFadeTimerId, 30);
            Invalidate();
            if (manager_) manager_->SendNotify(this, L"mouseleave", event.wParam, event.lParam);
        }
        return;
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    case UIEVENT_TIMER:
        if (event.wParam == kFadeTimerId && fadeDelta_ > 0) {
            if (buttonState_ & UISTATE_HOT)
                fadeValue_ = std::min(255, fadeValue_ + fadeDelta_);
            else
                fadeValue_ = std::max(0, fadeValue_ - fadeDelta_);
            if (fadeValue_ == 0 || fadeValue_ == 255) manager_->StopTimer(this, kFadeTimerId);
            Invalidate();
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"normalimage") SetNormalImage(value);
    else if (name == L"hotimage") SetHotImage(value);
    else if (name == L"pushedimage") SetPushedImage(value);
    else if (name == L"focusedimage") SetFocusedImage(value);
    else if (name == L"disabledimage") SetDisabledImage(value);
    else if (name == L"foreimage") SetForeImage(value);
    else if (name == L"hotforeimage") SetHotForeImage(value);
    else if (name == L"fivestatusimage") {
        // One image holding five states side by side.
        TImageDescriptor d = ParseImageDescriptor(value);
        ImagePtr image = manager_ ? manager_->GetImageFor(d) : nullptr;
        int w = image ? image->nX / 5 : 0, h = image ? image->nY : 0;
        std::wstring file = d.file;
        auto part = [&](int i) {
            return L"file='" + file + L"' source='" + std::to_wstring(i * w) + L",0," +
                   std::to_wstring((i + 1) * w) + L"," + std::to_wstring(h) + L"'";
        };
        if (w > 0) {
            SetNormalImage(part(0));
            SetHotImage(part(1));
            SetPushedImage(part(2));
            SetFocusedImage(part(3));
            SetDisabledImage(part(4));
        }
    }
    else if (name == L"hotbkcolor") { hotBkColor_ = ParseColor(value); Invalidate(); }
    else if (name == L"pushedbkcolor") { pushedBkColor_ = ParseColor(value); Invalidate(); }
    else if (name == L"disabledbkcolor") { disabledBkColor_ = ParseColor(value); Invalidate(); }
    else if (name == L"hottextcolor") { hotTextColor_ = ParseColor(value); Invalidate(); }
    else if (name == L"pushedtextcolor") { pushedTextColor_ = ParseColor(value); Invalidate(); }
    else if (name == L"focusedtextcolor") { focusedTextColor_ = ParseColor(value); Invalidate(); }
    else if (name == L"fadedelta") {
        long v = ParseLong(value.c_str());
        fadeDelta_ = static_cast<int>(std::max(0L, std::min(255L, v)));
    }
    else CLabelUI::SetAttribute(name, value);
}

DWORD CButtonUI::StateBkColor() const {
    if (!IsEnabled()) return disabledBkColor_;
    if (buttonState_ & UISTATE_PUSHED) return pushedBkColor_;
    if (buttonState_ & UISTATE_HOT) return hotBkColor_;
    return 0;
}

void CButtonUI::PaintBkColor(HDC hDC) {
    DWORD c = StateBkColor();
    if (c != 0) {
        CRenderEngine::DrawColor(hDC, rcPaint_, c);
        return;
    }
    CLabelUI::PaintBkColor(hDC);
}

void CButtonUI::PaintStatusImage(HDC hDC) {
    if (!IsEnabled()) {
        if (!(disabledImage_.size() && DrawImage(hDC, disabledImage_))) DrawImage(hDC, normalImage_);
    } else if (buttonState_ & UISTATE_PUSHED) {
        if (!(pushedImage_.size() && DrawImage(hDC, pushedImage_))) DrawImage(hDC, normalImage_);
    } else if (buttonState_ & UISTATE_HOT) {
        if (fadeDelta_ > 0 && !hotImage_.empty()) {
            // Fading in: the hot image over the normal one.
            DrawImage(hDC, normalImage_);
            TImageDescriptor d = ParseImageDescriptor(hotImage_);
            std::wstring faded = L"file='" + d.file + L"' fade='" + std::to_wstring(fadeValue_) + L"'";
            DrawImage(hDC, faded);
        } else if (!(hotImage_.size() && DrawImage(hDC, hotImage_))) {
            DrawImage(hDC, normalImage_);
        }
        if (!hotForeImage_.empty()) DrawImage(hDC, hotForeImage_);
    } else if (buttonState_ & UISTATE_FOCUSED) {
        if (!(focusedImage_.size() && DrawImage(hDC, focusedImage_))) DrawImage(hDC, normalImage_);
    } else {
        if (fadeDelta_ > 0 && fadeValue_ > 0 && !hotImage_.empty()) {
            DrawImage(hDC, normalImage_);
            TImageDescriptor d = ParseImageDescriptor(hotImage_);
            DrawImage(hDC, L"file='" + d.file + L"' fade='" + std::to_wstring(fadeValue_) + L"'");
        } else {
            DrawImage(hDC, normalImage_);
        }
    }
    PaintForeImage(hDC);
}

void CButtonUI::PaintForeImage(HDC hDC) {
    if (!foreImage_.empty()) DrawImage(hDC, foreImage_);
}

DWORD CButtonUI::StateTextColor() const {
    if (!IsEnabled()) return EffectiveDisabledTextColor();
    if ((buttonState_ & UISTATE_PUSHED) && pushedTextColor_ != 0) return pushedTextColor_;
    if ((buttonState_ & UISTATE_HOT) && hotTextColor_ != 0) return hotTextColor_;
    if ((buttonState_ & UISTATE_FOCUSED) && focusedTextColor_ != 0) return focusedTextColor_;
    return EffectiveTextColor();
}

void CButtonUI::PaintText(HDC hDC) {
    if (text_.empty()) return;
    CRenderEngine::DrawText(hDC, manager_, TextRect(), text_, StateTextColor(), font_, textStyle_);
}

} // namespace SkinUI

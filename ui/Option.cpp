#include "ui/Option.h"

#include "ui/AttributeValues.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"

namespace SkinUI {

COptionUI::~COptionUI() {
    if (manager_) manager_->RemoveOptionGroupMember(this);
}

void* COptionUI::GetInterface(const std::wstring& name) {
    if (name == L"Option") return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init) {
    CButtonUI::SetManager(manager, parent, init);
    if (manager && !group_.empty()) manager->AddOptionGroup(group_, this);
}

void COptionUI::SetGroup(const std::wstring& group) {
    if (group_ == group) return;
    if (manager_ && !group_.empty()) manager_->RemoveOptionGroupMember(this);
    group_ = group;
    if (manager_ && !group_.empty()) manager_->AddOptionGroup(group_, this);
    SetSelected(selected_, false);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (!group_.empty())
        SetSelected(true);
    else
        SetSelected(!selected_);
    return true;
}

void COptionUI::SetSelected(bool selected, bool notify) {
    if (selected_ == selected) return;
    selected_ = selected;
    if (selected_)
        buttonState_ |= UISTATE_SELECTED;
    else
        buttonState_ &= ~UISTATE_SELECTED;

    if (manager_ != nullptr) {
        if (!group_.empty()) {
            if (selected_) {
                const std::vector<COptionUI*>* members = manager_->GetOptionGroup(group_);
                if (members) {
                    std::vector<COptionUI*> others = *members;
                    for (COptionUI* o : others)
                        if (o != this) o->SetSelected(false, notify);
                }
                if (notify) manager_->SendNotify(this, L"selectchanged");
            }
        } else if (notify) {
            manager_->SendNotify(this, L"selectchanged");
        }
    }
    Invalidate();
}

void COptionUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"group") SetGroup(value);
    else if (name == L"selected") SetSelected(ParseControlBool(value));
    else if (name == L"selectedimage") { selectedImage_ = value; Invalidate(); }
    else if (name == L"selectedhotimage") { selectedHotImage_ = value; Invalidate(); }
    else if (name == L"foreimage") SetForeImage(value);
    else if (name == L"selectedbkcolor") { selectedBkColor_ = ParseColor(value); Invalidate(); }
    else if (name == L"selectedtextcolor") { selectedTextColor_ = ParseColor(value); Invalidate(); }
    else CButtonUI::SetAttribute(name, value);
}

void COptionUI::PaintStatusImage(HDC hDC) {
    if (selected_) {
        bool drawn = false;
        if ((buttonState_ & UISTATE_HOT) && !selectedHotImage_.empty()) drawn = DrawImage(hDC, selectedHotImage_);
        if (!drawn && !selectedImage_.empty()) drawn = DrawImage(hDC, selectedImage_);
        if (!drawn && selectedBkColor_ != 0) {
            CRenderEngine::DrawColor(hDC, rcPaint_, selectedBkColor_);
            drawn = true;
        }
        if (drawn) {
            PaintForeImage(hDC);
            return;
        }
    }
    // As a button, but the pushed state is not shown.
    const UINT saved = buttonState_;
    buttonState_ &= ~UISTATE_PUSHED;
    CButtonUI::PaintStatusImage(hDC);
    buttonState_ = saved;
}

void COptionUI::PaintText(HDC hDC) {
    if (text_.empty()) return;
    DWORD color;
    if (selected_ && selectedTextColor_ != 0 && IsEnabled()) {
        color = selectedTextColor_;
    } else {
        const UINT saved = buttonState_;
        buttonState_ &= ~UISTATE_PUSHED;
        color = StateTextColor();
        buttonState_ = saved;
    }
    CRenderEngine::DrawText(hDC, manager_, TextRect(), text_, color, font_, textStyle_);
}

void* CCheckBoxUI::GetInterface(const std::wstring& name) {
    if (name == L"CheckBox") return this;
    return COptionUI::GetInterface(name);
}

} // namespace SkinUI

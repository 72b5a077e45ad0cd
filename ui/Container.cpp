#include "ui/Container.h"

#include <algorithm>

#include "ui/AttributeValues.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"

namespace SkinUI {

CContainerUI::~CContainerUI() {
    // Children go first, each forgetting its parent.
    std::vector<CControlUI*> items;
    items.swap(items_);
    for (CControlUI* c : items) delete c;
}

void* CContainerUI::GetInterface(const std::wstring& name) {
    if (name == L"IContainer") return static_cast<IContainerUI*>(this);
    if (name == L"Container") return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[index];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto it = std::find(items_.begin(), items_.end(), control);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (control == nullptr || index < 0 || index > GetCount()) return false;
    items_.insert(items_.begin() + index, control);
    if (manager_) {
        manager_->InitControls(control, this);
    } else {
        control->SetManager(nullptr, this, false);
    }
    control->SetInternVisible(IsVisible());
    NeedUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index);
}

bool CContainerUI::RemoveAt(int index) {
    if (index < 0 || index >= GetCount()) return false;
    CControlUI* c = items_[index];
    items_.erase(items_.begin() + index);
    delete c;
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> items;
    items.swap(items_);
    for (CControlUI* c : items) delete c;
    NeedUpdate();
}

void CContainerUI::SetInset(const RECT& rc) {
    rcInset_ = rc;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    childPadding_ = padding;
    NeedUpdate();
}

CControlUI* CContainerUI::FindSubControl(const std::wstring& name) {
    CControlUI* found = nullptr;
    for (CControlUI* c : items_) {
        c->ForEachPreOrder([&](CControlUI* x) {
            if (x->GetName() == name) found = x;
            return found == nullptr;
        });
        if (found) break;
    }
    return found;
}

void CContainerUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    CControlUI::SetVisible(visible);
    for (CControlUI* c : items_) c->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (CControlUI* c : items_) c->SetInternVisible(IsVisible());
}

void CContainerUI::SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init) {
    for (CControlUI* c : items_) c->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

RECT CContainerUI::WorkArea() const {
    RECT rc = rcItem_;
    rc.left += rcInset_.left;
    rc.top += rcInset_.top;
    rc.right -= rcInset_.right;
    rc.bottom -= rcInset_.bottom;
    return rc;
}

void CContainerUI::PlaceFloat(CControlUI* child) { child->SetPos(child->FloatPosIn(rcItem_), false); }

void CContainerUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    if (items_.empty()) return;
    RECT work = WorkArea();
    for (CControlUI* c : items_) {
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            PlaceFloat(c);
            continue;
        }
        const RECT& p = c->GetPadding();
        c->SetPos({work.left + p.left, work.top + p.top, work.right - p.right, work.bottom - p.bottom}, false);
    }
}

void CContainerUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"inset") {
        SetInset(ParseRect(value));
    } else if (name == L"childpadding") {
        SetChildPadding(static_cast<int>(ParseLong(value.c_str())));
    } else if (name == L"mousechild") {
        SetMouseChildEnabled(ParseControlBool(value));
    } else if (name == L"childalign") {
        if (value == L"left") childAlign_ = kAlignLeft;
        else if (value == L"center") childAlign_ = kAlignCenter;
        else if (value == L"right") childAlign_ = kAlignRight;
        NeedUpdate();
    } else if (name == L"childvalign") {
        if (value == L"top") childVAlign_ = kAlignTop;
        else if (value == L"vcenter") childVAlign_ = kAlignVCenter;
        else if (value == L"bottom") childVAlign_ = kAlignBottom;
        NeedUpdate();
    } else if (name == L"vscrollbar" || name == L"hscrollbar" || name == L"vscrollbarstyle" ||
               name == L"hscrollbarstyle") {
        // Scroll bars are not drawn by this toolkit; the values are kept.
        AddCustomAttribute(name, value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

CControlUI* CContainerUI::FindControlAt(POINT pt) {
    if (!IsVisible() || !::PtInRect(&rcItem_, pt)) return nullptr;
    if (mouseChild_) {
        // Later children are painted over earlier ones.
        for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
            CControlUI* found = (*it)->FindControlAt(pt);
            if (found) return found;
        }
    }
    return mouseEnabled_ ? this : nullptr;
}

void CContainerUI::ForEachPostOrder(const std::function<void(CControlUI*)>& visit) {
    for (CControlUI* c : items_) c->ForEachPostOrder(visit);
    visit(this);
}

void CContainerUI::ForEachPreOrder(const std::function<bool(CControlUI*)>& visit) {
    if (!visit(this)) return;
    for (CControlUI* c : items_) c->ForEachPreOrder(visit);
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT rcTemp;
    if (!::IntersectRect(&rcTemp, &rcPaint, &rcItem_)) return;
    CRenderClip clip(hDC, rcTemp);
    CControlUI::DoPaint(hDC, rcPaint);
    for (CControlUI* c : items_) {
        if (!c->IsVisible()) continue;
        RECT childPaint;
        if (!::IntersectRect(&childPaint, &rcTemp, &c->GetPos())) continue;
        c->DoPaint(hDC, rcTemp);
    }
}

} // namespace SkinUI

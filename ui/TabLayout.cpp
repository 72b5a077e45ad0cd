#include "ui/TabLayout.h"

#include <algorithm>

#include "ui/AttributeValues.h"
#include "ui/SkinManager.h"

namespace SkinUI {

void* CTabLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"TabLayout") return this;
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (selected_ == -1 && control->IsVisible()) {
        selected_ = GetItemIndex(control);
    } else {
        if (index <= selected_) ++selected_;
        control->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index);
}

bool CTabLayoutUI::RemoveAt(int index) {
    if (index < 0 || index >= GetCount()) return false;
    const bool wasSelected = index == selected_;
    if (!CContainerUI::RemoveAt(index)) return false;
    if (wasSelected) {
        selected_ = -1;
        if (GetCount() > 0) SelectItem(std::min(index, GetCount() - 1), false);
    } else if (index < selected_) {
        --selected_;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    selected_ = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index, bool notify) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == selected_) return true;
    const int old = selected_;
    selected_ = index;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = items_[i];
        if (i == index) {
            page->SetVisible(true);
            page->SetFocus();
        } else {
            page->SetVisible(false);
        }
    }
    NeedUpdate();
    if (notify && manager_) manager_->SendNotify(this, L"tabselect", static_cast<WPARAM>(index), old);
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control, bool notify) {
    int index = GetItemIndex(control);
    return index >= 0 && SelectItem(index, notify);
}

void CTabLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    const RECT work = WorkArea();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = items_[i];
        if (!page->IsVisible()) continue;
        if (page->IsFloat()) {
            PlaceFloat(page);
            continue;
        }
        if (i != selected_) continue;
        const RECT& p = page->GetPadding();
        RECT area = {work.left + p.left, work.top + p.top, work.right - p.right, work.bottom - p.bottom};
        SIZE available = {area.right - area.left, area.bottom - area.top};
        SIZE sz = page->EstimateSize(available);
        if (sz.cx == 0) sz.cx = available.cx;
        if (sz.cy == 0) sz.cy = available.cy;
        sz.cx = std::max(static_cast<LONG>(page->GetMinWidth()), std::min(sz.cx, static_cast<LONG>(page->GetMaxWidth())));
        sz.cy = std::max(static_cast<LONG>(page->GetMinHeight()), std::min(sz.cy, static_cast<LONG>(page->GetMaxHeight())));
        page->SetPos({area.left, area.top, area.left + sz.cx, area.top + sz.cy}, false);
    }
}

void CTabLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"selectedid")
        SelectItem(static_cast<int>(ParseLong(value.c_str())), true);
    else
        CContainerUI::SetAttribute(name, value);
}

} // namespace SkinUI

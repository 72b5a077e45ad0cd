#include "ui/VerticalLayout.h"

#include <algorithm>

namespace SkinUI {

void* CVerticalLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"VerticalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"sepheight" || name == L"sepimm") {
        AddCustomAttribute(name, value);  // no drag-to-resize separator here
        return;
    }
    CContainerUI::SetAttribute(name, value);
}

void CVerticalLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    if (items_.empty()) return;
    const RECT work = WorkArea();
    const int workW = work.right - work.left;
    const int workH = work.bottom - work.top;

    struct Slot {
        CControlUI* c;
        SIZE available;
        int height;      // clamped estimate, 0 for flexible
        bool flexible;
    };
    std::vector<Slot> slots;
    int flexibleCount = 0;
    int fixedSum = 0;
    for (CControlUI* c : items_) {
        if (!c->IsVisible() || c->IsFloat()) continue;
        const RECT& p = c->GetPadding();
        SIZE available;
        available.cx = std::min(c->GetFixedWidth() != 0 ? c->GetFixedWidth() : c->GetMaxWidth(),
                                static_cast<int>(workW - p.left - p.right));
        available.cy = std::min(c->GetFixedHeight() != 0 ? c->GetFixedHeight() : c->GetMaxHeight(), workH);
        SIZE sz = c->EstimateSize(available);
        Slot slot{c, available, 0, false};
        if (sz.cy == 0) {
            slot.flexible = true;
            ++flexibleCount;
        } else {
            slot.height = std::max(c->GetMinHeight(), std::min(static_cast<int>(sz.cy), c->GetMaxHeight()));
        }
        fixedSum += slot.height + p.top + p.bottom;
        slots.push_back(slot);
    }
    if (!slots.empty()) fixedSum += childPadding_ * static_cast<int>(slots.size() - 1);
    const int share = flexibleCount > 0 ? std::max(0, (workH - fixedSum) / flexibleCount) : 0;

    // What the children after each slot still need: their heights, paddings and spacing.
    std::vector<int> toCome(slots.size(), 0);
    for (int i = static_cast<int>(slots.size()) - 2; i >= 0; --i) {
        const Slot& next = slots[i + 1];
        const RECT& p = next.c->GetPadding();
        toCome[i] = toCome[i + 1] + next.height + p.top + p.bottom + childPadding_;
    }

    int y = work.top;
    int flexibleSeen = 0;
    size_t slotIndex = 0;
    for (CControlUI* c : items_) {
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            PlaceFloat(c);
            continue;
        }
        const Slot& slot = slots[slotIndex];
        const RECT& p = c->GetPadding();
        const int top = y + p.top;
        int height = slot.height;
        if (slot.flexible) {
            ++flexibleSeen;
            height = share;
            if (flexibleSeen == flexibleCount)
                height = std::max(0, static_cast<int>(work.bottom - top - p.bottom - toCome[slotIndex]));
            height = std::max(c->GetMinHeight(), std::min(height, c->GetMaxHeight()));
        }
        int width = c->GetMaxWidth();
        if (width == 0) width = workW - p.left - p.right;
        if (width < 0) width = 0;
        if (width > slot.available.cx) width = slot.available.cx;
        if (width < c->GetMinWidth()) width = c->GetMinWidth();

        RECT place;
        if (childAlign_ == kAlignCenter) {
            const int middle = (work.left + work.right) / 2;
            place.left = middle - width / 2;
        } else if (childAlign_ == kAlignRight) {
            place.left = work.right - p.right - width;
        } else {
            place.left = work.left + p.left;
        }
        place.right = place.left + width;
        place.top = top;
        place.bottom = top + height;
        c->SetPos(place, false);

        y += height + p.top + p.bottom + childPadding_;
        ++slotIndex;
    }
}

} // namespace SkinUI

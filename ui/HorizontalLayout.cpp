#include "ui/HorizontalLayout.h"

#include <algorithm>

namespace SkinUI {

void* CHorizontalLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"HorizontalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"sepwidth" || name == L"sepimm") {
        AddCustomAttribute(name, value);  // no drag-to-resize separator here
        return;
    }
    CContainerUI::SetAttribute(name, value);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    if (items_.empty()) return;
    const RECT work = WorkArea();
    const int workW = work.right - work.left;
    const int workH = work.bottom - work.top;

    struct Slot {
        CControlUI* c;
        SIZE available;
        int width;  // clamped estimate, 0 for flexible
        bool flexible;
    };
    std::vector<Slot> slots;
    int flexibleCount = 0;
    int fixedSum = 0;
    for (CControlUI* c : items_) {
        if (!c->IsVisible() || c->IsFloat()) continue;
        const RECT& p = c->GetPadding();
        SIZE available;
        available.cx = std::min(c->GetFixedWidth() != 0 ? c->GetFixedWidth() : c->GetMaxWidth(), workW);
        available.cy = std::min(c->GetFixedHeight() != 0 ? c->GetFixedHeight() : c->GetMaxHeight(),
                                static_cast<int>(workH - p.top - p.bottom));
        Slot slot{c, available, 0, false};
        if (c->GetFixedWidth() == 0) {
            slot.flexible = true;
        } else {
            SIZE sz = c->EstimateSize(available);
            if (sz.cx == 0)
                slot.flexible = true;
            else
                slot.width = std::max(c->GetMinWidth(), std::min(static_cast<int>(sz.cx), c->GetMaxWidth()));
        }
        if (slot.flexible) ++flexibleCount;
        fixedSum += slot.width + p.left + p.right;
        slots.push_back(slot);
    }
    if (!slots.empty()) fixedSum += childPadding_ * static_cast<int>(slots.size() - 1);
    const int share = flexibleCount > 0 ? std::max(0, (workW - fixedSum) / flexibleCount) : 0;

    std::vector<int> toCome(slots.size(), 0);
    for (int i = static_cast<int>(slots.size()) - 2; i >= 0; --i) {
        const Slot& next = slots[i + 1];
        const RECT& p = next.c->GetPadding();
        toCome[i] = toCome[i + 1] + next.width + p.left + p.right + childPadding_;
    }

    int x = work.left;
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
        const int left = x + p.left;
        int width = slot.width;
        if (slot.flexible) {
            ++flexibleSeen;
            width = share;
            if (flexibleSeen == flexibleCount)
                width = std::max(0, static_cast<int>(work.right - left - p.right - toCome[slotIndex]));
            width = std::max(c->GetMinWidth(), std::min(width, c->GetMaxWidth()));
        }
        int height = c->GetMaxHeight();
        if (height == 0) height = workH - p.top - p.bottom;
        if (height > slot.available.cy) height = slot.available.cy;
        if (height < 0) height = 0;
        if (height < c->GetMinHeight()) height = c->GetMinHeight();

        RECT place;
        if (childVAlign_ == kAlignVCenter) {
            const int middle = (work.top + work.bottom) / 2;
            place.top = middle - height / 2;
        } else if (childVAlign_ == kAlignBottom) {
            place.top = work.bottom - p.bottom - height;
        } else {
            place.top = work.top + p.top;
        }
        place.bottom = place.top + height;
        place.left = left;
        place.right = left + width;
        c->SetPos(place, false);

        x += width + p.left + p.right + childPadding_;
        ++slotIndex;
    }
}

} // namespace SkinUI

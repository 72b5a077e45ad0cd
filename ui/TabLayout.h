#pragma once
#include "ui/Container.h"

namespace SkinUI {

// Shows one child (page) at a time.
class CTabLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override { return L"TabLayout"; }
    void* GetInterface(const std::wstring& name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    int GetSelectedIndex() const { return selected_; }
    // Shows page `index`; "tabselect" (new index, old index) when notify is
    // set and the page changed. False for an index out of range.
    bool SelectItem(int index, bool notify = true);
    bool SelectItem(CControlUI* control, bool notify = true);

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

private:
    int selected_ = -1;
};

} // namespace SkinUI

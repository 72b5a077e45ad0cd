#pragma once
#include "ui/Container.h"

namespace SkinUI {

// Stacks its children top to bottom; children without a height share the rest.
class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override { return L"VerticalLayout"; }
    void* GetInterface(const std::wstring& name) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
};

} // namespace SkinUI

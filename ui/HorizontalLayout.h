#pragma once
#include "ui/Container.h"

namespace SkinUI {

// Places its children left to right; children without a width share the rest.
class CHorizontalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override { return L"HorizontalLayout"; }
    void* GetInterface(const std::wstring& name) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
};

} // namespace SkinUI

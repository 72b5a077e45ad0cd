#pragma once
#include "ui/Label.h"

namespace SkinUI {

// A label that counts as client area inside a window's caption band.
class CTextUI : public CLabelUI {
public:
    std::wstring GetClass() const override { return L"Text"; }
    void* GetInterface(const std::wstring& name) override {
        if (name == L"Text") return this;
        return CLabelUI::GetInterface(name);
    }
};

} // namespace SkinUI

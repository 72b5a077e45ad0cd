#pragma once
#include "ui/Button.h"

namespace SkinUI {

// A button with a selected state; options of one group select exclusively.
class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    std::wstring GetClass() const override { return L"Option"; }
    void* GetInterface(const std::wstring& name) override;

    void SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init = true) override;
    bool Activate() override;

    const std::wstring& GetGroup() const { return group_; }
    void SetGroup(const std::wstring& group);
    bool IsSelected() const { return selected_; }
    virtual void SetSelected(bool selected, bool notify = true);

    const std::wstring& GetSelectedImage() const { return selectedImage_; }
    const std::wstring& GetSelectedHotImage() const { return selectedHotImage_; }
    DWORD GetSelectedBkColor() const { return selectedBkColor_; }
    DWORD GetSelectedTextColor() const { return selectedTextColor_; }

    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    bool selected_ = false;
    std::wstring group_;
    std::wstring selectedImage_, selectedHotImage_;
    DWORD selectedBkColor_ = 0;
    DWORD selectedTextColor_ = 0;
};

// An option without a group: every click toggles it.
class CCheckBoxUI : public COptionUI {
public:
    std::wstring GetClass() const override { return L"CheckBox"; }
    void* GetInterface(const std::wstring& name) override;
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool notify = true) { SetSelected(check, notify); }
};

} // namespace SkinUI

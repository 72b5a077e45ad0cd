#pragma once
#include "ui/Control.h"

namespace SkinUI {

// A control that draws text in its font and colours.
class CLabelUI : public CControlUI {
public:
    CLabelUI();
    std::wstring GetClass() const override { return L"Label"; }
    void* GetInterface(const std::wstring& name) override;

    void SetText(const std::wstring& text) override;
    UINT GetTextStyle() const { return textStyle_; }
    void SetTextStyle(UINT style);
    int GetFont() const { return font_; }
    void SetFont(int id);
    DWORD GetTextColor() const { return textColor_; }
    void SetTextColor(DWORD c);
    DWORD GetDisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(DWORD c);
    const RECT& GetTextPadding() const { return rcTextPadding_; }
    void SetTextPadding(const RECT& rc);
    bool IsShowHtml() const { return showHtml_; }
    bool IsMultiLine() const { return (textStyle_ & DT_SINGLELINE) == 0; }

    SIZE EstimateSize(SIZE available) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintText(HDC hDC) override;

protected:
    // The colour a label's text is drawn in, with the window's defaults.
    DWORD EffectiveTextColor() const;
    DWORD EffectiveDisabledTextColor() const;
    void DropSizeCache();
    RECT TextRect() const;

    UINT textStyle_ = DT_VCENTER | DT_SINGLELINE;
    int font_ = -1;
    DWORD textColor_ = 0;
    DWORD disabledTextColor_ = 0;
    RECT rcTextPadding_{};
    bool showHtml_ = false;

private:
    bool sizeCached_ = false;
    SIZE cachedSize_{};
    LONG cachedForWidth_ = -1;
};

} // namespace SkinUI

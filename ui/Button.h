#pragma once
#include "ui/Label.h"

namespace SkinUI {

// A label that can be clicked, with images and colours per state.
class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    std::wstring GetClass() const override { return L"Button"; }
    void* GetInterface(const std::wstring& name) override;

    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    bool IsTabStop() const override { return keyboardEnabled_; }
    UINT GetButtonState() const { return buttonState_; }
    SIZE EstimateSize(SIZE available) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    const std::wstring& GetNormalImage() const { return normalImage_; }
    void SetNormalImage(const std::wstring& s) { normalImage_ = s; Invalidate(); }
    const std::wstring& GetHotImage() const { return hotImage_; }
    void SetHotImage(const std::wstring& s) { hotImage_ = s; Invalidate(); }
    const std::wstring& GetPushedImage() const { return pushedImage_; }
    void SetPushedImage(const std::wstring& s) { pushedImage_ = s; Invalidate(); }
    const std::wstring& GetFocusedImage() const { return focusedImage_; }
    void SetFocusedImage(const std::wstring& s) { focusedImage_ = s; Invalidate(); }
    const std::wstring& GetDisabledImage() const { return disabledImage_; }
    void SetDisabledImage(const std::wstring& s) { disabledImage_ = s; Invalidate(); }
    const std::wstring& GetForeImage() const { return foreImage_; }
    void SetForeImage(const std::wstring& s) { foreImage_ = s; Invalidate(); }
    const std::wstring& GetHotForeImage() const { return hotForeImage_; }
    void SetHotForeImage(const std::wstring& s) { hotForeImage_ = s; Invalidate(); }
    DWORD GetHotBkColor() const { return hotBkColor_; }
    DWORD GetPushedBkColor() const { return pushedBkColor_; }
    DWORD GetDisabledBkColor() const { return disabledBkColor_; }
    DWORD GetHotTextColor() const { return hotTextColor_; }
    DWORD GetPushedTextColor() const { return pushedTextColor_; }
    DWORD GetFocusedTextColor() const { return focusedTextColor_; }
    int GetFadeDelta() const { return fadeDelta_; }

    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    // The fade timer of the hot image.
    static const UINT kFadeTimerId = 11;

protected:
    // The background colour of the current state (0: the normal one).
    DWORD StateBkColor() const;
    void PaintBkColor(HDC hDC) override;
    void PaintForeImage(HDC hDC);
    DWORD StateTextColor() const;

    UINT buttonState_ = 0;
    std::wstring normalImage_, hotImage_, pushedImage_, focusedImage_, disabledImage_;
    std::wstring foreImage_, hotForeImage_;
    DWORD hotBkColor_ = 0, pushedBkColor_ = 0, disabledBkColor_ = 0;
    DWORD hotTextColor_ = 0, pushedTextColor_ = 0, focusedTextColor_ = 0;
    int fadeDelta_ = 0;
    int fadeValue_ = 0;
};

} // namespace SkinUI

#pragma once
// A single-line text field drawn by the skin, edited in a native edit window
// that opens over it while it has the focus.
#include "ui/Label.h"

namespace SkinUI {

class CEditWnd;

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    std::wstring GetClass() const override { return L"Edit"; }
    void* GetInterface(const std::wstring& name) override;

    // The current text, edits in progress included.
    std::wstring GetText() const override { return text_; }
    void SetText(const std::wstring& text) override;
    void SetEnabled(bool enabled = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    bool IsTabStop() const override { return keyboardEnabled_; }

    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool IsNumberOnly() const { return numberOnly_; }
    void SetNumberOnly(bool numberOnly) { numberOnly_ = numberOnly; }
    bool IsPasswordMode() const { return password_; }
    void SetPasswordMode(bool password) { password_ = password; Invalidate(); }
    wchar_t GetPasswordChar() const { return passwordChar_; }
    void SetPasswordChar(wchar_t c) { passwordChar_ = c; Invalidate(); }
    bool IsAutoSelAll() const { return autoSelAll_; }
    int GetMaxChar() const { return maxChar_; }
    void SetMaxChar(int count);
    DWORD GetNativeEditBkColor() const { return nativeBkColor_; }
    DWORD GetNativeEditTextColor() const { return nativeTextColor_; }
    const std::wstring& GetTipValue() const { return tipValue_; }
    void SetTipValue(const std::wstring& tip) { tipValue_ = tip; Invalidate(); }
    DWORD GetTipValueColor() const { return tipValueColor_; }
    // The native edit window while it is open, none otherwise.
    HWND GetNativeWindow() const;

    SIZE EstimateSize(SIZE available) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    // The text drawn in the colour the native window uses.
    DWORD NativeTextColor() const;

private:
    friend class CEditWnd;
    void OpenNativeWindow();
    void CloseNativeWindow();

    CEditWnd* window_ = nullptr;
    UINT state_ = 0;
    bool readOnly_ = false;
    bool numberOnly_ = false;
    bool password_ = false;
    wchar_t passwordChar_ = L'*';
    bool autoSelAll_ = false;
    int maxChar_ = 255;
    std::wstring normalImage_, hotImage_, focusedImage_, disabledImage_;
    DWORD nativeBkColor_ = 0xFFFFFFFF;
    DWORD nativeTextColor_ = 0;
    std::wstring tipValue_;
    DWORD tipValueColor_ = 0xFFBAC0C5;
};

} // namespace SkinUI

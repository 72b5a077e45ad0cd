#pragma once
// The configurable base of the installer's skinned windows: where the skin
// lives, the style fix-up, Escape swallowed, and the drop shadow.
#include "ui/WindowImplBase.h"

namespace SkinUI {

class CSkinFrame : public WindowImplBase {
public:
    // `className` empty: the skin file name without its extension.
    CSkinFrame(int resourceType, UINT resourceId, const std::wstring& skinFolder, const std::wstring& skinFile,
               const std::wstring& className = std::wstring());

    const wchar_t* GetWindowClassName() const override { return className_.c_str(); }
    std::wstring GetSkinFolder() override { return skinFolder_; }
    std::wstring GetSkinFile() override { return skinFile_; }
    int GetResourceType() const override { return resourceType_; }
    UINT GetResourceId() const override { return resourceId_; }

    void InitWindow() override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    // Applies the skin's shadow settings ("showshadow" and the "shadow..."
    // window attributes) to the window's drop shadow.
    virtual void AttachShadow();

private:
    int resourceType_;
    UINT resourceId_;
    std::wstring skinFolder_;
    std::wstring skinFile_;
    std::wstring className_;
};

} // namespace SkinUI

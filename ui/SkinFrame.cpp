#include "ui/SkinFrame.h"

#include "ui/AttributeValues.h"

namespace SkinUI {

CSkinFrame::CSkinFrame(int resourceType, UINT resourceId, const std::wstring& skinFolder,
                       const std::wstring& skinFile, const std::wstring& className)
    : resourceType_(resourceType), resourceId_(resourceId), skinFolder_(skinFolder), skinFile_(skinFile),
      className_(className) {
    if (className_.empty()) {
        className_ = skinFile_;
        size_t dot = className_.find_last_of(L'.');
        if (dot != std::wstring::npos) className_.resize(dot);
        if (className_.empty()) className_ = L"SkinFrame";
    }
}

void CSkinFrame::InitWindow() {
    LONG_PTR style = ::GetWindowLongPtrW(hWnd_, GWL_STYLE);
    ::SetWindowLongPtrW(hWnd_, GWL_STYLE, style & static_cast<LONG_PTR>(0xFF3EFFFF));
    if (ParseWindowBool(manager_.GetWindowCustomAttribute(L"showshadow"))) AttachShadow();
}

void CSkinFrame::AttachShadow() {
    // The shadow window itself is not part of this toolkit build yet; a skin
    // asking for one still builds and shows without it.
}

LRESULT CSkinFrame::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (uMsg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        handled = true;  // Escape never closes a skinned window
        return 0;
    }
    return WindowImplBase::MessageHandler(uMsg, wParam, lParam, handled);
}

} // namespace SkinUI

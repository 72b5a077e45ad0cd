#pragma once
// The base of every skinned control: geometry, look, flags, events.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/SkinDefs.h"

namespace SkinUI {

class CSkinManagerUI;

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::wstring GetClass() const { return L"Control"; }
    // Interface look-up by name ("Container" for containers); none otherwise.
    virtual void* GetInterface(const std::wstring& name);

    const std::wstring& GetName() const { return name_; }
    virtual void SetName(const std::wstring& name) { name_ = name; }
    virtual std::wstring GetText() const { return text_; }
    virtual void SetText(const std::wstring& text);
    const std::wstring& GetToolTip() const { return toolTip_; }
    void SetToolTip(const std::wstring& text) { toolTip_ = text; }
    const std::wstring& GetUserData() const { return userData_; }
    void SetUserData(const std::wstring& text) { userData_ = text; }
    UINT_PTR GetTag() const { return tag_; }
    void SetTag(UINT_PTR tag) { tag_ = tag; }
    wchar_t GetShortcut() const { return shortcut_; }
    void SetShortcut(wchar_t c) { shortcut_ = c; }
    const std::wstring& GetVirtualWnd() const;
    void SetVirtualWnd(const std::wstring& name) { virtualWnd_ = name; }

    // Manager and tree.
    CSkinManagerUI* GetManager() const { return manager_; }
    CControlUI* GetParent() const { return parent_; }
    // Attaches (or, with none, detaches) the control and its children;
    // `init` runs the per-control initialisation.
    virtual void SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init = true);
    void Init();
    virtual void DoInit() {}

    // Geometry.
    const RECT& GetPos() const { return rcItem_; }
    virtual void SetPos(RECT rc, bool needInvalidate = true);
    int GetWidth() const { return rcItem_.right - rcItem_.left; }
    int GetHeight() const { return rcItem_.bottom - rcItem_.top; }
    const RECT& GetPadding() const { return rcPadding_; }
    void SetPadding(const RECT& rc);
    SIZE GetFixedXY() const { return fixedXY_; }
    void SetFixedXY(SIZE xy);
    int GetFixedWidth() const { return fixedWidth_; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return fixedHeight_; }
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return minWidth_; }
    void SetMinWidth(int cx);
    int GetMaxWidth() const { return maxWidth_ < minWidth_ ? minWidth_ : maxWidth_; }
    void SetMaxWidth(int cx);
    int GetMinHeight() const { return minHeight_; }
    void SetMinHeight(int cy);
    int GetMaxHeight() const { return maxHeight_ < minHeight_ ? minHeight_ : maxHeight_; }
    void SetMaxHeight(int cy);
    virtual SIZE EstimateSize(SIZE available);

    bool IsFloat() const { return float_; }
    void SetFloat(bool value);
    // A floating control's rectangle inside its parent's.
    RECT FloatPosIn(const RECT& parentRect) const;

    // Flags.
    virtual bool IsVisible() const { return visible_ && internVisible_; }
    virtual void SetVisible(bool visible = true);
    // Hidden by an ancestor (or shown again) without touching the own flag.
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled = true);
    bool IsMouseEnabled() const { return mouseEnabled_; }
    void SetMouseEnabled(bool enabled = true) { mouseEnabled_ = enabled; }
    bool IsKeyboardEnabled() const { return keyboardEnabled_; }
    void SetKeyboardEnabled(bool enabled = true) { keyboardEnabled_ = enabled; }
    bool IsFocused() const { return focused_; }
    bool IsContextMenuUsed() const { return menuUsed_; }
    // Whether Tab may move the focus here.
    virtual bool IsTabStop() const { return false; }
    virtual void SetFocus();

    // Look.
    DWORD GetBkColor() const { return bkColor_; }
    void SetBkColor(DWORD c);
    DWORD GetBkColor2() const { return bkColor2_; }
    void SetBkColor2(DWORD c);
    DWORD GetBkColor3() const { return bkColor3_; }
    void SetBkColor3(DWORD c);
    const std::wstring& GetBkImage() const { return bkImage_; }
    void SetBkImage(const std::wstring& image);
    DWORD GetBorderColor() const { return borderColor_; }
    void SetBorderColor(DWORD c);
    DWORD GetFocusBorderColor() const { return focusBorderColor_; }
    void SetFocusBorderColor(DWORD c);
    int GetBorderSize() const { return borderSize_; }
    void SetBorderSize(int size);
    void SetBorderSize(const RECT& rc);
    SIZE GetBorderRound() const { return borderRound_; }
    void SetBorderRound(SIZE cxy);
    int GetBorderStyle() const { return borderStyle_; }

    // Attributes.
    virtual void SetAttribute(const std::wstring& name, const std::wstring& value);
    // name="value" pairs as written in an element.
    void ApplyAttributeList(const std::wstring& list);
    std::wstring GetCustomAttribute(const std::wstring& name) const;
    bool HasCustomAttribute(const std::wstring& name) const;
    void AddCustomAttribute(const std::wstring& name, const std::wstring& value);

    // Look-up.
    virtual CControlUI* FindControlAt(POINT pt);
    // Visits this control and its descendants, children before their parent.
    virtual void ForEachPostOrder(const std::function<void(CControlUI*)>& visit);
    // Visits in document order, parent before children.
    virtual void ForEachPreOrder(const std::function<bool(CControlUI*)>& visit);

    // Events and activation.
    void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);
    // Clicks the control as a user would; false when it cannot be activated.
    virtual bool Activate();
    // Per-control listeners called with every event (before the class) and
    // with every notification the control sends (before the window's).
    std::vector<std::function<bool(TEventUI&)>> OnEvent;
    std::vector<std::function<bool(TNotify&)>> OnNotify;

    // Painting.
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    bool DrawImage(HDC hDC, const std::wstring& descriptor, const RECT* destOverride = nullptr);

protected:
    friend class CSkinManagerUI;
    friend class CContainerUI;

    CSkinManagerUI* manager_ = nullptr;
    CControlUI* parent_ = nullptr;
    std::wstring name_;
    std::wstring text_;
    std::wstring toolTip_;
    std::wstring userData_;
    std::wstring virtualWnd_;
    UINT_PTR tag_ = 0;
    wchar_t shortcut_ = 0;

    RECT rcItem_{};
    RECT rcPaint_{};
    RECT rcPadding_{};
    SIZE fixedXY_{};
    int fixedWidth_ = 0;
    int fixedHeight_ = 0;
    int minWidth_ = 0;
    int minHeight_ = 0;
    int maxWidth_ = 9999;
    int maxHeight_ = 9999;
    bool float_ = false;
    bool relativeFloat_ = false;
    double floatFractions_[4] = {0, 0, 0, 0};

    bool visible_ = true;
    bool internVisible_ = true;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    bool keyboardEnabled_ = true;
    bool focused_ = false;
    bool menuUsed_ = false;
    bool updateNeeded_ = true;

    DWORD bkColor_ = 0;
    DWORD bkColor2_ = 0;
    DWORD bkColor3_ = 0;
    DWORD borderColor_ = 0;
    DWORD focusBorderColor_ = 0;
    int borderSize_ = 0;
    RECT rcBorderSize_{};
    bool borderSizeSides_ = false;
    SIZE borderRound_{};
    int borderStyle_ = PS_SOLID;
    std::wstring bkImage_;
    std::wstring colorHsl_;

    std::map<std::wstring, std::wstring> customAttributes_;
};

} // namespace SkinUI

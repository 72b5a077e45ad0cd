#pragma once
// Controls that hold children.
#include "ui/Control.h"

namespace SkinUI {

class IContainerUI {
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    // Removes and deletes the child.
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI() = default;
    ~CContainerUI() override;

    std::wstring GetClass() const override { return L"Container"; }
    void* GetInterface(const std::wstring& name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    int GetCount() const override { return static_cast<int>(items_.size()); }
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    const RECT& GetInset() const { return rcInset_; }
    void SetInset(const RECT& rc);
    int GetChildPadding() const { return childPadding_; }
    void SetChildPadding(int padding);
    UINT GetChildAlign() const { return childAlign_; }
    UINT GetChildVAlign() const { return childVAlign_; }
    bool IsMouseChildEnabled() const { return mouseChild_; }
    void SetMouseChildEnabled(bool enabled = true) { mouseChild_ = enabled; }

    // The first descendant with that exact name.
    CControlUI* FindSubControl(const std::wstring& name);

    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    CControlUI* FindControlAt(POINT pt) override;
    void ForEachPostOrder(const std::function<void(CControlUI*)>& visit) override;
    void ForEachPreOrder(const std::function<bool(CControlUI*)>& visit) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    // Alignment values.
    static const UINT kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2;
    static const UINT kAlignTop = 0, kAlignVCenter = 4, kAlignBottom = 8;

protected:
    // The rectangle less the inset.
    RECT WorkArea() const;
    // Places floating children by their fixed positions.
    void PlaceFloat(CControlUI* child);

    std::vector<CControlUI*> items_;
    RECT rcInset_{};
    int childPadding_ = 0;
    UINT childAlign_ = kAlignLeft;
    UINT childVAlign_ = kAlignTop;
    bool mouseChild_ = true;
};

} // namespace SkinUI

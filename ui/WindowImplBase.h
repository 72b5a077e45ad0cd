#pragma once
// A captionless top-level window whose client area is a skin: loads its skin
// when created, moves by its caption band, rounds its corners, and hands
// notifications to its message map.
#include "ui/NotifyPump.h"
#include "ui/SkinBuilder.h"
#include "ui/SkinManager.h"
#include "ui/WindowWnd.h"

namespace SkinUI {

// Where a window's skin comes from.
enum SkinResourceType {
    kSkinFolder = 1,           // plain files in the skin folder
    kSkinArchiveFile = 2,      // an archive file next to the program
    kSkinResourceDocument = 3, // one document in the program's resources (type "xml")
    kSkinResourceArchive = 4,  // the "ZIPRES" archive in the program's resources
};

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase() = default;
    ~WindowImplBase() override = default;

    const wchar_t* GetSuperClassName() const override { return nullptr; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    virtual void InitWindow() {}
    virtual void OnClick(TNotify& msg);
    virtual std::wstring GetSkinFolder() = 0;
    virtual std::wstring GetSkinFile() = 0;
    // Return and Escape; true when the key was used up.
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam);
    virtual int GetResourceType() const { return kSkinFolder; }
    virtual std::wstring GetArchiveFileName() const { return std::wstring(); }
    virtual UINT GetResourceId() const { return 0; }

    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LONG GetStyle();

    // INotifyUI, IMessageFilterUI, IDialogBuilderCallback.
    void Notify(TNotify& msg) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    CControlUI* CreateControl(const std::wstring& elementName) override;

    CSkinManagerUI& GetManager() { return manager_; }

    SKINUI_DECLARE_NOTIFY_MAP()

protected:
    // The skin could not be built: tells the user and ends the process.
    virtual void OnSkinLoadFailed();

    CSkinManagerUI manager_;
};

} // namespace SkinUI

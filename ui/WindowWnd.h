#pragma once
// A native window bound to an object, with a modal message loop.
#include <windows.h>

#include <string>

namespace SkinUI {

class CWindowWnd {
public:
    CWindowWnd() = default;
    virtual ~CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return hWnd_; }
    operator HWND() const { return hWnd_; }

    // Registers the class on first use (an existing registration is fine)
    // and creates the window with this object bound to it.
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU menu = nullptr);
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, const RECT& rc,
                HMENU menu = nullptr);
    // Binds the object to an existing window by replacing its procedure.
    HWND Subclass(HWND hWnd);
    void Unsubclass();

    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window, disables its owner and runs the message loop until the
    // window is gone. Returns the wParam of the WM_CLOSE posted to it (0 when
    // it was closed otherwise).
    UINT ShowModal();
    // Posts WM_CLOSE with `result` as its wParam.
    void Close(UINT result = IDOK);
    void CenterWindow();
    void SetIcon(UINT resourceId);

    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    void ResizeClient(int cx = -1, int cy = -1);

    virtual const wchar_t* GetWindowClassName() const = 0;
    // The system class this window builds on (for example "EDIT"); none for
    // a class of its own.
    virtual const wchar_t* GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return 0; }
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd) { (void)hWnd; }

protected:
    bool RegisterWindowClass();
    bool RegisterSuperclass();
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND hWnd_ = nullptr;
    WNDPROC oldWndProc_ = ::DefWindowProcW;
    bool subclassed_ = false;
};

} // namespace SkinUI

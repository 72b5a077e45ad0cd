#pragma once
// The per-window manager: resources of the skin (fonts, images, default
// attributes, window attributes), the control tree's names, focus, mouse and
// keyboard routing, timers and notifications.
#include <windows.h>

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/SkinDefs.h"
#include "ui/SkinImage.h"

namespace SkinUI {

class CControlUI;
class COptionUI;

struct TFontInfo {
    HFONT hFont = nullptr;
    std::wstring faceName;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICW tm{};
    ~TFontInfo();
};

class CSkinManagerUI {
public:
    CSkinManagerUI();
    ~CSkinManagerUI();
    CSkinManagerUI(const CSkinManagerUI&) = delete;
    CSkinManagerUI& operator=(const CSkinManagerUI&) = delete;

    // Binds the manager to its window.
    void Init(HWND hWnd);
    HWND GetPaintWindow() const { return hWnd_; }
    // A device context for measuring text, valid for the manager's life.
    HDC GetMeasureDC() const { return measureDC_; }

    // ---- the control tree ----
    // Makes `root` the window's tree: attaches every control, registers the
    // names and runs the per-control initialisation. The previous tree is deleted.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return root_; }
    // Deletes the tree and forgets the window (after the window is gone).
    void ReleaseControls();
    // Called by controls attached later (Add) to register them.
    void InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // Forgets every reference to a control that goes away.
    void ReapControl(CControlUI* control);
    CControlUI* FindControlByName(const std::wstring& name) const;
    // Lays the tree out first when something changed since the last layout.
    CControlUI* FindControlAt(POINT pt);
    void NeedUpdate();
    void Invalidate(const RECT& rc);
    bool IsUpdateNeeded() const { return updateNeeded_; }
    // Lays the tree out over the client area now (done before every paint
    // anyway when something changed).
    void UpdateLayout();

    // ---- focus ----
    CControlUI* GetFocus() const { return focus_; }
    void SetFocus(CControlUI* control, bool focusWindow = true);
    bool SetNextTabControl(bool forward = true);

    // ---- timers ----
    bool StartTimer(CControlUI* control, UINT timerId, UINT elapse);
    bool StopTimer(CControlUI* control, UINT timerId);
    void KillTimers(CControlUI* control);

    // ---- notifications ----
    void SendNotify(CControlUI* control, const std::wstring& type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    void SendNotify(TNotify& msg, bool async = false);
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    // When false, an asynchronous notification already queued for the same
    // sender and type is updated instead of queued again.
    void SetAsyncNotifyRepeat(bool repeat) { asyncRepeat_ = repeat; }
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    POINT GetMousePos() const;

    // ---- window messages ----
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Offers a message of the thread's loop to the pre-filters of the window
    // that owns it; true when one of them kept it.
    static bool TranslateMessage(const MSG* msg);
    // A plain message loop with the toolkit's translation.
    static void MessageLoop();

    // ---- window attributes ----
    SIZE GetInitSize() const { return initSize_; }
    void SetInitSize(int cx, int cy);
    const RECT& GetSizeBox() const { return sizeBox_; }
    void SetSizeBox(const RECT& rc) { sizeBox_ = rc; }
    const RECT& GetCaptionRect() const { return caption_; }
    void SetCaptionRect(const RECT& rc) { caption_ = rc; }
    SIZE GetRoundCorner() const { return roundCorner_; }
    void SetRoundCorner(int cx, int cy) { roundCorner_ = {cx, cy}; }
    SIZE GetMinInfo() const { return minInfo_; }
    void SetMinInfo(int cx, int cy) { minInfo_ = {cx, cy}; }
    SIZE GetMaxInfo() const { return maxInfo_; }
    void SetMaxInfo(int cx, int cy) { maxInfo_ = {cx, cy}; }
    bool IsShowUpdateRect() const { return showDirty_; }
    bool IsNoActivate() const { return noActivate_; }
    BYTE GetOpacity() const { return opacity_; }
    void SetOpacity(BYTE opacity);
    const std::wstring& GetLayeredImage() const { return layeredImage_; }
    DWORD GetDefaultDisabledColor() const { return defaultDisabledColor_; }
    DWORD GetDefaultFontColor() const { return defaultFontColor_; }
    DWORD GetDefaultLinkFontColor() const { return defaultLinkFontColor_; }
    DWORD GetDefaultLinkHoverFontColor() const { return defaultLinkHoverFontColor_; }
    DWORD GetDefaultSelectedBkColor() const { return defaultSelectedBkColor_; }
    // Applies one attribute of the root "Window" element (names ignore case);
    // unknown names are kept as custom window attributes.
    void SetWindowAttribute(const std::wstring& name, const std::wstring& value);
    std::wstring GetWindowCustomAttribute(const std::wstring& name) const;
    bool HasWindowCustomAttribute(const std::wstring& name) const;

    // ---- fonts ----
    // Adds a font under `id` (replacing one there); `isDefault` also makes it the
    // window's default font. Shared fonts are seen by every window.
    bool AddFont(int id, const std::wstring& faceName, int size, bool bold, bool underline, bool italic,
                 bool shared = false);
    void SetDefaultFont(const std::wstring& faceName, int size, bool bold, bool underline, bool italic,
                        bool shared = false);
    HFONT GetFont(int id) const;
    const TFontInfo* GetFontInfo(int id) const;

    // ---- images ----
    // The decoded image for a file name (archive first, then a plain file),
    // cached per window or, when shared, for every window.
    ImagePtr GetImage(const std::wstring& file, DWORD mask = 0, bool shared = false);
    ImagePtr GetImageFor(const TImageDescriptor& descriptor);
    ImagePtr GetResourceImage(const std::wstring& res, const std::wstring& type, DWORD mask);
    size_t CachedImageCount() const { return images_.size(); }

    // ---- default attributes ----
    void AddDefaultAttributeList(const std::wstring& elementName, const std::wstring& list, bool shared = false);
    std::wstring GetDefaultAttributeList(const std::wstring& elementName) const;

    // ---- multi-language texts (process-wide) ----
    static void AddMultiLanguageString(int id, const std::wstring& text);
    static std::wstring GetMultiLanguageString(int id);

    // ---- option groups ----
    void AddOptionGroup(const std::wstring& group, COptionUI* option);
    const std::vector<COptionUI*>* GetOptionGroup(const std::wstring& group) const;
    void RemoveOptionGroupMember(COptionUI* option);

    // Paints the tree into a new 32-bit bitmap of the client size (the caller
    // deletes it); none without a window or tree.
    HBITMAP RenderToBitmap() const;

private:
    struct TimerInfo {
        CControlUI* control;
        UINT localId;
        HWND hWnd;
        UINT sysId;
        bool killed;
    };

    struct PendingNotify {
        TNotify msg;
        bool dropped;
    };

    void OnPaint();
    void DeliverAsyncNotifications();
    void Deliver(TNotify& msg);
    void SetHover(CControlUI* control, const TEventUI& base);
    TEventUI MakeEvent(int type, CControlUI* sender, WPARAM wParam, LPARAM lParam) const;
    void RegisterNames(CControlUI* control);
    std::unique_ptr<TFontInfo> MakeFont(const std::wstring& faceName, int size, bool bold, bool underline,
                                        bool italic) const;
    static std::wstring LowerCase(const std::wstring& text);

    HWND hWnd_ = nullptr;
    HDC measureDC_ = nullptr;
    CControlUI* root_ = nullptr;
    CControlUI* focus_ = nullptr;
    CControlUI* hover_ = nullptr;
    CControlUI* capture_ = nullptr;
    bool updateNeeded_ = false;
    bool firstLayout_ = true;
    bool mouseTracking_ = false;
    std::atomic<long long> lastMouse_{0};

    std::map<std::wstring, CControlUI*> names_;
    std::vector<TimerInfo> timers_;
    UINT timerCounter_ = 0x1000;
    std::vector<INotifyUI*> notifiers_;
    std::vector<IMessageFilterUI*> preFilters_;
    std::vector<IMessageFilterUI*> filters_;
    std::map<std::wstring, std::vector<COptionUI*>> optionGroups_;

    CRITICAL_SECTION asyncLock_;
    std::deque<PendingNotify> asyncQueue_;
    std::deque<PendingNotify> delivering_;
    bool asyncPosted_ = false;
    bool asyncRepeat_ = true;

    // Offscreen frame.
    HDC offscreenDC_ = nullptr;
    HBITMAP offscreenBitmap_ = nullptr;
    HGDIOBJ offscreenOld_ = nullptr;
    SIZE offscreenSize_{};

    // Window attributes.
    SIZE initSize_{};
    RECT sizeBox_{};
    RECT caption_{};
    SIZE roundCorner_{};
    SIZE minInfo_{};
    SIZE maxInfo_{};
    bool showDirty_ = false;
    bool noActivate_ = false;
    BYTE opacity_ = 255;
    std::wstring layeredImage_;
    DWORD defaultDisabledColor_ = 0xFFA7A6AA;
    DWORD defaultFontColor_ = 0xFF000000;
    DWORD defaultLinkFontColor_ = 0xFF0000FF;
    DWORD defaultLinkHoverFontColor_ = 0xFFD3215F;
    DWORD defaultSelectedBkColor_ = 0xFFBAE4FF;
    std::map<std::wstring, std::wstring> windowCustom_;  // keys in lower case

    std::map<int, std::unique_ptr<TFontInfo>> fonts_;
    std::unique_ptr<TFontInfo> defaultFont_;
    std::map<std::wstring, ImagePtr> images_;
    std::map<std::wstring, std::wstring> defaultAttributes_;  // keys in lower case
};

} // namespace SkinUI

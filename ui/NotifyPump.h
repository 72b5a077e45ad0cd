#pragma once
// Routes notifications to handlers listed per class in a message map.
#include <map>
#include <string>

#include "ui/SkinDefs.h"

namespace SkinUI {

class CNotifyPump;
using NotifyHandler = void (CNotifyPump::*)(TNotify& msg);
using NotifyParamsHandler = void (CNotifyPump::*)(WPARAM wParam, LPARAM lParam);

struct NotifyMapEntry {
    const wchar_t* type;
    const wchar_t* controlName;  // empty: any sender
    NotifyHandler handler;
    NotifyParamsHandler paramsHandler;
};

struct NotifyMap {
    const NotifyMap* base;
    const NotifyMapEntry* entries;  // ends with an entry whose type is null
};

class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;

    // A pump that gets the notifications of controls naming this virtual
    // window first (names compare ignoring case).
    bool AddVirtualWnd(const std::wstring& name, CNotifyPump* pump);
    bool RemoveVirtualWnd(const std::wstring& name);
    // Finds and calls the handler for one notification; false when none matched.
    bool NotifyPump(TNotify& msg);
    bool LoopDispatch(TNotify& msg);

    static const NotifyMap notifyMap_;
    virtual const NotifyMap* GetNotifyMap() const { return &notifyMap_; }

private:
    std::map<std::wstring, CNotifyPump*> virtualWnds_;  // keys in lower case
};

} // namespace SkinUI

// Message maps: inside the class
//   SKINUI_DECLARE_NOTIFY_MAP()
// and in its source file
//   SKINUI_BEGIN_NOTIFY_MAP(CMyWnd, CBaseWnd)
//     SKINUI_ON_NOTIFY(L"click", L"okBtn", CMyWnd::OnOk)
//     SKINUI_ON_NOTIFY_TYPE(L"selectchanged", CMyWnd::OnSelect)
//   SKINUI_END_NOTIFY_MAP()
#define SKINUI_DECLARE_NOTIFY_MAP()                                              \
public:                                                                          \
    static const ::SkinUI::NotifyMap notifyMap_;                                 \
    const ::SkinUI::NotifyMap* GetNotifyMap() const override { return &notifyMap_; } \
                                                                                 \
private:                                                                         \
    static const ::SkinUI::NotifyMapEntry notifyEntries_[];

#define SKINUI_BEGIN_NOTIFY_MAP(theClass, baseClass)                             \
    const ::SkinUI::NotifyMap theClass::notifyMap_ = {&baseClass::notifyMap_, theClass::notifyEntries_}; \
    const ::SkinUI::NotifyMapEntry theClass::notifyEntries_[] = {

#define SKINUI_ON_NOTIFY(type, name, handler) \
    {type, name, static_cast<::SkinUI::NotifyHandler>(&handler), nullptr},
#define SKINUI_ON_NOTIFY_TYPE(type, handler) SKINUI_ON_NOTIFY(type, L"", handler)
#define SKINUI_ON_NOTIFY_PARAMS(type, name, handler) \
    {type, name, nullptr, static_cast<::SkinUI::NotifyParamsHandler>(&handler)},

#define SKINUI_END_NOTIFY_MAP() \
    {nullptr, nullptr, nullptr, nullptr}                                        \
    };

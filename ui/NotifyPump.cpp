#include "ui/NotifyPump.h"

#include <windows.h>

#include <cwchar>

#include "ui/Control.h"

namespace SkinUI {

namespace {
const NotifyMapEntry kNoEntries[] = {{nullptr, nullptr, nullptr, nullptr}};

std::wstring Lower(const std::wstring& text) {
    std::wstring s = text;
    if (!s.empty()) ::CharLowerBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}
} // namespace

const NotifyMap CNotifyPump::notifyMap_ = {nullptr, kNoEntries};

bool CNotifyPump::AddVirtualWnd(const std::wstring& name, CNotifyPump* pump) {
    if (pump == nullptr || name.empty()) return false;
    return virtualWnds_.emplace(Lower(name), pump).second;
}

bool CNotifyPump::RemoveVirtualWnd(const std::wstring& name) { return virtualWnds_.erase(Lower(name)) != 0; }

bool CNotifyPump::LoopDispatch(TNotify& msg) {
    const std::wstring sender = msg.pSender ? msg.pSender->GetName() : std::wstring();
    for (const NotifyMap* map = GetNotifyMap(); map != nullptr; map = map->base) {
        const NotifyMapEntry* fallback = nullptr;
        const NotifyMapEntry* exact = nullptr;
        for (const NotifyMapEntry* e = map->entries; e != nullptr && e->type != nullptr; ++e) {
            if (msg.sType != e->type) continue;
            if (e->controlName == nullptr || e->controlName[0] == L'\0') {
                if (fallback == nullptr) fallback = e;
            } else if (sender == e->controlName) {
                exact = e;
                break;
            }
        }
        const NotifyMapEntry* chosen = exact ? exact : fallback;
        if (chosen == nullptr) continue;
        if (chosen->handler)
            (this->*(chosen->handler))(msg);
        else if (chosen->paramsHandler)
            (this->*(chosen->paramsHandler))(msg.wParam, msg.lParam);
        return true;
    }
    return false;
}

bool CNotifyPump::NotifyPump(TNotify& msg) {
    if (!msg.sVirtualWnd.empty()) {
        auto it = virtualWnds_.find(Lower(msg.sVirtualWnd));
        if (it != virtualWnds_.end() && it->second->LoopDispatch(msg)) return true;
    }
    return LoopDispatch(msg);
}

} // namespace SkinUI

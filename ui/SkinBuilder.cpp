#include "ui/SkinBuilder.h"

#include <vector>

#include "ui/AttributeValues.h"
#include "ui/Button.h"
#include "ui/Container.h"
#include "ui/Edit.h"
#include "ui/HorizontalLayout.h"
#include "ui/Label.h"
#include "ui/Option.h"
#include "ui/Progress.h"
#include "ui/SkinManager.h"
#include "ui/SkinResources.h"
#include "ui/TabLayout.h"
#include "ui/Text.h"
#include "ui/VerticalLayout.h"

namespace SkinUI {

namespace {

std::vector<CSkinBuilder::Plugin>& Plugins() {
    static std::vector<CSkinBuilder::Plugin> plugins;
    return plugins;
}

bool IsResourceElement(const std::wstring& name) {
    return EqualsNoCase(name, L"Image") || EqualsNoCase(name, L"Font") || EqualsNoCase(name, L"Default") ||
           EqualsNoCase(name, L"MultiLanguage");
}

} // namespace

void CSkinBuilder::RegisterPlugin(Plugin plugin) { Plugins().push_back(std::move(plugin)); }

CControlUI* CSkinBuilder::CreateKnownControl(const std::wstring& n) {
    if (EqualsNoCase(n, L"Control")) return new CControlUI;
    if (EqualsNoCase(n, L"Label")) return new CLabelUI;
    if (EqualsNoCase(n, L"Button")) return new CButtonUI;
    if (EqualsNoCase(n, L"Option")) return new COptionUI;
    if (EqualsNoCase(n, L"CheckBox")) return new CCheckBoxUI;
    if (EqualsNoCase(n, L"Progress")) return new CProgressUI;
    if (EqualsNoCase(n, L"Edit")) return new CEditUI;
    if (EqualsNoCase(n, L"Text")) return new CTextUI;
    if (EqualsNoCase(n, L"Container")) return new CContainerUI;
    if (EqualsNoCase(n, L"VerticalLayout") || EqualsNoCase(n, L"VBox")) return new CVerticalLayoutUI;
    if (EqualsNoCase(n, L"HorizontalLayout") || EqualsNoCase(n, L"HBox")) return new CHorizontalLayoutUI;
    if (EqualsNoCase(n, L"TabLayout")) return new CTabLayoutUI;
    return nullptr;
}

CControlUI* CSkinBuilder::Create(const std::wstring& xml, IDialogBuilderCallback* callback,
                                 CSkinManagerUI* manager, CControlUI* parent, MarkupEncoding encoding) {
    bool loaded;
    if (!xml.empty() && xml[0] == L'<')
        loaded = markup_.Load(xml);
    else
        loaded = markup_.LoadFromFile(xml, encoding);
    if (!loaded) return nullptr;
    return Create(callback, manager, parent);
}

CControlUI* CSkinBuilder::CreateFromResource(UINT id, const wchar_t* type, IDialogBuilderCallback* callback,
                                             CSkinManagerUI* manager, CControlUI* parent) {
    HINSTANCE module = CSkinResources::GetInstance();
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), type ? type : L"xml");
    if (info == nullptr) return nullptr;
    HGLOBAL handle = ::LoadResource(module, info);
    DWORD size = ::SizeofResource(module, info);
    const void* data = handle ? ::LockResource(handle) : nullptr;
    if (data == nullptr || size == 0) return nullptr;
    if (!markup_.LoadFromMem(static_cast<const unsigned char*>(data), size)) return nullptr;
    return Create(callback, manager, parent);
}

void CSkinBuilder::ApplyResources(const CMarkupNode& root, CSkinManagerUI* manager) {
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const std::wstring& name = node.GetName();
        if (EqualsNoCase(name, L"Font")) {
            int id = -1;
            int size = 12;
            std::wstring face;
            bool bold = false, underline = false, italic = false, isDefault = false, shared = false;
            for (int i = 0; i < node.GetAttributeCount(); ++i) {
                const std::wstring& n = node.GetAttributeName(i);
                const std::wstring& v = node.GetAttributeValue(i);
                if (n == L"id") id = static_cast<int>(ParseLong(v.c_str()));
                else if (n == L"name") face = v;
                else if (n == L"size") size = static_cast<int>(ParseLong(v.c_str()));
                else if (n == L"bold") bold = ParseWindowBool(v);
                else if (n == L"underline") underline = ParseWindowBool(v);
                else if (n == L"italic") italic = ParseWindowBool(v);
                else if (n == L"default") isDefault = ParseWindowBool(v);
                else if (n == L"shared") shared = ParseWindowBool(v);
            }
            if (id >= 0 && !face.empty()) {
                manager->AddFont(id, face, size, bold, underline, italic, shared);
                if (isDefault) manager->SetDefaultFont(face, size, bold, underline, italic, shared);
            }
        } else if (EqualsNoCase(name, L"Default")) {
            std::wstring element, value;
            bool shared = false;
            for (int i = 0; i < node.GetAttributeCount(); ++i) {
                const std::wstring& n = node.GetAttributeName(i);
                const std::wstring& v = node.GetAttributeValue(i);
                if (n == L"name") element = v;
                else if (n == L"value") value = v;
                else if (n == L"shared") shared = ParseWindowBool(v);
            }
            if (!element.empty()) manager->AddDefaultAttributeList(element, value, shared);
        } else if (EqualsNoCase(name, L"Image")) {
            std::wstring file, type;
            DWORD mask = 0;
            bool shared = false;
            for (int i = 0; i < node.GetAttributeCount(); ++i) {
                const std::wstring& n = node.GetAttributeName(i);
                const std::wstring& v = node.GetAttributeValue(i);
                if (n == L"name") file = v;
                else if (n == L"restype") type = v;
                else if (n == L"mask") mask = ParseColor(v);
                else if (n == L"shared") shared = ParseWindowBool(v);
            }
            if (file.empty()) continue;
            if (type.empty())
                manager->GetImage(file, mask, shared);
            else
                manager->GetResourceImage(file, type, mask);
        } else if (EqualsNoCase(name, L"MultiLanguage")) {
            std::wstring id = node.GetAttributeValue(L"id");
            if (!id.empty())
                CSkinManagerUI::AddMultiLanguageString(static_cast<int>(ParseLong(id.c_str())),
                                                       node.GetAttributeValue(L"value"));
        }
    }
}

CControlUI* CSkinBuilder::Create(IDialogBuilderCallback* callback, CSkinManagerUI* manager, CControlUI* parent) {
    callback_ = callback;
    CMarkupNode root = markup_.GetRoot();
    if (!root.IsValid()) return nullptr;
    if (manager != nullptr) {
        ApplyResources(root, manager);
        if (EqualsNoCase(root.GetName(), L"Window") && manager->GetPaintWindow() != nullptr) {
            for (int i = 0; i < root.GetAttributeCount(); ++i)
                manager->SetWindowAttribute(root.GetAttributeName(i), root.GetAttributeValue(i));
        }
    }
    CControlUI* first = nullptr;
    if (!Parse(root, parent, manager, first)) {
        if (parent == nullptr) delete first;
        return nullptr;
    }
    return first;
}

bool CSkinBuilder::Parse(const CMarkupNode& node, CControlUI* parent, CSkinManagerUI* manager,
                         CControlUI*& first) {
    for (CMarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
        const std::wstring& name = child.GetName();
        if (IsResourceElement(name)) continue;

        if (EqualsNoCase(name, L"Include")) {
            std::wstring source = child.GetAttributeValue(L"source");
            std::wstring countText = child.GetAttributeValue(L"count");
            int count = countText.empty() ? 1 : static_cast<int>(ParseLong(countText.c_str()));
            if (source.empty()) continue;
            for (int i = 0; i < count; ++i) {
                CSkinBuilder included;
                CControlUI* built = included.Create(source, callback_, manager, parent);
                if (built != nullptr && first == nullptr) first = built;
                else if (built != nullptr && parent == nullptr) delete built;
            }
            continue;
        }

        CControlUI* control = CreateKnownControl(name);
        if (control == nullptr)
            for (auto& plugin : Plugins())
                if ((control = plugin(name)) != nullptr) break;
        if (control == nullptr && callback_ != nullptr) control = callback_->CreateControl(name);
        if (control == nullptr) continue;  // unknown: skipped with everything inside

        if (child.HasChildren()) {
            CControlUI* firstChild = nullptr;
            if (!Parse(child, control, manager, firstChild)) {
                delete control;
                return false;
            }
        }

        if (parent != nullptr) {
            auto* container = static_cast<IContainerUI*>(parent->GetInterface(L"IContainer"));
            if (container == nullptr) {
                delete control;
                return false;
            }
            container->Add(control);
        }

        if (manager != nullptr) {
            control->SetManager(manager, parent, false);
            std::wstring defaults = manager->GetDefaultAttributeList(name);
            if (!defaults.empty()) control->ApplyAttributeList(defaults);
        }
        for (int i = 0; i < child.GetAttributeCount(); ++i)
            control->SetAttribute(child.GetAttributeName(i), child.GetAttributeValue(i));
        if (manager != nullptr) control->SetManager(nullptr, parent, false);

        if (first == nullptr)
            first = control;
        else if (parent == nullptr)
            delete control;  // only the first top-level control has an owner
    }
    return true;
}

} // namespace SkinUI

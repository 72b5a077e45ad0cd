#pragma once
// Turns a skin document into a control tree and the window's resources.
#include <functional>
#include <string>

#include "ui/SkinMarkup.h"

namespace SkinUI {

class CControlUI;
class CSkinManagerUI;

// The window's control factory for element names the toolkit does not know.
class IDialogBuilderCallback {
public:
    virtual CControlUI* CreateControl(const std::wstring& elementName) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class CSkinBuilder {
public:
    using Plugin = std::function<CControlUI*(const std::wstring& elementName)>;

    // Loads the document (a text beginning with "<" is the document itself)
    // and builds it. Returns the first top-level control, none on failure.
    CControlUI* Create(const std::wstring& xml, IDialogBuilderCallback* callback = nullptr,
                       CSkinManagerUI* manager = nullptr, CControlUI* parent = nullptr,
                       MarkupEncoding encoding = MarkupEncoding::Utf8);
    // A document stored as a resource of the program (type "xml" by default).
    CControlUI* CreateFromResource(UINT id, const wchar_t* type, IDialogBuilderCallback* callback = nullptr,
                                   CSkinManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // Builds the document loaded last.
    CControlUI* Create(IDialogBuilderCallback* callback, CSkinManagerUI* manager, CControlUI* parent = nullptr);

    CSkinMarkup& GetMarkup() { return markup_; }
    const std::wstring& GetLastErrorMessage() const { return markup_.GetLastErrorMessage(); }
    const std::wstring& GetLastErrorLocation() const { return markup_.GetLastErrorLocation(); }

    // Factories asked, in order, for element names the toolkit does not know.
    static void RegisterPlugin(Plugin plugin);

    // The toolkit's own control for an element name (letter case ignored);
    // none for an unknown name.
    static CControlUI* CreateKnownControl(const std::wstring& elementName);

private:
    void ApplyResources(const CMarkupNode& root, CSkinManagerUI* manager);
    // False when the tree cannot be built (a parent that holds no children).
    bool Parse(const CMarkupNode& node, CControlUI* parent, CSkinManagerUI* manager, CControlUI*& first);

    CSkinMarkup markup_;
    IDialogBuilderCallback* callback_ = nullptr;
};

} // namespace SkinUI

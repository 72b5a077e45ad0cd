// Building control trees from documents: element names, attributes in
// document order, resources, window attributes, the control factory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/SkinUI.h"

using namespace SkinUI;

namespace {

// A manager with its tree, deleted together.
struct Built {
    CSkinManagerUI manager;
    CControlUI* root = nullptr;
    CSkinBuilder builder;
    explicit Built(const std::wstring& xml, IDialogBuilderCallback* callback = nullptr, HWND window = nullptr) {
        if (window) manager.Init(window);
        root = builder.Create(xml, callback, &manager);
        if (root) manager.AttachDialog(root);
    }
    template <typename T>
    T* Find(const wchar_t* name) {
        return dynamic_cast<T*>(manager.FindControlByName(name));
    }
};

TEST(Builder, UnknownAttributesAreKeptAndChangeNothing) {
    Built b(L"<Window><VerticalLayout>"
            L"<Button name=\"b\" font=\"0\" hotfont=\"6\" pushedfont=\"0\" hotborercolor=\"#FF59CB8F\" bordersize=\"1\"/>"
            L"<Progress name=\"p\" foreimage=\"res\\test\\fore.png\" isstretchfore=\"false\"/>"
            L"</VerticalLayout></Window>");
    ASSERT_NE(b.root, nullptr);
    auto* button = b.Find<CButtonUI>(L"b");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetFont(), 0);
    EXPECT_EQ(button->GetBorderColor(), 0u);
    EXPECT_EQ(button->GetCustomAttribute(L"hotfont"), L"6");
    EXPECT_EQ(button->GetCustomAttribute(L"hotborercolor"), L"#FF59CB8F");
    EXPECT_TRUE(button->HasCustomAttribute(L"pushedfont"));
    auto* progress = b.Find<CProgressUI>(L"p");
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->GetForeImage(), L"res\\test\\fore.png");
    EXPECT_EQ(progress->GetCustomAttribute(L"isstretchfore"), L"false");
}

struct Factory : IDialogBuilderCallback {
    std::vector<std::wstring> asked;
    bool make = false;
    CControlUI* CreateControl(const std::wstring& name) override {
        asked.push_back(name);
        return make && name == L"Fancy" ? new CVerticalLayoutUI : nullptr;
    }
};

TEST(Builder, UnknownElementIsSkippedWithItsSubtree) {
    Factory factory;
    Built b(L"<Window><VerticalLayout name=\"root\">"
            L"<Fancy name=\"fancy\"><Button name=\"inner\"/></Fancy><Label name=\"after\"/>"
            L"</VerticalLayout></Window>",
            &factory);
    ASSERT_NE(b.root, nullptr);
    EXPECT_EQ(factory.asked, std::vector<std::wstring>{L"Fancy"});
    EXPECT_EQ(b.Find<CControlUI>(L"inner"), nullptr);
    EXPECT_EQ(b.Find<CControlUI>(L"fancy"), nullptr);
    auto* root = b.Find<CContainerUI>(L"root");
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->GetCount(), 1);
    EXPECT_EQ(root->GetItemAt(0)->GetName(), L"after");
}

TEST(Builder, TheWindowsFactoryBuildsUnknownElements) {
    Factory factory;
    factory.make = true;
    Built b(L"<Window><VerticalLayout><Fancy name=\"fancy\"><Button name=\"inner\"/></Fancy></VerticalLayout></Window>",
            &factory);
    ASSERT_NE(b.root, nullptr);
    auto* fancy = b.Find<CVerticalLayoutUI>(L"fancy");
    ASSERT_NE(fancy, nullptr);
    ASSERT_EQ(fancy->GetCount(), 1);
    EXPECT_EQ(fancy->GetItemAt(0), b.Find<CButtonUI>(L"inner"));
}

TEST(Builder, ElementNamesIgnoreCase) {
    Built b(L"<wINDOW><verticallayout name=\"v\"><BUTTON name=\"b\"/><checkbox name=\"c\"/>"
            L"<VBox name=\"vb\"/><hbox name=\"hb\"/><TabLayout name=\"t\"/><edit name=\"e\"/><Text name=\"x\"/>"
            L"</verticallayout></wINDOW>");
    ASSERT_NE(b.root, nullptr);
    EXPECT_EQ(b.Find<CControlUI>(L"v")->GetClass(), L"VerticalLayout");
    EXPECT_EQ(b.Find<CControlUI>(L"b")->GetClass(), L"Button");
    EXPECT_EQ(b.Find<CControlUI>(L"c")->GetClass(), L"CheckBox");
    EXPECT_EQ(b.Find<CControlUI>(L"vb")->GetClass(), L"VerticalLayout");
    EXPECT_EQ(b.Find<CControlUI>(L"hb")->GetClass(), L"HorizontalLayout");
    EXPECT_EQ(b.Find<CControlUI>(L"t")->GetClass(), L"TabLayout");
    EXPECT_EQ(b.Find<CControlUI>(L"e")->GetClass(), L"Edit");
    EXPECT_EQ(b.Find<CControlUI>(L"x")->GetClass(), L"Text");
}

TEST(Builder, LaterAttributesOverrideEarlierOnes) {
    Built b(L"<Window><HorizontalLayout>"
            L"<Control name=\"a\" pos=\"0,0,10,0\" width=\"10\"/>"
            L"<Control name=\"b\" pos=\"0,0,232,0\" width=\"100\"/>"
            L"<Control name=\"c\" width=\"100\" pos=\"0,0,232,0\"/>"
            L"<Control name=\"d\" pos=\"0,0,0,17\" height=\"20\"/>"
            L"<Control name=\"e\" width=\"-5\"/>"
            L"</HorizontalLayout></Window>");
    ASSERT_NE(b.root, nullptr);
    EXPECT_EQ(b.Find<CControlUI>(L"a")->GetFixedWidth(), 10);
    EXPECT_EQ(b.Find<CControlUI>(L"a")->GetFixedHeight(), 0);
    EXPECT_EQ(b.Find<CControlUI>(L"b")->GetFixedWidth(), 100);
    EXPECT_EQ(b.Find<CControlUI>(L"c")->GetFixedWidth(), 232);
    EXPECT_EQ(b.Find<CControlUI>(L"d")->GetFixedHeight(), 20);
    EXPECT_EQ(b.Find<CControlUI>(L"e")->GetFixedWidth(), 0);  // negative sizes are ignored
}

TEST(Builder, DefaultAttributesComeFirst) {
    Built b(L"<Window>"
            L"<Default name=\"Button\" value=\"textcolor=&quot;#FF112233&quot; height=&quot;30&quot;\"/>"
            L"<VerticalLayout><Button name=\"own\" height=\"40\"/><button name=\"plain\"/><Label name=\"l\"/>"
            L"</VerticalLayout></Window>");
    ASSERT_NE(b.root, nullptr);
    EXPECT_EQ(b.Find<CButtonUI>(L"own")->GetTextColor(), 0xFF112233u);
    EXPECT_EQ(b.Find<CButtonUI>(L"own")->GetFixedHeight(), 40);
    EXPECT_EQ(b.Find<CButtonUI>(L"plain")->GetFixedHeight(), 30);
    EXPECT_EQ(b.Find<CLabelUI>(L"l")->GetTextColor(), 0u);
}

TEST(Builder, FontsAreAddedByIdWithTheirStyle) {
    Built b(L"<Window>"
            L"<Font id=\"0\" name=\"Tahoma\" size=\"14\" default=\"true\"/>"
            L"<Font id=\"3\" name=\"Arial\" size=\"20\" bold=\"TRUE\" underline=\"true\" italic=\"yes\"/>"
            L"<Font id=\"4\" size=\"30\"/>"
            L"<Font name=\"Arial\" size=\"40\"/>"
            L"<Label/></Window>");
    ASSERT_NE(b.root, nullptr);
    const TFontInfo* f3 = b.manager.GetFontInfo(3);
    ASSERT_NE(f3, nullptr);
    EXPECT_EQ(f3->faceName, L"Arial");
    EXPECT_EQ(f3->size, 20);
    EXPECT_TRUE(f3->bold);
    EXPECT_TRUE(f3->underline);
    EXPECT_FALSE(f3->italic);
    EXPECT_GE(f3->tm.tmWeight, FW_BOLD);
    EXPECT_GT(f3->tm.tmHeight, 0);
    // A font without a name (or without an id) is not added: look-ups fall back to the default.
    const TFontInfo* def = b.manager.GetFontInfo(-1);
    EXPECT_EQ(def->faceName, L"Tahoma");
    EXPECT_EQ(def->size, 14);
    EXPECT_EQ(b.manager.GetFontInfo(4), def);
    EXPECT_EQ(b.manager.GetFontInfo(99), def);
}

TEST(Builder, ControlFlagsNeedExactlyTrue) {
    Built b(L"<Window><VerticalLayout>"
            L"<Label name=\"a\" visible=\"True\"/><Label name=\"b\" visible=\"false\"/>"
            L"<Label name=\"c\" visible=\"true\" enabled=\"TRUE\"/>"
            L"<CheckBox name=\"d\" selected=\"True\"/><CheckBox name=\"e\" selected=\"true\"/>"
            L"<Control name=\"f\" bkcolor=\"#FFF5FAFE\" bordercolor=\"0xFFF5FAFE\" focusbordercolor=\"FFF5FAFE\"/>"
            L"</VerticalLayout></Window>");
    ASSERT_NE(b.root, nullptr);
    EXPECT_FALSE(b.Find<CControlUI>(L"a")->IsVisible());
    EXPECT_FALSE(b.Find<CControlUI>(L"b")->IsVisible());
    EXPECT_TRUE(b.Find<CControlUI>(L"c")->IsVisible());
    EXPECT_FALSE(b.Find<CControlUI>(L"c")->IsEnabled());
    EXPECT_FALSE(b.Find<COptionUI>(L"d")->IsSelected());
    EXPECT_TRUE(b.Find<COptionUI>(L"e")->IsSelected());
    CControlUI* f = b.Find<CControlUI>(L"f");
    EXPECT_EQ(f->GetBkColor(), 0xFFF5FAFEu);
    EXPECT_EQ(f->GetBorderColor(), 0xFFF5FAFEu);
    EXPECT_EQ(f->GetFocusBorderColor(), 0xFFF5FAFEu);
}

TEST(Builder, ASharedNameFindsTheControlVisitedLast) {
    Built b(L"<Window><VerticalLayout name=\"dup\"><Label name=\"dup\"/>"
            L"<Label name=\"twin\" text=\"1\"/><Label name=\"twin\" text=\"2\"/></VerticalLayout></Window>");
    ASSERT_NE(b.root, nullptr);
    EXPECT_EQ(b.manager.FindControlByName(L"dup"), b.root);  // the parent, visited after its child
    EXPECT_EQ(b.manager.FindControlByName(L"twin")->GetText(), L"2");
    EXPECT_EQ(b.manager.FindControlByName(L"Dup"), nullptr);  // names are case-sensitive
}

TEST(Builder, TheAttributeCapAppliesToControls) {
    std::wstring xml = L"<Window><Label";
    for (int i = 0; i < 64; ++i) xml += L" x" + std::to_wstring(i) + L"=\"1\"";
    xml += L" name=\"late\"/></Window>";
    Built b(xml);
    ASSERT_NE(b.root, nullptr);
    EXPECT_EQ(b.root->GetName(), L"");
    EXPECT_EQ(b.root->GetCustomAttribute(L"x63"), L"1");
}

TEST(Builder, BrokenDocumentsBuildNothing) {
    struct Case {
        const wchar_t* xml;
        const wchar_t* error;
    } cases[] = {
        {L"<Window><VerticalLayout bkcolor='#FFFFFFFF'/></Window>", L"Expected attribute value"},
        {L"<Window><Label><Button/></Label></Window>", L""},  // a label holds no children
        {L"<Window></Window>", L""},                          // no control at all
        {L"<!-- only a comment -->", L""},
        {L"   ", L"Error opening file"},  // not a document text: a file name
    };
    for (const Case& c : cases) {
        CSkinManagerUI manager;
        CSkinBuilder builder;
        EXPECT_EQ(builder.Create(c.xml, nullptr, &manager), nullptr);
        EXPECT_EQ(builder.GetLastErrorMessage(), c.error);
    }
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return ::DefWindowProcW(h, m, w, l); }

HWND PlainWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BuilderTestPlain";
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, L"BuilderTestPlain", L"plain", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                             wc.hInstance, nullptr);
}

TEST(Builder, RootAttributesConfigureTheWindow) {
    HWND window = PlainWindow();
    ASSERT_NE(window, nullptr);
    {
        Built b(L"<Window SIZE=\"321,123\" caption=\"0,0,0,35\" RoundCorner=\"2,2\" mininfo=\"100,50\" "
                L"sizebox=\"4,4,4,4\" defaultfontcolor=\"#FF010203\" showshadow=\"TRUE\" shadowsize=\"6\" "
                L"shadowcolor=\"#26003B76\"><Label/></Window>",
                nullptr, window);
        ASSERT_NE(b.root, nullptr);
        RECT rc;
        ::GetWindowRect(window, &rc);
        EXPECT_EQ(rc.right - rc.left, 321);
        EXPECT_EQ(rc.bottom - rc.top, 123);
        EXPECT_EQ(b.manager.GetCaptionRect().bottom, 35);
        EXPECT_EQ(b.manager.GetRoundCorner().cx, 2);
        EXPECT_EQ(b.manager.GetMinInfo().cy, 50);
        EXPECT_EQ(b.manager.GetSizeBox().left, 4);
        EXPECT_EQ(b.manager.GetDefaultFontColor(), 0xFF010203u);
        EXPECT_EQ(b.manager.GetWindowCustomAttribute(L"ShowShadow"), L"TRUE");
        EXPECT_EQ(b.manager.GetWindowCustomAttribute(L"shadowsize"), L"6");
        EXPECT_EQ(b.manager.GetWindowCustomAttribute(L"shadowcolor"), L"#26003B76");
        EXPECT_FALSE(b.manager.HasWindowCustomAttribute(L"size"));
    }
    // Without a window the root's attributes are not applied.
    Built unbound(L"<Window size=\"321,123\"><Label/></Window>");
    ASSERT_NE(unbound.root, nullptr);
    EXPECT_EQ(unbound.manager.GetInitSize().cx, 0);
    ::DestroyWindow(window);
}

TEST(Builder, DocumentsAreReadFromTheArchive) {
    ASSERT_TRUE(CSkinResources::OpenResourceArchive(147));
    Built b(L"TestWnd.xml");
    ASSERT_NE(b.root, nullptr);
    EXPECT_NE(b.Find<CButtonUI>(L"closebtn"), nullptr);
    EXPECT_EQ(b.Find<CLabelUI>(L"infoLbl")->GetText(), L"\x6807\x7B7E Label & entity");
    EXPECT_TRUE(b.Find<CCheckBoxUI>(L"testCb")->IsSelected());
    EXPECT_EQ(b.Find<CProgressUI>(L"testPrg")->GetValue(), 50);
    EXPECT_EQ(b.Find<CEditUI>(L"testEdit")->GetText(), L"C:\\Program Files\\Velquor");
}

} // namespace

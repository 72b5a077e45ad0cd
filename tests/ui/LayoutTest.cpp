// Layout of vertical, horizontal and tab containers, and size estimates,
// with the numbers checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ui/SkinUI.h"

using namespace SkinUI;

namespace {

struct Laid {
    CSkinManagerUI manager;
    CSkinBuilder builder;
    CControlUI* root = nullptr;
    Laid(const std::wstring& body, int width, int height) {
        root = builder.Create(L"<Window><Font id=\"0\" name=\"Tahoma\" size=\"14\" default=\"true\"/>" + body +
                                  L"</Window>",
                              nullptr, &manager);
        if (root) {
            manager.AttachDialog(root);
            root->SetPos({0, 0, width, height});
        }
    }
    RECT Pos(const wchar_t* name) {
        CControlUI* c = manager.FindControlByName(name);
        return c ? c->GetPos() : RECT{-1, -1, -1, -1};
    }
};

int H(const RECT& rc) { return rc.bottom - rc.top; }
int W(const RECT& rc) { return rc.right - rc.left; }

struct FlexCase {
    int height;
    int a, b, c;
};

class VerticalFlex : public ::testing::TestWithParam<FlexCase> {};

TEST_P(VerticalFlex, TheLastFlexibleChildTakesTheRemainder) {
    const FlexCase& c = GetParam();
    Laid l(L"<VerticalLayout><Control name=\"a\" height=\"30\"/><Control name=\"b\"/><Control name=\"c\"/>"
           L"</VerticalLayout>",
           50, c.height);
    ASSERT_NE(l.root, nullptr);
    EXPECT_EQ(H(l.Pos(L"a")), c.a);
    EXPECT_EQ(H(l.Pos(L"b")), c.b);
    EXPECT_EQ(H(l.Pos(L"c")), c.c);
    EXPECT_EQ(l.Pos(L"b").top, 30);
    EXPECT_EQ(l.Pos(L"c").bottom, c.height > 30 ? c.height : 30);  // overflow when too small
    EXPECT_EQ(W(l.Pos(L"b")), 50);
}

INSTANTIATE_TEST_SUITE_P(Heights, VerticalFlex,
                         ::testing::Values(FlexCase{100, 30, 35, 35}, FlexCase{101, 30, 35, 36},
                                           FlexCase{30, 30, 0, 0}, FlexCase{20, 30, 0, 0}));

TEST(Layout, SpacersShareTheFreeWidthAroundAFixedButton) {
    struct Case {
        int width, left, right;
    } cases[] = {{600, 184, 184}, {601, 184, 185}, {232, 0, 0}};
    for (const Case& c : cases) {
        Laid l(L"<HorizontalLayout><Control name=\"l\"/><Button name=\"b\" width=\"232\"/><Control name=\"r\"/>"
               L"</HorizontalLayout>",
               c.width, 50);
        ASSERT_NE(l.root, nullptr);
        EXPECT_EQ(W(l.Pos(L"l")), c.left);
        EXPECT_EQ(l.Pos(L"b").left, c.left);
        EXPECT_EQ(W(l.Pos(L"b")), 232);
        EXPECT_EQ(W(l.Pos(L"r")), c.right);
        EXPECT_EQ(H(l.Pos(L"b")), 50);  // no height: the full cross size
    }
}

TEST(Layout, AFlexibleChildKeepsItsMinimumWidthAndMayOverflow) {
    Laid l(L"<HorizontalLayout><Control name=\"a\" width=\"50\"/><Control name=\"b\" minwidth=\"300\"/>"
           L"<Control name=\"c\"/></HorizontalLayout>",
           200, 20);
    ASSERT_NE(l.root, nullptr);
    EXPECT_EQ(l.Pos(L"b").left, 50);
    EXPECT_EQ(W(l.Pos(L"b")), 300);
    EXPECT_EQ(l.Pos(L"c").left, 350);
    EXPECT_EQ(W(l.Pos(L"c")), 0);
}

TEST(Layout, PosGivesAFixedWidthAndAFlexibleHeight) {
    Laid l(L"<VerticalLayout><Control height=\"20\"/><Control name=\"p\" pos=\"0,0,232,0\"/></VerticalLayout>", 600,
           400);
    ASSERT_NE(l.root, nullptr);
    EXPECT_EQ(l.Pos(L"p").top, 20);
    EXPECT_EQ(W(l.Pos(L"p")), 232);
    EXPECT_EQ(H(l.Pos(L"p")), 380);
}

TEST(Layout, PaddingInsetAndChildPadding) {
    Laid l(L"<VerticalLayout inset=\"10,5,10,5\" childpadding=\"4\">"
           L"<Control name=\"a\" height=\"20\" padding=\"3,2,7,1\"/><Control name=\"b\"/>"
           L"<Control name=\"c\" height=\"10\"/></VerticalLayout>",
           100, 100);
    ASSERT_NE(l.root, nullptr);
    const RECT a = l.Pos(L"a"), b = l.Pos(L"b"), c = l.Pos(L"c");
    EXPECT_EQ(a.left, 13);
    EXPECT_EQ(a.top, 7);
    EXPECT_EQ(a.right, 83);  // work width 80 less padding 3 + 7
    EXPECT_EQ(H(a), 20);
    EXPECT_EQ(b.top, 7 + 20 + 1 + 4);
    EXPECT_EQ(c.bottom, 95);
    EXPECT_EQ(c.top, 85);
    EXPECT_EQ(b.bottom + 4, c.top);
}

TEST(Layout, ChildAlignmentSplitsTheOddPixelToTheRight) {
    Laid v(L"<VerticalLayout childalign=\"center\"><Control name=\"a\" width=\"50\" height=\"10\"/></VerticalLayout>",
           101, 40);
    ASSERT_NE(v.root, nullptr);
    EXPECT_EQ(v.Pos(L"a").left, 25);
    EXPECT_EQ(v.Pos(L"a").right, 75);
    Laid r(L"<VerticalLayout childalign=\"right\"><Control name=\"a\" width=\"50\" height=\"10\" padding=\"0,0,3,0\"/>"
           L"</VerticalLayout>",
           101, 40);
    EXPECT_EQ(r.Pos(L"a").right, 98);
    Laid h(L"<HorizontalLayout childvalign=\"vcenter\"><Control name=\"a\" width=\"10\" height=\"9\"/>"
           L"<Control name=\"b\" width=\"10\" height=\"9\" padding=\"0,0,0,2\"/></HorizontalLayout>",
           40, 20);
    EXPECT_EQ(h.Pos(L"a").top, 6);
    EXPECT_EQ(h.Pos(L"a").bottom, 15);
    Laid hb(L"<HorizontalLayout childvalign=\"bottom\"><Control name=\"b\" width=\"10\" height=\"9\" padding=\"0,0,0,2\"/>"
            L"</HorizontalLayout>",
            40, 20);
    EXPECT_EQ(hb.Pos(L"b").bottom, 18);
}

TEST(Layout, HiddenAndFloatingChildrenTakeNoShare) {
    Laid l(L"<HorizontalLayout><Control name=\"a\"/><Control name=\"hidden\" width=\"40\" visible=\"false\"/>"
           L"<Control name=\"f\" float=\"true\" pos=\"5,6,25,16\"/><Control name=\"b\"/></HorizontalLayout>",
           100, 30);
    ASSERT_NE(l.root, nullptr);
    EXPECT_EQ(W(l.Pos(L"a")), 50);
    EXPECT_EQ(W(l.Pos(L"b")), 50);
    const RECT f = l.Pos(L"f");
    EXPECT_EQ(f.left, 5);
    EXPECT_EQ(f.top, 6);
    EXPECT_EQ(f.right, 25);
    EXPECT_EQ(f.bottom, 16);
}

TEST(Layout, TabLayoutPlacesOnlyTheSelectedPage) {
    Laid l(L"<TabLayout name=\"tab\" inset=\"2,2,2,2\"><Control name=\"p0\"/>"
           L"<Control name=\"p1\" width=\"100\" height=\"50\" padding=\"5,5,0,0\"/>"
           L"<Control name=\"p2\" minwidth=\"500\"/></TabLayout>",
           300, 200);
    ASSERT_NE(l.root, nullptr);
    auto* tab = dynamic_cast<CTabLayoutUI*>(l.manager.FindControlByName(L"tab"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetSelectedIndex(), 0);
    EXPECT_TRUE(l.manager.FindControlByName(L"p0")->IsVisible());
    EXPECT_FALSE(l.manager.FindControlByName(L"p1")->IsVisible());
    EXPECT_EQ(l.Pos(L"p0").left, 2);
    EXPECT_EQ(W(l.Pos(L"p0")), 296);
    EXPECT_EQ(H(l.Pos(L"p0")), 196);
    EXPECT_EQ(W(l.Pos(L"p1")), 0);  // never placed

    ASSERT_TRUE(tab->SelectItem(1, false));
    tab->SetPos(tab->GetPos());
    const RECT p1 = l.Pos(L"p1");
    EXPECT_EQ(p1.left, 7);
    EXPECT_EQ(p1.top, 7);
    EXPECT_EQ(W(p1), 100);
    EXPECT_EQ(H(p1), 50);
    EXPECT_FALSE(l.manager.FindControlByName(L"p0")->IsVisible());

    ASSERT_TRUE(tab->SelectItem(2, false));
    tab->SetPos(tab->GetPos());
    EXPECT_EQ(W(l.Pos(L"p2")), 500);  // the minimum wins over the available width
    EXPECT_FALSE(tab->SelectItem(3, false));
    EXPECT_FALSE(tab->SelectItem(-1, false));
    EXPECT_EQ(tab->GetSelectedIndex(), 2);
}

TEST(Layout, LabelAndButtonSizeEstimates) {
    Laid l(L"<VerticalLayout><Label name=\"l\" text=\"Hello\"/><Label name=\"p\" text=\"Hello\" textpadding=\"3,4,5,6\"/>"
           L"<Label name=\"fixed\" width=\"70\" height=\"33\" text=\"Hello\"/>"
           L"<Label name=\"m\" multiline=\"true\" text=\"one two three four five six seven eight nine ten\"/>"
           L"<Button name=\"b\" text=\"Go\"/><Button name=\"bh\" height=\"30\"/><Edit name=\"e\"/>"
           L"</VerticalLayout>",
           400, 400);
    ASSERT_NE(l.root, nullptr);
    const TFontInfo* font = l.manager.GetFontInfo(0);
    ASSERT_NE(font, nullptr);
    const int lineHeight = font->tm.tmHeight;
    ASSERT_GT(lineHeight, 0);

    HDC dc = l.manager.GetMeasureDC();
    HGDIOBJ old = ::SelectObject(dc, font->hFont);
    SIZE text{};
    ::GetTextExtentPoint32W(dc, L"Hello", 5, &text);
    ::SelectObject(dc, old);

    CControlUI* label = l.manager.FindControlByName(L"l");
    SIZE sz = label->EstimateSize({400, 400});
    EXPECT_EQ(sz.cy, lineHeight + 8);
    EXPECT_EQ(sz.cx, text.cx);
    SIZE padded = l.manager.FindControlByName(L"p")->EstimateSize({400, 400});
    EXPECT_EQ(padded.cy, lineHeight + 8 + 4 + 6);
    EXPECT_EQ(padded.cx, text.cx + 3 + 5);
    SIZE fixed = l.manager.FindControlByName(L"fixed")->EstimateSize({400, 400});
    EXPECT_EQ(fixed.cx, 70);
    EXPECT_EQ(fixed.cy, 33);
    // In a vertical layout a label without a height is as tall as its text.
    EXPECT_EQ(H(l.Pos(L"l")), lineHeight + 8);
    EXPECT_EQ(W(l.Pos(L"l")), 400);

    // Word wrapping: narrower means taller, and the width is the available one.
    CControlUI* multi = l.manager.FindControlByName(L"m");
    SIZE wide = multi->EstimateSize({400, 400});
    SIZE narrow = multi->EstimateSize({60, 400});
    EXPECT_EQ(wide.cx, 400);
    EXPECT_EQ(narrow.cx, 60);
    EXPECT_EQ(wide.cy % lineHeight, 0);
    EXPECT_GT(narrow.cy, wide.cy);

    EXPECT_EQ(l.manager.FindControlByName(L"b")->EstimateSize({400, 400}).cy, lineHeight + 8);
    EXPECT_EQ(l.manager.FindControlByName(L"bh")->EstimateSize({400, 400}).cy, 30);
    EXPECT_EQ(H(l.Pos(L"b")), lineHeight + 8);
    EXPECT_EQ(H(l.Pos(L"e")), lineHeight + 8);

    // A new text is measured again.
    auto* l2 = dynamic_cast<CLabelUI*>(label);
    l2->SetText(L"Hello Hello");
    EXPECT_GT(label->EstimateSize({400, 400}).cx, text.cx);
}

TEST(Layout, ALabelWithoutWidthIsFlexibleInARow) {
    Laid l(L"<HorizontalLayout><Control width=\"10\"/><Label name=\"l\" text=\"x\"/><Control width=\"24\"/>"
           L"</HorizontalLayout>",
           300, 30);
    ASSERT_NE(l.root, nullptr);
    EXPECT_EQ(l.Pos(L"l").left, 10);
    EXPECT_EQ(W(l.Pos(L"l")), 266);
}

TEST(Layout, MaximumNeverBelowMinimumAndSizesClamp) {
    Laid l(L"<VerticalLayout><Control name=\"a\" height=\"50\" maxheight=\"20\"/>"
           L"<Control name=\"b\" minheight=\"30\" maxheight=\"10\"/><Control name=\"w\" height=\"5\" maxwidth=\"40\"/>"
           L"</VerticalLayout>",
           100, 200);
    ASSERT_NE(l.root, nullptr);
    EXPECT_EQ(H(l.Pos(L"a")), 20);
    EXPECT_EQ(l.manager.FindControlByName(L"b")->GetMaxHeight(), 30);
    EXPECT_EQ(H(l.Pos(L"b")), 30);
    EXPECT_EQ(W(l.Pos(L"w")), 40);
}

} // namespace

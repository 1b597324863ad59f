// The rich edit control driven by mouse and keyboard messages through the form's window.
#include "Vcl.RichEdit.h"

#include <gtest/gtest.h>

#include "Vcl.TestInput.h"
#include "Win.Keyboard.h"

namespace {

class RichEditTest : public UserInputTest {
public:
    void Changed(TObject*) { ++FChanges; }
    void Protect(TObject*, int AStart, int AEnd, bool& AAllow)
    {
        FAsked.emplace_back(AStart, AEnd);
        AAllow = FAllow;
    }
    void Link(TObject*, TLinkMouse AMouse, int, int, const String& AUrl)
    {
        if (AMouse != TLinkMouse::Move)
            FLinks.push_back(AUrl);
    }

protected:
    TRichEdit* Make()
    {
        TRichEdit* Edit = Add<TRichEdit>(Rect(10, 10, 300, 200));
        Edit->SetOnChange(TNotifyEvent::Bind<&RichEditTest::Changed>(this));
        Edit->SetFocus();
        return Edit;
    }

    int FChanges = 0;
    bool FAllow = false;
    std::vector<std::pair<int, int>> FAsked;
    std::vector<String> FLinks;
};

TEST_F(RichEditTest, TypesSelectsAndUndoesByKeys)
{
    TRichEdit* Edit = Make();
    Type(U"hello world");
    Press(VK_LEFT, {ssShift, ssCtrl});
    EXPECT_EQ(Edit->SelText(), "world");
    Type(U"r\u00e9sum\u00e9");
    Press(VK_RETURN);
    Type(U"two");
    EXPECT_EQ(Edit->Editor()->Text(), "hello r\u00e9sum\u00e9\rtwo");
    Press(VK_UP);
    Press(VK_HOME, {ssShift});
    EXPECT_EQ(Edit->SelStart(), 0);
    Press('Z', {ssCtrl});
    EXPECT_EQ(Edit->Editor()->Text(), "hello world") << "what was typed over the selection is undone at once";
    Press('Y', {ssCtrl});
    EXPECT_EQ(Edit->Editor()->Text(), "hello r\u00e9sum\u00e9\rtwo");
    Press(VK_HOME, {ssCtrl});
    Press(VK_DELETE);
    Press(VK_END);
    Press(VK_BACK);
    Press(VK_END, {ssCtrl});
    Press(VK_BACK);
    EXPECT_EQ(Edit->Editor()->Text(), "ello r\u00e9sum\rtw");
    EXPECT_GE(FChanges, 10);
    EXPECT_TRUE(Edit->Modified());
}

TEST_F(RichEditTest, ProtectedTextAsksTheControlsEvent)
{
    TRichEdit* Edit = Make();
    Edit->SetOnProtectChange(TRichEditProtectChange::Bind<&RichEditTest::Protect>(this));
    ASSERT_TRUE(Edit->Editor()->StreamIn(R"({\rtf1 a{\protect locked}b})", SF_RTF));
    Edit->SetSelStart(3);
    Type(U"x");
    EXPECT_EQ(Edit->Editor()->Text(), "alockedb");
    ASSERT_EQ(FAsked.size(), 1u);
    EXPECT_EQ(FAsked[0], std::make_pair(3, 3));
    FAllow = true;
    Type(U"x");
    EXPECT_EQ(Edit->Editor()->Text(), "aloxckedb");
}

TEST_F(RichEditTest, ReadOnlyKeepsTheTextAndClicksOnLinksAreReported)
{
    TRichEdit* Edit = Make();
    Edit->SetOnLink(TRichEditLinkEvent::Bind<&RichEditTest::Link>(this));
    ASSERT_TRUE(Edit->Editor()->StreamIn(
        R"({\rtf1 {\field{\*\fldinst{HYPERLINK "mailto:me@example.org"}}{\fldrslt{write}}} to me})", SF_RTF));
    Edit->SetReadOnly(true);
    Type(U"x");
    Press(VK_BACK);
    EXPECT_EQ(Edit->Editor()->Text(), "write to me");
    Click(Edit, 8, 8);
    EXPECT_EQ(FLinks, (std::vector<String>{"mailto:me@example.org", "mailto:me@example.org"}));
    auto Image = Picture(Edit);
    bool Inked = false;
    for (int X = 0; X < 60 && !Inked; ++X)
        for (int Y = 0; Y < 20 && !Inked; ++Y)
            Inked = Image->Canvas()->Pixels(X, Y) != clWhite;
    EXPECT_TRUE(Inked) << "the text is drawn";
}

}  // namespace

// Skinned panels, group boxes, scroll boxes and the scroll bar.
#include "XSpark.VCL.Panels.h"

#include <gtest/gtest.h>

#include "XSpark.VCL.TestForm.h"

namespace {

struct TScrollLog {
    int Scrolls = 0;
    int Sizes = 0;
    int Forced = -1;
    void Scrolled(TObject*) { ++Scrolls; }
    void Sized(TObject*) { ++Sizes; }
    void Scroll(TObject*, TScrollCode, int& APos)
    {
        if (Forced >= 0)
            APos = Forced;
    }
};

TEST_F(SkinnedFormTest, AWheelNotchMovesTheScrollBarThroughItsScrollHandling)
{
    TXScrollBar* Bar = Add<TXScrollBar>(Rect(10, 10, 200, 27));
    Bar->SetParams(500, 0, 1000);
    EXPECT_EQ(Bar->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, 0), 1);
    EXPECT_EQ(Bar->Position(), 380);
    EXPECT_EQ(Bar->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(uint16_t(-240)) << 16, 0), 1);
    EXPECT_EQ(Bar->Position(), 620);
    TScrollLog Log;
    Log.Forced = 7;
    Bar->SetOnScroll(TScrollEvent::Bind<&TScrollLog::Scroll>(&Log));
    Bar->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, 0);
    EXPECT_EQ(Bar->Position(), 7);
}

TEST_F(SkinnedFormTest, TheGroupBoxsFrameStyleDecidesItsClientArea)
{
    TXGroupBox* Group = Add<TXGroupBox>(Rect(0, 0, 185, 105), "Files");
    EXPECT_EQ(Group->Width(), 185);
    TXPanel* Child = Add<TXPanel>(Rect(0, 0, 10, 10), String(), Group);
    Child->SetAlign(alClient);
    TOwned<TCanvas> Measure(TCanvas::Create());
    Measure->Font()->Assign(Group->Font());
    int H = Measure->TextHeight("0");
    struct {
        TXFrameStyle Style;
        TRect Expected;
    } const kCases[] = {
        {xfsGroupBox, Rect(2, H + 2, 183, 103)},
        {xfsDivider, Rect(0, H + 1, 185, 105)},
        {xfsNone, Rect(0, 0, 185, 105)},
    };
    for (const auto& Case : kCases) {
        Group->SetFrameStyle(Case.Style);
        EXPECT_EQ(Child->BoundsRect(), Case.Expected) << int(Case.Style);
    }
}

TEST_F(SkinnedFormTest, ATransparentGroupBoxLetsTheParentShow)
{
    TStyleManager::SetStyle(kCustomStyleName);
    FForm->SetColor(clRed);
    TXGroupBox* Group = Add<TXGroupBox>(Rect(10, 10, 150, 100), "Files");
    Group->Skin()->SetStyleName("Dark");
    Group->SetParentColor(false);
    Group->SetColor(clBtnFace);
    const TPoint Inside = Point(70, 60);
    EXPECT_NE(Picture()->Canvas()->Pixels(Inside.X, Inside.Y), clRed);
    Group->SetTransparent(true);
    EXPECT_TRUE(Group->ControlStyle().Contains(csParentBackground));
    EXPECT_EQ(Picture()->Canvas()->Pixels(Inside.X, Inside.Y), clRed);
}

TEST_F(SkinnedFormTest, ADividerFollowsTheCaptionToTheRightEdge)
{
    TStyleManager::SetStyle(kCustomStyleName);
    FForm->SetColor(clWhite);
    TXGroupBox* Group = Add<TXGroupBox>(Rect(0, 0, 200, 30), "Options");
    Group->Skin()->SetStyleName("Dark");
    Group->SetFrameStyle(xfsDivider);
    TOwned<TCanvas> Measure(TCanvas::Create());
    Measure->Font()->Assign(Group->Font());
    TSize Caption = Measure->TextExtent("Options");
    int Y = (Caption.cy - 2) / 2;
    int Start = 8 + Caption.cx + 6;
    TColor Shadow = Group->StyleServices()->GetSystemColor(clBtnShadow);
    TOwned<TBitmap> Shown = Picture();
    EXPECT_EQ(Shown->Canvas()->Pixels(Start, Y), Shadow);
    EXPECT_EQ(Shown->Canvas()->Pixels(199, Y), Shadow);
    EXPECT_NE(Shown->Canvas()->Pixels(Start - 2, Y), Shadow);
}

TEST_F(SkinnedFormTest, ASpacedPanelDrawsItsBevelInTheStylesFrameColour)
{
    TStyleManager::SetStyle(kCustomStyleName);
    TXPanel* Panel = Add<TXPanel>(Rect(10, 10, 110, 50));
    Panel->Skin()->SetStyleName("Dark");
    Panel->SetBevelOuter(bvSpace);
    TColor Frame = Panel->StyleServices()->GetSystemColor(clWindowFrame);
    TOwned<TBitmap> Shown = Picture();
    EXPECT_EQ(Shown->Canvas()->Pixels(10, 10), Frame);
    EXPECT_EQ(Shown->Canvas()->Pixels(109, 49), Frame);
}

TEST_F(SkinnedFormTest, TheScrollBoxTellsScrollingAndSizing)
{
    TXScrollBox* Box = Add<TXScrollBox>(Rect(10, 10, 110, 80));
    Add<TXPanel>(Rect(0, 0, 90, 300), String(), Box);
    EXPECT_TRUE(Box->VertScrollBar()->Smooth());
    EXPECT_TRUE(Box->HorzScrollBar()->Tracking());
    TScrollLog Log;
    Box->SetOnScroll(TNotifyEvent::Bind<&TScrollLog::Scrolled>(&Log));
    Box->SetOnSized(TNotifyEvent::Bind<&TScrollLog::Sized>(&Log));
    FForm->Show();
    Application->ProcessMessages();
    // One wheel notch down over the box, as the user turns it.
    TPoint OnScreen = Box->ClientToScreen(Point(20, 20));
    SendMessageW(FForm->Handle(), WM_MOUSEWHEEL, static_cast<WPARAM>(uint16_t(-120)) << 16,
                 MakeMouseLParam(OnScreen.X, OnScreen.Y));
    EXPECT_GT(Box->VertScrollBar()->Position(), 0);
    EXPECT_EQ(Log.Scrolls, 1);
    Box->SetHeight(100);
    EXPECT_EQ(Log.Sizes, 1);
    EXPECT_EQ(Log.Scrolls, 2);
}

}  // namespace

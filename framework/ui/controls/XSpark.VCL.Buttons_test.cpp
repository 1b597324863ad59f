// Skinned buttons and check boxes: the style of their skin, their paint states, and golden
// pictures of all skinned controls in each style.
#include "XSpark.VCL.Buttons.h"

#include <gtest/gtest.h>

#include <vector>

#include "Vcl.TestGolden.h"
#include "XSpark.VCL.TestForm.h"

namespace {

struct TCounter {
    int Heard = 0;
    void Hear(IXNotification*) { ++Heard; }
};

TEST_F(SkinnedFormTest, AButtonNamedWindowsPaintsTheSystemLookUnderTheProgramStyle)
{
    const TRect Bounds = Rect(10, 10, 95, 35);
    TXButton* Button = Add<TXButton>(Bounds, "Open");
    std::vector<TColor> SystemLook = Pixels(Bounds);

    TStyleManager::SetStyle(kCustomStyleName);
    Button->Skin()->SetStyleName("Dark");
    std::vector<TColor> Styled = Pixels(Bounds);
    EXPECT_NE(Styled, SystemLook) << "the custom style did not reach the button";

    TCounter Counter;
    Button->Skin()->Subscribe(TXSkinChangedAspect::StaticClass(), TXNotificationHandler::Bind<&TCounter::Hear>(&Counter));
    Button->Skin()->SetStyleName("Windows");
    EXPECT_EQ(Counter.Heard, 1);
    EXPECT_EQ(Pixels(Bounds), SystemLook);
}

// The colour the style paints APart with at APoint of a face of ASize.
TColor FacePixel(TCustomStyleServices* AStyle, TThemedButton APart, TSize ASize, TPoint APoint)
{
    TOwned<TBitmap> Bitmap(TBitmap::Create());
    Bitmap->SetSize(ASize.cx, ASize.cy);
    AStyle->DrawElement(Bitmap->Canvas(), AStyle->GetElementDetails(APart), Rect(0, 0, ASize.cx, ASize.cy));
    return Bitmap->Canvas()->Pixels(APoint.X, APoint.Y);
}

TEST_F(SkinnedFormTest, PaintStatesFollowMouseFocusAndEnabled)
{
    TStyleManager::SetStyle(kCustomStyleName);
    const TRect Bounds = Rect(20, 20, 100, 46);
    TXButton* Button = Add<TXButton>(Bounds);
    TXButton* Other = Add<TXButton>(Rect(20, 100, 100, 126));
    Button->SetTabStop(true);
    Other->SetTabStop(true);
    Button->Skin()->SetStyleName("Dark");
    TCustomStyleServices* Style = Button->StyleServices();
    const TPoint Probe = Point(8, 6);
    auto Shown = [&] { return Picture()->Canvas()->Pixels(Bounds.Left + Probe.X, Bounds.Top + Probe.Y); };
    auto Expected = [&](TThemedButton APart) {
        return FacePixel(Style, APart, TSize{Bounds.Width(), Bounds.Height()}, Probe);
    };
    auto MouseAt = [&](int AX, int AY) {
        SendMessageW(FForm->Handle(), WM_MOUSEMOVE, 0, MakeMouseLParam(AX, AY));
        Application->ProcessMessages();
    };
    FForm->Show();
    Other->SetFocus();
    EXPECT_EQ(Shown(), Expected(tbPushButtonNormal));
    MouseAt(50, 30);
    EXPECT_EQ(Shown(), Expected(tbPushButtonHot));
    MouseAt(200, 180);
    Button->SetFocus();
    EXPECT_EQ(Shown(), Expected(tbPushButtonDefaulted));
    Button->SetEnabled(false);
    MouseAt(50, 30);
    EXPECT_EQ(Shown(), Expected(tbPushButtonDisabled)) << "a disabled button under the mouse shows hot";
    ASSERT_NE(Expected(tbPushButtonHot), Expected(tbPushButtonNormal));
}

TEST_F(SkinnedFormTest, ACheckBoxWithItsCaptionLeftHasItsBoxAtTheRightEdge)
{
    TStyleManager::SetStyle(kCustomStyleName);
    const TRect Bounds = Rect(10, 10, 110, 27);
    TXCheckBox* Box = Add<TXCheckBox>(Bounds);
    Box->Skin()->SetStyleName("Dark");
    Box->SetChecked(true);
    Box->SetAlignment(taLeftJustify);
    TOwned<TBitmap> Shown = Picture();
    TColor Background = Shown->Canvas()->Pixels(Bounds.Left + 3, Bounds.Top + 8);
    TCustomStyleServices* Style = Box->StyleServices();
    // The box's face at its middle, as the style paints a 13 x 13 checked box.
    TColor Face = FacePixel(Style, tbCheckBoxCheckedNormal, TSize{13, 13}, Point(2, 6));
    EXPECT_EQ(Shown->Canvas()->Pixels(Bounds.Right - 14 + 2, Bounds.Top + 2 + 6), Face);
    EXPECT_NE(Face, Background);
    Box->SetAlignment(taRightJustify);
    Shown = Picture();
    EXPECT_EQ(Shown->Canvas()->Pixels(Bounds.Left + 2, Bounds.Top + 2 + 6), Face);
}

// Every skinned control, bound to the skin of one style, under the custom style.
class SkinnedGoldenTest : public SkinnedFormTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SkinnedGoldenTest, MatchesGolden)
{
    TStyleManager::SetStyle(kCustomStyleName);
    AddEverySkinnedControl(String(GetParam()) == "Windows" ? "Windows" : "Dark");
    EXPECT_TRUE(MatchesGolden(Picture().get(), StyleGolden("framework/ui/controls/testdata", "skinned_", GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Styles, SkinnedGoldenTest, ::testing::Values("Windows", kCustomStyleName),
                         [](const auto& AInfo) { return String(AInfo.param) == "Windows" ? "Windows" : "Custom"; });

}  // namespace

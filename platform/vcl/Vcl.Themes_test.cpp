// Styles: the element catalogue of every style against its golden picture, the style manager
// (names, the active style, who hears of a change), style colours and sizes, and the style
// hooks the engine keeps per control.
#include "Vcl.Themes.h"

#include <gtest/gtest.h>

#include <memory>

#include "Vcl.Forms.h"
#include "Vcl.TestGolden.h"

namespace {

using TBitmapPtr = std::unique_ptr<TBitmap, TFreeDeleter>;

// ---- The element catalogue ---------------------------------------------------------------

// Every element in every state, row by row, with the state names written by the elements
// that carry text. Fixed size and font, so the picture is the same on every machine.
class TCatalogue {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 1120;

    explicit TCatalogue(TCustomStyleServices* AStyle) : S(AStyle), FImage(TBitmap::Create())
    {
        FImage->SetPixelFormat(pf32bit);
        FImage->SetSize(kWidth, kHeight);
        C = FImage->Canvas();
        C->Font()->SetName("Liberation Sans");
        C->Font()->SetHeight(-12);
        S->DrawElement(C, S->GetElementDetails(twFormBackground), Rect(0, 0, kWidth, kHeight));
    }

    TBitmap* Paint()
    {
        Buttons();
        Boxes();
        Edits();
        Containers();
        ScrollBars();
        TrackBars();
        Tabs();
        Lists();
        Windows();
        CaptionButtons();
        Progress();
        return FImage.get();
    }

private:
    static constexpr int kLabel = 8;
    static constexpr int kCells = 124;
    static constexpr int kCell = 100;

    int Cell(int AIndex) const { return kCells + AIndex * kCell; }

    void Label(const String& AText, int AHeight)
    {
        TRect R = Rect(kLabel, FY, kCells - 4, FY + AHeight);
        S->DrawText(C, S->GetElementDetails(ttlTextLabelNormal), AText, R, {tfLeft, tfVerticalCenter, tfSingleLine});
    }
    void Text(const TThemedElementDetails& ADetails, const String& AText, TRect ARect,
              TTextFormat AFormat = {tfCenter, tfVerticalCenter, tfSingleLine})
    {
        S->DrawText(C, ADetails, AText, ARect, AFormat);
    }
    void Next(int AHeight) { FY += AHeight + 10; }

    void Buttons()
    {
        Label("Push button", 24);
        const TThemedButton States[] = {tbPushButtonNormal, tbPushButtonHot, tbPushButtonPressed, tbPushButtonDisabled,
                                        tbPushButtonDefaulted};
        const char* Names[] = {"Normal", "Hot", "Pressed", "Disabled", "Default"};
        for (int I = 0; I < 5; ++I) {
            auto D = S->GetElementDetails(States[I]);
            TRect R = Rect(Cell(I), FY, Cell(I) + 88, FY + 24);
            S->DrawElement(C, D, R);
            Text(D, Names[I], S->GetElementContentRect(D, R));
        }
        Next(24);
    }

    // A check box or radio button with its caption, as the controls lay them out.
    void Box(TThemedButton AState, int AIndex, const String& ACaption, bool AFocused)
    {
        auto D = S->GetElementDetails(AState);
        TSize Size;
        S->GetElementSize(D, esActual, Size);
        int Top = FY + (18 - Size.cy) / 2;
        TRect R = Rect(Cell(AIndex), Top, Cell(AIndex) + Size.cx, Top + Size.cy);
        S->DrawElement(C, D, R);
        TRect T = Rect(R.Right + 5, FY, Cell(AIndex) + kCell - 6, FY + 18);
        Text(D, ACaption, T, {tfLeft, tfVerticalCenter, tfSingleLine});
        if (AFocused) {
            TRect Extent = T;
            C->TextRect(Extent, ACaption, {tfLeft, tfSingleLine, tfCalcRect});
            S->DrawFocusRect(C, Rect(T.Left - 2, FY, Extent.Right + 2, FY + 18));
        }
    }

    void BoxRow(const String& ALabel, TThemedButton AFirst, bool AWithFocus)
    {
        Label(ALabel, 18);
        const char* Names[] = {"Normal", "Hot", "Pressed", "Disabled"};
        for (int I = 0; I < 4; ++I)
            Box(static_cast<TThemedButton>(AFirst + I), I, Names[I], false);
        if (AWithFocus)
            Box(AFirst, 4, "Focused", true);
        Next(18);
    }

    void Boxes()
    {
        BoxRow("Check box", tbCheckBoxUncheckedNormal, true);
        BoxRow("Checked", tbCheckBoxCheckedNormal, false);
        BoxRow("Mixed", tbCheckBoxMixedNormal, false);
        BoxRow("Radio button", tbRadioButtonUncheckedNormal, true);
        BoxRow("Selected", tbRadioButtonCheckedNormal, false);
    }

    void Edits()
    {
        Label("Edit", 22);
        const TThemedEdit Edits[] = {teEditTextNormal, teEditTextHot, teEditTextFocused, teEditTextDisabled,
                                     teEditTextReadOnly};
        const char* EditNames[] = {"Normal", "Hot", "Focused", "Disabled", "Read-only"};
        for (int I = 0; I < 5; ++I) {
            auto D = S->GetElementDetails(Edits[I]);
            TRect R = Rect(Cell(I), FY, Cell(I) + 88, FY + 22);
            S->DrawElement(C, D, R);
            Text(D, EditNames[I], S->GetElementContentRect(D, R), {tfLeft, tfVerticalCenter, tfSingleLine});
        }
        Next(22);

        Label("Drop-down list", 22);
        const char* Names[] = {"Normal", "Hot", "Pressed", "Disabled"};
        for (int I = 0; I < 4; ++I) {
            auto D = S->GetElementDetails(static_cast<TThemedComboBox>(tcReadOnlyNormal + I));
            TRect R = Rect(Cell(I), FY, Cell(I) + 88, FY + 22);
            S->DrawElement(C, D, R);
            Text(D, Names[I], S->GetElementContentRect(D, R), {tfLeft, tfVerticalCenter, tfSingleLine});
        }
        Next(22);

        // The frame in its state with the arrow button in the matching one.
        Label("Combo box", 22);
        const char* ComboNames[] = {"Normal", "Hot", "Focused", "Disabled"};
        const TThemedComboBox Buttons[] = {tcDropDownButtonNormal, tcDropDownButtonHot, tcDropDownButtonPressed,
                                           tcDropDownButtonDisabled};
        for (int I = 0; I < 4; ++I) {
            auto D = S->GetElementDetails(static_cast<TThemedComboBox>(tcBorderNormal + I));
            TRect R = Rect(Cell(I), FY, Cell(I) + 88, FY + 22);
            S->DrawElement(C, D, R);
            TRect Button = Rect(R.Right - 19, R.Top + 2, R.Right - 2, R.Bottom - 2);
            S->DrawElement(C, S->GetElementDetails(Buttons[I]), Button);
            TRect Content = S->GetElementContentRect(D, R);
            Content.Right = Button.Left;
            Text(D, ComboNames[I], Content, {tfLeft, tfVerticalCenter, tfSingleLine});
        }
        Next(22);
    }

    void Containers()
    {
        Label("Group box", 60);
        for (int I = 0; I < 2; ++I) {
            auto D = S->GetElementDetails(I == 0 ? tbGroupBoxNormal : tbGroupBoxDisabled);
            TRect Caption = Rect(Cell(2 * I) + 8, FY, Cell(2 * I) + 8, FY + 14);
            String Name = I == 0 ? "Normal" : "Disabled";
            C->TextRect(Caption, Name, {tfLeft, tfSingleLine, tfCalcRect});
            TRect Frame = Rect(Cell(2 * I), FY + 7, Cell(2 * I) + 188, FY + 60);
            S->DrawElement(C, D, Frame);
            // The caption stands in a gap of the frame.
            TRect Gap = Rect(Caption.Left - 3, Frame.Top - 1, Caption.Right + 3, Frame.Top + 2);
            C->Brush()->SetColor(S->GetStyleColor(scPanel));
            C->FillRect(Gap);
            Text(D, Name, Caption, {tfLeft, tfSingleLine});
        }
        Next(60);

        Label("Panel, label", 40);
        TRect Panel = Rect(Cell(0), FY, Cell(0) + 188, FY + 40);
        S->DrawElement(C, S->GetElementDetails(tpPanelBackground), Panel);
        S->DrawElement(C, S->GetElementDetails(tpPanelBevel), Panel);
        Text(S->GetElementDetails(tpPanelBackground), "Panel", Panel);
        TRect Normal = Rect(Cell(2), FY, Cell(3), FY + 18);
        Text(S->GetElementDetails(ttlTextLabelNormal), "Label", Normal, {tfLeft, tfSingleLine});
        TRect Disabled = Rect(Cell(3), FY, Cell(4), FY + 18);
        Text(S->GetElementDetails(ttlTextLabelDisabled), "Disabled", Disabled, {tfLeft, tfSingleLine});
        TRect Caption = Rect(Cell(2), FY + 22, Cell(2), FY + 40);
        C->TextRect(Caption, "Divider", {tfLeft, tfSingleLine, tfCalcRect});
        Text(S->GetElementDetails(ttlTextLabelNormal), "Divider", Caption, {tfLeft, tfSingleLine});
        TRect Divider = Rect(Caption.Right + 6, Caption.Top, Cell(5), Caption.Bottom);
        S->DrawElement(C, S->GetElementDetails(ttlDivider), Divider);
        Next(40);
    }

    void ScrollBar(const TRect& ABar, bool AVertical, bool AEnabled, int AThumbState)
    {
        int Side = AVertical ? ABar.Width() : ABar.Height();
        auto Track = S->GetElementDetails(AVertical ? (AEnabled ? tsTrackVertNormal : tsTrackVertDisabled)
                                                    : (AEnabled ? tsTrackHorzNormal : tsTrackHorzDisabled));
        S->DrawElement(C, Track, ABar);
        int Disabled = AEnabled ? 0 : 3;
        auto Arrow = [&](TThemedScrollBar AFirst, const TRect& R) {
            S->DrawElement(C, S->GetElementDetails(static_cast<TThemedScrollBar>(AFirst + Disabled)), R);
        };
        if (AVertical) {
            Arrow(tsArrowBtnUpNormal, Rect(ABar.Left, ABar.Top, ABar.Right, ABar.Top + Side));
            Arrow(tsArrowBtnDownNormal, Rect(ABar.Left, ABar.Bottom - Side, ABar.Right, ABar.Bottom));
        } else {
            Arrow(tsArrowBtnLeftNormal, Rect(ABar.Left, ABar.Top, ABar.Left + Side, ABar.Bottom));
            Arrow(tsArrowBtnRightNormal, Rect(ABar.Right - Side, ABar.Top, ABar.Right, ABar.Bottom));
        }
        if (!AEnabled)
            return;
        auto Thumb = S->GetElementDetails(
            static_cast<TThemedScrollBar>((AVertical ? tsThumbBtnVertNormal : tsThumbBtnHorzNormal) + AThumbState));
        TRect T = AVertical ? Rect(ABar.Left, ABar.Top + Side + 8, ABar.Right, ABar.Top + Side + 38)
                            : Rect(ABar.Left + Side + 8, ABar.Top, ABar.Left + Side + 38, ABar.Bottom);
        S->DrawElement(C, Thumb, T);
    }

    void ScrollBars()
    {
        TSize Arrow;
        S->GetElementSize(S->GetElementDetails(tsArrowBtnUpNormal), esActual, Arrow);
        Label("Scroll arrows", Arrow.cy);
        for (int I = 0; I < 16; ++I) {
            int X = kCells + (I / 4) * kCell + (I % 4) * (Arrow.cx + 4);
            S->DrawElement(C, S->GetElementDetails(static_cast<TThemedScrollBar>(tsArrowBtnUpNormal + I)),
                           Rect(X, FY, X + Arrow.cx, FY + Arrow.cy));
        }
        Next(Arrow.cy);

        Label("Scroll bar", 100);
        for (int I = 0; I < 4; ++I)
            ScrollBar(Rect(Cell(I), FY, Cell(I) + 88, FY + Arrow.cy), false, I < 3, I);
        for (int I = 0; I < 4; ++I)
            ScrollBar(Rect(Cell(I) + 30, FY + Arrow.cy + 6, Cell(I) + 30 + Arrow.cx, FY + 100), true, I < 3, I);
        TRect Grip = Rect(Cell(4), FY + 100 - Arrow.cy, Cell(4) + Arrow.cx, FY + 100);
        S->DrawElement(C, S->GetElementDetails(tsSizeBox), Grip);
        Next(100);
    }

    void TrackBars()
    {
        TSize Thumb;
        S->GetElementSize(S->GetElementDetails(ttbThumbNormal), esActual, Thumb);
        Label("Track bar", 34);
        for (int I = 0; I < 5; ++I) {
            int Left = Cell(I), Right = Cell(I) + 88;
            int Mid = FY + Thumb.cy / 2;
            TSize Channel;
            S->GetElementSize(S->GetElementDetails(ttbTrack), esActual, Channel);
            S->DrawElement(C, S->GetElementDetails(ttbTrack),
                           Rect(Left + 4, Mid - Channel.cy / 2, Right - 4, Mid - Channel.cy / 2 + Channel.cy));
            for (int T = 0; T <= 4; ++T) {
                int X = Left + 4 + Thumb.cx / 2 + T * (88 - 8 - Thumb.cx) / 4;
                S->DrawElement(C, S->GetElementDetails(ttbTics), Rect(X, FY + Thumb.cy + 3, X + 1, FY + Thumb.cy + 7));
            }
            int X = Left + 4 + (I + 1) * (88 - 8 - Thumb.cx) / 6;
            S->DrawElement(C, S->GetElementDetails(static_cast<TThemedTrackBar>(ttbThumbNormal + I)),
                           Rect(X, FY, X + Thumb.cx, FY + Thumb.cy));
        }
        Next(34);

        Label("Vertical", 70);
        for (int I = 0; I < 5; ++I) {
            int Top = FY, Bottom = FY + 70;
            int Mid = Cell(I) + 20;
            TSize Channel;
            S->GetElementSize(S->GetElementDetails(ttbTrackVert), esActual, Channel);
            S->DrawElement(C, S->GetElementDetails(ttbTrackVert),
                           Rect(Mid - Channel.cx / 2, Top + 4, Mid - Channel.cx / 2 + Channel.cx, Bottom - 4));
            int Y = Top + 4 + (I + 1) * (70 - 8 - Thumb.cx) / 6;
            int Left = Mid - Thumb.cy / 2;
            S->DrawElement(C, S->GetElementDetails(static_cast<TThemedTrackBar>(ttbThumbVertNormal + I)),
                           Rect(Left, Y, Left + Thumb.cy, Y + Thumb.cx));
            for (int T = 0; T <= 4; ++T) {
                int TY = Top + 4 + Thumb.cx / 2 + T * (70 - 8 - Thumb.cx) / 4;
                S->DrawElement(C, S->GetElementDetails(ttbTicsVert),
                               Rect(Left + Thumb.cy + 3, TY, Left + Thumb.cy + 7, TY + 1));
            }
        }
        Next(70);
    }

    void Tabs()
    {
        Label("Tabs", 56);
        TRect Pane = Rect(Cell(0), FY + 24, Cell(5) - 12, FY + 56);
        S->DrawElement(C, S->GetElementDetails(ttPane), Pane);
        const TThemedTab States[] = {ttTabItemNormal, ttTabItemHot, ttTabItemSelected, ttTabItemDisabled,
                                     ttTabItemFocused};
        const char* Names[] = {"Normal", "Hot", "Selected", "Disabled", "Focused"};
        for (int I = 0; I < 5; ++I) {
            bool Raised = States[I] == ttTabItemSelected || States[I] == ttTabItemFocused;
            auto D = S->GetElementDetails(States[I]);
            TRect R = Rect(Cell(0) + 4 + I * 96, FY + (Raised ? 0 : 3), Cell(0) + 4 + I * 96 + 94, FY + 25);
            S->DrawElement(C, D, R);
            Text(D, Names[I], R);
            if (States[I] == ttTabItemFocused)
                S->DrawFocusRect(C, Rect(R.Left + 4, R.Top + 4, R.Right - 4, R.Bottom - 3));
        }
        Next(56);
    }

    void Lists()
    {
        Label("Header", 22);
        const char* HeaderNames[] = {"Normal", "Hot", "Pressed"};
        for (int I = 0; I < 3; ++I) {
            auto D = S->GetElementDetails(static_cast<TThemedHeader>(thHeaderItemNormal + I));
            TRect R = Rect(Cell(I), FY, Cell(I + 1), FY + 22);
            S->DrawElement(C, D, R);
            Text(D, HeaderNames[I], Rect(R.Left + 6, R.Top, R.Right - 6, R.Bottom),
                 {tfLeft, tfVerticalCenter, tfSingleLine});
        }
        S->DrawElement(C, S->GetElementDetails(thHeaderRoot), Rect(Cell(3), FY, Cell(5) - 12, FY + 22));
        Next(22);

        Label("List item", 20);
        TRect List = Rect(Cell(0), FY - 4, Cell(5) - 12, FY + 24);
        S->DrawElement(C, S->GetElementDetails(teEditTextNormal), List);
        const char* ItemNames[] = {"Normal", "Hot", "Selected", "Unfocused", "Hot selected"};
        for (int I = 0; I < 5; ++I) {
            auto D = S->GetElementDetails(static_cast<TThemedListView>(tlListItemNormal + I));
            TRect R = Rect(Cell(0) + 4 + I * 96, FY, Cell(0) + 4 + I * 96 + 92, FY + 20);
            S->DrawElement(C, D, R);
            Text(D, ItemNames[I], R);
        }
        Next(20);

        Label("Group header", 44);
        const char* GroupNames[] = {"Open", "Hot", "Selected", "Sel. hot"};
        for (int I = 0; I < 8; ++I) {
            auto D = S->GetElementDetails(static_cast<TThemedListView>(tlGroupHeaderOpen + I));
            int Top = FY + (I / 4) * 24;
            TRect Header = Rect(Cell(0) + 4 + (I % 4) * 120, Top, Cell(0) + 4 + (I % 4) * 120 + 116, Top + 20);
            S->DrawElement(C, D, Header);
            TRect T = Rect(Header.Left + 6, Header.Top, Header.Right, Header.Bottom);
            TRect Extent = T;
            C->TextRect(Extent, GroupNames[I % 4], {tfLeft, tfSingleLine, tfCalcRect});
            Text(D, GroupNames[I % 4], T, {tfLeft, tfVerticalCenter, tfSingleLine});
            S->DrawElement(C, S->GetElementDetails(tlGroupHeaderLine),
                           Rect(Extent.Right + 6, Header.Top, Header.Right - 24, Header.Bottom));
        }
        Next(44);
    }

    // A small window: caption with icon place, text and buttons, frames and client area.
    void Window(const TRect& ABounds, bool AActive, bool ASmall)
    {
        // The inactive variant of each part follows its active one.
        auto Part = [&](TThemedWindow AActivePart, TThemedWindow ASmallPart) {
            return S->GetElementDetails(static_cast<TThemedWindow>((ASmall ? ASmallPart : AActivePart) + !AActive));
        };
        auto Caption = Part(twCaptionActive, twSmallCaptionActive);
        auto Bottom = Part(twFrameBottomActive, twSmallFrameBottomActive);
        TSize CaptionSize, Frame, BottomSize;
        S->GetElementSize(Caption, esActual, CaptionSize);
        S->GetElementSize(Part(twFrameLeftActive, twSmallFrameLeftActive), esActual, Frame);
        S->GetElementSize(Bottom, esActual, BottomSize);
        const TRect& B = ABounds;
        int CaptionBottom = B.Top + Frame.cx + CaptionSize.cy;
        int FrameBottom = B.Bottom - BottomSize.cy;
        S->DrawElement(C, Caption, Rect(B.Left, B.Top, B.Right, CaptionBottom));
        S->DrawElement(C, Part(twFrameLeftActive, twSmallFrameLeftActive),
                       Rect(B.Left, CaptionBottom, B.Left + Frame.cx, FrameBottom));
        S->DrawElement(C, Part(twFrameRightActive, twSmallFrameRightActive),
                       Rect(B.Right - Frame.cx, CaptionBottom, B.Right, FrameBottom));
        S->DrawElement(C, Bottom, Rect(B.Left, FrameBottom, B.Right, B.Bottom));
        S->DrawElement(C, S->GetElementDetails(twFormBackground),
                       Rect(B.Left + Frame.cx, CaptionBottom, B.Right - Frame.cx, FrameBottom));

        // The caption bar's content: icon place, buttons from the right, the text between.
        TRect Bar = Rect(B.Left + Frame.cx, B.Top + Frame.cx, B.Right - Frame.cx, CaptionBottom);
        int ButtonsLeft = Bar.Right;
        auto Button = [&](TThemedWindow AFirst) {
            auto D = S->GetElementDetails(static_cast<TThemedWindow>(AFirst + (AActive ? 0 : 3)));
            TSize Size;
            S->GetElementSize(D, esActual, Size);
            int Top = Bar.Top + (Bar.Height() - Size.cy) / 2;
            S->DrawElement(C, D, Rect(ButtonsLeft - Size.cx, Top, ButtonsLeft, Top + Size.cy));
            ButtonsLeft -= Size.cx + 2;
        };
        int TextLeft = Bar.Left + 5;
        if (ASmall) {
            Button(twSmallCloseButtonNormal);
        } else {
            Button(twCloseButtonNormal);
            Button(twMaxButtonNormal);
            Button(twMinButtonNormal);
            TRect Icon = S->GetElementContentRect(S->GetElementDetails(twSysButtonNormal), Bar);
            C->Brush()->SetColor(S->GetSystemColor(clHighlight));
            C->FillRect(Rect(Icon.Left + 2, Icon.Top + 2, Icon.Right - 2, Icon.Bottom - 2));
            TextLeft = Icon.Right + 5;
        }
        Text(Caption, AActive ? "Active window" : "Inactive window", Rect(TextLeft, Bar.Top, ButtonsLeft, Bar.Bottom),
             {tfLeft, tfVerticalCenter, tfSingleLine});
    }

    void Windows()
    {
        Label("Window", 90);
        Window(Rect(Cell(0), FY, Cell(0) + 244, FY + 90), true, false);
        Window(Rect(Cell(2) + 56, FY, Cell(2) + 300, FY + 90), false, false);
        Next(90);
        Label("Tool window", 60);
        Window(Rect(Cell(0), FY, Cell(0) + 244, FY + 60), true, true);
        Window(Rect(Cell(2) + 56, FY, Cell(2) + 300, FY + 60), false, true);
        Next(60);
    }

    void CaptionButtons()
    {
        TSize Size;
        S->GetElementSize(S->GetElementDetails(twCloseButtonNormal), esActual, Size);
        Label("Caption buttons", 2 * Size.cy + 4);
        // One strip per button kind on a caption bar: normal, hot, pressed, disabled.
        const TThemedWindow Kinds[] = {twCloseButtonNormal, twMaxButtonNormal, twMinButtonNormal, twRestoreButtonNormal,
                                       twHelpButtonNormal, twSmallCloseButtonNormal};
        for (int K = 0; K < 6; ++K) {
            int Left = kCells + (K % 3) * 168, Top = FY + (K / 3) * (Size.cy + 4);
            TSize ButtonSize;
            S->GetElementSize(S->GetElementDetails(Kinds[K]), esActual, ButtonSize);
            S->DrawElement(C, S->GetElementDetails(twCaptionActive), Rect(Left, Top, Left + 164, Top + Size.cy));
            for (int I = 0; I < 4; ++I) {
                int X = Left + 2 + I * (ButtonSize.cx + 2);
                int Y = Top + (Size.cy - ButtonSize.cy) / 2;
                S->DrawElement(C, S->GetElementDetails(static_cast<TThemedWindow>(Kinds[K] + I)),
                               Rect(X, Y, X + ButtonSize.cx, Y + ButtonSize.cy));
            }
        }
        Next(2 * Size.cy + 4);
    }

    void Progress()
    {
        Label("Progress", 60);
        TRect Bar = Rect(Cell(0), FY, Cell(2) + 88, FY + 16);
        S->DrawElement(C, S->GetElementDetails(tprBar), Bar);
        TRect Chunk = Rect(Bar.Left + 1, Bar.Top + 1, Bar.Left + 171, Bar.Bottom - 1);
        S->DrawElement(C, S->GetElementDetails(tprChunk), Chunk);
        TRect Vert = Rect(Cell(3), FY, Cell(3) + 16, FY + 60);
        S->DrawElement(C, S->GetElementDetails(tprBarVert), Vert);
        S->DrawElement(C, S->GetElementDetails(tprChunkVert),
                       Rect(Vert.Left + 1, Vert.Top + 25, Vert.Right - 1, Vert.Bottom - 1));
        Next(60);
    }

    TCustomStyleServices* S;
    TBitmapPtr FImage;
    TCanvas* C = nullptr;
    int FY = 10;
};

class StyleCatalogueTest : public ::testing::TestWithParam<const char*> {};

TEST_P(StyleCatalogueTest, MatchesGolden)
{
    TCustomStyleServices* Style = TStyleManager::Style(GetParam());
    ASSERT_NE(Style, nullptr);
    TCatalogue Catalogue(Style);
    EXPECT_TRUE(MatchesGolden(Catalogue.Paint(), StyleGolden("platform/vcl/testdata", "style_", GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Styles, StyleCatalogueTest, ::testing::Values("Windows", "Smokey Quartz Kamri"), StyleTestName);

}  // namespace

namespace {

// ---- Style manager -----------------------------------------------------------------------

// Puts the system style back, whatever a test selected.
class StyleTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        TStyleManager::SetStyle(TStyleManager::SystemStyleName);
        Application->ProcessMessages();
    }
};

TEST_F(StyleTest, KnowsTheStylesByNameWithTheSystemStyleActive)
{
    EXPECT_EQ(TStyleManager::StyleNames(), (std::vector<String>{"Windows", "Smokey Quartz Kamri"}));
    EXPECT_EQ(TStyleManager::ActiveStyle(), TStyleManager::SystemStyle());
    EXPECT_TRUE(StyleServices()->IsSystemStyle());
    EXPECT_FALSE(StyleServices()->HandlesMessages());
    EXPECT_FALSE(TStyleManager::IsCustomStyleActive());
    EXPECT_EQ(TStyleManager::Style("smokey quartz kamri"), nullptr);   // names are exact
    TCustomStyleServices* Smokey = TStyleManager::Style("Smokey Quartz Kamri");
    ASSERT_NE(Smokey, nullptr);
    EXPECT_FALSE(Smokey->IsSystemStyle());
    EXPECT_TRUE(Smokey->HandlesMessages());
}

TEST_F(StyleTest, AnUnknownStyleKeepsTheActiveOne)
{
    TStyleManager::SetStyle("Smokey Quartz Kamri");
    EXPECT_FALSE(TStyleManager::TrySetStyle("Sapphire"));
    EXPECT_THROW(TStyleManager::SetStyle("Sapphire"), EStyleEngineException);
    EXPECT_EQ(StyleServices()->Name(), "Smokey Quartz Kamri");
    EXPECT_TRUE(TStyleManager::IsCustomStyleActive());
}

// Counts style-changed notices; a form's child counts the message it gets.
class TStyleListener : public TObject {
    X_CLASS(TStyleListener, TObject)
public:
    std::vector<String> Seen;
    void Changed(TObject*) { Seen.push_back(StyleServices()->Name()); }

protected:
    TStyleListener() = default;
};

class TStyleProbe : public TWinControl {
    X_CLASS(TStyleProbe, TWinControl)
public:
    int StyleChanges = 0;

protected:
    TStyleProbe() = default;
    void WndProc(TMessage& AMessage) override
    {
        if (AMessage.Msg == CM_STYLECHANGED)
            ++StyleChanges;
        inherited::WndProc(AMessage);
    }
};

TEST_F(StyleTest, AChangeReachesTheHandlersAndEveryControlOfTheForms)
{
    std::unique_ptr<TStyleListener, TFreeDeleter> Listener(TStyleListener::Create());
    auto Handler = TNotifyEvent::Bind<&TStyleListener::Changed>(Listener.get());
    TStyleManager::AddStyleChangedHandler(Handler);
    TStyleManager::AddStyleChangedHandler(Handler);
    TForm* Form = TForm::Create(Application);
    TStyleProbe* Panel = TStyleProbe::Create(Form);
    Panel->SetParent(Form);
    TStyleProbe* Inner = TStyleProbe::Create(Form);
    Inner->SetParent(Panel);

    TStyleManager::SetStyle("Smokey Quartz Kamri");
    TStyleManager::SetStyle("Smokey Quartz Kamri");   // no change, no notice
    TStyleManager::SetStyle("Windows");
    TStyleManager::RemoveStyleChangedHandler(Handler);
    TStyleManager::SetStyle("Smokey Quartz Kamri");

    EXPECT_EQ(Listener->Seen, (std::vector<String>{"Smokey Quartz Kamri", "Windows"}));
    EXPECT_EQ(Panel->StyleChanges, 3);
    EXPECT_EQ(Inner->StyleChanges, 3);
    Form->Free();
}

// ---- Colours and sizes -------------------------------------------------------------------

TEST_F(StyleTest, TheSystemStyleFollowsTheSystemColours)
{
    TCustomStyleServices* Windows = TStyleManager::SystemStyle();
    // Resolved at once, so that no other active style resolves them later.
    EXPECT_EQ(Windows->GetSystemColor(clBtnFace), ColorToRGB(clBtnFace));
    EXPECT_EQ(Windows->GetStyleColor(scPanel), ColorToRGB(clBtnFace));
    EXPECT_EQ(Windows->GetStyleFontColor(sfButtonTextNormal), ColorToRGB(clBtnText));

    // What it paints is the system's colour of the moment.
    TBitmapPtr Image(TBitmap::Create());
    Image->SetSize(4, 4);
    TColor Saved = GetSysColor(COLOR_BTNFACE);
    SetSysColor(COLOR_BTNFACE, RGB(10, 20, 30));
    Windows->DrawElement(Image->Canvas(), Windows->GetElementDetails(twFormBackground), Rect(0, 0, 4, 4));
    SetSysColor(COLOR_BTNFACE, Saved);
    EXPECT_EQ(Image->Canvas()->Pixels(1, 1), RGB(10, 20, 30));
}

TEST_F(StyleTest, ACustomStyleAnswersItsOwnColours)
{
    TCustomStyleServices* S = TStyleManager::Style("Smokey Quartz Kamri");
    TColor Face = S->GetSystemColor(clBtnFace);
    EXPECT_EQ(Face, SmokeyQuartzKamriDescription().SystemColors[COLOR_BTNFACE]);
    EXPECT_EQ(S->GetSystemColor(RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(S->GetStyleColor(scPanel), Face);
    EXPECT_EQ(S->GetStyleColor(scEdit), S->GetSystemColor(clWindow));
    EXPECT_EQ(S->GetStyleFontColor(sfEditBoxTextNormal), S->GetSystemColor(clWindowText));
    // Check box captions light up under the mouse (links take that colour).
    EXPECT_NE(S->GetStyleFontColor(sfCheckBoxTextHot), S->GetStyleFontColor(sfCheckBoxTextNormal));

    TColor Color = clNone;
    EXPECT_TRUE(S->GetElementColor(S->GetElementDetails(tpPanelBevel), ecEdgeHighlightColor, Color));
    EXPECT_EQ(Color, SmokeyQuartzKamriDescription().Looks.PanelBevel.Light);
    EXPECT_FALSE(S->GetElementColor(S->GetElementDetails(tpPanelBevel), ecFillColor, Color));
}

TEST_F(StyleTest, TextTakesTheElementsColourUnlessOneIsGiven)
{
    TCustomStyleServices* S = TStyleManager::Style("Smokey Quartz Kamri");
    TBitmapPtr Image(TBitmap::Create());
    Image->SetSize(40, 20);
    TCanvas* C = Image->Canvas();
    C->Brush()->SetColor(clBlack);
    C->FillRect(Rect(0, 0, 40, 20));
    C->Font()->SetName("Liberation Sans");
    C->Font()->SetHeight(-40);
    C->Font()->SetColor(clLime);
    auto Brightest = [&] {
        TColor Best = clBlack;
        for (int Y = 0; Y < 20; ++Y)
            for (int X = 0; X < 40; ++X)
                if (GetRValue(C->Pixels(X, Y)) + GetGValue(C->Pixels(X, Y)) > GetRValue(Best) + GetGValue(Best))
                    Best = C->Pixels(X, Y);
        return Best;
    };
    TRect R = Rect(0, -10, 40, 30);
    S->DrawText(C, S->GetElementDetails(ttlTextLabelNormal), "\u2588", R, {tfLeft, tfSingleLine, tfNoClip});
    EXPECT_EQ(Brightest(), S->GetStyleFontColor(sfTextLabelNormal));
    S->DrawText(C, S->GetElementDetails(ttlTextLabelNormal), "\u2588", R, {tfLeft, tfSingleLine, tfNoClip}, clRed);
    EXPECT_EQ(Brightest(), clRed);
    EXPECT_EQ(C->Font()->Color(), clLime);   // the canvas keeps its font
}

// Every element state has details of its own, and every style paints each of them.
TEST_F(StyleTest, EveryElementStateIsDistinctAndPainted)
{
    TCustomStyleServices* Any = TStyleManager::SystemStyle();
    std::vector<TThemedElementDetails> All;
    auto Add = [&](auto AFirst, auto ALast) {
        for (int V = AFirst; V <= ALast; ++V)
            All.push_back(Any->GetElementDetails(static_cast<decltype(AFirst)>(V)));
    };
    Add(tbPushButtonNormal, tbGroupBoxDisabled);
    Add(tcDropDownButtonNormal, tcReadOnlyDisabled);
    Add(teEditTextNormal, teEditTextReadOnly);
    Add(thHeaderItemNormal, thHeaderRoot);
    Add(tlListItemNormal, tlGroupHeaderLine);
    Add(tpPanelBackground, tpPanelBevel);
    Add(tprBar, tprChunkVert);
    Add(tsArrowBtnUpNormal, tsSizeBox);
    Add(ttTabItemNormal, ttPane);
    Add(ttlTextLabelNormal, ttlDivider);
    Add(ttbTrack, ttbTicsVert);
    Add(twCaptionActive, twFormBackground);
    for (size_t I = 0; I < All.size(); ++I)
        for (size_t J = I + 1; J < All.size(); ++J)
            EXPECT_FALSE(All[I] == All[J]) << I << " and " << J;

    TBitmapPtr Image(TBitmap::Create());
    Image->SetSize(30, 30);
    for (const String& Name : TStyleManager::StyleNames())
        for (const TThemedElementDetails& D : All)
            EXPECT_TRUE(TStyleManager::Style(Name)->DrawElement(Image->Canvas(), D, Rect(0, 0, 30, 30)))
                << Name << " " << int(D.Element) << "/" << D.Part << "/" << D.State;
    EXPECT_FALSE(Any->DrawElement(Image->Canvas(), TThemedElementDetails{teButton, 1, 99}, Rect(0, 0, 30, 30)));
}

TEST_F(StyleTest, TransparentPartsAreThoseThatLeavePixelsUnpainted)
{
    TCustomStyleServices* Windows = TStyleManager::SystemStyle();
    TCustomStyleServices* Smokey = TStyleManager::Style("Smokey Quartz Kamri");
    const struct {
        TCustomStyleServices* Style;
        TThemedElementDetails Details;
        bool Transparent;
    } kCases[] = {
        {Windows, Windows->GetElementDetails(tbPushButtonNormal), false},
        {Smokey, Smokey->GetElementDetails(tbPushButtonNormal), true},   // round corners
        {Windows, Windows->GetElementDetails(tbCheckBoxCheckedNormal), true},
        {Windows, Windows->GetElementDetails(thHeaderItemNormal), false},
        {Windows, Windows->GetElementDetails(tbGroupBoxNormal), true},   // a frame only
        {Windows, Windows->GetElementDetails(ttTabItemSelected), false},
        {Smokey, Smokey->GetElementDetails(ttTabItemSelected), true},
    };
    for (const auto& Case : kCases)
        EXPECT_EQ(Case.Style->HasTransparentParts(Case.Details), Case.Transparent)
            << Case.Style->Name() << " " << int(Case.Details.Element) << "/" << Case.Details.Part;
}

TEST_F(StyleTest, SizesScaleWithTheDpiAndTheSystemStyleTakesTheSystemsSizes)
{
    TCustomStyleServices* Windows = TStyleManager::SystemStyle();
    TSize Size;
    ASSERT_TRUE(Windows->GetElementSize(Windows->GetElementDetails(tbCheckBoxCheckedNormal), esActual, Size));
    EXPECT_EQ(Size, (TSize{13, 13}));
    ASSERT_TRUE(Windows->GetElementSize(Windows->GetElementDetails(tbCheckBoxCheckedNormal), esActual, Size, 144));
    EXPECT_EQ(Size, (TSize{20, 20}));
    ASSERT_TRUE(Windows->GetElementSize(Windows->GetElementDetails(twCaptionActive), esActual, Size));
    EXPECT_EQ(Size.cy, MulDiv(GetSystemMetrics(SM_CYCAPTION), 96, GetScreenLogicalDpi().Y));
    ASSERT_TRUE(Windows->GetElementSize(Windows->GetElementDetails(tsArrowBtnUpNormal), esActual, Size));
    EXPECT_EQ(Size.cx, MulDiv(GetSystemMetrics(SM_CXVSCROLL), 96, GetScreenLogicalDpi().X));
    EXPECT_FALSE(Windows->GetElementSize(Windows->GetElementDetails(tbPushButtonNormal), esActual, Size));
}

// ---- Style hooks -------------------------------------------------------------------------

// A control that lets the style engine see its messages first, as styled controls do.
class THookedControl : public TWinControl {
    X_CLASS(THookedControl, TWinControl)
public:
    std::vector<UINT> Own;   // what reached the control's own procedure

protected:
    THookedControl() = default;
    void WndProc(TMessage& AMessage) override
    {
        if (!TStyleEngine::HandleMessage(this, AMessage, TWndMethod::Bind<&THookedControl::DefaultProc>(this)))
            DefaultProc(AMessage);
    }

private:
    void DefaultProc(TMessage& AMessage)
    {
        Own.push_back(AMessage.Msg);
        inherited::WndProc(AMessage);
    }
};

class TDerivedControl : public THookedControl {
    X_CLASS(TDerivedControl, THookedControl)
protected:
    TDerivedControl() = default;
};

int GHooksAlive = 0;

// Takes WM_CHAR itself, hands WM_KEYDOWN on, paints its control red.
class TProbeHook : public TStyleHook {
    X_CLASS(TProbeHook, TStyleHook)
public:
    int Entered = 0;

protected:
    TProbeHook() { ++GHooksAlive; }
    ~TProbeHook() override { --GHooksAlive; }
    void WndProc(TMessage& AMessage) override
    {
        if (AMessage.Msg == WM_CHAR) {
            SetHandled(true);
            return;
        }
        if (AMessage.Msg == WM_KEYDOWN) {
            CallDefaultProc(AMessage);
            // The control's procedure saw it once; the engine did not hand it back to us.
            SetHandled(true);
            return;
        }
        if (AMessage.Msg == CM_MOUSEENTER)
            ++Entered;
        inherited::WndProc(AMessage);
    }
    void Paint(TCanvas* ACanvas) override
    {
        ACanvas->Brush()->SetColor(clRed);
        ACanvas->FillRect(Rect(2, 2, 4, 4));
    }
};

class TOtherHook : public TStyleHook {
    X_CLASS(TOtherHook, TStyleHook)
protected:
    TOtherHook() = default;
};

class StyleHookTest : public StyleTest {
protected:
    void SetUp() override { TStyleEngine::RegisterStyleHook(THookedControl::StaticClass(), TProbeHook::StaticClass()); }
    void TearDown() override
    {
        TStyleEngine::UnRegisterStyleHook(THookedControl::StaticClass(), TProbeHook::StaticClass());
        StyleTest::TearDown();
    }
};

TEST_F(StyleHookTest, TheNearestRegisteredClassServesAndTheLaterRegistrationWins)
{
    EXPECT_EQ(TStyleEngine::StyleHookClass(TDerivedControl::StaticClass()), TProbeHook::StaticClass());
    EXPECT_EQ(TStyleEngine::StyleHookClass(TWinControl::StaticClass()), nullptr);
    TStyleEngine::RegisterStyleHook(TDerivedControl::StaticClass(), TOtherHook::StaticClass());
    EXPECT_EQ(TStyleEngine::StyleHookClass(TDerivedControl::StaticClass()), TOtherHook::StaticClass());
    EXPECT_EQ(TStyleEngine::StyleHookClass(THookedControl::StaticClass()), TProbeHook::StaticClass());
    TStyleEngine::UnRegisterStyleHook(TDerivedControl::StaticClass(), TOtherHook::StaticClass());
    EXPECT_EQ(TStyleEngine::StyleHookClass(TDerivedControl::StaticClass()), TProbeHook::StaticClass());

    EXPECT_THROW(TStyleEngine::UnRegisterStyleHook(TDerivedControl::StaticClass(), TOtherHook::StaticClass()),
                 EStyleEngineException);
    EXPECT_THROW(TStyleEngine::RegisterStyleHook(TDerivedControl::StaticClass(), TStyleProbe::StaticClass()),
                 EStyleEngineException);
}

TEST_F(StyleHookTest, HooksWorkOnlyUnderACustomStyleAndGoWithTheirControlOrTheStyle)
{
    std::unique_ptr<THookedControl, TFreeDeleter> Control(THookedControl::Create(nullptr));
    Control->Perform(WM_CHAR, 'a', 0);
    EXPECT_EQ(TStyleEngine::FindHook(Control.get()), nullptr);   // the system style hooks nothing
    EXPECT_EQ(Control->Own, (std::vector<UINT>{WM_CHAR}));

    TStyleManager::SetStyle("Smokey Quartz Kamri");
    Control->Own.clear();
    Control->Perform(WM_CHAR, 'a', 0);
    Control->Perform(WM_KEYDOWN, 'A', 0);
    Control->Perform(WM_CHAR, 'b', 0);
    EXPECT_EQ(Control->Own, (std::vector<UINT>{WM_KEYDOWN}));
    EXPECT_NE(TStyleEngine::FindHook(Control.get()), nullptr);
    EXPECT_EQ(GHooksAlive, 1);   // one hook per control

    TStyleManager::SetStyle("Windows");
    EXPECT_EQ(GHooksAlive, 0);
    TStyleManager::SetStyle("Smokey Quartz Kamri");
    Control->Perform(WM_CHAR, 'a', 0);
    EXPECT_EQ(GHooksAlive, 1);
    Control.reset();
    EXPECT_EQ(GHooksAlive, 0);
}

TEST_F(StyleHookTest, TheHookPaintsOnTheCanvasThatComesWithThePaintMessage)
{
    TStyleManager::SetStyle("Smokey Quartz Kamri");
    TForm* Form = TForm::Create(Application);
    THookedControl* Control = THookedControl::Create(Form);
    Control->SetParent(Form);
    Control->SetBounds(0, 0, 10, 10);
    Control->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(static_cast<TProbeHook*>(TStyleEngine::FindHook(Control))->Entered, 1);

    TBitmapPtr Image(TBitmap::Create());
    Image->SetSize(10, 10);
    Control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Image->Canvas()), 0);
    TCustomStyleServices* S = StyleServices();
    EXPECT_EQ(Image->Canvas()->Pixels(0, 0), S->GetSystemColor(Form->Color()));   // the parent's background
    EXPECT_EQ(Image->Canvas()->Pixels(3, 3), clRed);
    Form->Free();
    EXPECT_EQ(GHooksAlive, 0);
}

}  // namespace

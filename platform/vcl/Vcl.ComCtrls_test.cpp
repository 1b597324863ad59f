// Panels, bevels, images, flow panels, scroll boxes, speed buttons, progress bars, up-downs,
// track bars and page controls driven by mouse and keyboard; golden pictures of the controls.
#include "Vcl.ComCtrls.h"

#include <gtest/gtest.h>

#include "Vcl.Buttons.h"
#include "Vcl.ExtCtrls.h"
#include "Vcl.TestInput.h"

namespace {

class ComCtrlsTest : public UserInputTest {
public:
    void Log(TObject* ASender) { FLog.push_back(static_cast<TComponent*>(ASender)->Name()); }
    void Refuse(TObject*, bool& AAllow)
    {
        FLog.push_back("changing");
        AAllow = FAllow;
    }
    void UpDownClicked(TObject*, TUDBtnType AButton) { FLog.push_back(AButton == btNext ? "next" : "prev"); }
    // A handler as the framework's track bar has: it takes the tics and the channel.
    void TrackBarProc(TMessage& AMessage)
    {
        if (AMessage.Msg == CN_NOTIFY) {
            auto* Draw = reinterpret_cast<NMCUSTOMDRAW*>(AMessage.LParam);
            if (Draw->hdr.code == NM_CUSTOMDRAW) {
                FStages.push_back(Draw->dwDrawStage == CDDS_PREPAINT ? 0 : int(Draw->dwItemSpec));
                if (Draw->dwDrawStage == CDDS_PREPAINT)
                    AMessage.Result = CDRF_NOTIFYITEMDRAW;
                else if (Draw->dwItemSpec == TBCD_CHANNEL) {
                    TRect Thumb;
                    FTrack->Perform(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&Thumb));
                    Draw->Canvas->Brush()->SetColor(clRed);
                    Draw->Canvas->FillRect(Draw->rc);
                    AMessage.Result = CDRF_SKIPDEFAULT;
                }
                return;
            }
        }
        FTrackProc(AMessage);
    }

protected:
    std::vector<String> TakeLog() { return std::exchange(FLog, {}); }
    std::vector<String> FLog;
    bool FAllow = true;
    std::vector<int> FStages;
    TTrackBar* FTrack = nullptr;
    TWndMethod FTrackProc;
};

TEST_F(ComCtrlsTest, PanelsKeepTheirFrameClearAndFlowPanelsPlaceTheirChildren)
{
    TPanel* Panel = Add<TPanel>(Rect(0, 0, 200, 100));
    Panel->SetBorderWidth(3);
    Panel->SetBevelInner(bvLowered);
    TButton* Filled = Add<TButton>(Rect(0, 0, 10, 10), Panel);
    Filled->SetAlign(alClient);
    EXPECT_EQ(Filled->BoundsRect(), Rect(5, 5, 195, 95)) << "outer bevel, border, inner bevel";

    TFlowPanel* Flow = Add<TFlowPanel>(Rect(0, 110, 100, 200));
    Flow->SetBevelOuter(bvNone);
    std::vector<TButton*> Buttons;
    for (int I = 0; I < 3; ++I)
        Buttons.push_back(Add<TButton>(Rect(0, 0, 40, 20), Flow));
    EXPECT_EQ(Buttons[0]->BoundsRect(), Rect(0, 0, 40, 20));
    EXPECT_EQ(Buttons[1]->BoundsRect(), Rect(40, 0, 80, 20));
    EXPECT_EQ(Buttons[2]->BoundsRect(), Rect(0, 20, 40, 40)) << "wrapped";
    Flow->SetAutoWrap(false);
    EXPECT_EQ(Buttons[2]->BoundsRect(), Rect(80, 0, 120, 20));
    Flow->SetAutoSize(true);
    EXPECT_EQ(Flow->Width(), 120);
    EXPECT_EQ(Flow->Height(), 20);
    Buttons[1]->Hide();
    EXPECT_EQ(Buttons[2]->BoundsRect(), Rect(40, 0, 80, 20));
}

TEST_F(ComCtrlsTest, ImagesPlaceTheirPicture)
{
    TImage* Image = Add<TImage>(Rect(0, 0, 100, 50));
    TBitmap* Picture = TBitmap::Create();
    Picture->SetSize(40, 40);
    Image->Picture()->SetGraphic(Picture);
    Picture->Free();
    struct TCase {
        bool Stretch, Proportional, Center;
        TRect Expected;
    };
    const TCase Cases[] = {
        {false, false, false, Rect(0, 0, 40, 40)}, {false, false, true, Rect(30, 5, 70, 45)},
        {true, false, false, Rect(0, 0, 100, 50)}, {true, true, false, Rect(0, 0, 50, 50)},
        {true, true, true, Rect(25, 0, 75, 50)},   {false, true, false, Rect(0, 0, 40, 40)},
    };
    for (const TCase& Case : Cases) {
        Image->SetStretch(Case.Stretch);
        Image->SetProportional(Case.Proportional);
        Image->SetCenter(Case.Center);
        EXPECT_EQ(Image->DestRect(), Case.Expected) << Case.Stretch << Case.Proportional << Case.Center;
    }
}

TEST_F(ComCtrlsTest, ScrollBoxesScrollTheirChildrenByBarWheelAndIntoView)
{
    TScrollBox* Box = Add<TScrollBox>(Rect(0, 0, 150, 100));
    TButton* Far = Add<TButton>(Rect(10, 250, 85, 275), Box);
    Box->SetName("Box");
    Box->SetOnScroll(TNotifyEvent::Bind<&ComCtrlsTest::Log>(this));
    EXPECT_TRUE(Box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(Box->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(Box->ClientWidth(), 150 - StyleServices()->Metrics().ScrollBarSize);
    Wheel(Box, 20, 20, -1);
    EXPECT_EQ(Box->VertScrollBar()->Position(), 24);
    EXPECT_EQ(Far->Top(), 226);
    Box->VertScrollBar()->SetPosition(1000);   // kept within the range
    EXPECT_EQ(Box->VertScrollBar()->Position(), 275 - 100);
    EXPECT_EQ(Far->Top(), 75);
    Box->VertScrollBar()->SetPosition(0);
    Click(Box, 140, 95);   // the lower arrow
    EXPECT_EQ(Box->VertScrollBar()->Position(), 8);
    Box->ScrollInView(Far);
    EXPECT_EQ(Far->Top() + Far->Height(), 100);
    Far->SetTop(20 - Box->VertScrollBar()->Position());   // the content fits: the bar goes
    EXPECT_FALSE(Box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(Box->VertScrollBar()->Position(), 0);
    EXPECT_EQ(Far->Top(), 20) << "and the content slides back";
    EXPECT_EQ(TakeLog().size(), 6u);
}

TEST_F(ComCtrlsTest, SpeedButtonsOfAGroupStayDownOneAtATime)
{
    std::vector<TSpeedButton*> Group;
    for (int I = 0; I < 3; ++I) {
        TSpeedButton* B = TSpeedButton::Create(FForm);
        B->SetParent(FForm);
        B->SetBounds(I * 30, 0, 25, 25);
        B->SetGroupIndex(1);
        B->SetName("B" + std::to_string(I));
        B->SetOnClick(TNotifyEvent::Bind<&ComCtrlsTest::Log>(this));
        Group.push_back(B);
    }
    TSpeedButton* Plain = TSpeedButton::Create(FForm);
    Plain->SetParent(FForm);
    Plain->SetBounds(100, 0, 25, 25);
    struct TCase {
        int Clicked;
        bool AllowAllUp;
        std::vector<bool> Down;
    };
    const TCase Cases[] = {
        {0, false, {true, false, false}}, {2, false, {false, false, true}},
        {2, false, {false, false, true}}, {2, true, {false, false, false}},
    };
    for (const TCase& Case : Cases) {
        for (TSpeedButton* B : Group)
            B->SetAllowAllUp(Case.AllowAllUp);
        Click(Group[size_t(Case.Clicked)], 5, 5);
        for (size_t I = 0; I < Group.size(); ++I)
            EXPECT_EQ(Group[I]->Down(), Case.Down[I]) << Case.Clicked << " " << I;
    }
    EXPECT_EQ(TakeLog().size(), 4u);
    Click(Plain, 5, 5);
    EXPECT_FALSE(Plain->Down()) << "a plain button never stays down";
}

TEST_F(ComCtrlsTest, ProgressBarsStepAndWrapRound)
{
    TProgressBar* Bar = Add<TProgressBar>(Rect(0, 0, 100, 17));
    Bar->SetStep(30);
    std::vector<int> Seen;
    for (int I = 0; I < 4; ++I) {
        Bar->StepIt();
        Seen.push_back(Bar->Position());
    }
    EXPECT_EQ(Seen, (std::vector<int>{30, 60, 90, 20}));
    Bar->SetPosition(500);
    EXPECT_EQ(Bar->Position(), 100);
    Bar->SetMax(50);
    EXPECT_EQ(Bar->Position(), 50);
}

TEST_F(ComCtrlsTest, UpDownsStepTheirAssociateByMouseAndKeys)
{
    TEdit* Edit = Add<TEdit>(Rect(10, 10, 70, 31));
    TUpDown* Spin = Add<TUpDown>(Rect(0, 0, 17, 21));
    Spin->SetMin(0);
    Spin->SetMax(1000);
    Spin->SetIncrement(400);
    Spin->SetAssociate(Edit);
    Spin->SetOnClick(TUDClickEvent::Bind<&ComCtrlsTest::UpDownClicked>(this));
    EXPECT_EQ(Spin->Left(), 70) << "beside its associate";
    struct TCase {
        bool Mouse;
        bool Up;
        bool Wrap;
        const char* Text;
    };
    const TCase Cases[] = {
        {true, true, false, "400"},   {true, true, false, "800"},  {false, true, false, "1,000"},
        {false, true, true, "0"},     {false, false, true, "1,000"}, {true, false, false, "600"},
    };
    Edit->SetFocus();
    for (const TCase& Case : Cases) {
        Spin->SetWrap(Case.Wrap);
        if (Case.Mouse)
            Click(Spin, 8, Case.Up ? 3 : 18);
        else
            Press(Case.Up ? VK_UP : VK_DOWN);
        EXPECT_EQ(Edit->Text(), Case.Text);
    }
    EXPECT_EQ(TakeLog(), (std::vector<String>{"next", "next", "next", "next", "prev", "prev"}));
    Add<TButton>(Rect(100, 10, 175, 35));
    Edit->SetFocus();
    Edit->SetText("77");
    Press(VK_TAB);   // what was typed becomes the position
    EXPECT_EQ(Spin->Position(), 77);
    Edit->Free();    // the associate goes: the up-down forgets it
    Spin->SetPosition(5);
}

TEST_F(ComCtrlsTest, TrackBarsMoveByThumbKeysAndPagesAndOfferTheirDrawing)
{
    FTrack = Add<TTrackBar>(Rect(10, 10, 210, 55));
    FTrack->SetMax(100);
    FTrack->SetPageSize(10);
    FTrack->SetName("Track");
    FTrack->SetOnChange(TNotifyEvent::Bind<&ComCtrlsTest::Log>(this));
    TRect Thumb = FTrack->ThumbRect();
    TRect Channel = FTrack->ChannelRect();
    TPoint Grip = Point((Thumb.Left + Thumb.Right) / 2, (Thumb.Top + Thumb.Bottom) / 2);
    Drag(FTrack, Grip, Point(Channel.Right - 1, Grip.Y));
    EXPECT_EQ(FTrack->Position(), 100);
    TRect AtEnd = FTrack->ThumbRect();
    Drag(FTrack, Point((AtEnd.Left + AtEnd.Right) / 2, Grip.Y), Point(Channel.Left + (Channel.Width() - 1) / 2, Grip.Y));
    EXPECT_NEAR(FTrack->Position(), 50, 1);
    FTrack->SetPosition(50);
    Click(FTrack, Channel.Left + 2, Grip.Y);   // a page towards the click
    EXPECT_EQ(FTrack->Position(), 40);
    struct TCase {
        UINT Key;
        int Expected;
    };
    for (TCase Case : {TCase{VK_RIGHT, 41}, TCase{VK_UP, 40}, TCase{VK_NEXT, 50}, TCase{VK_END, 100}, TCase{VK_HOME, 0}}) {
        Press(Case.Key);
        EXPECT_EQ(FTrack->Position(), Case.Expected) << Case.Key;
    }
    EXPECT_FALSE(TakeLog().empty());

    FTrackProc = FTrack->WindowProc();
    FTrack->SetWindowProc(TWndMethod::Bind<&ComCtrlsTest::TrackBarProc>(this));
    FForm->Repaint();
    EXPECT_EQ(FStages, (std::vector<int>{0, int(TBCD_TICS), int(TBCD_CHANNEL), int(TBCD_THUMB)}));
    TRect Drawn = FTrack->ChannelRect();
    EXPECT_EQ(FForm->PixelAt(10 + Drawn.Left + 40, 10 + Drawn.Top + 1), clRed) << "the handler drew the channel";
    FTrack->SetWindowProc(FTrackProc);
}

TEST_F(ComCtrlsTest, PageControlsChangePagesByTabsKeysAndMoveSheetsAway)
{
    TPageControl* Pages = Add<TPageControl>(Rect(0, 0, 300, 200));
    Pages->SetName("Pages");
    std::vector<TTabSheet*> Sheets;
    for (const char* Caption : {"General", "Colours", "Advanced"}) {
        TTabSheet* Sheet = TTabSheet::Create(FForm);
        Sheet->SetCaption(Caption);
        Sheet->SetPageControl(Pages);
        Sheets.push_back(Sheet);
    }
    TEdit* Inside = Add<TEdit>(Rect(10, 10, 100, 31), Sheets[0]);
    Pages->SetOnChanging(TTabChangingEvent::Bind<&ComCtrlsTest::Refuse>(this));
    Pages->SetOnChange(TNotifyEvent::Bind<&ComCtrlsTest::Log>(this));
    EXPECT_EQ(Pages->ActivePage(), Sheets[0]);
    EXPECT_EQ(Sheets[0]->BoundsRect(), Pages->DisplayRect());
    EXPECT_FALSE(Sheets[1]->Visible());

    TRect Tab = Pages->TabRect(1);
    Click(Pages, Tab.Left + 3, Tab.Top + 3);
    EXPECT_EQ(Pages->ActivePageIndex(), 1);
    Inside->SetVisible(true);
    Sheets[0]->Show();   // the edit's page must show for it to take the focus
    Pages->SetActivePage(Sheets[0]);
    Inside->SetFocus();
    Press(VK_TAB, {ssCtrl});
    EXPECT_EQ(Pages->ActivePageIndex(), 1);
    Press(VK_TAB, {ssCtrl, ssShift});
    EXPECT_EQ(Pages->ActivePageIndex(), 0);
    FAllow = false;
    Click(Pages, Tab.Left + 3, Tab.Top + 3);
    EXPECT_EQ(Pages->ActivePageIndex(), 0) << "refused";
    EXPECT_EQ(TakeLog(), (std::vector<String>{"changing", "Pages", "changing", "Pages", "changing", "Pages", "changing"}));

    FAllow = true;
    TPageControl* Other = Add<TPageControl>(Rect(0, 0, 100, 100));
    Other->SetVisible(false);
    Sheets[0]->SetPageControl(Other);   // moving the active page away shows the next one
    EXPECT_EQ(Pages->PageCount(), 2);
    EXPECT_EQ(Pages->ActivePage(), Sheets[1]);
    EXPECT_EQ(Other->ActivePage(), Sheets[0]);
    EXPECT_EQ(Sheets[0]->Parent(), Other);
    Sheets[2]->SetTabVisible(false);
    EXPECT_EQ(Pages->FindNextPage(Sheets[1], true, true), Sheets[1]);
}

// ---- Golden pictures ---------------------------------------------------------------------

class ControlPicturesTest : public UserInputTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ControlPicturesTest, ControlsInTheirMainStatesMatchTheirGolden)
{
    TStyleManager::SetStyle(GetParam());
    FForm->SetBounds(0, 0, 420, 300);
    FForm->SetColor(clBtnFace);
    auto* Label = Add<TLabel>(Rect(10, 8, 100, 22));
    Label->SetCaption("&Label text");
    auto* Normal = Add<TButton>(Rect(10, 28, 85, 53));
    Normal->SetCaption("Button");
    auto* Default = Add<TButton>(Rect(90, 28, 165, 53));
    Default->SetCaption("&Default");
    Default->SetDefault(true);
    auto* Disabled = Add<TButton>(Rect(170, 28, 245, 53));
    Disabled->SetCaption("Disabled");
    Disabled->SetEnabled(false);
    auto* Checked = Add<TCheckBox>(Rect(10, 60, 110, 77));
    Checked->SetCaption("Checked");
    Checked->SetChecked(true);
    auto* Grayed = Add<TCheckBox>(Rect(115, 60, 215, 77));
    Grayed->SetCaption("Grayed");
    Grayed->SetAllowGrayed(true);
    Grayed->SetState(cbGrayed);
    auto* Radio = Add<TRadioButton>(Rect(220, 60, 320, 77));
    Radio->SetCaption("Radio");
    Radio->SetChecked(true);
    auto* Edit = Add<TEdit>(Rect(10, 84, 130, 105));
    Edit->SetText("Selected text");
    auto* Hint = Add<TEdit>(Rect(140, 84, 260, 105));
    Hint->SetTextHint("Text hint");
    auto* Combo = Add<TComboBox>(Rect(270, 84, 400, 105));
    Combo->SetStyle(csDropDownList);
    Combo->Items()->Add("Item");
    Combo->SetItemIndex(0);
    auto* List = Add<TListBox>(Rect(10, 112, 130, 180));
    for (const char* Item : {"One", "Two", "Three", "Four", "Five", "Six"})
        List->Items()->Add(Item);
    List->SetItemIndex(1);
    auto* Group = Add<TGroupBox>(Rect(140, 112, 260, 180));
    Group->SetCaption("Group");
    auto* Bevel = Add<TBevel>(Rect(150, 135, 250, 137));
    Bevel->SetShape(bsTopLine);
    Bevel->SetParent(Group);
    Bevel->SetBounds(10, 25, 100, 2);
    auto* Panel = Add<TPanel>(Rect(270, 112, 400, 150));
    Panel->SetCaption("Panel");
    auto* Progress = Add<TProgressBar>(Rect(270, 158, 400, 175));
    Progress->SetPosition(60);
    auto* Track = Add<TTrackBar>(Rect(10, 186, 200, 231));
    Track->SetPosition(4);
    auto* Bar = Add<TScrollBar>(Rect(210, 190, 400, 207));
    Bar->SetPageSize(20);
    Bar->SetPosition(30);
    auto* Pages = Add<TPageControl>(Rect(10, 238, 200, 292));
    for (const char* Caption : {"First", "Second"}) {
        TTabSheet* Sheet = TTabSheet::Create(FForm);
        Sheet->SetCaption(Caption);
        Sheet->SetPageControl(Pages);
    }
    auto* Spin = Add<TUpDown>(Rect(210, 238, 227, 259));
    Spin->SetPosition(3);
    Edit->SetFocus();
    Edit->SelectAll();
    EXPECT_TRUE(MatchesGolden(Picture(FForm).get(), StyleGolden("platform/vcl/testdata", "controls_", GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Styles, ControlPicturesTest, ::testing::Values("Windows", "Smokey Quartz Kamri"), StyleTestName);

}  // namespace

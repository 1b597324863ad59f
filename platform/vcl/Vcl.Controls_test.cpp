// Controls: alignment, painting into the top-level picture, input routed to the control under
// the mouse or with the focus, and what children take from their parent.
#include "Vcl.Controls.h"

#include <gtest/gtest.h>

#include "Vcl.Forms.h"

namespace {

// Fills its client area with its colour and a FillRect reaching past its edges.
class TSwatch : public TGraphicControl {
    X_CLASS(TSwatch, TGraphicControl)
protected:
    TSwatch() = default;
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(Rect(-50, -50, Width() + 50, Height() + 50));
    }
};

// Draws a one-pixel frame in clBlack over its own face.
class TFramed : public TCustomControl {
    X_CLASS(TFramed, TCustomControl)
protected:
    TFramed() = default;
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clBlack);
        Canvas()->FrameRect(ClientRect());
    }
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FRoot = TWinControl::Create(nullptr);
        FRoot->SetBounds(100, 100, 200, 100);
        FRoot->SetColor(clWhite);
    }
    void TearDown() override
    {
        FRoot->Free();
        Application->ProcessMessages();
    }
    template <class T>
    T* Add(TWinControl* AParent, const TRect& ABounds, TColor AColor = clBtnFace)
    {
        T* Control = T::Create(FRoot);
        Control->SetBoundsRect(ABounds);
        Control->SetColor(AColor);
        Control->SetParent(AParent);
        return Control;
    }
    // Posts the message to the top-level window at the point and runs the loop.
    void Send(UINT AMsg, int AX, int AY, WPARAM AKeys = 0)
    {
        PostMessageW(FRoot->Handle(), AMsg, AKeys, MakeMouseLParam(AX, AY));
        Application->ProcessMessages();
    }
    void Key(UINT AMsg, WPARAM AKey)
    {
        PostMessageW(FRoot->Handle(), AMsg, AKey, 0);
        Application->ProcessMessages();
    }
public:
    void Clicked(TObject* ASender) { FClicks.push_back(static_cast<TControl*>(ASender)); }
    void Entered(TObject* ASender) { FLog.push_back("enter " + static_cast<TComponent*>(ASender)->Name()); }
    void Left(TObject* ASender) { FLog.push_back("leave " + static_cast<TComponent*>(ASender)->Name()); }
    void MouseWentDown(TObject*, TMouseButton, TShiftState, int AX, int AY) { FDown = Point(AX, AY); }
    void KeyWentDown(TObject*, uint16_t& AKey, TShiftState) { FKeys.push_back(AKey); }
    void Hook(TMessage& AMessage)
    {
        if (AMessage.Msg >= CM_BASE)
            FSeen.push_back(AMessage.Msg);
        FOriginal(AMessage);
    }

protected:
    TWinControl* FRoot = nullptr;
    std::vector<TControl*> FClicks;
    std::vector<String> FLog;
    TPoint FDown;
    std::vector<uint16_t> FKeys;
    std::vector<UINT> FSeen;
    TWndMethod FOriginal;
};

TEST_F(ControlsTest, AlignedChildrenShareTheClientAreaAndFollowItsChanges)
{
    struct TCase {
        TAlign Align;
        TRect Start;
        TRect Expected;
    };
    // Two top controls stack by their position, not by the order they came in.
    const TCase Cases[] = {
        {alTop, Rect(0, 30, 5, 40), Rect(0, 20, 200, 30)},   {alTop, Rect(0, 0, 5, 20), Rect(0, 0, 200, 20)},
        {alBottom, Rect(0, 0, 5, 15), Rect(0, 85, 200, 100)}, {alLeft, Rect(0, 0, 30, 5), Rect(0, 30, 30, 85)},
        {alRight, Rect(0, 0, 40, 5), Rect(160, 30, 200, 85)}, {alClient, Rect(0, 0, 1, 1), Rect(30, 30, 160, 85)},
        {alNone, Rect(7, 8, 17, 18), Rect(7, 8, 17, 18)},
    };
    std::vector<TControl*> Controls;
    FRoot->DisableAlign();
    for (const TCase& Case : Cases) {
        TControl* Control = Add<TSwatch>(FRoot, Case.Start);
        Control->SetAlign(Case.Align);
        Controls.push_back(Control);
    }
    EXPECT_EQ(Controls[0]->BoundsRect(), Cases[0].Start) << "held back";
    FRoot->EnableAlign();
    for (size_t I = 0; I < Controls.size(); ++I)
        EXPECT_EQ(Controls[I]->BoundsRect(), Cases[I].Expected) << I;

    FRoot->SetBounds(0, 0, 300, 120);
    EXPECT_EQ(Controls[5]->BoundsRect(), Rect(30, 30, 260, 105));
    Controls[0]->Hide();   // the second top strip moves up, the client area grows
    EXPECT_EQ(Controls[1]->BoundsRect(), Rect(0, 0, 300, 20));
    EXPECT_EQ(Controls[5]->BoundsRect(), Rect(30, 20, 260, 105));
}

TEST_F(ControlsTest, ChildrenPaintInZOrderClippedToTheirBounds)
{
    TSwatch* Red = Add<TSwatch>(FRoot, Rect(10, 10, 60, 60), clRed);
    Add<TSwatch>(FRoot, Rect(40, 40, 80, 80), clBlue);
    // A window covers the graphic controls of its parent, whatever their order, and its own
    // children cover what it paints.
    TFramed* Panel = Add<TFramed>(FRoot, Rect(70, 10, 130, 50), clLime);
    Panel->SendToBack();
    Add<TSwatch>(Panel, Rect(5, 5, 100, 100), clYellow);
    FRoot->Repaint();

    struct TCase {
        int X, Y;
        TColor Expected;
    };
    const TCase Cases[] = {
        {5, 5, clWhite},   {9, 20, clWhite},    {10, 10, clRed},      {59, 20, clRed},     {60, 20, clWhite},
        {45, 45, clBlue},  {70, 45, clBlack},   {100, 10, clBlack},  {71, 11, clLime},    {75, 15, clYellow},
        {129, 49, clYellow}, {130, 30, clWhite},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(FRoot->PixelAt(Case.X, Case.Y), Case.Expected) << Case.X << "," << Case.Y;

    Red->BringToFront();
    FRoot->Repaint();
    EXPECT_EQ(FRoot->PixelAt(45, 45), clRed);
    Red->Hide();
    FRoot->Repaint();
    EXPECT_EQ(FRoot->PixelAt(20, 20), clWhite);

    TBitmap* Copy = TBitmap::Create();
    Copy->SetSize(80, 60);
    Panel->PaintTo(Copy->Canvas(), 10, 10);
    EXPECT_EQ(Copy->Canvas()->Pixels(10, 10), clBlack);   // the frame the child leaves uncovered
    EXPECT_EQ(Copy->Canvas()->Pixels(12, 12), clLime);
    EXPECT_EQ(Copy->Canvas()->Pixels(20, 20), clYellow);
    EXPECT_EQ(Copy->Canvas()->Pixels(5, 5), clWhite);
    Copy->Free();
}

TEST_F(ControlsTest, MouseInputReachesTheControlUnderThePoint)
{
    TFramed* Panel = Add<TFramed>(FRoot, Rect(100, 0, 200, 100));
    TSwatch* Inner = Add<TSwatch>(Panel, Rect(10, 10, 50, 50));
    TSwatch* Disabled = Add<TSwatch>(Panel, Rect(60, 10, 90, 50));
    Disabled->SetEnabled(false);
    for (TControl* C : {static_cast<TControl*>(FRoot), static_cast<TControl*>(Panel), static_cast<TControl*>(Inner),
                        static_cast<TControl*>(Disabled)})
        C->SetOnClick(TNotifyEvent::Bind<&ControlsTest::Clicked>(this));
    Inner->SetOnMouseDown(TMouseEvent::Bind<&ControlsTest::MouseWentDown>(this));

    Send(WM_LBUTTONDOWN, 115, 20);
    Send(WM_LBUTTONUP, 115, 20);
    EXPECT_EQ(FDown, Point(5, 10)) << "in the control's own coordinates";
    Send(WM_LBUTTONDOWN, 170, 20);   // a disabled control leaves the click to its parent
    Send(WM_LBUTTONUP, 170, 20);
    Send(WM_LBUTTONDOWN, 20, 20);
    Send(WM_LBUTTONUP, 20, 20);
    Send(WM_LBUTTONDOWN, 115, 20);   // released elsewhere: no click anywhere
    Send(WM_LBUTTONUP, 20, 20);
    Send(WM_RBUTTONDOWN, 115, 20);
    Send(WM_RBUTTONUP, 115, 20);
    EXPECT_EQ(FClicks, (std::vector<TControl*>{Inner, Panel, FRoot}));
}

TEST_F(ControlsTest, MouseEnterAndLeaveFollowTheMouse)
{
    TSwatch* A = Add<TSwatch>(FRoot, Rect(0, 0, 50, 50));
    TSwatch* B = Add<TSwatch>(FRoot, Rect(50, 0, 100, 50));
    A->SetName("A");
    B->SetName("B");
    for (TControl* C : {A, B}) {
        C->SetOnMouseEnter(TNotifyEvent::Bind<&ControlsTest::Entered>(this));
        C->SetOnMouseLeave(TNotifyEvent::Bind<&ControlsTest::Left>(this));
    }
    Send(WM_MOUSEMOVE, 10, 10);
    Send(WM_MOUSEMOVE, 20, 10);
    Send(WM_MOUSEMOVE, 60, 10);
    EXPECT_TRUE(B->MouseInClient());
    B->Hide();   // a hidden control is left without a message
    Send(WM_MOUSEMOVE, 150, 80);
    EXPECT_EQ(FLog, (std::vector<String>{"enter A", "leave A", "enter B"}));
}

TEST_F(ControlsTest, FocusMovesByTabOrderAndKeysGoToTheFocusedControl)
{
    TFramed* First = Add<TFramed>(FRoot, Rect(0, 0, 10, 10));
    TFramed* Second = Add<TFramed>(FRoot, Rect(20, 0, 30, 10));
    TFramed* Skipped = Add<TFramed>(FRoot, Rect(40, 0, 50, 10));
    First->SetName("First");
    Second->SetName("Second");
    for (TFramed* C : {First, Second})
        C->SetTabStop(true);
    Second->SetTabOrder(0);
    EXPECT_EQ(First->TabOrder(), 1);
    for (TFramed* C : {First, Second}) {
        C->SetOnEnter(TNotifyEvent::Bind<&ControlsTest::Entered>(this));
        C->SetOnExit(TNotifyEvent::Bind<&ControlsTest::Left>(this));
    }
    First->SetOnKeyDown(TKeyEvent::Bind<&ControlsTest::KeyWentDown>(this));

    First->SetFocus();
    Key(WM_KEYDOWN, 'A');
    Key(WM_KEYDOWN, VK_TAB);   // wraps round past the control without a tab stop
    EXPECT_TRUE(Second->Focused());
    Key(WM_KEYDOWN, 'B');
    EXPECT_EQ(FKeys, (std::vector<uint16_t>{'A', VK_TAB}));
    EXPECT_EQ(FLog, (std::vector<String>{"enter First", "leave First", "enter Second"}));

    Skipped->Hide();
    EXPECT_THROW(Skipped->SetFocus(), EInvalidOperation);
    Second->SetParent(nullptr);   // a control that leaves takes the focus with it
    EXPECT_EQ(FRoot->FocusedControl(), nullptr);
    Second->Free();
}

TEST_F(ControlsTest, ChildrenFollowTheParentFontAndColourUntilGivenTheirOwn)
{
    TFramed* Panel = Add<TFramed>(FRoot, Rect(0, 0, 50, 50));
    TSwatch* Follower = Add<TSwatch>(Panel, Rect(0, 0, 5, 5));
    TSwatch* Own = Add<TSwatch>(Panel, Rect(0, 0, 5, 5));
    Follower->SetParentColor(true);
    Own->Font()->SetSize(20);
    EXPECT_FALSE(Own->ParentFont());

    Panel->Font()->SetName("DejaVu Sans");
    Panel->Font()->SetSize(14);
    Panel->SetColor(clNavy);
    EXPECT_EQ(Follower->Font()->Size(), 14);
    EXPECT_EQ(Follower->Font()->Name(), "DejaVu Sans");
    EXPECT_TRUE(Follower->ParentFont());
    EXPECT_EQ(Follower->Color(), clNavy);
    EXPECT_EQ(Own->Font()->Size(), 20);
    EXPECT_NE(Own->Color(), clNavy);

    Own->SetParentFont(true);
    EXPECT_EQ(Own->Font()->Size(), 14);
}

TEST_F(ControlsTest, ComponentMessagesReachWindowProcAndItsHook)
{
    TSwatch* Swatch = Add<TSwatch>(FRoot, Rect(0, 0, 5, 5));
    FOriginal = Swatch->WindowProc();
    Swatch->SetWindowProc(TWndMethod::Bind<&ControlsTest::Hook>(this));
    Swatch->SetCaption("x");
    Swatch->SetCaption("x");
    Swatch->SetEnabled(false);
    Swatch->Font()->SetSize(30);
    Swatch->SetColor(clRed);
    EXPECT_EQ(FSeen, (std::vector<UINT>{CM_TEXTCHANGED, CM_ENABLEDCHANGED, CM_FONTCHANGED, CM_COLORCHANGED}));
    EXPECT_EQ(Swatch->Perform(CM_MOUSEENTER, 0, 0), 0);
    EXPECT_TRUE(Swatch->MouseInClient());
}

}  // namespace

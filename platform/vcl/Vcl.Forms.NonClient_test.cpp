// A form that draws its own caption and frame, on the headless screen: the non-client
// messages place its client area, hit tests turn presses into drags and system commands, the
// pointer takes the shape of what it is over, and what reaches the screen is what was painted.
#include <gtest/gtest.h>

#include <vector>

#include "Display.Headless.h"
#include "Vcl.Forms.h"

namespace {

constexpr int kCaption = 20;
constexpr int kBorder = 3;
constexpr int kButton = 16;   // the close, maximise and minimise buttons, right to left

class TFramedForm : public TForm {
    X_CLASS(TFramedForm, TForm)
public:
    std::vector<TMessage> Commands;

protected:
    TFramedForm() = default;
    void WndProc(TMessage& AMessage) override
    {
        switch (AMessage.Msg) {
        case WM_NCCALCSIZE: {
            auto* R = reinterpret_cast<TRect*>(AMessage.LParam);
            *R = Rect(R->Left + kBorder, R->Top + kCaption, R->Right - kBorder, R->Bottom - kBorder);
            return;
        }
        case WM_NCHITTEST:
            AMessage.Result = HitTest(MouseLParamPoint(AMessage.LParam));
            return;
        case WM_NCPAINT: {
            TWindowCanvas* Canvas = TWindowCanvas::Create(this);
            Canvas->Brush()->SetColor(clNavy);
            Canvas->FillRect(Rect(0, 0, Width(), Height()));
            Canvas->Free();
            return;
        }
        case WM_SYSCOMMAND:
            Commands.push_back(AMessage);
            break;
        default:
            break;
        }
        inherited::WndProc(AMessage);
    }

private:
    LRESULT HitTest(TPoint AScreen) const
    {
        int X = AScreen.X - Left(), Y = AScreen.Y - Top();
        if (X >= Width() - kBorder && Y >= Height() - kBorder)
            return HTBOTTOMRIGHT;
        if (X < kBorder)
            return HTLEFT;
        if (Y < kCaption) {
            int FromRight = Width() - X;
            return FromRight <= kButton ? HTCLOSE : FromRight <= 2 * kButton ? HTMAXBUTTON
                   : FromRight <= 3 * kButton                               ? HTMINBUTTON
                                                                            : HTCAPTION;
        }
        return HTCLIENT;
    }
};

// A windowed control that records the points of its clicks.
class TTarget : public TCustomControl {
    X_CLASS(TTarget, TCustomControl)
public:
    std::vector<TPoint> Presses;

protected:
    TTarget() = default;
    void MouseDown(TMouseButton, TShiftState, int AX, int AY) override { Presses.push_back(Point(AX, AY)); }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
};

class NonClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessDisplay()->Reset();
        FForm = TFramedForm::Create(Application);
        FForm->SetBorderStyle(bsNone);
        FForm->SetBounds(100, 50, 200, 120);
        FForm->SetColor(clWhite);
        FTarget = TTarget::Create(FForm);
        FTarget->SetBounds(0, 0, 40, 30);
        FTarget->SetColor(clYellow);
        FTarget->SetCursor(crHandPoint);
        FTarget->SetParent(FForm);
        FForm->Show();
        Application->ProcessMessages();
    }
    void TearDown() override
    {
        FForm->Free();
        Application->ProcessMessages();
    }
    // The screen's mouse messages are in window coordinates.
    void Mouse(UINT AMsg, int AX, int AY)
    {
        PostMessageW(FForm->Handle(), AMsg, AMsg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MakeMouseLParam(AX, AY));
        Application->ProcessMessages();
    }
    void Click(int AX, int AY)
    {
        Mouse(WM_LBUTTONDOWN, AX, AY);
        Mouse(WM_LBUTTONUP, AX, AY);
    }

    TFramedForm* FForm = nullptr;
    TTarget* FTarget = nullptr;
};

TEST_F(NonClientTest, TheClientAreaLiesInsideTheFrameForLayoutInputAndPictures)
{
    EXPECT_EQ(FForm->ClientRect(), Rect(0, 0, 200 - 2 * kBorder, 120 - kCaption - kBorder));
    EXPECT_EQ(FForm->ClientOrigin(), Point(100 + kBorder, 50 + kCaption));
    EXPECT_EQ(FTarget->ClientToScreen(Point(0, 0)), Point(100 + kBorder, 50 + kCaption));
    Click(kBorder + 5, kCaption + 7);
    EXPECT_EQ(FTarget->Presses, std::vector<TPoint>{Point(5, 7)});

    std::vector<uint8_t> Bits;
    int Width = 0, Height = 0;
    ASSERT_TRUE(HeadlessDisplay()->Snapshot(FForm->Handle(), Bits, Width, Height));
    auto Pixel = [&](int AX, int AY) {
        const uint8_t* P = &Bits[(size_t(AY) * Width + AX) * 4];
        return RGB(P[2], P[1], P[0]);
    };
    EXPECT_EQ(Pixel(50, 5), clNavy);
    EXPECT_EQ(Pixel(kBorder + 1, kCaption + 1), clYellow);
    EXPECT_EQ(Pixel(150, 80), clWhite);

    // A change goes up as the part it touched, and the screen keeps the rest.
    FTarget->SetColor(clLime);
    Application->ProcessMessages();
    ASSERT_TRUE(HeadlessDisplay()->Snapshot(FForm->Handle(), Bits, Width, Height));
    EXPECT_EQ(Pixel(kBorder + 1, kCaption + 1), clLime);
    EXPECT_EQ(Pixel(50, 5), clNavy);
    TBitmap* Image = FForm->GetFormImage();
    for (int Y = 0; Y < Height; Y += 7)
        for (int X = 0; X < Width; X += 7) {
            const uint8_t* P = static_cast<const uint8_t*>(Image->ScanLine(Y)) + X * 4;
            ASSERT_EQ(Pixel(X, Y), RGB(P[2], P[1], P[0])) << X << "," << Y;
        }
    Image->Free();
}

TEST_F(NonClientTest, PressesOnTheFrameDragOrRunTheSystemCommands)
{
    struct TCase {
        const char* Name;
        TPoint At;             // in the window
        bool Double;
        WPARAM Command;        // 0: none
        int DragHitCode;       // 0: no drag
    } const kCases[] = {
        {"caption", {60, 10}, false, SC_MOVE | HTCAPTION, HTCAPTION},
        {"left edge", {1, 60}, false, SC_SIZE | 1, HTLEFT},
        {"corner", {199, 119}, false, SC_SIZE | 8, HTBOTTOMRIGHT},
        {"maximise button", {200 - kButton - 5, 10}, false, SC_MAXIMIZE, 0},
        {"maximise again restores", {200 - kButton - 5, 10}, false, SC_RESTORE, 0},
        {"caption double click", {60, 10}, true, SC_MAXIMIZE, 0},
        {"minimise button", {200 - 2 * kButton - 5, 10}, false, SC_MINIMIZE, 0},
        {"close button", {195, 10}, false, SC_CLOSE, 0},
    };
    for (const TCase& C : kCases) {
        FForm->Commands.clear();
        HeadlessDisplay()->BeginMoveResize(nullptr, 0, TPoint());
        if (C.Double) {
            Click(C.At.X, C.At.Y);
            FForm->Commands.clear();
            HeadlessDisplay()->BeginMoveResize(nullptr, 0, TPoint());
            Mouse(WM_LBUTTONDBLCLK, C.At.X, C.At.Y);
            Mouse(WM_LBUTTONUP, C.At.X, C.At.Y);
        } else {
            Click(C.At.X, C.At.Y);
        }
        ASSERT_FALSE(FForm->Commands.empty()) << C.Name;
        EXPECT_EQ(FForm->Commands.front().WParam, C.Command) << C.Name;
        const auto& Drag = HeadlessDisplay()->LastMoveResize();
        if (C.DragHitCode != 0) {
            EXPECT_EQ(Drag.Wnd, FForm->Handle()) << C.Name;
            EXPECT_EQ(Drag.HitCode, C.DragHitCode) << C.Name;
            EXPECT_EQ(Drag.At, Point(FForm->Left() + C.At.X, FForm->Top() + C.At.Y)) << C.Name;
        } else {
            EXPECT_EQ(Drag.Wnd, nullptr) << C.Name;
        }
    }
    EXPECT_TRUE(IsIconic(FForm->Handle()));
    EXPECT_FALSE(FForm->Visible()) << "the close button closes the form";
}

TEST_F(NonClientTest, ThePointerTakesTheShapeOfWhatItIsOver)
{
    struct TCase {
        TPoint At;
        const char* Shape;
    } const kCases[] = {
        {{kBorder + 5, kCaption + 5}, "pointer"},   // the control's crHandPoint
        {{150, 80}, "default"},
        {{199, 119}, "nwse-resize"},
        {{1, 60}, "ew-resize"},
    };
    for (const TCase& C : kCases) {
        Mouse(WM_MOUSEMOVE, C.At.X, C.At.Y);
        EXPECT_EQ(HeadlessDisplay()->WindowCursor(FForm->Handle()), C.Shape) << C.At.X << "," << C.At.Y;
    }
}

}  // namespace

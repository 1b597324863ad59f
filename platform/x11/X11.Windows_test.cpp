// Forms on the test X server (X11.TestDisplay.h). A second
// connection plays the user and the other programs: it sends input with XTEST and reads what
// the server shows. Without a window manager, as on the test server.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "Display.Headless.h"
#include "Display.X11.h"
#include "Vcl.Forms.h"
#include "Win.Display.h"
#include "X11.TestDisplay.h"
#include "X11.TestUser.h"

namespace {

using namespace std::chrono_literals;

// A windowed control that fills itself with its colour, writes its caption and logs what
// reaches it.
class TSwatch : public TCustomControl {
    X_CLASS(TSwatch, TCustomControl)
public:
    std::vector<String> Log;

protected:
    TSwatch() = default;
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        SetTabStop(true);
    }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
        Canvas()->Font()->SetColor(clBlack);
        Canvas()->TextOut(4, 4, Caption());
        Canvas()->Brush()->SetColor(clBlack);
        Canvas()->FrameRect(ClientRect());
    }
    void Click() override
    {
        Log.push_back("click");
        inherited::Click();
    }
    void DblClick() override { Log.push_back("double"); }
    void KeyPress(char32_t& AKey) override { Log.push_back(String("char ") + static_cast<char>(AKey)); }
    void KeyDown(uint16_t& AKey, TShiftState AShift) override
    {
        if (AKey == VK_RETURN)
            Log.push_back(AShift.Contains(ssShift) ? "shift return" : "return");
    }
    void WndProc(TMessage& AMessage) override
    {
        if (AMessage.Msg == WM_MOUSEWHEEL) {
            Log.push_back("wheel " + std::to_string(int16_t(AMessage.WParam >> 16)));
            AMessage.Result = 1;
            return;
        }
        inherited::WndProc(AMessage);
    }
};

// A borderless form that draws its own caption and frame: a red strip of kCaption pixels on
// top, kBorder pixels of grey round the rest, answered through the non-client messages.
class TCaptionForm : public TForm {
    X_CLASS(TCaptionForm, TForm)
public:
    static constexpr int kCaption = 24;
    static constexpr int kBorder = 4;
    std::vector<UINT> Messages;

protected:
    TCaptionForm() = default;
    void WndProc(TMessage& AMessage) override
    {
        Messages.push_back(AMessage.Msg);
        switch (AMessage.Msg) {
        case WM_NCCALCSIZE: {
            auto* R = reinterpret_cast<TRect*>(AMessage.LParam);
            *R = Rect(R->Left + kBorder, R->Top + kCaption, R->Right - kBorder, R->Bottom - kBorder);
            return;
        }
        case WM_NCHITTEST: {
            TPoint At = MouseLParamPoint(AMessage.LParam);
            int X = At.X - Left(), Y = At.Y - Top();
            if (X >= Width() - kBorder && Y >= Height() - kBorder)
                AMessage.Result = HTBOTTOMRIGHT;
            else if (Y < kCaption)
                AMessage.Result = X >= Width() - kCaption ? HTCLOSE : HTCAPTION;
            else
                inherited::WndProc(AMessage);
            return;
        }
        case WM_NCPAINT: {
            TWindowCanvas* Canvas = TWindowCanvas::Create(this);
            Canvas->Brush()->SetColor(clGray);
            Canvas->FillRect(Rect(0, 0, Width(), Height()));
            Canvas->Brush()->SetColor(clRed);
            Canvas->FillRect(Rect(0, 0, Width(), kCaption));
            Canvas->Free();
            return;
        }
        default:
            inherited::WndProc(AMessage);
        }
    }
};

class X11WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestDisplay(FName);
        if (FName == nullptr)
            return;
        FUser = std::make_unique<TXTestUser>(FName);
        ASSERT_TRUE(FUser->Opened()) << "cannot open " << FName;
        UseX11();
    }
    void TearDown() override
    {
        if (FName == nullptr)
            return;
        for (TCustomForm* Form : FForms)
            Form->Free();
        FForms.clear();
        Application->ProcessMessages();
        SetDisplayBackend(nullptr);
    }

    void UseX11()
    {
        std::unique_ptr<TXDisplayBackend> Backend = OpenX11Display(FName);
        ASSERT_TRUE(Backend);
        SetDisplayBackend(std::move(Backend));
    }

    template <class T = TForm>
    T* MakeForm(const TRect& ABounds, TColor AColor = clWhite)
    {
        T* Form = T::Create(Application);
        FForms.push_back(Form);
        Form->SetBorderStyle(bsNone);
        Form->SetBoundsRect(ABounds);
        Form->SetColor(AColor);
        return Form;
    }
    TSwatch* AddSwatch(TWinControl* AParent, const TRect& ABounds, TColor AColor, const String& ACaption)
    {
        TSwatch* Swatch = TSwatch::Create(AParent);
        Swatch->SetBoundsRect(ABounds);
        Swatch->SetColor(AColor);
        Swatch->SetCaption(ACaption);
        Swatch->SetParent(AParent);
        return Swatch;
    }

    // Pumps the application's messages until ACondition holds; fails saying what did not happen.
    void PumpUntil(const std::function<bool()>& ACondition, const char* AWhat)
    {
        auto Deadline = std::chrono::steady_clock::now() + 5s;
        while (!ACondition()) {
            if (std::chrono::steady_clock::now() > Deadline) {
                ADD_FAILURE() << "within 5 s: " << AWhat;
                return;
            }
            Application->ProcessMessages();
            std::this_thread::sleep_for(5ms);
        }
    }
    unsigned long XWindowOf(TCustomForm* AForm) { return TXTestUser::XWindowOf(AForm->Handle()); }
    void ShowAndWait(TCustomForm* AForm)
    {
        AForm->Show();
        PumpUntil([&] { return FUser->Viewable(XWindowOf(AForm)); }, "the form's window shows");
        Application->ProcessMessages();
    }
    std::vector<uint8_t> ScreenPixels(TCustomForm* AForm)
    {
        return FUser->Pixels(XWindowOf(AForm), AForm->Width(), AForm->Height());
    }
    static void ClearAlpha(std::vector<uint8_t>& ABits)
    {
        for (size_t I = 3; I < ABits.size(); I += 4)
            ABits[I] = 0;
    }

    const char* FName = nullptr;
    std::unique_ptr<TXTestUser> FUser;
    std::vector<TCustomForm*> FForms;
};

TEST_F(X11WindowTest, AFormShowsTheSamePixelsAsOnTheHeadlessScreen)
{
    auto Build = [&](TSwatch*& AChanging) {
        // Away from the other tests' windows, which may run at the same time on the server.
        TForm* Form = MakeForm(Rect(1200, 700, 1200 + 240, 700 + 160), clWhite);
        AddSwatch(Form, Rect(10, 10, 110, 60), clYellow, "Öffnen");
        AChanging = AddSwatch(Form, Rect(120, 10, 230, 60), clAqua, "Mai 2026");
        AddSwatch(Form, Rect(10, 70, 230, 150), RGB(200, 120, 40), "Kalender");
        return Form;
    };
    // The headless screen's picture of the form, first as shown and then after a change.
    SetDisplayBackend(std::make_unique<TXHeadlessDisplay>());
    TSwatch* Changing = nullptr;
    TForm* Form = Build(Changing);
    Form->Show();
    Application->ProcessMessages();
    std::vector<uint8_t> Headless, HeadlessChanged;
    int Width = 0, Height = 0;
    ASSERT_TRUE(HeadlessDisplay()->Snapshot(Form->Handle(), Headless, Width, Height));
    Changing->SetColor(clLime);
    Application->ProcessMessages();
    ASSERT_TRUE(HeadlessDisplay()->Snapshot(Form->Handle(), HeadlessChanged, Width, Height));
    ASSERT_NE(Headless, HeadlessChanged);
    ClearAlpha(Headless);
    ClearAlpha(HeadlessChanged);
    Form->Free();
    FForms.clear();
    Application->ProcessMessages();

    UseX11();
    Form = Build(Changing);
    ShowAndWait(Form);
    PumpUntil([&] { return ScreenPixels(Form) == Headless; }, "the screen shows the headless pixels");
    // Only the changed control goes up again; the rest must still be there.
    Changing->SetColor(clLime);
    PumpUntil([&] { return ScreenPixels(Form) == HeadlessChanged; }, "the screen shows the change");
    // What another window covered comes back from the kept picture, without a repaint.
    FUser->DestroyWindow(FUser->CoverWith(Rect(1220, 720, 1320, 820)));
    PumpUntil([&] { return ScreenPixels(Form) == HeadlessChanged; }, "the covered part is shown again");
}

TEST_F(X11WindowTest, KeysAndClicksReachTheControlsTheyAreMeantFor)
{
    TForm* Form = MakeForm(Rect(100, 100, 100 + 300, 100 + 120));
    TSwatch* Left = AddSwatch(Form, Rect(10, 10, 140, 110), clYellow, "left");
    TSwatch* Right = AddSwatch(Form, Rect(160, 10, 290, 110), clAqua, "right");
    ShowAndWait(Form);

    FUser->Click(100 + 200, 100 + 50);
    PumpUntil([&] { return !Right->Log.empty(); }, "the right control hears the click");
    EXPECT_TRUE(Right->Focused());
    FUser->Type({"h", "i"});
    PumpUntil([&] { return Right->Log.size() >= 3; }, "the right control hears two characters");
    FUser->Key("Shift_L", true);
    FUser->Type({"Return"});
    FUser->Key("Shift_L", false);
    FUser->Click(100 + 200, 100 + 50, 4);   // the wheel turned away from the user
    PumpUntil([&] { return Right->Log.size() >= 6; }, "the right control hears Shift+Return and the wheel");
    EXPECT_EQ(Right->Log, (std::vector<String>{"click", "char h", "char i", "shift return", "char \r", "wheel 120"}));

    FUser->Click(100 + 50, 100 + 50);
    FUser->Click(100 + 50, 100 + 50);
    PumpUntil([&] { return Left->Log.size() >= 2; }, "the left control hears a click and a double click");
    EXPECT_EQ(Left->Log, (std::vector<String>{"click", "double"}));
    EXPECT_TRUE(Left->Focused());
    EXPECT_EQ(Right->Log.size(), 6u);
}

TEST_F(X11WindowTest, ASelfDrawnCaptionAndFrameDragAndSizeTheWindow)
{
    auto* Form = MakeForm<TCaptionForm>(Rect(200, 200, 200 + 200, 200 + 150), clWhite);
    ShowAndWait(Form);
    // The frame is the form's: the client area starts below the caption.
    EXPECT_EQ(Form->ClientRect(), Rect(0, 0, 200 - 2 * TCaptionForm::kBorder, 150 - TCaptionForm::kCaption - TCaptionForm::kBorder));
    std::vector<uint8_t> Pixels = ScreenPixels(Form);
    auto Pixel = [&](int AX, int AY) {
        const uint8_t* P = &Pixels[(size_t(AY) * Form->Width() + AX) * 4];
        return RGB(P[2], P[1], P[0]);
    };
    EXPECT_EQ(Pixel(50, 10), clRed);
    EXPECT_EQ(Pixel(1, 100), clGray);
    EXPECT_EQ(Pixel(50, 100), clWhite);

    struct TCase {
        const char* Name;
        TPoint Grab;   // in the window
        TPoint Move;
        TRect Expected;
    } const kCases[] = {
        {"caption", {60, 10}, {100, 40}, Rect(300, 240, 500, 390)},
        {"bottom-right corner", {198, 148}, {30, 20}, Rect(300, 240, 530, 410)},
    };
    for (const TCase& C : kCases) {
        TRect Start = Form->BoundsRect();
        FUser->MovePointer(Start.Left + C.Grab.X, Start.Top + C.Grab.Y);
        FUser->Button(1, true);
        Application->ProcessMessages();
        FUser->MovePointer(Start.Left + C.Grab.X + C.Move.X, Start.Top + C.Grab.Y + C.Move.Y);
        Application->ProcessMessages();
        FUser->Button(1, false);
        // Done when the window is there and the drag has seen the button come up.
        PumpUntil([&] { return std::count(Form->Messages.begin(), Form->Messages.end(), WM_EXITSIZEMOVE) == 1; }, C.Name);
        Form->Messages.clear();
        TRect OnScreen;
        ASSERT_TRUE(GetWindowRect(Form->Handle(), OnScreen));
        EXPECT_EQ(OnScreen, C.Expected) << C.Name;
    }
    // The caption's close button closes the form.
    FUser->Click(Form->Left() + Form->Width() - 5, Form->Top() + 5);
    PumpUntil([&] { return !Form->Visible(); }, "the close button hides the form");
}

// A picture of the program's own becomes the server's pointer over the window; a theme's shape
// still works beside it.
TEST_F(X11WindowTest, ThePointerShowsTheProgramsOwnPicture)
{
    TXCursorImage Cross;
    Cross.Width = 11;
    Cross.Height = 9;
    Cross.HotSpot = Point(5, 4);
    Cross.Pixels.assign(11 * 9, 0);
    for (int I = 0; I < 11; ++I)
        Cross.Pixels[4 * 11 + I] = 0xFF000000u;
    for (int I = 0; I < 9; ++I)
        Cross.Pixels[I * 11 + 5] = 0xFFFFFFFFu;
    DefineCursorImage("test-cross", Cross);

    TForm* Form = MakeForm(Rect(200, 200, 200 + 100, 200 + 100), clWhite);
    ShowAndWait(Form);
    FUser->MovePointer(250, 250);
    struct TCase {
        const char* Shape;
        bool Own;
    };
    for (TCase C : {TCase{"test-cross", true}, TCase{"default", false}}) {
        SetWindowCursor(Form->Handle(), C.Shape);
        auto ShowsOwn = [&] {
            int Width = 0, Height = 0;
            TPoint HotSpot;
            EXPECT_TRUE(FUser->PointerPicture(Width, Height, HotSpot)) << "the test server has XFIXES";
            return Width == 11 && Height == 9 && HotSpot == Point(5, 4);
        };
        PumpUntil([&] { return ShowsOwn() == C.Own; }, C.Shape);
    }
}

TEST_F(X11WindowTest, AShapedWindowHasItsShape)
{
    TForm* Form = MakeForm(Rect(300, 300, 300 + 120, 300 + 80), clBlue);
    ShowAndWait(Form);
    HRGN Region = CreateRoundRectRgn(0, 0, 120, 80, 20, 20);
    HRGN Hole = CreateRectRgn(40, 20, 80, 60);
    ASSERT_EQ(CombineRgn(Region, Region, Hole, RGN_DIFF), COMPLEXREGION);
    DeleteObject(Hole);
    std::vector<TRect> Expected = RegionRects(Region);
    ASSERT_TRUE(SetWindowRgn(Form->Handle(), Region, true));

    EXPECT_EQ(FUser->Shape(XWindowOf(Form)), Expected);

    // The pointer over the hole is over what lies below, not over the form.
    FUser->MovePointer(300 + 60, 300 + 40);
    EXPECT_NE(FUser->WindowAtPointer(), XWindowOf(Form));
    FUser->MovePointer(300 + 20, 300 + 40);
    EXPECT_EQ(FUser->WindowAtPointer(), XWindowOf(Form));

    ASSERT_TRUE(SetWindowRgn(Form->Handle(), nullptr, true));
    EXPECT_EQ(FUser->Shape(XWindowOf(Form)), std::vector<TRect>{Rect(0, 0, 120, 80)});
}

class ModalTest : public X11WindowTest {
public:
    void ModalShown(TObject*) { FModalShown = true; }
    void Finish(TObject*)
    {
        FOwnerEnabledMeanwhile = IsWindowEnabled(FOwner->Handle());
        FModal->SetModalResult(mrOk);
    }

protected:
    TForm* FOwner = nullptr;
    TForm* FModal = nullptr;
    std::atomic<bool> FModalShown{false};
    bool FOwnerEnabledMeanwhile = true;
};

TEST_F(ModalTest, AModalFormDisablesItsOwnerAndStaysAboveIt)
{
    FOwner = MakeForm(Rect(50, 400, 50 + 300, 400 + 200), clWhite);
    TSwatch* OwnerSwatch = AddSwatch(FOwner, Rect(0, 0, 300, 200), clYellow, "owner");
    ShowAndWait(FOwner);
    FModal = MakeForm(Rect(500, 400, 500 + 100, 400 + 100), clWhite);
    TSwatch* Ok = AddSwatch(FModal, Rect(0, 0, 100, 100), clLime, "OK");
    Ok->SetOnClick(TNotifyEvent::Bind<&ModalTest::Finish>(this));
    FModal->SetOnShow(TNotifyEvent::Bind<&ModalTest::ModalShown>(this));

    // The user, meanwhile: a click on the owner, then on the dialog's button.
    std::atomic<bool> Stop{false};
    HWND Modal = FModal->Handle();
    std::thread User([&, Modal] {
        TXTestUser Hands(FName);
        auto Deadline = std::chrono::steady_clock::now() + 5s;
        while (!FModalShown && !Stop && std::chrono::steady_clock::now() < Deadline)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(100ms);   // the dialog maps
        for (TPoint At : {Point(150, 500), Point(550, 450)}) {
            Hands.Click(At.X, At.Y);
            std::this_thread::sleep_for(100ms);
        }
        // A dialog that the click did not close must not hang the test.
        Deadline = std::chrono::steady_clock::now() + 5s;
        while (!Stop && std::chrono::steady_clock::now() < Deadline)
            std::this_thread::sleep_for(10ms);
        if (!Stop)
            PostMessageW(Modal, WM_CLOSE, 0, 0);
    });
    TModalResult Result = FModal->ShowModal();
    Stop = true;
    User.join();
    EXPECT_EQ(Result, mrOk);
    EXPECT_FALSE(FOwnerEnabledMeanwhile);
    EXPECT_TRUE(OwnerSwatch->Log.empty()) << "the disabled owner heard a click";
    EXPECT_TRUE(IsWindowEnabled(FOwner->Handle()));
    EXPECT_EQ(FUser->TransientFor(XWindowOf(FModal)), XWindowOf(FOwner));
}

TEST_F(X11WindowTest, TheDesktopsCloseRequestClosesTheForm)
{
    TForm* Form = MakeForm(Rect(10, 10, 110, 110));
    ShowAndWait(Form);
    FUser->SendDeleteWindow(XWindowOf(Form));
    PumpUntil([&] { return !Form->Visible(); }, "WM_DELETE_WINDOW closes the form");
}

TEST_F(X11WindowTest, WindowAttributesReachTheWindowManagersProperties)
{
    TForm* Form = MakeForm(Rect(10, 10, 110, 110));
    Form->SetBorderStyle(bsSizeable);
    Form->SetFormStyle(fsStayOnTop);
    Form->SetAlphaBlend(true);
    Form->SetAlphaBlendValue(128);
    ShowAndWait(Form);
    auto Atoms = [&](const char* AProperty) { return FUser->Property(XWindowOf(Form), AProperty); };
    // Owned by the application's hidden window, which counts as no owner: on the task bar.
    EXPECT_EQ(Atoms("_NET_WM_STATE"), std::vector<String>{"_NET_WM_STATE_ABOVE"});
    EXPECT_EQ(Atoms("_NET_WM_WINDOW_OPACITY"), std::vector<String>{std::to_string(128ul * 0x01010101ul)});
    EXPECT_EQ(Atoms("_MOTIF_WM_HINTS")[2], "1");   // decorated

    Form->SetAlphaBlend(false);
    Form->SetBorderStyle(bsNone);
    Application->ProcessMessages();
    EXPECT_TRUE(Atoms("_NET_WM_WINDOW_OPACITY").empty());
    EXPECT_EQ(Atoms("_MOTIF_WM_HINTS")[2], "0");
}

TEST_F(X11WindowTest, AChangeOfTheDesktopsDpiReachesOurWindows)
{
    auto* Form = MakeForm<TCaptionForm>(Rect(10, 10, 110, 110));
    ShowAndWait(Form);
    FUser->SetResources("Xft.dpi:\t144\n");
    PumpUntil([&] { return std::count(Form->Messages.begin(), Form->Messages.end(), WM_DPICHANGED) == 1; },
              "WM_DPICHANGED arrives");
    EXPECT_EQ(GetScreenLogicalDpi(), (TXDpi{144, 144}));
    FUser->SetResources(nullptr);
    PumpUntil([&] { return std::count(Form->Messages.begin(), Form->Messages.end(), WM_DPICHANGED) == 2; },
              "WM_DPICHANGED arrives for the way back");
}

// Another program (a connection of its own on a thread) and we hand text, rich text and an
// image across, both ways; the owner answers while it pumps its messages.
TEST_F(X11WindowTest, TheClipboardCarriesTextRichTextAndImagesBetweenPrograms)
{
    const std::vector<TXClipboardItem> kOurs = {
        {"text/plain;charset=utf-8", "Grüße – 2026"},
        {"text/rtf", "{\\rtf1 {\\b bold}}"},
        {"image/bmp", std::string("BM\0\0binary", 11)},
    };
    ASSERT_TRUE(DisplayBackend().SetClipboard(kOurs));
    std::vector<String> TheirFormats;
    std::string TheirText, TheirLegacyText, TheirImage;
    std::atomic<bool> Done{false};
    std::thread Other([&] {
        std::unique_ptr<TXDisplayBackend> Program = OpenX11Display(FName);
        TheirFormats = Program->ClipboardFormats();
        Program->ClipboardData("text/plain;charset=utf-8", TheirText);
        Program->ClipboardData("UTF8_STRING", TheirLegacyText);
        Program->ClipboardData("image/bmp", TheirImage);
        Done = true;
    });
    PumpUntil([&] { return Done.load(); }, "the other program reads the clipboard");
    Other.join();
    EXPECT_EQ(TheirFormats, (std::vector<String>{"text/plain;charset=utf-8", "text/rtf", "image/bmp"}));
    EXPECT_EQ(TheirText, kOurs[0].Data);
    EXPECT_EQ(TheirLegacyText, kOurs[0].Data);
    EXPECT_EQ(TheirImage, kOurs[2].Data);

    // The other way: the other program owns the clipboard and answers from its thread.
    std::atomic<bool> Offered{false}, Stop{false};
    std::thread Owner([&] {
        std::unique_ptr<TXDisplayBackend> Program = OpenX11Display(FName);
        auto* Source = Program->MessageSource();
        Offered = Program->SetClipboard({{"text/plain;charset=utf-8", "von drüben"}});
        while (!Stop) {
            Source->Dispatch();
            std::this_thread::sleep_for(2ms);
        }
    });
    PumpUntil([&] { return Offered.load(); }, "the other program takes the clipboard");
    EXPECT_EQ(DisplayBackend().ClipboardFormats(), std::vector<String>{"text/plain;charset=utf-8"});
    std::string Text;
    EXPECT_TRUE(DisplayBackend().ClipboardData("text/plain;charset=utf-8", Text));
    EXPECT_EQ(Text, "von drüben");
    EXPECT_FALSE(DisplayBackend().ClipboardData("text/rtf", Text));
    Stop = true;
    Owner.join();
}

}  // namespace

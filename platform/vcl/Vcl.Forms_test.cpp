// Forms: showing, closing, modal loops, placement, key preview and their picture.
#include "Vcl.Forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <vector>

#include "Display.Headless.h"
#include "Rtl.SysUtils.h"
#include "Rtl.TestWait.h"
#include "Rtl.Threads.h"
#include "Vcl.StdCtrls.h"
#include "Vcl.TestInput.h"

namespace {

// ---- Forms -------------------------------------------------------------------------------

// A painted square that stands in for a button.
class TTestButton : public TGraphicControl {
    X_CLASS(TTestButton, TGraphicControl)
protected:
    TTestButton() = default;
    void Paint() override { Canvas()->FillRect(ClientRect()); }
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FForm = TForm::Create(Application);
        FForm->SetBounds(0, 0, 200, 100);
        FForm->SetColor(clWhite);
    }
    void TearDown() override
    {
        FForm->Free();
        Application->ProcessMessages();
    }
    void Click(TCustomForm* AForm, int AX, int AY)
    {
        PostMessageW(AForm->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeMouseLParam(AX, AY));
        PostMessageW(AForm->Handle(), WM_LBUTTONUP, 0, MakeMouseLParam(AX, AY));
    }
    TTestButton* AddButton(TWinControl* AParent, const TRect& ABounds)
    {
        TTestButton* Button = TTestButton::Create(AParent);
        Button->SetBoundsRect(ABounds);
        Button->SetParent(AParent);
        return Button;
    }

public:
    void Log(TObject* ASender) { FLog.push_back(static_cast<TComponent*>(ASender)->Name()); }
    void Ok(TObject*) { FForm->SetModalResult(mrOk); }
    void RefuseOnce(TObject*, bool& ACanClose)
    {
        FLog.push_back(FForm->Visible() ? "query shown" : "query hidden");
        ACanClose = ++FQueries > 1;
    }
    void Keep(TObject*, TCloseAction& AAction) { AAction = FCloseAction; }
    void Swallow(TObject*, uint16_t& AKey, TShiftState)
    {
        FLog.push_back("form " + std::to_string(AKey));
        if (AKey == 'X')
            AKey = 0;
    }
    void ControlKey(TObject*, uint16_t& AKey, TShiftState) { FLog.push_back("control " + std::to_string(AKey)); }

protected:
    TForm* FForm = nullptr;
    std::vector<String> FLog;
    int FQueries = 0;
    TCloseAction FCloseAction = caHide;
};

TEST_F(FormTest, ShowModalRunsUntilAButtonSetsTheResultAndTheFormMayClose)
{
    TForm* Other = TForm::Create(Application);
    Other->Show();
    AddButton(FForm, Rect(10, 10, 50, 30))->SetOnClick(TNotifyEvent::Bind<&FormTest::Ok>(this));
    FForm->SetOnCloseQuery(TCloseQueryEvent::Bind<&FormTest::RefuseOnce>(this));
    Click(FForm, 100, 50);   // beside the button: nothing
    Click(FForm, 20, 20);    // refused: the loop goes on
    Click(FForm, 20, 20);

    EXPECT_EQ(FForm->ShowModal(), mrOk);
    EXPECT_EQ(FLog, (std::vector<String>{"query shown", "query shown"}));
    EXPECT_FALSE(FForm->Visible());
    EXPECT_FALSE(IsWindowVisible(FForm->Handle()));
    EXPECT_TRUE(Other->Enabled()) << "enabled again after the modal loop";
    EXPECT_TRUE(Other->Active()) << "the form the modal one was opened from is active again";
    EXPECT_EQ(ActiveForm(), Other);
    EXPECT_THROW(Other->ShowModal(), EInvalidOperation);
    Other->Free();
}

TEST_F(FormTest, CloseAsksTheFormAndDoesWhatOnCloseSays)
{
    FForm->SetName("Form");
    FForm->SetOnHide(TNotifyEvent::Bind<&FormTest::Log>(this));
    FForm->SetOnCloseQuery(TCloseQueryEvent::Bind<&FormTest::RefuseOnce>(this));
    FForm->SetOnClose(TCloseEvent::Bind<&FormTest::Keep>(this));
    FForm->Show();
    FForm->Close();
    EXPECT_TRUE(FForm->Visible()) << "refused";
    FCloseAction = caNone;
    FForm->Close();
    EXPECT_TRUE(FForm->Visible());
    FCloseAction = caHide;
    PostMessageW(FForm->Handle(), WM_CLOSE, 0, 0);
    Application->ProcessMessages();
    EXPECT_FALSE(FForm->Visible());
    EXPECT_EQ(FLog, (std::vector<String>{"query shown", "query shown", "query shown", "Form"}));

    TForm* Freed = TForm::Create(Application);
    Freed->SetName("Freed");
    Freed->SetOnDestroy(TNotifyEvent::Bind<&FormTest::Log>(this));
    FCloseAction = caFree;
    Freed->SetOnClose(TCloseEvent::Bind<&FormTest::Keep>(this));
    Freed->Show();
    Freed->Close();
    EXPECT_EQ(FLog.back(), "Form") << "freed only once the queue is served";
    Application->ProcessMessages();
    EXPECT_EQ(FLog.back(), "Freed");
    EXPECT_EQ(Application->FindComponent("Freed"), nullptr);
}

TEST_F(FormTest, ShowPlacesTheFormAndMovesActivation)
{
    TForm* Main = nullptr;
    Application->CreateForm(Main);
    ASSERT_EQ(Application->MainForm(), Main);
    Main->SetBounds(100, 100, 400, 300);
    Main->SetName("Main");
    Main->SetOnDeactivate(TNotifyEvent::Bind<&FormTest::Log>(this));
    Main->Show();
    EXPECT_TRUE(Main->Active());

    struct TCase {
        TPosition Position;
        TPoint Expected;
    };
    const TCase Cases[] = {
        {poDesigned, Point(7, 9)}, {poScreenCenter, Point(860, 490)}, {poMainFormCenter, Point(200, 200)},
    };
    for (const TCase& Case : Cases) {
        TForm* Form = TForm::Create(Application);
        Form->SetBounds(7, 9, 200, 100);
        Form->SetPosition(Case.Position);
        Form->SetCaption("Placed");
        Form->Show();
        TRect Window;
        ASSERT_TRUE(GetWindowRect(Form->Handle(), Window));
        EXPECT_EQ(Point(Window.Left, Window.Top), Case.Expected) << int(Case.Position);
        EXPECT_EQ(Point(Form->Left(), Form->Top()), Case.Expected);
        EXPECT_TRUE(IsWindowVisible(Form->Handle()));
        EXPECT_EQ(GetWindowTextW(Form->Handle(), 100), "Placed");
        EXPECT_EQ(GetForegroundWindow(), Form->Handle());
        Form->Free();
    }
    EXPECT_FALSE(Main->Active());
    EXPECT_EQ(FLog, (std::vector<String>{"Main"}));
    Main->Free();
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(FormTest, KeyPreviewLetsTheFormSeeAndSwallowKeysFirst)
{
    TFrame* Frame = TFrame::Create(FForm);
    Frame->SetParent(FForm);
    Frame->SetTabStop(true);
    Frame->SetOnKeyDown(TKeyEvent::Bind<&FormTest::ControlKey>(this));
    FForm->SetOnKeyDown(TKeyEvent::Bind<&FormTest::Swallow>(this));
    FForm->Show();
    Frame->SetFocus();
    for (bool Preview : {false, true}) {
        FForm->SetKeyPreview(Preview);
        for (uint16_t Key : {uint16_t('X'), uint16_t('Y')})
            PostMessageW(FForm->Handle(), WM_KEYDOWN, Key, 0);
        Application->ProcessMessages();
    }
    EXPECT_EQ(FLog, (std::vector<String>{"control 88", "control 89", "form 88", "form 89", "control 89"}));
}

TEST_F(FormTest, AFormPaintsItsAlignedChildrenIntoItsPicture)
{
    TTestButton* Top = AddButton(FForm, Rect(0, 0, 10, 20));
    Top->SetAlign(alTop);
    Top->SetColor(clRed);
    TFrame* Frame = TFrame::Create(FForm);
    Frame->SetParent(FForm);
    Frame->SetAlign(alClient);
    TTestButton* Right = AddButton(Frame, Rect(0, 0, 30, 10));
    Right->SetAlign(alRight);
    Right->SetColor(clBlue);
    FForm->Show();

    TBitmap* Image = FForm->GetFormImage();
    struct TCase {
        int X, Y;
        TColor Expected;
    };
    const TCase Cases[] = {
        {0, 0, clRed}, {199, 19, clRed}, {0, 20, clWhite}, {169, 99, clWhite}, {170, 20, clBlue}, {199, 99, clBlue},
    };
    for (const TCase& Case : Cases) {
        EXPECT_EQ(Image->Canvas()->Pixels(Case.X, Case.Y), Case.Expected) << Case.X << "," << Case.Y;
        EXPECT_EQ(FForm->PixelAt(Case.X, Case.Y), Case.Expected);
    }
    Image->Free();
}

// ---- Hints -------------------------------------------------------------------------------

class HintTest : public UserInputTest {
public:
    void HintChanged(TObject*) { FLog.push_back("hint " + Application->Hint()); }
    void ShowingHint(String& AHintStr, bool& ACanShow, THintInfo& AHintInfo)
    {
        FLog.push_back("showing " + AHintStr);
        ACanShow = FCanShow;
        AHintStr += FAppend;
        AHintInfo.HideTimeout = FHideTimeout;
    }

protected:
    void SetUp() override
    {
        UserInputTest::SetUp();
        Application->SetHintPause(1);
        // OnHint fires on a change only: a hint left by an earlier test would swallow the first.
        Application->SetHint("");
        Application->SetOnHint(TNotifyEvent::Bind<&HintTest::HintChanged>(this));
        Application->SetOnShowHint(TShowHintEvent::Bind<&HintTest::ShowingHint>(this));
        FButton = Add<TButton>(Rect(10, 10, 90, 35));
        FButton->SetHint("Save|Saves the page");
        FButton->SetShowHint(true);
        FPlain = Add<TButton>(Rect(10, 60, 90, 85));
        FPlain->SetHint("No tip here");
    }
    void TearDown() override
    {
        Application->SetOnHint({});
        Application->SetOnShowHint({});
        Application->SetHintPause(500);
        UserInputTest::TearDown();
    }
    // Moves the pointer over the control and waits for its hint.
    testing::AssertionResult HoverUntilShown(TControl* AControl, int AX = 5, int AY = 5)
    {
        MouseAt(WM_MOUSEMOVE, AControl, AX, AY);
        return PollUntil("the hint window shows", [] { return ShownHintWindow() != nullptr; },
                         [] { Application->ProcessMessages(); });
    }
    // No hint shows while the loop serves the timers for a while (past the pause).
    testing::AssertionResult StaysHidden()
    {
        for (int I = 0; I < 20; ++I) {
            Application->ProcessMessages();
            Sleep(2);
        }
        if (ShownHintWindow() != nullptr)
            return testing::AssertionFailure() << "a hint shows: " << ShownHintWindow()->Caption();
        return testing::AssertionSuccess();
    }
    std::vector<String> TakeLog() { return std::exchange(FLog, {}); }

    TButton* FButton = nullptr;
    TButton* FPlain = nullptr;
    std::vector<String> FLog;
    bool FCanShow = true;
    String FAppend;
    int FHideTimeout = 0;
};

TEST_F(HintTest, TheShortHintShowsBelowThePointerAndTheLongOneGoesToTheApplication)
{
    ASSERT_TRUE(HoverUntilShown(FButton, 20, 10));
    THintWindow* Window = ShownHintWindow();
    EXPECT_EQ(Window->Caption(), "Save");
    TPoint Pointer = FButton->ClientToScreen(Point(20, 10));
    EXPECT_EQ(Window->Left(), Pointer.X);
    EXPECT_GT(Window->Top(), Pointer.Y);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"hint Saves the page", "showing Save"}));

    // A control without ShowHint gives the application its hint but shows none.
    MouseAt(WM_MOUSEMOVE, FPlain, 5, 5);
    EXPECT_TRUE(StaysHidden());
    EXPECT_EQ(TakeLog(), (std::vector<String>{"hint No tip here"}));
    MouseAt(WM_MOUSEMOVE, FForm, 200, 200);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"hint "}));
}

TEST_F(HintTest, OnShowHintChangesOrRefusesTheHint)
{
    FAppend = " (Ctrl+S)";
    ASSERT_TRUE(HoverUntilShown(FButton));
    EXPECT_EQ(ShownHintWindow()->Caption(), "Save (Ctrl+S)");
    MouseAt(WM_MOUSEMOVE, FForm, 200, 200);
    EXPECT_EQ(ShownHintWindow(), nullptr);
    FCanShow = false;
    MouseAt(WM_MOUSEMOVE, FButton, 5, 5);
    ASSERT_TRUE(PollUntil("the hint is asked for", [&] { return FLog.size() >= 4; }, [] { Application->ProcessMessages(); }));
    EXPECT_TRUE(StaysHidden());
}

TEST_F(HintTest, TheHintGoesOnLeavingPressingAKeyOrAButtonAndAfterItsTime)
{
    struct TCase {
        const char* Name;
        std::function<void()> Do;
        bool ComesBackOnMove;   // over the same control, without leaving it
    };
    const TCase Cases[] = {
        {"leaving", [&] { MouseAt(WM_MOUSEMOVE, FForm, 200, 200); }, false},
        {"the window left", [&] { Post(FForm, WM_MOUSELEAVE, 0, 0); }, true},
        {"a click", [&] { Click(FButton, 5, 5); }, false},
        {"a key", [&] { Press(VK_SHIFT); }, false},
        {"the program", [&] { Application->CancelHint(); }, true},
        {"its time", [&] {
             MouseAt(WM_MOUSEMOVE, FForm, 200, 200);
             FHideTimeout = 1;
             ASSERT_TRUE(HoverUntilShown(FButton));
             ASSERT_TRUE(PollUntil("the hint hides by itself", [] { return ShownHintWindow() == nullptr; },
                                   [] { Application->ProcessMessages(); }));
         }, false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        FHideTimeout = 0;
        MouseAt(WM_MOUSEMOVE, FForm, 200, 200);
        ASSERT_TRUE(HoverUntilShown(FButton));
        C.Do();
        EXPECT_EQ(ShownHintWindow(), nullptr);
        MouseAt(WM_MOUSEMOVE, FButton, 6, 6);
        if (C.ComesBackOnMove)
            EXPECT_TRUE(PollUntil("the hint shows again", [] { return ShownHintWindow() != nullptr; },
                                  [] { Application->ProcessMessages(); }));
        else if (std::string_view(C.Name) != "leaving")
            EXPECT_TRUE(StaysHidden());
    }
}

TEST_F(HintTest, ActivateHintShowsTheNewHintOfTheControlUnderThePointer)
{
    ASSERT_TRUE(HoverUntilShown(FButton));
    Application->CancelHint();
    FButton->SetHint("Print");
    Application->ActivateHint(FButton->ClientToScreen(Point(5, 5)));
    ASSERT_TRUE(PollUntil("the new hint shows", [] { return ShownHintWindow() != nullptr; }, [] { Application->ProcessMessages(); }));
    EXPECT_EQ(ShownHintWindow()->Caption(), "Print");
}

TEST_F(HintTest, AControlFreedWhileItsHintShowsTakesTheHintAlong)
{
    ASSERT_TRUE(HoverUntilShown(FButton));
    FButton->Free();
    EXPECT_EQ(ShownHintWindow(), nullptr);
    MouseAt(WM_MOUSEMOVE, FPlain, 5, 5);
    EXPECT_TRUE(StaysHidden());
}

}  // namespace

// The standard controls and a dialog on the test X server (X11.TestDisplay.h), driven as a user
// drives them: the pointer and the keys go in through XTEST, and the X11 backend's input
// method turns keys into characters.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "Display.X11.h"
#include "Vcl.Dialogs.h"
#include "Vcl.StdCtrls.h"
#include "Win.Display.h"
#include "X11.TestDisplay.h"
#include "X11.TestUser.h"

namespace {

using namespace std::chrono_literals;

class X11ControlsTest : public ::testing::Test {
public:
    void Clicked(TObject* ASender) { FLog.push_back(static_cast<TComponent*>(ASender)->Name()); }

protected:
    void SetUp() override
    {
        UseTestDisplay(FName);
        if (FName == nullptr)
            return;
        FUser = std::make_unique<TXTestUser>(FName);
        ASSERT_TRUE(FUser->Opened()) << "cannot open " << FName;
        std::unique_ptr<TXDisplayBackend> Backend = OpenX11Display(FName);
        ASSERT_TRUE(Backend);
        SetDisplayBackend(std::move(Backend));
    }
    void TearDown() override
    {
        if (FName == nullptr)
            return;
        FUser.reset();
        if (FForm != nullptr)
            FForm->Free();
        Application->ProcessMessages();
        SetDisplayBackend(nullptr);
    }

    // Pumps the application's messages until ACondition holds; fails saying what did not happen.
    bool PumpUntil(const std::function<bool()>& ACondition, const String& AWhat)
    {
        auto Deadline = std::chrono::steady_clock::now() + 5s;
        while (!ACondition()) {
            if (std::chrono::steady_clock::now() > Deadline) {
                ADD_FAILURE() << "within 5 s: " << AWhat;
                return false;
            }
            Application->ProcessMessages();
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }
    template <class T>
    T* Add(const char* AName, const TRect& ABounds)
    {
        T* Control = T::Create(FForm);
        Control->SetName(AName);
        Control->SetParent(FForm);
        Control->SetBoundsRect(ABounds);
        return Control;
    }
    // The middle of the control, on the screen.
    TPoint Middle(TControl* AControl)
    {
        return AControl->ClientToScreen(Point(AControl->Width() / 2, AControl->Height() / 2));
    }
    void ClickOn(TControl* AControl, int AX = -1, int AY = -1)
    {
        TPoint At = AX < 0 ? Middle(AControl) : AControl->ClientToScreen(Point(AX, AY));
        FUser->Click(At.X, At.Y);
    }

    const char* FName = nullptr;
    std::unique_ptr<TXTestUser> FUser;
    TForm* FForm = nullptr;
    std::vector<String> FLog;
};

TEST_F(X11ControlsTest, TheStandardControlsAnswerThePointerAndTheKeys)
{
    // Away from the windows of the other X11 tests.
    FForm = TForm::Create(Application);
    FForm->SetBorderStyle(bsNone);
    FForm->SetBounds(700, 60, 400, 300);
    auto* Edit = Add<TEdit>("Edit", Rect(10, 10, 150, 31));
    auto* Go = Add<TButton>("Go", Rect(160, 8, 235, 33));
    Go->SetCaption("Go");
    auto* Check = Add<TCheckBox>("Check", Rect(10, 45, 150, 64));
    Check->SetCaption("Check");
    auto* List = Add<TListBox>("List", Rect(10, 75, 150, 175));
    auto* Combo = Add<TComboBox>("Combo", Rect(160, 75, 300, 96));
    Combo->SetStyle(csDropDownList);
    auto* Ok = Add<TButton>("Ok", Rect(240, 260, 315, 285));
    Ok->SetCaption("OK");
    Ok->SetDefault(true);
    auto* Cancel = Add<TButton>("Cancel", Rect(320, 260, 395, 285));
    Cancel->SetCaption("Cancel");
    Cancel->SetCancel(true);
    for (const char* Item : {"Alpha", "Beta", "Gamma", "Delta"})
        List->Items()->Add(Item);
    for (const char* Item : {"Red", "Green", "Blue"})
        Combo->Items()->Add(Item);
    for (TButton* Button : {Go, Ok, Cancel})
        Button->SetOnClick(TNotifyEvent::Bind<&X11ControlsTest::Clicked>(this));
    FForm->Show();
    ASSERT_TRUE(PumpUntil([&] { return FUser->Viewable(TXTestUser::XWindowOf(FForm->Handle())); }, "the form shows"));

    auto Logged = [&](const char* AName) { return [&, AName] { return !FLog.empty() && FLog.back() == AName; }; };
    struct TCase {
        const char* What;
        std::function<void()> Act;
        std::function<bool()> Done;
    };
    const TCase Cases[] = {
        {"a click on a button", [&] { ClickOn(Go); }, Logged("Go")},
        {"a click in the edit and Latin keys", [&] { ClickOn(Edit); FUser->Type({"h", "i"}); },
         [&] { return Edit->Text() == "hi"; }},
        {"a character the keyboard has no key for", [&] { FUser->TypeChar(U'é'); }, [&] { return Edit->Text() == "hié"; }},
        {"a Cyrillic character", [&] { FUser->TypeChar(U'Ж'); }, [&] { return Edit->Text() == "hiéЖ"; }},
        {"Tab to the button", [&] { FUser->EndText(); FUser->Type({"Tab"}); }, [&] { return Go->Focused(); }},
        {"Tab to the check box", [&] { FUser->Type({"Tab"}); }, [&] { return Check->Focused(); }},
        {"Space on the check box", [&] { FUser->Type({"space"}); }, [&] { return Check->Checked(); }},
        {"a click on a list item", [&] { ClickOn(List, 20, List->ItemRect(1).Top + 8); },
         [&] { return List->Focused() && List->ItemIndex() == 1; }},
        {"arrows in the list", [&] { FUser->Type({"Down", "Down", "Up"}); }, [&] { return List->ItemIndex() == 2; }},
        {"type-to-find in the list", [&] { FUser->Type({"d"}); }, [&] { return List->ItemIndex() == 3; }},
        {"Enter for the default button", [&] { FUser->Type({"Return"}); }, Logged("Ok")},
        {"Escape for the cancel button", [&] { FUser->Type({"Escape"}); }, Logged("Cancel")},
        {"a click drops the combo box down", [&] { ClickOn(Combo); }, [&] { return Combo->DroppedDown(); }},
        {"a click on an item of the drop-down",
         [&] {
             TPoint Below = Combo->ClientToScreen(Point(10, Combo->Height()));
             FUser->Click(Below.X, Below.Y + 2 + 2 * Combo->ItemHeight() + Combo->ItemHeight() / 2);
         },
         [&] { return !Combo->DroppedDown() && Combo->ItemIndex() == 2; }},
        {"Shift+Tab back to the list", [&] {
             FUser->Key("Shift_L", true);
             FUser->Type({"Tab"});
             FUser->Key("Shift_L", false);
         },
         [&] { return List->Focused(); }},
    };
    for (const TCase& Case : Cases) {
        Case.Act();
        if (!PumpUntil(Case.Done, Case.What))
            break;
    }
    EXPECT_EQ(FLog, (std::vector<String>{"Go", "Ok", "Cancel"}));
}

TEST_F(X11ControlsTest, TheOpenDialogTakesAFileNameTypedOnTheKeyboard)
{
    char Template[] = "/tmp/x11-dialog-XXXXXX";
    ASSERT_NE(mkdtemp(Template), nullptr);
    String Folder = Template;
    FForm = TForm::Create(Application);
    TOpenDialog* Dialog = TOpenDialog::Create(FForm);
    Dialog->SetInitialDir(Folder);
    Dialog->SetDefaultExt("txt");
    // The user types once the dialog shows; a dialog that does not close is closed for them.
    struct TWatch {
        std::atomic<HWND> Dialog{nullptr};
        std::atomic<unsigned long> Window{0};
        std::atomic<bool> Done{false};
        TOpenDialog* Owner = nullptr;
        void Shown(TObject*)
        {
            Dialog = Owner->Form()->Handle();
            Window = TXTestUser::XWindowOf(Dialog);
        }
    } Watch;
    Watch.Owner = Dialog;
    Dialog->SetOnShow(TNotifyEvent::Bind<&TWatch::Shown>(&Watch));
    std::atomic<bool> Focused{false};
    std::thread User([&, Display = String(FName)] {
        TXTestUser Hands(Display.c_str());
        // The keys go where the keyboard's focus is: the user waits for the dialog to have it.
        auto Deadline = std::chrono::steady_clock::now() + 5s;
        while (!(Focused = Watch.Window != 0 && Hands.KeyboardFocus() == Watch.Window) &&
               std::chrono::steady_clock::now() < Deadline)
            std::this_thread::sleep_for(10ms);
        if (Focused)
            Hands.Type({"n", "o", "t", "e", "Return"});
        Deadline = std::chrono::steady_clock::now() + 5s;
        while (!Watch.Done && std::chrono::steady_clock::now() < Deadline)
            std::this_thread::sleep_for(10ms);
        if (!Watch.Done && Watch.Dialog != nullptr)
            PostMessageW(Watch.Dialog, WM_CLOSE, 0, 0);
    });
    bool Ok = Dialog->Execute();
    Watch.Done = true;
    User.join();
    EXPECT_TRUE(Focused) << "the dialog's window did not get the keyboard's focus within 5 s";
    EXPECT_TRUE(Ok);
    EXPECT_EQ(Dialog->FileName(), Folder + "/note.txt");
    rmdir(Template);
}

}  // namespace

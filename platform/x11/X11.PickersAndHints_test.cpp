// The date-time picker's drop-down calendar and a control's hint on the test X server, driven
// through XTEST by a second connection that plays the user.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "Display.X11.h"
#include "Rtl.DateUtils.h"
#include "Vcl.ComCtrls.h"
#include "Vcl.Forms.h"
#include "X11.TestDisplay.h"
#include "X11.TestUser.h"

namespace {

using namespace std::chrono_literals;

class X11PickersTest : public ::testing::Test {
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
        // Away from where the other X11 tests put their windows.
        FForm = TForm::Create(Application);
        FForm->SetBorderStyle(bsNone);
        FForm->SetBounds(700, 80, 320, 260);
        FForm->SetColor(clWhite);
    }
    void TearDown() override
    {
        if (FName == nullptr)
            return;
        FForm->Free();
        Application->ProcessMessages();
        SetDisplayBackend(nullptr);
    }
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
    bool Shows(TWinControl* AWindow) { return FUser->Viewable(TXTestUser::XWindowOf(AWindow->Handle())); }
    void ShowForm()
    {
        FForm->Show();
        PumpUntil([&] { return Shows(FForm); }, "the form's window shows");
        Application->ProcessMessages();
    }
    void ClickOn(TControl* AControl, TPoint AAt)
    {
        TPoint Screen = AControl->ClientToScreen(AAt);
        FUser->Click(Screen.X, Screen.Y);
    }

    const char* FName = nullptr;
    std::unique_ptr<TXTestUser> FUser;
    TForm* FForm = nullptr;
};

TEST_F(X11PickersTest, ThePickersCalendarDropsDownTakesAClickedDayAndClosesOnAPressOutside)
{
    auto* Picker = TDateTimePicker::Create(FForm);
    Picker->SetParent(FForm);
    Picker->SetBounds(10, 10, 180, 22);
    Picker->SetDateTime(EncodeDate(2026, 3, 15));
    ShowForm();

    TPoint Button = Point(Picker->Width() - 8, Picker->Height() / 2);
    ClickOn(Picker, Button);
    PumpUntil([&] { return Picker->DroppedDown(); }, "the calendar drops down");
    ASSERT_TRUE(Picker->DroppedDown());
    TMonthCalendar* Calendar = Picker->Calendar();
    auto* Popup = static_cast<TWinControl*>(Calendar->Parent());
    PumpUntil([&] { return Shows(Popup); }, "the calendar's window shows");

    TRect Day = Calendar->DayRect(EncodeDate(2026, 3, 26));
    ClickOn(Calendar, Point((Day.Left + Day.Right) / 2, (Day.Top + Day.Bottom) / 2));
    PumpUntil([&] { return !Picker->DroppedDown(); }, "a click on a day closes the calendar");
    EXPECT_EQ(Picker->Date(), EncodeDate(2026, 3, 26));

    ClickOn(Picker, Button);
    PumpUntil([&] { return Picker->DroppedDown(); }, "the calendar drops down again");
    FUser->Type({"Down"});
    PumpUntil([&] { return Picker->Date() == EncodeDate(2026, 4, 2); }, "Down moves a week on");
    ClickOn(FForm, Point(300, 240));
    PumpUntil([&] { return !Picker->DroppedDown(); }, "a press outside closes the calendar");
    EXPECT_EQ(Picker->Date(), EncodeDate(2026, 4, 2));
}

TEST_F(X11PickersTest, AHintShowsWhileThePointerRestsOnItsControlAndGoesWithAKey)
{
    auto* Button = TButton::Create(FForm);
    Button->SetParent(FForm);
    Button->SetBounds(20, 100, 90, 25);
    Button->SetHint("Print the page");
    Button->SetShowHint(true);
    Application->SetHintPause(50);
    ShowForm();
    FUser->MovePointer(100, 20);   // off the form first
    TPoint Over = Button->ClientToScreen(Point(30, 10));
    FUser->MovePointer(Over.X, Over.Y);
    PumpUntil([&] { return ShownHintWindow() != nullptr; }, "the hint shows");
    ASSERT_NE(ShownHintWindow(), nullptr);
    THintWindow* Hint = ShownHintWindow();
    PumpUntil([&] { return Shows(Hint); }, "the hint's window is on the screen");
    EXPECT_EQ(Hint->Caption(), "Print the page");
    EXPECT_GT(Hint->Top(), Over.Y) << "below the pointer";
    FUser->Type({"Shift_L"});
    PumpUntil([&] { return ShownHintWindow() == nullptr && !Shows(Hint); }, "a key hides the hint");
    Application->SetHintPause(500);
}

}  // namespace

// Month calendars and date-time pickers driven by mouse and keyboard, with the notifications
// they send; golden pictures of both.
#include <stdlib.h>

#include <gtest/gtest.h>

#include "Rtl.DateUtils.h"
#include "Vcl.ComCtrls.h"
#include "Vcl.TestInput.h"

namespace {

String DateText(TDateTime AValue)
{
    uint16_t Year = 0, Month = 0, Day = 0;
    DecodeDate(AValue, Year, Month, Day);
    return std::to_string(Year) + "-" + std::to_string(Month) + "-" + std::to_string(Day);
}

int DayOfMonth(TDateTime AValue)
{
    uint16_t Year = 0, Month = 0, Day = 0;
    DecodeDate(AValue, Year, Month, Day);
    return Day;
}

String SystemTimeText(const TSystemTime& ATime)
{
    return std::to_string(ATime.wYear) + "-" + std::to_string(ATime.wMonth) + "-" + std::to_string(ATime.wDay);
}

class DateTimeTest : public UserInputTest {
public:
    // What the controls tell their handlers, in order.
    void CalendarProc(TMessage& AMessage)
    {
        if (AMessage.Msg == CN_NOTIFY) {
            auto* Header = reinterpret_cast<NMHDR*>(AMessage.LParam);
            if (Header->code == MCN_GETDAYSTATE) {
                auto* Ask = reinterpret_cast<NMDAYSTATE*>(AMessage.LParam);
                FLog.push_back("daystate " + SystemTimeText(Ask->stStart) + " x" + std::to_string(Ask->cDayState));
                for (int I = 0; I < Ask->cDayState; ++I)
                    Ask->prgDayState[I] = 1u << 9;   // the 10th of every month
            } else if (Header->code == MCN_SELCHANGE || Header->code == MCN_SELECT) {
                auto* Change = reinterpret_cast<NMSELCHANGE*>(AMessage.LParam);
                FLog.push_back(String(Header->code == MCN_SELCHANGE ? "selchange " : "select ") +
                               SystemTimeText(Change->stSelStart));
            }
        }
        FCalendarProc(AMessage);
    }
    void PickerProc(TMessage& AMessage)
    {
        if (AMessage.Msg == CN_NOTIFY) {
            auto* Header = reinterpret_cast<NMHDR*>(AMessage.LParam);
            if (Header->code == DTN_DATETIMECHANGE) {
                auto* Change = reinterpret_cast<NMDATETIMECHANGE*>(AMessage.LParam);
                FLog.push_back(Change->dwFlags == GDT_NONE ? String("change none") : "change " + SystemTimeText(Change->st));
            } else if (Header->code == DTN_DROPDOWN || Header->code == DTN_CLOSEUP) {
                FLog.push_back(Header->code == DTN_DROPDOWN ? "dropdown" : "closeup");
            }
        }
        FPickerProc(AMessage);
    }
    void Changed(TObject*) { FLog.push_back("OnChange"); }

protected:
    void SetUp() override
    {
        // The locale's formats are read once; the tests read the C locale's.
        ::setenv("LC_ALL", "C", 1);
        UserInputTest::SetUp();
    }
    TMonthCalendar* AddCalendar(TDateTime ADate)
    {
        auto* Calendar = Add<TMonthCalendar>(Rect(10, 10, 10, 10));
        Calendar->SetFirstDayOfWeek(dowMonday);
        Calendar->SetToday(EncodeDate(2026, 3, 20));
        Calendar->SetDate(ADate);
        TSize Size = Calendar->MinimumSize();
        Calendar->SetBounds(10, 10, Size.cx, Size.cy);
        FCalendarProc = Calendar->WindowProc();
        Calendar->SetWindowProc(TWndMethod::Bind<&DateTimeTest::CalendarProc>(this));
        return Calendar;
    }
    TDateTimePicker* AddPicker(TDateTime AValue, TDateTimeKind AKind = dtkDate)
    {
        auto* Picker = Add<TDateTimePicker>(Rect(10, 10, 190, 31));
        Picker->SetKind(AKind);
        Picker->SetDateTime(AValue);
        Picker->SetOnChange(TNotifyEvent::Bind<&DateTimeTest::Changed>(this));
        FPickerProc = Picker->WindowProc();
        Picker->SetWindowProc(TWndMethod::Bind<&DateTimeTest::PickerProc>(this));
        Picker->SetFocus();
        return Picker;
    }
    static TPoint Centre(const TRect& ARect) { return Point((ARect.Left + ARect.Right) / 2, (ARect.Top + ARect.Bottom) / 2); }
    // The press may close the control's window: the release goes to where it was.
    void ClickAt(TControl* AControl, const TRect& ARect)
    {
        TPoint At = OnWindow(AControl, Centre(ARect).X, Centre(ARect).Y);
        HWND Window = WindowOf(AControl)->Handle();
        Post(Window, WM_MOUSEMOVE, 0, MakeMouseLParam(At.X, At.Y));
        Post(Window, WM_LBUTTONDOWN, MK_LBUTTON, MakeMouseLParam(At.X, At.Y));
        Post(Window, WM_LBUTTONUP, 0, MakeMouseLParam(At.X, At.Y));
    }
    std::vector<String> TakeLog() { return std::exchange(FLog, {}); }

    std::vector<String> FLog;
    TWndMethod FCalendarProc;
    TWndMethod FPickerProc;
};

// ---- Month calendar ----------------------------------------------------------------------

TEST_F(DateTimeTest, CalendarKeysMoveTheSelectionAndSayWhereTo)
{
    struct TCase {
        TDateTime From;
        UINT Key;
        TShiftState Shift;
        const char* To;
    };
    const TCase Cases[] = {
        {EncodeDate(2026, 3, 15), VK_LEFT, {}, "2026-3-14"},
        {EncodeDate(2026, 3, 15), VK_RIGHT, {}, "2026-3-16"},
        {EncodeDate(2026, 3, 1), VK_UP, {}, "2026-2-22"},
        {EncodeDate(2026, 3, 29), VK_DOWN, {}, "2026-4-5"},
        {EncodeDate(2026, 1, 31), VK_NEXT, {}, "2026-2-28"},   // kept within the shorter month
        {EncodeDate(2024, 2, 29), VK_PRIOR, {ssCtrl}, "2023-2-28"},
        {EncodeDate(2026, 3, 15), VK_HOME, {}, "2026-3-1"},
        {EncodeDate(2026, 3, 15), VK_END, {}, "2026-3-31"},
        {EncodeDate(1, 1, 1), VK_LEFT, {}, "1-1-1"},   // the first day a date may have
    };
    TMonthCalendar* Calendar = AddCalendar(EncodeDate(2026, 3, 15));
    Calendar->SetFocus();
    for (const TCase& C : Cases) {
        SCOPED_TRACE(DateText(C.From) + " key " + std::to_string(C.Key));
        Calendar->SetDate(C.From);
        TakeLog();
        Press(C.Key, C.Shift);
        EXPECT_EQ(DateText(Calendar->Date()), C.To);
        EXPECT_EQ(DateText(Calendar->ShownMonth()), DateText(Calendar->Date() - DayOfMonth(Calendar->Date()) + 1))
            << "shows its month";
        std::vector<String> Log = TakeLog();
        std::erase_if(Log, [](const String& A) { return A.starts_with("daystate"); });
        std::vector<String> Expected;
        if (DateText(C.From) != C.To)
            Expected.push_back(String("selchange ") + C.To);
        EXPECT_EQ(Log, Expected);
    }
}

TEST_F(DateTimeTest, CalendarClicksSelectDaysTurnMonthsAndGoToToday)
{
    TMonthCalendar* Calendar = AddCalendar(EncodeDate(2026, 3, 15));
    Application->ProcessMessages();
    TakeLog();

    ClickAt(Calendar, Calendar->DayRect(EncodeDate(2026, 3, 3)));
    EXPECT_EQ(TakeLog(), (std::vector<String>{"selchange 2026-3-3", "select 2026-3-3"}));
    EXPECT_TRUE(Calendar->Focused());
    ClickAt(Calendar, Calendar->DayRect(EncodeDate(2026, 3, 3)));
    EXPECT_EQ(TakeLog(), (std::vector<String>{"select 2026-3-3"})) << "the same day again is only chosen";

    // A grey day of the next month selects it and turns to its month, which asks for its bold days.
    ClickAt(Calendar, Calendar->DayRect(EncodeDate(2026, 4, 2)));
    Application->ProcessMessages();
    EXPECT_EQ(DateText(Calendar->ShownMonth()), "2026-4-1");
    EXPECT_EQ(TakeLog(), (std::vector<String>{"selchange 2026-4-2", "select 2026-4-2", "daystate 2026-3-1 x3"}));

    ClickAt(Calendar, Calendar->PrevButtonRect());
    ClickAt(Calendar, Calendar->PrevButtonRect());
    EXPECT_EQ(DateText(Calendar->Date()), "2026-2-2");
    ClickAt(Calendar, Calendar->NextButtonRect());
    EXPECT_EQ(DateText(Calendar->Date()), "2026-3-2");
    TakeLog();
    ClickAt(Calendar, Calendar->TodayRect());
    EXPECT_EQ(TakeLog(), (std::vector<String>{"selchange 2026-3-20", "select 2026-3-20"}));

    Calendar->SetDate(EncodeDate(2020, 7, 4));
    EXPECT_TRUE(TakeLog().empty()) << "the program's change is not announced";
}

TEST_F(DateTimeTest, CalendarWeeksStartOnTheFirstDayOfWeekAndBoldDaysComeFromTheHandler)
{
    TMonthCalendar* Calendar = AddCalendar(EncodeDate(2026, 3, 15));
    // 1 March 2026 is a Sunday: last in a week from Monday, first in a week from Sunday.
    TRect Monday = Calendar->DayRect(EncodeDate(2026, 3, 1));
    TRect Tuesday = Calendar->DayRect(EncodeDate(2026, 3, 2));
    EXPECT_LT(Tuesday.Left, Monday.Left);
    EXPECT_GT(Tuesday.Top, Monday.Top);
    EXPECT_EQ(Calendar->DayAt(Centre(Monday).X, Centre(Monday).Y), EncodeDate(2026, 3, 1));
    Calendar->SetFirstDayOfWeek(dowSunday);
    TRect Sunday = Calendar->DayRect(EncodeDate(2026, 3, 1));
    EXPECT_EQ(Sunday.Top, Calendar->DayRect(EncodeDate(2026, 3, 2)).Top);
    EXPECT_LT(Sunday.Left, Calendar->DayRect(EncodeDate(2026, 3, 2)).Left);

    TakeLog();
    Application->ProcessMessages();
    Calendar->Repaint();
    // From Sunday 1 March to Saturday 11 April: two months.
    EXPECT_EQ(TakeLog(), (std::vector<String>{"daystate 2026-3-1 x2"}));
    EXPECT_TRUE(Calendar->IsBold(EncodeDate(2026, 3, 10)));
    EXPECT_TRUE(Calendar->IsBold(EncodeDate(2026, 4, 10)));
    EXPECT_FALSE(Calendar->IsBold(EncodeDate(2026, 2, 10))) << "February is not shown";
    EXPECT_FALSE(Calendar->IsBold(EncodeDate(2026, 3, 11)));
    Calendar->Repaint();
    EXPECT_TRUE(TakeLog().empty()) << "asked once per shown month";
}

// ---- Date-time picker --------------------------------------------------------------------

TEST_F(DateTimeTest, PickerKeysEditTheFieldsOfTheDate)
{
    // The C locale's short date: month, day, year.
    struct TCase {
        TDateTime From;
        std::vector<UINT> Keys;
        std::u32string Typed;
        const char* Shown;
        int Changes;
    };
    const TCase Cases[] = {
        {EncodeDate(2026, 3, 15), {VK_UP}, U"", "04/15/2026", 1},
        {EncodeDate(2026, 1, 15), {VK_DOWN}, U"", "12/15/2026", 1},   // round within the year
        {EncodeDate(2026, 3, 15), {VK_RIGHT, VK_UP}, U"", "03/16/2026", 1},
        {EncodeDate(2026, 3, 31), {VK_RIGHT, VK_UP}, U"", "03/01/2026", 1},   // round within the month
        {EncodeDate(2026, 1, 31), {VK_UP}, U"", "02/28/2026", 1},   // the day kept within February
        {EncodeDate(2026, 3, 15), {VK_RIGHT, VK_RIGHT, VK_DOWN}, U"", "03/15/2025", 1},
        {EncodeDate(2026, 3, 15), {VK_LEFT, VK_LEFT, VK_UP}, U"", "04/15/2026", 1},
        {EncodeDate(2026, 3, 15), {}, U"12", "12/15/2026", 2},
        {EncodeDate(2026, 3, 15), {}, U"307", "03/07/2026", 1},   // "3" fills the month and moves on
        {EncodeDate(2026, 3, 15), {VK_RIGHT, VK_RIGHT}, U"2030", "03/15/2030", 1},
        {EncodeDate(2026, 3, 15), {VK_RIGHT, VK_RIGHT}, U"99", "03/15/99", 0},   // not taken yet
        {EncodeDate(2026, 3, 15), {VK_RIGHT, VK_RIGHT}, U"0", "03/15/0", 0},
        {EncodeDate(2026, 3, 15), {VK_RIGHT}, U"00", "03/00/2026", 0},   // no day 0
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(DateText(C.From) + " then " + std::to_string(C.Keys.size()) + " keys");
        TDateTimePicker* Picker = AddPicker(C.From + EncodeTime(10, 20, 30, 0));
        TakeLog();
        for (UINT Key : C.Keys)
            Press(Key);
        Type(C.Typed);
        EXPECT_EQ(Picker->DisplayText(), C.Shown);
        std::vector<String> Log = TakeLog();
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnChange"), C.Changes);
        EXPECT_EQ(Picker->Time(), EncodeTime(10, 20, 30, 0)) << "the time stays";
        Picker->Free();
    }
}

TEST_F(DateTimeTest, PickerTakesAShortYearWhenTheFieldIsLeftAndAnnouncesEachChange)
{
    TDateTimePicker* Picker = AddPicker(EncodeDate(2026, 3, 15));
    TakeLog();
    Press(VK_RIGHT);
    Press(VK_RIGHT);
    Type(U"99");
    Press(VK_LEFT);
    EXPECT_EQ(DateText(Picker->Date()), "1999-3-15");
    EXPECT_EQ(Picker->SelectedField(), 1);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"change 1999-3-15", "OnChange"})) << "the message first, then the event";
    Picker->SetDate(EncodeDate(2000, 1, 1));
    EXPECT_TRUE(TakeLog().empty()) << "the program's change is not announced";
}

TEST_F(DateTimeTest, PickerEditsATimeWithKeysAndItsUpDownButtons)
{
    TDateTimePicker* Picker = AddPicker(EncodeDate(2026, 3, 15) + EncodeTime(23, 59, 30, 0), dtkTime);
    EXPECT_EQ(Picker->DisplayText(), "23:59:30");
    Press(VK_UP);
    EXPECT_EQ(Picker->DisplayText(), "00:59:30");
    EXPECT_EQ(DateText(Picker->Date()), "2026-3-15") << "the hour goes round, the day stays";
    Type(U"25");   // "2" fits an hour, "5" does not follow it and starts the hour anew
    EXPECT_EQ(Picker->DisplayText(), "05:59:30");
    EXPECT_EQ(Picker->SelectedField(), 1);
    Type(U"7");
    EXPECT_EQ(Picker->DisplayText(), "05:07:30");
    EXPECT_EQ(Picker->SelectedField(), 2);
    Press(VK_F4);
    EXPECT_FALSE(Picker->DroppedDown()) << "a time has no calendar";

    TRect Client = Picker->ClientRect();
    int ButtonX = Client.Right - 6;
    TakeLog();
    Click(Picker, ButtonX, 5);
    EXPECT_EQ(Picker->DisplayText(), "05:07:31");
    Click(Picker, ButtonX, Client.Bottom - 5);
    Click(Picker, ButtonX, Client.Bottom - 5);
    EXPECT_EQ(Picker->DisplayText(), "05:07:29");
    std::vector<String> Log = TakeLog();
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnChange"), 3);
}

TEST_F(DateTimeTest, PickerCheckBoxStandsForNoValue)
{
    TDateTimePicker* Picker = AddPicker(EncodeDate(2026, 3, 15));
    Picker->SetShowCheckbox(true);
    TakeLog();
    Click(Picker, 8, Picker->Height() / 2);
    EXPECT_FALSE(Picker->Checked());
    Press(VK_SPACE);
    EXPECT_TRUE(Picker->Checked());
    Press(VK_SPACE);
    Press(VK_UP);   // editing a field checks the box again
    EXPECT_TRUE(Picker->Checked());
    EXPECT_EQ(TakeLog(), (std::vector<String>{"change none", "OnChange", "change 2026-3-15", "OnChange", "change none",
                                              "OnChange", "change 2026-4-15", "OnChange"}));
}

TEST_F(DateTimeTest, PickerDropDownCalendarPicksTheDay)
{
    TDateTimePicker* Picker = AddPicker(EncodeDate(2026, 3, 15) + EncodeTime(8, 0, 0, 0));
    auto* Other = Add<TEdit>(Rect(10, 150, 100, 171));
    TakeLog();

    // Keys: F4 drops down, arrows move in the calendar and the picker follows, Enter closes.
    Press(VK_F4);
    ASSERT_TRUE(Picker->DroppedDown());
    TMonthCalendar* Calendar = Picker->Calendar();
    EXPECT_EQ(DateText(Calendar->Date()), "2026-3-15");
    EXPECT_GE(Calendar->Parent()->Top(), Picker->ClientToScreen(Point(0, Picker->Height())).Y) << "below the picker";
    Press(VK_DOWN);
    Press(VK_RETURN);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(TakeLog(), (std::vector<String>{"dropdown", "change 2026-3-22", "OnChange", "closeup"}));
    EXPECT_EQ(Picker->Time(), EncodeTime(8, 0, 0, 0));

    // The mouse: the button drops down, a day closes with it.
    ClickAt(Picker, Rect(Picker->Width() - 12, 2, Picker->Width() - 2, Picker->Height() - 2));
    ASSERT_TRUE(Picker->DroppedDown());
    Calendar = Picker->Calendar();
    ClickAt(Calendar, Calendar->DayRect(EncodeDate(2026, 3, 5)));
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(TakeLog(), (std::vector<String>{"dropdown", "change 2026-3-5", "OnChange", "closeup"}));

    // Pressing on the picker again closes it; so does a press anywhere else, and Esc.
    ClickAt(Picker, Rect(Picker->Width() - 12, 2, Picker->Width() - 2, Picker->Height() - 2));
    ClickAt(Picker, Rect(Picker->Width() - 12, 2, Picker->Width() - 2, Picker->Height() - 2));
    EXPECT_FALSE(Picker->DroppedDown());
    Press(VK_F4);
    Click(Other, 5, 5);
    EXPECT_FALSE(Picker->DroppedDown());
    Picker->SetFocus();
    Press(VK_F4);
    Press(VK_ESCAPE);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(TakeLog(), (std::vector<String>{"dropdown", "closeup", "dropdown", "closeup", "dropdown", "closeup"}));
    EXPECT_EQ(DateText(Picker->Date()), "2026-3-5");

    Picker->SetDateMode(dmUpDown);
    Press(VK_F4);
    EXPECT_FALSE(Picker->DroppedDown()) << "up-down mode has no calendar";
    Press(VK_F4);
}

TEST_F(DateTimeTest, APickerFreedWhileDroppedDownLeavesNoPopupBehind)
{
    TDateTimePicker* Picker = AddPicker(EncodeDate(2026, 3, 15));
    Press(VK_F4);
    ASSERT_TRUE(Picker->DroppedDown());
    TWinControl* Popup = Picker->Calendar()->Parent();
    Picker->Free();
    EXPECT_FALSE(Popup->Visible());
    Click(FForm, 300, 200);   // a press that once went to the popup's owner
    Application->ProcessMessages();
}

// ---- Golden pictures ---------------------------------------------------------------------

class DateTimePicturesTest : public DateTimeTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DateTimePicturesTest, CalendarAndPickersMatchTheirGolden)
{
    TStyleManager::SetStyle(GetParam());
    FForm->SetBounds(0, 0, 440, 220);
    FForm->SetColor(clBtnFace);
    TMonthCalendar* Calendar = AddCalendar(EncodeDate(2026, 3, 15));
    Calendar->SetLeft(10);
    auto* Date = Add<TDateTimePicker>(Rect(270, 10, 430, 31));
    Date->SetDateTime(EncodeDate(2026, 3, 15));
    auto* Checked = Add<TDateTimePicker>(Rect(270, 40, 430, 61));
    Checked->SetDateTime(EncodeDate(2026, 12, 31));
    Checked->SetShowCheckbox(true);
    Checked->SetChecked(false);
    auto* Time = Add<TDateTimePicker>(Rect(270, 70, 430, 91));
    Time->SetKind(dtkTime);
    Time->SetDateTime(EncodeTime(14, 5, 9, 0));
    Time->SetFocus();
    Press(VK_RIGHT);
    EXPECT_TRUE(MatchesGolden(Picture(FForm).get(), StyleGolden("platform/vcl/testdata", "datetime_", GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Styles, DateTimePicturesTest, ::testing::Values("Windows", "Smokey Quartz Kamri"), StyleTestName);

}  // namespace

// The active calendar: holidays and their rules expanded into the entries of months across
// month ends, leap years and year ends; holiday marks and colours; edits of built months;
// journals; damaged files left out.
#include "XVData.Active.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <limits>
#include <fstream>
#include <utility>
#include <vector>

#include "Rtl.DateUtils.h"
#include "Rtl.Files.h"
#include "Win.TestEnvironment.h"
#include "XCore.Errors.h"
#include "XCore.TestClock.h"

namespace {

struct TStamp {
    int Year, Month, Day, Hour = 0, Minute = 0;
    TDateTime Value() const { return EncodeDate(Year, Month, Day) + EncodeTime(Hour, Minute, 0, 0); }
};

class VActiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FHome.Set("TZ", "XST-1");
        FHome.Set("LC_ALL", "C");
        FClock = TXTestClockApp::Create();
        SetNVCoreApp(FClock);
        FClock->SetLocal(EncodeDate(2024, 3, 3) + 0.5);
        FRoot = FHome.Root() + "/Calendars/";
        ClearError();
        FCalendars = Owned(TXVCalendars::Create(nullptr));
        FCalendars->Open(FRoot);
        FEngine = Owned(TXVActiveCalendarEngine::Create(nullptr));
        FEngine->SetCalendars(FCalendars.get());
    }
    void TearDown() override
    {
        FEngine.reset();
        FCalendars.reset();
        SetNVCoreApp(nullptr);
    }

    // A new holiday of the holiday tab; a frequency of vfqNone gives it no rule.
    TXVHolidayObject* AddHoliday(TStamp AStart, TStamp AEnd, bool ADateOnly, TXVFrequency AFrequency = vfqNone,
                                 uint32_t AInterval = 1)
    {
        TXVHolidayObject* Holiday = FCalendars->HolidayTab()->NewHoliday();
        Holiday->DTStart()->SetDDate(AStart.Value());
        Holiday->DTStart()->SetDateOnly(ADateOnly);
        Holiday->DTEnd()->SetDDate(AEnd.Value());
        Holiday->DTEnd()->SetDateOnly(ADateOnly);
        if (AFrequency != vfqNone) {
            TXVRecurrenceItem* Rule = Holiday->RRule()->Add();
            Rule->SetFrequency(AFrequency);
            Rule->SetInterval(AInterval);
        }
        return Holiday;
    }

    TXVActiveMonth* Month(int AYear, int AMonth)
    {
        FEngine->BuildMonth(static_cast<uint16_t>(AYear), static_cast<uint16_t>(AMonth));
        return FEngine->Years()->Items(FEngine->YearIndex(static_cast<uint16_t>(AYear)))->Months(AMonth);
    }

    // "d" for a whole-day entry, "d:start/end" for another, in day order.
    String Entries(int AYear, int AMonth)
    {
        TXVActiveMonth* Active = Month(AYear, AMonth);
        String Result;
        for (int D = 1; D <= Active->DayCount(); ++D)
            for (TXVActiveEventObject* Entry : *Active->Days(D)->Entries()) {
                EXPECT_EQ(Entry->Date(), static_cast<int32_t>(Active->Days(D)->Date()));
                Result += (Result.empty() ? "" : " ") + IntToStr(D);
                if (Entry->StartMinute() != -1 || Entry->EndMinute() != -1)
                    Result += ":" + IntToStr(Entry->StartMinute()) + "/" + IntToStr(Entry->EndMinute());
            }
        return Result;
    }

    TTestHome FHome;
    TXTestClockApp* FClock = nullptr;   // owned by the core application slot
    String FRoot;
    TOwned<TXVCalendars> FCalendars;
    TOwned<TXVActiveCalendarEngine> FEngine;
};

// ---- Expansion ---------------------------------------------------------------------------

struct TMonthEntries {
    int Year, Month;
    const char* Expected;
};

struct TExpansionCase {
    const char* Name;
    TStamp Start, End;
    bool DateOnly;
    TXVFrequency Frequency;
    uint32_t Interval;
    void (*Adjust)(TXVHolidayObject*);   // may be nullptr
    std::vector<TMonthEntries> Months;
};

TXVRecurrenceItem* RuleOf(TXVHolidayObject* AHoliday)
{
    return AHoliday->RRule()->Items(0);
}

const TExpansionCase kExpansions[] = {
    {"TimedWithinOneDay", {2024, 3, 14, 14, 30}, {2024, 3, 14, 16, 0}, false, vfqNone, 1, nullptr,
     {{2024, 3, "14:870/960"}, {2024, 4, ""}}},
    {"WholeDaysOverThreeDays", {2024, 3, 10}, {2024, 3, 12}, true, vfqNone, 1, nullptr,
     {{2024, 3, "10 11 12"}}},
    {"TimedAcrossAMonthEnd", {2024, 1, 30, 10, 0}, {2024, 2, 2, 12, 0}, false, vfqNone, 1, nullptr,
     {{2024, 1, "30:600/1441 31:-1/1441"}, {2024, 2, "1:-1/1441 2:-1/720"}}},
    {"TimedAcrossAYearEnd", {2023, 12, 31, 10, 0}, {2024, 1, 1, 12, 0}, false, vfqNone, 1, nullptr,
     {{2023, 12, "31:600/1441"}, {2024, 1, "1:-1/720"}}},
    {"OvernightUnderADayMarksBothDays", {2024, 3, 5, 10, 0}, {2024, 3, 6, 9, 0}, false, vfqNone, 1, nullptr,
     {{2024, 3, "5:600/540 6:600/540"}}},
    {"OvernightDailyMarksEachStartUntilTheEndDate", {2024, 3, 5, 10, 0}, {2024, 3, 6, 9, 0}, false, vfqDaily, 1,
     [](TXVHolidayObject* H) {
         RuleOf(H)->SetEndType(vreEndDate);
         RuleOf(H)->SetEndDate(EncodeDate(2024, 3, 8));
     },
     {{2024, 3, "5:600/1441 6:600/1441 7:600/1441 8:600/1441"}, {2024, 4, ""}}},
    {"EveryThreeDaysOverAMonthEndInALeapYear", {2024, 1, 1}, {2024, 1, 1}, true, vfqDaily, 3, nullptr,
     {{2024, 1, "1 4 7 10 13 16 19 22 25 28 31"}, {2024, 2, "3 6 9 12 15 18 21 24 27"}}},
    {"DailyFromAPastYearStartsNearTheMonth", {2020, 12, 31, 22, 0}, {2021, 1, 1, 1, 0}, false, vfqDaily, 400,
     nullptr, {{2024, 4, "14:1320/1441"}, {2024, 5, ""}}},
    {"ZeroIntervalCountsAsOne", {2024, 3, 29}, {2024, 3, 29}, true, vfqDaily, 0, nullptr,
     {{2024, 3, "29 30 31"}}},
    {"HourlyMarksEveryDayFromTheStart", {2024, 3, 29, 8, 0}, {2024, 3, 29, 9, 0}, false, vfqHourly, 5, nullptr,
     {{2024, 3, "29:480/540 30:480/540 31:480/540"}}},
    {"EveryOtherWeekOnMondayAndFridayCountsTheWholeFirstWeek", {2024, 1, 3}, {2024, 1, 3}, true, vfqWeekly, 2,
     [](TXVHolidayObject* H) {
         RuleOf(H)->ByWeekDay()->AddWeekDay(0, 1);
         RuleOf(H)->ByWeekDay()->AddWeekDay(0, 5);
     },
     {{2024, 1, "1 5 15 19 29"}, {2024, 2, "2 12 16 26"}}},
    // The step after the first week lands past any date: later months have no occurrence.
    {"WeeklyWithTheLargestIntervalHasOnlyItsFirstWeek", {2024, 1, 3}, {2024, 1, 3}, true, vfqWeekly, 4000000000u,
     nullptr, {{2024, 1, "3"}, {2024, 3, ""}, {9999, 12, ""}}},
    {"WeeklyMultiDayAcrossAYearEnd", {2023, 12, 30, 18, 0}, {2024, 1, 1, 20, 0}, false, vfqWeekly, 1, nullptr,
     {{2024, 1, "1:-1/1200 6:1080/1441 7:-1/1441 8:-1/1200 13:1080/1441 14:-1/1441 15:-1/1200 20:1080/1441 "
                "21:-1/1441 22:-1/1200 27:1080/1441 28:-1/1441 29:-1/1200"}}},
    {"MonthlyOnThe31stSkipsShorterMonths", {2024, 1, 31}, {2024, 1, 31}, true, vfqMonthly, 1, nullptr,
     {{2024, 2, ""}, {2024, 3, "31"}, {2024, 4, ""}}},
    {"MonthlyLastDayFollowsLeapYears", {2023, 1, 31}, {2023, 1, 31}, true, vfqMonthly, 1,
     [](TXVHolidayObject* H) { RuleOf(H)->ByMonthDay()->AddValue(-1); },
     {{2023, 2, "28"}, {2024, 2, "29"}, {2024, 4, "30"}}},
    {"MonthlyLastFriday", {2024, 1, 1}, {2024, 1, 1}, true, vfqMonthly, 1,
     [](TXVHolidayObject* H) { RuleOf(H)->ByWeekDay()->AddWeekDay(-1, 5); },
     {{2024, 3, "29"}, {2024, 12, "27"}}},
    {"MonthlyEveryFriday", {2024, 1, 1}, {2024, 1, 1}, true, vfqMonthly, 1,
     [](TXVHolidayObject* H) { RuleOf(H)->ByWeekDay()->AddWeekDay(0, 5); }, {{2024, 3, "1 8 15 22 29"}}},
    // April has no fifth Friday: its would-be one (3 May) must not show in May.
    {"FifthFridayOnlyInMonthsThatHaveOne", {2024, 3, 29}, {2024, 3, 31}, true, vfqMonthly, 1,
     [](TXVHolidayObject* H) { RuleOf(H)->ByWeekDay()->AddWeekDay(5, 5); },
     {{2024, 4, ""}, {2024, 5, "31"}, {2024, 6, "1 2"}}},
    {"YearlyOn29FebruaryEveryFourYears", {2024, 2, 29}, {2024, 2, 29}, true, vfqYearly, 1,
     [](TXVHolidayObject* H) { RuleOf(H)->SetEndType(vreInstances); },
     {{2025, 2, ""}, {2027, 2, ""}, {2028, 2, "29"}, {2032, 2, "29"}}},
    // Under 24 hours: one entry on each start day, none the next morning.
    {"YearlyOvernightAcrossAYearEnd", {2023, 12, 31, 20, 0}, {2024, 1, 1, 2, 0}, false, vfqYearly, 1, nullptr,
     {{2024, 12, "31:1200/1441"}, {2025, 1, ""}}},
    {"YearlyOverAYearEnd", {2023, 12, 31}, {2024, 1, 1}, true, vfqYearly, 1, nullptr,
     {{2024, 12, "31"}, {2025, 1, "1"}}},
    {"EndDateStopsTheRule", {2024, 3, 1}, {2024, 3, 1}, true, vfqWeekly, 1,
     [](TXVHolidayObject* H) {
         RuleOf(H)->SetEndType(vreEndDate);
         RuleOf(H)->SetEndDate(EncodeDate(2024, 3, 15));
     },
     {{2024, 3, "1 8 15"}, {2024, 4, ""}}},
    // Occurrences longer than a month: one that starts before the month and ends after it
    // marks all of it, and those that start or end inside it still show.
    {"DailyLongerThanAMonth", {2024, 1, 1, 10, 0}, {2024, 2, 15, 12, 0}, false, vfqDaily, 10, nullptr,
     {{2024, 3, "1:-1/1441 1:600/1441 2:-1/1441 3:-1/1441 4:-1/1441 5:-1/1441 6:-1/1441 6:-1/720 7:-1/1441 "
      "8:-1/1441 9:-1/1441 10:-1/1441 11:-1/1441 11:600/1441 12:-1/1441 13:-1/1441 14:-1/1441 "
      "15:-1/1441 16:-1/1441 16:-1/720 17:-1/1441 18:-1/1441 19:-1/1441 20:-1/1441 21:-1/1441 "
      "21:600/1441 22:-1/1441 23:-1/1441 24:-1/1441 25:-1/1441 26:-1/1441 26:-1/720 27:-1/1441 "
      "28:-1/1441 29:-1/1441 30:-1/1441 31:-1/1441 31:600/1441"}, {2024, 4, "1:-1/1441 2:-1/1441 3:-1/1441 4:-1/1441 5:-1/1441 5:-1/720 6:-1/1441 7:-1/1441 8:-1/1441 "
      "9:-1/1441 10:-1/1441 10:600/1441 11:-1/1441 12:-1/1441 13:-1/1441 14:-1/1441 15:-1/1441 "
      "15:-1/720 16:-1/1441 17:-1/1441 18:-1/1441 19:-1/1441 20:-1/1441 20:600/1441 21:-1/1441 "
      "22:-1/1441 23:-1/1441 24:-1/1441 25:-1/1441 25:-1/720 26:-1/1441 27:-1/1441 28:-1/1441 "
      "29:-1/1441 30:-1/1441 30:600/1441"}}},
    {"WeeklyLongerThanAMonth", {2023, 11, 6, 9, 0}, {2024, 1, 10, 17, 0}, false, vfqWeekly, 3,
     [](TXVHolidayObject* H) {
         RuleOf(H)->ByWeekDay()->AddWeekDay(0, 1);
         RuleOf(H)->ByWeekDay()->AddWeekDay(0, 4);
     },
     {{2024, 2, "1:-1/1441 1:540/1441 2:-1/1441 3:-1/1441 3:-1/1020 4:-1/1441 5:-1/1441 6:-1/1441 7:-1/1441 "
      "8:-1/1441 9:-1/1441 10:-1/1441 11:-1/1441 12:-1/1441 13:-1/1441 14:-1/1441 15:-1/1441 16:-1/1441 "
      "17:-1/1441 18:-1/1441 19:-1/1441 19:540/1441 20:-1/1441 21:-1/1441 21:-1/1020 22:-1/1441 "
      "22:540/1441 23:-1/1441 24:-1/1441 24:-1/1020 25:-1/1441 26:-1/1441 27:-1/1441 28:-1/1441 "
      "29:-1/1441"}, {2024, 3, "1:-1/1441 2:-1/1441 3:-1/1441 4:-1/1441 5:-1/1441 6:-1/1441 7:-1/1441 8:-1/1441 9:-1/1441 "
      "10:-1/1441 11:-1/1441 11:540/1441 12:-1/1441 13:-1/1441 13:-1/1020 14:-1/1441 14:540/1441 "
      "15:-1/1441 16:-1/1441 16:-1/1020 17:-1/1441 18:-1/1441 19:-1/1441 20:-1/1441 21:-1/1441 "
      "22:-1/1441 23:-1/1441 24:-1/1441 25:-1/1441 26:-1/1441 27:-1/1441 28:-1/1441 29:-1/1441 "
      "30:-1/1441 31:-1/1441"}}},
    {"MonthlyLongerThanAMonth", {2023, 6, 15, 8, 0}, {2023, 9, 20, 8, 0}, false, vfqMonthly, 1,
     [](TXVHolidayObject* H) {
         RuleOf(H)->ByMonthDay()->AddValue(15);
         RuleOf(H)->ByMonthDay()->AddValue(-1);
     },
     {{2024, 2, "1:-1/1441 2:-1/1441 3:-1/1441 4:-1/1441 5:-1/1441 5:-1/480 6:-1/1441 7:-1/1441 8:-1/1441 "
      "9:-1/1441 10:-1/1441 11:-1/1441 12:-1/1441 13:-1/1441 14:-1/1441 15:-1/1441 15:480/1441 "
      "16:-1/1441 17:-1/1441 18:-1/1441 19:-1/1441 20:-1/1441 20:-1/480 21:-1/1441 22:-1/1441 "
      "23:-1/1441 24:-1/1441 25:-1/1441 26:-1/1441 27:-1/1441 28:-1/1441 29:-1/1441 29:480/1441"}}},
    {"YearlyLongerThanAYear", {2020, 5, 10}, {2022, 5, 12}, true, vfqYearly, 1, nullptr,
     {{2024, 5, "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31"}}},
    {"Disabled", {2024, 3, 1}, {2024, 3, 1}, true, vfqNone, 1,
     [](TXVHolidayObject* H) { H->SetEnabled(false); }, {{2024, 3, ""}}},
    {"SecondlyIsNotExpanded", {2024, 3, 1}, {2024, 3, 1}, true, vfqSecondly, 1, nullptr, {{2024, 3, ""}}},
};

class VExpansionTest : public VActiveTest, public ::testing::WithParamInterface<TExpansionCase> {};

TEST_P(VExpansionTest, FillsTheDaysOfEachMonth)
{
    const TExpansionCase& Case = GetParam();
    TXVHolidayObject* Holiday = AddHoliday(Case.Start, Case.End, Case.DateOnly, Case.Frequency, Case.Interval);
    if (Case.Adjust != nullptr)
        Case.Adjust(Holiday);
    for (const TMonthEntries& Expected : Case.Months)
        EXPECT_EQ(Entries(Expected.Year, Expected.Month), Expected.Expected) << Expected.Year << "-" << Expected.Month;
}
INSTANTIATE_TEST_SUITE_P(Rules, VExpansionTest, ::testing::ValuesIn(kExpansions),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// ---- Days --------------------------------------------------------------------------------

TEST_F(VActiveTest, TheFirstCustomHolidayColoursTheDayAndEventsNeverMarkIt)
{
    auto Add = [this](TXVDayColorType AType, TColor AColor, int32_t AOrderKey, int ADay = 8) {
        TXVHolidayObject* Holiday = AddHoliday({2024, 3, ADay}, {2024, 3, ADay}, true);
        Holiday->SetColorType(AType);
        Holiday->SetBgColor(AColor);
        Holiday->SetTextColor(AColor + 1);
        Holiday->SetOrderKey(AOrderKey);
        return Holiday;
    };
    Add(vdcCustom, 0x300, 3);
    Add(vdcHoliday, 0x100, 1);
    TXVHolidayObject* First = Add(vdcCustom, 0x200, 2);
    Add(vdcDay, 0x400, 0);
    Add(vdcDay, 0x500, 0, 9);

    TXVActiveMonth* March = Month(2024, 3);
    TXVActiveDay* Day = March->Days(8);
    EXPECT_TRUE(Day->IsHoliday());
    EXPECT_EQ(Day->BgColor(), 0x200);
    EXPECT_EQ(Day->TextColor(), 0x201);
    ASSERT_EQ(Day->Entries()->Count(), 4);
    EXPECT_EQ(Day->Entries()->Items(2)->Item(), First);

    EXPECT_FALSE(March->Days(9)->IsHoliday());
    EXPECT_EQ(March->Days(9)->BgColor(), kVNoColor);

    auto Event = Owned(TXVEventObject::Create());
    Event->DTStart()->SetDDate(EncodeDate(2024, 3, 9) + EncodeTime(8, 0, 0, 0));
    Event->DTEnd()->SetDDate(EncodeDate(2024, 3, 9) + EncodeTime(9, 0, 0, 0));
    Event->SetColorType(vdcCustom);
    FEngine->AddObject(Event.get());
    ASSERT_EQ(March->Days(9)->Entries()->Count(), 2);
    EXPECT_EQ(March->Days(9)->Entries()->Items(1)->Item(), Event.get());
    EXPECT_FALSE(March->Days(9)->IsHoliday());
    FEngine->RemoveObject(Event.get());
}

TEST_F(VActiveTest, YearsComeInTheOrderAskedWithEmptyMonthsOfFullLength)
{
    EXPECT_EQ(FEngine->YearIndex(2025), 0);
    EXPECT_EQ(FEngine->YearIndex(2023), 1);
    EXPECT_EQ(FEngine->YearIndex(2025), 0);
    TXVActiveMonth* February = FEngine->Years()->Items(0)->Months(2);
    EXPECT_FALSE(February->Built());
    EXPECT_EQ(February->FirstDay(), EncodeDate(2025, 2, 1));
    EXPECT_EQ(February->Days(28)->Date(), EncodeDate(2025, 2, 28));
    EXPECT_EQ(February->Days(29)->Date(), 0);
    EXPECT_EQ(February->Days(31)->Entries()->Count(), 0);
    EXPECT_THROW(February->Days(32), EArgumentOutOfRangeException);
    EXPECT_THROW(FEngine->Years()->Items(0)->Months(0), EArgumentOutOfRangeException);
}

// ---- Edits -------------------------------------------------------------------------------

TEST_F(VActiveTest, EditsReachEveryBuiltMonthAndOnlyThose)
{
    Month(2024, 1);
    Month(2024, 2);
    TXVHolidayObject* Holiday = AddHoliday({2024, 1, 30, 10, 0}, {2024, 3, 1, 12, 0}, false);
    Holiday->SetColorType(vdcHoliday);
    FEngine->AddObject(Holiday);
    EXPECT_EQ(Entries(2024, 1), "30:600/1441 31:-1/1441");
    EXPECT_EQ(Month(2024, 2)->Days(29)->Entries()->Count(), 1);
    EXPECT_TRUE(Month(2024, 2)->Days(1)->IsHoliday());
    EXPECT_FALSE(FEngine->Years()->Items(0)->Months(3)->Built());
    EXPECT_EQ(FEngine->Years()->Items(0)->Months(3)->Days(1)->Entries()->Count(), 0);

    FEngine->RemoveObject(Holiday);
    EXPECT_EQ(Entries(2024, 1), "");
    EXPECT_EQ(Entries(2024, 2), "");
    EXPECT_FALSE(Month(2024, 2)->Days(1)->IsHoliday());
    // Built once: the holiday still listed in the tab is not expanded again.
    EXPECT_EQ(Entries(2024, 1), "");
    EXPECT_EQ(Entries(2024, 3), "1:-1/720");
}

TEST_F(VActiveTest, WithoutAStoreNothingIsBuiltAndAFreedStoreDropsTheCache)
{
    AddHoliday({2024, 3, 8}, {2024, 3, 8}, true);
    EXPECT_EQ(Entries(2024, 3), "8");
    FCalendars.reset();
    EXPECT_EQ(FEngine->Calendars(), nullptr);
    EXPECT_EQ(FEngine->Years()->Count(), 0);
    EXPECT_EQ(Entries(2024, 3), "");
    EXPECT_FALSE(FEngine->Years()->Items(0)->Months(3)->Built());
}

// ---- Files -------------------------------------------------------------------------------

void Corrupt(const String& AFileName)
{
    std::ofstream(AFileName, std::ios::binary | std::ios::trunc) << "not a calendar file";
}

TEST_F(VActiveTest, JournalsAreLinkedWhenTheyReadAndDamagedFilesAreLeftOut)
{
    TXVJournalObject* Leap = FCalendars->JournalTab()->NewJournal(EncodeDate(2024, 2, 29));
    Leap->SetDescriptionTitle("Leap day");
    ASSERT_TRUE(Leap->Changed());
    TXVJournalObject* Broken = FCalendars->JournalTab()->NewJournal(EncodeDate(2024, 2, 3));
    ASSERT_TRUE(Broken->Changed());
    TXVHolidayObject* Holiday = AddHoliday({2024, 2, 10}, {2024, 2, 10}, true);
    ASSERT_TRUE(Holiday->Changed());
    TXVHolidayObject* Damaged = AddHoliday({2024, 2, 12}, {2024, 2, 12}, true);
    ASSERT_TRUE(Damaged->Changed());
    Corrupt(Broken->FileName());
    Corrupt(Damaged->FileName());

    FEngine->SetCalendars(nullptr);
    FCalendars = Owned(TXVCalendars::Create(nullptr));
    FCalendars->Open(FRoot);
    FEngine->SetCalendars(FCalendars.get());

    TXVActiveMonth* February = Month(2024, 2);
    ASSERT_NE(February->Days(29)->Journal(), nullptr);
    EXPECT_EQ(February->Days(29)->Journal()->DescriptionTitle(), "Leap day");
    EXPECT_TRUE(February->Days(29)->Journal()->HasStatus(kVStatusLoaded));
    EXPECT_EQ(February->Days(3)->Journal(), nullptr);
    EXPECT_EQ(Entries(2024, 2), "10");
    // The damaged holiday's empty object dates from its making, on 3 March.
    EXPECT_EQ(Entries(2024, 3), "");
}

// Dates no calendar has count as damage when a file is read: they never reach the day
// arithmetic of a month view. A FIFO named like a holiday file is no file to wait on.
TEST_F(VActiveTest, HolidaysWithDatesOutOfRangeAndNonFilesAreLeftOut)
{
    const double kBadDates[] = {1e300, -1e300, 2958466.0, -693594.0};
    std::vector<TXVHolidayObject*> Bad;
    for (double Value : kBadDates) {
        TXVHolidayObject* Holiday = AddHoliday({2024, 2, 12}, {2024, 2, 12}, true);
        Holiday->DTStart()->SetDDate(Value);
        ASSERT_TRUE(Holiday->Changed());
        Bad.push_back(Holiday);
    }
    TXVHolidayObject* BadRule = AddHoliday({2024, 2, 13}, {2024, 2, 13}, true, vfqDaily);
    RuleOf(BadRule)->SetEndType(vreEndDate);
    RuleOf(BadRule)->SetEndDate(1e18);
    ASSERT_TRUE(BadRule->Changed());
    ASSERT_TRUE(AddHoliday({2024, 2, 10}, {2024, 2, 10}, true)->Changed());
    // Even an object made in memory with such a date shows nothing (this one is not saved).
    AddHoliday({2024, 2, 12}, {2024, 2, 12}, true)->DTEnd()->SetDDate(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(Entries(2024, 2), "10");
    String Folder = ExtractFilePath(Bad[0]->FileName());
    ASSERT_EQ(::mkfifo((Folder + "x.xholiday").c_str(), 0600), 0);

    FEngine->SetCalendars(nullptr);
    FCalendars = Owned(TXVCalendars::Create(nullptr));
    FCalendars->Open(FRoot);
    FEngine->SetCalendars(FCalendars.get());
    EXPECT_EQ(Entries(2024, 2), "10");
    int Failed = 0;
    TXVDataList* Holidays = FCalendars->HolidayTab()->Items();
    for (int I = 0; I < Holidays->Count(); ++I)
        Failed += Holidays->Objects(I)->HasStatus(kVStatusLoadFailed);
    EXPECT_EQ(Failed, 5);
}

// A month is laid out in time that does not grow with the span of the occurrences: rules
// over eight thousand years finish at once (they took hours).
TEST_F(VActiveTest, OccurrencesSpanningMillenniaAreLaidOutAtOnce)
{
    for (TXVFrequency Frequency : {vfqDaily, vfqWeekly, vfqMonthly, vfqYearly})
        AddHoliday({1900, 1, 1, 10, 0}, {9999, 12, 31, 12, 0}, false, Frequency);
    TXVActiveMonth* June = Month(5000, 6);
    for (int D = 1; D <= 30; ++D) {
        // Every rule has an occurrence running through the day; the daily one starts one on
        // it, the weekly one on Mondays (as 1 January 1900), the monthly one on the 1st.
        int Starts = 1 + (DayOfTheWeek(EncodeDate(5000, 6, D)) == 1) + (D == 1);
        int Through = 0, Starting = 0;
        for (TXVActiveEventObject* Entry : *June->Days(D)->Entries()) {
            Through += Entry->StartMinute() == -1 && Entry->EndMinute() == 1441;
            Starting += Entry->StartMinute() == 600 && Entry->EndMinute() == 1441;
        }
        EXPECT_EQ(Through, 4) << D;
        EXPECT_EQ(Starting, Starts) << D;
        EXPECT_EQ(June->Days(D)->Entries()->Count(), 4 + Starts) << D;
    }
}

TEST_F(VActiveTest, LinkingAJournalReachesUnbuiltYears)
{
    TXVJournalObject* Journal = FCalendars->JournalTab()->NewJournal(EncodeDate(2030, 12, 31));
    ASSERT_TRUE(Journal->Changed());
    FEngine->LinkJournal(Journal);
    TXVActiveMonth* December = FEngine->Years()->Items(FEngine->YearIndex(2030))->Months(12);
    EXPECT_FALSE(December->Built());
    EXPECT_EQ(December->Days(31)->Journal(), Journal);
    FEngine->UnlinkJournal(Journal);
    EXPECT_EQ(December->Days(31)->Journal(), nullptr);

    Corrupt(Journal->FileName());
    auto Unread = Owned(TXVJournalObject::Create());
    Unread->SetFileName(Journal->FileName());
    Unread->DTStart()->SetDDate(EncodeDate(2030, 12, 31));
    ClearError();
    FEngine->LinkJournal(Unread.get());
    EXPECT_EQ(December->Days(31)->Journal(), nullptr);
    EXPECT_NE(GetErrorCode(), 0);
}

}  // namespace

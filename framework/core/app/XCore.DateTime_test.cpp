// Date texts, ISO parsing, periods and the recurring-date rules.
#include "XCore.DateTime.h"

#include <gtest/gtest.h>

#include "Rtl.DateUtils.h"
#include "XCore.TestClock.h"

namespace {

TDateTime D(int AYear, int AMonth, int ADay)
{
    return EncodeDate(AYear, AMonth, ADay);
}

TEST(DateTextTest, StoredAndIsoTexts)
{
    EXPECT_EQ(DateToText(D(2021, 3, 5)), "05.03.2021");
    EXPECT_EQ(DateToText(D(987, 12, 1)), "01.12.987");
    EXPECT_EQ(DateToText(D(2021, 3, 5) + 0.99), "05.03.2021");
    EXPECT_EQ(DateToText(0), "");
    struct TCase {
        const char* Text;
        TDateTime Expected;
    };
    const TCase kTexts[] = {
        {"05.03.2021", D(2021, 3, 5)}, {"5.3.2021", D(2021, 3, 5)}, {"31.02.2021", 0},
        {"", 0},                       {"05.03", 0},                {"aa.bb.cccc", 0},
    };
    for (const TCase& C : kTexts)
        EXPECT_EQ(double(TextToDate(C.Text)), double(C.Expected)) << C.Text;
    TXDate Date;
    Date.FromDateTime(D(2021, 5, 11) + 0.75);
    EXPECT_EQ(Date.ToISOText(), "2021-05-11");
    EXPECT_EQ(Date.ToText(), "11.05.2021");
    TXDate Later{D(2021, 5, 11) + 0.9};
    EXPECT_TRUE(TXDate::Equal(Date, Later));
    EXPECT_EQ(TXDate::Compare(Date, TXDate{D(2021, 5, 12)}), -1);
}

TEST(DateTextTest, IsoAndMixedForms)
{
    const TDateTime May11 = D(2021, 5, 11);
    const TDateTime At = May11 + EncodeTime(10, 20, 30, 0);
    struct TCase {
        const char* Text;
        TDateTime Expected;
    };
    const TCase kDateTimes[] = {
        {"2021-05-11T10:20:30Z", At},     {"2021-05-11T10:20:30+02:00", At}, {"2021-05-11T10:20:30-05:00", At},
        {"20210511T102030", At},          {"2021-05-11T10:20", May11 + EncodeTime(10, 20, 0, 0)},
        {"2021-05-11", May11},            {"", 0},                           {"2021-13-01T10:00:00", EncodeTime(10, 0, 0, 0)},
        {"2021-05-11T25:00:00", May11},
    };
    for (const TCase& C : kDateTimes)
        EXPECT_NEAR(double(ParseISODateTime(C.Text)), double(C.Expected), 1e-9) << C.Text;
    for (const char* Text : {"20210511", "2021-05-11", "11.05.2021", "2021-05-11T23:59:00"})
        EXPECT_EQ(double(ParseDateText(Text)), double(May11)) << Text;
}

TEST(PeriodTest, OpenBoundsAcceptTheirSide)
{
    const TDateTime Day = D(2021, 6, 15) + 0.5;
    struct TCase {
        TDateTime Start, Ends;
        bool Contains;
    };
    const TCase kCases[] = {
        {0, 0, true},
        {0, D(2021, 6, 15), true},
        {0, D(2021, 6, 14), false},
        {D(2021, 6, 15), 0, true},
        {D(2021, 6, 16), 0, false},
        {D(2021, 6, 1), D(2021, 6, 30), true},
        {D(2021, 7, 1), D(2021, 7, 30), false},
    };
    for (const TCase& C : kCases) {
        TXPeriod Period{{C.Start}, {C.Ends}};
        EXPECT_EQ(Period.Contains(Day), C.Contains) << DateToText(C.Start) << ".." << DateToText(C.Ends);
    }
    TXPeriod Open;
    EXPECT_FALSE(Open.InRange(Day));   // InRange uses the bounds as stored
}

TEST(RecurringDateTest, NthWeekdayOfMonth)
{
    enum { Mon = 1, Tue, Wed, Thu, Fri, Sat, Sun };
    struct TCase {
        int N, Weekday;
        TDateTime Month, Expected;
    };
    // March 2021 starts on a Monday; May 2021 ends on a Monday; February 2021 has four Mondays.
    const TCase kCases[] = {
        {1, Mon, D(2021, 3, 17), D(2021, 3, 1)},  {2, Wed, D(2021, 3, 1), D(2021, 3, 10)},
        {1, Sun, D(2021, 3, 1), D(2021, 3, 7)},   {-1, Mon, D(2021, 5, 3), D(2021, 5, 31)},
        {-1, Fri, D(2021, 5, 3), D(2021, 5, 28)}, {-2, Tue, D(2021, 5, 3), D(2021, 5, 18)},
        {1, Mon, D(2021, 4, 9), D(2021, 4, 5)},   {5, Mon, D(2021, 2, 1), D(2021, 3, 1)},   // into March
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(double(NthWeekdayOfMonth(C.N, C.Weekday, C.Month)), double(C.Expected))
            << C.N << " x " << C.Weekday << " in " << DateToText(C.Month);
    EXPECT_EQ(double(WeekdayInWeek(7, D(2021, 3, 3) + 0.5)), double(D(2021, 3, 7)));
    EXPECT_EQ(double(WeekdayInWeek(1, D(2021, 3, 7))), double(D(2021, 3, 1)));
    EXPECT_EQ(double(StartOfTheWeek(D(2021, 3, 7) + 0.75)), double(D(2021, 3, 1)));
    EXPECT_EQ(double(StartOfTheWeek(D(2021, 3, 1))), double(D(2021, 3, 1)));
}

TEST(RecurringDateTest, DayOfMonthCountsFromEitherEnd)
{
    const TDateTime Feb = D(2021, 2, 10) + 0.25;
    struct TCase {
        int N;
        TDateTime Expected;
    };
    const TCase kCases[] = {
        {1, D(2021, 2, 1) + 0.25},  {28, D(2021, 2, 28) + 0.25}, {29, 0},
        {-1, D(2021, 2, 28) + 0.25}, {-28, D(2021, 2, 1) + 0.25}, {-29, 0}, {0, 0},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(double(DayOfMonthDate(C.N, Feb)), double(C.Expected)) << C.N;
}

TEST(RecurringDateTest, MonthAndYearSpecs)
{
    struct TCase {
        int16_t M, Y;
        int CurMonth, CurYear;
        int Month, Year;
    };
    const TCase kCases[] = {
        {0, 2030, 5, 2021, 5, 2021},   {3, 0, 5, 2021, 3, 2021},      {3, 2030, 5, 2021, 3, 2030},
        {3, 101, 5, 2021, 3, 2022},    {3, 99, 5, 2021, 3, 2020},     {3, -1, 5, 2021, 3, 2120},
        {100, 0, 12, 2021, 12, 2021},  {101, 0, 12, 2021, 1, 2022},   {101, 0, 5, 2021, 6, 2021},
        {113, 0, 5, 2021, 6, 2022},    {-101, 0, 1, 2021, 12, 2020},  {-101, 0, 5, 2021, 4, 2021},
        {-102, 0, 2, 2021, 12, 2020},  {-113, 0, 3, 2021, 2, 2020},   {-100, 0, 3, 2021, 3, 2021},
        {50, 0, 5, 2021, 5, 2021},
    };
    for (const TCase& C : kCases) {
        int Month = 0, Year = 0;
        ResolveMonthYearSpec({C.M, C.Y}, C.CurMonth, C.CurYear, Month, Year);
        EXPECT_EQ(Month, C.Month) << C.M << "/" << C.Y << " from " << C.CurMonth;
        EXPECT_EQ(Year, C.Year) << C.M << "/" << C.Y << " from " << C.CurMonth;
    }
}

TEST(DateTimeRecordTest, RecordParts)
{
    TXDateTimeRecord Record{2021, 5, 11, 2, 10, 20, 30, 500};
    EXPECT_EQ(double(DateTimeRecordToDateTime(Record)), double(D(2021, 5, 11) + EncodeTime(10, 20, 30, 500)));
    EXPECT_EQ(SystemTimeToMinuteOfDay(Record), 620);
    EXPECT_EQ(SystemTimeToSecondOfDay(Record), 37230);
    EXPECT_EQ(double(EncodeDateDef(2021, 2, 30, 7)), 7.0);
    EXPECT_EQ(double(EncodeTimeDef(24, 0, 0, 0, 0.5)), 0.5);
}

TEST(DateTimeRecordTest, InvalidDatesFallBackOnTheApplicationsToday)
{
    auto* Clock = TXTestClockApp::Create();
    SetNVCoreApp(Clock);
    Clock->SetLocal(D(2024, 2, 29) + 0.25);
    EXPECT_EQ(double(EncodeDateOrToday(2021, 2, 28)), double(D(2021, 2, 28)));
    EXPECT_EQ(double(EncodeDateOrToday(2021, 2, 29)), double(D(2024, 2, 29)));
    SetNVCoreApp(nullptr);
}

}  // namespace

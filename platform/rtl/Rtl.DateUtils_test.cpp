// Calendar arithmetic: known days, weekdays, invalid dates and rounding at midnight.
#include "Rtl.DateUtils.h"

#include <gtest/gtest.h>

#include <ctime>

#include "Rtl.SysUtils.h"

namespace {

struct TKnownDay {
    int Year, Month, Day;
    double Serial;
    int DayOfTheWeek;   // 1 Monday ... 7 Sunday
};

const TKnownDay kKnownDays[] = {
    {1899, 12, 30, 0, 6},     {1900, 1, 1, 2, 1},      {1900, 3, 1, 61, 4},   // 1900 is no leap year
    {2000, 2, 29, 36585, 2},  {2021, 3, 5, 44260, 5},  {2024, 12, 31, 45657, 2},
    {1, 1, 1, -693593, 1},    {9999, 12, 31, 2958465, 5},
};

TEST(DateUtilsTest, EncodesAndDecodesKnownDays)
{
    for (const TKnownDay& D : kKnownDays) {
        SCOPED_TRACE(IntToStr(D.Year) + "-" + IntToStr(D.Month) + "-" + IntToStr(D.Day));
        TDateTime Date = EncodeDate(D.Year, D.Month, D.Day);
        EXPECT_EQ(double(Date), D.Serial);
        uint16_t Y, M, Day;
        // Before 1899 the fraction still counts forward from the day's start: -1.75 is 18:00.
        DecodeDate(Date + (D.Serial >= 0 ? 0.75 : -0.75), Y, M, Day);
        EXPECT_EQ(Y, D.Year);
        EXPECT_EQ(M, D.Month);
        EXPECT_EQ(Day, D.Day);
        EXPECT_EQ(DayOfTheWeek(Date), D.DayOfTheWeek);
        EXPECT_EQ(DayOfWeek(Date), D.DayOfTheWeek % 7 + 1);
    }
}

TEST(DateUtilsTest, RejectsInvalidDatesAndTimes)
{
    TDateTime Value;
    EXPECT_FALSE(TryEncodeDate(2021, 2, 29, Value));
    EXPECT_FALSE(TryEncodeDate(2021, 13, 1, Value));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, Value));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, Value));
    EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, Value));
    EXPECT_THROW(EncodeDate(2021, 4, 31), EConvertError);
    EXPECT_EQ(DaysInAMonth(2024, 2), 29);
    EXPECT_EQ(DaysInAMonth(2100, 2), 28);
}

TEST(DateUtilsTest, TimeRoundsToTheMillisecondAndCarriesIntoTheNextDay)
{
    uint16_t H, M, S, MS;
    DecodeTime(EncodeTime(13, 45, 30, 250), H, M, S, MS);
    EXPECT_EQ((std::array{H, M, S, MS}), (std::array<uint16_t, 4>{13, 45, 30, 250}));
    // A hair before midnight is midnight of the next day, never 24:00.
    TDateTime AlmostMidnight = EncodeDate(2021, 12, 31) + 0.9999999999;
    EXPECT_EQ(double(DateOf(AlmostMidnight)), double(EncodeDate(2022, 1, 1)));
    EXPECT_EQ(double(TimeOf(AlmostMidnight)), 0.0);
    EXPECT_TRUE(IsSameDay(EncodeDate(2021, 5, 11) + 0.1, EncodeDate(2021, 5, 11) + 0.9));
    EXPECT_EQ(CompareDate(EncodeDate(2021, 5, 11) + 0.9, EncodeDate(2021, 5, 12)), -1);
    EXPECT_EQ(double(UnixToDateTime(86400, 500)), UnixDateDelta + 1 + 500 / MSecsPerDay);
}

TEST(RtlDateUtilsTest, SystemClockFieldsAgreeWithTheCalendar)
{
    TSystemTime Utc;
    GetSystemTime(Utc);
    std::time_t Seconds = std::time(nullptr);
    // Days since 1 January 1970 from the fields, against the C library's count.
    double Days = double(EncodeDate(Utc.wYear, Utc.wMonth, Utc.wDay)) - UnixDateDelta;
    EXPECT_NEAR(Days, double(Seconds / 86400), 1);
    EXPECT_EQ(Utc.wDayOfWeek, (static_cast<int64_t>(Days) + 4) % 7);   // 1 January 1970 was a Thursday
    EXPECT_LT(Utc.wMilliseconds, 1000);
}

}  // namespace

// Calendar arithmetic of TDateTime and the system clock's fields.
#include "Rtl.DateUtils.h"

#include <gtest/gtest.h>

#include <ctime>

#include "Rtl.SysUtils.h"

namespace {

TEST(RtlDateUtilsTest, DatesCountDaysFromTheEpoch)
{
    const struct {
        uint16_t Year, Month, Day;
        double Expected;
    } Cases[] = {
        {1899, 12, 30, 0}, {1900, 1, 1, 2}, {2000, 1, 1, 36526}, {2000, 3, 1, 36586},   // 2000 is leap
        {2100, 3, 1, 73110}, {1, 1, 1, -693593},                                      // 2100 is not
    };
    for (auto Case : Cases)
        EXPECT_EQ(double(EncodeDate(Case.Year, Case.Month, Case.Day)), Case.Expected) << Case.Year;
    EXPECT_EQ(double(EncodeDate(2024, 2, 29)) + 1, double(EncodeDate(2024, 3, 1)));
}

TEST(RtlDateUtilsTest, InvalidFieldsRaise)
{
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST(RtlDateUtilsTest, TimesAreFractionsOfADay)
{
    EXPECT_EQ(double(EncodeTime(12, 0, 0, 0)), 0.5);
    EXPECT_EQ(double(EncodeTime(6, 0, 0, 0)), 0.25);
    TSystemTime Time{2024, 2, 4, 29, 18, 0, 0, 500};
    EXPECT_DOUBLE_EQ(double(SystemTimeToDateTime(Time)), double(EncodeDate(2024, 2, 29)) + 0.75 + 0.5 / 86400);
}

TEST(RtlDateUtilsTest, SystemClockFieldsAgreeWithTheCalendar)
{
    TSystemTime Utc;
    GetSystemTime(Utc);
    std::time_t Seconds = std::time(nullptr);
    // Days since 1 January 1970 (25569 in TDateTime) from the fields, against the C library's count.
    double Days = double(EncodeDate(Utc.wYear, Utc.wMonth, Utc.wDay)) - 25569;
    EXPECT_NEAR(Days, double(Seconds / 86400), 1);
    EXPECT_EQ(Utc.wDayOfWeek, (static_cast<int64_t>(Days) + 4) % 7);   // 1 January 1970 was a Thursday
    EXPECT_LT(Utc.wMilliseconds, 1000);
}

}  // namespace

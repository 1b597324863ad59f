// UTC to local time through the zone rules, on both sides of a daylight-saving change.
#include "Win.Time.h"

#include <gtest/gtest.h>

#include "Rtl.DateUtils.h"
#include "Win.TestEnvironment.h"

namespace {

TEST(TimeZoneTest, LocalTimeFollowsTheZoneRules)
{
    TTestHome Home;
    Home.Set("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    ResetTimeZone();
    const double Hour = 1.0 / 24, MSec = 1 / MSecsPerDay;
    TDateTime Winter = EncodeDate(2021, 1, 15) + EncodeTime(12, 0, 0, 250);
    TDateTime Summer = EncodeDate(2021, 7, 15) + EncodeTime(23, 30, 0, 0);
    EXPECT_NEAR(UtcToLocalDateTime(Winter), Winter + Hour, MSec / 2);
    EXPECT_NEAR(UtcToLocalDateTime(Summer), Summer + 2 * Hour, MSec / 2);   // into the next day
    Home.Set("TZ", "UTC0");
    ResetTimeZone();
    EXPECT_NEAR(UtcToLocalDateTime(Summer), Summer, MSec / 2);
}

}  // namespace

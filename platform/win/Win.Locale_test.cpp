// Language ids from POSIX locales, ISO names, the first day of the week and the format record.
#include "Win.Locale.h"

#include <gtest/gtest.h>

#include "Win.TestEnvironment.h"

namespace {

TEST(LocaleTest, PosixNamesMapToWindowsLanguageIds)
{
    struct TCase {
        const char* Name;
        LANGID Id;
    };
    const TCase kCases[] = {
        {"en_US.UTF-8", 0x0409}, {"de_DE.UTF-8", 0x0407}, {"de_CH", 0x0807},    {"de_AT.utf8@euro", 0x0C07},
        {"de", 0x0007},          {"en", 0x0009},          {"pt_BR", 0x0416},    {"en_XX", 0x0409},
        {"C", 0x0409},           {"POSIX", 0x0409},       {"C.UTF-8", 0x0409},  {"xx_YY", 0x0409},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(LocaleNameToLangID(C.Name), C.Id) << C.Name;
    EXPECT_EQ(GetISOLanguageName(0x0809), "en");
    EXPECT_EQ(GetISOCountryName(0x0809), "GB");
    EXPECT_EQ(GetISOCountryName(0x0007), "DE");   // a language alone answers its main country
    EXPECT_EQ(GetISOCountryName(0x7FFF), "");
}

TEST(LocaleTest, TheUserLocaleComesFromTheEnvironment)
{
    TTestHome Home;
    Home.Set("LC_ALL", std::nullopt);
    Home.Set("LC_MESSAGES", "de_CH.UTF-8");
    Home.Set("LANG", "en_US.UTF-8");
    EXPECT_EQ(GetUserDefaultLangID(), 0x0807);
    EXPECT_EQ(GetISOLanguageName(LOCALE_USER_DEFAULT), "de");
    EXPECT_EQ(GetUserFirstDayOfWeek(), 0);   // Monday
    Home.Set("LC_ALL", "en_US.UTF-8");
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    EXPECT_EQ(GetUserFirstDayOfWeek(), 6);   // Sunday
}

TEST(LocaleTest, FormatSettingsStartTheWeekOnSunday)
{
    TTestHome Home;
    Home.Set("LC_ALL", "C");
    TFormatSettings Settings = GetLocaleFormatSettings(LOCALE_USER_DEFAULT);
    EXPECT_EQ(Settings.LongMonthNames[0], "January");
    EXPECT_EQ(Settings.ShortMonthNames[11], "Dec");
    EXPECT_EQ(Settings.LongDayNames[0], "Sunday");
    EXPECT_EQ(Settings.ShortDayNames[1], "Mon");
    EXPECT_EQ(Settings.DecimalSeparator, ".");
    EXPECT_EQ(Settings.ShortDateFormat, "mm/dd/yy");
    EXPECT_EQ(Settings.DateSeparator, "/");
    EXPECT_EQ(Settings.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(Settings.TimeSeparator, ":");
    EXPECT_EQ(Settings.CurrencyDecimals, 2);
}

}  // namespace

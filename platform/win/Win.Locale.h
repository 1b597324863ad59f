// Win.Locale.h: the user's locale as Windows describes it: a language id (LANGID: primary
// language in the low 10 bits, sub-language above), ISO names, the first day of the week and
// the format settings. The locale is the process's POSIX one (LC_ALL, else LC_MESSAGES, else
// LANG), so tests replace it through the environment. Month and day names come from the C
// library's locale data when it is installed, in English otherwise.
#pragma once

#include <array>
#include <cstdint>

#include "Rtl.Types.h"

using LANGID = uint16_t;
using LCID = uint32_t;

inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

// Delphi's format record: separators and texts are UTF-8; the day arrays start with Sunday.
struct TFormatSettings {
    uint8_t CurrencyFormat = 0;
    uint8_t NegCurrFormat = 0;
    String ThousandSeparator;
    String DecimalSeparator;
    uint8_t CurrencyDecimals = 0;
    String DateSeparator;
    String TimeSeparator;
    String ListSeparator;
    String CurrencyString;
    String ShortDateFormat;
    String LongDateFormat;
    String TimeAMString;
    String TimePMString;
    String ShortTimeFormat;
    String LongTimeFormat;
    std::array<String, 12> ShortMonthNames;
    std::array<String, 12> LongMonthNames;
    std::array<String, 7> ShortDayNames;
    std::array<String, 7> LongDayNames;
    uint16_t TwoDigitYearCenturyWindow = 0;
};

// The POSIX locale name the user runs under ("de_CH.UTF-8"); "C" when none is set.
String UserLocaleName();
// The Windows language id of a POSIX locale name: "de_CH.UTF-8" 0x0807, "de" 7 (the
// language alone), "C" and unknown names 0x0409.
LANGID LocaleNameToLangID(const String& ALocaleName);
LANGID GetUserDefaultLangID();
// ALocale may be LOCALE_USER_DEFAULT. ISO 639 and ISO 3166 names ("en", "US"); "" when the
// id is none of ours.
String GetISOLanguageName(LCID ALocale);
String GetISOCountryName(LCID ALocale);
// The user's first day of the week as Windows' digit: 0 Monday ... 6 Sunday.
int GetUserFirstDayOfWeek();
// The locale's formats and names; the user's locale data for LOCALE_USER_DEFAULT.
TFormatSettings GetLocaleFormatSettings(LCID ALocale);

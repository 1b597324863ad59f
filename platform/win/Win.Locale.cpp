// Win.Locale.cpp: the table from POSIX locales to Windows language ids, and the C library's
// locale data.
#include "Win.Locale.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <climits>
#include <cstdlib>

#include "Rtl.SysUtils.h"

namespace {

struct TLocaleEntry {
    LANGID LangID;
    const char* Language;
    const char* Country;
};

// The first entry of a language is its main country (used for the language alone).
constexpr TLocaleEntry kLocales[] = {
    {0x0409, "en", "US"}, {0x0809, "en", "GB"}, {0x0C09, "en", "AU"}, {0x1009, "en", "CA"},
    {0x1409, "en", "NZ"}, {0x1809, "en", "IE"}, {0x1C09, "en", "ZA"}, {0x4009, "en", "IN"},
    {0x0407, "de", "DE"}, {0x0807, "de", "CH"}, {0x0C07, "de", "AT"}, {0x1007, "de", "LU"},
    {0x1407, "de", "LI"}, {0x040C, "fr", "FR"}, {0x080C, "fr", "BE"}, {0x0C0C, "fr", "CA"},
    {0x100C, "fr", "CH"}, {0x140C, "fr", "LU"}, {0x0410, "it", "IT"}, {0x0810, "it", "CH"},
    {0x0C0A, "es", "ES"}, {0x080A, "es", "MX"}, {0x2C0A, "es", "AR"}, {0x0416, "pt", "BR"},
    {0x0816, "pt", "PT"}, {0x0413, "nl", "NL"}, {0x0813, "nl", "BE"}, {0x041D, "sv", "SE"},
    {0x081D, "sv", "FI"}, {0x0406, "da", "DK"}, {0x0414, "nb", "NO"}, {0x0814, "nn", "NO"},
    {0x040B, "fi", "FI"}, {0x040F, "is", "IS"}, {0x0415, "pl", "PL"}, {0x0405, "cs", "CZ"},
    {0x041B, "sk", "SK"}, {0x0424, "sl", "SI"}, {0x040E, "hu", "HU"}, {0x0418, "ro", "RO"},
    {0x041A, "hr", "HR"}, {0x0402, "bg", "BG"}, {0x0419, "ru", "RU"}, {0x0422, "uk", "UA"},
    {0x0423, "be", "BY"}, {0x0427, "lt", "LT"}, {0x0426, "lv", "LV"}, {0x0425, "et", "EE"},
    {0x0408, "el", "GR"}, {0x041F, "tr", "TR"}, {0x040D, "he", "IL"}, {0x0401, "ar", "SA"},
    {0x0C01, "ar", "EG"}, {0x0411, "ja", "JP"}, {0x0412, "ko", "KR"}, {0x0804, "zh", "CN"},
    {0x0404, "zh", "TW"}, {0x0C04, "zh", "HK"}, {0x1004, "zh", "SG"}, {0x041E, "th", "TH"},
    {0x042A, "vi", "VN"}, {0x0421, "id", "ID"}, {0x043E, "ms", "MY"}, {0x0439, "hi", "IN"},
    {0x0403, "ca", "ES"}, {0x042D, "eu", "ES"}, {0x0456, "gl", "ES"},
};

// Countries whose week starts on Sunday; every other starts on Monday.
constexpr const char* kSundayCountries[] = {"US", "CA", "MX", "BR", "JP", "KR", "TW", "HK",
                                            "IL", "PH", "SA", "IN", "ZA"};

// "de_CH.UTF-8@euro" as language "de" and country "CH".
void SplitLocaleName(const String& AName, String& ALanguage, String& ACountry)
{
    String Name = AName.substr(0, AName.find_first_of(".@"));
    size_t Underscore = Name.find('_');
    ALanguage = LowerCase(Name.substr(0, Underscore));
    ACountry = Underscore == String::npos ? String() : UpperCase(Name.substr(Underscore + 1));
}

const TLocaleEntry* FindEntry(LCID ALocale)
{
    LANGID Id = static_cast<LANGID>(ALocale == LOCALE_USER_DEFAULT ? GetUserDefaultLangID() : ALocale);
    for (const TLocaleEntry& Entry : kLocales)
        if (Entry.LangID == Id)
            return &Entry;
    // A language alone (the sub-language 0) answers for its main country.
    for (const TLocaleEntry& Entry : kLocales)
        if (Id < 0x0400 && (Entry.LangID & 0x3FF) == Id)
            return &Entry;
    return nullptr;
}

// The C library's data for a locale, the "C" locale's when it is not installed.
class TLocaleData {
public:
    explicit TLocaleData(LCID ALocale)
    {
        if (ALocale == LOCALE_USER_DEFAULT)
            FLocale = ::newlocale(LC_ALL_MASK, UserLocaleName().c_str(), nullptr);
        else if (const TLocaleEntry* Entry = FindEntry(ALocale))
            FLocale = ::newlocale(LC_ALL_MASK, (String(Entry->Language) + "_" + Entry->Country + ".UTF-8").c_str(),
                                  nullptr);
        if (FLocale == nullptr)
            FLocale = ::newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
    }
    ~TLocaleData()
    {
        if (FLocale != nullptr)
            ::freelocale(FLocale);
    }
    TLocaleData(const TLocaleData&) = delete;
    TLocaleData& operator=(const TLocaleData&) = delete;

    String Text(nl_item AItem) const { return FLocale != nullptr ? ::nl_langinfo_l(AItem, FLocale) : ""; }
    // A small number item; -1 where the locale leaves it unset (CHAR_MAX in the C library).
    int Number(nl_item AItem) const
    {
        String Value = Text(AItem);
        if (Value.empty() || Value[0] == CHAR_MAX || static_cast<unsigned char>(Value[0]) == UCHAR_MAX)
            return -1;
        return static_cast<unsigned char>(Value[0]);
    }

private:
    locale_t FLocale = nullptr;
};

// A strftime date or time format as a Delphi one ("%d.%m.%Y" is "dd.mm.yyyy").
String DelphiFormat(const String& AFormat)
{
    String Result;
    for (size_t I = 0; I < AFormat.size(); ++I) {
        if (AFormat[I] != '%' || I + 1 == AFormat.size()) {
            Result += AFormat[I];
            continue;
        }
        switch (AFormat[++I]) {
        case 'd': Result += "dd"; break;
        case 'e': Result += "d"; break;
        case 'm': Result += "mm"; break;
        case 'b': Result += "mmm"; break;
        case 'B': Result += "mmmm"; break;
        case 'y': Result += "yy"; break;
        case 'Y': Result += "yyyy"; break;
        case 'a': Result += "ddd"; break;
        case 'A': Result += "dddd"; break;
        case 'H': case 'I': Result += "hh"; break;
        case 'M': Result += "nn"; break;
        case 'S': Result += "ss"; break;
        case 'p': Result += "ampm"; break;
        case 'T': Result += "hh:nn:ss"; break;
        case 'R': Result += "hh:nn"; break;
        case 'D': Result += "mm/dd/yy"; break;
        case 'F': Result += "yyyy-mm-dd"; break;
        case '%': Result += '%'; break;
        default: break;
        }
    }
    return Result;
}

// The first character of a format that is no letter: the separator it uses.
String FirstSeparator(const String& AFormat, const char* ADefault)
{
    for (char C : AFormat)
        if (!std::isalpha(static_cast<unsigned char>(C)) && C != ' ')
            return String(1, C);
    return ADefault;
}

void FillNames(const TLocaleData& AData, TFormatSettings& ASettings)
{
    for (int I = 0; I < 12; ++I) {
        ASettings.ShortMonthNames[I] = AData.Text(ABMON_1 + I);
        ASettings.LongMonthNames[I] = AData.Text(MON_1 + I);
    }
    for (int I = 0; I < 7; ++I) {   // the C library's arrays start with Sunday too
        ASettings.ShortDayNames[I] = AData.Text(ABDAY_1 + I);
        ASettings.LongDayNames[I] = AData.Text(DAY_1 + I);
    }
}

void FillFormats(const TLocaleData& AData, TFormatSettings& ASettings)
{
    ASettings.ShortDateFormat = DelphiFormat(AData.Text(D_FMT));
    ASettings.DateSeparator = FirstSeparator(ASettings.ShortDateFormat, "/");
    bool MonthFirst = ASettings.ShortDateFormat.find('m') < ASettings.ShortDateFormat.find('d');
    ASettings.LongDateFormat = MonthFirst ? "dddd, mmmm d, yyyy" : "dddd, d mmmm yyyy";
    ASettings.LongTimeFormat = DelphiFormat(AData.Text(T_FMT));
    ASettings.TimeSeparator = FirstSeparator(ASettings.LongTimeFormat, ":");
    ASettings.ShortTimeFormat = "hh" + ASettings.TimeSeparator + "nn";
    ASettings.TimeAMString = AData.Text(AM_STR);
    ASettings.TimePMString = AData.Text(PM_STR);
}

void FillNumbers(const TLocaleData& AData, TFormatSettings& ASettings)
{
    ASettings.DecimalSeparator = AData.Text(RADIXCHAR);
    if (ASettings.DecimalSeparator.empty())
        ASettings.DecimalSeparator = ".";
    ASettings.ThousandSeparator = AData.Text(THOUSEP);
    ASettings.ListSeparator = ASettings.DecimalSeparator == "," ? ";" : ",";
    // CRNCYSTR is the symbol after "-" (before the amount), "+" (after) or "." (in place of the point).
    String Currency = AData.Text(CRNCYSTR);
    bool Precedes = Currency.empty() || Currency[0] != '+';
    ASettings.CurrencyString = Currency.size() > 1 ? Currency.substr(1) : String();
    bool Spaced = AData.Number(__P_SEP_BY_SPACE) == 1;
    ASettings.CurrencyFormat = static_cast<uint8_t>(Precedes ? (Spaced ? 2 : 0) : (Spaced ? 3 : 1));
    ASettings.NegCurrFormat = static_cast<uint8_t>(Precedes ? (Spaced ? 9 : 1) : (Spaced ? 8 : 5));
    int Decimals = AData.Number(__FRAC_DIGITS);
    ASettings.CurrencyDecimals = static_cast<uint8_t>(Decimals < 0 ? 2 : Decimals);
}

}  // namespace

String UserLocaleName()
{
    for (const char* Variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* Value = std::getenv(Variable); Value != nullptr && *Value != '\0')
            return Value;
    return "C";
}

LANGID LocaleNameToLangID(const String& ALocaleName)
{
    String Language, Country;
    SplitLocaleName(ALocaleName, Language, Country);
    for (const TLocaleEntry& Entry : kLocales)
        if (Language == Entry.Language && Country == Entry.Country)
            return Entry.LangID;
    if (Country.empty())
        for (const TLocaleEntry& Entry : kLocales)
            if (Language == Entry.Language)
                return static_cast<LANGID>(Entry.LangID & 0x3FF);
    // A known language in another country: the language's main sub-language.
    for (const TLocaleEntry& Entry : kLocales)
        if (Language == Entry.Language)
            return Entry.LangID;
    return 0x0409;
}

LANGID GetUserDefaultLangID()
{
    return LocaleNameToLangID(UserLocaleName());
}

String GetISOLanguageName(LCID ALocale)
{
    const TLocaleEntry* Entry = FindEntry(ALocale);
    return Entry != nullptr ? Entry->Language : "";
}

String GetISOCountryName(LCID ALocale)
{
    const TLocaleEntry* Entry = FindEntry(ALocale);
    return Entry != nullptr ? Entry->Country : "";
}

int GetUserFirstDayOfWeek()
{
    String Country = GetISOCountryName(LOCALE_USER_DEFAULT);
    for (const char* Sunday : kSundayCountries)
        if (Country == Sunday)
            return 6;
    return 0;
}

TFormatSettings GetLocaleFormatSettings(LCID ALocale)
{
    TLocaleData Data(ALocale);
    TFormatSettings Settings;
    FillNames(Data, Settings);
    FillFormats(Data, Settings);
    FillNumbers(Data, Settings);
    Settings.TwoDigitYearCenturyWindow = 50;
    return Settings;
}

// XCore.Locale.cpp: localized objects, the id list and the locale singleton.
#include "XCore.Locale.h"

#include <cstdio>

#include "Rtl.Encoding.h"
#include "Rtl.SysUtils.h"
#include "Rtl.TypInfo.h"

namespace {

TXNVLocale* GNVLocale = nullptr;

String Hex4(unsigned AValue)
{
    char Buffer[8];
    std::snprintf(Buffer, sizeof Buffer, "%04x", AValue & 0xFFFF);
    return Buffer;
}

// The first character of a UTF-8 text, whole.
String FirstCharacter(const String& AText)
{
    return AText.empty() ? String() : AText.substr(0, Utf8CharLength(AText, 0));
}

}  // namespace

// ---- Localized objects -------------------------------------------------------------------

bool TXLocalizedCollectionItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXLocalizedCollectionItem>(ASource))
        FLgID = Source->FLgID;
    return inherited::AssignFrom(ASource);
}

void TXLocalizedCollectionItem::DoClear()
{
    inherited::DoClear();
    FLgID = 0;
}

// ---- TXLocaleIDStringList ----------------------------------------------------------------

void TXLocaleIDStringList::SetDefaultLgID(uint32_t AValue)
{
    FDefaultLgID = AValue;
    if (FOnDefaultChanged)
        FOnDefaultChanged(this);
}

uint32_t TXLocaleIDStringList::GetItemLgID(int AIndex) const
{
    int64_t Id;
    return TryStrToInt64(Strings(AIndex), Id) ? static_cast<uint32_t>(Id) : 9;
}

void TXLocaleIDStringList::Assign(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXLocaleIDStringList>(ASource))
        SetDefaultLgID(Source->FDefaultLgID);
    inherited::Assign(ASource);
}

void TXLocaleIDStringList::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("DefaultLgID", &TXLocaleIDStringList::DefaultLgID, &TXLocaleIDStringList::SetDefaultLgID);
    P.Property("OnDefaultChanged", &TXLocaleIDStringList::OnDefaultChanged,
               &TXLocaleIDStringList::SetOnDefaultChanged);
}

// ---- TXFormatSettingsObject --------------------------------------------------------------

void TXFormatSettingsObject::Assign(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXFormatSettingsObject>(ASource)) {
        FFormatSettings = Source->FFormatSettings;
        return;
    }
    inherited::Assign(ASource);
}

template <auto AArray, size_t... AIndexes>
void TXFormatSettingsObject::DeclareElements(TPropertyDeclarer& P, const String& AName,
                                             std::index_sequence<AIndexes...>)
{
    (P.Property(AName + IntToStr(AIndexes + 1), &TXFormatSettingsObject::Element<AArray, AIndexes>,
                &TXFormatSettingsObject::SetElement<AArray, AIndexes>),
     ...);
}

void TXFormatSettingsObject::DeclareProperties(TPropertyDeclarer& P)
{
    using T = TXFormatSettingsObject;
    using S = TXFormatSettings;
#define X_FIELD(Name) P.Property(#Name, &T::Field<&S::Name>, &T::SetField<&S::Name>)
    X_FIELD(FirstDay);
    X_FIELD(CurrencyFormat);
    X_FIELD(NegCurrFormat);
    X_FIELD(ThousandSeparator);
    X_FIELD(DecimalSeparator);
    X_FIELD(CurrencyDecimals);
    X_FIELD(DateSeparator);
    X_FIELD(TimeSeparator);
    X_FIELD(ListSeparator);
    X_FIELD(CurrencyString);
    X_FIELD(ShortDateFormat);
    X_FIELD(LongDateFormat);
    X_FIELD(TimeAMString);
    X_FIELD(TimePMString);
    X_FIELD(ShortTimeFormat);
    X_FIELD(LongTimeFormat);
#undef X_FIELD
    DeclareElements<&S::ShortMonthNames>(P, "ShortMonthNames", std::make_index_sequence<12>());
    DeclareElements<&S::LongMonthNames>(P, "LongMonthNames", std::make_index_sequence<12>());
    DeclareElements<&S::ShortDayNames>(P, "ShortDayNames", std::make_index_sequence<7>());
    DeclareElements<&S::LongDayNames>(P, "LongDayNames", std::make_index_sequence<7>());
    DeclareElements<&S::UltraShortDayNames>(P, "UltraShortDayNames", std::make_index_sequence<7>());
    P.Property("TwoDigitYearCenturyWindow", &T::Field<&S::TwoDigitYearCenturyWindow>,
               &T::SetField<&S::TwoDigitYearCenturyWindow>);
}

// ---- TXNVLocale --------------------------------------------------------------------------

void TXNVLocale::Initialize()
{
    FLangID = GetUserDefaultLangID();
    FPrimaryLangID = PrimaryLangIDOf(FLangID);
}

uint8_t TXNVLocale::PrimaryLangIDOf(uint16_t AId)
{
    return static_cast<uint8_t>(AId & 0xFF);
}

void TXNVLocale::SplitLangID(uint16_t AId, uint8_t& APrimary, uint8_t& ASub)
{
    APrimary = static_cast<uint8_t>(AId & 0xFF);
    ASub = static_cast<uint8_t>(AId >> 8);
}

String TXNVLocale::GetLangIDHex() const
{
    return Hex4(FLangID);
}

String TXNVLocale::GetPrimaryLangIDHex() const
{
    return Hex4(FPrimaryLangID);
}

String TXNVLocale::GetISOLanguageName(LCID ALocale)
{
    return ::GetISOLanguageName(ALocale);
}

String TXNVLocale::GetISOCountryName(LCID ALocale)
{
    return ::GetISOCountryName(ALocale);
}

String TXNVLocale::GetLocaleNameOf(LCID ALocale)
{
    return GetISOLanguageName(ALocale) + "-" + GetISOCountryName(ALocale);
}

String TXNVLocale::GetLocaleName() const
{
    return GetLocaleNameOf(FLangID);
}

void TXNVLocale::GetLocaleFormatSettings(LCID ALocale, TXFormatSettings& ASettings)
{
    ASettings = TXFormatSettings();
    AssignFromFormatSettings(::GetLocaleFormatSettings(ALocale), ASettings);
    int FirstDay = GetUserFirstDayOfWeek() + 1;
    ASettings.FirstDay = FirstDay >= 0 && FirstDay <= 7 ? FirstDay : 1;
}

void TXNVLocale::GetFormatSettings(TXFormatSettings& ASettings) const
{
    GetLocaleFormatSettings(FLangID, ASettings);
}

void TXNVLocale::AssignFromFormatSettings(const TFormatSettings& AFrom, TXFormatSettings& ASettings)
{
    ASettings.FirstDay = 1;
    ASettings.CurrencyFormat = AFrom.CurrencyFormat;
    ASettings.NegCurrFormat = AFrom.NegCurrFormat;
    ASettings.ThousandSeparator = AFrom.ThousandSeparator;
    ASettings.DecimalSeparator = AFrom.DecimalSeparator;
    ASettings.CurrencyDecimals = AFrom.CurrencyDecimals;
    ASettings.DateSeparator = AFrom.DateSeparator;
    ASettings.TimeSeparator = AFrom.TimeSeparator;
    ASettings.ListSeparator = AFrom.ListSeparator;
    ASettings.CurrencyString = AFrom.CurrencyString;
    ASettings.ShortDateFormat = AFrom.ShortDateFormat;
    ASettings.LongDateFormat = AFrom.LongDateFormat;
    ASettings.TimeAMString = AFrom.TimeAMString;
    ASettings.TimePMString = AFrom.TimePMString;
    ASettings.ShortTimeFormat = AFrom.ShortTimeFormat;
    ASettings.LongTimeFormat = AFrom.LongTimeFormat;
    ASettings.ShortMonthNames = AFrom.ShortMonthNames;
    ASettings.LongMonthNames = AFrom.LongMonthNames;
    for (int I = 0; I < 7; ++I) {
        int From = (I + 1) % 7;   // Monday is the platform's index 1, Sunday its 0
        ASettings.ShortDayNames[I] = AFrom.ShortDayNames[From];
        ASettings.LongDayNames[I] = AFrom.LongDayNames[From];
        ASettings.UltraShortDayNames[I] = FirstCharacter(ASettings.ShortDayNames[I]);
    }
    ASettings.TwoDigitYearCenturyWindow = AFrom.TwoDigitYearCenturyWindow;
}

void TXNVLocale::AssignToFormatSettings(const TXFormatSettings& ASettings, TFormatSettings& ATo)
{
    ATo.CurrencyFormat = ASettings.CurrencyFormat;
    ATo.NegCurrFormat = ASettings.NegCurrFormat;
    ATo.ThousandSeparator = ASettings.ThousandSeparator;
    ATo.DecimalSeparator = ASettings.DecimalSeparator;
    ATo.CurrencyDecimals = ASettings.CurrencyDecimals;
    ATo.DateSeparator = ASettings.DateSeparator;
    ATo.TimeSeparator = ASettings.TimeSeparator;
    ATo.ListSeparator = ASettings.ListSeparator;
    ATo.CurrencyString = ASettings.CurrencyString;
    ATo.ShortDateFormat = ASettings.ShortDateFormat;
    ATo.LongDateFormat = ASettings.LongDateFormat;
    ATo.TimeAMString = ASettings.TimeAMString;
    ATo.TimePMString = ASettings.TimePMString;
    ATo.ShortTimeFormat = ASettings.ShortTimeFormat;
    ATo.LongTimeFormat = ASettings.LongTimeFormat;
    ATo.ShortMonthNames = ASettings.ShortMonthNames;
    ATo.LongMonthNames = ASettings.LongMonthNames;
    for (int I = 0; I < 7; ++I) {
        int From = (I + 6) % 7;   // the platform's Sunday first
        ATo.ShortDayNames[I] = ASettings.ShortDayNames[From];
        ATo.LongDayNames[I] = ASettings.LongDayNames[From];
    }
    ATo.TwoDigitYearCenturyWindow = ASettings.TwoDigitYearCenturyWindow;
}

TXNVLocale* NVLocale()
{
    return GNVLocale;
}

void StartNVLocale()
{
    GNVLocale = TXNVLocale::Create();
}

void StopNVLocale()
{
    FreeAndNil(GNVLocale);
}

uint16_t GetUserLangID()
{
    return GNVLocale != nullptr ? GNVLocale->LangID() : GetUserDefaultLangID();
}

uint8_t GetPrimaryLangID(uint16_t AId)
{
    return TXNVLocale::PrimaryLangIDOf(AId);
}

void SplitLangID(uint16_t AId, uint8_t& APrimary, uint8_t& ASub)
{
    TXNVLocale::SplitLangID(AId, APrimary, ASub);
}

const TFormatSettings& FileFormatSettings()
{
    static const TFormatSettings Settings = [] {
        TFormatSettings Result;
        Result.DecimalSeparator = ".";
        Result.ThousandSeparator = ",";
        Result.CurrencyDecimals = 2;
        Result.CurrencyFormat = 3;
        Result.NegCurrFormat = 8;
        return Result;
    }();
    return Settings;
}

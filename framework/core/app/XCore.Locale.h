// XCore.Locale.h: language ids on objects, items and collections, the list of language ids,
// the user's language and locale names, and the locale format record whose week starts on
// Monday. Language ids are Windows LANGIDs; 9 (English) is the framework's default.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "Rtl.Strings.h"
#include "Win.Locale.h"
#include "XCore.Classes.h"
#include "XCore.Collections.h"

struct IXLocalizable : IInterface {
    X_INTERFACE_ID(IInterface, "{814D7D34-B67B-498F-B9FA-BDC03EDA522E}");
    virtual uint32_t GetLgID() = 0;
    virtual void SetLgID(uint32_t AValue) = 0;
};

class TXLocalizedPersistent : public TXNamedPersistent, public IXLocalizable {
    X_CLASS(TXLocalizedPersistent, TXNamedPersistent)
    X_INTERFACES(IXLocalizable)
public:
    uint32_t GetLgID() override { return FLgID; }
    void SetLgID(uint32_t AValue) override { FLgID = AValue; }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXLocalizedPersistent() = default;

private:
    uint32_t FLgID = 0;   // 0: none
};

class TXLocalizedCollectionItem : public TXManagedCollectionItem, public IXLocalizable {
    X_CLASS(TXLocalizedCollectionItem, TXManagedCollectionItem)
    X_INTERFACES(IXLocalizable)
public:
    uint32_t GetLgID() override { return FLgID; }
    void SetLgID(uint32_t AValue) override { FLgID = AValue; }
    // Copies LgID from another localized item, then the display name.
    bool AssignFrom(TPersistent* ASource) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXLocalizedCollectionItem() = default;
    void DoClear() override;

private:
    uint32_t FLgID = 0;
};

// A collection whose Header holds the language and name of its whole content.
template <class T>
class TXLocalizedCollection : public XCore::Collections::TXCollection<T> {
    X_CLASS(TXLocalizedCollection, XCore::Collections::TXCollection<T>)
public:
    TXLocalizedPersistent* Header() const { return FHeader; }

protected:
    TXLocalizedCollection() = default;
    ~TXLocalizedCollection() override { FreeAndNil(FHeader); }
    void Construct(TPersistent* AOwner, TClass AItemClass) override
    {
        inherited::Construct(AOwner, AItemClass);
        FHeader = TXLocalizedPersistent::Create();
    }
    using inherited::Construct;

private:
    TXLocalizedPersistent* FHeader = nullptr;
};

// One language id per line, in decimal.
class TXLocaleIDStringList : public TStringList {
    X_CLASS(TXLocaleIDStringList, TStringList)
public:
    uint32_t DefaultLgID() const { return FDefaultLgID; }
    // Fires OnDefaultChanged on every assignment.
    void SetDefaultLgID(uint32_t AValue);
    TNotifyEvent OnDefaultChanged() const { return FOnDefaultChanged; }
    void SetOnDefaultChanged(TNotifyEvent AValue) { FOnDefaultChanged = AValue; }
    // The id in line AIndex; 9 when the line is no number.
    uint32_t GetItemLgID(int AIndex) const;
    // From another id list: DefaultLgID first, then the lines.
    void Assign(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXLocaleIDStringList() = default;

private:
    uint32_t FDefaultLgID = 9;
    TNotifyEvent FOnDefaultChanged;
};

// The framework's locale record: the day arrays start with Monday, and FirstDay is 1 Monday
// ... 7 Sunday. Separators are UTF-8 texts.
struct TXFormatSettings {
    int32_t FirstDay = 0;
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
    std::array<String, 7> UltraShortDayNames;
    uint16_t TwoDigitYearCenturyWindow = 0;
};

// The stored form of format settings: the record's fields as published properties, the arrays
// as numbered ones (ShortMonthNames1 ... ShortMonthNames12, LongDayNames1 ... LongDayNames7).
class TXFormatSettingsObject : public TPersistent {
    X_CLASS(TXFormatSettingsObject, TPersistent)
public:
    TXFormatSettings& FormatSettings() { return FFormatSettings; }
    void Assign(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXFormatSettingsObject() = default;

private:
    template <auto AField>
    using TFieldType = std::remove_cvref_t<decltype(std::declval<TXFormatSettings&>().*AField)>;
    template <auto AField>
    TFieldType<AField> Field() const
    {
        return FFormatSettings.*AField;
    }
    template <auto AField>
    void SetField(TFieldType<AField> AValue)
    {
        FFormatSettings.*AField = AValue;
    }
    template <auto AArray, size_t AIndex>
    String Element() const
    {
        return (FFormatSettings.*AArray)[AIndex];
    }
    template <auto AArray, size_t AIndex>
    void SetElement(String AValue)
    {
        (FFormatSettings.*AArray)[AIndex] = AValue;
    }
    template <auto AArray, size_t... AIndexes>
    static void DeclareElements(TPropertyDeclarer& P, const String& AName, std::index_sequence<AIndexes...>);

    TXFormatSettings FFormatSettings;
};

class TXNVLocale : public TXInitializableObject {
    X_CLASS(TXNVLocale, TXInitializableObject)
public:
    uint16_t LangID() const { return FLangID; }
    uint8_t PrimaryLangID() const { return FPrimaryLangID; }

    static uint8_t PrimaryLangIDOf(uint16_t AId);
    static void SplitLangID(uint16_t AId, uint8_t& APrimary, uint8_t& ASub);
    // Four lower-case hexadecimal digits.
    String GetLangIDHex() const;
    String GetPrimaryLangIDHex() const;
    static String GetISOLanguageName(LCID ALocale);
    static String GetISOCountryName(LCID ALocale);
    // "en-US".
    static String GetLocaleNameOf(LCID ALocale);
    String GetLocaleName() const;
    // The locale's formats and names; FirstDay is the user's, whatever ALocale is.
    static void GetLocaleFormatSettings(LCID ALocale, TXFormatSettings& ASettings);
    void GetFormatSettings(TXFormatSettings& ASettings) const;
    // The platform's record (days from Sunday) to ours (days from Monday) and back; FirstDay
    // and the one-letter names have no place in the platform's record.
    static void AssignFromFormatSettings(const TFormatSettings& AFrom, TXFormatSettings& ASettings);
    static void AssignToFormatSettings(const TXFormatSettings& ASettings, TFormatSettings& ATo);

protected:
    TXNVLocale() = default;
    void Initialize() override;

private:
    uint16_t FLangID = 0;
    uint8_t FPrimaryLangID = 0;
};

// The singleton (see XSpark.App for the start-up order).
TXNVLocale* NVLocale();
void StartNVLocale();
void StopNVLocale();

// The user's language id: the singleton's, or the platform's before start-up.
uint16_t GetUserLangID();
uint8_t GetPrimaryLangID(uint16_t AId);
void SplitLangID(uint16_t AId, uint8_t& APrimary, uint8_t& ASub);
// The fixed format for numbers in files: "." decimal, "," thousands, 2 currency decimals.
const TFormatSettings& FileFormatSettings();

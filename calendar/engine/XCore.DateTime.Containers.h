// XCore.DateTime.Containers.h: date-keyed containers (a set of day numbers, items that carry a
// day or a period with a value) and the basic date text yyyymmdd"T"hhnnss.
// Day numbers are whole days since 30 December 1899: the truncated date-time.
#pragma once

#include <cstdint>
#include <memory>

#include "Rtl.Comparers.h"
#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"
#include "XCore.Classes.h"
#include "XCore.Collections.h"
#include "XCore.DateTime.h"

// Each day once: fill it with AddUnique.
class TXDatesList : public XCore::Collections::TXList<int32_t> {
    X_CLASS(TXDatesList, XCore::Collections::TXList<int32_t>)
public:
    // Leaves exactly the values ALow <= v <= AHigh, sorted ascending.
    void KeepRange(int32_t ALow, int32_t AHigh);

protected:
    TXDatesList() = default;
};

// "20240229", "20240115T1430", "T120000": the date part is year, two-digit month and day, the
// time part hh, nn and ss. A part that is no valid date or time counts as 0.
TDateTime ParseBasicDateTime(const String& AText);

// ---- Items with a day --------------------------------------------------------------------

// How an item keeps its value: a text by value, a string list owned and copied line by line.
template <class T>
struct TXDatedValue;

template <>
struct TXDatedValue<String> {
    using TStored = String;
    static void Make(TStored&) {}
    static void Copy(TStored& ADest, const TStored& ASource) { ADest = ASource; }
    static void Clear(TStored& AValue) { AValue.clear(); }
};

template <>
struct TXDatedValue<TStrings> {
    using TStored = TOwned<TStringList>;
    static void Make(TStored& AValue) { AValue = Owned(TStringList::Create()); }
    static void Copy(TStored& ADest, const TStored& ASource) { ADest->Assign(ASource.get()); }
    static void Clear(TStored& AValue) { AValue->Clear(); }
};

template <class T>
class TXCustomDatedItem : public TXCollectionItem {
    X_CLASS(TXCustomDatedItem, TXCollectionItem)
public:
    TDateTime Day() const { return FDay.Value; }
    // The time part is dropped.
    void SetDay(TDateTime AValue) { FDay.FromDateTime(AValue); }
    // Day as dd.mm.yyyy; empty for day 0.
    String Stamp() const { return DateToText(FDay.Value); }
    // From dd.mm.yyyy; 0 for the empty text or no valid date.
    void SetStamp(const String& AValue) { SetDay(TextToDate(AValue)); }

    bool AssignFrom(TPersistent* ASource) override
    {
        if (auto* Source = AsOrNull<TXCustomDatedItem>(ASource)) {
            FDay = Source->FDay;
            TXDatedValue<T>::Copy(FValue, Source->FValue);
        }
        return inherited::AssignFrom(ASource);
    }

protected:
    TXCustomDatedItem() = default;
    void Init() override
    {
        inherited::Init();
        TXDatedValue<T>::Make(FValue);
    }
    void DoClear() override
    {
        inherited::DoClear();
        FDay.Value = 0;
        TXDatedValue<T>::Clear(FValue);
    }

    typename TXDatedValue<T>::TStored FValue;

private:
    TXDate FDay;
};

template <class T>
class TXDatedItem : public TXCustomDatedItem<T> {
    X_CLASS(TXDatedItem, TXCustomDatedItem<T>)
public:
    const T& Data() const { return this->FValue; }
    void SetData(const T& AValue) { this->FValue = AValue; }

    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Stamp", &TXDatedItem::Stamp, &TXDatedItem::SetStamp);
        P.Property("Data", &TXDatedItem::Data, &TXDatedItem::SetData);
    }

protected:
    TXDatedItem() = default;
};

class TXDatedStringItem : public TXDatedItem<String> {
    X_CLASS(TXDatedStringItem, TXDatedItem<String>)
protected:
    TXDatedStringItem() = default;
};

template <class T>
class TXDatedTItem : public TXCustomDatedItem<T> {
    X_CLASS(TXDatedTItem, TXCustomDatedItem<T>)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Stamp", &TXDatedTItem::Stamp, &TXDatedTItem::SetStamp);
    }

protected:
    TXDatedTItem() = default;
};

class TXDatedStringsItem : public TXDatedTItem<TStrings> {
    X_CLASS(TXDatedStringsItem, TXDatedTItem<TStrings>)
public:
    // Owned; the setter copies the lines.
    TStringList* Data() const { return FValue.get(); }
    void SetData(TStringList* AValue) { FValue->Assign(AValue); }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXDatedStringsItem() = default;
};

// ---- Items with a period -----------------------------------------------------------------

template <class T>
class TXCustomPeriodItem : public TXCollectionItem {
    X_CLASS(TXCustomPeriodItem, TXCollectionItem)
public:
    TDateTime StartDay() const { return FPeriod.Start.Value; }
    TDateTime EndDay() const { return FPeriod.Ends.Value; }
    // The time part is dropped.
    void SetStartDay(TDateTime AValue) { FPeriod.Start.FromDateTime(AValue); }
    void SetEndDay(TDateTime AValue) { FPeriod.Ends.FromDateTime(AValue); }
    // dd.mm.yyyy, empty for day 0; written from an ISO date-time, an ISO date or dd.mm.yyyy.
    String Start() const { return DateToText(StartDay()); }
    void SetStart(const String& AValue) { SetStartDay(ParseDateText(AValue)); }
    String Ends() const { return DateToText(EndDay()); }
    void SetEnds(const String& AValue) { SetEndDay(ParseDateText(AValue)); }
    String StartISOText() const { return FPeriod.Start.ToISOText(); }
    String EndsISOText() const { return FPeriod.Ends.ToISOText(); }

    bool AssignFrom(TPersistent* ASource) override
    {
        if (auto* Source = AsOrNull<TXCustomPeriodItem>(ASource)) {
            FPeriod = Source->FPeriod;
            TXDatedValue<T>::Copy(FValue, Source->FValue);
        }
        return inherited::AssignFrom(ASource);
    }

protected:
    TXCustomPeriodItem() = default;
    void Init() override
    {
        inherited::Init();
        TXDatedValue<T>::Make(FValue);
    }
    void DoClear() override
    {
        inherited::DoClear();
        FPeriod.Clear();
        TXDatedValue<T>::Clear(FValue);
    }

    typename TXDatedValue<T>::TStored FValue;

private:
    TXPeriod FPeriod;
};

class TXPeriodStringItem : public TXCustomPeriodItem<String> {
    X_CLASS(TXPeriodStringItem, TXCustomPeriodItem<String>)
public:
    const String& Data() const { return FValue; }
    void SetData(const String& AValue) { FValue = AValue; }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXPeriodStringItem() = default;
};

// ---- Collections -------------------------------------------------------------------------

// Sorts by day, earlier first.
template <class T, class TItem>
class TXDatedCollection : public XCore::Collections::TXCollection<TItem> {
    X_CLASS(TXDatedCollection, XCore::Collections::TXCollection<TItem>)
public:
    class TComparer final : public IComparer<TItem*> {
    public:
        int Compare(TItem* const& ALeft, TItem* const& ARight) const override
        {
            return TXDate::Compare({ALeft->Day()}, {ARight->Day()});
        }
    };

protected:
    TXDatedCollection() = default;
    void InitCollection() override { this->SetComparer(std::make_shared<TComparer>()); }
};

// Sorts by start day, then by end day.
template <class T, class TItem>
class TXPeriodCollection : public XCore::Collections::TXCollection<TItem> {
    X_CLASS(TXPeriodCollection, XCore::Collections::TXCollection<TItem>)
public:
    class TComparer final : public IComparer<TItem*> {
    public:
        int Compare(TItem* const& ALeft, TItem* const& ARight) const override
        {
            int Result = TXDate::Compare({ALeft->StartDay()}, {ARight->StartDay()});
            return Result != 0 ? Result : TXDate::Compare({ALeft->EndDay()}, {ARight->EndDay()});
        }
    };

protected:
    TXPeriodCollection() = default;
    void InitCollection() override { this->SetComparer(std::make_shared<TComparer>()); }
};

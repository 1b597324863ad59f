#include "XVData.Types.h"

#include <array>
#include <cmath>

#include "XSpark.App.h"

// ---- TXIntegerItem -----------------------------------------------------------------------

void TXIntegerItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Value", &TXIntegerItem::Value, &TXIntegerItem::SetValue);
}

bool TXIntegerItem::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXIntegerItem>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FValue = Source->FValue;
    return true;
}

void TXIntegerItem::Clear()
{
    inherited::Clear();
    FValue = 0;
}

TXIntegerItem* TXIntegerCollection::AddValue(int32_t AValue)
{
    TXIntegerItem* Item = Add();
    Item->SetValue(AValue);
    return Item;
}

TXIntegerItem* TXIntegerCollection::FindValue(int32_t AValue) const
{
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->Value() == AValue)
            return Items(I);
    return nullptr;
}

// ---- TXNameValueItem ---------------------------------------------------------------------

void TXNameValueItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Value", &TXNameValueItem::Value, &TXNameValueItem::SetValue);
}

bool TXNameValueItem::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXNameValueItem>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FValue = Source->FValue;
    return true;
}

void TXNameValueItem::Clear()
{
    inherited::Clear();
    FValue.clear();
}

void TXNameValueCollection::SetValue(const String& AName, const String& AValue)
{
    int Index = IndexOfName(AName);
    TXNameValueItem* Item = Index >= 0 ? Items(Index) : Add();
    if (Index < 0)
        Item->SetDisplayName(AName);
    Item->SetValue(AValue);
}

String TXNameValueCollection::GetValue(const String& AName) const
{
    int Index = IndexOfName(AName);
    return Index >= 0 ? Items(Index)->Value() : String();
}

// ---- TXVDateTimeItem ---------------------------------------------------------------------

bool IsStoredDateValid(TDateTime AValue)
{
    constexpr double kFirstDay = -693593;   // 1 January 0001
    constexpr double kPastLastDay = 2958466;   // 1 January 10000
    return std::isfinite(AValue.Value) && AValue.Value >= kFirstDay && AValue.Value < kPastLastDay;
}

void TXVDateTimeItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("DateOnly", &TXVDateTimeItem::DateOnly, &TXVDateTimeItem::SetDateOnly).Default(false);
    P.Property("DDate", &TXVDateTimeItem::DDate, &TXVDateTimeItem::SetDDate);
}

void TXVDateTimeItem::Construct(TCollection* ACollection)
{
    inherited::Construct(ACollection);
    FDDate = AppNow();
}

bool TXVDateTimeItem::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXVDateTimeItem>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FDateOnly = Source->FDateOnly;
    FDDate = Source->FDDate;
    return true;
}

void TXVDateTimeItem::Clear()
{
    inherited::Clear();
    FDateOnly = false;
    FDDate = 0;
}

// ---- TXVWeekDayItem ----------------------------------------------------------------------

void TXVWeekDayItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Value", &TXVWeekDayItem::Value, &TXVWeekDayItem::SetValue);
    P.Property("WeekDay", &TXVWeekDayItem::WeekDay, &TXVWeekDayItem::SetWeekDay);
}

bool TXVWeekDayItem::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXVWeekDayItem>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FValue = Source->FValue;
    FWeekDay = Source->FWeekDay;
    return true;
}

void TXVWeekDayItem::Clear()
{
    inherited::Clear();
    FValue = 0;
    FWeekDay = 0;
}

TXVWeekDayItem* TXVWeekDayCollection::AddWeekDay(int32_t AValue, uint16_t AWeekDay)
{
    TXVWeekDayItem* Item = Add();
    Item->SetValue(AValue);
    Item->SetWeekDay(AWeekDay);
    return Item;
}

bool TXVWeekDayCollection::HasValue(int32_t AValue) const
{
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->Value() == AValue)
            return true;
    return false;
}

bool TXVWeekDayCollection::HasWeekDay(uint16_t AWeekDay) const
{
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->WeekDay() == AWeekDay)
            return true;
    return false;
}

// ---- TXVRecurrenceItem -------------------------------------------------------------------

void TXVRecurrenceItem::DeclareProperties(TPropertyDeclarer& P)
{
    using R = TXVRecurrenceItem;
    P.Property("EndType", &R::EndType, &R::SetEndType);
    P.Property("Instances", &R::Instances, &R::SetInstances);
    P.Property("EndDate", &R::EndDate, &R::SetEndDate);
    P.Property("FirstDayOfWeek", &R::FirstDayOfWeek, &R::SetFirstDayOfWeek);
    P.Property("Frequency", &R::Frequency, &R::SetFrequency);
    P.Property("Interval", &R::Interval, &R::SetInterval);
    P.Property("ByMonth", &R::ByMonth, &R::SetByMonth);
    P.Property("ByWeek", &R::ByWeek, &R::SetByWeek);
    P.Property("ByYearDay", &R::ByYearDay, &R::SetByYearDay);
    P.Property("ByMonthDay", &R::ByMonthDay, &R::SetByMonthDay);
    P.Property("ByWeekDay", &R::ByWeekDay, &R::SetByWeekDay);
    P.Property("ByDay", &R::ByDay, &R::SetByDay);
    P.Property("ByHour", &R::ByHour, &R::SetByHour);
    P.Property("ByMin", &R::ByMin, &R::SetByMin);
    P.Property("BySec", &R::BySec, &R::SetBySec);
    P.Property("ByPosition", &R::ByPosition, &R::SetByPosition);
}

void TXVRecurrenceItem::Init()
{
    inherited::Init();
    auto NewList = [this] { return Owned(TXIntegerCollection::Create(static_cast<TPersistent*>(this))); };
    FByMonth = NewList();
    FByWeek = NewList();
    FByYearDay = NewList();
    FByMonthDay = NewList();
    FByWeekDay = Owned(TXVWeekDayCollection::Create(static_cast<TPersistent*>(this)));
    FByDay = NewList();
    FByHour = NewList();
    FByMin = NewList();
    FBySec = NewList();
    FByPosition = NewList();
}

std::array<TCollection*, 10> TXVRecurrenceItem::Lists() const
{
    return {FByMonth.get(), FByWeek.get(), FByYearDay.get(), FByMonthDay.get(), FByWeekDay.get(),
            FByDay.get(),   FByHour.get(), FByMin.get(),     FBySec.get(),      FByPosition.get()};
}

void TXVRecurrenceItem::ClearLists()
{
    for (TCollection* List : Lists())
        List->Clear();
}

bool TXVRecurrenceItem::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXVRecurrenceItem>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FEndType = Source->FEndType;
    FInstances = Source->FInstances;
    FEndDate = Source->FEndDate;
    FFirstDayOfWeek = Source->FFirstDayOfWeek;
    FFrequency = Source->FFrequency;
    FInterval = Source->FInterval;
    std::array<TCollection*, 10> Own = Lists();
    std::array<TCollection*, 10> Theirs = Source->Lists();
    for (size_t I = 0; I < Own.size(); ++I)
        Own[I]->Assign(Theirs[I]);
    return true;
}

void TXVRecurrenceItem::Clear()
{
    inherited::Clear();
    FEndType = vreForever;
    FInstances = 0;
    FEndDate = 0;
    FFirstDayOfWeek = 0;
    FFrequency = vfqSecondly;
    FInterval = 0;
    ClearLists();
}

// ---- TXVOrder ----------------------------------------------------------------------------

void TXVOrder::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("OrderType", &TXVOrder::OrderType, &TXVOrder::SetOrderType);
    P.Property("List", &TXVOrder::List, &TXVOrder::SetList);
}

void TXVOrder::Init()
{
    inherited::Init();
    FList = Owned(TStringList::Create());
}

void TXVOrder::DoClear()
{
    inherited::DoClear();
    FOrderType = vorCustom;
    FList->Clear();
}

bool TXVOrder::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXVOrder>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FOrderType = Source->FOrderType;
    FList->Assign(Source->List());
    return true;
}

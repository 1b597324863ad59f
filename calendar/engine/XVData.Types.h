// XVData.Types.h: the small stored types of the calendar data: the enumerations, the value
// lists, date-time and weekday items, the recurrence rule and the list order.
// Their published properties are the stored schema: renaming or reordering one breaks files.
#pragma once

#include <array>
#include <cstdint>

#include "Rtl.Classes.h"
#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"
#include "XClasses.h"
#include "XCore.Collections.h"

X_ENUM(TXVFrequency, vfqSecondly, vfqMinutely, vfqHourly, vfqDaily, vfqWeekly, vfqMonthly, vfqYearly, vfqNone);
X_ENUM(TXVRecurrenceEndType, vreForever, vreInstances, vreEndDate);
X_ENUM(TXVSensitivityType, vcsPublic, vcsPrivate);
X_ENUM(TXVDayColorType, vdcDay, vdcHoliday, vdcCustom);
X_ENUM(TXVOrderType, vorCustom, vorAlphaAsc, vorAlphaDesc, vorDateAsc, vorDateDesc);

// ---- Value lists -------------------------------------------------------------------------

class TXIntegerItem : public XClasses::TXPersistentItem {
    X_CLASS(TXIntegerItem, XClasses::TXPersistentItem)
public:
    int32_t Value() const { return FValue; }
    void SetValue(int32_t AValue) { FValue = AValue; }

    bool AssignFrom(TPersistent* ASource) override;
    void Clear() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXIntegerItem() = default;

private:
    int32_t FValue = 0;
};

class TXIntegerCollection : public XCore::Collections::TXCollection<TXIntegerItem> {
    X_CLASS(TXIntegerCollection, XCore::Collections::TXCollection<TXIntegerItem>)
public:
    TXIntegerItem* AddValue(int32_t AValue);
    // The first item holding AValue; nullptr when none.
    TXIntegerItem* FindValue(int32_t AValue) const;

protected:
    TXIntegerCollection() = default;
};

class TXNameValueItem : public XClasses::TXPersistentItem {
    X_CLASS(TXNameValueItem, XClasses::TXPersistentItem)
public:
    const String& Value() const { return FValue; }
    void SetValue(const String& AValue) { FValue = AValue; }

    bool AssignFrom(TPersistent* ASource) override;
    void Clear() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXNameValueItem() = default;

private:
    String FValue;
};

// Names are matched ignoring letter case.
class TXNameValueCollection : public XCore::Collections::TXCollection<TXNameValueItem> {
    X_CLASS(TXNameValueCollection, XCore::Collections::TXCollection<TXNameValueItem>)
public:
    // Sets the value of the item of that name, adding a named item when there is none.
    void SetValue(const String& AName, const String& AValue);
    // Empty when no item has that name.
    String GetValue(const String& AName) const;

protected:
    TXNameValueCollection() = default;
};

// ---- Dates and weekdays ------------------------------------------------------------------

// Whether a date read from a file lies in the years 1 to 9999; any other value (a huge one, a
// NaN) makes the file a damaged one.
bool IsStoredDateValid(TDateTime AValue);

class TXVDateTimeItem : public XClasses::TXPersistentItem {
    X_CLASS(TXVDateTimeItem, XClasses::TXPersistentItem)
public:
    // A whole day, without a time of day.
    bool DateOnly() const { return FDateOnly; }
    void SetDateOnly(bool AValue) { FDateOnly = AValue; }
    TDateTime DDate() const { return FDDate; }
    void SetDDate(TDateTime AValue) { FDDate = AValue; }

    bool AssignFrom(TPersistent* ASource) override;
    void Clear() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXVDateTimeItem() = default;
    // A new item holds the local date and time of its making.
    void Construct(TCollection* ACollection) override;

private:
    bool FDateOnly = false;
    TDateTime FDDate;
};

class TXVWeekDayItem : public XClasses::TXPersistentItem {
    X_CLASS(TXVWeekDayItem, XClasses::TXPersistentItem)
public:
    // Which of the month's such weekdays: 0 every one, 1 to 4 the first to fourth, -1 the last.
    int32_t Value() const { return FValue; }
    void SetValue(int32_t AValue) { FValue = AValue; }
    // 1 Monday ... 7 Sunday.
    uint16_t WeekDay() const { return FWeekDay; }
    void SetWeekDay(uint16_t AValue) { FWeekDay = AValue; }

    bool AssignFrom(TPersistent* ASource) override;
    void Clear() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXVWeekDayItem() = default;

private:
    int32_t FValue = 0;
    uint16_t FWeekDay = 0;
};

class TXVWeekDayCollection : public XCore::Collections::TXCollection<TXVWeekDayItem> {
    X_CLASS(TXVWeekDayCollection, XCore::Collections::TXCollection<TXVWeekDayItem>)
public:
    TXVWeekDayItem* AddWeekDay(int32_t AValue, uint16_t AWeekDay);
    bool HasValue(int32_t AValue) const;
    bool HasWeekDay(uint16_t AWeekDay) const;

protected:
    TXVWeekDayCollection() = default;
};

// ---- Recurrence rule ---------------------------------------------------------------------

// One rule. A new rule is all zeros (vfqSecondly, vreForever, interval 0), which expands to no
// day. Of the lists only ByMonthDay (-1 the last day) and ByWeekDay are read by anything.
class TXVRecurrenceItem : public XClasses::TXPersistentItem {
    X_CLASS(TXVRecurrenceItem, XClasses::TXPersistentItem)
public:
    TXVRecurrenceEndType EndType() const { return FEndType; }
    void SetEndType(TXVRecurrenceEndType AValue) { FEndType = AValue; }
    int32_t Instances() const { return FInstances; }
    void SetInstances(int32_t AValue) { FInstances = AValue; }
    TDateTime EndDate() const { return FEndDate; }
    void SetEndDate(TDateTime AValue) { FEndDate = AValue; }
    uint8_t FirstDayOfWeek() const { return FFirstDayOfWeek; }
    void SetFirstDayOfWeek(uint8_t AValue) { FFirstDayOfWeek = AValue; }
    TXVFrequency Frequency() const { return FFrequency; }
    void SetFrequency(TXVFrequency AValue) { FFrequency = AValue; }
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t AValue) { FInterval = AValue; }
    // The lists are owned; their setters copy.
    TXIntegerCollection* ByMonth() const { return FByMonth.get(); }
    void SetByMonth(TXIntegerCollection* AValue) { FByMonth->Assign(AValue); }
    TXIntegerCollection* ByWeek() const { return FByWeek.get(); }
    void SetByWeek(TXIntegerCollection* AValue) { FByWeek->Assign(AValue); }
    TXIntegerCollection* ByYearDay() const { return FByYearDay.get(); }
    void SetByYearDay(TXIntegerCollection* AValue) { FByYearDay->Assign(AValue); }
    TXIntegerCollection* ByMonthDay() const { return FByMonthDay.get(); }
    void SetByMonthDay(TXIntegerCollection* AValue) { FByMonthDay->Assign(AValue); }
    TXVWeekDayCollection* ByWeekDay() const { return FByWeekDay.get(); }
    void SetByWeekDay(TXVWeekDayCollection* AValue) { FByWeekDay->Assign(AValue); }
    TXIntegerCollection* ByDay() const { return FByDay.get(); }
    void SetByDay(TXIntegerCollection* AValue) { FByDay->Assign(AValue); }
    TXIntegerCollection* ByHour() const { return FByHour.get(); }
    void SetByHour(TXIntegerCollection* AValue) { FByHour->Assign(AValue); }
    TXIntegerCollection* ByMin() const { return FByMin.get(); }
    void SetByMin(TXIntegerCollection* AValue) { FByMin->Assign(AValue); }
    TXIntegerCollection* BySec() const { return FBySec.get(); }
    void SetBySec(TXIntegerCollection* AValue) { FBySec->Assign(AValue); }
    TXIntegerCollection* ByPosition() const { return FByPosition.get(); }
    void SetByPosition(TXIntegerCollection* AValue) { FByPosition->Assign(AValue); }

    // Empties all ten lists, as the editors do before writing a rule.
    void ClearLists();
    bool AssignFrom(TPersistent* ASource) override;
    void Clear() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXVRecurrenceItem() = default;
    void Init() override;

private:
    // In published order.
    std::array<TCollection*, 10> Lists() const;

    TXVRecurrenceEndType FEndType = vreForever;
    int32_t FInstances = 0;
    TDateTime FEndDate;
    uint8_t FFirstDayOfWeek = 0;
    TXVFrequency FFrequency = vfqSecondly;
    uint32_t FInterval = 0;
    TOwned<TXIntegerCollection> FByMonth;
    TOwned<TXIntegerCollection> FByWeek;
    TOwned<TXIntegerCollection> FByYearDay;
    TOwned<TXIntegerCollection> FByMonthDay;
    TOwned<TXVWeekDayCollection> FByWeekDay;
    TOwned<TXIntegerCollection> FByDay;
    TOwned<TXIntegerCollection> FByHour;
    TOwned<TXIntegerCollection> FByMin;
    TOwned<TXIntegerCollection> FBySec;
    TOwned<TXIntegerCollection> FByPosition;
};

// Only the first rule is ever used.
class TXVRecurrenceCollection : public XCore::Collections::TXCollection<TXVRecurrenceItem> {
    X_CLASS(TXVRecurrenceCollection, XCore::Collections::TXCollection<TXVRecurrenceItem>)
protected:
    TXVRecurrenceCollection() = default;
};

// ---- Order -------------------------------------------------------------------------------

class TXVOrder : public TXPersistent {
    X_CLASS(TXVOrder, TXPersistent)
public:
    TXVOrderType OrderType() const { return FOrderType; }
    void SetOrderType(TXVOrderType AValue) { FOrderType = AValue; }
    // Owned; the setter copies the lines.
    TStringList* List() const { return FList.get(); }
    void SetList(TStringList* AValue) { FList->Assign(AValue); }

    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXVOrder() = default;
    void Init() override;
    void DoClear() override;

private:
    TXVOrderType FOrderType = vorCustom;
    TOwned<TStringList> FList;
};

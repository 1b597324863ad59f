// XVData.Active.h: the active calendar: the store's holidays, with their recurrence rules,
// expanded into per-day entries for the months the wallpaper shows, and each day's journal.
// A cache built on demand and never dropped while the store lives; entries and journals point
// into the store and are not owned. UI thread only.
#pragma once

#include <array>
#include <cstdint>

#include "Rtl.Lists.h"
#include "XCore.Classes.h"
#include "XVData.Store.h"

// One entry of a day: an occurrence of an item that touches the day.
class TXVActiveEventObject : public TXPersistent {
    X_CLASS(TXVActiveEventObject, TXPersistent)
public:
    // Whole days since 30 December 1899.
    int32_t Date() const { return FDate; }
    void SetDate(int32_t AValue) { FDate = AValue; }
    // Minute of the day the entry begins; -1 from the start of the day.
    int16_t StartMinute() const { return FStartMinute; }
    void SetStartMinute(int16_t AValue) { FStartMinute = AValue; }
    // Minute of the day it ends; 1441 (not 1440) when it runs on past the day; -1 with a
    // StartMinute of -1 for a whole-day entry.
    int16_t EndMinute() const { return FEndMinute; }
    void SetEndMinute(int16_t AValue) { FEndMinute = AValue; }
    TXCustomVEventObject* Item() const { return FItem; }
    void SetItem(TXCustomVEventObject* AValue) { FItem = AValue; }

protected:
    TXVActiveEventObject() = default;

private:
    int32_t FDate = 0;
    int16_t FStartMinute = -1;
    int16_t FEndMinute = -1;
    TXCustomVEventObject* FItem = nullptr;   // not owned
};

class TXVActiveEventObjectList : public Generics::TObjectList<TXVActiveEventObject> {
    X_CLASS(TXVActiveEventObjectList, Generics::TObjectList<TXVActiveEventObject>)
protected:
    TXVActiveEventObjectList() = default;
};

class TXVActiveDay : public TXPersistent {
    X_CLASS(TXVActiveDay, TXPersistent)
public:
    uint16_t Year() const { return FYear; }
    uint16_t Month() const { return FMonth; }
    uint16_t Day() const { return FDay; }
    // 0 for a day number beyond the month's length.
    TDateTime Date() const { return FDate; }
    // Not owned; nullptr when the day has no journal entry.
    TXVJournalObject* Journal() const { return FJournal; }
    void SetJournal(TXVJournalObject* AValue) { FJournal = AValue; }
    bool IsHoliday() const { return FIsHoliday; }
    // kVNoColor unless a custom-coloured holiday falls on the day.
    TColor BgColor() const { return FBgColor; }
    TColor TextColor() const { return FTextColor; }
    TXVActiveEventObjectList* Entries() const { return FEntries.get(); }

    // Empty, for that day.
    void Reset(uint16_t AYear, uint16_t AMonth, uint16_t ADay);
    void AddEntry(int32_t ADate, int16_t AStartMinute, int16_t AEndMinute, TXCustomVEventObject* AItem);
    // Deletes every entry of AItem; True when any went.
    bool RemoveEntries(TXCustomVEventObject* AItem);
    // Orders the entries (holidays first) and takes the holiday mark and colours from them.
    void Update();

protected:
    TXVActiveDay() = default;
    void Init() override;

private:
    uint16_t FYear = 0;
    uint16_t FMonth = 0;
    uint16_t FDay = 0;
    TDateTime FDate;
    TXVJournalObject* FJournal = nullptr;
    bool FIsHoliday = false;
    TColor FBgColor = kVNoColor;
    TColor FTextColor = kVNoColor;
    TOwned<TXVActiveEventObjectList> FEntries;
};

// Always 31 days, whatever the month's length.
class TXVActiveMonth : public TXPersistent {
    X_CLASS(TXVActiveMonth, TXPersistent)
public:
    bool Built() const { return FBuilt; }
    void SetBuilt(bool AValue) { FBuilt = AValue; }
    uint16_t Year() const { return FYear; }
    uint16_t Month() const { return FMonth; }
    TDateTime FirstDay() const { return FFirstDay; }
    int DayCount() const;
    // ADay 1..31; raises EArgumentOutOfRangeException otherwise.
    TXVActiveDay* Days(int ADay) const;

    // Not built, every day empty.
    void Reset(uint16_t AYear, uint16_t AMonth);

protected:
    TXVActiveMonth() = default;
    void Init() override;

private:
    bool FBuilt = false;
    uint16_t FYear = 0;
    uint16_t FMonth = 0;
    TDateTime FFirstDay;
    std::array<TOwned<TXVActiveDay>, 31> FDays;
};

class TXVActiveYear : public TXPersistent {
    X_CLASS(TXVActiveYear, TXPersistent)
public:
    uint16_t Year() const { return FYear; }
    TDateTime FirstDay() const { return FFirstDay; }
    // AMonth 1..12; raises EArgumentOutOfRangeException otherwise.
    TXVActiveMonth* Months(int AMonth) const;

    void Reset(uint16_t AYear);

protected:
    TXVActiveYear() = default;
    void Init() override;

private:
    uint16_t FYear = 0;
    TDateTime FFirstDay;
    std::array<TOwned<TXVActiveMonth>, 12> FMonths;
};

// In the order the years were first asked for.
class TXVActiveYears : public Generics::TObjectList<TXVActiveYear> {
    X_CLASS(TXVActiveYears, Generics::TObjectList<TXVActiveYear>)
protected:
    TXVActiveYears() = default;
};

class TXVActiveCalendarEngine : public TXComponent {
    X_CLASS(TXVActiveCalendarEngine, TXComponent)
public:
    TXVCalendars* Calendars() const { return FCalendars; }
    // Another store (or none) drops the cache: its entries point into the old one.
    void SetCalendars(TXVCalendars* AValue);
    TXVActiveYears* Years() const { return FYears.get(); }
    // Set after each edit of the calendar data, reset by whoever redraws.
    bool Changed() const { return FChanged; }
    void SetChanged(bool AValue) { FChanged = AValue; }

    // The position of AYear in Years, its empty year appended when missing.
    int YearIndex(uint16_t AYear);
    // Links the month's journals and expands the holiday tab into it, once. Nothing without a
    // store or for a month outside 1..12.
    void BuildMonth(uint16_t AYear, uint16_t AMonth);
    // Adds AItem to every built month it touches; it is not removed first.
    void AddObject(TXCustomVEventObject* AItem);
    // Removes every entry of AItem from every cached day.
    void RemoveObject(TXCustomVEventObject* AItem);
    // The day of the journal's start gets it (when it reads) or loses it, built or not.
    void LinkJournal(TXVJournalObject* AJournal);
    void UnlinkJournal(TXVJournalObject* AJournal);

protected:
    TXVActiveCalendarEngine() = default;
    void Construct(TComponent* AOwner) override;
    void Notification(TComponent* AComponent, TOperation AOperation) override;

private:
    void LinkJournals(TXVActiveMonth* AMonth);
    void FillMonth(TXVActiveMonth* AMonth);
    // The day of AJournal's start.
    TXVActiveDay* JournalDay(TXVJournalObject* AJournal);

    TXVCalendars* FCalendars = nullptr;   // not owned; forgotten when it goes
    TOwned<TXVActiveYears> FYears;
    bool FChanged = false;
};

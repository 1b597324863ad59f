#include "XVData.Active.h"

#include <algorithm>
#include <cmath>

#include "Rtl.DateUtils.h"
#include "Rtl.SysUtils.h"
#include "XCore.DateTime.Containers.h"
#include "XCore.DateTime.h"

namespace {

// What an item does on each day of the month being filled (index day - 1).
using TDayFlags = std::array<uint8_t, 31>;
enum : uint8_t {
    kWholeDay = 1,     // a DateOnly occurrence
    kWithinDay = 2,    // starts and ends on the day
    kFirstDay = 4,     // of a multi-day occurrence
    kInnerDay = 8,
    kLastDay = 16,
};

constexpr double kHalfMilliSecond = 0.5 / MSecsPerDay;

int32_t DayNumber(TDateTime ADate)
{
    return static_cast<int32_t>(std::trunc(ADate.Value));
}

int16_t MinuteOfDay(TDateTime ADate)
{
    uint16_t Hour, Minute, Second, MSec;
    DecodeTime(ADate, Hour, Minute, Second, MSec);
    return static_cast<int16_t>(Hour * 60 + Minute);
}

int DayOfMonth(int64_t ADay)
{
    uint16_t Year, Month, Day;
    DecodeDate(static_cast<double>(ADay), Year, Month, Day);
    return Day;
}

// Months since year 0: months can then be stepped by plain addition.
int64_t MonthIndex(int64_t ADay)
{
    uint16_t Year, Month, Day;
    DecodeDate(static_cast<double>(ADay), Year, Month, Day);
    return int64_t(Year) * 12 + Month - 1;
}

// The day of month ADay in the month of AMonthIndex, or its last day when it is shorter.
int64_t ClampedDay(int64_t AMonthIndex, int ADay)
{
    int Year = static_cast<int>(AMonthIndex / 12);
    int Month = static_cast<int>(AMonthIndex % 12) + 1;
    return DayNumber(EncodeDate(Year, Month, std::min(ADay, DaysInAMonth(Year, Month))));
}

// The first step of AStart + k * AStep (k >= 0) that is not below AFloor.
int64_t FirstStepFrom(int64_t AStart, int64_t AStep, int64_t AFloor)
{
    if (AStart >= AFloor)
        return AStart;
    return AStart + (AFloor - AStart + AStep - 1) / AStep * AStep;
}

// One item expanded into the flags of one month.
class TExpansion {
public:
    TExpansion(TXCustomVEventObject* AItem, TDateTime AMonthStart, TDayFlags& AFlags)
        : FItem(AItem),
          FRule(AItem->RRule()->Count() > 0 ? AItem->RRule()->Items(0) : nullptr),
          FStart(DayNumber(AItem->DTStart()->DDate())),
          FEnd(DayNumber(AItem->DTEnd()->DDate())),
          FSpan(static_cast<int32_t>(
              std::trunc(std::abs(AItem->DTEnd()->DDate() - AItem->DTStart()->DDate()) + kHalfMilliSecond))),
          FMonthStart(DayNumber(AMonthStart)),
          FMonthEnd(FMonthStart + DaysInMonth(AMonthStart) - 1),
          FFlags(AFlags)
    {
    }

    bool Expand();

private:
    // A typed 0 would never step on; the editors offer 1 and up.
    int64_t Interval() const { return std::max<uint32_t>(FRule->Interval(), 1); }
    // The last day an occurrence may mark; 0 when none of the month can.
    int64_t LastActiveDay() const;

    bool Once();
    bool Hourly();
    bool Daily();
    bool Weekly();
    bool Monthly();
    bool Yearly();

    // Adds the occurrence that starts on AFirstDay; true when it starts before the month and
    // runs past ALast: it marks every active day as an inner one, and so does every later
    // occurrence that starts before the month, which a walk can then skip.
    bool AddOccurrence(int64_t AFirstDay, int64_t ALast);
    void AddIfInMonth(TXDatesList* ADays, int64_t ADay);
    void AddWeeklyWalk(int64_t AFirstWeek, int64_t ALast, int AWeekDay);
    // True when one of the month's occurrences covers the month being filled.
    bool AddMonthlyOccurrences(int64_t AMonthIndex, int64_t ALast);
    // An occurrence counts only inside the month it was computed for.
    bool AddInMonth(int64_t ADay, int64_t AMonthIndex, int64_t ALast);
    bool MarkSpans(int64_t ALast);
    void Flag(int64_t ADay, uint8_t AFlag, bool AOr);

    TXCustomVEventObject* FItem;
    TXVRecurrenceItem* FRule;
    int64_t FStart;
    int64_t FEnd;
    int64_t FSpan;
    int64_t FMonthStart;
    int64_t FMonthEnd;
    TDayFlags& FFlags;
    TOwned<TXDatesList> FFirstDays = Owned(TXDatesList::Create());
    TOwned<TXDatesList> FInnerDays = Owned(TXDatesList::Create());
    TOwned<TXDatesList> FLastDays = Owned(TXDatesList::Create());
};

bool TExpansion::Expand()
{
    if (!FItem->Enabled())
        return false;
    if (FRule == nullptr || FRule->Frequency() == vfqNone)
        return Once();
    switch (FRule->Frequency()) {
    case vfqHourly:
        return Hourly();
    case vfqDaily:
        return Daily();
    case vfqWeekly:
        return Weekly();
    case vfqMonthly:
        return Monthly();
    case vfqYearly:
        return Yearly();
    default:
        return false;
    }
}

int64_t TExpansion::LastActiveDay() const
{
    if (FMonthEnd < FStart)
        return 0;
    if (FRule->EndType() != vreEndDate)
        return FMonthEnd;
    int64_t EndDate = DayNumber(FRule->EndDate());
    if (EndDate < FMonthStart)
        return 0;
    return std::min(EndDate, FMonthEnd);
}

void TExpansion::Flag(int64_t ADay, uint8_t AFlag, bool AOr)
{
    uint8_t& Slot = FFlags[static_cast<size_t>(ADay - FMonthStart)];
    Slot = AOr ? Slot | AFlag : AFlag;
}

bool TExpansion::Once()
{
    if (FEnd < FMonthStart || FMonthEnd < FStart)
        return false;
    bool Any = false;
    for (int64_t Day = std::max(FStart, FMonthStart); Day <= std::min(FEnd, FMonthEnd); ++Day) {
        if (FItem->DTStart()->DateOnly())
            Flag(Day, kWholeDay, false);
        else if (FSpan == 0)
            Flag(Day, kWithinDay, false);
        else
            Flag(Day, Day == FStart ? kFirstDay : Day == FEnd ? kLastDay : kInnerDay, false);
        Any = true;
    }
    return Any;
}

bool TExpansion::Hourly()
{
    int64_t Last = LastActiveDay();
    if (Last == 0)
        return false;
    for (int64_t Day = std::max(FStart, FMonthStart); Day <= Last; ++Day)
        Flag(Day, kWithinDay, false);
    return true;
}

// Days outside the month are never kept, so they are not listed: the lists stay as short as
// the month, however many occurrences a long rule has.
void TExpansion::AddIfInMonth(TXDatesList* ADays, int64_t ADay)
{
    if (ADay >= FMonthStart && ADay <= FMonthEnd)
        ADays->AddUnique(static_cast<int32_t>(ADay));
}

bool TExpansion::AddOccurrence(int64_t AFirstDay, int64_t ALast)
{
    AddIfInMonth(FFirstDays.get(), AFirstDay);
    if (FSpan == 0)
        return false;
    for (int64_t Day = std::max(AFirstDay + 1, FMonthStart); Day <= std::min(AFirstDay + FSpan - 1, FMonthEnd); ++Day)
        FInnerDays->AddUnique(static_cast<int32_t>(Day));
    AddIfInMonth(FLastDays.get(), AFirstDay + FSpan);
    return AFirstDay < FMonthStart && AFirstDay + FSpan > ALast;
}

bool TExpansion::MarkSpans(int64_t ALast)
{
    for (TXDatesList* Days : {FFirstDays.get(), FInnerDays.get(), FLastDays.get()})
        Days->KeepRange(static_cast<int32_t>(FMonthStart), static_cast<int32_t>(ALast));
    auto MarkAll = [this](TXDatesList* ADays, uint8_t AFlag, bool AOr) {
        for (int32_t Day : *ADays)
            Flag(Day, AFlag, AOr);
    };
    if (FItem->DTStart()->DateOnly()) {
        for (TXDatesList* Days : {FFirstDays.get(), FInnerDays.get(), FLastDays.get()})
            MarkAll(Days, kWholeDay, false);
    } else if (FStart != FEnd) {
        MarkAll(FFirstDays.get(), kFirstDay, true);
        MarkAll(FInnerDays.get(), kInnerDay, true);
        MarkAll(FLastDays.get(), kLastDay, true);
    } else {
        MarkAll(FFirstDays.get(), kWithinDay, false);
    }
    return FFirstDays->Count() > 0 || FInnerDays->Count() > 0 || FLastDays->Count() > 0;
}

// Starts at the first step whose occurrence can still reach the month.
bool TExpansion::Daily()
{
    int64_t Last = LastActiveDay();
    if (Last == 0)
        return false;
    for (int64_t Day = FirstStepFrom(FStart, Interval(), FMonthStart - FSpan); Day <= Last; Day += Interval())
        if (AddOccurrence(Day, Last))
            Day = FirstStepFrom(Day, Interval(), FMonthStart) - Interval();
    return MarkSpans(Last);
}

void TExpansion::AddWeeklyWalk(int64_t AFirstWeek, int64_t ALast, int AWeekDay)
{
    // Weekdays are 1 (Monday) to 7; another would land in a neighbouring week.
    if (AWeekDay < 1 || AWeekDay > 7)
        return;
    int64_t Step = 7 * Interval();
    for (int64_t Week = AFirstWeek; Week <= ALast; Week += Step)
        if (AddOccurrence(Week + AWeekDay - 1, ALast))
            Week = FirstStepFrom(Week, Step, FMonthStart - AWeekDay + 1) - Step;
}

// Every listed weekday of the first week counts, also those before DTStart.
bool TExpansion::Weekly()
{
    int64_t Last = LastActiveDay();
    if (Last == 0)
        return false;
    int64_t FirstWeek = DayNumber(WeekdayInWeek(1, static_cast<double>(FStart)));
    if (FStart < FMonthStart) {
        int64_t Floor = DayNumber(WeekdayInWeek(1, static_cast<double>(FMonthStart - FSpan)));
        int64_t Start = FirstStepFrom(FStart, 7 * Interval(), Floor);
        // A long step can land past every date there is; its week starts after the month.
        if (Start > Last + 6)
            return false;
        FirstWeek = DayNumber(WeekdayInWeek(1, static_cast<double>(Start)));
    }
    TXVWeekDayCollection* WeekDays = FRule->ByWeekDay();
    if (WeekDays->Count() == 0)
        AddWeeklyWalk(FirstWeek, Last, DayOfTheWeek(static_cast<double>(FStart)));
    for (int I = 0; I < WeekDays->Count(); ++I)
        AddWeeklyWalk(FirstWeek, Last, WeekDays->Items(I)->WeekDay());
    return MarkSpans(Last);
}

bool TExpansion::AddInMonth(int64_t ADay, int64_t AMonthIndex, int64_t ALast)
{
    return ADay != 0 && MonthIndex(ADay) == AMonthIndex && AddOccurrence(ADay, ALast);
}

bool TExpansion::AddMonthlyOccurrences(int64_t AMonthIndex, int64_t ALast)
{
    bool Covers = false;
    TDateTime First = static_cast<double>(ClampedDay(AMonthIndex, 1));
    TXIntegerCollection* MonthDays = FRule->ByMonthDay();
    TXVWeekDayCollection* WeekDays = FRule->ByWeekDay();
    if (MonthDays->Count() == 0 && WeekDays->Count() == 0)
        Covers = AddInMonth(DayNumber(DayOfMonthDate(DayOfMonth(FStart), First)), AMonthIndex, ALast);
    for (int I = 0; I < MonthDays->Count(); ++I)
        Covers |= AddInMonth(DayNumber(DayOfMonthDate(MonthDays->Items(I)->Value(), First)), AMonthIndex, ALast);
    for (int I = 0; I < WeekDays->Count(); ++I) {
        TXVWeekDayItem* WeekDay = WeekDays->Items(I);
        if (WeekDay->WeekDay() < 1 || WeekDay->WeekDay() > 7)
            continue;
        // No month has a sixth of a weekday, nor a sixth-last.
        if (std::abs(WeekDay->Value()) > 5)
            continue;
        if (WeekDay->Value() != 0) {
            Covers |= AddInMonth(DayNumber(NthWeekdayOfMonth(WeekDay->Value(), WeekDay->WeekDay(), First)),
                                 AMonthIndex, ALast);
            continue;
        }
        for (int K = 1;; ++K) {
            int64_t Day = DayNumber(NthWeekdayOfMonth(K, WeekDay->WeekDay(), First));
            if (MonthIndex(Day) != AMonthIndex)
                break;
            Covers |= AddOccurrence(Day, ALast);
        }
    }
    return Covers;
}

bool TExpansion::Monthly()
{
    int64_t Last = LastActiveDay();
    if (Last == 0)
        return false;
    int64_t Month = MonthIndex(FStart);
    if (FStart < FMonthStart)
        Month = FirstStepFrom(Month, Interval(), MonthIndex(FMonthStart - FSpan));
    // Once an occurrence covers the month, the months up to it add nothing more.
    int64_t FirstMonth = MonthIndex(FMonthStart);
    for (int64_t LastMonth = MonthIndex(Last); Month <= LastMonth; Month += Interval())
        if (AddMonthlyOccurrences(Month, Last) && Month < FirstMonth)
            Month = FirstStepFrom(Month, Interval(), FirstMonth) - Interval();
    return MarkSpans(Last);
}

// A 29 February recurs every four years. Each step clamps from the previous one, so once a
// step lands on a 28th the later ones stay there.
bool TExpansion::Yearly()
{
    int64_t Last = LastActiveDay();
    if (Last == 0)
        return false;
    int Step = DayOfMonth(FStart) == 29 && MonthIndex(FStart) % 12 == 1 ? 48 : 12;
    int64_t LastMonth = MonthIndex(Last);
    for (int64_t Day = FStart; Day <= Last;) {
        (void)AddOccurrence(Day, Last);
        int64_t Next = MonthIndex(Day) + Step;
        if (Next > LastMonth)
            break;
        Day = ClampedDay(Next, DayOfMonth(Day));
    }
    return MarkSpans(Last);
}

template <class T>
int ThreeWay(T A, T B)
{
    return A < B ? -1 : A > B ? 1 : 0;
}

// Holidays first, then by order key; other items by start.
int CompareEntries(TXVActiveEventObject* const& A, TXVActiveEventObject* const& B)
{
    bool AHoliday = A->Item()->Is<TXVHolidayObject>();
    bool BHoliday = B->Item()->Is<TXVHolidayObject>();
    if (AHoliday != BHoliday)
        return AHoliday ? -1 : 1;
    if (AHoliday)
        return ThreeWay(A->Item()->OrderKey(), B->Item()->OrderKey());
    return ThreeWay(A->StartMinute(), B->StartMinute());
}

// Expands AItem into AMonth; True when it touches the month.
bool AddToMonth(TXCustomVEventObject* AItem, TXVActiveMonth* AMonth)
{
    TDayFlags Flags{};
    // Files with other dates do not load; an object made in memory is checked here.
    if (!AItem->HasValidDates() || !TExpansion(AItem, AMonth->FirstDay(), Flags).Expand())
        return false;
    int16_t StartMinute = MinuteOfDay(AItem->DTStart()->DDate());
    int16_t EndMinute = MinuteOfDay(AItem->DTEnd()->DDate());
    const std::pair<uint8_t, std::pair<int16_t, int16_t>> kEntries[] = {
        {kWholeDay, {-1, -1}},
        {kInnerDay, {-1, 1441}},
        {kFirstDay, {StartMinute, 1441}},
        {kWithinDay, {StartMinute, EndMinute}},
        {kLastDay, {-1, EndMinute}},
    };
    int32_t FirstDay = DayNumber(AMonth->FirstDay());
    for (int Day = 1; Day <= AMonth->DayCount(); ++Day)
        for (const auto& [Bit, Minutes] : kEntries)
            if (Flags[static_cast<size_t>(Day - 1)] & Bit)
                AMonth->Days(Day)->AddEntry(FirstDay + Day - 1, Minutes.first, Minutes.second, AItem);
    return true;
}

void UpdateDays(TXVActiveMonth* AMonth)
{
    for (int Day = 1; Day <= AMonth->DayCount(); ++Day)
        AMonth->Days(Day)->Update();
}

}  // namespace

// ---- TXVActiveDay ------------------------------------------------------------------------

void TXVActiveDay::Init()
{
    inherited::Init();
    FEntries = Owned(TXVActiveEventObjectList::Create());
}

void TXVActiveDay::Reset(uint16_t AYear, uint16_t AMonth, uint16_t ADay)
{
    FYear = AYear;
    FMonth = AMonth;
    FDay = ADay;
    FDate = EncodeDateDef(AYear, AMonth, ADay, 0);
    FJournal = nullptr;
    FIsHoliday = false;
    FBgColor = kVNoColor;
    FTextColor = kVNoColor;
    FEntries->Clear();
}

void TXVActiveDay::AddEntry(int32_t ADate, int16_t AStartMinute, int16_t AEndMinute, TXCustomVEventObject* AItem)
{
    auto* Entry = TXVActiveEventObject::Create();
    Entry->SetDate(ADate);
    Entry->SetStartMinute(AStartMinute);
    Entry->SetEndMinute(AEndMinute);
    Entry->SetItem(AItem);
    FEntries->Add(Entry);
}

bool TXVActiveDay::RemoveEntries(TXCustomVEventObject* AItem)
{
    bool Removed = false;
    for (int I = FEntries->Count() - 1; I >= 0; --I)
        if (FEntries->Items(I)->Item() == AItem) {
            FEntries->Delete(I);
            Removed = true;
        }
    return Removed;
}

// The first custom-coloured holiday decides the colours; events never mark a day.
void TXVActiveDay::Update()
{
    FIsHoliday = false;
    FBgColor = kVNoColor;
    FTextColor = kVNoColor;
    FEntries->Sort(MakeComparer<TXVActiveEventObject*>(CompareEntries));
    for (TXVActiveEventObject* Entry : *FEntries) {
        auto* Holiday = AsOrNull<TXVHolidayObject>(Entry->Item());
        if (Holiday == nullptr || Holiday->ColorType() == vdcDay)
            continue;
        FIsHoliday = true;
        if (Holiday->ColorType() == vdcCustom) {
            FBgColor = Holiday->BgColor();
            FTextColor = Holiday->TextColor();
            break;
        }
    }
}

// ---- TXVActiveMonth and TXVActiveYear ----------------------------------------------------

void TXVActiveMonth::Init()
{
    inherited::Init();
    for (auto& Day : FDays)
        Day = Owned(TXVActiveDay::Create());
}

int TXVActiveMonth::DayCount() const
{
    return FMonth >= 1 && FMonth <= 12 ? DaysInAMonth(FYear, FMonth) : 0;
}

TXVActiveDay* TXVActiveMonth::Days(int ADay) const
{
    if (ADay < 1 || ADay > 31)
        throw EArgumentOutOfRangeException(SArgumentOutOfRange);
    return FDays[static_cast<size_t>(ADay - 1)].get();
}

void TXVActiveMonth::Reset(uint16_t AYear, uint16_t AMonth)
{
    FBuilt = false;
    FYear = AYear;
    FMonth = AMonth;
    FFirstDay = EncodeDateOrToday(AYear, AMonth, 1);
    for (size_t I = 0; I < FDays.size(); ++I)
        FDays[I]->Reset(AYear, AMonth, static_cast<uint16_t>(I + 1));
}

void TXVActiveYear::Init()
{
    inherited::Init();
    for (auto& Month : FMonths)
        Month = Owned(TXVActiveMonth::Create());
}

TXVActiveMonth* TXVActiveYear::Months(int AMonth) const
{
    if (AMonth < 1 || AMonth > 12)
        throw EArgumentOutOfRangeException(SArgumentOutOfRange);
    return FMonths[static_cast<size_t>(AMonth - 1)].get();
}

void TXVActiveYear::Reset(uint16_t AYear)
{
    FYear = AYear;
    FFirstDay = EncodeDateOrToday(AYear, 1, 1);
    for (size_t I = 0; I < FMonths.size(); ++I)
        FMonths[I]->Reset(AYear, static_cast<uint16_t>(I + 1));
}

// ---- TXVActiveCalendarEngine -------------------------------------------------------------

void TXVActiveCalendarEngine::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FYears = Owned(TXVActiveYears::Create());
}

void TXVActiveCalendarEngine::SetCalendars(TXVCalendars* AValue)
{
    if (AValue == FCalendars)
        return;
    if (FCalendars != nullptr)
        FCalendars->RemoveFreeNotification(this);
    FYears->Clear();
    FCalendars = AValue;
    if (FCalendars != nullptr)
        FCalendars->FreeNotification(this);
}

void TXVActiveCalendarEngine::Notification(TComponent* AComponent, TOperation AOperation)
{
    inherited::Notification(AComponent, AOperation);
    if (AOperation == opRemove && AComponent == FCalendars) {
        FCalendars = nullptr;
        FYears->Clear();
    }
}

int TXVActiveCalendarEngine::YearIndex(uint16_t AYear)
{
    for (int I = 0; I < FYears->Count(); ++I)
        if (FYears->Items(I)->Year() == AYear)
            return I;
    auto* Year = TXVActiveYear::Create();
    Year->Reset(AYear);
    return FYears->Add(Year);
}

void TXVActiveCalendarEngine::BuildMonth(uint16_t AYear, uint16_t AMonth)
{
    if (FCalendars == nullptr || AMonth < 1 || AMonth > 12)
        return;
    TXVActiveMonth* Month = FYears->Items(YearIndex(AYear))->Months(AMonth);
    if (Month->Built())
        return;
    LinkJournals(Month);
    FillMonth(Month);
    Month->SetBuilt(true);
}

// A journal that does not read is left out.
void TXVActiveCalendarEngine::LinkJournals(TXVActiveMonth* AMonth)
{
    TXVDataList* Journals = FCalendars->JournalTab()->Items();
    for (int Day = 1; Day <= AMonth->DayCount(); ++Day) {
        int Index = Journals->IndexOfDate(AMonth->Days(Day)->Date());
        if (Index < 0)
            continue;
        auto* Journal = static_cast<TXVJournalObject*>(Journals->Objects(Index));
        if (Journal->Load())
            AMonth->Days(Day)->SetJournal(Journal);
    }
}

// A holiday whose file did not read holds no dates of its own: it would show on the day its
// empty object was made.
void TXVActiveCalendarEngine::FillMonth(TXVActiveMonth* AMonth)
{
    for (int Day = 1; Day <= AMonth->DayCount(); ++Day)
        AMonth->Days(Day)->Entries()->Clear();
    TXVDataList* Holidays = FCalendars->HolidayTab()->Items();
    for (int I = 0; I < Holidays->Count(); ++I) {
        auto* Holiday = static_cast<TXCustomVEventObject*>(Holidays->Objects(I));
        if (!Holiday->HasStatus(kVStatusLoadFailed))
            AddToMonth(Holiday, AMonth);
    }
    UpdateDays(AMonth);
}

void TXVActiveCalendarEngine::AddObject(TXCustomVEventObject* AItem)
{
    for (TXVActiveYear* Year : *FYears)
        for (int M = 1; M <= 12; ++M) {
            TXVActiveMonth* Month = Year->Months(M);
            if (Month->Built() && AddToMonth(AItem, Month))
                UpdateDays(Month);
        }
}

void TXVActiveCalendarEngine::RemoveObject(TXCustomVEventObject* AItem)
{
    for (TXVActiveYear* Year : *FYears)
        for (int M = 1; M <= 12; ++M)
            for (int D = 1; D <= 31; ++D) {
                TXVActiveDay* Day = Year->Months(M)->Days(D);
                if (Day->RemoveEntries(AItem))
                    Day->Update();
            }
}

TXVActiveDay* TXVActiveCalendarEngine::JournalDay(TXVJournalObject* AJournal)
{
    uint16_t Year, Month, Day;
    DecodeDate(AJournal->DTStart()->DDate(), Year, Month, Day);
    return FYears->Items(YearIndex(Year))->Months(Month)->Days(Day);
}

void TXVActiveCalendarEngine::LinkJournal(TXVJournalObject* AJournal)
{
    TXVActiveDay* Day = JournalDay(AJournal);
    if (AJournal->Load())
        Day->SetJournal(AJournal);
}

void TXVActiveCalendarEngine::UnlinkJournal(TXVJournalObject* AJournal)
{
    JournalDay(AJournal)->SetJournal(nullptr);
}

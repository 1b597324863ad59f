// Lays out a holiday of any dates and rule in the months of an active calendar: the months
// asked for, those of its start and of its rule's end. Nothing may crash, overflow or take
// longer than the month's days, whatever the dates, the span or the rule.
#include <stdlib.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Rtl.DateUtils.h"
#include "XCore.App.h"
#include "XCore.TestClock.h"
#include "XVData.Active.h"
#include "XVData.Store.h"
#include "active_input.h"

namespace {

TXVCalendars* GStore = nullptr;
TXVActiveCalendarEngine* GEngine = nullptr;

// Builds the month; the caller unbuilds it again: cached years stay, but each built month
// costs every later holiday an expansion.
void BuildMonth(std::vector<std::pair<uint16_t, uint16_t>>& ABuilt, uint16_t AYear, uint16_t AMonth)
{
    GEngine->BuildMonth(AYear, AMonth);
    if (AMonth >= 1 && AMonth <= 12)
        ABuilt.emplace_back(AYear, AMonth);
}

void BuildMonthOf(std::vector<std::pair<uint16_t, uint16_t>>& ABuilt, double ADate)
{
    if (!std::isfinite(ADate) || ADate < -693593 || ADate >= 2958466)
        return;
    uint16_t Year, Month, Day;
    DecodeDate(ADate, Year, Month, Day);
    BuildMonth(ABuilt, Year, Month);
}

TOwned<TXVHolidayObject> MakeHoliday(const TActiveInput& AInput)
{
    auto Holiday = Owned(TXVHolidayObject::Create());
    Holiday->DTStart()->SetDDate(AInput.Start);
    Holiday->DTEnd()->SetDDate(AInput.End);
    Holiday->DTStart()->SetDateOnly((AInput.Flags & TActiveInput::kDateOnly) != 0);
    Holiday->DTEnd()->SetDateOnly((AInput.Flags & TActiveInput::kDateOnly) != 0);
    Holiday->SetEnabled((AInput.Flags & TActiveInput::kDisabled) == 0);
    Holiday->SetColorType(static_cast<TXVDayColorType>(AInput.ColorType % 3));
    if ((AInput.Flags & TActiveInput::kRule) == 0)
        return Holiday;
    TXVRecurrenceItem* Rule = Holiday->RRule()->Add();
    Rule->SetFrequency(static_cast<TXVFrequency>(AInput.Frequency % 8));
    Rule->SetEndType(static_cast<TXVRecurrenceEndType>(AInput.EndType % 3));
    Rule->SetInterval(AInput.Interval);
    Rule->SetEndDate(AInput.EndDate);
    for (const auto& [Value, WeekDay] : AInput.WeekDays)
        Rule->ByWeekDay()->AddWeekDay(Value, WeekDay);
    for (int16_t Day : AInput.MonthDays)
        Rule->ByMonthDay()->AddValue(Day);
    return Holiday;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TXTestClockApp* Clock = TXTestClockApp::Create();
    Clock->SetLocal(EncodeDate(2024, 3, 3));
    SetNVCoreApp(Clock);
    // An empty store: each input's holiday is its only one, laid out in the months cached.
    std::string Folder = "/tmp/active-fuzzer-XXXXXX";
    if (::mkdtemp(Folder.data()) == nullptr)
        std::abort();
    GStore = TXVCalendars::Create(nullptr);
    GStore->Open(Folder + "/");
    GEngine = TXVActiveCalendarEngine::Create(nullptr);
    GEngine->SetCalendars(GStore);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    const TActiveInput Input = TActiveInput::Decode(AData, ASize);
    // Years asked for stay cached: a few at a time.
    if (GEngine->Years()->Count() > 8) {
        GEngine->SetCalendars(nullptr);
        GEngine->SetCalendars(GStore);
    }
    std::vector<std::pair<uint16_t, uint16_t>> Built;
    for (const auto& [Year, Month] : Input.Months)
        BuildMonth(Built, Year, Month);
    BuildMonthOf(Built, Input.Start);
    BuildMonthOf(Built, Input.EndDate);
    TOwned<TXVHolidayObject> Holiday = MakeHoliday(Input);
    GEngine->AddObject(Holiday.get());
    // Unbuilding the months drops the holiday's entries with the rest.
    for (const auto& [Year, Month] : Built)
        GEngine->Years()->Items(GEngine->YearIndex(Year))->Months(Month)->Reset(Year, Month);
    return 0;
}

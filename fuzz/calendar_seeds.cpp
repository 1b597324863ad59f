// Writes calendar files with the calendar filers into the folder given, as the calendar
// fuzzer's seed corpus: a holiday with a weekly rule and an end date, a journal and a tab.
// A second folder, when given, gets the active calendar fuzzer's seeds: holidays of each kind
// of rule with the months to lay them out in.
#include <cstdio>

#include "Rtl.DateUtils.h"
#include "XCore.App.h"
#include "XCore.Filer.h"
#include "XCore.TestClock.h"
#include "XVData.Containers.h"
#include "XVData.Filers.h"
#include "active_input.h"

namespace {

bool Save(TObject* AObject, TClass AFilerClass, const String& AFolder, const char* AName)
{
    auto Stream = Owned(TMemoryStream::Create());
    if (!FilerSaveToStream(Stream.get(), AFilerClass, AObject))
        return false;
    Stream->SaveToFile(AFolder + "/" + AName);
    return true;
}

}  // namespace

// A whole-day holiday on 3 January 2024, 9:00 to 17:00 of the next day otherwise, laid out
// in March 2024 and January 2025.
TActiveInput ActiveSeed(uint8_t AFrequency, uint32_t AInterval, bool ADateOnly)
{
    TActiveInput Input;
    Input.Start = EncodeDate(2024, 1, 3) + EncodeTime(9, 0, 0, 0);
    Input.End = EncodeDate(2024, 1, 4) + EncodeTime(17, 0, 0, 0);
    Input.Flags = TActiveInput::kRule | (ADateOnly ? TActiveInput::kDateOnly : 0);
    Input.Frequency = AFrequency;
    Input.Interval = AInterval;
    Input.EndType = vreEndDate;
    Input.EndDate = EncodeDate(2034, 12, 31);
    Input.ColorType = vdcCustom;
    Input.Months[0] = {2024, 3};
    Input.Months[1] = {2025, 1};
    return Input;
}

bool WriteActiveSeeds(const String& AFolder)
{
    TActiveInput Seeds[] = {ActiveSeed(vfqNone, 1, true), ActiveSeed(vfqDaily, 3, false),
                            ActiveSeed(vfqWeekly, 2, false), ActiveSeed(vfqMonthly, 1, true),
                            ActiveSeed(vfqYearly, 1, true), ActiveSeed(vfqHourly, 1, false)};
    Seeds[2].WeekDays = {{0, 1}, {0, 5}};
    Seeds[3].WeekDays = {{-1, 5}, {2, 1}};
    Seeds[3].MonthDays = {1, -1, 31};
    Seeds[4].Start = EncodeDate(2024, 2, 29);   // a leap day recurs every four years
    Seeds[4].End = Seeds[4].Start;
    int Number = 0;
    for (const TActiveInput& Seed : Seeds) {
        const std::string Bytes = Seed.Encode();
        auto Stream = Owned(TMemoryStream::Create());
        Stream->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
        Stream->SaveToFile(AFolder + "/active" + IntToStr(++Number));
    }
    return true;
}

int main(int AArgCount, char** AArgs)
{
    if (AArgCount != 2 && AArgCount != 3) {
        std::fprintf(stderr, "usage: calendar_seeds <folder> [<active calendar folder>]\n");
        return 2;
    }
    String Folder = AArgs[1];
    TXTestClockApp* Clock = TXTestClockApp::Create();
    Clock->SetLocal(EncodeDate(2024, 3, 3));
    SetNVCoreApp(Clock);

    auto Holiday = Owned(TXVHolidayObject::Create());
    Holiday->SetSummary("Market day");
    Holiday->DTStart()->SetDDate(EncodeDate(2024, 1, 3) + EncodeTime(9, 0, 0, 0));
    Holiday->DTEnd()->SetDDate(EncodeDate(2024, 1, 4) + EncodeTime(17, 0, 0, 0));
    TXVRecurrenceItem* Rule = Holiday->RRule()->Add();
    Rule->SetFrequency(vfqWeekly);
    Rule->SetInterval(2);
    Rule->SetEndType(vreEndDate);
    Rule->SetEndDate(EncodeDate(2025, 6, 30));
    Rule->ByWeekDay()->AddWeekDay(0, 1);
    Rule->ByMonthDay()->AddValue(-1);

    auto Journal = Owned(TXVJournalObject::Create());
    Journal->SetDescriptionTitle("Notes of the day");
    Journal->DTStart()->SetDDate(EncodeDate(2024, 2, 29));

    auto Tab = Owned(TXVHolidayTabObject::Create());
    Tab->SetCaption("Holidays");

    bool OK = Save(Holiday.get(), TXVHolidayFiler::StaticClass(), Folder, "holiday.xholiday")
              && Save(Journal.get(), TXVJournalFiler::StaticClass(), Folder, "journal.xjournal")
              && Save(Tab.get(), TXVTabFiler::StaticClass(), Folder, "tab.xtab");
    OK = OK && (AArgCount == 2 || WriteActiveSeeds(AArgs[2]));
    SetNVCoreApp(nullptr);
    return OK ? 0 : 1;
}

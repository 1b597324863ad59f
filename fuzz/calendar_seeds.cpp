// Writes calendar files with the calendar filers into the folder given, as the calendar
// fuzzer's seed corpus: a holiday with a weekly rule and an end date, a journal and a tab.
#include <cstdio>

#include "Rtl.DateUtils.h"
#include "XCore.App.h"
#include "XCore.Filer.h"
#include "XCore.TestClock.h"
#include "XVData.Containers.h"
#include "XVData.Filers.h"

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

int main(int AArgCount, char** AArgs)
{
    if (AArgCount != 2) {
        std::fprintf(stderr, "usage: calendar_seeds <folder>\n");
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
    SetNVCoreApp(nullptr);
    return OK ? 0 : 1;
}

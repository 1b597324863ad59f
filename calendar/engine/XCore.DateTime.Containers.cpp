#include "XCore.DateTime.Containers.h"

#include "Rtl.DateUtils.h"
#include "Rtl.SysUtils.h"

namespace {

// The decimal number in AText, 0 when it does not convert.
int NumberOr0(const String& AText)
{
    return StrToIntDef(AText, 0);
}

// Year digits, then two of month and two of day; anything shorter has no year.
TDateTime BasicDate(const String& AText)
{
    size_t Length = AText.size();
    if (Length <= 4)
        return 0;
    int Year = NumberOr0(AText.substr(0, Length - 4));
    int Month = NumberOr0(AText.substr(Length - 4, 2));
    int Day = NumberOr0(AText.substr(Length - 2));
    TDateTime Result;
    return TryEncodeDate(Year, Month, Day, Result) ? Result : TDateTime(0);
}

TDateTime BasicTime(const String& AText)
{
    if (AText.empty())
        return 0;
    auto Field = [&](size_t AStart) { return AStart < AText.size() ? NumberOr0(AText.substr(AStart, 2)) : 0; };
    TDateTime Result;
    return TryEncodeTime(Field(0), Field(2), Field(4), 0, Result) ? Result : TDateTime(0);
}

}  // namespace

void TXDatesList::KeepRange(int32_t ALow, int32_t AHigh)
{
    if (Count() == 0)
        return;
    Sort();
    if (Last() < ALow) {
        Clear();
        return;
    }
    int First = 0;
    while (Items(First) < ALow)
        ++First;
    DeleteFromTo(0, First - 1);
    int LastKept = Count() - 1;
    while (LastKept >= 0 && Items(LastKept) > AHigh)
        --LastKept;
    DeleteFromTo(LastKept + 1, Count() - 1);
}

TDateTime ParseBasicDateTime(const String& AText)
{
    size_t T = AText.find('T');
    String DatePart = T == String::npos ? AText : AText.substr(0, T);
    String TimePart = T == String::npos ? String() : AText.substr(T + 1);
    return BasicDate(DatePart) + BasicTime(TimePart);
}

void TXDatedStringsItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Data", &TXDatedStringsItem::Data, &TXDatedStringsItem::SetData);
}

void TXPeriodStringItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Start", &TXPeriodStringItem::Start, &TXPeriodStringItem::SetStart);
    P.Property("Ends", &TXPeriodStringItem::Ends, &TXPeriodStringItem::SetEnds);
    P.Property("Data", &TXPeriodStringItem::Data, &TXPeriodStringItem::SetData);
}

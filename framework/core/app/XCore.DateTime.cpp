// XCore.DateTime.cpp: date texts, ISO parsing and the calendar rules.
#include "XCore.DateTime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Rtl.DateUtils.h"
#include "Rtl.SysUtils.h"
#include "XCore.App.h"

namespace {

std::vector<String> Split(const String& AText, char ADelimiter)
{
    std::vector<String> Parts;
    size_t Start = 0;
    for (size_t At; (At = AText.find(ADelimiter, Start)) != String::npos; Start = At + 1)
        Parts.push_back(AText.substr(Start, At - Start));
    Parts.push_back(AText.substr(Start));
    return Parts;
}

int PartNumber(const std::vector<String>& AParts, size_t AIndex)
{
    return AIndex < AParts.size() ? StrToIntDef(AParts[AIndex], 0) : 0;
}

String Before(const String& AText, char AChar)
{
    return AText.substr(0, AText.find(AChar));
}

// 12 in place of 0, for month numbers taken modulo 12.
int MonthOf(int AValue)
{
    int Month = AValue % 12;
    if (Month < 0)
        Month += 12;
    return Month == 0 ? 12 : Month;
}

int ResolveYear(int ASpec, int ACurYear)
{
    if (ASpec > 200)
        return ASpec;
    if (ASpec > 0)
        return ACurYear + ASpec - 100;
    if (ASpec < 0)
        return ACurYear + ASpec + 100;
    return ACurYear;
}

}  // namespace

// ---- TXDate and TXPeriod -----------------------------------------------------------------

void TXDate::FromText(const String& AText)
{
    Value = TextToDate(AText);
}

String TXDate::ToText() const
{
    return DateToText(Value);
}

void TXDate::FromDateTime(TDateTime AValue)
{
    Value = DateOf(AValue);
}

String TXDate::ToISOText() const
{
    uint16_t Year, Month, Day;
    DecodeDate(Value, Year, Month, Day);
    char Buffer[32];
    std::snprintf(Buffer, sizeof Buffer, "%u-%02u-%02u", Year, Month, Day);
    return Buffer;
}

bool TXDate::Equal(const TXDate& A, const TXDate& B)
{
    return IsSameDay(A.Value, B.Value);
}

int TXDate::Compare(const TXDate& A, const TXDate& B)
{
    return CompareDate(A.Value, B.Value);
}

void TXPeriod::Clear()
{
    Start = TXDate();
    Ends = TXDate();
}

bool TXPeriod::InRange(TDateTime ADate) const
{
    return CompareDate(Start.Value, ADate) <= 0 && CompareDate(ADate, Ends.Value) <= 0;
}

bool TXPeriod::Contains(TDateTime ADate) const
{
    bool HasStart = Start.Value != 0, HasEnd = Ends.Value != 0;
    if (HasStart && HasEnd)
        return InRange(ADate);
    if (HasEnd)
        return CompareDate(ADate, Ends.Value) <= 0;
    if (HasStart)
        return CompareDate(Start.Value, ADate) <= 0;
    return true;
}

// ---- Texts -------------------------------------------------------------------------------

String DateToText(TDateTime ADate)
{
    if (ADate == 0)
        return String();
    uint16_t Year, Month, Day;
    DecodeDate(ADate, Year, Month, Day);
    char Buffer[32];
    std::snprintf(Buffer, sizeof Buffer, "%02u.%02u.%u", Day, Month, Year);
    return Buffer;
}

TDateTime TextToDate(const String& AText)
{
    if (AText.empty())
        return 0;
    std::vector<String> Parts = Split(AText, '.');
    return EncodeDateDef(PartNumber(Parts, 2), PartNumber(Parts, 1), PartNumber(Parts, 0), 0);
}

TDateTime MakeDateTime(double AValue)
{
    return AValue;
}

TDateTime DateTimeRecordToDateTime(const TXDateTimeRecord& ARecord)
{
    return EncodeDateDef(ARecord.Year, ARecord.Month, ARecord.Day, 0)
           + EncodeTimeDef(ARecord.Hour, ARecord.Minute, ARecord.Second, ARecord.MSec, 0);
}

int SystemTimeToMinuteOfDay(const TXDateTimeRecord& ARecord)
{
    return ARecord.Hour * 60 + ARecord.Minute;
}

int SystemTimeToSecondOfDay(const TXDateTimeRecord& ARecord)
{
    return ARecord.Hour * 3600 + ARecord.Minute * 60 + ARecord.Second;
}

TDateTime ParseDateText(const String& AText)
{
    if (AText.find('T') != String::npos || AText.find('.') == String::npos)
        return DateOf(ParseISODateTime(AText));
    return TextToDate(AText);
}

TDateTime ParseISODate(const String& AText)
{
    if (AText.find('-') != String::npos) {
        std::vector<String> Parts = Split(AText, '-');
        return EncodeDateDef(PartNumber(Parts, 0), PartNumber(Parts, 1), PartNumber(Parts, 2), 0);
    }
    // yyyymmdd read from the right.
    size_t Length = AText.size();
    String Day = AText.substr(Length - std::min<size_t>(Length, 2));
    String Month = AText.substr(Length - std::min<size_t>(Length, 4), std::min<size_t>(Length, 4) - Day.size());
    String Year = AText.substr(0, Length - Day.size() - Month.size());
    return EncodeDateDef(StrToIntDef(Year, 0), StrToIntDef(Month, 0), StrToIntDef(Day, 0), 0);
}

TDateTime ParseISOTime(const String& AText)
{
    String Text = Before(Before(Before(AText, 'Z'), '+'), '-');
    String Digits;
    for (char C : Text)
        if (C != ':')
            Digits += C;
    auto Piece = [&](size_t AIndex) {
        return AIndex * 2 < Digits.size() ? StrToIntDef(Digits.substr(AIndex * 2, 2), 0) : 0;
    };
    return EncodeTimeDef(Piece(0), Piece(1), Piece(2), 0, 0);
}

TDateTime ParseISODateTime(const String& AText)
{
    if (AText.empty())
        return 0;
    size_t T = AText.find('T');
    if (T == String::npos)
        return ParseISODate(AText);
    return ParseISODate(AText.substr(0, T)) + ParseISOTime(AText.substr(T + 1));
}

TDateTime EncodeDateDef(int AYear, int AMonth, int ADay, TDateTime ADefault)
{
    TDateTime Result;
    return TryEncodeDate(AYear, AMonth, ADay, Result) ? Result : ADefault;
}

TDateTime EncodeDateOrToday(int AYear, int AMonth, int ADay)
{
    TDateTime Result;
    return TryEncodeDate(AYear, AMonth, ADay, Result) ? Result : NVCoreApp()->Date();
}

TDateTime EncodeTimeDef(int AHour, int AMinute, int ASecond, int AMSec, TDateTime ADefault)
{
    TDateTime Result;
    return TryEncodeTime(AHour, AMinute, ASecond, AMSec, Result) ? Result : ADefault;
}

// ---- Calendar rules ----------------------------------------------------------------------

TDateTime WeekdayInWeek(int AWeekday, TDateTime ADate)
{
    return DateOf(ADate) - (DayOfTheWeek(ADate) - 1) + (AWeekday - 1);
}

TDateTime DayOfMonthDate(int AN, TDateTime ADate)
{
    uint16_t Year, Month, Day;
    DecodeDate(ADate, Year, Month, Day);
    int Days = DaysInAMonth(Year, Month);
    // -1 is the last day and -Days the first, as 1 and Days are from the other end.
    int Wanted = AN > 0 ? AN : Days + AN + 1;
    if (AN == 0 || Wanted < 1 || Wanted > Days)
        return 0;
    return EncodeDate(Year, Month, Wanted) + TimeOf(ADate);
}

TDateTime NthWeekdayOfMonth(int AN, int AWeekday, TDateTime ADate)
{
    uint16_t Year, Month, Day;
    DecodeDate(ADate, Year, Month, Day);
    if (AN >= 0) {
        double First = EncodeDate(Year, Month, 1);
        int H = DayOfTheWeek(First);
        double E = First + AWeekday - H;
        return AWeekday < H ? E + 7 * AN : E + 7 * (AN - 1);
    }
    double Last = EncodeDate(Year, Month, DaysInAMonth(Year, Month));
    int H = DayOfTheWeek(Last);
    return H < AWeekday ? Last + AWeekday - H + 7 * AN : Last - H + AWeekday + 7 * (AN + 1);
}

void ResolveMonthYearSpec(const TXMonthYearSpec& ASpec, int ACurMonth, int ACurYear, int& AMonth, int& AYear)
{
    AMonth = ACurMonth;
    AYear = ACurYear;
    int M = ASpec.Month;
    if (M >= 1 && M <= 12) {
        AMonth = M;
        AYear = ResolveYear(ASpec.Year, ACurYear);
    } else if (M >= 100) {
        AMonth = MonthOf(ACurMonth + M - 100);
        int T = M - 100 + ACurMonth;
        int Q = T / 12;
        if (T % 12 == 0 && Q > 0)
            --Q;
        if (Q > 0)
            AYear = ACurYear + Q;
    } else if (M < 0) {
        int G = std::abs(M + 100);
        int D = G % 12;
        AMonth = MonthOf(D <= ACurMonth ? ACurMonth - D : ACurMonth - D + 12);
        if (G >= ACurMonth)
            AYear = ACurYear - (G - ACurMonth + 12) / 12;
    }
}

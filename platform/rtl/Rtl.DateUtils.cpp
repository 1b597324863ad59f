// Rtl.DateUtils.cpp: the calendar arithmetic behind the date routines.
#include "Rtl.DateUtils.h"

#include <algorithm>
#include <cmath>

#include "Rtl.SysUtils.h"

namespace {

constexpr int64_t MSecsPerDayInt = 86400000;

// Whole days and milliseconds of the day. Rounding to the millisecond happens once, on the whole
// value, so 0.99999999999 is midnight of the next day and never "24:00:00".
void SplitDateTime(TDateTime AValue, int64_t& ADays, int64_t& AMSecs)
{
    double Value = AValue;
    if (Value >= 0) {
        int64_t Total = static_cast<int64_t>(std::llround(Value * MSecsPerDayInt));
        ADays = Total / MSecsPerDayInt;
        AMSecs = Total % MSecsPerDayInt;
        return;
    }
    // Before 30 December 1899 the integral part is the day and the fraction the time,
    // counted from that day's start (Delphi's layout: -1.25 is 29 December 1899, 06:00).
    ADays = static_cast<int64_t>(std::trunc(Value));
    AMSecs = std::min<int64_t>(std::llround(std::fabs(Value - ADays) * MSecsPerDayInt), MSecsPerDayInt - 1);
}

}  // namespace

bool IsLeapYear(int AYear)
{
    return AYear % 4 == 0 && (AYear % 100 != 0 || AYear % 400 == 0);
}

int DaysInAMonth(int AYear, int AMonth)
{
    static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (AMonth < 1 || AMonth > 12)
        return 0;
    return Days[AMonth - 1] + (AMonth == 2 && IsLeapYear(AYear) ? 1 : 0);
}

int DaysInMonth(TDateTime AValue)
{
    uint16_t Year, Month, Day;
    DecodeDate(AValue, Year, Month, Day);
    return DaysInAMonth(Year, Month);
}

bool TryEncodeDate(int AYear, int AMonth, int ADay, TDateTime& ADate)
{
    if (AYear < 1 || AYear > 9999 || ADay < 1 || ADay > DaysInAMonth(AYear, AMonth))
        return false;
    int DayOfYear = ADay;
    for (int M = 1; M < AMonth; ++M)
        DayOfYear += DaysInAMonth(AYear, M);
    int64_t I = AYear - 1;
    ADate = static_cast<double>(I * 365 + I / 4 - I / 100 + I / 400 + DayOfYear - DateDelta);
    return true;
}

TDateTime EncodeDate(int AYear, int AMonth, int ADay)
{
    TDateTime Result;
    if (!TryEncodeDate(AYear, AMonth, ADay, Result))
        throw EConvertError("Invalid argument to date encode");
    return Result;
}

bool TryEncodeTime(int AHour, int AMin, int ASec, int AMSec, TDateTime& ATime)
{
    if (AHour < 0 || AHour >= 24 || AMin < 0 || AMin >= 60 || ASec < 0 || ASec >= 60 || AMSec < 0 || AMSec >= 1000)
        return false;
    ATime = (AHour * 3600000.0 + AMin * 60000.0 + ASec * 1000.0 + AMSec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int AHour, int AMin, int ASec, int AMSec)
{
    TDateTime Result;
    if (!TryEncodeTime(AHour, AMin, ASec, AMSec, Result))
        throw EConvertError("Invalid argument to time encode");
    return Result;
}

void DecodeDate(TDateTime AValue, uint16_t& AYear, uint16_t& AMonth, uint16_t& ADay)
{
    int64_t Days, MSecs;
    SplitDateTime(AValue, Days, MSecs);
    int64_t T = Days + DateDelta - 1;   // days since 1 January 0001
    if (T < 0) {
        AYear = AMonth = ADay = 0;
        return;
    }
    // 400, 100 and 4 year cycles, then the year within the last one.
    int64_t Year = 1;
    Year += 400 * (T / 146097);
    T %= 146097;
    int64_t Centuries = std::min<int64_t>(T / 36524, 3);
    Year += 100 * Centuries;
    T -= Centuries * 36524;
    Year += 4 * (T / 1461);
    T %= 1461;
    int64_t Years = std::min<int64_t>(T / 365, 3);
    Year += Years;
    T -= Years * 365;
    int Month = 1;
    while (T >= DaysInAMonth(static_cast<int>(Year), Month)) {
        T -= DaysInAMonth(static_cast<int>(Year), Month);
        ++Month;
    }
    AYear = static_cast<uint16_t>(Year);
    AMonth = static_cast<uint16_t>(Month);
    ADay = static_cast<uint16_t>(T + 1);
}

void DecodeTime(TDateTime AValue, uint16_t& AHour, uint16_t& AMin, uint16_t& ASec, uint16_t& AMSec)
{
    int64_t Days, MSecs;
    SplitDateTime(AValue, Days, MSecs);
    AHour = static_cast<uint16_t>(MSecs / 3600000);
    AMin = static_cast<uint16_t>(MSecs / 60000 % 60);
    ASec = static_cast<uint16_t>(MSecs / 1000 % 60);
    AMSec = static_cast<uint16_t>(MSecs % 1000);
}

int DayOfWeek(TDateTime AValue)
{
    int64_t Days, MSecs;
    SplitDateTime(AValue, Days, MSecs);
    // 30 December 1899 was a Saturday (7).
    int64_t R = (Days + 6) % 7;
    return static_cast<int>(R < 0 ? R + 7 : R) + 1;
}

int DayOfTheWeek(TDateTime AValue)
{
    int Day = DayOfWeek(AValue) - 1;
    return Day == 0 ? 7 : Day;
}

TDateTime DateOf(TDateTime AValue)
{
    int64_t Days, MSecs;
    SplitDateTime(AValue, Days, MSecs);
    return static_cast<double>(Days);
}

TDateTime TimeOf(TDateTime AValue)
{
    int64_t Days, MSecs;
    SplitDateTime(AValue, Days, MSecs);
    return MSecs / MSecsPerDay;
}

int CompareDate(TDateTime A, TDateTime B)
{
    double DayA = DateOf(A), DayB = DateOf(B);
    return DayA < DayB ? -1 : (DayA > DayB ? 1 : 0);
}

bool IsSameDay(TDateTime A, TDateTime B)
{
    return CompareDate(A, B) == 0;
}

TDateTime UnixToDateTime(int64_t ASeconds, int32_t AMSec)
{
    return UnixDateDelta + (static_cast<double>(ASeconds) * 1000 + AMSec) / MSecsPerDay;
}

TDateTime SystemTimeToDateTime(const TSystemTime& ATime)
{
    return EncodeDate(ATime.wYear, ATime.wMonth, ATime.wDay)
           + EncodeTime(ATime.wHour, ATime.wMinute, ATime.wSecond, ATime.wMilliseconds);
}

TDateTime Now()
{
    TSystemTime Local;
    GetLocalTime(Local);
    return SystemTimeToDateTime(Local);
}

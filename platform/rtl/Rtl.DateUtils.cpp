// Rtl.DateUtils.cpp: the proleptic Gregorian calendar in days since 30 December 1899.
#include "Rtl.DateUtils.h"

#include "Rtl.SysUtils.h"

namespace {

// Days from 1 January of year 1 to 30 December 1899.
constexpr int64_t kDateDelta = 693594;
constexpr double kMillisecondsPerDay = 86400000.0;

uint16_t DaysInMonth(uint16_t AYear, uint16_t AMonth)
{
    static constexpr uint16_t Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return AMonth == 2 && IsLeapYear(AYear) ? 29 : Days[AMonth - 1];
}

}  // namespace

bool IsLeapYear(uint16_t AYear)
{
    return AYear % 4 == 0 && (AYear % 100 != 0 || AYear % 400 == 0);
}

TDateTime EncodeDate(uint16_t AYear, uint16_t AMonth, uint16_t ADay)
{
    if (AYear < 1 || AYear > 9999 || AMonth < 1 || AMonth > 12 || ADay < 1 || ADay > DaysInMonth(AYear, AMonth))
        throw EConvertError("Invalid argument to date encode");
    int64_t Days = ADay;
    for (uint16_t Month = 1; Month < AMonth; ++Month)
        Days += DaysInMonth(AYear, Month);
    int64_t Years = AYear - 1;
    Days += Years * 365 + Years / 4 - Years / 100 + Years / 400;
    return static_cast<double>(Days - kDateDelta);
}

TDateTime EncodeTime(uint16_t AHour, uint16_t AMinute, uint16_t ASecond, uint16_t AMilliseconds)
{
    if (AHour > 23 || AMinute > 59 || ASecond > 59 || AMilliseconds > 999)
        throw EConvertError("Invalid argument to time encode");
    int64_t Milliseconds = ((AHour * 60 + AMinute) * 60 + ASecond) * 1000 + AMilliseconds;
    return static_cast<double>(Milliseconds) / kMillisecondsPerDay;
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

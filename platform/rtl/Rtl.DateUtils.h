// Rtl.DateUtils.h: TDateTime values from calendar dates, times of day and the system clock.
// A TDateTime counts days since 30 December 1899; its fraction is the time of day.
#pragma once

#include <cstdint>

#include "Rtl.System.h"
#include "Rtl.Types.h"

// Raises EConvertError "Invalid argument to date encode" outside 1..9999 and the real calendar.
TDateTime EncodeDate(uint16_t AYear, uint16_t AMonth, uint16_t ADay);
// Raises EConvertError "Invalid argument to time encode" outside 0:00:00.000..23:59:59.999.
TDateTime EncodeTime(uint16_t AHour, uint16_t AMinute, uint16_t ASecond, uint16_t AMilliseconds);
bool IsLeapYear(uint16_t AYear);
// The date plus the time of day, milliseconds kept.
TDateTime SystemTimeToDateTime(const TSystemTime& ATime);
// The local date and time from the system clock.
TDateTime Now();

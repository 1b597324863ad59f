// Rtl.DateUtils.h: encoding, decoding and comparing TDateTime values (days since 30 December
// 1899, the time as the fraction), with Delphi's rules: years 1 to 9999, the proleptic
// Gregorian calendar, and DayOfWeek counting from Sunday while DayOfTheWeek counts from Monday.
#pragma once

#include <cstdint>

#include "Rtl.System.h"
#include "Rtl.Types.h"

inline constexpr double HoursPerDay = 24;
inline constexpr double MinsPerDay = 24 * 60;
inline constexpr double SecsPerDay = MinsPerDay * 60;
inline constexpr double MSecsPerDay = SecsPerDay * 1000;
// Days from 1 January 0001 to 30 December 1899, and from that day to 1 January 1970.
inline constexpr int32_t DateDelta = 693594;
inline constexpr int32_t UnixDateDelta = 25569;

bool IsLeapYear(int AYear);
// 0 for a month outside 1..12.
int DaysInAMonth(int AYear, int AMonth);
// The number of days of AValue's month.
int DaysInMonth(TDateTime AValue);

bool TryEncodeDate(int AYear, int AMonth, int ADay, TDateTime& ADate);
// Raises EConvertError "Invalid argument to date encode" for no valid date.
TDateTime EncodeDate(int AYear, int AMonth, int ADay);
bool TryEncodeTime(int AHour, int AMin, int ASec, int AMSec, TDateTime& ATime);
// Raises EConvertError "Invalid argument to time encode".
TDateTime EncodeTime(int AHour, int AMin, int ASec, int AMSec);
void DecodeDate(TDateTime AValue, uint16_t& AYear, uint16_t& AMonth, uint16_t& ADay);
void DecodeTime(TDateTime AValue, uint16_t& AHour, uint16_t& AMin, uint16_t& ASec, uint16_t& AMSec);

// 1 Sunday ... 7 Saturday.
int DayOfWeek(TDateTime AValue);
// 1 Monday ... 7 Sunday (ISO 8601).
int DayOfTheWeek(TDateTime AValue);

// The whole day (time 0) and the time of day (date 0).
TDateTime DateOf(TDateTime AValue);
TDateTime TimeOf(TDateTime AValue);
// Compares the days only: -1, 0 or 1.
int CompareDate(TDateTime A, TDateTime B);
bool IsSameDay(TDateTime A, TDateTime B);

// Seconds since 1 January 1970 (UTC) and back; milliseconds are kept.
TDateTime UnixToDateTime(int64_t ASeconds, int32_t AMSec = 0);

// The date plus the time of day, milliseconds kept.
TDateTime SystemTimeToDateTime(const TSystemTime& ATime);
// The local date and time from the system clock. Framework code asks the core application
// instead, so that tests can set the time.
TDateTime Now();

// XCore.DateTime.h: whole-day dates with their stored (dd.mm.yyyy) and ISO (yyyy-mm-dd) texts,
// periods with open bounds, ISO 8601 parsing, encoding with fall-backs, the broken-down local
// time of the clock, and the calendar rules of recurring dates.
// A date of 0 means "no date"; same-day comparisons ignore the time part.
#pragma once

#include <cstdint>

#include "Rtl.Types.h"

struct TXDate {
    TDateTime Value;

    // TextToDate / DateToText on the stored value.
    void FromText(const String& AText);
    String ToText() const;
    // The whole day of AValue.
    void FromDateTime(TDateTime AValue);
    TDateTime ToDateTime() const { return Value; }
    String ToISOText() const;
    static bool Equal(const TXDate& A, const TXDate& B);
    static int Compare(const TXDate& A, const TXDate& B);
};

// A bound of 0 is open.
struct TXPeriod {
    TXDate Start;
    TXDate Ends;

    void Clear();
    // Start <= ADate <= Ends by day, both bounds as stored.
    bool InRange(TDateTime ADate) const;
    // As InRange, an open bound accepting every date on its side.
    bool Contains(TDateTime ADate) const;
};

// A broken-down local date and time; Hour and Minute sit where SYSTEMTIME has them.
struct TXDateTimeRecord {
    uint16_t Year = 0;
    uint16_t Month = 0;
    uint16_t Day = 0;
    uint16_t DayOfWeek = 0;   // 1 Monday ... 7 Sunday
    uint16_t Hour = 0;
    uint16_t Minute = 0;
    uint16_t Second = 0;
    uint16_t MSec = 0;
};

// A design item's month: M 0 the current month, 1..12 a fixed month of year spec Y, 100 + n
// n months on, -100 - n n months back; Y > 200 an absolute year, 0 this year, 100 + n n years
// on (1..200), negative years back.
struct TXMonthYearSpec {
    int16_t Month = 0;
    int16_t Year = 0;
};

// "05.03.2021"; "" for 0.
String DateToText(TDateTime ADate);
// Day, month and year split at "."; 0 for the empty text or no valid date.
TDateTime TextToDate(const String& AText);
TDateTime MakeDateTime(double AValue);
TDateTime DateTimeRecordToDateTime(const TXDateTimeRecord& ARecord);
int SystemTimeToMinuteOfDay(const TXDateTimeRecord& ARecord);
int SystemTimeToSecondOfDay(const TXDateTimeRecord& ARecord);
// A date field in any of its forms: an ISO date-time, an ISO date, or dd.mm.yyyy; a whole day.
TDateTime ParseDateText(const String& AText);
// "2021-05-11" or "20210511"; 0 when invalid.
TDateTime ParseISODate(const String& AText);
// "10:20:30", "102030", with a zone designator or offset dropped (not applied); 0 when invalid.
TDateTime ParseISOTime(const String& AText);
// Date and time split at the first "T"; 0 for the empty text.
TDateTime ParseISODateTime(const String& AText);
TDateTime EncodeDateDef(int AYear, int AMonth, int ADay, TDateTime ADefault);
// Today (the core application's date) when the numbers are no valid date.
TDateTime EncodeDateOrToday(int AYear, int AMonth, int ADay);
TDateTime EncodeTimeDef(int AHour, int AMinute, int ASecond, int AMSec, TDateTime ADefault);
// The day of AWeekday (1 Monday ... 7 Sunday) in the ISO week of ADate.
TDateTime WeekdayInWeek(int AWeekday, TDateTime ADate);
// Midnight of the Monday of ADate's week.
inline TDateTime StartOfTheWeek(TDateTime ADate) { return WeekdayInWeek(1, ADate); }
// Day AN of ADate's month (time kept); AN < 0 counts from its end (-1 the last day); 0 when the
// month has no such day.
TDateTime DayOfMonthDate(int AN, TDateTime ADate);
// The AN-th AWeekday of ADate's month, -1 the last; not checked against the month, so a fifth
// weekday that does not exist lies in the next month.
TDateTime NthWeekdayOfMonth(int AN, int AWeekday, TDateTime ADate);
// AMonth and AYear for ASpec seen from ACurMonth/ACurYear. Month specs 13 to 99 have no
// meaning and leave the current month.
void ResolveMonthYearSpec(const TXMonthYearSpec& ASpec, int ACurMonth, int ACurYear, int& AMonth, int& AYear);

// Win.Time.cpp: zone conversion with timegm-style arithmetic and localtime_r.
#include "Win.Time.h"

#include <cmath>
#include <ctime>

#include "Rtl.DateUtils.h"

void ResetTimeZone()
{
    ::tzset();
}

TDateTime UtcToLocalDateTime(TDateTime AUtc)
{
    double Seconds = (AUtc - UnixDateDelta) * SecsPerDay;
    double Whole = std::floor(Seconds);
    time_t Time = static_cast<time_t>(Whole);
    struct tm Local;
    if (::localtime_r(&Time, &Local) == nullptr)
        return AUtc;
    // The zone's offset applies to the whole second; the fraction carries over unchanged.
    return AUtc + static_cast<double>(Local.tm_gmtoff) / SecsPerDay;
}

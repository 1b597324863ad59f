// Win.Time.h: the local time zone through the C library's rules (TZ, else /etc/localtime).
// "Now" itself comes from the core application, so that tests can drive it.
#pragma once

#include "Rtl.Types.h"

// Reads the zone again, as Windows' time-zone information is read again after a change.
void ResetTimeZone();
// The local date and time of a UTC date and time, milliseconds kept; AUtc itself when the C
// library cannot convert it.
TDateTime UtcToLocalDateTime(TDateTime AUtc);

// Reads arbitrary text as the dates that names and fields hold: journal names
// ("20240115T1430"), ISO dates and times, dotted dates and date fields of any form. Nothing
// may crash or overflow; a date read is a real day, and one written as text reads back the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "XCore.DateTime.Containers.h"
#include "XCore.DateTime.h"

namespace {

// A date text makes a day of years 1 to 9999, or 0.
void Check(TDateTime ADate)
{
    if (!std::isfinite(ADate.Value) || ADate.Value < -693594 || ADate.Value >= 2958466)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    const String Text(reinterpret_cast<const char*>(AData), ASize);
    for (TDateTime Date : {ParseBasicDateTime(Text), ParseDateText(Text), ParseISODate(Text), ParseISODateTime(Text),
                           TextToDate(Text)})
        Check(Date);
    (void)ParseISOTime(Text);
    // Whole days written as text read back as themselves.
    TDateTime Day = std::trunc(TextToDate(Text).Value);
    if (Day.Value != 0 && TextToDate(DateToText(Day)).Value != Day.Value)
        std::abort();
    return 0;
}

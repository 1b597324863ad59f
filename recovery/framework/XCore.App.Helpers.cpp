// XCore.App.Helpers.cpp: the terminating test, date texts and joined lists.
#include "XCore.App.Helpers.h"

#include <cmath>

#include "Rtl.DateUtils.h"
#include "XCore.App.h"
#include "XCore.Strings.h"

namespace {

constexpr double kOneMillisecond = 1.0 / 86400000.0;

}  // namespace

bool IsApplicationTerminating()
{
    TXNVCoreApp* App = NVCoreApp();
    return App != nullptr && App->Terminated();
}

bool SameDateTimeValue(TDateTime A, TDateTime B)
{
    return std::fabs(A.Value - B.Value) < kOneMillisecond;
}

String DateTimeToISOText(TDateTime AValue)
{
    uint16_t Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, MilliSecond = 0;
    DecodeDate(AValue, Year, Month, Day);
    DecodeTime(AValue, Hour, Minute, Second, MilliSecond);
    return IntToStr(Year) + "-" + ZeroPadInt(Month, 2) + "-" + ZeroPadInt(Day, 2) + "T" + ZeroPadInt(Hour, 2) + ":"
           + ZeroPadInt(Minute, 2) + ":" + ZeroPadInt(Second, 2);
}

String JoinWithPipe(std::initializer_list<std::string_view> ATexts)
{
    String Result;
    for (auto Text = ATexts.begin(); Text != ATexts.end(); ++Text) {
        if (Text != ATexts.begin())
            Result += "|";
        Result.append(*Text);
    }
    return Result;
}

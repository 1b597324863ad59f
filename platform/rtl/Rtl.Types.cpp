// Rtl.Types.cpp: text form of GUIDs, money from floating point.
#include "Rtl.Types.h"

#include <cmath>
#include <cstdio>

#include "Rtl.SysUtils.h"

String TGUID::ToString() const
{
    char Buffer[39];
    std::snprintf(Buffer, sizeof Buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", D1, D2, D3, D4[0],
                  D4[1], D4[2], D4[3], D4[4], D4[5], D4[6], D4[7]);
    return Buffer;
}

Currency::Currency(double AValue)
{
    // 2^63 ten-thousandths; the comparison also turns NaN away.
    constexpr double Limit = 9223372036854775808.0;
    double Scaled = std::nearbyint(AValue * 10000);
    if (!(Scaled >= -Limit && Scaled < Limit))
        throw EConvertError("Currency value out of range");
    FScaled = static_cast<int64_t>(Scaled);
}

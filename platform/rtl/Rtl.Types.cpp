// Rtl.Types.cpp: text form of GUIDs.
#include "Rtl.Types.h"

#include <cstdio>

String TGUID::ToString() const
{
    char Buffer[39];
    std::snprintf(Buffer, sizeof Buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", D1, D2, D3, D4[0],
                  D4[1], D4[2], D4[3], D4[4], D4[5], D4[6], D4[7]);
    return Buffer;
}

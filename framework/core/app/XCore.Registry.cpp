// XCore.Registry.cpp: reads with defaults.
#include "XCore.Registry.h"

int32_t TXRegistry::ReadIntegerDef(const String& AName, int32_t ADefault)
{
    if (GetDataType(AName) != rdInteger)
        return ADefault;
    try {
        return ReadInteger(AName);
    } catch (const ERegistryException&) {
        return ADefault;
    }
}

String TXRegistry::ReadStringDef(const String& AName, const String& ADefault)
{
    if (!ValueExists(AName))
        return ADefault;
    try {
        return ReadString(AName);
    } catch (const ERegistryException&) {
        return ADefault;
    }
}

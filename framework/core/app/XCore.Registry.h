// XCore.Registry.h: registry access with defaults in place of exceptions.
#pragma once

#include "Win.Registry.h"

class TXRegistry : public TRegistry {
    X_CLASS(TXRegistry, TRegistry)
public:
    // ADefault when the value is missing or is no integer.
    int32_t ReadIntegerDef(const String& AName, int32_t ADefault);
    // ADefault when the value is missing or cannot be read as a string.
    String ReadStringDef(const String& AName, const String& ADefault);

protected:
    TXRegistry() = default;
};

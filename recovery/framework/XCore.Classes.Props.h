// XCore.Classes.Props.h: published properties read and written by name, as text, for code
// that only knows a property's name (settings lists, command options). They never raise.
#pragma once

#include "Rtl.Objects.h"
#include "Rtl.Types.h"

// The property's value as text and True; False (AText empty) when AInstance has no such
// published property or its value has no text form.
[[nodiscard]] bool GetPropTextByName(TObject* AInstance, const String& AName, String& AText);
// As GetPropTextByName; the value is True for "True" or "1" (letter case ignored), else False.
[[nodiscard]] bool GetBoolPropByName(TObject* AInstance, const String& AName, bool& AValue);
// Sets the property from AText, converted to its type; False when there is no such property
// or the text does not convert.
[[nodiscard]] bool SetPropTextByName(TObject* AInstance, const String& AName, const String& AText);

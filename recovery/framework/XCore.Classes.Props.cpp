// XCore.Classes.Props.cpp: property access by name over the runtime's type information.
#include "XCore.Classes.Props.h"

#include "Rtl.SysUtils.h"
#include "Rtl.TypInfo.h"

bool GetPropTextByName(TObject* AInstance, const String& AName, String& AText)
{
    AText.clear();
    try {
        const TPropInfo* Info = AInstance != nullptr ? GetPropInfo(AInstance, AName) : nullptr;
        if (Info == nullptr)
            return false;
        AText = GetPropText(AInstance, Info);
        return true;
    } catch (const std::exception&) {
        AText.clear();
        return false;
    }
}

bool GetBoolPropByName(TObject* AInstance, const String& AName, bool& AValue)
{
    String Text;
    if (!GetPropTextByName(AInstance, AName, Text))
        return false;
    AValue = SameText(Text, "True") || Text == "1";
    return true;
}

bool SetPropTextByName(TObject* AInstance, const String& AName, const String& AText)
{
    try {
        const TPropInfo* Info = AInstance != nullptr ? GetPropInfo(AInstance, AName) : nullptr;
        if (Info == nullptr)
            return false;
        SetPropText(AInstance, Info, AText);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

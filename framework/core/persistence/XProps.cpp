#include "XProps.h"

#include <algorithm>
#include <exception>
#include <string_view>
#include <vector>

#include "Rtl.Classes.h"
#include "XCore.Registry.h"

namespace {

constexpr std::string_view kItemKey = "Item";

bool IsValueKind(TTypeKind AKind)
{
    switch (AKind) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkFloat:
    case tkSet:
    case tkWChar:
    case tkInt64:
    case tkUString:
        return true;
    case tkClass:
    case tkMethod:
        return false;
    }
    return false;
}

// The object value of AObj's published property AName; nullptr when there is none. Raises
// when the property is no object property.
TObject* ObjectValue(TObject* AObj, const String& AName)
{
    const TPropInfo* Info = GetPropInfo(AObj, AName);
    return Info != nullptr ? GetObjectProp(AObj, Info) : nullptr;
}

// "Items[2]..." at the head of APath: the item of the collection property. An index that is no
// number counts as 0; one out of range raises.
TObject* IndexedItem(TObject* AObj, const String& APath, size_t ABracket)
{
    auto* Collection = AsOrNull<TCollection>(ObjectValue(AObj, APath.substr(0, ABracket)));
    if (Collection == nullptr)
        return nullptr;
    size_t Close = APath.find(']', ABracket);
    String IndexText = Close == String::npos ? String() : APath.substr(ABracket + 1, Close - ABracket - 1);
    return Collection->Items(StrToIntDef(IndexText, 0));
}

TObject* ResolvePath(TObject* ARoot, String& APath)
{
    TObject* Current = ARoot;
    size_t Colon = APath.find(':');
    if (Colon != String::npos) {
        auto* Root = AsOrNull<TComponent>(ARoot);
        Current = Root != nullptr ? Root->FindComponent(APath.substr(0, Colon)) : nullptr;
        APath.erase(0, Colon + 1);
    }
    for (size_t Dot; Current != nullptr && (Dot = APath.find('.')) != String::npos; APath.erase(0, Dot + 1)) {
        size_t Bracket = APath.find('[');
        Current = Bracket < Dot ? IndexedItem(Current, APath, Bracket) : ObjectValue(Current, APath.substr(0, Dot));
    }
    return Current;
}

// Runs AStep on the object that owns the final property of APath, with that property; False
// when there is none or when anything raises.
template <class TStep>
bool WithFinalProperty(TObject* ARoot, const String& APath, TStep AStep)
{
    try {
        String Name = APath;
        TObject* Obj = ResolvePath(ARoot, Name);
        const TPropInfo* Info = Obj != nullptr ? GetPropInfo(Obj, Name) : nullptr;
        if (Info == nullptr)
            return false;
        AStep(Obj, Info);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The number of an "Item<N>" key, or -1 for any other name.
int ItemKeyNumber(std::string_view AKey)
{
    if (AKey.size() <= kItemKey.size() || !SameText(AKey.substr(0, kItemKey.size()), kItemKey))
        return -1;
    std::string_view Digits = AKey.substr(kItemKey.size());
    if (!std::all_of(Digits.begin(), Digits.end(), [](char C) { return C >= '0' && C <= '9'; }))
        return -1;
    return StrToIntDef(Digits, -1);
}

// The registry lists "Item10" before "Item2": items go back in the order they were saved,
// other keys after them in the registry's order.
std::vector<String> InItemOrder(TStrings* AKeys)
{
    std::vector<String> Keys;
    for (int I = 0; I < AKeys->Count(); ++I)
        Keys.push_back(AKeys->Strings(I));
    std::stable_sort(Keys.begin(), Keys.end(), [](const String& A, const String& B) {
        int NumberA = ItemKeyNumber(A);
        int NumberB = ItemKeyNumber(B);
        return NumberA >= 0 && (NumberB < 0 || NumberA < NumberB);
    });
    return Keys;
}

bool SaveObject(TObject* AObj, const String& AKey, std::vector<TObject*>& AOpen);

void WriteValues(TRegistry* ARegistry, TObject* AObj, TStrings* ANames)
{
    for (int I = 0; I < ANames->Count(); ++I) {
        try {
            ARegistry->WriteString(ANames->Strings(I), GetPropText(AObj, ANames->Strings(I)));
        } catch (const std::exception&) {
            // A value without a text form, or one the registry refuses, is left out.
        }
    }
}

// AOpen holds the objects being saved further up: an object property that leads back to one
// of them (a cycle of references) is not followed again.
bool SaveTree(TObject* AObj, const String& AKey, std::vector<TObject*>& AOpen)
{
    if (std::find(AOpen.begin(), AOpen.end(), AObj) != AOpen.end())
        return true;
    AOpen.push_back(AObj);
    bool Result = SaveObject(AObj, AKey, AOpen);
    AOpen.pop_back();
    return Result;
}

bool SaveObject(TObject* AObj, const String& AKey, std::vector<TObject*>& AOpen)
{
    auto* Collection = AsOrNull<TCollection>(AObj);
    auto Registry = Owned(TRegistry::Create());
    if (Collection != nullptr)
        Registry->DeleteKey(AKey);   // items left from a longer list must go
    if (!Registry->OpenKey(AKey, true))
        return false;
    auto ValueNames = Owned(TStringList::Create());
    auto ObjectNames = Owned(TStringList::Create());
    ListStoredProperties(AObj, ValueNames.get(), ObjectNames.get());
    WriteValues(Registry.get(), AObj, ValueNames.get());
    Registry->CloseKey();

    bool Result = true;
    for (int I = 0; I < ObjectNames->Count(); ++I) {
        TObject* Value = nullptr;
        try {
            Value = ObjectValue(AObj, ObjectNames->Strings(I));
        } catch (const std::exception&) {
        }
        if (Value != nullptr)
            Result = SaveTree(Value, AKey + ObjectNames->Strings(I) + "\\", AOpen) && Result;
    }
    for (int I = 0; Collection != nullptr && I < Collection->Count(); ++I)
        Result = SaveTree(Collection->Items(I), AKey + String(kItemKey) + IntToStr(I) + "\\", AOpen) && Result;
    return Result;
}

void ApplyValues(TXRegistry* ARegistry, TObject* AObj, TStrings* ANames)
{
    for (int I = 0; I < ANames->Count(); ++I) {
        const String& Name = ANames->Strings(I);
        String Text = ARegistry->GetDataType(Name) == rdInteger ? IntToStr(ARegistry->ReadIntegerDef(Name, 0))
                                                                 : ARegistry->ReadStringDef(Name, String());
        // The name is a path: a value may reach an owned component or a sub-object.
        (void)SetPropTextByPath(AObj, Name, Text);
    }
}

bool LoadTree(TObject* AObj, const String& AKey)
{
    auto Registry = Owned(TXRegistry::Create(KEY_READ));
    if (!Registry->OpenKeyReadOnly(AKey))
        return false;
    auto Names = Owned(TStringList::Create());
    Registry->GetValueNames(Names.get());
    ApplyValues(Registry.get(), AObj, Names.get());
    Registry->GetKeyNames(Names.get());
    Registry->CloseKey();

    bool Result = true;
    if (auto* Collection = AsOrNull<TCollection>(AObj)) {
        for (const String& SubKey : InItemOrder(Names.get()))
            Result = LoadTree(Collection->Add(), AKey + SubKey + "\\") && Result;
        return Result;
    }
    for (int I = 0; I < Names->Count(); ++I) {
        const TPropInfo* Info = GetPropInfo(AObj, Names->Strings(I));
        if (Info == nullptr)
            return false;
        if (Info->Kind() != tkClass)
            continue;   // nothing to load a sub-key into
        if (TObject* Value = GetObjectProp(AObj, Info))
            Result = LoadTree(Value, AKey + Names->Strings(I) + "\\") && Result;
    }
    return Result;
}

}  // namespace

void ListStoredProperties(TObject* AObj, TStrings* AValueNames, TStrings* AObjectNames)
{
    AValueNames->Clear();
    AObjectNames->Clear();
    if (AObj == nullptr)
        return;
    try {
        for (const TPropInfo* Info : GetPropList(AObj)) {
            if (!IsStoredProp(AObj, Info))
                continue;
            if (IsValueKind(Info->Kind()))
                AValueNames->Add(Info->Name());
            else if (Info->Kind() == tkClass)
                AObjectNames->Add(Info->Name());
        }
    } catch (const std::exception&) {
        // A stored test that raises ends the listing.
    }
}

TObject* ResolvePropertyPath(TObject* ARoot, String& APath)
{
    try {
        return ResolvePath(ARoot, APath);
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool GetPropTextByPath(TObject* ARoot, const String& APath, String& AText)
{
    AText.clear();
    return WithFinalProperty(ARoot, APath,
                             [&](TObject* AObj, const TPropInfo* AInfo) { AText = GetPropText(AObj, AInfo); });
}

bool SetPropTextByPath(TObject* ARoot, const String& APath, const String& AText)
{
    return WithFinalProperty(ARoot, APath,
                             [&](TObject* AObj, const TPropInfo* AInfo) { SetPropText(AObj, AInfo, AText); });
}

bool SetEventByPath(TObject* ARoot, const String& APath, const TMethodValue& AHandler)
{
    return WithFinalProperty(ARoot, APath,
                             [&](TObject* AObj, const TPropInfo* AInfo) { SetMethodProp(AObj, AInfo, AHandler); });
}

bool SavePropsToRegistry(TObject* AObj, const String& AKey)
{
    try {
        std::vector<TObject*> Open;
        return AObj != nullptr && SaveTree(AObj, AKey, Open);
    } catch (const std::exception&) {
        return false;
    }
}

bool LoadPropsFromRegistry(TObject* AObj, const String& AKey)
{
    try {
        return AObj != nullptr && LoadTree(AObj, AKey);
    } catch (const std::exception&) {
        return false;
    }
}

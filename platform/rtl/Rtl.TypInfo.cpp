// Rtl.TypInfo.cpp: the per-class tables of published properties and methods, and access to
// property values by kind and as text.
#include "Rtl.TypInfo.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace XRtlDetail {

struct TPublishedMethod {
    String Name;
    TMethodValue::TCode Code = nullptr;
    TMethodValue (*Bind)(TObject*) = nullptr;
};

struct TPublishedTable {
    TPropList Properties;
    std::vector<TPublishedMethod> Methods;
    std::vector<std::unique_ptr<TPropInfo>> Own;   // the properties this class (re)declared
};

struct TTypInfoAccess {
    static const TPublishedTable& TableOf(TClass AClass);
    static std::unique_ptr<TPublishedTable> Build(TClass AClass, const TPublishedTable* AParent);
    static TPropValue Get(const TPropInfo& AInfo, TObject* AInstance) { return AInfo.FGetter(AInstance); }
    static void Set(const TPropInfo& AInfo, TObject* AInstance, const TPropValue& AValue);
    static bool IsStored(const TPropInfo& AInfo, TObject* AInstance);
};

}  // namespace XRtlDetail

using XRtlDetail::TPropValue;
using XRtlDetail::TPublishedTable;
using XRtlDetail::TTypInfoAccess;

namespace {

constexpr TSet<TTypeKind> kOrdinalKinds{tkInteger, tkChar, tkWChar, tkEnumeration, tkSet};

// Tables live as long as the process: property information handed out never dangles.
struct TTableRegistry {
    std::shared_mutex Lock;
    std::unordered_map<TClass, const TPublishedTable*> Tables;
    std::vector<std::unique_ptr<TPublishedTable>> Owned;
};

TTableRegistry& TableRegistry()
{
    static TTableRegistry Instance;
    return Instance;
}

const TPropInfo* FindProperty(const TPropList& AList, std::string_view AName)
{
    for (const TPropInfo* Info : AList)
        if (SameText(Info->Name(), AName))
            return Info;
    return nullptr;
}

int OrdinalBits(TOrdType AType)
{
    switch (AType) {
    case otSByte:
    case otUByte:
        return 8;
    case otSWord:
    case otUWord:
        return 16;
    default:
        return 32;
    }
}

uint64_t SetMask(const TTypeInfo& ASetType)
{
    int64_t Count = ASetType.CompType->MaxValue + 1;
    return Count >= 64 ? ~uint64_t(0) : (uint64_t(1) << Count) - 1;
}

// Integers and chars take either reading of their width, so -1 and 4294967295 both fit a
// Cardinal; enumerations and sets only their own values.
bool FitsOrdinal(const TTypeInfo& AType, int64_t AValue)
{
    if (AType.Kind == tkSet)
        return (static_cast<uint64_t>(AValue) & ~SetMask(AType)) == 0;
    if (AType.Kind == tkEnumeration)
        return AValue >= AType.MinValue && AValue <= AType.MaxValue;
    int Bits = OrdinalBits(AType.OrdType);
    return AValue >= -(int64_t(1) << (Bits - 1)) && AValue <= (int64_t(1) << Bits) - 1;
}

const char* KindName(TTypeKind AKind)
{
    switch (AKind) {
    case tkInteger:
        return "an integer";
    case tkChar:
    case tkWChar:
        return "a char";
    case tkEnumeration:
        return "an enumeration";
    case tkFloat:
        return "a float";
    case tkSet:
        return "a set";
    case tkClass:
        return "a class";
    case tkMethod:
        return "a method";
    case tkInt64:
        return "an int64";
    case tkUString:
        return "a string";
    }
    return "unknown";
}

[[noreturn]] void RaiseWrongKind(const TPropInfo& AInfo, const char* AExpected)
{
    throw EPropertyError("Invalid property type: " + AInfo.Name() + " is " + KindName(AInfo.Kind()) + " ("
                         + AInfo.PropType()->Name + "), not " + AExpected);
}

const TPropInfo& Checked(TObject* AInstance, const TPropertyRef& AProp, TSet<TTypeKind> AKinds, const char* AExpected)
{
    const TPropInfo& Info = AProp.Resolve(AInstance);
    if (!AKinds.Contains(Info.Kind()))
        RaiseWrongKind(Info, AExpected);
    return Info;
}

const TPropInfo& Checked(TObject* AInstance, const TPropertyRef& AProp, TTypeKind AKind)
{
    return Checked(AInstance, AProp, {AKind}, KindName(AKind));
}

bool IsBlankChar(char C)
{
    return static_cast<unsigned char>(C) <= ' ';
}

}  // namespace

// ---- Tables ------------------------------------------------------------------------------

namespace XRtlDetail {

const TPublishedTable& TTypInfoAccess::TableOf(TClass AClass)
{
    TTableRegistry& Tables = TableRegistry();
    {
        std::shared_lock Lock(Tables.Lock);
        auto Found = Tables.Tables.find(AClass);
        if (Found != Tables.Tables.end())
            return *Found->second;
    }
    // Built outside the lock, as declarations build their ancestors' tables first. Two threads
    // may both build one; the first stored wins and the other copy is dropped.
    const TPublishedTable* Parent = AClass->ClassParent() != nullptr ? &TableOf(AClass->ClassParent()) : nullptr;
    std::unique_ptr<TPublishedTable> Built;
    if (AClass->OwnPropertyDeclarations() != nullptr || Parent == nullptr)
        Built = Build(AClass, Parent);
    std::unique_lock Lock(Tables.Lock);
    auto [Entry, Inserted] = Tables.Tables.try_emplace(AClass, Built != nullptr ? Built.get() : Parent);
    if (Inserted && Built != nullptr)
        Tables.Owned.push_back(std::move(Built));
    return *Entry->second;
}

std::unique_ptr<TPublishedTable> TTypInfoAccess::Build(TClass AClass, const TPublishedTable* AParent)
{
    auto Table = std::make_unique<TPublishedTable>();
    if (AParent != nullptr) {
        Table->Properties = AParent->Properties;
        Table->Methods = AParent->Methods;
    }
    if (TClassInfo::TDeclareProperties Declare = AClass->OwnPropertyDeclarations()) {
        TPropertyDeclarer Declarer(AClass, *Table);
        Declare(Declarer);
    }
    return Table;
}

void TTypInfoAccess::Set(const TPropInfo& AInfo, TObject* AInstance, const TPropValue& AValue)
{
    if (!AInfo.FSetter)
        throw EPropertyError("Property " + AInfo.Name() + " is read-only");
    AInfo.FSetter(AInstance, AValue);
}

bool TTypInfoAccess::IsStored(const TPropInfo& AInfo, TObject* AInstance)
{
    return AInfo.FStoredTest ? AInfo.FStoredTest(AInstance) : AInfo.FStored;
}

void CheckMemberClass(TClass ADeclaring, TClass AMemberClass)
{
    if (!ADeclaring->InheritsFrom(AMemberClass))
        throw EPropertyError(ADeclaring->ClassName() + " publishes a member of " + AMemberClass->ClassName()
                             + ", which is not its ancestor");
}

void RaiseSignatureMismatch(const TTypeInfo* AExpected, const TTypeInfo* AGiven)
{
    throw EPropertyError("Invalid property value: a method of type "
                         + (AGiven != nullptr ? AGiven->Name : String("unknown")) + " where " + AExpected->Name
                         + " is needed");
}

}  // namespace XRtlDetail

TPropertyOptions TPropertyDeclarer::Add(const String& AName, const TTypeInfo* AType, XRtlDetail::TPropGetter AGetter,
                                        XRtlDetail::TPropSetter ASetter)
{
    auto Info = std::make_unique<TPropInfo>();
    Info->FName = AName;
    Info->FPropType = AType;
    Info->FGetter = std::move(AGetter);
    Info->FSetter = std::move(ASetter);
    return Place(std::move(Info));
}

TPropertyOptions TPropertyDeclarer::Property(const String& AName)
{
    const TPropInfo* Inherited = FindProperty(FTable.Properties, AName);
    if (Inherited == nullptr)
        throw EPropertyError(FClass->ClassName() + " redeclares " + AName + ", which it does not inherit");
    return Place(std::make_unique<TPropInfo>(*Inherited));
}

TPropertyOptions TPropertyDeclarer::Place(std::unique_ptr<TPropInfo> AInfo)
{
    AInfo->FDeclaringClass = FClass;
    TPropInfo& Info = *AInfo;
    auto Same = std::find_if(FTable.Properties.begin(), FTable.Properties.end(),
                             [&](const TPropInfo* AOther) { return SameText(AOther->Name(), Info.Name()); });
    if (Same == FTable.Properties.end())
        FTable.Properties.push_back(&Info);
    else if ((*Same)->DeclaringClass() == FClass)
        throw EPropertyError(FClass->ClassName() + " declares " + Info.Name() + " twice");
    else
        *Same = &Info;
    FTable.Own.push_back(std::move(AInfo));
    return TPropertyOptions(Info);
}

void TPropertyDeclarer::AddMethod(const String& AName, TMethodValue (*ABind)(TObject*))
{
    XRtlDetail::TPublishedMethod Method{AName, ABind(nullptr).Code, ABind};
    for (XRtlDetail::TPublishedMethod& Inherited : FTable.Methods)
        if (SameText(Inherited.Name, AName)) {
            Inherited = Method;
            return;
        }
    FTable.Methods.push_back(Method);
}

TPropertyOptions& TPropertyOptions::Stored(bool AValue)
{
    FInfo.FStored = AValue;
    FInfo.FStoredTest = nullptr;
    return *this;
}

void TPropertyOptions::SetDefault(const TTypeInfo* AValueType, const TPropValue& AValue)
{
    const TTypeInfo& Type = *FInfo.FPropType;
    bool Integral = Type.Kind == tkInteger || Type.Kind == tkChar || Type.Kind == tkWChar;
    bool Accepted = kOrdinalKinds.Contains(Type.Kind)
                    && (AValueType == &Type || (Integral && AValueType->Kind == tkInteger))
                    && FitsOrdinal(Type, std::get<int64_t>(AValue));
    if (!Accepted)
        throw EPropertyError("Invalid default for property " + FInfo.Name() + " of type " + Type.Name);
    FInfo.FDefault = std::get<int64_t>(AValue);
}

// ---- Lookup ------------------------------------------------------------------------------

const TPropList& GetPropList(TClass AClass)
{
    static const TPropList Empty;
    return AClass != nullptr ? TTypInfoAccess::TableOf(AClass).Properties : Empty;
}

const TPropList& GetPropList(TObject* AInstance)
{
    return GetPropList(AInstance != nullptr ? AInstance->ClassType() : nullptr);
}

const TPropInfo* GetPropInfo(TClass AClass, std::string_view AName)
{
    return FindProperty(GetPropList(AClass), AName);
}

const TPropInfo* GetPropInfo(TObject* AInstance, std::string_view AName)
{
    return FindProperty(GetPropList(AInstance), AName);
}

const TPropInfo& TPropertyRef::Resolve(TObject* AInstance) const
{
    String Name = FInfo != nullptr ? FInfo->Name() : String(FName);
    if (AInstance == nullptr)
        throw EPropertyError("Property " + Name + " accessed on nil");
    if (FInfo == nullptr) {
        const TPropInfo* Found = GetPropInfo(AInstance, FName);
        if (Found == nullptr)
            throw EPropertyError("Property " + Name + " does not exist in " + AInstance->ClassName());
        return *Found;
    }
    if (!AInstance->InheritsFrom(FInfo->DeclaringClass()))
        throw EPropertyError("Property " + Name + " of " + FInfo->DeclaringClass()->ClassName()
                             + " accessed on a " + AInstance->ClassName());
    return *FInfo;
}

// ---- Access ------------------------------------------------------------------------------

int64_t GetOrdProp(TObject* AInstance, TPropertyRef AProp)
{
    const TPropInfo& Info = Checked(AInstance, AProp, kOrdinalKinds, "an ordinal");
    return std::get<int64_t>(TTypInfoAccess::Get(Info, AInstance));
}

void SetOrdProp(TObject* AInstance, TPropertyRef AProp, int64_t AValue)
{
    const TPropInfo& Info = Checked(AInstance, AProp, kOrdinalKinds, "an ordinal");
    if (!FitsOrdinal(*Info.PropType(), AValue))
        throw EPropertyError("Invalid property value: " + Info.Name() + " (" + Info.PropType()->Name
                             + ") cannot hold " + IntToStr(AValue));
    TTypInfoAccess::Set(Info, AInstance, AValue);
}

String GetEnumProp(TObject* AInstance, TPropertyRef AProp)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkEnumeration);
    return GetEnumName(Info.PropType(), std::get<int64_t>(TTypInfoAccess::Get(Info, AInstance)));
}

void SetEnumProp(TObject* AInstance, TPropertyRef AProp, std::string_view AValue)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkEnumeration);
    int Value = GetEnumValue(Info.PropType(), AValue);
    if (Value < 0)
        throw EPropertyConvertError("Invalid property element: " + String(AValue));
    TTypInfoAccess::Set(Info, AInstance, int64_t(Value));
}

String GetSetProp(TObject* AInstance, TPropertyRef AProp, bool ABrackets)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkSet);
    auto Bits = static_cast<uint64_t>(std::get<int64_t>(TTypInfoAccess::Get(Info, AInstance)));
    return SetToString(Info.PropType(), Bits, ABrackets);
}

void SetSetProp(TObject* AInstance, TPropertyRef AProp, std::string_view AValue)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkSet);
    TTypInfoAccess::Set(Info, AInstance, static_cast<int64_t>(StringToSet(Info.PropType(), AValue)));
}

String GetStrProp(TObject* AInstance, TPropertyRef AProp)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkUString);
    return std::get<String>(TTypInfoAccess::Get(Info, AInstance));
}

void SetStrProp(TObject* AInstance, TPropertyRef AProp, const String& AValue)
{
    TTypInfoAccess::Set(Checked(AInstance, AProp, tkUString), AInstance, AValue);
}

double GetFloatProp(TObject* AInstance, TPropertyRef AProp)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkFloat);
    return std::get<double>(TTypInfoAccess::Get(Info, AInstance));
}

void SetFloatProp(TObject* AInstance, TPropertyRef AProp, double AValue)
{
    TTypInfoAccess::Set(Checked(AInstance, AProp, tkFloat), AInstance, AValue);
}

int64_t GetInt64Prop(TObject* AInstance, TPropertyRef AProp)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkInt64);
    return std::get<int64_t>(TTypInfoAccess::Get(Info, AInstance));
}

void SetInt64Prop(TObject* AInstance, TPropertyRef AProp, int64_t AValue)
{
    TTypInfoAccess::Set(Checked(AInstance, AProp, tkInt64), AInstance, AValue);
}

TObject* GetObjectProp(TObject* AInstance, TPropertyRef AProp)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkClass);
    return std::get<TObject*>(TTypInfoAccess::Get(Info, AInstance));
}

void SetObjectProp(TObject* AInstance, TPropertyRef AProp, TObject* AValue)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkClass);
    TClass Needed = Info.PropType()->ClassType;
    if (AValue != nullptr && !AValue->InheritsFrom(Needed))
        throw EPropertyError("Invalid property value: " + Info.Name() + " takes a " + Needed->ClassName()
                             + ", not a " + AValue->ClassName());
    TTypInfoAccess::Set(Info, AInstance, AValue);
}

TMethodValue GetMethodProp(TObject* AInstance, TPropertyRef AProp)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkMethod);
    return std::get<TMethodValue>(TTypInfoAccess::Get(Info, AInstance));
}

void SetMethodProp(TObject* AInstance, TPropertyRef AProp, const TMethodValue& AValue)
{
    const TPropInfo& Info = Checked(AInstance, AProp, tkMethod);
    if (AValue && AValue.Signature != Info.PropType())
        XRtlDetail::RaiseSignatureMismatch(Info.PropType(), AValue.Signature);
    TMethodValue Value = AValue ? AValue : TMethodValue{};
    Value.Signature = Info.PropType();
    TTypInfoAccess::Set(Info, AInstance, Value);
}

String GetPropText(TObject* AInstance, TPropertyRef AProp)
{
    const TPropInfo& Info = AProp.Resolve(AInstance);
    switch (Info.Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkInt64:
        return IntToStr(std::get<int64_t>(TTypInfoAccess::Get(Info, AInstance)));
    case tkEnumeration:
        return GetEnumProp(AInstance, &Info);
    case tkSet:
        return GetSetProp(AInstance, &Info);
    case tkFloat:
        return FloatToStr(GetFloatProp(AInstance, &Info));
    case tkUString:
        return GetStrProp(AInstance, &Info);
    default:
        RaiseWrongKind(Info, "a value with a text form");
    }
}

void SetPropText(TObject* AInstance, TPropertyRef AProp, std::string_view AText)
{
    const TPropInfo& Info = AProp.Resolve(AInstance);
    switch (Info.Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
        return SetOrdProp(AInstance, &Info, StrToInt64(AText));
    case tkInt64:
        return SetInt64Prop(AInstance, &Info, StrToInt64(AText));
    case tkEnumeration:
        return SetEnumProp(AInstance, &Info, AText);
    case tkSet:
        return SetSetProp(AInstance, &Info, AText);
    case tkFloat:
        return SetFloatProp(AInstance, &Info, StrToFloat(AText));
    case tkUString:
        return SetStrProp(AInstance, &Info, String(AText));
    default:
        RaiseWrongKind(Info, "a value with a text form");
    }
}

bool IsStoredProp(TObject* AInstance, TPropertyRef AProp)
{
    return TTypInfoAccess::IsStored(AProp.Resolve(AInstance), AInstance);
}

bool IsDefaultPropertyValue(TObject* AInstance, TPropertyRef AProp)
{
    const TPropInfo& Info = AProp.Resolve(AInstance);
    TPropValue Value = TTypInfoAccess::Get(Info, AInstance);
    switch (Info.Kind()) {
    case tkInt64:
        return std::get<int64_t>(Value) == 0;
    case tkFloat:
        return std::get<double>(Value) == 0;
    case tkUString:
        return std::get<String>(Value).empty();
    case tkClass:
        return std::get<TObject*>(Value) == nullptr;
    case tkMethod:
        return !std::get<TMethodValue>(Value);
    default:
        return Info.Default().has_value() && std::get<int64_t>(Value) == *Info.Default();
    }
}

// ---- Enumerations and sets ---------------------------------------------------------------

String GetEnumName(const TTypeInfo* AType, int64_t AValue)
{
    if (AValue < 0 || AValue >= static_cast<int64_t>(AType->EnumNames.size()))
        return {};
    return AType->EnumNames[static_cast<size_t>(AValue)];
}

int GetEnumValue(const TTypeInfo* AType, std::string_view AName)
{
    for (size_t I = 0; I < AType->EnumNames.size(); ++I)
        if (SameText(AType->EnumNames[I], AName))
            return static_cast<int>(I);
    return -1;
}

String SetToString(const TTypeInfo* ASetType, uint64_t ABits, bool ABrackets)
{
    String Result;
    const std::vector<String>& Names = ASetType->CompType->EnumNames;
    for (size_t I = 0; I < Names.size(); ++I)
        if ((ABits >> I) & 1)
            Result += (Result.empty() ? "" : ",") + Names[I];
    return ABrackets ? "[" + Result + "]" : Result;
}

uint64_t StringToSet(const TTypeInfo* ASetType, std::string_view AText)
{
    auto IsSeparator = [](char C) { return C == ',' || C == ']' || IsBlankChar(C); };
    uint64_t Bits = 0;
    size_t At = 0;
    while (At < AText.size() && (AText[At] == '[' || IsBlankChar(AText[At])))
        ++At;
    for (;;) {
        while (At < AText.size() && IsSeparator(AText[At]))
            ++At;
        if (At == AText.size())
            return Bits;
        size_t End = At;
        while (End < AText.size() && !IsSeparator(AText[End]))
            ++End;
        std::string_view Name = AText.substr(At, End - At);
        int Value = GetEnumValue(ASetType->CompType, Name);
        if (Value < 0)
            throw EPropertyConvertError("Invalid property element: " + String(Name));
        Bits |= uint64_t(1) << Value;
        At = End;
    }
}

// ---- Published methods -------------------------------------------------------------------

TMethodValue MethodAddress(TObject* AInstance, std::string_view AName)
{
    if (AInstance == nullptr)
        return {};
    for (const XRtlDetail::TPublishedMethod& Method : TTypInfoAccess::TableOf(AInstance->ClassType()).Methods)
        if (SameText(Method.Name, AName))
            return Method.Bind(AInstance);
    return {};
}

String MethodName(TClass AClass, TMethodValue::TCode ACode)
{
    if (AClass == nullptr || ACode == nullptr)
        return {};
    for (const XRtlDetail::TPublishedMethod& Method : TTypInfoAccess::TableOf(AClass).Methods)
        if (Method.Code == ACode)
            return Method.Name;
    return {};
}

// ---- Type information --------------------------------------------------------------------

namespace XRtlDetail {

TTypeInfo MakeIntegerType(size_t ASize, bool ASigned)
{
    TTypeInfo Info;
    if (ASize == 8) {
        Info.Kind = tkInt64;
        Info.Name = "Int64";
        Info.MinValue = std::numeric_limits<int64_t>::min();
        Info.MaxValue = std::numeric_limits<int64_t>::max();
        return Info;
    }
    struct TOrdinal {
        TOrdType Type;
        const char* Name;
    };
    static constexpr TOrdinal kUnsigned[] = {{otUByte, "Byte"}, {otUWord, "Word"}, {otULong, "Cardinal"}};
    static constexpr TOrdinal kSigned[] = {{otSByte, "ShortInt"}, {otSWord, "SmallInt"}, {otSLong, "Integer"}};
    const TOrdinal& Ordinal = (ASigned ? kSigned : kUnsigned)[ASize == 1 ? 0 : (ASize == 2 ? 1 : 2)];
    int Bits = static_cast<int>(ASize) * 8;
    Info.Name = Ordinal.Name;
    Info.OrdType = Ordinal.Type;
    Info.MinValue = ASigned ? -(int64_t(1) << (Bits - 1)) : 0;
    Info.MaxValue = ASigned ? (int64_t(1) << (Bits - 1)) - 1 : (int64_t(1) << Bits) - 1;
    return Info;
}

TTypeInfo MakeCharType(TTypeKind AKind)
{
    TTypeInfo Info;
    Info.Kind = AKind;
    Info.Name = AKind == tkChar ? "AnsiChar" : "Char";
    Info.OrdType = AKind == tkChar ? otUByte : otUWord;
    Info.MaxValue = AKind == tkChar ? 0xFF : 0xFFFF;
    return Info;
}

TTypeInfo MakeBooleanType()
{
    TTypeInfo Info;
    Info.Kind = tkEnumeration;
    Info.Name = "Boolean";
    Info.OrdType = otUByte;
    Info.MaxValue = 1;
    Info.EnumNames = {"False", "True"};
    return Info;
}

TTypeInfo MakeEnumType(const TEnumDeclaration& ADeclaration)
{
    TTypeInfo Info;
    Info.Kind = tkEnumeration;
    Info.Name = ADeclaration.Name;
    Info.OrdType = otUByte;
    std::string_view Values = ADeclaration.Values;
    while (!Values.empty()) {
        size_t Comma = std::min(Values.find(','), Values.size());
        String Name = Trim(Values.substr(0, Comma));
        if (!IsValidIdent(Name))
            throw EPropertyError("Enumeration " + Info.Name + ": '" + Name + "' is not a plain name");
        Info.EnumNames.push_back(Name);
        Values.remove_prefix(std::min(Comma + 1, Values.size()));
    }
    Info.MaxValue = static_cast<int64_t>(Info.EnumNames.size()) - 1;
    return Info;
}

TTypeInfo MakeSetType(const TTypeInfo* AElement, String AName)
{
    if (AElement->MaxValue >= 64)
        throw EPropertyError(AName + ": a set holds at most 64 elements");
    TTypeInfo Info;
    Info.Kind = tkSet;
    Info.Name = std::move(AName);
    Info.CompType = AElement;
    return Info;
}

TTypeInfo MakeFloatType(TFloatType AFloatType, String AName)
{
    TTypeInfo Info;
    Info.Kind = tkFloat;
    Info.Name = std::move(AName);
    Info.FloatType = AFloatType;
    return Info;
}

TTypeInfo MakeStringType()
{
    TTypeInfo Info;
    Info.Kind = tkUString;
    Info.Name = "string";
    return Info;
}

TTypeInfo MakeClassType(TClass AClass)
{
    TTypeInfo Info;
    Info.Kind = tkClass;
    Info.Name = AClass->ClassName();
    Info.ClassType = AClass;
    return Info;
}

TTypeInfo MakeMethodType(String AName)
{
    TTypeInfo Info;
    Info.Kind = tkMethod;
    Info.Name = std::move(AName);
    return Info;
}

}  // namespace XRtlDetail

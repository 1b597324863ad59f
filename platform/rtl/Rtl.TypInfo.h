// Rtl.TypInfo.h: published properties and methods, the type information that streaming,
// settings and property paths read and write. A class lists them in a static
//
//     static void DeclareProperties(TPropertyDeclarer& P)
//     {
//         P.Property("Caption", &TXFoo::Caption, &TXFoo::SetCaption);
//         P.Property("Width", &TXFoo::Width, &TXFoo::SetWidth).Default(100);
//         P.Property("Visible", &TXFoo::Visible, &TXFoo::SetVisible).Default(true).Stored(&TXFoo::IsVisibleStored);
//         P.Property("Count", &TXFoo::FCount);        // read-only, straight from a field
//         P.Property("Enabled").Default(false);       // redeclares an inherited property
//         P.Method<&TXFoo::ButtonClick>("ButtonClick");
//     }
//
// Kinds, type names and enumeration names follow from the C++ types: nothing is said twice.
// Define DeclareProperties where the property types are complete (a class-typed property needs
// its class). A class's list is built on first use, from any thread, and never changes after.
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "Rtl.Methods.h"
#include "Rtl.Objects.h"
#include "Rtl.Sets.h"
#include "Rtl.SysUtils.h"

X_EXCEPTION(EPropertyConvertError, Exception);

// ---- Type information --------------------------------------------------------------------

enum TTypeKind : uint8_t {
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkInt64,
    tkUString   // String
};
enum TOrdType : uint8_t { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType : uint8_t { ftSingle, ftDouble, ftExtended, ftCurr };

// What a published type is. Which fields mean something depends on the kind.
struct TTypeInfo {
    TTypeKind Kind = tkInteger;
    String Name;
    TOrdType OrdType = otSLong;           // integer, char, wide char, enumeration
    int64_t MinValue = 0;                 // integer, char, wide char, enumeration, int64
    int64_t MaxValue = 0;
    std::vector<String> EnumNames;        // enumeration: the names of 0 .. MaxValue
    const TTypeInfo* CompType = nullptr;  // set: the element enumeration
    TFloatType FloatType = ftDouble;      // float
    TClass ClassType = nullptr;           // class
};

// The type information of T (Delphi's TypeInfo(T)): one per type, made on first use.
template <class T>
const TTypeInfo* TypeInfo();

// A method pointer of any signature (Delphi's TMethod): what method properties and published
// methods hand around. Signature is the type information of the event type.
struct TMethodValue {
    using TCode = void (*)();

    TCode Code = nullptr;
    void* Data = nullptr;
    const TTypeInfo* Signature = nullptr;

    template <class TSignature>
    static TMethodValue Of(const TMethod<TSignature>& AMethod);
    // The typed method; raises EPropertyError when the value has another signature.
    template <class TEvent>
    TEvent As() const;

    explicit operator bool() const { return Code != nullptr; }
    friend bool operator==(const TMethodValue&, const TMethodValue&) = default;
};

// Declares an enumeration with the names that streaming writes: values from 0, contiguous,
// one byte. At namespace scope; the names are found from the type (TypeInfo<TXUnits>()).
//     X_ENUM(TXUnits, muPixels, muHiMetric, muMilimeters);
#define X_ENUM(Name, ...)                          \
    enum Name : uint8_t { __VA_ARGS__ };           \
    constexpr ::XRtlDetail::TEnumDeclaration XEnumDeclaration(Name) { return {#Name, #__VA_ARGS__}; }

namespace XRtlDetail {

struct TEnumDeclaration;

// Ordinals (sets as their bits), floats, strings, objects, methods.
using TPropValue = std::variant<int64_t, double, String, TObject*, TMethodValue>;
using TPropGetter = std::function<TPropValue(TObject*)>;
using TPropSetter = std::function<void(TObject*, const TPropValue&)>;
using TStoredTest = std::function<bool(TObject*)>;

template <class P>
struct TMemberOf;
template <class TFunction>
struct TSignatureOf;
template <class TFunction>
struct TSetterArgument;

template <class TGetter>
using TGetterValue = std::remove_cvref_t<std::invoke_result_t<TGetter, typename TMemberOf<TGetter>::Class*>>;

template <class TSetter>
using TSetterValue = typename std::conditional_t<std::is_member_object_pointer_v<TSetter>,
                                                 std::type_identity<typename TMemberOf<TSetter>::Member>,
                                                 TSetterArgument<typename TMemberOf<TSetter>::Member>>::type;

template <class T>
TPropValue ToPropValue(const T& AValue);
template <class T, class TGetter>
TPropGetter MakeGetter(TGetter AGetter);
template <class T, class TSetter>
TPropSetter MakeSetter(TSetter ASetter);

struct TPublishedTable;
struct TTypInfoAccess;
// Raises EPropertyError unless ADeclaring is AMemberClass or inherits from it.
void CheckMemberClass(TClass ADeclaring, TClass AMemberClass);
[[noreturn]] void RaiseSignatureMismatch(const TTypeInfo* AExpected, const TTypeInfo* AGiven);

}  // namespace XRtlDetail

// ---- Published properties ----------------------------------------------------------------

class TPropInfo {
public:
    const String& Name() const { return FName; }
    const TTypeInfo* PropType() const { return FPropType; }
    TTypeKind Kind() const { return FPropType->Kind; }
    // The declared default of an ordinal or set property; none is Delphi's "nodefault".
    const std::optional<int64_t>& Default() const { return FDefault; }
    bool IsWritable() const { return static_cast<bool>(FSetter); }
    // The class whose declaration (or redeclaration) this is; instances must inherit from it.
    TClass DeclaringClass() const { return FDeclaringClass; }

private:
    friend class TPropertyDeclarer;
    friend class TPropertyOptions;
    friend struct XRtlDetail::TTypInfoAccess;

    String FName;
    const TTypeInfo* FPropType = nullptr;
    TClass FDeclaringClass = nullptr;
    std::optional<int64_t> FDefault;
    bool FStored = true;
    XRtlDetail::TStoredTest FStoredTest;   // when set, it decides instead of FStored
    XRtlDetail::TPropGetter FGetter;
    XRtlDetail::TPropSetter FSetter;       // empty for a read-only property
};

// In the platform's order: inherited properties first, from the root class down, then each
// class's in declaration order; a redeclared property keeps its inherited place.
using TPropList = std::vector<const TPropInfo*>;

// The attributes of the property just declared.
class TPropertyOptions {
public:
    // Ordinal and set properties only: an integer for integer and char properties, a value of
    // the property's own type otherwise. Raises EPropertyError for anything else.
    template <class V>
    TPropertyOptions& Default(V AValue)
    {
        SetDefault(TypeInfo<V>(), XRtlDetail::ToPropValue(AValue));
        return *this;
    }
    TPropertyOptions& Stored(bool AValue);
    // A test of the class, as bool IsVisibleStored() const.
    template <class TIsStored>
        requires std::is_member_function_pointer_v<TIsStored>
    TPropertyOptions& Stored(TIsStored AIsStored)
    {
        using C = typename XRtlDetail::TMemberOf<TIsStored>::Class;
        XRtlDetail::CheckMemberClass(FInfo.FDeclaringClass, C::StaticClass());
        FInfo.FStoredTest = [AIsStored](TObject* AInstance) -> bool {
            return std::invoke(AIsStored, static_cast<C*>(AInstance));
        };
        return *this;
    }

private:
    friend class TPropertyDeclarer;
    explicit TPropertyOptions(TPropInfo& AInfo) : FInfo(AInfo) {}
    void SetDefault(const TTypeInfo* AValueType, const XRtlDetail::TPropValue& AValue);

    TPropInfo& FInfo;
};

// What DeclareProperties is given: it adds the class's own properties and methods to the
// inherited ones. A faulty declaration raises EPropertyError when the list is first built.
class TPropertyDeclarer {
public:
    // A property read by AGetter and written by ASetter: each a method (by value or by const
    // reference) or a field, of the class or an ancestor.
    template <class TGetter, class TSetter>
    TPropertyOptions Property(const String& AName, TGetter AGetter, TSetter ASetter)
    {
        using T = XRtlDetail::TGetterValue<TGetter>;
        static_assert(std::is_same_v<T, XRtlDetail::TSetterValue<TSetter>>, "getter and setter disagree on the type");
        XRtlDetail::CheckMemberClass(FClass, XRtlDetail::TMemberOf<TGetter>::Class::StaticClass());
        XRtlDetail::CheckMemberClass(FClass, XRtlDetail::TMemberOf<TSetter>::Class::StaticClass());
        return Add(AName, TypeInfo<T>(), XRtlDetail::MakeGetter<T>(AGetter), XRtlDetail::MakeSetter<T>(ASetter));
    }
    // A read-only property.
    template <class TGetter>
    TPropertyOptions Property(const String& AName, TGetter AGetter)
    {
        using T = XRtlDetail::TGetterValue<TGetter>;
        XRtlDetail::CheckMemberClass(FClass, XRtlDetail::TMemberOf<TGetter>::Class::StaticClass());
        return Add(AName, TypeInfo<T>(), XRtlDetail::MakeGetter<T>(AGetter), nullptr);
    }
    // Redeclares an inherited property: same place, type and access, attributes to change.
    TPropertyOptions Property(const String& AName);

    // A published method, which the component reader finds by name to bind event handlers.
    template <auto AMethod>
    void Method(const String& AName)
    {
        using TMember = XRtlDetail::TMemberOf<decltype(AMethod)>;
        using C = typename TMember::Class;
        using TEvent = TMethod<typename XRtlDetail::TSignatureOf<typename TMember::Member>::Type>;
        XRtlDetail::CheckMemberClass(FClass, C::StaticClass());
        AddMethod(AName, [](TObject* AInstance) {
            return TMethodValue::Of(TEvent::template Bind<AMethod>(static_cast<C*>(AInstance)));
        });
    }

private:
    friend struct XRtlDetail::TTypInfoAccess;
    TPropertyDeclarer(TClass AClass, XRtlDetail::TPublishedTable& ATable) : FClass(AClass), FTable(ATable) {}

    TPropertyOptions Add(const String& AName, const TTypeInfo* AType, XRtlDetail::TPropGetter AGetter,
                         XRtlDetail::TPropSetter ASetter);
    // Appends the property, or puts it in the place of the inherited one of its name.
    TPropertyOptions Place(std::unique_ptr<TPropInfo> AInfo);
    void AddMethod(const String& AName, TMethodValue (*ABind)(TObject*));

    TClass FClass;
    XRtlDetail::TPublishedTable& FTable;
};

// ---- Lookup ------------------------------------------------------------------------------

const TPropList& GetPropList(TClass AClass);
const TPropList& GetPropList(TObject* AInstance);
// The published property of that name, letter case ignored; nullptr when there is none.
const TPropInfo* GetPropInfo(TClass AClass, std::string_view AName);
const TPropInfo* GetPropInfo(TObject* AInstance, std::string_view AName);

// A property given by its information or by its name (letter case ignored). Access through
// an unknown name, a nil instance or an instance of an unrelated class raises EPropertyError.
class TPropertyRef {
public:
    TPropertyRef(const TPropInfo* AInfo) : FInfo(AInfo) {}
    TPropertyRef(std::string_view AName) : FName(AName) {}
    TPropertyRef(const char* AName) : FName(AName) {}
    TPropertyRef(const String& AName) : FName(AName) {}

    const TPropInfo& Resolve(TObject* AInstance) const;

private:
    const TPropInfo* FInfo = nullptr;
    std::string_view FName;
};

// ---- Access ------------------------------------------------------------------------------
// Each raises EPropertyError "Invalid property type: ..." for a property of another kind and
// "Property X is read-only" when writing one without a setter.

// Integer, char, wide char, enumeration and set properties (a set as its bits). A value the
// type cannot hold raises EPropertyError; 32-bit and smaller integers take it signed or
// unsigned (-1 and 4294967295 are the same Cardinal), as files written either way hold them.
int64_t GetOrdProp(TObject* AInstance, TPropertyRef AProp);
void SetOrdProp(TObject* AInstance, TPropertyRef AProp, int64_t AValue);
// Enumeration properties by name; an unknown name raises EPropertyConvertError.
String GetEnumProp(TObject* AInstance, TPropertyRef AProp);
void SetEnumProp(TObject* AInstance, TPropertyRef AProp, std::string_view AValue);
// Set properties as set text.
String GetSetProp(TObject* AInstance, TPropertyRef AProp, bool ABrackets = true);
void SetSetProp(TObject* AInstance, TPropertyRef AProp, std::string_view AValue);
String GetStrProp(TObject* AInstance, TPropertyRef AProp);
void SetStrProp(TObject* AInstance, TPropertyRef AProp, const String& AValue);
double GetFloatProp(TObject* AInstance, TPropertyRef AProp);
void SetFloatProp(TObject* AInstance, TPropertyRef AProp, double AValue);
int64_t GetInt64Prop(TObject* AInstance, TPropertyRef AProp);
void SetInt64Prop(TObject* AInstance, TPropertyRef AProp, int64_t AValue);
TObject* GetObjectProp(TObject* AInstance, TPropertyRef AProp);
// The value must be nil or of the property's class.
void SetObjectProp(TObject* AInstance, TPropertyRef AProp, TObject* AValue);
TMethodValue GetMethodProp(TObject* AInstance, TPropertyRef AProp);
// The value must be unassigned (clearing the property) or of the property's signature.
void SetMethodProp(TObject* AInstance, TPropertyRef AProp, const TMethodValue& AValue);

// The property's value as text: integers in decimal, chars as their code, enumeration names,
// set text with brackets, floating point as FloatToStr, strings as they are. Class and method
// properties have no text form.
String GetPropText(TObject* AInstance, TPropertyRef AProp);
// The reverse: numbers parsed (EConvertError when they are none), enumerations and sets by name.
void SetPropText(TObject* AInstance, TPropertyRef AProp, std::string_view AText);

// The stored specifier: a constant or the class's test, True when none was declared.
bool IsStoredProp(TObject* AInstance, TPropertyRef AProp);
// What a writer may leave out: an ordinal or set equal to its declared default (never without
// one), int64 and float 0, an empty string, a nil object, an unassigned method.
bool IsDefaultPropertyValue(TObject* AInstance, TPropertyRef AProp);

// ---- Enumerations and sets ---------------------------------------------------------------

// The name of AValue; empty when AType has no such value.
String GetEnumName(const TTypeInfo* AType, int64_t AValue);
// The value of the name (letter case ignored); -1 when there is none.
int GetEnumValue(const TTypeInfo* AType, std::string_view AName);

// "[a,b]": the names of the members in ordinal order, joined by "," without blanks.
String SetToString(const TTypeInfo* ASetType, uint64_t ABits, bool ABrackets = true);
// Names separated by "," or blanks, brackets optional. An unknown name raises
// EPropertyConvertError "Invalid property element: X".
uint64_t StringToSet(const TTypeInfo* ASetType, std::string_view AText);

template <class E>
String SetToString(TSet<E> ASet, bool ABrackets = true)
{
    return SetToString(TypeInfo<TSet<E>>(), ASet.Bits(), ABrackets);
}
template <class E>
TSet<E> StringToSet(std::string_view AText)
{
    return TSet<E>::FromBits(StringToSet(TypeInfo<TSet<E>>(), AText));
}

// ---- Published methods -------------------------------------------------------------------

// The published method of that name (letter case ignored) of AInstance's class or an ancestor,
// bound to AInstance; unassigned when there is none.
TMethodValue MethodAddress(TObject* AInstance, std::string_view AName);
// The name of the published method of AClass or an ancestor whose code ACode is; empty when none.
String MethodName(TClass AClass, TMethodValue::TCode ACode);

// ---- Implementation ----------------------------------------------------------------------
// How C++ types map to kinds, and how values travel between the typed accessors and the
// kind-shaped values above.

namespace XRtlDetail {

struct TEnumDeclaration {
    std::string_view Name;
    std::string_view Values;   // "muPixels, muHiMetric, ..."
};

template <class E>
concept DeclaredEnum = std::is_enum_v<E> && requires(E AValue) {
    { XEnumDeclaration(AValue) } -> std::same_as<TEnumDeclaration>;
};

template <class T>
struct TSetOf : std::false_type {};
template <class E>
struct TSetOf<TSet<E>> : std::true_type {
    using Element = E;
};

template <class T>
struct TMethodOf : std::false_type {};
template <class TSignature>
struct TMethodOf<TMethod<TSignature>> : std::true_type {};

template <class T>
concept ObjectPointer = std::is_pointer_v<T> && std::is_base_of_v<TObject, std::remove_pointer_t<T>>;

TTypeInfo MakeIntegerType(size_t ASize, bool ASigned);
TTypeInfo MakeCharType(TTypeKind AKind);
TTypeInfo MakeBooleanType();
TTypeInfo MakeEnumType(const TEnumDeclaration& ADeclaration);
TTypeInfo MakeSetType(const TTypeInfo* AElement, String AName);
TTypeInfo MakeFloatType(TFloatType AFloatType, String AName);
TTypeInfo MakeStringType();
TTypeInfo MakeClassType(TClass AClass);
TTypeInfo MakeMethodType(String AName);

template <class>
inline constexpr bool Unpublishable = false;

template <class T>
TTypeInfo MakeTypeInfo()
{
    if constexpr (std::is_same_v<T, bool>)
        return MakeBooleanType();
    else if constexpr (std::is_same_v<T, char>)
        return MakeCharType(tkChar);
    else if constexpr (std::is_same_v<T, char16_t>)
        return MakeCharType(tkWChar);
    else if constexpr (std::is_integral_v<T> && !std::is_same_v<T, wchar_t> && !std::is_same_v<T, char32_t>
                       && !std::is_same_v<T, char8_t> && (sizeof(T) < 8 || std::is_signed_v<T>))
        return MakeIntegerType(sizeof(T), std::is_signed_v<T>);
    else if constexpr (DeclaredEnum<T>)
        return MakeEnumType(XEnumDeclaration(T{}));
    else if constexpr (TSetOf<T>::value)
        return MakeSetType(TypeInfo<typename TSetOf<T>::Element>(), XDemangledClassName(typeid(T)));
    else if constexpr (std::is_same_v<T, float>)
        return MakeFloatType(ftSingle, "Single");
    else if constexpr (std::is_same_v<T, double>)
        return MakeFloatType(ftDouble, "Double");
    else if constexpr (std::is_same_v<T, long double>)
        return MakeFloatType(ftExtended, "Extended");
    else if constexpr (std::is_same_v<T, TDateTime>)
        return MakeFloatType(ftDouble, "TDateTime");
    else if constexpr (std::is_same_v<T, Currency>)
        return MakeFloatType(ftCurr, "Currency");
    else if constexpr (std::is_same_v<T, String>)
        return MakeStringType();
    else if constexpr (ObjectPointer<T>)
        return MakeClassType(std::remove_pointer_t<T>::StaticClass());
    else if constexpr (TMethodOf<T>::value)
        return MakeMethodType(XDemangledClassName(typeid(T)));
    else
        static_assert(Unpublishable<T>, "this type cannot be published (an enumeration needs X_ENUM)");
}

}  // namespace XRtlDetail

template <class T>
const TTypeInfo* TypeInfo()
{
    static const TTypeInfo Info = XRtlDetail::MakeTypeInfo<T>();
    return &Info;
}

template <class TSignature>
TMethodValue TMethodValue::Of(const TMethod<TSignature>& AMethod)
{
    return {reinterpret_cast<TCode>(AMethod.Code()), AMethod.Data(), TypeInfo<TMethod<TSignature>>()};
}

template <class TEvent>
TEvent TMethodValue::As() const
{
    if (Code == nullptr)
        return TEvent();
    if (Signature != TypeInfo<TEvent>())
        XRtlDetail::RaiseSignatureMismatch(TypeInfo<TEvent>(), Signature);
    return TEvent(reinterpret_cast<typename TEvent::TCode>(Code), Data);
}

namespace XRtlDetail {

template <class T>
TPropValue ToPropValue(const T& AValue)
{
    if constexpr (TSetOf<T>::value)
        return static_cast<int64_t>(AValue.Bits());
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return static_cast<int64_t>(AValue);
    else if constexpr (std::is_floating_point_v<T> || std::is_same_v<T, TDateTime> || std::is_same_v<T, Currency>)
        return static_cast<double>(AValue);
    else if constexpr (std::is_same_v<T, String>)
        return AValue;
    else if constexpr (ObjectPointer<T>)
        return static_cast<TObject*>(AValue);
    else
        return TMethodValue::Of(AValue);
}

// The checks (range, class, signature) have run before: this only converts.
template <class T>
T FromPropValue(const TPropValue& AValue)
{
    if constexpr (TSetOf<T>::value)
        return T::FromBits(static_cast<uint64_t>(std::get<int64_t>(AValue)));
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return static_cast<T>(std::get<int64_t>(AValue));
    else if constexpr (std::is_floating_point_v<T> || std::is_same_v<T, TDateTime> || std::is_same_v<T, Currency>)
        return T(std::get<double>(AValue));
    else if constexpr (std::is_same_v<T, String>)
        return std::get<String>(AValue);
    else if constexpr (ObjectPointer<T>)
        return static_cast<T>(std::get<TObject*>(AValue));
    else
        return std::get<TMethodValue>(AValue).template As<T>();
}

// A member pointer, to a field or a method: its class and what it points to.
template <class C, class M>
struct TMemberOf<M C::*> {
    using Class = C;
    using Member = M;
};

template <class R, class... A>
struct TSignatureOf<R(A...)> {
    using Type = R(A...);
};
template <class R, class... A>
struct TSignatureOf<R(A...) const> : TSignatureOf<R(A...)> {};
template <class R, class... A>
struct TSignatureOf<R(A...) noexcept> : TSignatureOf<R(A...)> {};
template <class R, class... A>
struct TSignatureOf<R(A...) const noexcept> : TSignatureOf<R(A...)> {};

template <class A>
struct TSetterArgument<void(A)> {
    using type = std::remove_cvref_t<A>;
};
template <class A>
struct TSetterArgument<void(A) noexcept> : TSetterArgument<void(A)> {};

template <class T, class TGetter>
TPropGetter MakeGetter(TGetter AGetter)
{
    using C = typename TMemberOf<TGetter>::Class;
    return [AGetter](TObject* AInstance) { return ToPropValue<T>(std::invoke(AGetter, static_cast<C*>(AInstance))); };
}

template <class T, class TSetter>
TPropSetter MakeSetter(TSetter ASetter)
{
    using C = typename TMemberOf<TSetter>::Class;
    return [ASetter](TObject* AInstance, const TPropValue& AValue) {
        if constexpr (std::is_member_object_pointer_v<TSetter>)
            std::invoke(ASetter, static_cast<C*>(AInstance)) = FromPropValue<T>(AValue);
        else
            std::invoke(ASetter, static_cast<C*>(AInstance), FromPropValue<T>(AValue));
    };
}

}  // namespace XRtlDetail

// Rtl.Objects.h: the root of every framework class: class references, creation through
// the factory, the per-object lock. Read the creation rules below before writing a class.
//
// A Delphi constructor reaches the overrides of the class being built; a C++ constructor
// cannot. So construction is split in two:
//   - the C++ constructor (protected, no arguments) only initialises fields;
//   - Construct(...) is the Delphi constructor body. A family base (TComponent, TCollectionItem,
//     TXPersistent, ...) declares its Construct virtual and runs its hooks (Init, Clear) there;
//     a class with constructor code after "inherited Create" overrides Construct and calls
//     inherited::Construct(...) first.
// T::Create(args) (made by X_CLASS) builds the object, calls Construct(args), then
// AfterConstruction. When either raises, the object is destroyed and the exception passes on.
// Creation from a class reference (XCreateFromClass) runs the most-derived Construct the same
// way. Objects are freed with Free() (BeforeDestruction, then the C++ destructor), never with a
// bare delete.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "Rtl.Types.h"

class TObject;
class TClassInfo;
class TPropertyDeclarer;
using TClass = const TClassInfo*;

// Class metadata: one instance per class (per instantiation for templates), made on first use.
class TClassInfo {
public:
    using TNewInstance = TObject* (*)();
    using TDeclareProperties = void (*)(TPropertyDeclarer&);

    TClassInfo(String AName, TClass AParent, TNewInstance ANewInstance, TDeclareProperties ADeclareProperties);
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const String& ClassName() const { return FName; }
    TClass ClassParent() const { return FParent; }
    // True for the class itself and every descendant; False for nullptr.
    bool InheritsFrom(TClass AClass) const;
    bool IsAbstract() const { return FNewInstance == nullptr; }
    // The C++ construction only: the caller runs the family's Construct. Raises EInvalidOperation
    // for an abstract class.
    TObject* NewInstance() const;
    // The class's own published-property declarations; nullptr when it declares none itself.
    TDeclareProperties OwnPropertyDeclarations() const { return FDeclareProperties; }

private:
    String FName;
    TClass FParent;
    TNewInstance FNewInstance;
    TDeclareProperties FDeclareProperties;
};

template <class T>
TObject* XNewInstance()
{
    if constexpr (std::is_abstract_v<T>)
        return nullptr;
    else
        return new T();
}

// The class name as Delphi gives it: the declared name, without namespaces. For class
// templates the name carries the arguments ("TXCollection<TXFooItem>").
String XDemangledClassName(const std::type_info& AType);

// A class publishes its own properties by declaring a static DeclareProperties; when it
// declares none, the name finds its parent's, which is not its own.
template <class TSelf, class TParent>
TClassInfo::TDeclareProperties XOwnPropertyDeclarations()
{
    TClassInfo::TDeclareProperties Own = &TSelf::DeclareProperties;
    return Own == &TParent::DeclareProperties ? nullptr : Own;
}

namespace XRtlDetail {
// Destroys an object whose construction raised: the destructor runs, BeforeDestruction does not.
void DestroyFailed(TObject* AObject) noexcept;
[[noreturn]] void RaiseNotDescendant(TClass AClass, TClass ABase);
[[noreturn]] void RaiseInvalidCast();
}  // namespace XRtlDetail

class TObject {
public:
    using inherited = void;

    static TClass StaticClass();
    virtual TClass ClassType() const { return StaticClass(); }
    String ClassName() const;
    bool InheritsFrom(TClass AClass) const;
    // Delphi's "is": the object's class is T or descends from it.
    template <class T>
    bool Is() const
    {
        return InheritsFrom(T::StaticClass());
    }

    virtual void AfterConstruction() {}
    virtual void BeforeDestruction() {}
    // BeforeDestruction, then the destructor. When BeforeDestruction raises, the object stays.
    void Free();

    // Interface lookup by identity, without reference counting: the classes that list interfaces
    // with X_INTERFACES answer them; every object answers XObjCastGUID with itself.
    virtual bool GetInterface(const TGUID& AIID, void** AObj);

    // The object's own re-entrant lock, allocated on first use so small objects pay nothing.
    void MonitorEnter() const;
    void MonitorExit() const;

    static void DeclareProperties(TPropertyDeclarer&) {}

protected:
    TObject() = default;
    virtual ~TObject();
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    // The Delphi constructor body of TObject: nothing. Not virtual, as TObject.Create is not;
    // each family base declares its own virtual Construct.
    void Construct() {}

private:
    template <class T, class... TArgs>
    friend T* XCreate(TArgs&&... AArgs);
    template <class TBase, class... TArgs>
    friend TBase* XCreateFromClass(TClass AClass, TArgs&&... AArgs);
    template <class T>
    friend TObject* XNewInstance();
    friend void XRtlDetail::DestroyFailed(TObject* AObject) noexcept;

    mutable std::atomic<std::recursive_mutex*> FMonitor{nullptr};
};

// Holds an object's monitor for a scope.
class TMonitorLock {
public:
    explicit TMonitorLock(const TObject* AObject) : FObject(AObject) { FObject->MonitorEnter(); }
    ~TMonitorLock() { FObject->MonitorExit(); }
    TMonitorLock(const TMonitorLock&) = delete;
    TMonitorLock& operator=(const TMonitorLock&) = delete;

private:
    const TObject* FObject;
};

template <class T, class... TArgs>
T* XCreate(TArgs&&... AArgs)
{
    static_assert(!std::is_abstract_v<T>, "an abstract class cannot be created");
    T* Obj = static_cast<T*>(XNewInstance<T>());
    try {
        Obj->Construct(std::forward<TArgs>(AArgs)...);
        Obj->AfterConstruction();
    } catch (...) {
        XRtlDetail::DestroyFailed(Obj);
        throw;
    }
    return Obj;
}

// Creates an object of AClass, which must descend from TBase, through TBase's virtual
// Construct(args): a Delphi virtual constructor called on a class reference.
template <class TBase, class... TArgs>
TBase* XCreateFromClass(TClass AClass, TArgs&&... AArgs)
{
    if (AClass == nullptr || !AClass->InheritsFrom(TBase::StaticClass()))
        XRtlDetail::RaiseNotDescendant(AClass, TBase::StaticClass());
    TBase* Obj = static_cast<TBase*>(AClass->NewInstance());
    try {
        Obj->Construct(std::forward<TArgs>(AArgs)...);
        Obj->AfterConstruction();
    } catch (...) {
        XRtlDetail::DestroyFailed(Obj);
        throw;
    }
    return Obj;
}

// Frees the object and clears the variable first, as Delphi's FreeAndNil.
template <class T>
void FreeAndNil(T*& AObject)
{
    T* Obj = AObject;
    AObject = nullptr;
    if (Obj != nullptr)
        Obj->Free();
}

// Owns an object for a scope: Delphi's try ... finally Free.
struct TFreeDeleter {
    void operator()(TObject* AObject) const { AObject->Free(); }
};
template <class T>
using TOwned = std::unique_ptr<T, TFreeDeleter>;
template <class T>
TOwned<T> Owned(T* AObject)
{
    return TOwned<T>(AObject);
}

// Delphi's "as" on an object: raises EInvalidCast when AObject is not a T (nullptr passes).
template <class T>
T* As(TObject* AObject)
{
    if (AObject == nullptr)
        return nullptr;
    if (!AObject->Is<T>())
        XRtlDetail::RaiseInvalidCast();
    return static_cast<T*>(AObject);
}

// Delphi's "is" followed by a cast: nullptr when AObject is not a T.
template <class T>
T* AsOrNull(TObject* AObject)
{
    return AObject != nullptr && AObject->Is<T>() ? static_cast<T*>(AObject) : nullptr;
}

// Declares a Construct that hides the inherited ones on purpose, as a Delphi constructor
// marked "reintroduce": the class's Create then takes only its own arguments, so no inherited
// constructor builds a half-made object of it. Any other hiding of a virtual function stays
// a warning.
//     X_REINTRODUCE(void Construct(TXProgress* AParent));
// GCC 12 does not warn of it, and a pragma inside a member declaration breaks its parser.
#if defined(__clang__)
#define X_REINTRODUCE(...)                                                                       \
    _Pragma("clang diagnostic push") _Pragma("clang diagnostic ignored \"-Woverloaded-virtual\"") \
        __VA_ARGS__ _Pragma("clang diagnostic pop")
#else
#define X_REINTRODUCE(...) __VA_ARGS__
#endif

// Declares a class's identity. Put it first in the class body:
//     class TXFoo : public TXPersistent {
//         X_CLASS(TXFoo, TXPersistent)
//     protected:
//         TXFoo() = default;
//         ...
// It defines inherited, StaticClass, ClassType and the factory Create(args...), which forwards
// to Construct(args...). Access is public after it.
#define X_CLASS(Self, ...)                                                                               \
public:                                                                                                  \
    using inherited = __VA_ARGS__;                                                                       \
    static TClass StaticClass()                                                                          \
    {                                                                                                    \
        static const TClassInfo Info(XDemangledClassName(typeid(Self)), inherited::StaticClass(),      \
                                     &XNewInstance<Self>, XOwnPropertyDeclarations<Self, inherited>()); \
        return &Info;                                                                                    \
    }                                                                                                    \
    TClass ClassType() const override { return StaticClass(); }                                          \
    template <class... XArgs>                                                                            \
    static Self* Create(XArgs&&... AArgs)                                                                \
    {                                                                                                    \
        return XCreate<Self>(std::forward<XArgs>(AArgs)...);                                             \
    }                                                                                                    \
                                                                                                         \
private:                                                                                                 \
    template <class XT, class... XArgs>                                                                  \
    friend XT* ::XCreate(XArgs&&... AArgs);                                                              \
    template <class XBase, class... XArgs>                                                               \
    friend XBase* ::XCreateFromClass(TClass AClass, XArgs&&... AArgs);                                   \
    friend TObject* ::XNewInstance<Self>();                                                              \
                                                                                                         \
public:

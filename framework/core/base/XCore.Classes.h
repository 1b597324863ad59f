// XCore.Classes.h: the framework's base classes: plain, managed (interface-counted),
// persistent and named objects, collection items and components.
// Set-up goes into the Init and Clear hooks, not constructors: objects made from a class
// reference run only their family's base construction, which calls those hooks.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>

#include "Rtl.Classes.h"
#include "Rtl.Sets.h"
#include "XCore.Interfaces.h"

// The life-cycle flags of managed, persistent and collection-item objects.
enum class TXObjectStateFlag : uint8_t {
    Creating,    // from the first construction step to AfterConstruction
    Destroying,  // from BeforeDestruction, or from a failed construction
    Assigning,   // while an Assign that also copies the name runs
    KeepName     // while a keep-name assignment runs: the receiver keeps its own name
};
using TXObjectState = TSet<TXObjectStateFlag>;

// How an object handed out through interfaces is counted.
enum TXRefCountMode : uint8_t {
    rcmNone = 0,         // not counted: the owner frees it; _AddRef and _Release answer -1
    rcmSingleThread = 1, // plain counting on one thread
    rcmInterlocked = 2   // interlocked counting, usable from any thread
};

namespace XCoreDetail {
// The reference count of the managed classes: mode-dependent, never taking the object's lock.
class TXRefCount {
public:
    TXRefCountMode Mode() const { return FMode; }
    void SetMode(TXRefCountMode AMode) { FMode = AMode; }
    int32_t Count() const { return FCount.load(std::memory_order_relaxed); }
    // The new count, or -1 in mode 0.
    int32_t AddRef();
    // The new count, or -1 in mode 0; the release that reaches 0 frees AObject.
    int32_t Release(TObject* AObject);
    // Gives back the reference held during construction.
    void ReleaseConstructionReference();
    // Raises EInvalidOperation "Interface Destruction Error" for a counted object still referenced.
    void CheckDestruction() const;

private:
    int32_t Decrement();

    TXRefCountMode FMode = rcmNone;
    // 1 from allocation, so interfaces taken while constructing cannot free the object.
    std::atomic<int32_t> FCount{1};
};
}  // namespace XCoreDetail

// ---- Plain objects -----------------------------------------------------------------------

class TXObject : public TObject {
    X_CLASS(TXObject, TObject)
public:
    // Copies what this class knows of ASource; True means handled.
    virtual bool AssignFrom(TXObject* ASource);
    // The object's own re-entrant lock.
    virtual void Lock();
    virtual void Unlock();

protected:
    TXObject() = default;
    virtual void Construct();
    virtual void Init() {}
};

class TXInitializableObject : public TXObject {
    X_CLASS(TXInitializableObject, TXObject)
public:
    void AfterConstruction() override;

protected:
    TXInitializableObject() = default;
    // Runs once the object is fully built; the application singletons set themselves up here.
    virtual void Initialize() {}
};

class TXManagedObject : public TXObject, public IXThreadable {
    X_CLASS(TXManagedObject, TXObject)
    X_INTERFACES(IXThreadable)
public:
    TXObjectState State() const { return FState; }
    TXRefCountMode RefCountMode() const { return FRefCount.Mode(); }
    int32_t RefCount() const { return FRefCount.Count(); }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override;
    int32_t _AddRef() override { return FRefCount.AddRef(); }
    int32_t _Release() override { return FRefCount.Release(this); }
    void Lock() override { TXObject::Lock(); }
    void Unlock() override { TXObject::Unlock(); }

    void AfterConstruction() override;
    void BeforeDestruction() override;

protected:
    TXManagedObject() = default;
    // Mode 0 (Delphi's Create).
    void Construct() override { Construct(rcmNone); }
    // Delphi's CreateRefCounted (Mode).
    virtual void Construct(TXRefCountMode AMode);

private:
    TXObjectState FState;
    XCoreDetail::TXRefCount FRefCount;
};

// A converter into a target of class T, counted (mode 1): it lives as long as a reference to
// it, normally the one Convert hands back.
template <class T>
class TXCustomObjectConverter : public TXManagedObject, public IXObjectConverter<T> {
    X_CLASS(TXCustomObjectConverter, TXManagedObject)
    X_INTERFACES(IXObjectConverter<T>)
public:
    TIntf<IXObjectConverter<T>> Convert(T* ATarget) override
    {
        TIntf<IXObjectConverter<T>> Self(this);
        DoConvert(ATarget);
        return Self;
    }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override
    {
        return TXManagedObject::QueryInterface(AIID, AObj);
    }
    int32_t _AddRef() override { return TXManagedObject::_AddRef(); }
    int32_t _Release() override { return TXManagedObject::_Release(); }

protected:
    TXCustomObjectConverter() = default;
    void Construct() override { inherited::Construct(rcmSingleThread); }
    using inherited::Construct;
    virtual void DoConvert(T* ATarget) = 0;
};

// ---- Persistent objects ------------------------------------------------------------------

class TXPersistent : public TPersistent {
    X_CLASS(TXPersistent, TPersistent)
public:
    TXObjectState State() const { return FState; }

    // AssignFrom first; only when that answers False does ASource's AssignTo run.
    void Assign(TPersistent* ASource) override;
    virtual bool AssignFrom(TPersistent* ASource);
    virtual bool AssignFromIntf(IInterface* ASource);
    // Empties the data (DoClear); overrides set their defaults after it.
    virtual void Clear() { DoClear(); }
    virtual bool IsEmpty() { return true; }
    // Brings values into range before saving and after loading.
    virtual void Validate() {}
    virtual void SerializeHook() {}
    virtual void Lock() { MonitorEnter(); }
    virtual void Unlock() { MonitorExit(); }

    void AfterConstruction() override;
    void BeforeDestruction() override;

protected:
    TXPersistent() = default;
    virtual void Construct();
    virtual void Init() {}
    virtual void DoClear() {}

    TXObjectState FState;
};

class TXManagedPersistent : public TXPersistent,
                            public IXThreadable,
                            public IXSerializable,
                            public IXAssignable {
    X_CLASS(TXManagedPersistent, TXPersistent)
    X_INTERFACES(IXThreadable, IXSerializable, IXAssignable)
public:
    int32_t RefCount() const { return FRefCount.Count(); }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override;
    int32_t _AddRef() override { return FRefCount.AddRef(); }
    int32_t _Release() override { return FRefCount.Release(this); }
    void Lock() override { TXPersistent::Lock(); }
    void Unlock() override { TXPersistent::Unlock(); }
    void Validate() override { TXPersistent::Validate(); }
    void SerializeHook() override { TXPersistent::SerializeHook(); }
    void Assign(TPersistent* ASource) override { TXPersistent::Assign(ASource); }
    // AssignFromIntf first; when that answers False, the object behind ASource is assigned.
    void AssignInterface(IInterface* ASource) override;

    void AfterConstruction() override;
    void BeforeDestruction() override;

protected:
    TXManagedPersistent() = default;
    using TXPersistent::Construct;
    // Delphi's CreateRefCounted (Mode): the mode is set before the ordinary construction runs.
    virtual void Construct(TXRefCountMode AMode);

private:
    XCoreDetail::TXRefCount FRefCount;
};

class TXNamedPersistent : public TXManagedPersistent, public IXNameable {
    X_CLASS(TXNamedPersistent, TXManagedPersistent)
    X_INTERFACES(IXNameable)
public:
    String GetName() override { return FName; }
    void SetName(const String& AValue) override { FName = AValue; }
    void AssignKeepName(TPersistent* ASource) override;
    void AssignKeepName(IInterface* ASource) override;
    // An object of ours converts to both forms; it means the object one.
    template <class T>
        requires std::is_base_of_v<TPersistent, T>
    void AssignKeepName(T* ASource)
    {
        AssignKeepName(static_cast<TPersistent*>(ASource));
    }

    bool AssignFrom(TPersistent* ASource) override;
    bool AssignFromIntf(IInterface* ASource) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }
    void Assign(TPersistent* ASource) override { inherited::Assign(ASource); }
    void AssignInterface(IInterface* ASource) override { inherited::AssignInterface(ASource); }

protected:
    TXNamedPersistent() = default;

private:
    String FName;
};

// ---- Collection items --------------------------------------------------------------------

class TXCollectionItem : public TCollectionItem {
    X_CLASS(TXCollectionItem, TCollectionItem)
public:
    TXObjectState State() const { return FState; }
    bool DataStorable() const { return FDataStorable; }
    // Stream-carrying items pass the flag on to their stream object.
    virtual void SetDataStorable(bool AValue) { FDataStorable = AValue; }

    void Assign(TPersistent* ASource) override;
    virtual bool AssignFrom(TPersistent* ASource);
    virtual bool AssignFromIntf(IInterface* ASource);
    virtual void Clear() { DoClear(); }
    virtual bool IsEmpty() { return true; }
    String GetDisplayName() override { return FName; }
    void SetDisplayName(const String& AValue) override { FName = AValue; }

    void AfterConstruction() override;
    void BeforeDestruction() override;

protected:
    TXCollectionItem() = default;
    void Construct(TCollection* ACollection) override;
    virtual void Init() {}
    virtual void DoClear() { FName.clear(); }

    TXObjectState FState;

private:
    bool FDataStorable = true;
    String FName;
};

class TXManagedCollectionItem : public TXCollectionItem, public IXNameable {
    X_CLASS(TXManagedCollectionItem, TXCollectionItem)
    X_INTERFACES(IXNameable)
public:
    int32_t RefCount() const { return FRefCount.Count(); }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override;
    int32_t _AddRef() override { return FRefCount.AddRef(); }
    int32_t _Release() override { return FRefCount.Release(this); }

    void Assign(TPersistent* ASource) override { inherited::Assign(ASource); }
    void AssignInterface(IInterface* ASource) override;
    // The interface's name is the display name.
    String GetName() override { return GetDisplayName(); }
    void SetName(const String& AValue) override { SetDisplayName(AValue); }
    void AssignKeepName(TPersistent* ASource) override;
    void AssignKeepName(IInterface* ASource) override;
    // An object of ours converts to both forms; it means the object one.
    template <class T>
        requires std::is_base_of_v<TPersistent, T>
    void AssignKeepName(T* ASource)
    {
        AssignKeepName(static_cast<TPersistent*>(ASource));
    }

    void AfterConstruction() override;
    void BeforeDestruction() override;

protected:
    TXManagedCollectionItem() = default;

private:
    XCoreDetail::TXRefCount FRefCount;
};

// ---- Components --------------------------------------------------------------------------

class TXComponent : public TComponent {
    X_CLASS(TXComponent, TComponent)
public:
    void Assign(TPersistent* ASource) override;
    virtual bool AssignFrom(TPersistent* ASource);
    virtual bool AssignFromIntf(IInterface* ASource);

protected:
    TXComponent() = default;
};

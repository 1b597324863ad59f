// XCore.Classes.cpp: construction, counting and assignment protocols of the base classes.
#include "XCore.Classes.h"

#include "Rtl.SysUtils.h"
#include "XCore.Types.h"

using enum TXObjectStateFlag;

namespace {

// Runs an assignment under the Assigning flag (not added for a keep-name assignment) and
// clears Assigning and KeepName at the end, normal or not.
class TAssignmentScope {
public:
    explicit TAssignmentScope(TXObjectState& AState) : FState(AState)
    {
        if (!FState.Contains(KeepName))
            FState.Include(Assigning);
    }
    ~TAssignmentScope() { FState.Exclude(Assigning).Exclude(KeepName); }
    TAssignmentScope(const TAssignmentScope&) = delete;
    TAssignmentScope& operator=(const TAssignmentScope&) = delete;

private:
    TXObjectState& FState;
};

// Construction steps that fail leave the object marked as being destroyed.
template <class TSteps>
void RunConstruction(TXObjectState& AState, TSteps ASteps)
{
    AState = {Creating};
    try {
        ASteps();
    } catch (...) {
        AState = {Destroying};
        throw;
    }
}

// The platform's fallback: the source's AssignTo, which raises for pairs nobody knows.
void AssignUnhandled(TPersistent* ADest, TPersistent* ASource, bool AHandled)
{
    if (!AHandled && ASource != nullptr)
        ASource->AssignTo(ADest);
}

// AssignInterface of the managed classes: the interface's own assignment first, then the
// object behind it when that is persistent.
template <class TSelf>
void AssignInterfaceOf(TSelf* ASelf, TXObjectState& AState, IInterface* ASource)
{
    TAssignmentScope Scope(AState);
    if (ASelf->AssignFromIntf(ASource))
        return;
    if (auto* Source = AsOrNull<TPersistent>(ObjectOf(ASource)))
        ASelf->Assign(Source);
}

// The name an assignment source offers: a persistent object's through IXNameable.
bool NameOfSource(TPersistent* ASource, String& AName)
{
    TIntf<IXNameable> Nameable;
    if (!SupportsInterface(ASource, Nameable))
        return false;
    AName = Nameable->GetName();
    return true;
}

bool NameOfSource(IInterface* ASource, String& AName)
{
    TIntf<IXNameable> Nameable;
    if (!Supports(ASource, Nameable))
        return false;
    AName = Nameable->GetName();
    return true;
}

}  // namespace

// ---- Reference counting ------------------------------------------------------------------

namespace XCoreDetail {

int32_t TXRefCount::AddRef()
{
    switch (FMode) {
    case rcmNone:
        return -1;
    case rcmSingleThread: {
        int32_t Count = FCount.load(std::memory_order_relaxed) + 1;
        FCount.store(Count, std::memory_order_relaxed);
        return Count;
    }
    case rcmInterlocked:
        break;
    }
    return FCount.fetch_add(1, std::memory_order_acq_rel) + 1;
}

int32_t TXRefCount::Release(TObject* AObject)
{
    int32_t Count = Decrement();
    if (Count == 0)
        AObject->Free();
    return Count;
}

int32_t TXRefCount::Decrement()
{
    switch (FMode) {
    case rcmNone:
        return -1;
    case rcmSingleThread: {
        int32_t Count = FCount.load(std::memory_order_relaxed) - 1;
        FCount.store(Count, std::memory_order_relaxed);
        return Count;
    }
    case rcmInterlocked:
        break;
    }
    return FCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
}

void TXRefCount::ReleaseConstructionReference()
{
    if (FMode != rcmNone)
        Decrement();
}

void TXRefCount::CheckDestruction() const
{
    if (FMode != rcmNone && Count() != 0)
        throw EInvalidOperation("Interface Destruction Error");
}

}  // namespace XCoreDetail

// ---- TXObject ----------------------------------------------------------------------------

void TXObject::Construct()
{
    Init();
}

bool TXObject::AssignFrom(TXObject*)
{
    return true;
}

void TXObject::Lock()
{
    MonitorEnter();
}

void TXObject::Unlock()
{
    MonitorExit();
}

void TXInitializableObject::AfterConstruction()
{
    inherited::AfterConstruction();
    Initialize();
}

// ---- TXManagedObject ---------------------------------------------------------------------

void TXManagedObject::Construct(TXRefCountMode AMode)
{
    FRefCount.SetMode(AMode);
    RunConstruction(FState, [this] { TXObject::Construct(); });
}

HRESULT TXManagedObject::QueryInterface(const TGUID& AIID, void** AObj)
{
    return XRtlDetail::QueryInterfaceOf(this, this, AIID, AObj);
}

void TXManagedObject::AfterConstruction()
{
    inherited::AfterConstruction();
    FRefCount.ReleaseConstructionReference();
    FState = {};
}

void TXManagedObject::BeforeDestruction()
{
    FRefCount.CheckDestruction();
    FState = {Destroying};
    inherited::BeforeDestruction();
}

// ---- TXPersistent ------------------------------------------------------------------------

void TXPersistent::Construct()
{
    RunConstruction(FState, [this] {
        Init();
        Clear();
    });
}

void TXPersistent::AfterConstruction()
{
    inherited::AfterConstruction();
    FState = {};
}

void TXPersistent::BeforeDestruction()
{
    FState = {Destroying};
    inherited::BeforeDestruction();
}

void TXPersistent::Assign(TPersistent* ASource)
{
    TAssignmentScope Scope(FState);
    AssignUnhandled(this, ASource, AssignFrom(ASource));
}

bool TXPersistent::AssignFrom(TPersistent*)
{
    return true;
}

bool TXPersistent::AssignFromIntf(IInterface*)
{
    return false;
}

// ---- TXManagedPersistent -----------------------------------------------------------------

HRESULT TXManagedPersistent::QueryInterface(const TGUID& AIID, void** AObj)
{
    return XRtlDetail::QueryInterfaceOf(this, static_cast<IXThreadable*>(this), AIID, AObj);
}

void TXManagedPersistent::AssignInterface(IInterface* ASource)
{
    AssignInterfaceOf(this, FState, ASource);
}

void TXManagedPersistent::Construct(TXRefCountMode AMode)
{
    FRefCount.SetMode(AMode);
    Construct();
}

void TXManagedPersistent::AfterConstruction()
{
    FRefCount.ReleaseConstructionReference();
    inherited::AfterConstruction();
}

void TXManagedPersistent::BeforeDestruction()
{
    inherited::BeforeDestruction();
    FRefCount.CheckDestruction();
}

// ---- TXNamedPersistent -------------------------------------------------------------------

void TXNamedPersistent::AssignKeepName(TPersistent* ASource)
{
    FState.Include(KeepName);
    Assign(ASource);
}

void TXNamedPersistent::AssignKeepName(IInterface* ASource)
{
    FState.Include(KeepName);
    AssignInterface(ASource);
}

bool TXNamedPersistent::AssignFrom(TPersistent* ASource)
{
    if (FState.Contains(KeepName))
        return true;
    if (auto* Named = AsOrNull<TXNamedPersistent>(ASource))
        FName = Named->FName;
    else
        NameOfSource(ASource, FName);
    return true;
}

bool TXNamedPersistent::AssignFromIntf(IInterface* ASource)
{
    if (FState.Contains(KeepName))
        return true;
    return NameOfSource(ASource, FName);
}

// ---- TXCollectionItem --------------------------------------------------------------------

void TXCollectionItem::Construct(TCollection* ACollection)
{
    RunConstruction(FState, [this, ACollection] {
        inherited::Construct(ACollection);
        Init();
        SetDataStorable(true);
        Clear();
    });
}

void TXCollectionItem::AfterConstruction()
{
    inherited::AfterConstruction();
    FState = {};
}

void TXCollectionItem::BeforeDestruction()
{
    FState = {Destroying};
    inherited::BeforeDestruction();
}

void TXCollectionItem::Assign(TPersistent* ASource)
{
    TAssignmentScope Scope(FState);
    AssignUnhandled(this, ASource, AssignFrom(ASource));
}

bool TXCollectionItem::AssignFrom(TPersistent* ASource)
{
    if (FState.Contains(KeepName))
        return true;
    String Name;
    if (auto* Item = AsOrNull<TCollectionItem>(ASource))
        SetDisplayName(Item->GetDisplayName());
    else if (NameOfSource(ASource, Name))
        SetDisplayName(Name);
    return true;
}

bool TXCollectionItem::AssignFromIntf(IInterface* ASource)
{
    if (FState.Contains(KeepName))
        return true;
    String Name;
    if (!NameOfSource(ASource, Name))
        return false;
    SetDisplayName(Name);
    return true;
}

// ---- TXManagedCollectionItem -------------------------------------------------------------

HRESULT TXManagedCollectionItem::QueryInterface(const TGUID& AIID, void** AObj)
{
    return XRtlDetail::QueryInterfaceOf(this, this, AIID, AObj);
}

void TXManagedCollectionItem::AssignInterface(IInterface* ASource)
{
    AssignInterfaceOf(this, FState, ASource);
}

void TXManagedCollectionItem::AssignKeepName(TPersistent* ASource)
{
    FState.Include(KeepName);
    Assign(ASource);
}

void TXManagedCollectionItem::AssignKeepName(IInterface* ASource)
{
    FState.Include(KeepName);
    AssignInterface(ASource);
}

void TXManagedCollectionItem::AfterConstruction()
{
    FRefCount.ReleaseConstructionReference();
    inherited::AfterConstruction();
}

void TXManagedCollectionItem::BeforeDestruction()
{
    inherited::BeforeDestruction();
    FRefCount.CheckDestruction();
}

// ---- TXComponent -------------------------------------------------------------------------

void TXComponent::Assign(TPersistent* ASource)
{
    AssignUnhandled(this, ASource, AssignFrom(ASource));
}

bool TXComponent::AssignFrom(TPersistent*)
{
    return true;
}

bool TXComponent::AssignFromIntf(IInterface*)
{
    return false;
}

// Rtl.Classes.cpp: persistent objects, components, collections and the class registry.
#include "Rtl.Classes.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "Rtl.SysUtils.h"
#include "Rtl.TypInfo.h"

namespace {

template <class T>
void EraseFirst(std::vector<T*>& AList, T* AItem)
{
    auto Found = std::find(AList.begin(), AList.end(), AItem);
    if (Found != AList.end())
        AList.erase(Found);
}

void CheckIndex(int AIndex, size_t ACount)
{
    if (AIndex < 0 || static_cast<size_t>(AIndex) >= ACount)
        RaiseListIndexError(AIndex);
}

}  // namespace

// ---- TPersistent -------------------------------------------------------------------------

void TPersistent::Assign(TPersistent* ASource)
{
    if (ASource != nullptr)
        ASource->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* ADest)
{
    ADest->AssignError(this);
}

String TPersistent::GetNamePath()
{
    return ClassName();
}

void TPersistent::AssignError(TPersistent* ASource)
{
    String SourceName = ASource != nullptr ? ASource->ClassName() : "nil";
    throw EConvertError("Cannot assign a " + SourceName + " to a " + ClassName());
}

// ---- TInterfacedPersistent ---------------------------------------------------------------

HRESULT TInterfacedPersistent::QueryInterface(const TGUID& AIID, void** AObj)
{
    return XRtlDetail::QueryInterfaceOf(this, this, AIID, AObj);
}

int32_t TInterfacedPersistent::_AddRef()
{
    return FOwnerInterface != nullptr ? FOwnerInterface->_AddRef() : -1;
}

int32_t TInterfacedPersistent::_Release()
{
    return FOwnerInterface != nullptr ? FOwnerInterface->_Release() : -1;
}

void TInterfacedPersistent::AfterConstruction()
{
    inherited::AfterConstruction();
    void* OwnerInterface = nullptr;
    if (TPersistent* Owner = GetOwner(); Owner != nullptr && Owner->GetInterface(IInterface::IID, &OwnerInterface))
        FOwnerInterface = static_cast<IInterface*>(OwnerInterface);
}

// ---- TComponent --------------------------------------------------------------------------

void TComponent::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    P.Property("Tag", &TComponent::Tag, &TComponent::SetTag);
}

void TComponent::Construct(TComponent* AOwner)
{
    if (AOwner != nullptr)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    RemoveFreeNotifications();
    DestroyComponents();
    if (FOwner != nullptr)
        FOwner->RemoveComponent(this);
}

void TComponent::BeforeDestruction()
{
    inherited::BeforeDestruction();
    Destroying();
}

void TComponent::Destroying()
{
    if (FComponentState.Contains(csDestroying))
        return;
    FComponentState.Include(csDestroying);
    for (TComponent* Child : FComponents)
        Child->Destroying();
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* Instance = FComponents.back();
        // A component others watch must tell them it goes; the rest leave quietly.
        if (Instance->FComponentState.Contains(csFreeNotification))
            RemoveComponent(Instance);
        else
            Remove(Instance);
        Instance->Free();
    }
}

TComponent* TComponent::Components(int AIndex) const
{
    CheckIndex(AIndex, FComponents.size());
    return FComponents[static_cast<size_t>(AIndex)];
}

int TComponent::ComponentIndex() const
{
    if (FOwner == nullptr)
        return -1;
    auto& Siblings = FOwner->FComponents;
    auto Found = std::find(Siblings.begin(), Siblings.end(), this);
    return Found == Siblings.end() ? -1 : static_cast<int>(Found - Siblings.begin());
}

void TComponent::SetComponentIndex(int AValue)
{
    if (FOwner == nullptr)
        return;
    auto& Siblings = FOwner->FComponents;
    int Current = ComponentIndex();
    int Last = static_cast<int>(Siblings.size()) - 1;
    AValue = std::clamp(AValue, 0, Last);
    if (Current < 0 || Current == AValue)
        return;
    Siblings.erase(Siblings.begin() + Current);
    Siblings.insert(Siblings.begin() + AValue, this);
}

TComponent* TComponent::FindComponent(const String& AName) const
{
    if (AName.empty())
        return nullptr;
    for (TComponent* Child : FComponents)
        if (SameText(Child->FName, AName))
            return Child;
    return nullptr;
}

void TComponent::SetName(const String& AValue)
{
    if (FName == AValue)
        return;
    if (!AValue.empty() && !IsValidIdent(AValue))
        throw EComponentError("'" + AValue + "' is not a valid component name");
    if (FOwner != nullptr)
        FOwner->ValidateRename(this, FName, AValue);
    else
        ValidateRename(nullptr, FName, AValue);
    ChangeName(AValue);
}

void TComponent::ValidateRename(TComponent* AComponent, const String& ACurName, const String& ANewName)
{
    if (AComponent != nullptr && !SameText(ACurName, ANewName) && FindComponent(ANewName) != nullptr)
        throw EComponentError("A component named " + ANewName + " already exists");
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    if (AComponent->FOwner != nullptr)
        AComponent->FOwner->RemoveComponent(AComponent);
    ValidateRename(AComponent, "", AComponent->FName);
    Insert(AComponent);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent)
{
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent)
{
    AComponent->FOwner = nullptr;
    EraseFirst(FComponents, AComponent);
}

void TComponent::Notification(TComponent* AComponent, TOperation AOperation)
{
    if (AOperation == opRemove && AComponent != nullptr)
        RemoveFreeNotification(AComponent);
    // Walk from the end and re-check the bound: a notified child may free siblings.
    for (int I = static_cast<int>(FComponents.size()) - 1; I >= 0;) {
        FComponents[static_cast<size_t>(I)]->Notification(AComponent, AOperation);
        --I;
        if (I >= static_cast<int>(FComponents.size()))
            I = static_cast<int>(FComponents.size()) - 1;
    }
}

void TComponent::Loaded()
{
    FComponentState.Exclude(csLoading);
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    // Components of one owner hear of each other through the owner already.
    if (FOwner == nullptr || AComponent->FOwner != FOwner) {
        if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
            FFreeNotifies.push_back(AComponent);
            AComponent->FreeNotification(this);
        }
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent)
{
    EraseFirst(FFreeNotifies, AComponent);
    if (FFreeNotifies.empty())
        FComponentState.Exclude(csFreeNotification);
}

void TComponent::RemoveFreeNotifications()
{
    while (!FFreeNotifies.empty())
        FFreeNotifies.back()->Notification(this, opRemove);
}

HRESULT TComponent::QueryInterface(const TGUID& AIID, void** AObj)
{
    return XRtlDetail::QueryInterfaceOf(this, this, AIID, AObj);
}

// ---- TCollectionItem ---------------------------------------------------------------------

void TCollectionItem::Construct(TCollection* ACollection)
{
    SetCollection(ACollection);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* AValue)
{
    if (FCollection == AValue)
        return;
    if (FCollection != nullptr)
        FCollection->RemoveItem(this);
    if (AValue != nullptr)
        AValue->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (FCollection == nullptr)
        return -1;
    auto& Items = FCollection->FItems;
    auto Found = std::find(Items.begin(), Items.end(), this);
    return Found == Items.end() ? -1 : static_cast<int>(Found - Items.begin());
}

void TCollectionItem::SetIndex(int AValue)
{
    int Current = Index();
    if (Current >= 0 && Current != AValue) {
        FCollection->Move(Current, AValue);
        Changed(true);
    }
}

String TCollectionItem::GetDisplayName()
{
    return ClassName();
}

void TCollectionItem::Changed(bool AAllItems)
{
    if (FCollection != nullptr && FCollection->FUpdateCount == 0)
        FCollection->Update(AAllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner()
{
    return FCollection;
}

String TCollectionItem::GetNamePath()
{
    if (FCollection == nullptr)
        return ClassName();
    return FCollection->GetNamePath() + "[" + IntToStr(Index()) + "]";
}

// ---- TCollection -------------------------------------------------------------------------

void TCollection::Construct(TClass AItemClass)
{
    if (AItemClass == nullptr || !AItemClass->InheritsFrom(TCollectionItem::StaticClass()))
        XRtlDetail::RaiseNotDescendant(AItemClass, TCollectionItem::StaticClass());
    FItemClass = AItemClass;
}

TCollection::~TCollection()
{
    FUpdateCount = 1;   // the items go without telling a collection that is going itself
    Clear();
}

TCollectionItem* TCollection::Items(int AIndex) const
{
    CheckIndex(AIndex, FItems.size());
    return FItems[static_cast<size_t>(AIndex)];
}

void TCollection::SetItem(int AIndex, TCollectionItem* AValue)
{
    Items(AIndex)->Assign(AValue);
}

TCollectionItem* TCollection::Add()
{
    return XCreateFromClass<TCollectionItem>(FItemClass, this);
}

TCollectionItem* TCollection::Insert(int AIndex)
{
    TCollectionItem* Item = Add();
    Item->SetIndex(AIndex);
    return Item;
}

void TCollection::Delete(int AIndex)
{
    TCollectionItem* Item = Items(AIndex);
    Notify(Item, cnDeleting);
    Item->Free();
}

void TCollection::Clear()
{
    if (FItems.empty())
        return;
    BeginUpdate();
    try {
        while (!FItems.empty())
            FItems.back()->Free();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int AID) const
{
    for (TCollectionItem* Item : FItems)
        if (Item->FID == AID)
            return Item;
    return nullptr;
}

void TCollection::Move(int ACurIndex, int ANewIndex)
{
    CheckIndex(ACurIndex, FItems.size());
    CheckIndex(ANewIndex, FItems.size());
    TCollectionItem* Item = FItems[static_cast<size_t>(ACurIndex)];
    FItems.erase(FItems.begin() + ACurIndex);
    FItems.insert(FItems.begin() + ANewIndex, Item);
}

void TCollection::EndUpdate()
{
    --FUpdateCount;
    Changed();
}

void TCollection::Changed()
{
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::Assign(TPersistent* ASource)
{
    auto* Source = AsOrNull<TCollection>(ASource);
    if (Source == nullptr) {
        inherited::Assign(ASource);
        return;
    }
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* Item : Source->FItems)
            Add()->Assign(Item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

String TCollection::GetNamePath()
{
    TPersistent* Owner = GetOwner();
    return Owner != nullptr ? Owner->GetNamePath() : ClassName();
}

void TCollection::InsertItem(TCollectionItem* AItem)
{
    if (!AItem->InheritsFrom(FItemClass))
        throw EListError("Invalid property value");
    FItems.push_back(AItem);
    AItem->FCollection = this;
    AItem->FID = FNextID++;
    Notify(AItem, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* AItem)
{
    Notify(AItem, cnExtracting);
    if (!FItems.empty() && FItems.back() == AItem)
        FItems.pop_back();
    else
        EraseFirst(FItems, AItem);
    AItem->FCollection = nullptr;
    Changed();
}

void TOwnedCollection::Construct(TPersistent* AOwner, TClass AItemClass)
{
    FOwner = AOwner;
    inherited::Construct(AItemClass);
}

// ---- Class registry ----------------------------------------------------------------------

namespace {

struct TCaseInsensitiveLess {
    bool operator()(const String& A, const String& B) const { return CompareText(A, B) < 0; }
};

struct TClassRegistry {
    std::mutex Lock;
    std::map<String, TClass, TCaseInsensitiveLess> Classes;
};

TClassRegistry& Registry()
{
    static TClassRegistry Instance;
    return Instance;
}

}  // namespace

void RegisterClass(TClass AClass)
{
    TClassRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    auto [Found, Inserted] = R.Classes.emplace(AClass->ClassName(), AClass);
    if (!Inserted && Found->second != AClass)
        throw EFilerError("A class named " + AClass->ClassName() + " already exists");
}

void RegisterClasses(std::initializer_list<TClass> AClasses)
{
    for (TClass C : AClasses)
        RegisterClass(C);
}

void UnRegisterClass(TClass AClass)
{
    TClassRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    auto Found = R.Classes.find(AClass->ClassName());
    if (Found != R.Classes.end() && Found->second == AClass)
        R.Classes.erase(Found);
}

TClass GetClass(const String& AClassName)
{
    TClassRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    auto Found = R.Classes.find(AClassName);
    return Found == R.Classes.end() ? nullptr : Found->second;
}

TClass FindClass(const String& AClassName)
{
    TClass Result = GetClass(AClassName);
    if (Result == nullptr)
        throw EClassNotFound("Class " + AClassName + " not found");
    return Result;
}

#include "XClasses.h"

#include <algorithm>
#include <exception>

#include "Win.Version.h"
#include "XCore.Locale.h"
#include "XCore.Strings.h"

namespace XClasses {

namespace {

// Windows NT 5.1 or later.
bool IsXPOrLater(const TOSVersionInfo& AVersion)
{
    return (AVersion.Major == 5 && AVersion.Minor >= 1) || AVersion.Major >= 6;
}

int CompareAllEqual(TObject*, TObject*)
{
    return 0;
}

bool IsNeverSame(TObject*, TObject*)
{
    return false;
}

uint32_t AssignedStatus(uint32_t AStatus)
{
    return SetBit(SetBit(AStatus, kStatusBitAssignCleared, false), kStatusBitAssigned, true);
}

// An assignment hook that raises counts as not handled; then the source's AssignTo decides.
template <class TDest, class TAssignFrom>
void AssignOrFallBack(TDest* ADest, TPersistent* ASource, TAssignFrom AAssignFrom)
{
    bool Handled = false;
    try {
        Handled = AAssignFrom();
    } catch (const std::exception&) {
        Handled = false;
    }
    if (!Handled && ASource != nullptr)
        ASource->AssignTo(ADest);
}

// Runs AStep between ABegin and AEnd; AEnd also runs when AStep raises.
template <class TBegin, class TStep, class TEnd>
void InUpdate(TBegin ABegin, TStep AStep, TEnd AEnd)
{
    ABegin();
    try {
        AStep();
    } catch (...) {
        AEnd();
        throw;
    }
    AEnd();
}

}  // namespace

bool IsWinXPOrLater = IsXPOrLater(GetOSVersion());
bool IsCardMode = false;
bool IsDemoMode = false;

// ---- TXChangeCounter ---------------------------------------------------------------------

void TXChangeCounter::Init(TXChangeCallback AOnBegin, TXChangeCallback AOnEnd)
{
    OnBegin = AOnBegin;
    OnEnd = AOnEnd;
    Count = 0;
}

void TXChangeCounter::BeginUpdate()
{
    if (Count == 0 && OnBegin)
        OnBegin();
    ++Count;
}

void TXChangeCounter::EndUpdate()
{
    --Count;
    if (Count <= 0 && OnEnd)
        OnEnd();
}

void TXEventObject::Construct(int AKind, TNotifyEvent AHandler)
{
    FKind = AKind;
    FHandler = AHandler;
}

int CompareByTag(TComponent* A, TComponent* B)
{
    return A->Tag() < B->Tag() ? -1 : (A->Tag() > B->Tag() ? 1 : 0);
}

// ---- TXChangeablePersistent --------------------------------------------------------------

void TXChangeablePersistent::Init()
{
    inherited::Init();
    FCounter.Init(TXChangeCallback::Bind<&TXChangeablePersistent::BeginChange>(this),
                  TXChangeCallback::Bind<&TXChangeablePersistent::EndChange>(this));
}

void TXChangeablePersistent::Assign(TPersistent* ASource)
{
    InUpdate([this] { FCounter.BeginUpdate(); }, [&] { inherited::Assign(ASource); },
             [this] { FCounter.EndUpdate(); });
}

// ---- TXFilerableObject -------------------------------------------------------------------

void TXFilerableObject::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("LgID", &TXFilerableObject::LgID, &TXFilerableObject::SetLgID).Default(0);
}

void TXFilerableObject::Init()
{
    inherited::Init();
    FStatus = 0;
}

void TXFilerableObject::DoClear()
{
    inherited::DoClear();
    FLgID = 0;
    FText.clear();
    FName.clear();
    FDataStorable = true;
    FIdx = -1;
}

bool TXFilerableObject::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXFilerableObject>(ASource)) {
        FLgID = Source->FLgID;
        FText = Source->FText;
        SetDataStorable(Source->FDataStorable);
        FIdx = Source->FIdx;
        FStatus = AssignedStatus(FStatus);
    }
    return inherited::AssignFrom(ASource);
}

void TXFilerableObject::Assign(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXFilerableObject>(ASource))
        SetName(Source->GetName());
    inherited::Assign(ASource);
}

void TXFilerableObject::TryAssign(TPersistent* ASource)
{
    AssignOrFallBack(this, ASource, [&] { return AssignFrom(ASource); });
}

bool TXFilerableObject::IsEmpty()
{
    return inherited::IsEmpty() && GetName().empty() && FLgID == 0 && FText.empty();
}

void TXLgObject::DoClear()
{
    inherited::DoClear();
    SetLgID(kEnglishLgID);
}

// ---- TXChangeableObject ------------------------------------------------------------------

void TXChangeableObject::EndUpdate()
{
    FUpdates.EndUpdate();
    if (FUpdates.IsIdle())
        DoChanged();
}

void TXChangeableObject::DoChanged()
{
    if (FUpdates.IsIdle() && FOnChange)
        FOnChange(this);
}

void TXChangeableObject::Assign(TPersistent* ASource)
{
    InUpdate([this] { BeginUpdate(); }, [&] { inherited::Assign(ASource); }, [this] { EndUpdate(); });
}

void TXChangeableObject::TryAssign(TPersistent* ASource)
{
    InUpdate([this] { BeginUpdate(); }, [&] { inherited::TryAssign(ASource); }, [this] { EndUpdate(); });
}

// ---- TXObjectList ------------------------------------------------------------------------

void TXObjectList::Construct(bool AOwnsObjects)
{
    inherited::Construct(AOwnsObjects);
    FCompare = CompareAllEqual;
    FIsSame = IsNeverSame;
    FHeader.reset(TXLgObject::Create());
}

void TXObjectList::SetCompare(TXObjectCompare AValue)
{
    FCompare = AValue != nullptr ? AValue : CompareAllEqual;
}

void TXObjectList::SetIsSame(TXObjectIsSame AValue)
{
    FIsSame = AValue != nullptr ? AValue : IsNeverSame;
}

void TXObjectList::SetSorted(bool AValue)
{
    if (AValue == FSorted)
        return;
    if (AValue)
        std::stable_sort(FItems.begin(), FItems.end(), [this](void* A, void* B) {
            return FCompare(static_cast<TObject*>(A), static_cast<TObject*>(B)) < 0;
        });
    FSorted = AValue;
}

int TXObjectList::Add(TObject* AObject)
{
    if (!FSorted)
        return inherited::Add(AObject);
    int Index = 0;
    if (Find(AObject, Index)) {
        if (FDuplicates == dupIgnore)
            return Index;
        if (FDuplicates == dupError)
            throw EListError("Duplicate");
    }
    Insert(Index, AObject);
    return Index;
}

// Objects that Compare finds equal form one run; the whole run is searched for the same
// object, as a halving search would miss it when the probe lands on an equal one that is not.
bool TXObjectList::Find(TObject* AObject, int& AIndex) const
{
    int Lo = 0;
    int Hi = Count();
    while (Lo < Hi) {
        int Mid = Lo + (Hi - Lo) / 2;
        if (FCompare(Items(Mid), AObject) < 0)
            Lo = Mid + 1;
        else
            Hi = Mid;
    }
    for (AIndex = Lo; AIndex < Count() && FCompare(Items(AIndex), AObject) == 0; ++AIndex)
        if (FIsSame(Items(AIndex), AObject))
            return true;
    return false;
}

void TXObjectList::AddUnique(TObject* AObject)
{
    if (IndexOf(AObject) < 0)
        Add(AObject);
}

int TXObjectList::MoveOrInsert(int AIndex, TObject* AObject)
{
    int Current = IndexOf(AObject);
    if (Current >= 0) {
        AIndex = std::clamp(AIndex, 0, Count() - 1);
        Move(Current, AIndex);
    } else {
        AIndex = std::clamp(AIndex, 0, Count());
        Insert(AIndex, AObject);
    }
    return AIndex;
}

int TXObjectList::IndexOfName(const String& AText) const
{
    for (int I = 0; I < Count(); ++I)
        if (auto* Object = AsOrNull<TXFilerableObject>(Items(I));
            Object != nullptr && SameTextIgnoreCase(Object->GetName(), AText))
            return I;
    return -1;
}

void TXObjectList::DeleteByName(const String& AText)
{
    for (int I = Count() - 1; I >= 0; --I)
        if (auto* Object = AsOrNull<TXFilerableObject>(Items(I)); Object && Object->GetName() == AText)
            Delete(I);
}

TObject* TXObjectList::AddCreated(TObject* AObject)
{
    int Index;
    try {
        Index = Add(AObject);
    } catch (...) {
        AObject->Free();
        throw;
    }
    if (Items(Index) == AObject)
        return AObject;
    AObject->Free();
    return Items(Index);
}

// The copy is filled before it is added, so that a sorted list places it by its data and
// finds a duplicate by it.
void TXObjectList::AppendCopies(TObjectList* ASource)
{
    if (ASource == nullptr)
        return;
    for (TObject* Object : *ASource) {
        auto* Source = AsOrNull<TXPersistent>(Object);
        if (Source == nullptr)
            continue;
        TOwned<TXPersistent> Copy = Owned(XCreateFromClass<TXPersistent>(Source->ClassType()));
        Copy->Assign(Source);
        AddCreated(Copy.release());
    }
}

void TXObjectList::AssignFrom(TObjectList* ASource)
{
    if (auto* Source = AsOrNull<TXObjectList>(ASource))
        FHeader->Assign(Source->Header());
    AppendCopies(ASource);
}

void TXObjectList::AssignList(TObjectList* ASource)
{
    if (ASource == nullptr)
        return;
    Clear();
    AssignFrom(ASource);
}

bool TXObjectList::IsEmpty() const
{
    return std::all_of(begin(), end(), [](TObject* AObject) {
        auto* Object = AsOrNull<TXFilerableObject>(AObject);
        return Object != nullptr && Object->IsEmpty();
    });
}

TObject* TXTypedObjectList::AddNew()
{
    if (FItemClass == nullptr)
        return nullptr;
    return AddCreated(XCreateFromClass<TXPersistent>(FItemClass));
}

// ---- TXPersistentItem --------------------------------------------------------------------

void TXPersistentItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Name", &TXPersistentItem::GetDisplayName, &TXPersistentItem::SetDisplayName);
}

void TXPersistentItem::Construct(TCollection* ACollection)
{
    inherited::Construct(ACollection);
    Init();
    Clear();
}

void TXPersistentItem::Assign(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TCollectionItem>(ASource))
        FName = Source->GetDisplayName();
    AssignOrFallBack(this, ASource, [&] { return AssignFrom(ASource); });
}

void TXPersistentItem::TryAssign(TPersistent* ASource)
{
    AssignOrFallBack(this, ASource, [&] { return AssignFrom(ASource); });
}

bool TXPersistentItem::IsSameName(TPersistent* AOther)
{
    auto* Other = AsOrNull<TCollectionItem>(AOther);
    return Other != nullptr && Other->GetDisplayName() == GetDisplayName();
}

// ---- TXPersistentCollection --------------------------------------------------------------

void TXPersistentCollection::AppendItems(TPersistent* ASource)
{
    auto* Source = AsOrNull<TCollection>(ASource);
    if (Source == nullptr)
        return;
    for (int I = 0; I < Source->Count(); ++I)
        Add()->Assign(Source->Items(I));
}

void TXPersistentCollection::Assign(TPersistent* ASource)
{
    if (!ASource || !ASource->Is<TCollection>()) {
        inherited::Assign(ASource);
        return;
    }
    Clear();
    AssignItems(ASource);
}

int TXPersistentCollection::IndexOfName(const String& AText) const
{
    for (int I = 0; I < Count(); ++I)
        if (SameTextIgnoreCase(Items(I)->GetDisplayName(), AText))
            return I;
    return -1;
}

TCollectionItem* TXPersistentCollection::EnsureFirstItem(TCollection* ACollection)
{
    if (ACollection->Count() == 0)
        return ACollection->Add();
    return ACollection->Items(0);
}

// ---- Changeable items and collections ----------------------------------------------------

void TXChangeablePersistentItem::EndUpdate()
{
    FUpdateCount = std::max(FUpdateCount - 1, 0);
    DoChange();
}

void TXChangeablePersistentItem::DoChange()
{
    if (FUpdateCount == 0 && FOnChange)
        FOnChange(this);
}

void TXChangeablePersistentItem::Assign(TPersistent* ASource)
{
    InUpdate([this] { BeginUpdate(); }, [&] { inherited::Assign(ASource); }, [this] { EndUpdate(); });
}

void TXChangeablePersistentItem::TryAssign(TPersistent* ASource)
{
    InUpdate([this] { BeginUpdate(); }, [&] { inherited::TryAssign(ASource); }, [this] { EndUpdate(); });
}

void TXChangeablePersistentCollection::Update(TCollectionItem* AItem)
{
    inherited::Update(AItem);
    if (FOnUpdate)
        FOnUpdate(this);
}

void TXChangeablePersistentCollection::Notify(TCollectionItem* AItem, TCollectionNotification AAction)
{
    inherited::Notify(AItem, AAction);
    if (auto* Item = AsOrNull<TXChangeablePersistentItem>(AItem); Item && AAction == cnAdded)
        Item->SetOnChange(TNotifyEvent::Bind<&TXChangeablePersistentCollection::ItemChanged>(this));
}

// ---- TXYCollectionItem -------------------------------------------------------------------

void TXYCollectionItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("LgID", &TXYCollectionItem::LgID, &TXYCollectionItem::SetLgID).Default(0);
}

bool TXYCollectionItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXYCollectionItem>(ASource)) {
        FLgID = Source->FLgID;
        FText = Source->FText;
        SetDataStorable(Source->FDataStorable);
        FIdx = Source->FIdx;
        FStatus = AssignedStatus(FStatus);
    }
    return true;
}

void TXYCollectionItem::Clear()
{
    inherited::Clear();
    FLgID = 0;
    FText.clear();
    FDataStorable = true;
    FIdx = -1;
}

bool TXYCollectionItem::IsEmpty()
{
    return inherited::IsEmpty() && FLgID == 0 && FText.empty();
}

// ---- TXCollection ------------------------------------------------------------------------

void TXCollection::Construct(TPersistent* AOwner, TClass AItemClass)
{
    inherited::Construct(AOwner, AItemClass);
    FHeader.reset(TXLgObject::Create());
}

void TXCollection::AppendItems(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXCollection>(ASource))
        FHeader->Assign(Source->Header());
    inherited::AppendItems(ASource);
}

bool TXCollection::IsEmpty() const
{
    for (int I = 0; I < Count(); ++I) {
        auto* Item = AsOrNull<TXYCollectionItem>(Items(I));
        if (Item == nullptr || !Item->IsEmpty())
            return false;
    }
    return true;
}

int TXCollection::FindLgID(uint32_t AId) const
{
    for (int I = 0; I < Count(); ++I)
        if (auto* Item = AsOrNull<TXYCollectionItem>(Items(I)); Item && Item->LgID() == AId)
            return I;
    return -1;
}

// The first hit wins: the language itself, its primary language, the header's language,
// language 0, English.
int TXCollection::IndexOfLgID(uint32_t AId) const
{
    int Index = FindLgID(AId);
    if (Index < 0)
        Index = FindLgID(GetPrimaryLangID(static_cast<uint16_t>(AId)));
    uint32_t HeaderLgID = FHeader->LgID();
    if (Index < 0 && AId != HeaderLgID)
        Index = FindLgID(HeaderLgID);
    if (Index < 0)
        Index = FindLgID(0);
    if (Index < 0 && HeaderLgID != kEnglishLgID)
        Index = FindLgID(kEnglishLgID);
    return Index;
}

// ---- Class items -------------------------------------------------------------------------

bool TXClassItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXClassItem>(ASource))
        FItemClassRef = Source->FItemClassRef;
    return inherited::AssignFrom(ASource);
}

TXClassItem* TXClassCollection::AddClass(TClass AClass)
{
    int Index = IndexOfName(AClass->ClassName());
    if (Index >= 0)
        return GetItem(Index);
    auto* Item = As<TXClassItem>(Add());
    Item->SetDisplayName(AClass->ClassName());
    Item->SetItemClassRef(AClass);
    return Item;
}

}  // namespace XClasses

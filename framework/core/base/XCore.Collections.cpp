// XCore.Collections.cpp: class and object lists, and copying, merging, synchronising and
// sorting of owned collections.
#include "XCore.Collections.h"

#include <algorithm>

namespace XCore::Collections {

namespace {

// Runs AChange between BeginUpdate and EndUpdate, so that the collection tells once.
template <class TChange>
void Updating(TCollection& ACollection, TChange AChange)
{
    ACollection.BeginUpdate();
    try {
        AChange();
    } catch (...) {
        ACollection.EndUpdate();
        throw;
    }
    ACollection.EndUpdate();
}

// A new item assigned from ASource; a failed assignment leaves no blank item behind.
void AppendCopy(TCollection& ACollection, TCollectionItem* ASource)
{
    TCollectionItem* Item = ACollection.Add();
    try {
        Item->Assign(ASource);
    } catch (...) {
        Item->Free();
        throw;
    }
}

bool HasItemNamed(TCollection* ACollection, const String& AName)
{
    for (int I = 0; I < ACollection->Count(); ++I)
        if (ACollection->Items(I)->GetDisplayName() == AName)
            return true;
    return false;
}

}  // namespace

// ---- TXClassList -------------------------------------------------------------------------

void TXClassList::AppendFrom(TObject* ASource)
{
    auto* Source = AsOrNull<TClassList>(ASource);
    if (Source == nullptr)
        return;
    int Count = Source->Count();   // appending to itself doubles it once
    for (int I = 0; I < Count; ++I)
        Add(Source->Items(I));
}

void TXClassList::CopyFrom(TObject* ASource)
{
    // A copy of itself must not start by clearing what it copies.
    if (ASource == this || AsOrNull<TClassList>(ASource) == nullptr)
        return;
    Clear();
    AppendFrom(ASource);
}

// ---- TXCustomObjectList ------------------------------------------------------------------

void TXCustomObjectList::AddUnique(TObject* AItem)
{
    if (IndexOf(AItem) < 0)
        Add(AItem);
}

void TXCustomObjectList::Sort()
{
    if (FCompare != nullptr)
        TObjectList::Sort(FCompare);
}

// ---- TXCustomCollection ------------------------------------------------------------------

void TXCustomCollection::AppendFrom(TCollection* ASource)
{
    if (ASource == nullptr)
        return;
    Updating(*this, [&] {
        int Count = ASource->Count();
        for (int I = 0; I < Count; ++I)
            AppendCopy(*this, ASource->Items(I));
    });
}

void TXCustomCollection::MergeFrom(TCollection* ASource, int AMode)
{
    if (ASource == nullptr)
        return;
    Updating(*this, [&] {
        int Count = ASource->Count();
        for (int I = 0; I < Count; ++I) {
            TCollectionItem* Source = ASource->Items(I);
            String Name = Source->GetDisplayName();
            TCollectionItem* Existing = FindByName(Name);
            switch (AMode) {
            case xmmSkipExisting:
                if (Existing == nullptr)
                    AppendCopy(*this, Source);
                break;
            case xmmRaiseOnExisting:
                if (Existing != nullptr)
                    throw EListError("Duplicate: " + Name);
                AppendCopy(*this, Source);
                break;
            case xmmAssignOrAppend:
                if (Existing != nullptr)
                    Existing->Assign(Source);
                else
                    AppendCopy(*this, Source);
                break;
            case xmmAssignExisting:
                if (Existing != nullptr)
                    Existing->Assign(Source);
                break;
            default:
                AppendCopy(*this, Source);
            }
        }
    });
}

void TXCustomCollection::SyncByName(TCollection* ASource)
{
    // Mirroring itself changes nothing; the steps below would empty it.
    if (ASource == nullptr || ASource == this)
        return;
    Updating(*this, [&] {
        for (int I = Count() - 1; I >= 0; --I)
            if (!HasItemNamed(ASource, Items(I)->GetDisplayName()))
                Delete(I);
        std::vector<TCollectionItem*> Detached;
        for (int I = Count() - 1; I >= 0; --I) {
            Detached.push_back(Items(I));
            Detached.back()->SetCollection(nullptr);
        }
        std::reverse(Detached.begin(), Detached.end());
        try {
            for (int I = 0; I < ASource->Count(); ++I) {
                TCollectionItem* Source = ASource->Items(I);
                String Name = Source->GetDisplayName();
                auto Found = std::find_if(Detached.begin(), Detached.end(),
                                          [&](TCollectionItem* AItem) { return AItem->GetDisplayName() == Name; });
                TCollectionItem* Item = nullptr;
                if (Found != Detached.end()) {
                    Item = *Found;
                    Detached.erase(Found);
                    Item->SetCollection(this);
                } else {
                    Item = Add();
                }
                Item->Assign(Source);
            }
        } catch (...) {
            // Nothing detached is lost: what was not reached yet comes back at the end.
            for (TCollectionItem* Item : Detached)
                Item->SetCollection(this);
            throw;
        }
        for (TCollectionItem* Item : Detached)
            Item->Free();
    });
}

int TXCustomCollection::IndexOfName(const TCollection* ACollection, const String& AName)
{
    for (int I = 0; I < ACollection->Count(); ++I)
        if (SameText(ACollection->Items(I)->GetDisplayName(), AName))
            return I;
    return -1;
}

TCollectionItem* TXCustomCollection::FindByName(const String& AName) const
{
    int Index = IndexOfName(AName);
    return Index >= 0 ? Items(Index) : nullptr;
}

void TXCustomCollection::DeleteByName(const String& AName)
{
    int Index = IndexOfName(AName);
    if (Index >= 0)
        Delete(Index);
}

void TXCustomCollection::SetDataStorable(bool AValue)
{
    if (!ItemClass()->InheritsFrom(TXCollectionItem::StaticClass()))
        return;
    for (int I = 0; I < Count(); ++I)
        static_cast<TXCollectionItem*>(Items(I))->SetDataStorable(AValue);
}

// ---- Sorting -----------------------------------------------------------------------------

namespace XCollectionsDetail {

namespace {

// The bounds on the scans keep a comparer that contradicts itself inside the range.
void QuickSortRange(std::vector<TCollectionItem*>& AItems, int ALeft, int ARight,
                    const std::function<int(TCollectionItem*, TCollectionItem*)>& ACompare)
{
    while (ALeft < ARight) {
        TCollectionItem* Pivot = AItems[static_cast<size_t>(ALeft + (ARight - ALeft) / 2)];
        int I = ALeft;
        int J = ARight;
        while (I <= J) {
            while (I < ARight && ACompare(AItems[static_cast<size_t>(I)], Pivot) < 0)
                ++I;
            while (J > ALeft && ACompare(AItems[static_cast<size_t>(J)], Pivot) > 0)
                --J;
            if (I <= J) {
                std::swap(AItems[static_cast<size_t>(I)], AItems[static_cast<size_t>(J)]);
                ++I;
                --J;
            }
        }
        if (ALeft < J)
            QuickSortRange(AItems, ALeft, J, ACompare);
        ALeft = I;
    }
}

}  // namespace

void QuickSortItems(std::vector<TCollectionItem*>& AItems,
                    const std::function<int(TCollectionItem*, TCollectionItem*)>& ACompare)
{
    QuickSortRange(AItems, 0, static_cast<int>(AItems.size()) - 1, ACompare);
}

void ApplyOrder(TCollection* ACollection, const std::vector<TCollectionItem*>& AItems)
{
    Updating(*ACollection, [&] {
        for (size_t I = 0; I < AItems.size(); ++I)
            AItems[I]->SetIndex(static_cast<int>(I));
    });
}

}  // namespace XCollectionsDetail

}  // namespace XCore::Collections

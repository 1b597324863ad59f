// XCore.Collections.h: the framework's containers over the runtime's lists: lists with unique
// adds and keyed pairs, class, component and object lists, and the owned collections that copy,
// merge, synchronise and find their items by display name.
// Nothing here locks. Unit XClasses has its own TXCollection and TXObjectList: these live in
// namespace XCore::Collections.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Rtl.Classes.h"
#include "Rtl.Comparers.h"
#include "Rtl.Lists.h"
#include "Rtl.SysUtils.h"
#include "XCore.Classes.h"
#include "XCore.Types.h"

namespace XCore::Collections {

template <class T>
class TXList : public Generics::TList<T> {
    X_CLASS(TXList, Generics::TList<T>)
public:
    // Adds AValue unless the list's comparer finds it listed.
    void AddUnique(const T& AValue)
    {
        if (this->IndexOf(AValue) < 0)
            this->Add(AValue);
    }
    // Deletes AFrom..ATo inclusive when 0 <= AFrom < Count and ATo >= AFrom; otherwise nothing,
    // except that an ATo past the end raises the list's range error.
    void DeleteFromTo(int AFrom, int ATo)
    {
        if (AFrom >= 0 && ATo >= 0 && AFrom < this->Count() && ATo >= AFrom)
            this->DeleteRange(AFrom, ATo - AFrom + 1);
    }

protected:
    TXList() = default;
};

// Pairs compared by key first and, on equal keys, by value.
template <class K, class V>
class TXPairs : public TXList<TXPair<K, V>> {
    X_CLASS(TXPairs, TXList<TXPair<K, V>>)
public:
    using TPairType = TXPair<K, V>;

    const TComparerRef<K>& KeyComparer() const { return FKeyComparer; }
    const TComparerRef<V>& ValueComparer() const { return FValueComparer; }
    // The first pair whose key KeyComparer finds equal; -1 when none.
    int IndexOfKey(const K& AKey) const
    {
        for (int I = 0; I < this->Count(); ++I)
            if (FKeyComparer->Compare(this->Items(I).Key, AKey) == 0)
                return I;
        return -1;
    }
    // The value of that pair; the empty value when none.
    V GetValue(const K& AKey) const
    {
        int Index = IndexOfKey(AKey);
        return Index >= 0 ? this->Items(Index).Value : V{};
    }

protected:
    TXPairs() = default;
    void Construct() { Construct(nullptr, nullptr); }
    void Construct(TComparerRef<K> AKeyComparer, TComparerRef<V> AValueComparer = nullptr)
    {
        FKeyComparer = AKeyComparer ? std::move(AKeyComparer) : DefaultComparer<K>();
        FValueComparer = AValueComparer ? std::move(AValueComparer) : DefaultComparer<V>();
        inherited::Construct(MakePairComparer(FKeyComparer, FValueComparer));
    }

private:
    TComparerRef<K> FKeyComparer;
    TComparerRef<V> FValueComparer;
};

// Callback lists: finding and removing match Code and Data together.
class TXAnyProcedureList : public TXList<TXAnyProcedure> {
    X_CLASS(TXAnyProcedureList, TXList<TXAnyProcedure>)
protected:
    TXAnyProcedureList() = default;
    void Construct() { inherited::Construct(std::make_shared<TXAnyProcedureComparer>()); }
};

class TXClassList : public TClassList {
    X_CLASS(TXClassList, TClassList)
public:
    // When ASource is a class list, appends its classes in order.
    void AppendFrom(TObject* ASource);
    // When ASource is another class list, makes this list a copy of it.
    void CopyFrom(TObject* ASource);

protected:
    TXClassList() = default;
};

// A component list with typed access. The list for TComponent itself is TXComponentList<>.
template <class T = TComponent>
class TXComponentList : public TComponentList {
    X_CLASS(TXComponentList, TComponentList)
public:
    T* GetItem(int AIndex) const { return static_cast<T*>(Items(AIndex)); }
    TClass ItemClass() const override { return T::StaticClass(); }
    // The index of AItem when listed, otherwise the index at which it was added.
    int AddUnique(T* AItem)
    {
        int Index = IndexOf(AItem);
        return Index >= 0 ? Index : Add(AItem);
    }

protected:
    TXComponentList() = default;
};

// An object list that may own its objects. Owners set Compare for Sort.
class TXCustomObjectList : public TObjectList {
    X_CLASS(TXCustomObjectList, TObjectList)
public:
    TListSortCompare Compare() const { return FCompare; }
    void SetCompare(TListSortCompare AValue) { FCompare = AValue; }

    // A new object of the list's kind, added; the base makes none and answers nullptr.
    virtual TObject* AddNew() { return nullptr; }
    // Adds AItem unless it is listed.
    void AddUnique(TObject* AItem);
    // Sorts with Compare when it is set; otherwise nothing.
    void Sort();
    using TObjectList::Sort;

protected:
    TXCustomObjectList() = default;

private:
    TListSortCompare FCompare = nullptr;
};

template <class T>
class TXObjectList : public TXCustomObjectList {
    X_CLASS(TXObjectList, TXCustomObjectList)
public:
    TClass ItemClass() const override { return T::StaticClass(); }
    // A T made with its base construction, added.
    T* AddNew() override
    {
        T* Item = T::Create();
        Add(Item);
        return Item;
    }

protected:
    TXObjectList() = default;
};

// ---- Owned collections -------------------------------------------------------------------

// Modes of MergeFrom for a source item whose display name an item here has already (letter
// case ignored), and for one whose name is new here.
enum TXMergeMode : int {
    xmmSkipExisting = 0,     // skip it; a new one is appended
    xmmAppend = 1,           // append a copy either way (also any unknown mode)
    xmmRaiseOnExisting = 2,  // EListError "Duplicate: " + name; a new one is appended
    xmmAssignOrAppend = 3,   // assign it to the item of that name; a new one is appended
    xmmAssignExisting = 4    // assign it to the item of that name; a new one is skipped
};

class TXCustomCollection : public TOwnedCollection {
    X_CLASS(TXCustomCollection, TOwnedCollection)
public:
    // When set, Merge of TXCollection sorts after merging.
    bool Sorted() const { return FSorted; }
    void SetSorted(bool AValue) { FSorted = AValue; }

    // For every item of ASource in order: Add, then Assign from it.
    void AppendFrom(TCollection* ASource);
    // See TXMergeMode. Copies appended before a duplicate raises stay.
    void MergeFrom(TCollection* ASource, int AMode);
    // Mirrors ASource by display name (letter case counts), reusing the items of a name.
    void SyncByName(TCollection* ASource);
    // The first item whose display name equals AName, letter case ignored; -1 when none.
    int IndexOfName(const String& AName) const { return IndexOfName(this, AName); }
    static int IndexOfName(const TCollection* ACollection, const String& AName);
    TCollectionItem* FindByName(const String& AName) const;
    void DeleteByName(const String& AName);
    // Passes the flag on to every item when the item class is a TXCollectionItem.
    void SetDataStorable(bool AValue);

protected:
    TXCustomCollection() = default;

private:
    bool FSorted = false;
};

// Orders two items by CompareText of their display names.
template <class T>
class TXCollectionNameAscComparer final : public IComparer<T*> {
public:
    int Compare(T* const& ALeft, T* const& ARight) const override
    {
        return CompareText(ALeft->GetDisplayName(), ARight->GetDisplayName());
    }
};

namespace XCollectionsDetail {
// Sorts AItems with AComparer: a quicksort with the middle item as pivot, not stable.
void QuickSortItems(std::vector<TCollectionItem*>& AItems,
                    const std::function<int(TCollectionItem*, TCollectionItem*)>& ACompare);
// Moves the items of ACollection into the order of AItems, keeping each object.
void ApplyOrder(TCollection* ACollection, const std::vector<TCollectionItem*>& AItems);
}  // namespace XCollectionsDetail

// An owned collection of T items. Create(AOwner) makes T items; Create(AOwner, AItemClass) makes
// AItemClass items when that class descends from T, else T items. InitCollection runs first.
template <class T>
class TXCollection : public TXCustomCollection {
    X_CLASS(TXCollection, TXCustomCollection)
public:
    T* Add() { return static_cast<T*>(TCollection::Add()); }
    T* Items(int AIndex) const { return static_cast<T*>(TCollection::Items(AIndex)); }

    // Empty until the first Sort, which sets a TXCollectionNameAscComparer.
    const TComparerRef<T*>& Comparer() const { return FComparer; }
    void SetComparer(TComparerRef<T*> AValue) { FComparer = std::move(AValue); }

    void Merge(TCollection* ASource, int AMode)
    {
        MergeFrom(ASource, AMode);
        if (Sorted())
            Sort();
    }
    // Reorders the items by Comparer; the item objects stay the same.
    void Sort()
    {
        if (!FComparer)
            FComparer = std::make_shared<TXCollectionNameAscComparer<T>>();
        if (Count() == 0)
            return;
        std::vector<TCollectionItem*> Order;
        for (int I = 0; I < Count(); ++I)
            Order.push_back(TCollection::Items(I));
        XCollectionsDetail::QuickSortItems(Order, [this](TCollectionItem* A, TCollectionItem* B) {
            return FComparer->Compare(static_cast<T*>(A), static_cast<T*>(B));
        });
        XCollectionsDetail::ApplyOrder(this, Order);
    }

protected:
    TXCollection() = default;
    // Runs before the collection is built, so that descendants can prepare what it needs.
    virtual void InitCollection() {}
    virtual void Construct(TPersistent* AOwner) { Construct(AOwner, T::StaticClass()); }
    void Construct(TPersistent* AOwner, TClass AItemClass) override
    {
        InitCollection();
        bool OfT = AItemClass != nullptr && AItemClass->InheritsFrom(T::StaticClass());
        inherited::Construct(AOwner, OfT ? AItemClass : T::StaticClass());
    }

private:
    TComparerRef<T*> FComparer;
};

}  // namespace XCore::Collections

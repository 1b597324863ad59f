// Rtl.Lists.h: the runtime's lists: the generic Generics::TList<T> and Generics::TObjectList<T>,
// and the classic pointer TList with TObjectList, TClassList and TComponentList built on it.
// The generic and the classic family share names, so the generic one lives in namespace Generics.
// No list locks. A list takes an item out before it tells (Notify), so an owning list frees an
// object that is no longer listed; Notify must not change the list.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <type_traits>
#include <utility>
#include <vector>

#include "Rtl.Classes.h"
#include "Rtl.Comparers.h"
#include "Rtl.SysUtils.h"

enum TListNotification : uint8_t { lnAdded, lnExtracted, lnDeleted };

namespace XRtlDetail {

// Raises EArgumentOutOfRangeException "Argument out of range"; the index is not part of it.
[[noreturn]] void RaiseArgumentOutOfRange(int64_t AIndex);

// The storage and notification order shared by both families; ARaiseRangeError is the error
// each family raises for a bad index or count.
template <class T, void (*ARaiseRangeError)(int64_t)>
class TListImpl : public TObject {
    static_assert(!std::is_same_v<T, bool>, "std::vector<bool> cannot hand out references");

public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Growing fills with empty values and tells nothing; shrinking deletes the tail.
    void SetCount(int AValue)
    {
        if (AValue < 0)
            ARaiseRangeError(AValue);
        if (AValue < Count())
            DeleteRange(AValue, Count() - AValue);
        else
            FItems.resize(static_cast<size_t>(AValue));
    }
    int Capacity() const { return static_cast<int>(FItems.capacity()); }
    // A capacity below Count raises the range error.
    void SetCapacity(int AValue)
    {
        if (AValue < Count())
            ARaiseRangeError(AValue);
        if (AValue == Capacity())
            return;
        std::vector<T> Resized;
        Resized.reserve(static_cast<size_t>(AValue));
        std::move(FItems.begin(), FItems.end(), std::back_inserter(Resized));
        FItems.swap(Resized);
    }

    const T& Items(int AIndex) const
    {
        CheckIndex(AIndex);
        return FItems[static_cast<size_t>(AIndex)];
    }
    const T& operator[](int AIndex) const { return Items(AIndex); }
    // The old item is deleted (an owning list frees it), then the new one added. Putting an
    // item in its own place changes nothing: an owning list would free what it keeps.
    void SetItem(int AIndex, const T& AValue)
    {
        CheckIndex(AIndex);
        T& Slot = FItems[static_cast<size_t>(AIndex)];
        if constexpr (std::equality_comparable<T>)
            if (Slot == AValue)
                return;
        T Old = std::exchange(Slot, AValue);
        Notify(Old, lnDeleted);
        Notify(AValue, lnAdded);
    }
    const T& First() const { return Items(0); }
    const T& Last() const { return Items(Count() - 1); }

    int Add(const T& AValue)
    {
        FItems.push_back(AValue);
        Notify(FItems.back(), lnAdded);
        return Count() - 1;
    }
    // AIndex may be Count, which appends.
    void Insert(int AIndex, const T& AValue)
    {
        if (AIndex < 0 || AIndex > Count())
            ARaiseRangeError(AIndex);
        auto Inserted = FItems.insert(FItems.begin() + AIndex, AValue);
        Notify(*Inserted, lnAdded);
    }
    void Delete(int AIndex) { Notify(TakeOut(AIndex), lnDeleted); }
    void DeleteRange(int AIndex, int ACount)
    {
        if (AIndex < 0 || ACount < 0 || AIndex > Count() - ACount)
            ARaiseRangeError(AIndex);
        std::vector<T> Removed(std::make_move_iterator(FItems.begin() + AIndex),
                               std::make_move_iterator(FItems.begin() + AIndex + ACount));
        FItems.erase(FItems.begin() + AIndex, FItems.begin() + AIndex + ACount);
        for (const T& Item : Removed)
            Notify(Item, lnDeleted);
    }
    // Deletes every item and gives the memory back.
    void Clear()
    {
        DeleteRange(0, Count());
        std::vector<T>().swap(FItems);
    }
    void Exchange(int AIndex1, int AIndex2)
    {
        CheckIndex(AIndex1);
        CheckIndex(AIndex2);
        std::swap(FItems[static_cast<size_t>(AIndex1)], FItems[static_cast<size_t>(AIndex2)]);
    }
    // Moves the item at ACurIndex so that it ends at ANewIndex.
    void Move(int ACurIndex, int ANewIndex)
    {
        CheckIndex(ACurIndex);
        CheckIndex(ANewIndex);
        auto Cur = FItems.begin() + ACurIndex;
        auto New = FItems.begin() + ANewIndex;
        if (ACurIndex < ANewIndex)
            std::rotate(Cur, Cur + 1, New + 1);
        else
            std::rotate(New, Cur, Cur + 1);
    }

    auto begin() const { return FItems.cbegin(); }
    auto end() const { return FItems.cend(); }

    void BeforeDestruction() override
    {
        TObject::BeforeDestruction();
        Clear();
    }

protected:
    TListImpl() = default;

    virtual void Notify(const T& /*AItem*/, TListNotification /*AAction*/) {}
    // Takes the item out as "extracted": an owning list does not free it.
    T ExtractAt(int AIndex)
    {
        T Item = TakeOut(AIndex);
        Notify(Item, lnExtracted);
        return Item;
    }
    void CheckIndex(int AIndex) const
    {
        if (AIndex < 0 || AIndex >= Count())
            ARaiseRangeError(AIndex);
    }

    std::vector<T> FItems;

private:
    T TakeOut(int AIndex)
    {
        CheckIndex(AIndex);
        T Item = std::move(FItems[static_cast<size_t>(AIndex)]);
        FItems.erase(FItems.begin() + AIndex);
        return Item;
    }
};

}  // namespace XRtlDetail

namespace Generics {

// A list of values. IndexOf, Contains, Remove and Extract find items with the list's comparer;
// a bad index raises EArgumentOutOfRangeException.
template <class T>
class TList : public XRtlDetail::TListImpl<T, &XRtlDetail::RaiseArgumentOutOfRange> {
    X_CLASS(TList, XRtlDetail::TListImpl<T, &XRtlDetail::RaiseArgumentOutOfRange>)
public:
    const TComparerRef<T>& Comparer() const { return FComparer; }

    // Any range of T, this list included.
    template <class TRange>
    void AddRange(const TRange& AValues)
    {
        std::vector<T> Copy(std::begin(AValues), std::end(AValues));
        for (const T& Value : Copy)
            this->Add(Value);
    }
    void AddRange(std::initializer_list<T> AValues) { AddRange<std::initializer_list<T>>(AValues); }

    int IndexOf(const T& AValue) const
    {
        for (int I = 0; I < this->Count(); ++I)
            if (FComparer->Compare(this->FItems[static_cast<size_t>(I)], AValue) == 0)
                return I;
        return -1;
    }
    bool Contains(const T& AValue) const { return IndexOf(AValue) >= 0; }
    // Deletes the first equal item; its former index, or -1.
    int Remove(const T& AValue)
    {
        int Index = IndexOf(AValue);
        if (Index >= 0)
            this->Delete(Index);
        return Index;
    }
    // Takes the first equal item out without deleting it; the empty value when none.
    T Extract(const T& AValue)
    {
        int Index = IndexOf(AValue);
        return Index >= 0 ? this->ExtractAt(Index) : T{};
    }

    // Stable, so equal items keep their order. A null comparer stands for the list's own.
    void Sort() { Sort(FComparer); }
    void Sort(const TComparerRef<T>& AComparer)
    {
        const IComparer<T>& Comparer = AComparer ? *AComparer : *FComparer;
        std::stable_sort(this->FItems.begin(), this->FItems.end(),
                         [&](const T& A, const T& B) { return Comparer.Compare(A, B) < 0; });
    }

protected:
    TList() = default;
    void Construct() { FComparer = DefaultComparer<T>(); }
    // A null comparer stands for the default one.
    void Construct(TComparerRef<T> AComparer) { FComparer = AComparer ? std::move(AComparer) : DefaultComparer<T>(); }

private:
    TComparerRef<T> FComparer;
};

// A list of T objects that, while OwnsObjects (the default), frees the objects it deletes,
// clears or still holds when it is freed; Extract hands an object back without freeing it.
template <class T>
class TObjectList : public TList<T*> {
    X_CLASS(TObjectList, TList<T*>)
    static_assert(std::is_base_of_v<TObject, T>);

public:
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool AValue) { FOwnsObjects = AValue; }

protected:
    TObjectList() = default;
    void Construct() { Construct(true); }
    void Construct(bool AOwnsObjects) { Construct(nullptr, AOwnsObjects); }
    void Construct(TComparerRef<T*> AComparer, bool AOwnsObjects = true)
    {
        inherited::Construct(std::move(AComparer));
        FOwnsObjects = AOwnsObjects;
    }
    void Notify(T* const& AItem, TListNotification AAction) override
    {
        inherited::Notify(AItem, AAction);
        if (FOwnsObjects && AAction == lnDeleted && AItem != nullptr)
            AItem->Free();
    }

private:
    bool FOwnsObjects = true;
};

}  // namespace Generics

// ---- The classic pointer lists -----------------------------------------------------------

// <0, 0 or >0 as AItem1 sorts before, with or after AItem2.
using TListSortCompare = int (*)(void* AItem1, void* AItem2);

// A list of untyped pointers, found by identity; a bad index raises EListError
// "List index out of bounds (N)".
class TList : public XRtlDetail::TListImpl<void*, &RaiseListIndexError> {
    X_CLASS(TList, XRtlDetail::TListImpl<void*, &RaiseListIndexError>)
public:
    int IndexOf(void* AItem) const;
    // Deletes the first occurrence; its former index, or -1.
    int Remove(void* AItem);
    // Takes the first occurrence out without deleting it; nullptr when not listed.
    void* Extract(void* AItem);
    // Stable, so equal items keep their order.
    void Sort(TListSortCompare ACompare);

protected:
    TList() = default;
};

namespace XRtlDetail {

// Typed items of the classic lists travel as void*: objects through TObject*, so that a
// component's address is the same whichever way it went in.
inline void* ListPointer(TObject* AObject)
{
    return AObject;
}
inline void* ListPointer(TClass AClass)
{
    return const_cast<TClassInfo*>(AClass);
}
template <class TItem>
TItem ListItem(void* APointer)
{
    if constexpr (std::is_same_v<TItem, TClass>)
        return static_cast<TClass>(APointer);
    else
        return static_cast<TItem>(static_cast<TObject*>(APointer));
}

template <class TItem>
class TPointerListIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TItem;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = TItem;

    TPointerListIterator() = default;
    explicit TPointerListIterator(void* const* AAt) : FAt(AAt) {}
    TItem operator*() const { return ListItem<TItem>(*FAt); }
    TPointerListIterator& operator++()
    {
        ++FAt;
        return *this;
    }
    TPointerListIterator operator++(int)
    {
        TPointerListIterator Old = *this;
        ++FAt;
        return Old;
    }
    friend bool operator==(const TPointerListIterator&, const TPointerListIterator&) = default;

private:
    void* const* FAt = nullptr;
};

// Typed access over a classic list: hides the untyped operations with TItem ones. TBase is
// TList or one of its descendants; the typed calls go to TList's untyped ones.
template <class TBase, class TItem>
class TTypedPointerList : public TBase {
    using TUntyped = ::TList;

public:
    TItem Items(int AIndex) const { return ListItem<TItem>(TUntyped::Items(AIndex)); }
    TItem operator[](int AIndex) const { return Items(AIndex); }
    void SetItem(int AIndex, TItem AItem) { TUntyped::SetItem(AIndex, ListPointer(AItem)); }
    TItem First() const { return Items(0); }
    TItem Last() const { return Items(this->Count() - 1); }
    int Add(TItem AItem) { return TUntyped::Add(ListPointer(AItem)); }
    void Insert(int AIndex, TItem AItem) { TUntyped::Insert(AIndex, ListPointer(AItem)); }
    int IndexOf(TItem AItem) const { return TUntyped::IndexOf(ListPointer(AItem)); }
    int Remove(TItem AItem) { return TUntyped::Remove(ListPointer(AItem)); }
    TItem Extract(TItem AItem) { return ListItem<TItem>(TUntyped::Extract(ListPointer(AItem))); }

    TPointerListIterator<TItem> begin() const { return TPointerListIterator<TItem>(this->FItems.data()); }
    TPointerListIterator<TItem> end() const
    {
        return TPointerListIterator<TItem>(this->FItems.data() + this->FItems.size());
    }

protected:
    TTypedPointerList() = default;
};

}  // namespace XRtlDetail

// A list of objects that, while OwnsObjects (the default), frees the objects it deletes, clears
// or still holds when it is freed; Extract hands an object back without freeing it.
class TObjectList : public XRtlDetail::TTypedPointerList<TList, TObject*> {
    X_CLASS(TObjectList, XRtlDetail::TTypedPointerList<TList, TObject*>)
public:
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool AValue) { FOwnsObjects = AValue; }
    // The class every listed object descends from: readers that make objects for the list from
    // a class their data names make no other. Any object here.
    virtual TClass ItemClass() const { return TObject::StaticClass(); }

protected:
    TObjectList() = default;
    void Construct() { Construct(true); }
    void Construct(bool AOwnsObjects) { FOwnsObjects = AOwnsObjects; }
    void Notify(void* const& AItem, TListNotification AAction) override;

private:
    bool FOwnsObjects = true;
};

class TClassList : public XRtlDetail::TTypedPointerList<TList, TClass> {
    X_CLASS(TClassList, XRtlDetail::TTypedPointerList<TList, TClass>)
protected:
    TClassList() = default;
};

// An object list of components that drops a component when it is freed elsewhere: the list
// asks each listed component for a free notification.
class TComponentList : public XRtlDetail::TTypedPointerList<TObjectList, TComponent*> {
    X_CLASS(TComponentList, XRtlDetail::TTypedPointerList<TObjectList, TComponent*>)
public:
    TClass ItemClass() const override { return TComponent::StaticClass(); }

protected:
    TComponentList() = default;
    ~TComponentList() override;
    void Construct() { Construct(true); }
    void Construct(bool AOwnsObjects);
    void Notify(void* const& AItem, TListNotification AAction) override;

private:
    TComponent* FNexus = nullptr;   // owned; hears the listed components' free notifications
};

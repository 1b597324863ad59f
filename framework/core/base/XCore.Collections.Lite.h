// XCore.Collections.Lite.h: a minimal growable list of records without change notifications,
// and its keyed form, for the hot internal lists (the error store, observer lists).
// Nothing here locks: owners wrap the lists in their own lock.
#pragma once

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "Rtl.Comparers.h"
#include "Rtl.Objects.h"
#include "Rtl.SysUtils.h"
#include "XCore.Types.h"

// Items has the capacity as its length; the slots from Count on hold default values, never
// live ones, so nothing is finalised twice.
template <class T>
class TXLiteList : public TObject {
    X_CLASS(TXLiteList, TObject)
public:
    int Count() const { return FCount; }
    int GetCapacity() const { return static_cast<int>(FItems.size()); }
    void SetCapacity(int AValue);
    // Raises EArgumentOutOfRangeException for a negative count; growing beyond the capacity
    // makes the capacity exactly AValue.
    void SetCount(int AValue);
    // Empty: the capacity becomes AMinCount; otherwise it doubles until it reaches AMinCount.
    void Grow(int AMinCount);

    int Add(const T& AItem);
    void Delete(int AIndex);
    void RemoveAt(int AIndex) { Delete(AIndex); }
    void DeleteRange(int AIndex, int ACount);
    // Count 0 and capacity 0.
    void Clear();
    const T& GetItem(int AIndex) const;
    // The slot itself, unchecked: only for an index below Count.
    T* GetPItem(int AIndex) { return &FItems[static_cast<size_t>(AIndex)]; }
    const TComparerRef<T>& Comparer() const { return FComparer; }

protected:
    TXLiteList() = default;
    void Construct(TComparerRef<T> AComparer = nullptr) { FComparer = AComparer ? AComparer : DefaultComparer<T>(); }
    // Raises EListError with AMessage, its "%d" replaced by AData.
    [[noreturn]] virtual void Error(const String& AMessage, int64_t AData);

private:
    void CheckIndex(int AIndex) const;
    [[noreturn]] static void RaiseOutOfRange() { throw EArgumentOutOfRangeException(SArgumentOutOfRange); }

    std::vector<T> FItems;
    int FCount = 0;
    TComparerRef<T> FComparer;
};

// Pairs compared by key first and, on equal keys, by value.
template <class K, class V>
class TXLitePairs : public TXLiteList<TXPair<K, V>> {
    X_CLASS(TXLitePairs, TXLiteList<TXPair<K, V>>)
public:
    using TPairType = TXPair<K, V>;
    int ComparePairs(const TPairType& ALeft, const TPairType& ARight) const
    {
        return this->Comparer()->Compare(ALeft, ARight);
    }
    const TComparerRef<K>& KeyComparer() const { return FKeyComparer; }
    const TComparerRef<V>& ValueComparer() const { return FValueComparer; }

protected:
    TXLitePairs() = default;
    void Construct(TComparerRef<K> AKeyComparer = nullptr, TComparerRef<V> AValueComparer = nullptr)
    {
        FKeyComparer = AKeyComparer ? AKeyComparer : DefaultComparer<K>();
        FValueComparer = AValueComparer ? AValueComparer : DefaultComparer<V>();
        inherited::Construct(MakePairComparer(FKeyComparer, FValueComparer));
    }

private:
    TComparerRef<K> FKeyComparer;
    TComparerRef<V> FValueComparer;
};

// ---- TXLiteList --------------------------------------------------------------------------

template <class T>
void TXLiteList<T>::SetCapacity(int AValue)
{
    if (AValue < FCount)
        SetCount(AValue);
    FItems.resize(static_cast<size_t>(AValue));
}

template <class T>
void TXLiteList<T>::SetCount(int AValue)
{
    if (AValue < 0)
        RaiseOutOfRange();
    if (AValue > GetCapacity())
        SetCapacity(AValue);
    if (AValue < FCount)
        DeleteRange(AValue, FCount - AValue);
    FCount = AValue;
}

template <class T>
void TXLiteList<T>::Grow(int AMinCount)
{
    int Capacity = GetCapacity();
    if (Capacity == 0) {
        SetCapacity(AMinCount);
        return;
    }
    while (Capacity < AMinCount) {
        if (Capacity & (1 << 30))
            throw EOutOfMemory(SOutOfMemory);
        Capacity *= 2;
    }
    SetCapacity(Capacity);
}

template <class T>
int TXLiteList<T>::Add(const T& AItem)
{
    if (FCount == GetCapacity()) {
        if (FCount == std::numeric_limits<int>::max())
            throw EOutOfMemory(SOutOfMemory);
        Grow(FCount + 1);
    }
    FItems[static_cast<size_t>(FCount)] = AItem;
    return FCount++;
}

template <class T>
void TXLiteList<T>::Delete(int AIndex)
{
    CheckIndex(AIndex);
    DeleteRange(AIndex, 1);
}

template <class T>
void TXLiteList<T>::DeleteRange(int AIndex, int ACount)
{
    if (AIndex < 0 || ACount < 0 || AIndex > FCount - ACount)
        RaiseOutOfRange();
    if (ACount == 0)
        return;
    // The removed items are moved out and finalised after the list is consistent again.
    std::vector<T> Removed(std::make_move_iterator(FItems.begin() + AIndex),
                           std::make_move_iterator(FItems.begin() + AIndex + ACount));
    std::move(FItems.begin() + AIndex + ACount, FItems.begin() + FCount, FItems.begin() + AIndex);
    std::fill(FItems.begin() + (FCount - ACount), FItems.begin() + FCount, T{});
    FCount -= ACount;
}

template <class T>
void TXLiteList<T>::Clear()
{
    FCount = 0;
    FItems.clear();
    FItems.shrink_to_fit();
}

template <class T>
const T& TXLiteList<T>::GetItem(int AIndex) const
{
    CheckIndex(AIndex);
    return FItems[static_cast<size_t>(AIndex)];
}

template <class T>
void TXLiteList<T>::Error(const String& AMessage, int64_t AData)
{
    String Message = AMessage;
    if (size_t At = Message.find("%d"); At != String::npos)
        Message.replace(At, 2, IntToStr(AData));
    throw EListError(Message);
}

template <class T>
void TXLiteList<T>::CheckIndex(int AIndex) const
{
    if (AIndex < 0 || AIndex >= FCount)
        RaiseOutOfRange();
}

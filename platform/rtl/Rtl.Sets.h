// Rtl.Sets.h: Pascal sets of small enumerations or integers (elements 0..63), as a bit mask.
// Bit N stands for the element with ordinal N, as in a Delphi set's memory image.
#pragma once

#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> AItems)
    {
        for (E Item : AItems)
            Include(Item);
    }
    static constexpr TSet FromBits(uint64_t ABits)
    {
        TSet Result;
        Result.FBits = ABits;
        return Result;
    }

    constexpr uint64_t Bits() const { return FBits; }
    constexpr bool Contains(E AItem) const { return Ordinal(AItem) < 64 && (FBits & Mask(AItem)) != 0; }
    constexpr bool IsEmpty() const { return FBits == 0; }
    // Elements outside 0..63 have no place in the set and are ignored.
    constexpr TSet& Include(E AItem)
    {
        FBits |= Mask(AItem);
        return *this;
    }
    constexpr TSet& Exclude(E AItem)
    {
        FBits &= ~Mask(AItem);
        return *this;
    }

    friend constexpr TSet operator+(TSet A, TSet B) { return FromBits(A.FBits | B.FBits); }
    friend constexpr TSet operator-(TSet A, TSet B) { return FromBits(A.FBits & ~B.FBits); }
    friend constexpr TSet operator*(TSet A, TSet B) { return FromBits(A.FBits & B.FBits); }
    friend constexpr bool operator==(TSet A, TSet B) = default;
    // A <= B: every element of A is in B.
    friend constexpr bool operator<=(TSet A, TSet B) { return (A.FBits & ~B.FBits) == 0; }

private:
    static constexpr uint64_t Ordinal(E AItem) { return static_cast<uint64_t>(AItem); }
    static constexpr uint64_t Mask(E AItem) { return Ordinal(AItem) < 64 ? uint64_t(1) << Ordinal(AItem) : 0; }

    uint64_t FBits = 0;
};

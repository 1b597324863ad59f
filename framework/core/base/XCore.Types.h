// XCore.Types.h: small value types and helpers used across the framework: bit helpers, the
// length-unit conversion, the nested-update counter, procedure-or-method records, pairs,
// interface probes, unique component names and creation from a class reference.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "Rtl.Classes.h"
#include "Rtl.Comparers.h"
#include "Rtl.Interfaces.h"
#include "Rtl.Methods.h"
#include "Rtl.TypInfo.h"

X_ENUM(TXUnits, muPixels, muHiMetric, muHiEnglish, muMilimeters, muCenimeters, muInches, muTwips, muPoints, muScreen);
// The subrange muPixels..muHiMetric.
using TXDocumentUnits = TXUnits;

// Value with bit ABit set (AState) or cleared; bits of 32 or more leave it unchanged.
uint32_t SetBit(uint32_t AValue, unsigned ABit, bool AState);
uint32_t SetBits(uint32_t AValue, std::initializer_list<unsigned> ABits, bool AState);
// False for bits of 32 or more.
bool GetBit(uint32_t AValue, unsigned ABit);
uint64_t SetBit64(uint8_t ABit, bool AState, uint64_t AValue);
// Hundredths of a millimetre to pixels at ADPI (0 leaves AValue as it is), ties to even.
int32_t MetricToPixels(uint16_t ADPI, int32_t AValue);

// A nested update counter that works as a plain field: a zeroed counter is idle.
struct TXUpdateCounter {
    int32_t Count = 0;
    bool Active = false;

    void BeginUpdate();
    // The call that takes Count from 1 to 0 makes the counter idle again.
    void EndUpdate();
    // Callers fire their change notification only when idle.
    bool IsIdle() const { return !Active; }
};

// A plain procedure (Data empty) or a method (Code called with Data as its object).
struct TXAnyProcedure {
    using TProcedure = void (*)();
    using TMethodCode = TMethod<void()>::TCode;

    void* Code = nullptr;
    void* Data = nullptr;

    static TXAnyProcedure FromMethod(const TMethod<void()>& AMethod);
    static TXAnyProcedure FromProcedure(TProcedure AProcedure);
    void Invoke() const;
};

// Equal exactly when Code and Data are both equal; ordered by Code, then by Data.
class TXAnyProcedureComparer final : public IComparer<TXAnyProcedure> {
public:
    int Compare(const TXAnyProcedure& ALeft, const TXAnyProcedure& ARight) const override;
};

template <class K, class V>
struct TXPair {
    K Key{};
    V Value{};

    static TXPair Create(const K& AKey, const V& AValue) { return TXPair{AKey, AValue}; }
};

// Orders pairs by key and, on equal keys, by value.
template <class K, class V>
TComparerRef<TXPair<K, V>> MakePairComparer(TComparerRef<K> AKeys, TComparerRef<V> AValues)
{
    return MakeComparer<TXPair<K, V>>([AKeys, AValues](const TXPair<K, V>& A, const TXPair<K, V>& B) {
        int Result = AKeys->Compare(A.Key, B.Key);
        return Result != 0 ? Result : AValues->Compare(A.Value, B.Value);
    });
}

// Delphi's Supports with the object's own QueryInterface honoured: see Supports.
template <class I>
bool SupportsInterface(TObject* AObject, TIntf<I>& AIntf)
{
    return Supports(AObject, AIntf);
}

// ABaseName, else ABaseName1, ABaseName2, ... : the first that the owner's ValidateRename
// (the component's own without an owner) accepts.
String MakeUniqueComponentName(TComponent* AComponent, const String& ABaseName);
// The registered class of that name, or nullptr.
TClass TryFindClass(const String& AClassName);
// A new object of AClass made with its family's base constructor, so that the class's Init,
// Clear and SetDataStorable hooks set it up; nullptr for nullptr or when construction raises.
TObject* CreateInstanceOf(TClass AClass);

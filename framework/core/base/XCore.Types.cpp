// XCore.Types.cpp: bit helpers, unit conversion, update counters, procedure records and
// creation helpers.
#include "XCore.Types.h"

#include "Rtl.SysUtils.h"
#include "XCore.Classes.h"

uint32_t SetBit(uint32_t AValue, unsigned ABit, bool AState)
{
    if (ABit >= 32)
        return AValue;
    uint32_t Mask = uint32_t(1) << ABit;
    return AState ? (AValue | Mask) : (AValue & ~Mask);
}

uint32_t SetBits(uint32_t AValue, std::initializer_list<unsigned> ABits, bool AState)
{
    for (unsigned Bit : ABits)
        AValue = SetBit(AValue, Bit, AState);
    return AValue;
}

bool GetBit(uint32_t AValue, unsigned ABit)
{
    return ABit < 32 && (AValue & (uint32_t(1) << ABit)) != 0;
}

uint64_t SetBit64(uint8_t ABit, bool AState, uint64_t AValue)
{
    if (ABit >= 64)
        return AValue;
    uint64_t Mask = uint64_t(1) << ABit;
    return AState ? (AValue | Mask) : (AValue & ~Mask);
}

int32_t MetricToPixels(uint16_t ADPI, int32_t AValue)
{
    if (ADPI == 0)
        return AValue;
    // A 64-bit product: large values at high DPI overflow 32 bits.
    return static_cast<int32_t>(Round(static_cast<double>(static_cast<int64_t>(AValue) * ADPI) / 2540.0));
}

void TXUpdateCounter::BeginUpdate()
{
    if (!Active) {
        Count = 1;
        Active = true;
    } else {
        ++Count;
    }
}

void TXUpdateCounter::EndUpdate()
{
    --Count;
    if (Count == 0)
        Active = false;
}

TXAnyProcedure TXAnyProcedure::FromMethod(const TMethod<void()>& AMethod)
{
    return TXAnyProcedure{reinterpret_cast<void*>(AMethod.Code()), AMethod.Data()};
}

TXAnyProcedure TXAnyProcedure::FromProcedure(TProcedure AProcedure)
{
    return TXAnyProcedure{reinterpret_cast<void*>(AProcedure), nullptr};
}

void TXAnyProcedure::Invoke() const
{
    if (Data != nullptr)
        reinterpret_cast<TMethodCode>(Code)(Data);
    else
        reinterpret_cast<TProcedure>(Code)();
}

int TXAnyProcedureComparer::Compare(const TXAnyProcedure& ALeft, const TXAnyProcedure& ARight) const
{
    std::less<const void*> Less;
    if (ALeft.Code != ARight.Code)
        return Less(ALeft.Code, ARight.Code) ? -1 : 1;
    if (ALeft.Data != ARight.Data)
        return Less(ALeft.Data, ARight.Data) ? -1 : 1;
    return 0;
}

String MakeUniqueComponentName(TComponent* AComponent, const String& ABaseName)
{
    TComponent* Validator = AComponent->Owner() != nullptr ? AComponent->Owner() : AComponent;
    String Name = ABaseName;
    for (int Counter = 1;; ++Counter) {
        try {
            Validator->ValidateRename(AComponent, AComponent->Name(), Name);
            return Name;
        } catch (const Exception&) {
            Name = ABaseName + IntToStr(Counter);
        }
    }
}

TClass TryFindClass(const String& AClassName)
{
    return GetClass(AClassName);
}

TObject* CreateInstanceOf(TClass AClass)
{
    if (AClass == nullptr)
        return nullptr;
    try {
        if (AClass->InheritsFrom(TCollectionItem::StaticClass()))
            return XCreateFromClass<TCollectionItem>(AClass, static_cast<TCollection*>(nullptr));
        if (AClass->InheritsFrom(TXPersistent::StaticClass()))
            return XCreateFromClass<TXPersistent>(AClass);
        if (AClass->InheritsFrom(TXManagedObject::StaticClass()))
            return XCreateFromClass<TXManagedObject>(AClass, rcmNone);
        if (AClass->InheritsFrom(TXObject::StaticClass()))
            return XCreateFromClass<TXObject>(AClass);
        if (AClass->InheritsFrom(TComponent::StaticClass()))
            return XCreateFromClass<TComponent>(AClass, static_cast<TComponent*>(nullptr));
        return XCreateFromClass<TObject>(AClass);
    } catch (...) {
        return nullptr;
    }
}

// XCore.Services.cpp: the service registry over pair lists.
#include "XCore.Services.h"

namespace {

template <class K, class V>
int IndexOfKey(const TXLitePairs<K, V>& APairs, K AKey)
{
    for (int I = 0; I < APairs.Count(); ++I)
        if (APairs.GetItem(I).Key == AKey)
            return I;
    return -1;
}

template <class T>
int IndexOfItem(const TXLiteList<T>& AList, T AItem)
{
    for (int I = 0; I < AList.Count(); ++I)
        if (AList.GetItem(I) == AItem)
            return I;
    return -1;
}

template <class K, class V>
void SetValue(TXLitePairs<K, V>& APairs, K AKey, V AValue)
{
    if (int At = IndexOfKey(APairs, AKey); At >= 0)
        APairs.GetPItem(At)->Value = AValue;
    else
        APairs.Add({AKey, AValue});
}

template <class K, class V>
void RemoveKey(TXLitePairs<K, V>& APairs, K AKey)
{
    if (int At = IndexOfKey(APairs, AKey); At >= 0)
        APairs.Delete(At);
}

}  // namespace

void TXServiceManager::Init()
{
    inherited::Init();
    FServices = TXLitePairs<TClass, TObject*>::Create();
    FAliases = TXLitePairs<TClass, TClass>::Create();
    FOwned = TXLiteList<TObject*>::Create();
}

TXServiceManager::~TXServiceManager()
{
    if (FOwned != nullptr)
        for (int I = FOwned->Count() - 1; I >= 0; --I)
            FOwned->GetItem(I)->Free();
    FreeAndNil(FOwned);
    FreeAndNil(FAliases);
    FreeAndNil(FServices);
}

void TXServiceManager::RegisterServiceOf(TClass AClass, TObject* AInstance)
{
    SetServiceOf(AClass, AInstance);
    if (AInstance != nullptr && IndexOfItem(*FOwned, AInstance) < 0)
        FOwned->Add(AInstance);
}

void TXServiceManager::SetServiceOf(TClass AClass, TObject* AInstance)
{
    // The same instance again: freeing it first would leave a dangling registration.
    if (AInstance != nullptr && GetServiceOf(AClass) == AInstance)
        return;
    RemoveServiceOf(AClass);
    SetValue(*FServices, AClass, AInstance);
    TClass Actual = AInstance != nullptr ? AInstance->ClassType() : nullptr;
    if (Actual != nullptr && Actual != AClass && IndexOfKey(*FServices, Actual) < 0) {
        FServices->Add({Actual, AInstance});
        FAliases->Add({AClass, Actual});
    }
}

void TXServiceManager::RemoveServiceOf(TClass AClass)
{
    TObject* Instance = GetServiceOf(AClass);
    RemoveKey(*FServices, AClass);
    if (int At = IndexOfKey(*FAliases, AClass); At >= 0) {
        RemoveKey(*FServices, FAliases->GetItem(At).Value);
        FAliases->Delete(At);
    }
    if (Instance != nullptr)
        Release(Instance);
}

TObject* TXServiceManager::GetServiceOf(TClass AClass) const
{
    int At = IndexOfKey(*FServices, AClass);
    return At >= 0 ? FServices->GetItem(At).Value : nullptr;
}

void TXServiceManager::Release(TObject* AInstance)
{
    int At = IndexOfItem(*FOwned, AInstance);
    if (At < 0)
        return;
    FOwned->Delete(At);
    // Removing an alias class directly leaves the registered class naming the instance.
    for (int I = FServices->Count() - 1; I >= 0; --I) {
        TClass Key = FServices->GetItem(I).Key;
        if (FServices->GetItem(I).Value != AInstance)
            continue;
        FServices->Delete(I);
        for (int J = FAliases->Count() - 1; J >= 0; --J)
            if (FAliases->GetItem(J).Key == Key || FAliases->GetItem(J).Value == Key)
                FAliases->Delete(J);
    }
    AInstance->Free();
}

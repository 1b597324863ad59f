// XCore.Services.h: a registry of application services keyed by class: one instance per class,
// found by whoever asks for that class. An instance of a subclass registered under a class is
// also found under its own class, unless that class has a registration of its own.
// Not locked: services are registered and looked up on the UI thread.
#pragma once

#include "XCore.Classes.h"
#include "XCore.Collections.Lite.h"

class TXServiceManager : public TXNamedPersistent {
    X_CLASS(TXServiceManager, TXNamedPersistent)
public:
    // Stores AInstance under T and takes ownership: the manager frees it when it is replaced,
    // removed or the manager goes.
    template <class T>
    void RegisterService(T* AInstance)
    {
        RegisterServiceOf(T::StaticClass(), AInstance);
    }
    // Stores AInstance under T without taking ownership; replaces (and frees, when owned) the
    // instance registered under T before, unless it is the same one.
    template <class T>
    void SetService(T* AInstance)
    {
        SetServiceOf(T::StaticClass(), AInstance);
    }
    // Removes T's registration and the alias it made; frees the instance when owned.
    template <class T>
    void RemoveService()
    {
        RemoveServiceOf(T::StaticClass());
    }
    // The instance stored under exactly T, or nullptr.
    template <class T>
    T* GetService() const
    {
        return static_cast<T*>(GetServiceOf(T::StaticClass()));
    }

    void RegisterServiceOf(TClass AClass, TObject* AInstance);
    void SetServiceOf(TClass AClass, TObject* AInstance);
    void RemoveServiceOf(TClass AClass);
    TObject* GetServiceOf(TClass AClass) const;

protected:
    TXServiceManager() = default;
    ~TXServiceManager() override;
    void Init() override;

private:
    // Frees AInstance when owned, and forgets every pair that still names it.
    void Release(TObject* AInstance);

    TXLitePairs<TClass, TObject*>* FServices = nullptr;   // in insertion order
    TXLitePairs<TClass, TClass>* FAliases = nullptr;      // registered class -> actual class
    TXLiteList<TObject*>* FOwned = nullptr;
};

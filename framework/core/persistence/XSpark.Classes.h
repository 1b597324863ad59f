// XSpark.Classes.h: the component that carries its own observable, so that observers subscribe
// at the component itself. Its observable is bound to the owner's engine when the owner is one,
// else to the core application's; the core application must outlive the component.
#pragma once

#include "XCore.Classes.h"
#include "XCore.Engine.h"

class TXObservableComponent : public TXComponent, public virtual IXObservable {
    X_CLASS(TXObservableComponent, TXComponent)
    X_INTERFACES(IXObservable)
public:
    XCore::Engine::TXContainedObservable* Observable() const { return FObservable; }
    TIntf<IXObservable> GetObservable() const { return TIntf<IXObservable>(FObservable); }

    // Every subscription and notification goes to the contained observable.
    void SubscribeNamed(const String& AName, TClass AAspectClass, TXNotificationHandler AHandler) override;
    void Subscribe(TClass AAspectClass, TXNotificationHandler AHandler) override;
    void SubscribeAll(TXNotificationHandler AHandler) override;
    void SubscribeNamedWithKeeper(const String& AName, TClass AAspectClass, TIntf<IXObserverKeeper>& AKeeper,
                                  TNotifyEvent AGoneCallback, TXNotificationHandler AHandler) override;
    void SubscribeWithKeeper(TClass AAspectClass, TIntf<IXObserverKeeper>& AKeeper, TNotifyEvent AGoneCallback,
                             TXNotificationHandler AHandler) override;
    void SubscribeAllWithKeeper(TIntf<IXObserverKeeper>& AKeeper, TNotifyEvent AGoneCallback,
                                TXNotificationHandler AHandler) override;
    void Unsubscribe(TClass AAspectClass, TXNotificationHandler AHandler) override;
    void UnsubscribeHandler(TXNotificationHandler AHandler) override;
    void UnsubscribeObserver(TObject* AObserver) override;
    void UnsubscribeInterface(IInterface* AObserver) override;
    void UnsubscribeKeeper(IXObserverKeeper* AKeeper) override;
    void Notify(const TIntf<IXNotification>& ANotification) override;
    void SendNotification(const TIntf<IXNotification>& ANotification) override;
    void PostNotification(const TIntf<IXNotification>& ANotification) override;
    TObject* GetContainer() override { return this; }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXObservableComponent() = default;
    ~TXObservableComponent() override;
    void Construct(TComponent* AOwner) override;

private:
    XCore::Engine::TXContainedObservable* FObservable = nullptr;   // owned
};

// The engine an observable of AOwner's belongs to: the owner's when it is an engine, else the
// core application's (nullptr before there is one).
TIntf<IXEngine> OwnerEngine(TComponent* AOwner);

// XSpark.Classes.cpp: the observable component.
#include "XSpark.Classes.h"

#include "XCore.App.h"

using XCore::Engine::TXContainedObservable;

TIntf<IXEngine> OwnerEngine(TComponent* AOwner)
{
    TIntf<IXEngine> Engine;
    if (Supports(AOwner, Engine))
        return Engine;
    if (TXNVCoreApp* App = NVCoreApp())
        return TIntf<IXEngine>(App->Engine());
    return nullptr;
}

void TXObservableComponent::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FObservable = TXContainedObservable::Create(OwnerEngine(AOwner), static_cast<TObject*>(this));
}

TXObservableComponent::~TXObservableComponent()
{
    FreeAndNil(FObservable);
}

void TXObservableComponent::SubscribeNamed(const String& AName, TClass AAspectClass, TXNotificationHandler AHandler)
{
    FObservable->SubscribeNamed(AName, AAspectClass, AHandler);
}

void TXObservableComponent::Subscribe(TClass AAspectClass, TXNotificationHandler AHandler)
{
    FObservable->Subscribe(AAspectClass, AHandler);
}

void TXObservableComponent::SubscribeAll(TXNotificationHandler AHandler)
{
    FObservable->SubscribeAll(AHandler);
}

void TXObservableComponent::SubscribeNamedWithKeeper(const String& AName, TClass AAspectClass,
                                                     TIntf<IXObserverKeeper>& AKeeper, TNotifyEvent AGoneCallback,
                                                     TXNotificationHandler AHandler)
{
    FObservable->SubscribeNamedWithKeeper(AName, AAspectClass, AKeeper, AGoneCallback, AHandler);
}

void TXObservableComponent::SubscribeWithKeeper(TClass AAspectClass, TIntf<IXObserverKeeper>& AKeeper,
                                                TNotifyEvent AGoneCallback, TXNotificationHandler AHandler)
{
    FObservable->SubscribeWithKeeper(AAspectClass, AKeeper, AGoneCallback, AHandler);
}

void TXObservableComponent::SubscribeAllWithKeeper(TIntf<IXObserverKeeper>& AKeeper, TNotifyEvent AGoneCallback,
                                                   TXNotificationHandler AHandler)
{
    FObservable->SubscribeAllWithKeeper(AKeeper, AGoneCallback, AHandler);
}

void TXObservableComponent::Unsubscribe(TClass AAspectClass, TXNotificationHandler AHandler)
{
    FObservable->Unsubscribe(AAspectClass, AHandler);
}

void TXObservableComponent::UnsubscribeHandler(TXNotificationHandler AHandler)
{
    FObservable->UnsubscribeHandler(AHandler);
}

void TXObservableComponent::UnsubscribeObserver(TObject* AObserver)
{
    FObservable->UnsubscribeObserver(AObserver);
}

void TXObservableComponent::UnsubscribeInterface(IInterface* AObserver)
{
    FObservable->UnsubscribeInterface(AObserver);
}

void TXObservableComponent::UnsubscribeKeeper(IXObserverKeeper* AKeeper)
{
    FObservable->UnsubscribeKeeper(AKeeper);
}

void TXObservableComponent::Notify(const TIntf<IXNotification>& ANotification)
{
    FObservable->Notify(ANotification);
}

void TXObservableComponent::SendNotification(const TIntf<IXNotification>& ANotification)
{
    FObservable->SendNotification(ANotification);
}

void TXObservableComponent::PostNotification(const TIntf<IXNotification>& ANotification)
{
    FObservable->PostNotification(ANotification);
}

// XCore.Engine.Interfaces.h: the interfaces of notifications, observables, gears and engines.
// Interface parameters are borrowed for the call, as Delphi's const parameters: a callee that
// keeps one (a queue) takes its own counted reference. Interfaces that extend IXObservable inherit
// it virtually, so that an observable class implementing them has one IXObservable, served by
// TXObservable's methods.
#pragma once

#include <cstdint>

#include "Rtl.Interfaces.h"
#include "Rtl.Methods.h"

namespace XCore::Collections {
template <class T>
class TXList;
}

// Interfaces that have no identity of their own carry the nil GUID, which nobody asks for.
#define X_INTERFACE_WITHOUT_ID(Parent) X_INTERFACE_ID(Parent, "{00000000-0000-0000-0000-000000000000}")

struct IXNotification;

// A handler of notifications: a method taking the notification, which it must not keep
// without taking a reference.
using TXNotificationHandler = TMethod<void(IXNotification* ANotification)>;

// The common type of queued messages.
struct IXMessage : IInterface {
    X_INTERFACE_WITHOUT_ID(IInterface);
};

struct IXNotification : IXMessage {
    X_INTERFACE_ID(IXMessage, "{5BC47003-9CEE-4E80-91C8-D767148DAD08}");
    virtual String GetText() = 0;
    virtual TObject* GetSender() = 0;
    virtual TObject* GetAspect() = 0;
};

// A command queued for a gear.
struct IXCommand : IXMessage {
    X_INTERFACE_ID(IXMessage, "{07F40CAB-175D-4210-AC33-BDF9EA8B157E}");
    virtual bool CanExecute() = 0;
    virtual bool Execute() = 0;
};

struct IXObserverKeeper : IInterface {
    X_INTERFACE_WITHOUT_ID(IInterface);
    // The observable ends before the keeper: the keeper must not reach it any more.
    virtual void ObservableGone() = 0;
};

// Subscriptions are by aspect class: a subscriber to a class hears its descendants too, and a
// name filter then restricts it to notifications with that text.
struct IXObservable : IInterface {
    X_INTERFACE_ID(IInterface, "{B20EF935-64CA-4664-8996-8386C69F511A}");
    virtual void SubscribeNamed(const String& AName, TClass AAspectClass, TXNotificationHandler AHandler) = 0;
    virtual void Subscribe(TClass AAspectClass, TXNotificationHandler AHandler) = 0;
    virtual void SubscribeAll(TXNotificationHandler AHandler) = 0;
    // AKeeper receives the subscription's keeper: releasing it unsubscribes, and AGoneCallback
    // hears (with the observable's container) when the observable ends first. When the class
    // and handler are subscribed already, AKeeper is that subscription's keeper, maybe none.
    virtual void SubscribeNamedWithKeeper(const String& AName, TClass AAspectClass, TIntf<IXObserverKeeper>& AKeeper,
                                          TNotifyEvent AGoneCallback, TXNotificationHandler AHandler) = 0;
    virtual void SubscribeWithKeeper(TClass AAspectClass, TIntf<IXObserverKeeper>& AKeeper, TNotifyEvent AGoneCallback,
                                     TXNotificationHandler AHandler) = 0;
    virtual void SubscribeAllWithKeeper(TIntf<IXObserverKeeper>& AKeeper, TNotifyEvent AGoneCallback,
                                        TXNotificationHandler AHandler) = 0;
    virtual void Unsubscribe(TClass AAspectClass, TXNotificationHandler AHandler) = 0;
    virtual void UnsubscribeHandler(TXNotificationHandler AHandler) = 0;
    // Every subscription whose handler is a method of AObserver.
    virtual void UnsubscribeObserver(TObject* AObserver) = 0;
    virtual void UnsubscribeInterface(IInterface* AObserver) = 0;
    virtual void UnsubscribeKeeper(IXObserverKeeper* AKeeper) = 0;
    // Delivers at once, in the calling thread.
    virtual void Notify(const TIntf<IXNotification>& ANotification) = 0;
    // Through the engine's queue, drained at once in the calling thread; without an engine, Notify.
    virtual void SendNotification(const TIntf<IXNotification>& ANotification) = 0;
    // Through the engine's queue, delivered later on the engine's thread; without an engine, Notify.
    virtual void PostNotification(const TIntf<IXNotification>& ANotification) = 0;
    // The object the observable speaks for: itself, or the control that owns it.
    virtual TObject* GetContainer() = 0;
};

// Forms, frames and controls that attach themselves to an observable.
struct IXObserver : IInterface {
    X_INTERFACE_ID(IInterface, "{A203CEA8-516D-48E2-BB7F-FC63B18ACCCC}");
    virtual void Observe(IXObservable* AObservable) = 0;
    virtual void Unobserve(IXObservable* AObservable) = 0;
};

struct IXNotifiable : IInterface {
    X_INTERFACE_ID(IInterface, "{116CC764-855B-44F2-89B8-6AA5E0C15A43}");
    virtual void Notify(const TIntf<IXNotification>& ANotification) = 0;
};

struct IXGearable : virtual IXObservable {
    X_INTERFACE_ID(IXObservable, "{3BD733B8-803C-4773-8654-AB0F7F6D64E9}");
    // What a queued command for this gear runs: Execute when CanExecute answers True.
    virtual bool ExecuteCommand(const TIntf<IXCommand>& ACommand) = 0;
    virtual void PostCommand(const TIntf<IXCommand>& ACommand) = 0;
    virtual void SendCommand(const TIntf<IXCommand>& ACommand) = 0;
};

struct IXGear : virtual IXGearable {
    X_INTERFACE_WITHOUT_ID(IXGearable);
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual String GetName() = 0;
    virtual bool GetActive() = 0;
    virtual void SetActive(bool AValue) = 0;
};

struct IXEngine : virtual IXGear {
    X_INTERFACE_ID(IXGear, "{C0552465-21F3-4214-A458-EE828D7C2B4F}");
    // Drops every queued message of ASender, keeping the others in order.
    virtual void RemoveMessagesFor(TObject* ASender) = 0;
    // Queues the message and drains the queue in the calling thread.
    virtual void Send(TObject* ASender, const TIntf<IXMessage>& AMessage) = 0;
    // Queues the message for delivery on the engine's thread; any thread may post.
    virtual void Post(TObject* ASender, const TIntf<IXMessage>& AMessage) = 0;
    // The first attached gear of that name (letter case counts), or none.
    virtual TIntf<IXGear> FindGear(const String& AName) = 0;
    // The attached gears; attaching code adds and removes them, on the engine's thread.
    virtual XCore::Collections::TXList<TIntf<IXGear>>* GetGears() = 0;
};

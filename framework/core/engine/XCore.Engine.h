// XCore.Engine.h: observer lists, keepers and observables; engines with their message queue,
// hidden window and gears. No lock is held while a handler or a keeper's callback runs. What is
// posted to an engine is delivered on the thread that created it, by its window procedure.
#pragma once

#include <atomic>
#include <deque>

#include "Win.Messages.h"
#include "XCore.Classes.h"
#include "XCore.Collections.Lite.h"
#include "XCore.Collections.h"
#include "XCore.Engine.Interfaces.h"
#include "XCore.Types.h"

namespace XCore::Engine {

// Posted to an engine's window to make it drain its queue (WM_APP + 200).
inline constexpr UINT XM_ENGINEQUEUE = WM_APP + 200;

// Marks a removed subscription until the outermost dispatch ends; never sent.
class TXDeletedObserverAspect : public TObject {
    X_CLASS(TXDeletedObserverAspect, TObject)
protected:
    TXDeletedObserverAspect() = default;
};

// One subscription. TObject as the class subscribes to every notification.
struct TXObserverData {
    TClass AspectClass = nullptr;
    TXNotificationHandler Handler;
    IXObserverKeeper* Keeper = nullptr;   // not counted; none for subscriptions made without
    String NameFilter;                    // empty: no filter
};

// Equal exactly when every field is; otherwise ordered field by field.
class TXObserverDataComparer final : public IComparer<TXObserverData> {
public:
    int Compare(const TXObserverData& ALeft, const TXObserverData& ARight) const override;
    // The instance every observer list shares.
    static const TComparerRef<TXObserverData>& Shared();
};

// The subscriptions of one observable. Changes run under the list's own re-entrant lock; a
// dispatch takes it only to read one entry at a time and calls the handler after leaving it, so
// a handler may wait for another thread that notifies the same observable. Handlers may
// subscribe and unsubscribe while they are called: removals then only mark entries, which the
// last dispatch to end purges. Dispatches on two threads may run handlers at the same time.
class TXObserverDataList : public TXLiteList<TXObserverData> {
    X_CLASS(TXObserverDataList, TXLiteList<TXObserverData>)
public:
    // Appends unless the class and handler are subscribed already (the filter is not compared).
    void Add(const String& ANameFilter, TClass AAspectClass, TXNotificationHandler AHandler);
    // As Add, holding ANewKeeper; answers the keeper of the subscription that stays, which is
    // that of an existing one (maybe none) when the class and handler were subscribed already.
    IXObserverKeeper* AddWithKeeper(const String& ANameFilter, TClass AAspectClass, IXObserverKeeper* ANewKeeper,
                                    TXNotificationHandler AHandler);
    int IndexOf(TClass AAspectClass, TXNotificationHandler AHandler);
    void Unsubscribe(TClass AAspectClass, TXNotificationHandler AHandler);
    void UnsubscribeHandler(TXNotificationHandler AHandler);
    void UnsubscribeObserver(TObject* AObserver);
    void UnsubscribeKeeper(IXObserverKeeper* AKeeper);
    // Calls, in subscription order, every handler subscribed to the aspect's class, and those
    // subscribed to an ancestor class whose filter is empty or equals the notification's text.
    // Handlers subscribed meanwhile are not called for this notification; one removed
    // meanwhile is not called any more.
    void Notify(IXNotification* ANotification);
    // Some subscription is to exactly that class.
    bool HasObserver(TClass AAspectClass);
    bool IsNotifying() const { return FDispatchDepth.load(std::memory_order_relaxed) > 0; }
    // Tells every keeper, last subscription first, that the observable ends.
    void ObservableGone();

protected:
    TXObserverDataList() = default;
    void Construct() { inherited::Construct(TXObserverDataComparer::Shared()); }

private:
    class TDispatchScope;

    template <class TMatch>
    void Remove(TMatch AMatch, bool AFirstOnly);
    // Under the lock: the handler of entry AIndex when it wants the notification.
    bool WantedHandler(int AIndex, TClass AAspectClass, const String& AText, TXNotificationHandler& AHandler);
    // Under the lock: entry AIndex's keeper, which the entry no longer holds.
    IXObserverKeeper* TakeKeeper(int AIndex);
    void Purge();

    std::atomic<int32_t> FDispatchDepth{0};
    bool FHasDeleted = false;
};

class TXObservable : public TXManagedObject, public virtual IXObservable {
    X_CLASS(TXObservable, TXManagedObject)
    X_INTERFACES(IXObservable)
public:
    const TIntf<IXEngine>& GetEngine() const { return FEngine; }
    // Another engine first drops what this observable still has queued on the old one.
    virtual void SetEngine(const TIntf<IXEngine>& AEngine);
    TXObserverDataList* Observers() const { return FObservers; }

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

    // Leaves the engine (dropping this observable's queued messages) and tells the keepers.
    void BeforeDestruction() override;

protected:
    TXObservable() = default;
    ~TXObservable() override;
    using TXManagedObject::Construct;
    // Delphi's Create (Engine): mode 0.
    virtual void Construct(const TIntf<IXEngine>& AEngine) { Construct(rcmNone, AEngine); }
    // CreateRefCounted (Mode, Engine).
    virtual void Construct(TXRefCountMode AMode, const TIntf<IXEngine>& AEngine);
    void Init() override;

private:
    TIntf<IXEngine> FEngine;
    TXObserverDataList* FObservers = nullptr;
};

// An observable that speaks for another object, typically the control, frame or dialog that
// owns it.
class TXContainedObservable : public TXObservable {
    X_CLASS(TXContainedObservable, TXObservable)
public:
    TObject* GetContainer() override { return FContainer; }

protected:
    TXContainedObservable() = default;
    using TXObservable::Construct;
    virtual void Construct(const TIntf<IXEngine>& AEngine, TObject* AContainer)
    {
        Construct(rcmNone, AEngine, AContainer);
    }
    virtual void Construct(TXRefCountMode AMode, const TIntf<IXEngine>& AEngine, TObject* AContainer);

private:
    TObject* FContainer = nullptr;   // not owned
};

// The subscriber's handle on a subscription: releasing the last reference unsubscribes.
class TXObserverKeeper : public TInterfacedObject, public IXObserverKeeper {
    X_CLASS(TXObserverKeeper, TInterfacedObject)
    X_INTERFACES(IXObserverKeeper)
public:
    void ObservableGone() override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }
    void BeforeDestruction() override;

protected:
    TXObserverKeeper() = default;
    // AGoneCallback hears the observable's container when the observable ends first.
    void Construct(IXObservable* AObservable, TNotifyEvent AGoneCallback);

private:
    IXObservable* FObservable = nullptr;   // not counted; cleared when the observable ends
    TNotifyEvent FGoneCallback;
};

// ---- Engines -----------------------------------------------------------------------------

struct IXHandle : IInterface {
    X_INTERFACE_WITHOUT_ID(IInterface);
    virtual HWND GetHandle() = 0;
};

// First in, first out; any thread may use it. The lock covers the queue's own changes, never a
// delivery. The queue counts its messages, not their senders.
class TXMessageQueue : public TObject {
    X_CLASS(TXMessageQueue, TObject)
public:
    using TItem = TXPair<TObject*, TIntf<IXMessage>>;

    // Queues the message, then wakes AWindow's thread to drain.
    void Post(TObject* ASender, const TIntf<IXMessage>& AMessage, HWND AWindow);
    // Queues the message and drains in the calling thread.
    void Send(TObject* ASender, const TIntf<IXMessage>& AMessage);
    // Delivers until the queue is found empty, messages queued meanwhile included. A handler's
    // exception ends the drain; what is still queued waits for the next one.
    void ProcessAll();
    void RemoveMessagesFor(TObject* ASender);

protected:
    TXMessageQueue() = default;

private:
    void Append(TObject* ASender, const TIntf<IXMessage>& AMessage);
    bool TakeFirst(TItem& AItem);

    std::deque<TItem> FItems;
};

// Owns a hidden window whose procedure is a given method.
class TXHandleManager : public TXManagedObject, public IXHandle {
    X_CLASS(TXHandleManager, TXManagedObject)
    X_INTERFACES(IXHandle)
public:
    HWND GetHandle() override { return FHandle; }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXHandleManager() = default;
    ~TXHandleManager() override;
    X_REINTRODUCE(void Construct(TWndMethod AWindowMethod));

private:
    HWND FHandle = nullptr;
};

// A named observable unit of work that engines start and stop and send commands to.
class TXCustomGear : public TXObservable, public virtual IXGear {
    X_CLASS(TXCustomGear, TXObservable)
    X_INTERFACES(IXGear)
public:
    String GetName() override { return FName; }
    void SetName(const String& AValue) { FName = AValue; }
    // Stored and answered; nothing else reads it.
    bool GetActive() override { return FActive; }
    void SetActive(bool AValue) override;

    bool ExecuteCommand(const TIntf<IXCommand>& ACommand) override;
    // Both need the gear to have an engine (EInvalidOperation otherwise).
    void PostCommand(const TIntf<IXCommand>& ACommand) override;
    void SendCommand(const TIntf<IXCommand>& ACommand) override;
    void Start() override {}
    void Stop() override {}

protected:
    TXCustomGear() = default;

private:
    IXEngine* RequireEngine();

    String FName;
    bool FActive = false;
};

class TXGear : public TXCustomGear {
    X_CLASS(TXGear, TXCustomGear)
protected:
    TXGear() = default;
};

// An observable whose own notifications go through its own queue, with the gears attached to it.
class TXCustomEngine : public TXCustomGear, public virtual IXEngine {
    X_CLASS(TXCustomEngine, TXCustomGear)
    X_INTERFACES(IXEngine)
public:
    // The engine's window; none in this class.
    virtual HWND GetHandle();
    // Drains the queue on XM_ENGINEQUEUE after dropping the duplicates already posted.
    virtual void WindowProc(TMessage& AMessage);

    void RemoveMessagesFor(TObject* ASender) override;
    void Send(TObject* ASender, const TIntf<IXMessage>& AMessage) override;
    // Needs the engine's window (EInvalidOperation without one).
    void Post(TObject* ASender, const TIntf<IXMessage>& AMessage) override;
    TIntf<IXGear> FindGear(const String& AName) override;
    XCore::Collections::TXList<TIntf<IXGear>>* GetGears() override { return FGears; }
    // The engine's own step, then every attached gear's in list order.
    void Start() override;
    void Stop() override;

protected:
    TXCustomEngine() = default;
    // Pending messages are released undelivered.
    ~TXCustomEngine() override;
    X_REINTRODUCE(void Construct() override);
    void Init() override;

    TIntf<IXHandle> FHandleIntf;

private:
    TXMessageQueue* FQueue = nullptr;
    XCore::Collections::TXList<TIntf<IXGear>>* FGears = nullptr;
};

// An engine with a hidden window on the thread that creates it.
class TXEngine : public TXCustomEngine {
    X_CLASS(TXEngine, TXCustomEngine)
protected:
    TXEngine() = default;
    ~TXEngine() override;
    void Init() override;

private:
    TXHandleManager* FHandleManager = nullptr;
};

}  // namespace XCore::Engine

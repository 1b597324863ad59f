// XCore.Engine.cpp: dispatch with deferred removal, keepers, the message queue and engines.
#include "XCore.Engine.h"

#include <exception>
#include <functional>
#include <utility>

#include "Rtl.SysUtils.h"

namespace XCore::Engine {

namespace {

template <class T>
int ComparePointers(const T* ALeft, const T* ARight)
{
    std::less<const T*> Less;
    return Less(ALeft, ARight) ? -1 : (Less(ARight, ALeft) ? 1 : 0);
}

TClass DeletedMarker()
{
    return TXDeletedObserverAspect::StaticClass();
}

// A name filter applies only to subscriptions on an ancestor of the aspect's class.
bool Wants(const TXObserverData& AEntry, TClass AAspectClass, const String& AText)
{
    if (AEntry.AspectClass == AAspectClass)
        return true;
    return AAspectClass->InheritsFrom(AEntry.AspectClass) && (AEntry.NameFilter.empty() || AEntry.NameFilter == AText);
}

// A notification goes to an observable sender, a command to a gear; anything else is dropped.
void Deliver(TObject* ASender, const TIntf<IXMessage>& AMessage)
{
    TIntf<IXNotification> Notification;
    if (Supports(AMessage.Get(), Notification)) {
        TIntf<IXObservable> Observable;
        if (SupportsInterface(ASender, Observable))
            Observable->Notify(Notification);
        return;
    }
    TIntf<IXCommand> Command;
    TIntf<IXGearable> Gearable;
    if (Supports(AMessage.Get(), Command) && SupportsInterface(ASender, Gearable))
        Gearable->ExecuteCommand(Command);
}

}  // namespace

// ---- TXObserverDataComparer --------------------------------------------------------------

int TXObserverDataComparer::Compare(const TXObserverData& ALeft, const TXObserverData& ARight) const
{
    if (int Order = ComparePointers(ALeft.AspectClass, ARight.AspectClass))
        return Order;
    if (ALeft.Handler != ARight.Handler)
        return ALeft.Handler < ARight.Handler ? -1 : 1;
    if (int Order = ComparePointers(ALeft.Keeper, ARight.Keeper))
        return Order;
    int Order = CompareStr(ALeft.NameFilter, ARight.NameFilter);
    return Order < 0 ? -1 : (Order > 0 ? 1 : 0);
}

const TComparerRef<TXObserverData>& TXObserverDataComparer::Shared()
{
    static const TComparerRef<TXObserverData> Instance = std::make_shared<TXObserverDataComparer>();
    return Instance;
}

// ---- TXObserverDataList ------------------------------------------------------------------

// Counts a dispatch for its whole run, also when a handler raises. While any dispatch runs,
// removals only mark entries, so the entries counted at the start keep their indices; the last
// dispatch to end purges, unless a handler's exception is ending it.
class TXObserverDataList::TDispatchScope {
public:
    explicit TDispatchScope(TXObserverDataList& AList) : FList(AList)
    {
        TMonitorLock Lock(&FList);
        ++FList.FDispatchDepth;
        FSubscribed = FList.Count();
    }
    ~TDispatchScope()
    {
        TMonitorLock Lock(&FList);
        if (--FList.FDispatchDepth == 0 && FList.FHasDeleted && std::uncaught_exceptions() == FExceptions)
            FList.Purge();
    }
    TDispatchScope(const TDispatchScope&) = delete;
    TDispatchScope& operator=(const TDispatchScope&) = delete;
    // Entries added later are not part of this dispatch.
    int Subscribed() const { return FSubscribed; }

private:
    TXObserverDataList& FList;
    int FSubscribed = 0;
    int FExceptions = std::uncaught_exceptions();
};

void TXObserverDataList::Add(const String& ANameFilter, TClass AAspectClass, TXNotificationHandler AHandler)
{
    AddWithKeeper(ANameFilter, AAspectClass, nullptr, AHandler);
}

IXObserverKeeper* TXObserverDataList::AddWithKeeper(const String& ANameFilter, TClass AAspectClass,
                                                    IXObserverKeeper* ANewKeeper, TXNotificationHandler AHandler)
{
    TMonitorLock Lock(this);
    int Index = IndexOf(AAspectClass, AHandler);
    if (Index >= 0)
        return GetPItem(Index)->Keeper;
    inherited::Add(TXObserverData{AAspectClass, AHandler, ANewKeeper, ANameFilter});
    return ANewKeeper;
}

int TXObserverDataList::IndexOf(TClass AAspectClass, TXNotificationHandler AHandler)
{
    TMonitorLock Lock(this);
    for (int I = 0; I < Count(); ++I) {
        const TXObserverData* Entry = GetPItem(I);
        if (Entry->AspectClass == AAspectClass && Entry->Handler == AHandler)
            return I;
    }
    return -1;
}

// During a dispatch an entry is only marked; it drops its keeper at once, since a released
// keeper may be freed before the purge.
template <class TMatch>
void TXObserverDataList::Remove(TMatch AMatch, bool AFirstOnly)
{
    TMonitorLock Lock(this);
    for (int I = Count() - 1; I >= 0; --I) {
        TXObserverData* Entry = GetPItem(I);
        if (!AMatch(*Entry))
            continue;
        if (FDispatchDepth == 0) {
            Delete(I);
        } else {
            Entry->AspectClass = DeletedMarker();
            Entry->Keeper = nullptr;
            FHasDeleted = true;
        }
        if (AFirstOnly)
            return;
    }
}

void TXObserverDataList::Unsubscribe(TClass AAspectClass, TXNotificationHandler AHandler)
{
    Remove([&](const TXObserverData& AEntry) { return AEntry.AspectClass == AAspectClass && AEntry.Handler == AHandler; },
           true);
}

void TXObserverDataList::UnsubscribeHandler(TXNotificationHandler AHandler)
{
    Remove([&](const TXObserverData& AEntry) { return AEntry.Handler == AHandler; }, false);
}

void TXObserverDataList::UnsubscribeObserver(TObject* AObserver)
{
    if (AObserver != nullptr)
        Remove([&](const TXObserverData& AEntry) { return AEntry.Handler.Data() == AObserver; }, false);
}

void TXObserverDataList::UnsubscribeKeeper(IXObserverKeeper* AKeeper)
{
    if (AKeeper != nullptr)
        Remove([&](const TXObserverData& AEntry) { return AEntry.Keeper == AKeeper; }, false);
}

bool TXObserverDataList::WantedHandler(int AIndex, TClass AAspectClass, const String& AText,
                                       TXNotificationHandler& AHandler)
{
    TMonitorLock Lock(this);
    const TXObserverData* Entry = GetPItem(AIndex);
    if (!Wants(*Entry, AAspectClass, AText))
        return false;
    AHandler = Entry->Handler;
    return true;
}

void TXObserverDataList::Notify(IXNotification* ANotification)
{
    TObject* Aspect = ANotification->GetAspect();
    if (Aspect == nullptr)
        return;
    TClass AspectClass = Aspect->ClassType();
    String Text = ANotification->GetText();
    TDispatchScope Dispatch(*this);
    // Each entry is looked at just before its call, so one removed by an earlier handler is
    // skipped; the call itself runs without the lock.
    for (int I = 0; I < Dispatch.Subscribed(); ++I) {
        TXNotificationHandler Handler;
        if (WantedHandler(I, AspectClass, Text, Handler))
            Handler(ANotification);
    }
}

void TXObserverDataList::Purge()
{
    for (int I = Count() - 1; I >= 0; --I)
        if (GetPItem(I)->AspectClass == DeletedMarker())
            Delete(I);
    FHasDeleted = false;
}

bool TXObserverDataList::HasObserver(TClass AAspectClass)
{
    TMonitorLock Lock(this);
    for (int I = 0; I < Count(); ++I)
        if (GetPItem(I)->AspectClass == AAspectClass)
            return true;
    return false;
}

IXObserverKeeper* TXObserverDataList::TakeKeeper(int AIndex)
{
    TMonitorLock Lock(this);
    return std::exchange(GetPItem(AIndex)->Keeper, nullptr);
}

void TXObserverDataList::ObservableGone()
{
    // Counted as a dispatch: a gone-callback that releases other keepers or unsubscribes only
    // marks entries (dropping their keepers), so the walk keeps its indices and never reaches
    // a keeper that was freed meanwhile.
    TDispatchScope Dispatch(*this);
    for (int I = Dispatch.Subscribed() - 1; I >= 0; --I)
        if (IXObserverKeeper* Keeper = TakeKeeper(I))
            Keeper->ObservableGone();
}

// ---- TXObservable ------------------------------------------------------------------------

void TXObservable::Construct(TXRefCountMode AMode, const TIntf<IXEngine>& AEngine)
{
    inherited::Construct(AMode);
    FEngine = AEngine;
}

void TXObservable::Init()
{
    inherited::Init();
    FObservers = TXObserverDataList::Create();
}

TXObservable::~TXObservable()
{
    FreeAndNil(FObservers);
}

void TXObservable::BeforeDestruction()
{
    inherited::BeforeDestruction();
    SetEngine(nullptr);
    FObservers->ObservableGone();
}

void TXObservable::SetEngine(const TIntf<IXEngine>& AEngine)
{
    if (AEngine == FEngine)
        return;
    // An engine's own queue is gone by the time the engine leaves itself.
    if (FEngine && ObjectOf(FEngine.Get()) != this)
        FEngine->RemoveMessagesFor(this);
    FEngine = AEngine;
}

void TXObservable::SubscribeNamed(const String& AName, TClass AAspectClass, TXNotificationHandler AHandler)
{
    FObservers->Add(AName, AAspectClass, AHandler);
}

void TXObservable::Subscribe(TClass AAspectClass, TXNotificationHandler AHandler)
{
    FObservers->Add(String(), AAspectClass, AHandler);
}

void TXObservable::SubscribeAll(TXNotificationHandler AHandler)
{
    FObservers->Add(String(), TObject::StaticClass(), AHandler);
}

void TXObservable::SubscribeNamedWithKeeper(const String& AName, TClass AAspectClass, TIntf<IXObserverKeeper>& AKeeper,
                                            TNotifyEvent AGoneCallback, TXNotificationHandler AHandler)
{
    // A keeper the list does not take is released when NewKeeper goes.
    TIntf<IXObserverKeeper> NewKeeper(TXObserverKeeper::Create(static_cast<IXObservable*>(this), AGoneCallback));
    AKeeper = FObservers->AddWithKeeper(AName, AAspectClass, NewKeeper.Get(), AHandler);
}

void TXObservable::SubscribeWithKeeper(TClass AAspectClass, TIntf<IXObserverKeeper>& AKeeper, TNotifyEvent AGoneCallback,
                                       TXNotificationHandler AHandler)
{
    SubscribeNamedWithKeeper(String(), AAspectClass, AKeeper, AGoneCallback, AHandler);
}

void TXObservable::SubscribeAllWithKeeper(TIntf<IXObserverKeeper>& AKeeper, TNotifyEvent AGoneCallback,
                                          TXNotificationHandler AHandler)
{
    SubscribeNamedWithKeeper(String(), TObject::StaticClass(), AKeeper, AGoneCallback, AHandler);
}

void TXObservable::Unsubscribe(TClass AAspectClass, TXNotificationHandler AHandler)
{
    FObservers->Unsubscribe(AAspectClass, AHandler);
}

void TXObservable::UnsubscribeHandler(TXNotificationHandler AHandler)
{
    FObservers->UnsubscribeHandler(AHandler);
}

void TXObservable::UnsubscribeObserver(TObject* AObserver)
{
    FObservers->UnsubscribeObserver(AObserver);
}

void TXObservable::UnsubscribeInterface(IInterface* AObserver)
{
    if (TObject* Observer = ObjectOf(AObserver))
        UnsubscribeObserver(Observer);
}

void TXObservable::UnsubscribeKeeper(IXObserverKeeper* AKeeper)
{
    FObservers->UnsubscribeKeeper(AKeeper);
}

void TXObservable::Notify(const TIntf<IXNotification>& ANotification)
{
    FObservers->Notify(ANotification.Get());
}

void TXObservable::SendNotification(const TIntf<IXNotification>& ANotification)
{
    if (FEngine)
        FEngine->Send(this, ANotification);
    else
        Notify(ANotification);
}

void TXObservable::PostNotification(const TIntf<IXNotification>& ANotification)
{
    if (FEngine)
        FEngine->Post(this, ANotification);
    else
        Notify(ANotification);
}

void TXContainedObservable::Construct(TXRefCountMode AMode, const TIntf<IXEngine>& AEngine, TObject* AContainer)
{
    inherited::Construct(AMode, AEngine);
    FContainer = AContainer;
}

// ---- TXObserverKeeper --------------------------------------------------------------------

void TXObserverKeeper::Construct(IXObservable* AObservable, TNotifyEvent AGoneCallback)
{
    FObservable = AObservable;
    FGoneCallback = AGoneCallback;
}

void TXObserverKeeper::ObservableGone()
{
    IXObservable* Observable = std::exchange(FObservable, nullptr);
    if (Observable == nullptr || !FGoneCallback)
        return;
    // The callback may release the last reference to this keeper: nothing of ours after it.
    TNotifyEvent Callback = FGoneCallback;
    Callback(Observable->GetContainer());
}

void TXObserverKeeper::BeforeDestruction()
{
    inherited::BeforeDestruction();
    if (FObservable != nullptr)
        FObservable->UnsubscribeKeeper(this);
}

// ---- TXMessageQueue ----------------------------------------------------------------------

void TXMessageQueue::Append(TObject* ASender, const TIntf<IXMessage>& AMessage)
{
    TMonitorLock Lock(this);
    FItems.push_back(TItem{ASender, AMessage});
}

bool TXMessageQueue::TakeFirst(TItem& AItem)
{
    TMonitorLock Lock(this);
    if (FItems.empty())
        return false;
    AItem = std::move(FItems.front());
    FItems.pop_front();
    return true;
}

void TXMessageQueue::Post(TObject* ASender, const TIntf<IXMessage>& AMessage, HWND AWindow)
{
    Append(ASender, AMessage);
    PostMessageW(AWindow, XM_ENGINEQUEUE, 0, 0);
}

void TXMessageQueue::Send(TObject* ASender, const TIntf<IXMessage>& AMessage)
{
    Append(ASender, AMessage);
    ProcessAll();
}

void TXMessageQueue::ProcessAll()
{
    for (;;) {
        TItem Item;
        if (!TakeFirst(Item))
            return;
        Deliver(Item.Key, Item.Value);
    }
}

void TXMessageQueue::RemoveMessagesFor(TObject* ASender)
{
    // Released after the lock is left: a message's end may run an aspect's destructor.
    std::deque<TItem> Removed;
    TMonitorLock Lock(this);
    std::deque<TItem> Kept;
    for (TItem& Item : FItems)
        (Item.Key == ASender ? Removed : Kept).push_back(std::move(Item));
    FItems.swap(Kept);
}

// ---- TXHandleManager ---------------------------------------------------------------------

void TXHandleManager::Construct(TWndMethod AWindowMethod)
{
    inherited::Construct(rcmNone);
    FHandle = AllocateHWnd(AWindowMethod);
}

TXHandleManager::~TXHandleManager()
{
    if (FHandle != nullptr)
        DeallocateHWnd(FHandle);
}

// ---- TXCustomGear ------------------------------------------------------------------------

void TXCustomGear::SetActive(bool AValue)
{
    FActive = AValue;
}

bool TXCustomGear::ExecuteCommand(const TIntf<IXCommand>& ACommand)
{
    return ACommand->CanExecute() && ACommand->Execute();
}

IXEngine* TXCustomGear::RequireEngine()
{
    if (!GetEngine())
        throw EInvalidOperation("The gear \"" + FName + "\" has no engine");
    return GetEngine().Get();
}

void TXCustomGear::PostCommand(const TIntf<IXCommand>& ACommand)
{
    RequireEngine()->Post(this, ACommand);
}

void TXCustomGear::SendCommand(const TIntf<IXCommand>& ACommand)
{
    RequireEngine()->Send(this, ACommand);
}

// ---- TXCustomEngine ----------------------------------------------------------------------

void TXCustomEngine::Construct()
{
    TXObservable::Construct(rcmNone, TIntf<IXEngine>(this));
}

void TXCustomEngine::Init()
{
    inherited::Init();
    FQueue = TXMessageQueue::Create();
    FGears = XCore::Collections::TXList<TIntf<IXGear>>::Create();
}

TXCustomEngine::~TXCustomEngine()
{
    FHandleIntf.Reset();
    // Gears freed by their last reference leave this engine and clean its queue, so the queue
    // goes last.
    FreeAndNil(FGears);
    FreeAndNil(FQueue);
}

HWND TXCustomEngine::GetHandle()
{
    return FHandleIntf ? FHandleIntf->GetHandle() : nullptr;
}

void TXCustomEngine::WindowProc(TMessage& AMessage)
{
    if (AMessage.Msg != XM_ENGINEQUEUE) {
        AMessage.Result = DefWindowProcW(GetHandle(), AMessage.Msg, AMessage.WParam, AMessage.LParam);
        return;
    }
    // One drain serves every wake-up posted so far. A quit comes out of PeekMessageW whatever
    // the filter; it goes back so that the application's loop still ends.
    TMsg Duplicate;
    while (PeekMessageW(Duplicate, GetHandle(), XM_ENGINEQUEUE, XM_ENGINEQUEUE, PM_REMOVE)) {
        if (Duplicate.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(Duplicate.wParam));
            break;
        }
    }
    FQueue->ProcessAll();
}

void TXCustomEngine::RemoveMessagesFor(TObject* ASender)
{
    FQueue->RemoveMessagesFor(ASender);
}

void TXCustomEngine::Send(TObject* ASender, const TIntf<IXMessage>& AMessage)
{
    FQueue->Send(ASender, AMessage);
}

void TXCustomEngine::Post(TObject* ASender, const TIntf<IXMessage>& AMessage)
{
    HWND Window = GetHandle();
    if (Window == nullptr)
        throw EInvalidOperation("An engine without a window cannot be posted to");
    FQueue->Post(ASender, AMessage, Window);
}

TIntf<IXGear> TXCustomEngine::FindGear(const String& AName)
{
    for (const TIntf<IXGear>& Gear : *FGears)
        if (Gear && Gear->GetName() == AName)
            return Gear;
    return nullptr;
}

void TXCustomEngine::Start()
{
    inherited::Start();
    for (int I = 0; I < FGears->Count(); ++I)
        if (TIntf<IXGear> Gear = FGears->Items(I))
            Gear->Start();
}

void TXCustomEngine::Stop()
{
    inherited::Stop();
    for (int I = 0; I < FGears->Count(); ++I)
        if (TIntf<IXGear> Gear = FGears->Items(I))
            Gear->Stop();
}

// ---- TXEngine ----------------------------------------------------------------------------

void TXEngine::Init()
{
    inherited::Init();
    FHandleManager = TXHandleManager::Create(TWndMethod::Bind<&TXCustomEngine::WindowProc>(this));
    FHandleIntf = FHandleManager;
}

TXEngine::~TXEngine()
{
    FHandleIntf.Reset();
    FreeAndNil(FHandleManager);
}

}  // namespace XCore::Engine

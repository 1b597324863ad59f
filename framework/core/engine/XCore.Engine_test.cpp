// Observers: dispatch rules, changes during a dispatch, keepers. Engines: the queue and its
// drain on the UI thread's loop, removal by sender, freeing with pending messages, gears.
#include "XCore.Engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "Vcl.Application.h"
#include "Vcl.TestLoop.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"

using namespace XCore::Engine;

namespace {

// An aspect carrying a number; Alive counts the instances, to see each released once.
class TValueAspect : public TXCustomAspect {
    X_CLASS(TValueAspect, TXCustomAspect)
public:
    int Value = 0;
    static inline std::atomic<int> Alive{0};

protected:
    TValueAspect() = default;
    ~TValueAspect() override { --Alive; }
    X_REINTRODUCE(void Construct(int AValue))
    {
        inherited::Construct();
        Value = AValue;
        ++Alive;
    }
};

TIntf<IXNotification> ValueNotification(int AValue)
{
    return TXNotification<TValueAspect>::New(TValueAspect::Create(AValue));
}

// Records the values it hears; each handler tags what it heard.
struct TListener {
    std::vector<int> Heard;
    std::function<void(IXNotification*)> Then;

    void HearA(IXNotification* ANotification) { Hear(ANotification, 1000); }
    void HearB(IXNotification* ANotification) { Hear(ANotification, 2000); }
    void HearC(IXNotification* ANotification) { Hear(ANotification, 3000); }
    void Hear(IXNotification* ANotification, int ATag)
    {
        auto* Aspect = AspectOf<TValueAspect>(ANotification);
        Heard.push_back(ATag + (Aspect != nullptr ? Aspect->Value : 0));
        if (Then)
            Then(ANotification);
    }
};

TXNotificationHandler HandlerA(TListener& AListener)
{
    return TXNotificationHandler::Bind<&TListener::HearA>(&AListener);
}
TXNotificationHandler HandlerB(TListener& AListener)
{
    return TXNotificationHandler::Bind<&TListener::HearB>(&AListener);
}
TXNotificationHandler HandlerC(TListener& AListener)
{
    return TXNotificationHandler::Bind<&TListener::HearC>(&AListener);
}

// ---- Dispatch rules ----------------------------------------------------------------------

struct TDispatchCase {
    const char* Name;
    TClass Subscribed;
    const char* Filter;
    TClass Sent;
    const char* Text;
    bool Heard;
};

const TDispatchCase kDispatchCases[] = {
    {"ExactClassIgnoresTheFilter", TXStringChangedAspect::StaticClass(), "x", TXStringChangedAspect::StaticClass(), "y", true},
    {"AncestorWithMatchingFilter", TXChangedAspect::StaticClass(), "x", TXStringChangedAspect::StaticClass(), "x", true},
    {"AncestorWithOtherText", TXChangedAspect::StaticClass(), "x", TXStringChangedAspect::StaticClass(), "y", false},
    {"AncestorFilterMatchesCase", TXChangedAspect::StaticClass(), "x", TXSizeChangedAspect::StaticClass(), "X", false},
    {"AncestorHearsSize", TXChangedAspect::StaticClass(), "", TXSizeChangedAspect::StaticClass(), "", true},
    {"AncestorHearsDateTime", TXChangedAspect::StaticClass(), "", TXDateTimeChangedAspect::StaticClass(), "", true},
    {"DataChangedOfStringHearsString", TXDataChangedAspect<String>::StaticClass(), "", TXStringChangedAspect::StaticClass(), "", true},
    {"DataChangedOfStringNotDateTime", TXDataChangedAspect<String>::StaticClass(), "", TXDateTimeChangedAspect::StaticClass(), "", false},
    {"DescendantDoesNotHearAncestor", TXSizeChangedAspect::StaticClass(), "", TXChangedAspect::StaticClass(), "", false},
    {"EverythingThroughTObject", TObject::StaticClass(), "", TXAppOpenAspect::StaticClass(), "y", true},
    {"TObjectWithAFilter", TObject::StaticClass(), "x", TXAppOpenAspect::StaticClass(), "y", false},
};

void PrintTo(const TDispatchCase& ACase, std::ostream* AStream)
{
    *AStream << ACase.Name;
}

class DispatchTest : public ::testing::TestWithParam<TDispatchCase> {};

TEST_P(DispatchTest, SubscriptionsHearTheirClassAndDescendantsWithTheFilterOnAncestorsOnly)
{
    const TDispatchCase& Case = GetParam();
    TOwned<TXObservable> Observable = Owned(TXObservable::Create(nullptr));
    TListener Listener;
    Observable->SubscribeNamed(Case.Filter, Case.Subscribed, HandlerA(Listener));
    TOwned<TXObject> Aspect = Owned(XCreateFromClass<TXObject>(Case.Sent));
    TXNotificationRec Notification;
    Observable->Notify(Notification.Init(Case.Text, nullptr, Aspect.get()));
    EXPECT_EQ(Listener.Heard.size(), Case.Heard ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Rules, DispatchTest, ::testing::ValuesIn(kDispatchCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

class ObservableTest : public ::testing::Test {
protected:
    TOwned<TXObservable> Observable = Owned(TXObservable::Create(nullptr));
    TListener Listener;
};

TEST_F(ObservableTest, SameClassAndHandlerSubscribeOnceAndUnknownRemovalsDoNothing)
{
    Observable->Subscribe(TValueAspect::StaticClass(), HandlerA(Listener));
    Observable->SubscribeNamed("x", TValueAspect::StaticClass(), HandlerA(Listener));
    Observable->Unsubscribe(TXChangedAspect::StaticClass(), HandlerA(Listener));
    Observable->UnsubscribeHandler(HandlerB(Listener));
    Observable->Notify(ValueNotification(1));
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001}));
    EXPECT_TRUE(Observable->Observers()->HasObserver(TValueAspect::StaticClass()));
    EXPECT_FALSE(Observable->Observers()->HasObserver(TXCustomAspect::StaticClass()));
}

// A listener that is an object, as observers are.
class TObjectListener : public TObject {
    X_CLASS(TObjectListener, TObject)
public:
    int Heard = 0;
    void HearA(IXNotification*) { ++Heard; }
    void HearB(IXNotification*) { ++Heard; }

protected:
    TObjectListener() = default;
};

TEST_F(ObservableTest, UnsubscribeObserverRemovesEveryHandlerOfThatObject)
{
    TOwned<TObjectListener> Gone = Owned(TObjectListener::Create());
    TOwned<TObjectListener> Staying = Owned(TObjectListener::Create());
    Observable->Subscribe(TValueAspect::StaticClass(), TXNotificationHandler::Bind<&TObjectListener::HearA>(Gone.get()));
    Observable->SubscribeAll(TXNotificationHandler::Bind<&TObjectListener::HearB>(Gone.get()));
    Observable->Subscribe(TValueAspect::StaticClass(), TXNotificationHandler::Bind<&TObjectListener::HearA>(Staying.get()));
    Observable->UnsubscribeObserver(Gone.get());
    Observable->Notify(ValueNotification(1));
    EXPECT_EQ(Gone->Heard, 0);
    EXPECT_EQ(Staying->Heard, 1);
}

TEST_F(ObservableTest, ChangesDuringADispatchApplyToLaterNotifications)
{
    TListener Late;
    Listener.Then = [&](IXNotification*) {
        Observable->UnsubscribeHandler(HandlerA(Listener));
        Observable->Subscribe(TValueAspect::StaticClass(), HandlerC(Late));
        Listener.Then = nullptr;
    };
    Observable->Subscribe(TValueAspect::StaticClass(), HandlerA(Listener));
    Observable->Subscribe(TValueAspect::StaticClass(), HandlerB(Listener));
    Observable->Notify(ValueNotification(1));
    Observable->Notify(ValueNotification(2));
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001, 2001, 2002}));
    EXPECT_EQ(Late.Heard, (std::vector<int>{3002}));
    EXPECT_EQ(Observable->Observers()->Count(), 2);
}

TEST_F(ObservableTest, RemovalInANestedDispatchTakesEffectWhenTheOutermostEnds)
{
    // Inner hears first; A, hearing 1, notifies 2 from inside, and Inner, hearing 2, removes A.
    TListener Inner;
    int CountAfterInner = 0;
    Inner.Then = [&](IXNotification* ANotification) {
        if (AspectOf<TValueAspect>(ANotification)->Value == 2)
            Observable->Unsubscribe(TValueAspect::StaticClass(), HandlerA(Listener));
    };
    Listener.Then = [&](IXNotification* ANotification) {
        if (AspectOf<TValueAspect>(ANotification)->Value != 1)
            return;
        Observable->Notify(ValueNotification(2));
        CountAfterInner = Observable->Observers()->Count();
        EXPECT_TRUE(Observable->Observers()->IsNotifying());
    };
    Observable->Subscribe(TValueAspect::StaticClass(), HandlerB(Inner));
    Observable->Subscribe(TValueAspect::StaticClass(), HandlerA(Listener));
    Observable->Notify(ValueNotification(1));
    EXPECT_EQ(Inner.Heard, (std::vector<int>{2001, 2002}));
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001}));   // removed before it could hear 2
    EXPECT_EQ(CountAfterInner, 2);
    EXPECT_EQ(Observable->Observers()->Count(), 1);
    EXPECT_FALSE(Observable->Observers()->IsNotifying());
}

TEST_F(ObservableTest, HandlerThatRaisesEndsTheDispatchAndLeavesTheListUsable)
{
    TListener After;
    Listener.Then = [&](IXNotification*) {
        Observable->UnsubscribeHandler(HandlerA(Listener));
        throw EAbort("stop");
    };
    Observable->Subscribe(TValueAspect::StaticClass(), HandlerA(Listener));
    Observable->Subscribe(TValueAspect::StaticClass(), HandlerB(After));
    EXPECT_THROW(Observable->Notify(ValueNotification(1)), EAbort);
    EXPECT_TRUE(After.Heard.empty());
    EXPECT_FALSE(Observable->Observers()->IsNotifying());
    Observable->Notify(ValueNotification(2));
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001}));
    EXPECT_EQ(After.Heard, (std::vector<int>{2002}));
    EXPECT_EQ(Observable->Observers()->Count(), 1);
}

// Counts what it hears; safe to call from several threads.
struct TCounter {
    std::atomic<int> Heard{0};
    void Hear(IXNotification*) { ++Heard; }
    TXNotificationHandler Handler() { return TXNotificationHandler::Bind<&TCounter::Hear>(this); }
};

TEST(ObserverThreadsTest, DispatchesOnTwoThreadsMeetSubscriptionChangesOnAThird)
{
    // The staying handler hears every notification of both threads, whatever the churn of
    // subscriptions beside it; the sanitizers watch the rest.
    constexpr int kNotifications = 2000;
    TOwned<TXObservable> Observable = Owned(TXObservable::Create(nullptr));
    TCounter Staying;
    TCounter Churn[2];
    Observable->Subscribe(TValueAspect::StaticClass(), Staying.Handler());
    std::atomic<int> Notifiers{2};
    auto Notify = [&] {
        for (int I = 0; I < kNotifications; ++I)
            Observable->Notify(ValueNotification(I));
        --Notifiers;
    };
    std::thread First(Notify);
    std::thread Second(Notify);
    for (int Round = 0; Notifiers > 0; ++Round) {
        TCounter& Churner = Churn[Round % 2];
        Observable->Subscribe(TValueAspect::StaticClass(), Churner.Handler());
        Observable->UnsubscribeHandler(Churner.Handler());
    }
    First.join();
    Second.join();
    EXPECT_EQ(Staying.Heard, 2 * kNotifications);
    EXPECT_EQ(Observable->Observers()->Count(), 1);
}

// ---- Keepers -----------------------------------------------------------------------------

struct TGoneListener {
    std::vector<TObject*> Containers;
    void Gone(TObject* AContainer) { Containers.push_back(AContainer); }
};

TEST_F(ObservableTest, ReleasingTheKeeperUnsubscribes)
{
    TIntf<IXObserverKeeper> Keeper;
    Observable->SubscribeWithKeeper(TValueAspect::StaticClass(), Keeper, TNotifyEvent(), HandlerA(Listener));
    ASSERT_TRUE(Keeper);
    Observable->Notify(ValueNotification(1));
    Keeper.Reset();
    Observable->Notify(ValueNotification(2));
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001}));
    EXPECT_EQ(Observable->Observers()->Count(), 0);
}

TEST_F(ObservableTest, KeeperOfASubscriptionMadeWithoutOneIsEmpty)
{
    Observable->Subscribe(TValueAspect::StaticClass(), HandlerA(Listener));
    TIntf<IXObserverKeeper> Keeper;
    Observable->SubscribeWithKeeper(TValueAspect::StaticClass(), Keeper, TNotifyEvent(), HandlerA(Listener));
    EXPECT_FALSE(Keeper);
    EXPECT_EQ(Observable->Observers()->Count(), 1);
}

TEST(KeeperTest, ObservableThatEndsFirstTellsTheKeeperItsContainer)
{
    TOwned<TXObject> Control = Owned(TXObject::Create());
    TXContainedObservable* Observable = TXContainedObservable::Create(nullptr, Control.get());
    TListener Listener;
    TGoneListener GoneListener;
    TIntf<IXObserverKeeper> Keeper;
    Observable->SubscribeAllWithKeeper(Keeper, TNotifyEvent::Bind<&TGoneListener::Gone>(&GoneListener),
                                       HandlerA(Listener));
    Observable->Free();
    EXPECT_EQ(GoneListener.Containers, (std::vector<TObject*>{Control.get()}));
    Keeper.Reset();   // finds no observable and touches nothing
}

TEST(KeeperTest, KeeperReleasedDuringADispatchIsNotToldWhenTheObservableEnds)
{
    TXObservable* Observable = TXObservable::Create(nullptr);
    TListener Listener;
    TGoneListener GoneListener;
    TIntf<IXObserverKeeper> Keeper;
    Listener.Then = [&](IXNotification*) { Keeper.Reset(); };
    Observable->SubscribeWithKeeper(TValueAspect::StaticClass(), Keeper,
                                    TNotifyEvent::Bind<&TGoneListener::Gone>(&GoneListener), HandlerA(Listener));
    TListener Raiser;
    Raiser.Then = [](IXNotification*) { throw EAbort("leave the mark unpurged"); };
    Observable->Subscribe(TValueAspect::StaticClass(), HandlerB(Raiser));
    EXPECT_THROW(Observable->Notify(ValueNotification(1)), EAbort);
    Observable->Free();
    EXPECT_TRUE(GoneListener.Containers.empty());
}

// ---- Engines -----------------------------------------------------------------------------

// Counts the drains its window runs.
class TCountingEngine : public TXEngine {
    X_CLASS(TCountingEngine, TXEngine)
public:
    int Drains = 0;
    void WindowProc(TMessage& AMessage) override
    {
        if (AMessage.Msg == XM_ENGINEQUEUE)
            ++Drains;
        inherited::WindowProc(AMessage);
    }

protected:
    TCountingEngine() = default;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application->ProcessMessages();
        TValueAspect::Alive = 0;
        Engine->Subscribe(TValueAspect::StaticClass(), HandlerA(Listener));
    }
    void TearDown() override
    {
        FreeAndNil(Engine);
        EXPECT_EQ(TValueAspect::Alive, 0);
    }
    // Dispatches what the thread's queue holds now, as the application's loop would.
    void DispatchPending()
    {
        TMsg Msg;
        while (PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE)) {
            ASSERT_NE(Msg.message, WM_QUIT);
            DispatchMessageW(Msg);
        }
    }
    TIntf<IXEngine> EngineIntf() { return TIntf<IXEngine>(Engine); }

    TCountingEngine* Engine = TCountingEngine::Create();
    TListener Listener;
};

TEST_F(EngineTest, WorkerPostsReachTheUIThreadInOrderWithFewDrains)
{
    constexpr int kPosts = 10000;
    std::promise<void> AllPosted;
    std::shared_future<void> Posted = AllPosted.get_future().share();
    Listener.Then = [&](IXNotification* ANotification) {
        int Value = AspectOf<TValueAspect>(ANotification)->Value;
        if (Value == 0) {   // the rest piles up meanwhile
            EXPECT_TRUE(WaitUntilReady("the worker's posts", Posted));
        }
        if (Value == kPosts - 1)
            PostQuitMessage(7);
    };
    std::thread Worker([&] {
        for (int I = 0; I < kPosts; ++I)
            Engine->PostNotification(ValueNotification(I));
        AllPosted.set_value();
    });
    EXPECT_EQ(RunUntilQuit("the quit after the last post"), 7);
    Worker.join();
    ASSERT_EQ(Listener.Heard.size(), static_cast<size_t>(kPosts));
    for (int I = 0; I < kPosts; ++I)
        ASSERT_EQ(Listener.Heard[static_cast<size_t>(I)], 1000 + I);
    // The first drain delivers everything; a second at most clears the wake-ups posted after
    // its duplicates were dropped, meeting the quit on the way.
    EXPECT_LE(Engine->Drains, 2);
}

TEST_F(EngineTest, AHandlerOnAWorkerMayWaitForTheUIThreadToServeTheSameObservable)
{
    // As a wizard page does: the worker's handler waits until the UI thread has delivered a
    // queued notification to the same observable. A dispatch holding the list's lock across its
    // calls would leave the UI thread waiting for that lock here.
    std::atomic<bool> WorkerWaits{false};
    std::atomic<bool> Delivered{false};
    std::atomic<bool> WorkerDone{false};
    bool WorkerSawTheDelivery = false;
    Listener.Then = [&](IXNotification* ANotification) {
        if (AspectOf<TValueAspect>(ANotification)->Value == 2) {
            Delivered = true;
            return;
        }
        WorkerWaits = true;
        WorkerSawTheDelivery = WaitUntil("the UI thread's delivery", [&] { return Delivered.load(); });
    };
    std::thread Worker([&] {
        Engine->Notify(ValueNotification(1));
        WorkerDone = true;
    });
    EXPECT_TRUE(PumpUntil("the worker's handler to start", [&] { return WorkerWaits.load(); }));
    Engine->PostNotification(ValueNotification(2));
    EXPECT_TRUE(PumpUntil("the worker's dispatch to end", [&] { return WorkerDone.load(); }));
    Worker.join();
    EXPECT_TRUE(WorkerSawTheDelivery);
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001, 1002}));
}

TEST_F(EngineTest, QuitMetWhileDroppingDuplicatesIsPostedAgain)
{
    for (int I = 0; I < 3; ++I)
        Engine->PostNotification(ValueNotification(I));
    PostQuitMessage(9);
    TMsg Msg;
    ASSERT_TRUE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
    ASSERT_EQ(Msg.message, XM_ENGINEQUEUE);
    DispatchMessageW(Msg);
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1000, 1001, 1002}));
    ASSERT_TRUE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(Msg.message, WM_QUIT);
    EXPECT_EQ(Msg.wParam, 9u);
    EXPECT_FALSE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(Engine->Drains, 1);
}

TEST_F(EngineTest, HandlerThatPostsIsServedInTheSameDrain)
{
    Listener.Then = [&](IXNotification* ANotification) {
        if (AspectOf<TValueAspect>(ANotification)->Value == 1)
            Engine->PostNotification(ValueNotification(3));
    };
    Engine->PostNotification(ValueNotification(1));
    Engine->PostNotification(ValueNotification(2));
    TMsg Msg;
    ASSERT_TRUE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageW(Msg);
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001, 1002, 1003}));
    DispatchPending();
    EXPECT_EQ(Listener.Heard.size(), 3u);
}

TEST_F(EngineTest, RemoveMessagesForDropsExactlyThatSendersMessages)
{
    TOwned<TXObservable> Kept = Owned(TXObservable::Create(EngineIntf()));
    TOwned<TXObservable> Dropped = Owned(TXObservable::Create(EngineIntf()));
    Kept->Subscribe(TValueAspect::StaticClass(), HandlerB(Listener));
    Dropped->Subscribe(TValueAspect::StaticClass(), HandlerC(Listener));
    for (int I = 1; I <= 3; ++I) {
        Kept->PostNotification(ValueNotification(I));
        Dropped->PostNotification(ValueNotification(I));
        Engine->PostNotification(ValueNotification(I));
    }
    Engine->RemoveMessagesFor(Dropped.get());
    EXPECT_EQ(TValueAspect::Alive, 6);
    DispatchPending();
    EXPECT_EQ(Listener.Heard, (std::vector<int>{2001, 1001, 2002, 1002, 2003, 1003}));
    // An observable that leaves its engine takes its queued messages with it.
    Kept->PostNotification(ValueNotification(4));
    Kept->SetEngine(nullptr);
    EXPECT_EQ(TValueAspect::Alive, 0);
}

TEST_F(EngineTest, FreeingTheEngineReleasesPendingMessagesUndelivered)
{
    for (int I = 0; I < 3; ++I)
        Engine->PostNotification(ValueNotification(I));
    EXPECT_EQ(TValueAspect::Alive, 3);
    FreeAndNil(Engine);
    EXPECT_EQ(TValueAspect::Alive, 0);
    DispatchPending();
    EXPECT_TRUE(Listener.Heard.empty());
}

TEST_F(EngineTest, SendDrainsInTheCallingThreadWithWhatWasQueuedBefore)
{
    Engine->PostNotification(ValueNotification(1));
    Engine->SendNotification(ValueNotification(2));
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001, 1002}));
    DispatchPending();
    EXPECT_EQ(Listener.Heard.size(), 2u);
}

TEST_F(EngineTest, HandlerExceptionLeavesTheRestForTheNextDrain)
{
    Listener.Then = [](IXNotification* ANotification) {
        if (AspectOf<TValueAspect>(ANotification)->Value == 1)
            throw EAbort("");
    };
    Engine->PostNotification(ValueNotification(1));
    Engine->PostNotification(ValueNotification(2));
    TMsg Msg;
    ASSERT_TRUE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_THROW(DispatchMessageW(Msg), EAbort);
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001}));
    Engine->SendNotification(ValueNotification(3));
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1001, 1002, 1003}));
}

TEST_F(EngineTest, MessagesWithoutAFittingSenderAreDropped)
{
    TOwned<TXObject> Plain = Owned(TXObject::Create());
    Engine->Post(Plain.get(), ValueNotification(1));
    Engine->Post(Engine, TIntf<IXMessage>());
    DispatchPending();
    EXPECT_TRUE(Listener.Heard.empty());
}

TEST(CustomEngineTest, EngineWithoutAWindowSendsButCannotBePostedTo)
{
    TOwned<TXCustomEngine> Engine = Owned(TXCustomEngine::Create());
    TListener Listener;
    Engine->Subscribe(TValueAspect::StaticClass(), HandlerA(Listener));
    EXPECT_EQ(Engine->GetHandle(), nullptr);
    EXPECT_THROW(Engine->PostNotification(ValueNotification(1)), EInvalidOperation);
    Engine->SendNotification(ValueNotification(2));
    EXPECT_EQ(Listener.Heard, (std::vector<int>{1002}));
}

// ---- Gears and commands ------------------------------------------------------------------

class TLogGear : public TXGear {
    X_CLASS(TLogGear, TXGear)
public:
    std::vector<String>* Log = nullptr;
    void Start() override { Log->push_back(GetName() + ".Start"); }
    void Stop() override { Log->push_back(GetName() + ".Stop"); }

protected:
    TLogGear() = default;
};

class TLogCommand : public TInterfacedObject, public IXCommand {
    X_CLASS(TLogCommand, TInterfacedObject)
    X_INTERFACES(IXCommand)
public:
    std::vector<String>* Log = nullptr;
    bool Allowed = true;
    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }
    bool CanExecute() override { return Allowed; }
    bool Execute() override
    {
        Log->push_back("Execute");
        return true;
    }

protected:
    TLogCommand() = default;
};

TEST_F(EngineTest, GearsAreFoundByExactNameAndStartAndStopInListOrder)
{
    std::vector<String> Log;
    TOwned<TLogGear> Scan = Owned(TLogGear::Create(EngineIntf()));
    TOwned<TLogGear> View = Owned(TLogGear::Create(EngineIntf()));
    Scan->SetName("Scan");
    View->SetName("View");
    Scan->Log = View->Log = &Log;
    Engine->GetGears()->Add(TIntf<IXGear>(Scan.get()));
    Engine->GetGears()->Add(TIntf<IXGear>(View.get()));
    EXPECT_EQ(ObjectOf(Engine->FindGear("View").Get()), View.get());
    EXPECT_FALSE(Engine->FindGear("view"));
    Engine->Start();
    Engine->Stop();
    EXPECT_EQ(Log, (std::vector<String>{"Scan.Start", "View.Start", "Scan.Stop", "View.Stop"}));
    // Gears leave the engine before it goes, and the engine goes before the gears it lists.
    Scan->SetEngine(nullptr);
    View->SetEngine(nullptr);
    FreeAndNil(Engine);
}

TEST_F(EngineTest, PostedCommandRunsOnTheEngineThreadWhenItCanExecute)
{
    std::vector<String> Log;
    TOwned<TLogGear> Gear = Owned(TLogGear::Create(EngineIntf()));
    TLogCommand* Refused = TLogCommand::Create();
    Refused->Log = &Log;
    Refused->Allowed = false;
    TLogCommand* Accepted = TLogCommand::Create();
    Accepted->Log = &Log;
    Gear->PostCommand(TIntf<IXCommand>(Refused));
    std::thread([&] { Gear->PostCommand(TIntf<IXCommand>(Accepted)); }).join();
    EXPECT_TRUE(Log.empty());
    DispatchPending();
    EXPECT_EQ(Log, (std::vector<String>{"Execute"}));
    Gear->SetEngine(nullptr);
    EXPECT_THROW(Gear->SendCommand(TIntf<IXCommand>(TLogCommand::Create())), EInvalidOperation);
}

}  // namespace

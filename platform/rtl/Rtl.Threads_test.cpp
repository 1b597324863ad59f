// Worker threads: start, end, waiting, and the calls they hand to the main thread.
#include "Rtl.Threads.h"

#include <gtest/gtest.h>

#include <future>
#include <vector>

#include "Rtl.TestWait.h"

namespace {

// A thread whose Execute is given by the test.
class TTestThread : public TThread {
    X_CLASS(TTestThread, TThread)
public:
    std::function<void(TTestThread&)> Body;
    std::promise<void>* Destroyed = nullptr;
    using TThread::Queue;
    using TThread::SetReturnValue;
    using TThread::Synchronize;

protected:
    TTestThread() = default;
    ~TTestThread() override
    {
        if (Destroyed != nullptr)
            Destroyed->set_value();
    }
    void Execute() override { Body(*this); }
};

TTestThread* MakeThread(std::function<void(TTestThread&)> ABody)
{
    TTestThread* Thread = TTestThread::Create(true);
    Thread->Body = std::move(ABody);
    return Thread;
}

TEST(ThreadTest, SuspendedThreadRunsAfterStartAndWaitForAnswersItsResult)
{
    TThreadID RanOn = 0;
    TOwned<TTestThread> Thread = Owned(MakeThread([&](TTestThread& AThread) {
        RanOn = GetCurrentThreadId();
        AThread.SetReturnValue(7);
    }));
    EXPECT_EQ(Thread->ThreadID(), 0u);
    Thread->Start();
    EXPECT_EQ(Thread->WaitFor(), 7);
    EXPECT_EQ(RanOn, Thread->ThreadID());
    EXPECT_NE(RanOn, MainThreadID());
    EXPECT_TRUE(Thread->Finished());
    EXPECT_THROW(Thread->Start(), EThread);
}

TEST(ThreadTest, SynchronizeAndOnTerminateRunOnTheMainThreadWhileItWaits)
{
    struct TObserver {
        std::vector<TThreadID> Threads;
        void ThreadEnded(TObject*) { Threads.push_back(GetCurrentThreadId()); }
    } Observer;
    TOwned<TTestThread> Thread = Owned(MakeThread([&](TTestThread& AThread) {
        AThread.Synchronize([&] { Observer.Threads.push_back(GetCurrentThreadId()); });
    }));
    Thread->SetOnTerminate(TNotifyEvent::Bind<&TObserver::ThreadEnded>(&Observer));
    Thread->Start();
    Thread->WaitFor();
    EXPECT_EQ(Observer.Threads, (std::vector<TThreadID>{MainThreadID(), MainThreadID()}));
}

TEST(ThreadTest, SynchronizeRaisesInTheWorkerWhatTheCallRaised)
{
    String Caught;
    TOwned<TTestThread> Thread = Owned(MakeThread([&](TTestThread& AThread) {
        try {
            AThread.Synchronize([] { throw EConvertError("no answer"); });
        } catch (const EConvertError& E) {
            Caught = E.Message();
        }
    }));
    Thread->Start();
    Thread->WaitFor();
    EXPECT_EQ(Caught, "no answer");
}

TEST(ThreadTest, QueuedCallsRunInOrderAndThoseOfARemovedThreadAreDropped)
{
    std::vector<String> Ran;
    std::promise<void> Queued;
    TOwned<TTestThread> Thread = Owned(MakeThread([&](TTestThread& AThread) {
        AThread.Queue([&] { Ran.push_back("a"); });
        TThread::Queue(nullptr, [&] { Ran.push_back("b"); });
        AThread.Queue([&] { Ran.push_back("c"); });
        TThread::Queue(nullptr, [&] { Ran.push_back("d"); });
        Queued.set_value();
    }));
    Thread->Start();
    ASSERT_TRUE(WaitUntilReady("the thread's queued calls", Queued.get_future()));
    TThread::RemoveQueuedEvents(Thread.get());
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(Ran, (std::vector<String>{"b", "d"}));
    EXPECT_FALSE(CheckSynchronize());
}

TEST(ThreadTest, ExceptionOfExecuteIsKeptAsFatalException)
{
    TOwned<TTestThread> Thread = Owned(MakeThread([](TTestThread&) { throw EReadError("bad sector"); }));
    Thread->Start();
    Thread->WaitFor();
    ASSERT_TRUE(Thread->FatalException());
    EXPECT_THROW(std::rethrow_exception(Thread->FatalException()), EReadError);
}

TEST(ThreadTest, FreeingARunningThreadTerminatesItAndWaits)
{
    std::promise<void> Running;
    bool Ended = false;
    TTestThread* Thread = MakeThread([&](TTestThread& AThread) {
        Running.set_value();
        Ended = WaitUntil("the free to terminate the thread", [&] { return AThread.Terminated(); });
    });
    Thread->Start();
    ASSERT_TRUE(WaitUntilReady("the thread to run", Running.get_future()));
    Thread->Free();
    EXPECT_TRUE(Ended);
}

TEST(ThreadTest, ThreadThatFreesItselfCannotBeWaitedFor)
{
    std::promise<void> Release;
    std::promise<void> Destroyed;
    std::shared_future<void> Released = Release.get_future().share();
    TTestThread* Thread = MakeThread([=](TTestThread&) { EXPECT_TRUE(WaitUntilReady("the test's release", Released)); });
    Thread->Destroyed = &Destroyed;
    Thread->SetFreeOnTerminate(true);
    Thread->Start();
    EXPECT_THROW(Thread->WaitFor(), EThread);
    Release.set_value();
    EXPECT_TRUE(WaitUntilReady("the thread to free itself", Destroyed.get_future()));
}

}  // namespace

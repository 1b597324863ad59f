// Job threads: progress from the thread reaches the gear's observers on the UI thread in
// order, the end arrives there with the job's error record, a cancel from the UI thread stops
// a search within a window, and a gear freed during a job waits for it.
#include "XCore.Engine.WorkerThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "Vcl.TestLoop.h"
#include "XCore.Errors.h"
#include "XCore.Search.h"
#include "XCore.Streams.Buffered.h"

using namespace XCore::Engine;

namespace {

class TJobData : public TObject {
    X_CLASS(TJobData, TObject)
public:
    TStream* Source = nullptr;   // not owned
    int64_t Found = -2;
    int Windows = 0;             // read windows filled
    int WindowsAfterCancel = 0;

protected:
    TJobData() = default;
};

using TJobGear = TXThreadWorkerGear<TJobData>;

// Reports nested sections, then ends the worker with error 44.
class TSectionsThread : public TXWorkerThread<TJobData> {
    X_CLASS(TSectionsThread, TXWorkerThread<TJobData>)
protected:
    TSectionsThread() = default;
    void Execute() override
    {
        TIntf<IXProgress> Progress = Worker()->GetProgress();
        Progress->BeginSubRange("read", 40);
        Progress->SetStepCount(2);
        Progress->BeginStepRange();
        Progress->SetPercent(50);   // 100
        Progress->Finish();         // 200
        Progress->Finish();         // 400
        Progress->BeginSubRange("write", 60);
        Progress->SetPercent(50);   // 700
        Worker()->TerminateWithError(TXErrorData::Create(44, 5, "sector 9"));
    }
};

// Searches the job's source for a byte it does not hold; window 3 asks the UI thread to cancel.
class TSearchThread : public TXWorkerThread<TJobData> {
    X_CLASS(TSearchThread, TXWorkerThread<TJobData>)
protected:
    TSearchThread() = default;
    void Execute() override
    {
        TOwned<TXSearch> Search = Owned(TXSearch::Create(nullptr));
        Search->SetStream(Data()->Source);
        Search->SetTerminated(TXTerminatedTest::Bind<&TSearchThread::Cancelled>(this));
        AsOrNull<TXCustomBufStream>(Data()->Source)->SetOnBufferFilled(TXBufferFilledEvent::Bind<&TSearchThread::Filled>(this));
        int Index = 0;
        Data()->Found = Search->FindAny({{0x01}}, Index, 0, INT64_MAX, 0, 512);
    }

private:
    bool Cancelled() { return Worker()->IsTerminated(); }
    void Filled(TObject*, int64_t)
    {
        if (Worker()->IsTerminated())
            ++Data()->WindowsAfterCancel;
        if (++Data()->Windows == 3)
            Synchronize([this] { Worker()->Terminate(); });
    }
};

struct THeard {
    std::vector<int32_t> Positions;
    std::vector<TXOperationThreadTerminatedAspect*> Ends;   // copies kept by the notifications
    std::vector<TIntf<IXNotification>> Kept;
    bool OnUIThread = true;

    void Hear(IXNotification* ANotification)
    {
        OnUIThread = OnUIThread && GetCurrentThreadId() == MainThreadID();
        if (auto* Changed = AspectOf<TXProgressChangedAspect>(ANotification))
            Positions.push_back(Changed->Position);
        if (auto* Ended = AspectOf<TXOperationThreadTerminatedAspect>(ANotification)) {
            Kept.emplace_back(ANotification);
            Ends.push_back(Ended);
        }
    }
    bool Ended() { return !Ends.empty(); }
};

void DispatchPending()
{
    TMsg Msg;
    while (PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(Msg);
}

// The UI thread's loop until the job's end has come, and what was posted before it.
void RunUntilEnded(THeard& AHeard)
{
    ASSERT_TRUE(PumpUntil("the job's end", [&] { return AHeard.Ended(); }));
    DispatchPending();
}

class WorkerThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Engine = TXEngine::Create();
        Gear = TJobGear::Create(TIntf<IXEngine>(Engine));
        Gear->Subscribe(TXProgressChangedAspect::StaticClass(), TXNotificationHandler::Bind<&THeard::Hear>(&Heard));
        Gear->Subscribe(TXOperationThreadTerminatedAspect::StaticClass(), TXNotificationHandler::Bind<&THeard::Hear>(&Heard));
        Gear->Worker()->SetName("Job");
    }
    void TearDown() override
    {
        Gear->Free();
        Engine->Free();
    }

    TXEngine* Engine = nullptr;
    TJobGear* Gear = nullptr;
    THeard Heard;
};

TEST_F(WorkerThreadTest, SectionsNestAndTheEndArrivesOnTheUIThreadWithItsRecord)
{
    ASSERT_TRUE(Gear->StartThread(TSectionsThread::Create(true, Gear, Gear->Data(), TIntf<IXWorker>(Gear->Worker()))));
    EXPECT_FALSE(Gear->StartThread(TSectionsThread::Create(true, Gear, Gear->Data(), TIntf<IXWorker>(Gear->Worker()))));
    RunUntilEnded(Heard);
    EXPECT_TRUE(Heard.OnUIThread);
    EXPECT_EQ(Heard.Positions, (std::vector<int32_t>{100, 200, 400, 700}));
    ASSERT_EQ(Heard.Ends.size(), 1u);
    EXPECT_EQ(Heard.Ends[0]->Name, "Job");
    EXPECT_EQ(Heard.Ends[0]->ErrorData.Code, 44);
    EXPECT_EQ(Heard.Ends[0]->ErrorData.Value, 5);
    EXPECT_EQ(Heard.Ends[0]->ErrorData.Text, "sector 9");
    EXPECT_FALSE(Gear->Running());
}

TEST_F(WorkerThreadTest, ACancelFromTheUIThreadStopsASearchWithinAWindow)
{
    TOwned<TMemoryStream> Zeros = Owned(TMemoryStream::Create());
    Zeros->SetSize(64 * 262144);
    TOwned<TXCustomBufStream> Source = Owned(TXCustomBufStream::Create(Zeros.get(), 262144, soReference));
    Gear->Data()->Source = Source.get();
    ASSERT_TRUE(Gear->StartThread(TSearchThread::Create(true, Gear, Gear->Data(), TIntf<IXWorker>(Gear->Worker()))));
    RunUntilEnded(Heard);
    EXPECT_EQ(Gear->Data()->Found, -1);
    EXPECT_EQ(Gear->Data()->Windows, 3);
    EXPECT_EQ(Gear->Data()->WindowsAfterCancel, 0);
    EXPECT_EQ(Heard.Ends[0]->ErrorData.Code, kErrCancelled);
    EXPECT_TRUE(Gear->Worker()->IsCancelled());
}

// Runs until the gear lets it go.
class TWaitingThread : public TXWorkerThread<TJobData> {
    X_CLASS(TWaitingThread, TXWorkerThread<TJobData>)
public:
    static inline std::atomic<bool> Started{false};

protected:
    TWaitingThread() = default;
    void Execute() override
    {
        Started = true;
        EXPECT_TRUE(WaitUntil("the gear's end to terminate the job", [this] { return Terminated(); }));
        Data()->Found = 7;   // the data is still there
    }
};

TEST(WorkerGearTest, FreeingTheGearEndsTheRunningJobFirst)
{
    TJobGear* Gear = TJobGear::Create(TIntf<IXEngine>());
    ASSERT_TRUE(Gear->StartThread(TWaitingThread::Create(true, Gear, Gear->Data(), TIntf<IXWorker>(Gear->Worker()))));
    ASSERT_TRUE(WaitUntil("the job to start", [] { return TWaitingThread::Started.load(); }));
    TIntf<IXWorker> Worker(Gear->Worker());
    Gear->Free();   // under the sanitizer, a job outliving its data would show here
    EXPECT_TRUE(Worker->IsTerminated());
    EXPECT_EQ(Worker->GetErrorData().Code, 0);
}

}  // namespace

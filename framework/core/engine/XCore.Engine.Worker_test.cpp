// Workers: one end, with its notifications in order on the ending thread; progress relayed
// at once without an engine and through the engine's queue with one.
#include "XCore.Engine.Worker.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Vcl.Application.h"
#include "XCore.Engine.Notifications.h"

using namespace XCore::Engine;

namespace {

struct THeard {
    String ClassName;
    TThreadID Thread = 0;
    int32_t Code = -99;   // of an operation-terminated aspect
    String Text;
};

struct TRecorder {
    std::vector<THeard> Heard;

    void Hear(IXNotification* ANotification)
    {
        THeard Item;
        Item.ClassName = ANotification->GetAspect()->ClassName();
        Item.Thread = GetCurrentThreadId();
        if (auto* Ended = AspectOf<TXOperationTerminatedAspect>(ANotification)) {
            Item.Code = Ended->ErrorData.Code;
            Item.Text = Ended->Text;
        }
        Heard.push_back(Item);
    }
    TXNotificationHandler Handler() { return TXNotificationHandler::Bind<&TRecorder::Hear>(this); }
    std::vector<String> Classes() const
    {
        std::vector<String> Result;
        for (const THeard& Item : Heard)
            Result.push_back(Item.ClassName);
        return Result;
    }
};

// A sink that announces what the test hands it, as a program's reporting sink would.
class TAnnouncingProgress : public TXEmptyProgress {
    X_CLASS(TAnnouncingProgress, TXEmptyProgress)
public:
    void Announce(int32_t APosition)
    {
        Notify(TXNotification<TXProgressChangedAspect>::New(TXProgressChangedAspect::Create(APosition)));
    }

protected:
    TAnnouncingProgress() = default;
};

class TAnnouncingWorker : public TXCustomWorker {
    X_CLASS(TAnnouncingWorker, TXCustomWorker)
public:
    TAnnouncingProgress* Sink = nullptr;

protected:
    TAnnouncingWorker() = default;
    ~TAnnouncingWorker() override
    {
        SetProgress(nullptr);
        Sink->Free();
    }
    void Init() override
    {
        inherited::Init();
        Sink = TAnnouncingProgress::Create(TIntf<IXEngine>());
        SetProgress(TIntf<IXProgress>(Sink));
    }
};

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Worker = TXCustomWorker::Create(TIntf<IXEngine>());
        Worker->SetName("Scan");
        Worker->SubscribeAll(Recorder.Handler());
    }
    void TearDown() override { Worker->Free(); }

    TXCustomWorker* Worker = nullptr;
    TRecorder Recorder;
};

TEST_F(WorkerTest, SuccessSendsBothEndNotificationsInOrderOnTheEndingThread)
{
    TThreadID Ending = 0;
    std::thread([&] {
        Ending = GetCurrentThreadId();
        Worker->TerminateWithError(TXErrorData::Create(0, 0, {}));
    }).join();
    ASSERT_EQ(Recorder.Classes(), (std::vector<String>{"TXOperationTerminatedAspect", "TXTaskTerminatedAspect"}));
    EXPECT_EQ(Recorder.Heard[0].Code, 0);
    EXPECT_EQ(Recorder.Heard[0].Text, "Scan");
    for (const THeard& Item : Recorder.Heard)
        EXPECT_EQ(Item.Thread, Ending);
    EXPECT_TRUE(Worker->IsTerminated());
    EXPECT_FALSE(Worker->IsCancelled());
}

TEST_F(WorkerTest, AWorkerEndsOnce)
{
    Worker->Terminate();
    Worker->TerminateWithError(TXErrorData::Create(44, 0, "read"));
    Worker->Terminate();
    EXPECT_EQ(Recorder.Classes(), std::vector<String>{"TXTaskTerminatedAspect"});
    EXPECT_EQ(Worker->GetErrorData().Code, 1);
    EXPECT_TRUE(Worker->IsCancelled());

    Worker->ResetError();
    EXPECT_FALSE(Worker->IsTerminated());
    Worker->TerminateWithError(TXErrorData::Create(44, 5, "read"));
    Worker->TerminateWithError(TXErrorData::Create(45, 0, "write"));
    ASSERT_EQ(Recorder.Heard.size(), 3u);
    EXPECT_EQ(Recorder.Heard[1].Code, 44);
    EXPECT_EQ(Worker->GetErrorData().Text, "read");
    EXPECT_FALSE(Worker->IsCancelled());
}

TEST_F(WorkerTest, ANewWorkerReportsIntoTheSharedEmptyProgress)
{
    TIntf<IXProgress> Progress = Worker->GetProgress();
    EXPECT_EQ(ObjectOf(Progress.Get()), EmptyProgress());
    Progress->BeginSubRange("part", 50);
    EXPECT_EQ(Progress->GetPosition(), 0);
}

TEST(WorkerRelayTest, WithoutAnEngineProgressIsRelayedAtOnce)
{
    TRecorder Recorder;
    auto* Worker = TAnnouncingWorker::Create(TIntf<IXEngine>());
    Worker->Subscribe(TXProgressChangedAspect::StaticClass(), Recorder.Handler());
    Worker->Sink->Announce(10);
    EXPECT_EQ(Recorder.Classes(), std::vector<String>{"TXProgressChangedAspect"});
    Worker->Free();
}

TEST(WorkerRelayTest, WithAnEngineProgressReachesTheEngineThreadThroughItsQueue)
{
    auto* Engine = TXEngine::Create();
    TRecorder Recorder;
    auto* Worker = TAnnouncingWorker::Create(TIntf<IXEngine>(Engine));
    Worker->Subscribe(TXProgressChangedAspect::StaticClass(), Recorder.Handler());
    std::thread([&] {
        Worker->Sink->Announce(10);
        Worker->Sink->Announce(20);
    }).join();
    EXPECT_TRUE(Recorder.Heard.empty());   // queued, not called from the worker
    Application->ProcessMessages();
    ASSERT_EQ(Recorder.Heard.size(), 2u);
    for (const THeard& Item : Recorder.Heard)
        EXPECT_EQ(Item.Thread, GetCurrentThreadId());
    Worker->Free();
    Engine->Free();
}

}  // namespace

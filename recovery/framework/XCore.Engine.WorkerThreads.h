// XCore.Engine.WorkerThreads.h: one thread per recovery job, tied to a gear of the engine.
// The gear owns the worker and the job's data; the thread frees itself when it ends, and its
// end reaches the gear's observers on the UI thread with the job's name and error record.
// A gear is made, used and freed on the UI thread.
#pragma once

#include <chrono>
#include <thread>

#include "Rtl.Threads.h"
#include "XCore.Engine.Actions.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Engine.WorkerProgress.h"

// A worker that reports its progress through a TXWorkerProgress.
class TXWorker : public TXCustomWorker {
    X_CLASS(TXWorker, TXCustomWorker)
public:
    TXWorkerProgress* WorkerProgress() const { return FWorkerProgress; }

protected:
    TXWorker() = default;
    void Init() override;

private:
    TXWorkerProgress* FWorkerProgress = nullptr;   // held through the worker's progress interface
};

template <class TData>
class TXThreadWorkerGear;

// A job thread on a gear's worker and data. Ending the worker (TerminateWithError) terminates
// the thread; terminating the thread ends a worker that is still running, with its record.
template <class TData>
class TXWorkerThread : public TThread {
    X_CLASS(TXWorkerThread, TThread)
public:
    const TIntf<IXWorker>& Worker() const { return FWorker; }
    TData* Data() const { return FData; }   // the gear's

    void BeforeDestruction() override
    {
        FWorker->Unsubscribe(TXOperationTerminatedAspect::StaticClass(), EndedHandler());
        inherited::BeforeDestruction();
    }

protected:
    TXWorkerThread() = default;
    using TThread::Construct;
    virtual void Construct(bool ACreateSuspended, TXThreadWorkerGear<TData>* AGear, TData* AData,
                           const TIntf<IXWorker>& AWorker)
    {
        inherited::Construct(ACreateSuspended);
        FWorker = AWorker;
        FData = AData;
        SetFreeOnTerminate(true);
        SetOnTerminate(TNotifyEvent::Bind<&TXThreadWorkerGear<TData>::ThreadTerminated>(AGear));
        FWorker->Subscribe(TXOperationTerminatedAspect::StaticClass(), EndedHandler());
    }

    void TerminatedSet() override
    {
        inherited::TerminatedSet();
        FWorker->Unsubscribe(TXOperationTerminatedAspect::StaticClass(), EndedHandler());
        if (!FWorker->IsTerminated())
            FWorker->TerminateWithError(FWorker->GetErrorData());
    }

private:
    TXNotificationHandler EndedHandler() { return TXNotificationHandler::Bind<&TXWorkerThread::WorkerEnded>(this); }
    void WorkerEnded(IXNotification*)
    {
        if (!Terminated())
            Terminate();
    }

    TIntf<IXWorker> FWorker;
    TData* FData = nullptr;
};

// A gear whose work runs on threads.
class TXWorkerGear : public XCore::Engine::TXGear {
    X_CLASS(TXWorkerGear, XCore::Engine::TXGear)
protected:
    TXWorkerGear() = default;
};

// Waits on the UI thread until AEnded answers True, running the calls that threads synchronise
// meanwhile, so that a thread ending through one cannot deadlock with the wait.
void WaitServingThreads(const TMethod<bool()>& AEnded);

// One job at a time: the gear starts a thread on its worker and data and hears of its end.
template <class TData>
class TXThreadWorkerGear : public TXWorkerGear {
    X_CLASS(TXThreadWorkerGear, TXWorkerGear)
public:
    TXWorker* Worker() const { return FWorker; }
    TData* Data() const { return FData; }
    bool Running() const { return FThread != nullptr; }

    void SetEngine(const TIntf<IXEngine>& AEngine) override
    {
        inherited::SetEngine(AEngine);
        FWorker->SetEngine(AEngine);
    }

    // Starts AThread (made on this gear's worker and data) unless a job is running; answers
    // whether it started. A thread that does not start is freed.
    bool StartThread(TXWorkerThread<TData>* AThread)
    {
        if (Running()) {
            AThread->SetFreeOnTerminate(false);
            AThread->Free();
            return false;
        }
        FThread = AThread;
        AThread->Start();
        return true;
    }

    // The thread's OnTerminate, on the UI thread.
    void ThreadTerminated(TObject*)
    {
        FThread = nullptr;
        FWorker->Notify(TXNotification<TXOperationThreadTerminatedAspect>::New(
            TXOperationThreadTerminatedAspect::Create(FWorker->GetName(), FWorker->GetErrorData()), FWorker));
    }

    // The engine is set only after Init.
    void AfterConstruction() override
    {
        inherited::AfterConstruction();
        FWorker->SetEngine(GetEngine());
    }

    // A running job is terminated and waited for: its data goes with the gear.
    void BeforeDestruction() override
    {
        FWorker->UnsubscribeHandler(RelayHandler());
        if (TXWorkerThread<TData>* Thread = FThread) {
            Thread->Terminate();
            WaitServingThreads(TMethod<bool()>::Bind<&TXThreadWorkerGear::Idle>(this));
        }
        inherited::BeforeDestruction();
    }

protected:
    TXThreadWorkerGear() = default;
    ~TXThreadWorkerGear() override
    {
        FreeAndNil(FData);
        FWorkerIntf = nullptr;
    }
    void Init() override
    {
        inherited::Init();
        FWorker = TXWorker::Create(rcmInterlocked, TIntf<IXEngine>());
        FWorkerIntf = TIntf<IXWorker>(FWorker);
        FWorker->SubscribeAll(RelayHandler());
        FData = TData::Create();
    }

private:
    TXNotificationHandler RelayHandler() { return TXNotificationHandler::Bind<&TXThreadWorkerGear::Relay>(this); }
    void Relay(IXNotification* ANotification) { Notify(TIntf<IXNotification>(ANotification)); }
    bool Idle() { return FThread == nullptr; }

    TXWorker* FWorker = nullptr;   // kept alive by FWorkerIntf
    TIntf<IXWorker> FWorkerIntf;
    TXWorkerThread<TData>* FThread = nullptr;   // frees itself
    TData* FData = nullptr;                     // owned
};

// Rtl.Threads.cpp: worker threads and the hand-over of calls to the main thread.
#include "Rtl.Threads.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace {

struct TSyncRequest {
    TSyncRequest(TThread* AThread, TThreadProcedure AProc, bool ASynchronous)
        : Thread(AThread), Proc(std::move(AProc)), Synchronous(ASynchronous)
    {
    }
    TThread* Thread;
    TThreadProcedure Proc;
    bool Synchronous;
    bool Done = false;   // a synchronous request has run; its caller may go on
    std::exception_ptr Error;
};

// Everything that passes between threads and the main thread, under one lock. Never freed:
// workers may still synchronise while the process shuts down.
struct TSyncState {
    std::mutex Lock;
    // Signalled when a request comes or has run and when a thread ends.
    std::condition_variable Changed;
    // Synchronous requests live on their caller's stack, queued ones are owned here.
    std::deque<TSyncRequest*> Requests;
    TWakeMainThread Wake = nullptr;
};

TSyncState& SyncState()
{
    static auto* State = new TSyncState;
    return *State;
}

bool IsMainThread()
{
    return GetCurrentThreadId() == MainThreadID();
}

void Enqueue(TSyncRequest* ARequest)
{
    TSyncState& State = SyncState();
    TWakeMainThread Wake;
    {
        std::lock_guard Lock(State.Lock);
        State.Requests.push_back(ARequest);
        Wake = State.Wake;
    }
    State.Changed.notify_all();
    if (Wake != nullptr)
        Wake();
}

}  // namespace

// ---- TThread -----------------------------------------------------------------------------

void TThread::Construct(bool ACreateSuspended)
{
    FCreateSuspended = ACreateSuspended;
}

void TThread::AfterConstruction()
{
    inherited::AfterConstruction();
    if (!FCreateSuspended)
        Start();
}

TThread::~TThread()
{
    // Only a construction that failed after the start, or a thread that freed itself without
    // FreeOnTerminate, comes here with the thread still joinable.
    if (FHandle.joinable()) {
        if (FThreadID == GetCurrentThreadId()) {
            FHandle.detach();
        } else {
            Terminate();
            WaitFor();
        }
    }
}

void TThread::Start()
{
    if (FHandle.joinable() || FThreadID != 0)
        throw EThread("Cannot call Start on a running or finished thread");
    TSyncState& State = SyncState();
    std::unique_lock Lock(State.Lock);
    // Run takes the lock first, so it cannot reach its end before FHandle is stored.
    FHandle = std::thread([this] { Run(); });
    State.Changed.wait(Lock, [this] { return FThreadID != 0; });
}

void TThread::Run()
{
    TSyncState& State = SyncState();
    {
        std::lock_guard Lock(State.Lock);
        FThreadID = GetCurrentThreadId();
    }
    State.Changed.notify_all();
    if (!FTerminated) {
        try {
            Execute();
        } catch (...) {
            FFatalException = std::current_exception();
        }
    }
    bool FreeThread = FFreeOnTerminate;
    FFinished = true;
    try {
        DoTerminate();
    } catch (...) {
        if (!FFatalException)
            FFatalException = std::current_exception();
    }
    if (FreeThread) {
        FHandle.detach();
        Free();
    } else {
        MarkEnded();
    }
}

void TThread::MarkEnded()
{
    TSyncState& State = SyncState();
    {
        std::lock_guard Lock(State.Lock);
        FEnded = true;
    }
    State.Changed.notify_all();
}

void TThread::DoTerminate()
{
    if (FOnTerminate)
        Synchronize([this] { FOnTerminate(this); });
}

int TThread::WaitFor()
{
    if (FFreeOnTerminate)
        throw EThread("Cannot wait for a thread that frees itself");
    if (FThreadID == GetCurrentThreadId())
        throw EThread("A thread cannot wait for itself");
    if (!FHandle.joinable())
        return FReturnValue;
    bool ServeCalls = IsMainThread();
    TSyncState& State = SyncState();
    std::unique_lock Lock(State.Lock);
    while (!FEnded) {
        if (ServeCalls && !State.Requests.empty()) {
            Lock.unlock();
            CheckSynchronize();
            Lock.lock();
            continue;
        }
        State.Changed.wait(Lock);
    }
    Lock.unlock();
    FHandle.join();
    return FReturnValue;
}

void TThread::BeforeDestruction()
{
    if (FHandle.joinable() && FThreadID != GetCurrentThreadId()) {
        Terminate();
        WaitFor();
    }
    RemoveQueuedEvents(this);
    inherited::BeforeDestruction();
}

void TThread::Synchronize(TThread* AThread, const TThreadProcedure& AProc)
{
    if (IsMainThread()) {
        AProc();
        return;
    }
    TSyncRequest Request(AThread, AProc, true);
    Enqueue(&Request);
    TSyncState& State = SyncState();
    {
        std::unique_lock Lock(State.Lock);
        State.Changed.wait(Lock, [&] { return Request.Done; });
    }
    if (Request.Error)
        std::rethrow_exception(Request.Error);
}

void TThread::Queue(TThread* AThread, TThreadProcedure AProc)
{
    if (IsMainThread()) {
        AProc();
        return;
    }
    Enqueue(new TSyncRequest(AThread, std::move(AProc), false));
}

void TThread::RemoveQueuedEvents(TThread* AThread)
{
    std::deque<std::unique_ptr<TSyncRequest>> Dropped;
    TSyncState& State = SyncState();
    std::lock_guard Lock(State.Lock);
    std::erase_if(State.Requests, [&](TSyncRequest* ARequest) {
        if (ARequest->Synchronous || ARequest->Thread != AThread)
            return false;
        Dropped.emplace_back(ARequest);
        return true;
    });
}

// ---- The main thread's side --------------------------------------------------------------

bool CheckSynchronize()
{
    if (!IsMainThread())
        throw EThread("CheckSynchronize called on a thread other than the main thread");
    TSyncState& State = SyncState();
    bool Ran = false;
    for (;;) {
        TSyncRequest* Request;
        {
            std::lock_guard Lock(State.Lock);
            if (State.Requests.empty())
                return Ran;
            Request = State.Requests.front();
            State.Requests.pop_front();
        }
        Ran = true;
        if (!Request->Synchronous) {
            std::unique_ptr<TSyncRequest> Queued(Request);
            Queued->Proc();
            continue;
        }
        try {
            Request->Proc();
        } catch (...) {
            Request->Error = std::current_exception();
        }
        {
            std::lock_guard Lock(State.Lock);
            Request->Done = true;
        }
        State.Changed.notify_all();
    }
}

void SetWakeMainThread(TWakeMainThread AWake)
{
    TSyncState& State = SyncState();
    std::lock_guard Lock(State.Lock);
    State.Wake = AWake;
}

// Rtl.Threads.h: TThread, the worker thread class, and the calls it hands to the main thread.
// Synchronize and Queue run only when the main thread's loop calls CheckSynchronize; a main
// thread that blocks without doing so deadlocks every worker waiting in Synchronize.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

#include "Rtl.Methods.h"
#include "Rtl.Objects.h"
#include "Rtl.SysUtils.h"
#include "Rtl.System.h"

X_EXCEPTION(EThread, Exception);

// A call handed to the main thread: a lambda, or a bound method.
using TThreadProcedure = std::function<void()>;

class TThread : public TObject {
    X_CLASS(TThread, TObject)
public:
    // Starts a thread created suspended; raises EThread when it was started before.
    void Start();
    // Asks Execute to end; Execute polls Terminated and returns.
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }
    // Execute has returned (OnTerminate may still be running).
    bool Finished() const { return FFinished; }
    // The kernel's id of the running thread; 0 before Start.
    TThreadID ThreadID() const { return FThreadID; }
    // Waits until the thread has ended, OnTerminate included, and answers ReturnValue. On the
    // main thread it serves synchronised calls meanwhile, so a worker that synchronises on its
    // way out cannot deadlock with it. Raises EThread for a thread that frees itself and for a
    // thread that waits for itself.
    int WaitFor();
    bool FreeOnTerminate() const { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool AValue) { FFreeOnTerminate = AValue; }
    // Runs on the main thread after Execute returns.
    TNotifyEvent OnTerminate() const { return FOnTerminate; }
    void SetOnTerminate(TNotifyEvent AValue) { FOnTerminate = AValue; }
    // What Execute raised, or empty: no exception leaves the thread.
    std::exception_ptr FatalException() const { return FFatalException; }

    // Runs AProc on the main thread and waits for it; what AProc raises is raised again in the
    // caller. On the main thread AProc runs at once. AThread may be nullptr.
    static void Synchronize(TThread* AThread, const TThreadProcedure& AProc);
    // Hands AProc to the main thread without waiting; on the main thread it runs at once.
    static void Queue(TThread* AThread, TThreadProcedure AProc);
    // Drops the queued calls of AThread that have not run yet.
    static void RemoveQueuedEvents(TThread* AThread);

    void AfterConstruction() override;
    // Terminates a running thread and waits for it, so that Execute never outlives its object.
    void BeforeDestruction() override;

protected:
    TThread() = default;
    ~TThread() override;
    // A thread not created suspended starts after construction, once every Construct has run.
    virtual void Construct(bool ACreateSuspended);
    virtual void Execute() = 0;
    // Runs OnTerminate through Synchronize.
    virtual void DoTerminate();
    void Synchronize(const TThreadProcedure& AProc) { Synchronize(this, AProc); }
    void Queue(TThreadProcedure AProc) { Queue(this, std::move(AProc)); }
    int ReturnValue() const { return FReturnValue; }
    void SetReturnValue(int AValue) { FReturnValue = AValue; }

private:
    void Run();
    void MarkEnded();

    std::thread FHandle;
    std::atomic<TThreadID> FThreadID{0};
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    bool FEnded = false;   // Run has done everything but leave; guarded by the synchronise lock
    bool FCreateSuspended = false;
    bool FFreeOnTerminate = false;
    int FReturnValue = 0;
    TNotifyEvent FOnTerminate;
    std::exception_ptr FFatalException;
};

// Runs the synchronised and queued calls that wait for the main thread, in the order they
// came, and answers whether it ran any. Main thread only (raises EThread elsewhere). A queued
// call that raises stops the run; the calls after it stay queued.
bool CheckSynchronize();

// Called on a worker's thread whenever a call starts waiting for the main thread, so that a
// main loop asleep in its message wait wakes up and calls CheckSynchronize. The application
// sets it; nullptr clears it.
using TWakeMainThread = void (*)();
void SetWakeMainThread(TWakeMainThread AWake);

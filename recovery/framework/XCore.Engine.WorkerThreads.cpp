// XCore.Engine.WorkerThreads.cpp: the worker with sections, and the wait for a job's end.
#include "XCore.Engine.WorkerThreads.h"

void TXWorker::Init()
{
    inherited::Init();
    FWorkerProgress = TXWorkerProgress::Create(rcmInterlocked, TIntf<IXEngine>());
    SetProgress(TIntf<IXProgress>(FWorkerProgress));
}

void WaitServingThreads(const TMethod<bool()>& AEnded)
{
    while (!AEnded()) {
        if (!CheckSynchronize())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

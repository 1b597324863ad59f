// XCore.Engine.Worker.cpp: workers and the empty progress sink.
#include "XCore.Engine.Worker.h"

#include "XCore.Engine.Notifications.h"

TXEmptyProgress* EmptyProgress()
{
    static TXEmptyProgress* const Instance = TXEmptyProgress::Create(TIntf<IXEngine>());
    return Instance;
}

// ---- TXCustomWorker -----------------------------------------------------------------------

void TXCustomWorker::Init()
{
    inherited::Init();
    FProgress = EmptyProgress();
}

void TXCustomWorker::AfterConstruction()
{
    inherited::AfterConstruction();
    FProgress->SubscribeAll(TXNotificationHandler::Bind<&TXCustomWorker::RelayProgress>(this));
}

void TXCustomWorker::BeforeDestruction()
{
    FProgress->UnsubscribeHandler(TXNotificationHandler::Bind<&TXCustomWorker::RelayProgress>(this));
    inherited::BeforeDestruction();
}

String TXCustomWorker::GetName()
{
    std::lock_guard Guard(FStateLock);
    return FName;
}

void TXCustomWorker::SetName(const String& AValue)
{
    std::lock_guard Guard(FStateLock);
    FName = AValue;
}

bool TXCustomWorker::IsCancelled()
{
    std::lock_guard Guard(FStateLock);
    return FTerminated.load() && FErrorData.Code == 1;
}

TXErrorData TXCustomWorker::GetErrorData()
{
    std::lock_guard Guard(FStateLock);
    return FErrorData;
}

void TXCustomWorker::ResetError()
{
    std::lock_guard Guard(FStateLock);
    FTerminated.store(false);
    FErrorData.Clear();
}

bool TXCustomWorker::EndWith(const TXErrorData& AErrorData)
{
    // A cancel from the UI thread can race the operation's own end: one of them ends the worker.
    std::lock_guard Guard(FStateLock);
    if (FTerminated.load())
        return false;
    FErrorData = AErrorData;
    FTerminated.store(true);
    return true;
}

void TXCustomWorker::TerminateWithError(const TXErrorData& AErrorData)
{
    if (!EndWith(AErrorData))
        return;
    DoTerminated();
    Notify(TXNotification<TXOperationTerminatedAspect>::New(
        TXOperationTerminatedAspect::Create(GetName(), GetErrorData()), this));
    Notify(TXNotification<TXTaskTerminatedAspect>::New(TXTaskTerminatedAspect::Create(), this));
}

void TXCustomWorker::Terminate()
{
    if (!EndWith(TXErrorData::Create(1, 0, {})))
        return;
    DoTerminated();
    Notify(TXNotification<TXTaskTerminatedAspect>::New(TXTaskTerminatedAspect::Create(), this));
}

void TXCustomWorker::RelayProgress(IXNotification* ANotification)
{
    if (const TIntf<IXEngine>& Engine = GetEngine())
        Engine->Post(this, TIntf<IXMessage>(ANotification));
    else
        Notify(TIntf<IXNotification>(ANotification));
}

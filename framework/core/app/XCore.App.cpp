// XCore.App.cpp: the core application.
#include "XCore.App.h"

#include <atomic>
#include <cmath>

#include "Rtl.DateUtils.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"

namespace {

// Read from any thread: the time queries are.
std::atomic<TXNVCoreApp*> GNVCoreApp{nullptr};

// A counted notification of a signal aspect, without sender or text.
template <class TAspect>
TIntf<IXNotification> SignalNotification()
{
    return TXNotification<TAspect>::New(TAspect::Create());
}

}  // namespace

// ---- TXAppEngine --------------------------------------------------------------------------

void TXAppEngine::Init()
{
    FWindowHooks = Owned(TXLiteList<TWndMethod>::Create());
    inherited::Init();
    HWND Window = GetHandle();
    FClockWatch = std::make_unique<TClockChangeWatch>([Window] { PostMessageW(Window, WM_TIMECHANGE, 0, 0); });
}

TXAppEngine::~TXAppEngine()
{
    FClockWatch.reset();
}

int TXAppEngine::IndexOfWindowHook(TWndMethod AMethod) const
{
    for (int I = 0; I < FWindowHooks->Count(); ++I)
        if (FWindowHooks->GetItem(I) == AMethod)
            return I;
    return -1;
}

int TXAppEngine::AddWindowHook(TWndMethod AMethod)
{
    int Index = IndexOfWindowHook(AMethod);
    return Index >= 0 ? Index : FWindowHooks->Add(AMethod);
}

int TXAppEngine::RemoveWindowHook(TWndMethod AMethod)
{
    int Index = IndexOfWindowHook(AMethod);
    if (Index >= 0)
        FWindowHooks->Delete(Index);
    return Index;
}

void TXAppEngine::WindowProc(TMessage& AMessage)
{
    // A hook may add or remove hooks: each sees the list as it was when the message came.
    std::vector<TWndMethod> Hooks;
    for (int I = 0; I < FWindowHooks->Count(); ++I)
        Hooks.push_back(FWindowHooks->GetItem(I));
    for (const TWndMethod& Hook : Hooks)
        Hook(AMessage);
    if (AMessage.Msg == WM_QUIT) {
        if (TXNVCoreApp* App = NVCoreApp())
            App->NotifyTerminated();
    } else if (AMessage.Msg == WM_TIMECHANGE) {
        Notify(SignalNotification<TXSystemTimeChangedAspect>());
    }
    inherited::WindowProc(AMessage);
}

// ---- TXNVCoreApp --------------------------------------------------------------------------

void TXNVCoreApp::Init()
{
    inherited::Init();
    FEngine = TXAppEngine::Create();
}

TXNVCoreApp::~TXNVCoreApp()
{
    FreeAndNil(FEngine);
}

void TXNVCoreApp::NotifyTerminated()
{
    if (FTerminated)
        return;
    FTerminated = true;
    FEngine->Notify(SignalNotification<TXAppTerminatedAspect>());
}

TDateTime TXNVCoreApp::Now()
{
    return ::Now();
}

TDateTime TXNVCoreApp::UtcNow()
{
    TSystemTime Utc;
    GetSystemTime(Utc);
    return SystemTimeToDateTime(Utc);
}

TDateTime TXNVCoreApp::Date()
{
    return std::trunc(double(Now()));
}

TDateTime TXNVCoreApp::Time()
{
    double Value = Now();
    return Value - std::trunc(Value);
}

void TXNVCoreApp::GetTickStamp(uint32_t& AStamp)
{
    AStamp = GetTickCount();
}

void TXNVCoreApp::GetTickElapsed(uint32_t& AStamp)
{
    uint32_t Current = 0;
    GetTickStamp(Current);
    AStamp = Current - AStamp;
}

TXNVCoreApp* NVCoreApp()
{
    return GNVCoreApp.load();
}

void SetNVCoreApp(TXNVCoreApp* AApp)
{
    if (TXNVCoreApp* Old = GNVCoreApp.exchange(AApp); Old != nullptr && Old != AApp)
        Old->Free();
}

// Vcl.Timers.cpp: the timer component over a hidden window's timer.
#include "Vcl.Timers.h"

#include "Vcl.Application.h"

namespace {

constexpr UINT_PTR kTimerId = 1;

}  // namespace

void TTimer::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FWindowHandle = AllocateHWnd(TWndMethod::Bind<&TTimer::WndProc>(this));
}

TTimer::~TTimer()
{
    DeallocateHWnd(FWindowHandle);
}

void TTimer::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
    P.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
    P.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

void TTimer::SetEnabled(bool AValue)
{
    if (FEnabled == AValue)
        return;
    FEnabled = AValue;
    UpdateTimer();
}

void TTimer::SetInterval(UINT AValue)
{
    if (FInterval == AValue)
        return;
    FInterval = AValue;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent AValue)
{
    FOnTimer = AValue;
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    KillTimer(FWindowHandle, kTimerId);
    if (FInterval != 0 && FEnabled && FOnTimer)
        SetTimer(FWindowHandle, kTimerId, FInterval);
}

void TTimer::Timer()
{
    if (FOnTimer)
        FOnTimer(this);
}

// Timer may free this timer (a one-shot one does), so nothing here touches it afterwards.
void TTimer::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg != WM_TIMER) {
        AMessage.Result = DefWindowProcW(FWindowHandle, AMessage.Msg, AMessage.WParam, AMessage.LParam);
        return;
    }
    try {
        Timer();
    } catch (...) {
        Application->HandleException(this);
    }
}

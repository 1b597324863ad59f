// Vcl.Timers.h: the timer component. Its OnTimer fires from the message loop of the thread
// that created it, every Interval milliseconds while it is enabled and has a handler.
#pragma once

#include "Rtl.Classes.h"
#include "Rtl.TypInfo.h"
#include "Win.Messages.h"

class TTimer : public TComponent {
    X_CLASS(TTimer, TComponent)
public:
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool AValue);
    // Milliseconds; 0 stops the timer.
    UINT Interval() const { return FInterval; }
    void SetInterval(UINT AValue);
    TNotifyEvent OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent AValue);

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TTimer() = default;
    ~TTimer() override;
    void Construct(TComponent* AOwner) override;
    // Fires OnTimer. What it raises goes to the application's HandleException.
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(TMessage& AMessage);

    HWND FWindowHandle = nullptr;
    UINT FInterval = 1000;
    bool FEnabled = true;
    TNotifyEvent FOnTimer;
};

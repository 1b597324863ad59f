// XSpark.Clock.h: the application clock: a 1000 ms timer that reads the core application's UTC
// time, turns it into local time through the zone, and tells its observers of every tick, every
// change of minute, each exact minute (none skipped after a pause or sleep), a new day and a
// full hour; clock gears turn these into component events. Everything runs on the UI thread,
// inside the tick: observers of exact minutes must be cheap, a tick may bring 2880 of them.
#pragma once

#include <cstdint>

#include "Rtl.Classes.h"
#include "Win.Messages.h"
#include "XCore.Classes.h"
#include "XCore.Collections.h"
#include "XCore.DateTime.h"
#include "XCore.Engine.h"

class TXNVClock : public TXInitializableObject {
    X_CLASS(TXNVClock, TXInitializableObject)
public:
    // Reads the time zone again, then Update.
    virtual void ResetTimeZone();
    // Reads the time into the fields below; answers LocalNow.
    virtual TDateTime Update();
    // What the timer runs each second (and the clock after a change of the system time): Update,
    // then the notifications. A tick asked for while one runs (a handler pumping messages) is
    // dropped: the running one already covers that time.
    void Tick();

    // The clock's notifications go to the observers of this observable, on the application
    // engine.
    XCore::Engine::TXObservable* Observable() const { return FObservable; }
    // The local time at creation.
    TDateTime StartTime() const { return FStartTime; }
    // The local time at the last change of minute.
    TDateTime PrevLocalNow() const { return FPrevLocalNow; }
    TDateTime LocalNow() const { return FLocalNow; }
    TDateTime UtcNow() const { return FUtcNow; }
    // UtcNow - LocalNow, in days.
    TDateTime UtcBias() const { return FUtcBias; }
    const TXDateTimeRecord& LocalTime() const { return FLocalTime; }
    // The minute of the day at the last tick.
    uint16_t LastMinute() const { return FLastMinute; }
    // Inverted on every tick.
    bool TickFlag() const { return FTickFlag; }

protected:
    TXNVClock() = default;
    ~TXNVClock() override;
    void Init() override;

private:
    void TimerProc(TMessage& AMessage);
    void SystemTimeChanged(IXNotification* ANotification);
    // Exact minutes AFirst..ALast, each at ABase plus its distance from ABaseMinute.
    void NotifyExactMinutes(int AFirst, int ALast, TDateTime ABase, int ABaseMinute);
    template <class TAspect, class... TArgs>
    void NotifyAspect(TArgs... AArgs);

    XCore::Engine::TXObservable* FObservable = nullptr;   // owned
    HWND FTimerWindow = nullptr;
    TIntf<IXObserverKeeper> FTimeChangeKeeper;
    TDateTime FStartTime, FPrevLocalNow, FLocalNow, FUtcNow, FUtcBias;
    TXDateTimeRecord FLocalTime;
    uint16_t FLastMinute = 0;
    bool FTickFlag = false;
    bool FTicking = false;
};

// The application's timers, freed with it.
class TXNVTimers : public TXInitializableObject {
    X_CLASS(TXNVTimers, TXInitializableObject)
public:
    XCore::Collections::TXComponentList<>* Timers() const { return FTimers; }

protected:
    TXNVTimers() = default;
    ~TXNVTimers() override;
    void Init() override;

private:
    XCore::Collections::TXComponentList<>* FTimers = nullptr;   // owns its timers
};

using TXDateTimeEvent = TMethod<void(TObject* ASender, TDateTime ADateTime, uint16_t AMinOfDay)>;
using TXTickEvent = TMethod<void(TObject* ASender, bool ATick)>;

// A component whose events follow the application clock once started. Assigning an event
// subscribes the gear to the clock's matching notification; clearing it unsubscribes.
class TXClockGear : public TComponent {
    X_CLASS(TXClockGear, TComponent)
public:
    bool Started() const { return FStarted; }
    // Starts following the clock, and fires at once, each when assigned: OnDay, OnExactMinute
    // (the clock's local time and minute of the day), OnMinute, OnChanged and OnTick. Owners
    // call it after wiring the events and loading their data.
    void Start();

    TXDateTimeEvent OnExactMinute() const { return FOnExactMinute; }
    void SetOnExactMinute(TXDateTimeEvent AValue);
    TNotifyEvent OnMinute() const { return FOnMinute; }
    void SetOnMinute(TNotifyEvent AValue);
    TNotifyEvent OnHour() const { return FOnHour; }
    void SetOnHour(TNotifyEvent AValue);
    TNotifyEvent OnDay() const { return FOnDay; }
    void SetOnDay(TNotifyEvent AValue);
    TNotifyEvent OnChanged() const { return FOnChanged; }
    void SetOnChanged(TNotifyEvent AValue);
    TXTickEvent OnTick() const { return FOnTick; }
    void SetOnTick(TXTickEvent AValue);

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXClockGear() = default;
    virtual void DoExactMinute(TDateTime ADateTime, uint16_t AMinOfDay);
    virtual void DoMinute();
    virtual void DoHour();
    virtual void DoDay();
    virtual void DoChanged();
    virtual void DoTick(bool ATick);

private:
    enum TSubscription { sbExactMinute, sbMinute, sbHour, sbDay, sbChanged, sbTick, sbCount };

    void Follow(TSubscription ASubscription, bool AFollow);
    void HearExactMinute(IXNotification* ANotification);
    void HearTick(IXNotification* ANotification);
    template <void (TXClockGear::*ADo)()>
    void HearSignal(IXNotification* ANotification);

    bool FStarted = false;
    TXDateTimeEvent FOnExactMinute;
    TNotifyEvent FOnMinute, FOnHour, FOnDay, FOnChanged;
    TXTickEvent FOnTick;
    // Releasing a keeper ends its subscription, also when the gear goes.
    TIntf<IXObserverKeeper> FKeepers[sbCount];
};

// Made by StartAppClock (timers, then the clock) after the application singletons, freed by
// StopAppClock in the reverse order; nullptr outside.
TXNVTimers* AppTimers();
TXNVClock* AppClock();
void StartAppClock();
void StopAppClock();
// The minute (0-59) of the clock's start time; the clock must be running.
int GetClockStartMinute();

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

// A component that runs a periodic job every so many days, asking the user first: the base of
// the timed update check. Once started it counts minutes on the clock; Delay minutes after the
// start (and after each change of day) it looks at the last run date, and when IntervalDays
// have passed since then (or the date lies ahead of today) it asks Confirm. Confirmed, the date
// becomes today and Run follows; declined, the date is set so that the question comes again
// RetryDays later. Descendants keep the date and do the work.
class TXElapsedDaysGear : public TComponent {
    X_CLASS(TXElapsedDaysGear, TComponent)
public:
    // Subscribes to the clock's minute and day notifications; needs the clock running.
    void Start();
    bool Started() const { return FStarted; }
    // True while a look at the date is pending.
    bool Armed() const { return FArmed; }
    int Delay() const { return FDelay; }
    // Sets the minutes to wait, starts counting them again and arms the gear.
    void SetDelay(int AMinutes);
    // Minutes left before the next look.
    int Countdown() const { return FCountdown; }
    int IntervalDays() const { return FIntervalDays; }
    void SetIntervalDays(int AValue) { FIntervalDays = AValue; }
    int RetryDays() const { return FRetryDays; }
    void SetRetryDays(int AValue) { FRetryDays = AValue; }

protected:
    TXElapsedDaysGear() = default;
    virtual TDateTime GetLastDate() = 0;
    virtual void SetLastDate(TDateTime ADate) = 0;
    virtual bool Confirm() = 0;
    virtual void Run() = 0;

private:
    void HearMinute(IXNotification* ANotification);
    void HearDay(IXNotification* ANotification);
    void CheckElapsedDays();

    bool FStarted = false;
    bool FArmed = true;
    int FDelay = 5;
    int FCountdown = 5;
    int FIntervalDays = 30;
    int FRetryDays = 10;
    // Releasing a keeper ends its subscription, also when the gear goes.
    TIntf<IXObserverKeeper> FMinuteKeeper, FDayKeeper;
};

// Made by StartAppClock (timers, then the clock) after the application singletons, freed by
// StopAppClock in the reverse order; nullptr outside.
TXNVTimers* AppTimers();
TXNVClock* AppClock();
void StartAppClock();
void StopAppClock();
// The minute (0-59) of the clock's start time; the clock must be running.
int GetClockStartMinute();

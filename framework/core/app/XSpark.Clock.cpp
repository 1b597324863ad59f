// XSpark.Clock.cpp: the application clock and its gears.
#include "XSpark.Clock.h"

#include <utility>

#include "Rtl.DateUtils.h"
#include "Rtl.TypInfo.h"
#include "Win.Time.h"
#include "XCore.App.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"

using XCore::Engine::TXObservable;

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerInterval = 1000;
constexpr int kLastMinuteOfDay = 24 * 60 - 1;

TXNVTimers* GAppTimers = nullptr;
TXNVClock* GAppClock = nullptr;

// Clears a flag when the scope ends, however it ends.
class TFlagScope {
public:
    explicit TFlagScope(bool& AFlag) : FFlag(AFlag) { FFlag = true; }
    ~TFlagScope() { FFlag = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
};

}  // namespace

// ---- TXNVClock ----------------------------------------------------------------------------

void TXNVClock::Init()
{
    inherited::Init();
    TXAppEngine* Engine = NVCoreApp()->Engine();
    FObservable = TXObservable::Create(TIntf<IXEngine>(Engine));
    ResetTimeZone();
    FStartTime = FPrevLocalNow = FLocalNow;
    FLastMinute = static_cast<uint16_t>(SystemTimeToMinuteOfDay(FLocalTime));
    FTimerWindow = AllocateHWnd(TWndMethod::Bind<&TXNVClock::TimerProc>(this));
    SetTimer(FTimerWindow, kTimerId, kTimerInterval);
    Engine->SubscribeWithKeeper(TXSystemTimeChangedAspect::StaticClass(), FTimeChangeKeeper, nullptr,
                                TXNotificationHandler::Bind<&TXNVClock::SystemTimeChanged>(this));
}

TXNVClock::~TXNVClock()
{
    FTimeChangeKeeper.Reset();
    if (FTimerWindow != nullptr)
        DeallocateHWnd(FTimerWindow);
    FreeAndNil(FObservable);
}

void TXNVClock::ResetTimeZone()
{
    ::ResetTimeZone();
    Update();
}

TDateTime TXNVClock::Update()
{
    FUtcNow = NVCoreApp()->UtcNow();
    TDateTime Local = UtcToLocalDateTime(FUtcNow);
    TXDateTimeRecord& T = FLocalTime;
    DecodeDate(Local, T.Year, T.Month, T.Day);
    DecodeTime(Local, T.Hour, T.Minute, T.Second, T.MSec);
    T.DayOfWeek = static_cast<uint16_t>(DayOfTheWeek(Local));
    FLocalNow = DateTimeRecordToDateTime(T);
    FUtcBias = FUtcNow - FLocalNow;
    return FLocalNow;
}

void TXNVClock::Tick()
{
    // A handler that pumps messages (a message box) would otherwise send the minutes that this
    // tick is still sending a second time.
    if (FTicking)
        return;
    TFlagScope Ticking(FTicking);
    Update();
    FTickFlag = !FTickFlag;
    int Minute = SystemTimeToMinuteOfDay(FLocalTime);
    if (Minute != FLastMinute) {
        NotifyAspect<TXTimeChangedAspect>();
        // A new date in either direction: the rest of the last day, then the new day's minutes.
        if (!IsSameDay(FLocalNow, FPrevLocalNow)) {
            NotifyExactMinutes(FLastMinute + 1, kLastMinuteOfDay, FPrevLocalNow, FLastMinute);
            NotifyAspect<TXTimeDayAspect>();
            NotifyExactMinutes(0, Minute, DateOf(FLocalNow), 0);
        } else if (Minute > FLastMinute) {
            NotifyExactMinutes(FLastMinute + 1, Minute, FPrevLocalNow, FLastMinute);
        }
        FLastMinute = static_cast<uint16_t>(Minute);
        FPrevLocalNow = FLocalNow;
        if (FLocalTime.Minute == 0)
            NotifyAspect<TXTimeHourAspect>();
        NotifyAspect<TXTimeMinuteAspect>();
    }
    NotifyAspect<TXTimeTickAspect>(static_cast<uint8_t>(FTickFlag));
}

void TXNVClock::NotifyExactMinutes(int AFirst, int ALast, TDateTime ABase, int ABaseMinute)
{
    for (int I = AFirst; I <= ALast; ++I) {
        TDateTime Time = ABase + (I - ABaseMinute) / MinsPerDay;
        NotifyAspect<TXTimeExactMinuteAspect>(static_cast<uint16_t>(I), Time);
    }
}

template <class TAspect, class... TArgs>
void TXNVClock::NotifyAspect(TArgs... AArgs)
{
    FObservable->Notify(TXNotification<TAspect>::New(TAspect::Create(AArgs...)));
}

void TXNVClock::TimerProc(TMessage& AMessage)
{
    if (AMessage.Msg == WM_TIMER)
        Tick();
}

void TXNVClock::SystemTimeChanged(IXNotification*)
{
    ResetTimeZone();
    Tick();
}

// ---- TXNVTimers ---------------------------------------------------------------------------

void TXNVTimers::Init()
{
    inherited::Init();
    FTimers = XCore::Collections::TXComponentList<>::Create(true);
}

TXNVTimers::~TXNVTimers()
{
    FreeAndNil(FTimers);
}

// ---- TXClockGear --------------------------------------------------------------------------

void TXClockGear::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("OnExactMinute", &TXClockGear::OnExactMinute, &TXClockGear::SetOnExactMinute);
    P.Property("OnMinute", &TXClockGear::OnMinute, &TXClockGear::SetOnMinute);
    P.Property("OnHour", &TXClockGear::OnHour, &TXClockGear::SetOnHour);
    P.Property("OnDay", &TXClockGear::OnDay, &TXClockGear::SetOnDay);
    P.Property("OnChanged", &TXClockGear::OnChanged, &TXClockGear::SetOnChanged);
    P.Property("OnTick", &TXClockGear::OnTick, &TXClockGear::SetOnTick);
}

void TXClockGear::Start()
{
    FStarted = true;
    TXNVClock* Clock = AppClock();
    if (Clock == nullptr)
        return;
    DoDay();
    DoExactMinute(Clock->LocalNow(), static_cast<uint16_t>(SystemTimeToMinuteOfDay(Clock->LocalTime())));
    DoMinute();
    DoChanged();
    DoTick(Clock->TickFlag());
}

void TXClockGear::SetOnExactMinute(TXDateTimeEvent AValue)
{
    FOnExactMinute = AValue;
    Follow(sbExactMinute, bool(AValue));
}

void TXClockGear::SetOnMinute(TNotifyEvent AValue)
{
    FOnMinute = AValue;
    Follow(sbMinute, bool(AValue));
}

void TXClockGear::SetOnHour(TNotifyEvent AValue)
{
    FOnHour = AValue;
    Follow(sbHour, bool(AValue));
}

void TXClockGear::SetOnDay(TNotifyEvent AValue)
{
    FOnDay = AValue;
    Follow(sbDay, bool(AValue));
}

void TXClockGear::SetOnChanged(TNotifyEvent AValue)
{
    FOnChanged = AValue;
    Follow(sbChanged, bool(AValue));
}

void TXClockGear::SetOnTick(TXTickEvent AValue)
{
    FOnTick = AValue;
    Follow(sbTick, bool(AValue));
}

void TXClockGear::Follow(TSubscription ASubscription, bool AFollow)
{
    TIntf<IXObserverKeeper>& Keeper = FKeepers[ASubscription];
    if (!AFollow) {
        Keeper.Reset();
        return;
    }
    TXNVClock* Clock = AppClock();
    if (Keeper || Clock == nullptr)
        return;
    using H = TXNotificationHandler;
    const std::pair<TClass, H> Listeners[sbCount] = {
        {TXTimeExactMinuteAspect::StaticClass(), H::Bind<&TXClockGear::HearExactMinute>(this)},
        {TXTimeMinuteAspect::StaticClass(), H::Bind<&TXClockGear::HearSignal<&TXClockGear::DoMinute>>(this)},
        {TXTimeHourAspect::StaticClass(), H::Bind<&TXClockGear::HearSignal<&TXClockGear::DoHour>>(this)},
        {TXTimeDayAspect::StaticClass(), H::Bind<&TXClockGear::HearSignal<&TXClockGear::DoDay>>(this)},
        {TXTimeChangedAspect::StaticClass(), H::Bind<&TXClockGear::HearSignal<&TXClockGear::DoChanged>>(this)},
        {TXTimeTickAspect::StaticClass(), H::Bind<&TXClockGear::HearTick>(this)},
    };
    const auto& [Aspect, Handler] = Listeners[ASubscription];
    Clock->Observable()->SubscribeWithKeeper(Aspect, Keeper, nullptr, Handler);
}

void TXClockGear::HearExactMinute(IXNotification* ANotification)
{
    if (!FStarted)
        return;
    auto* Aspect = AspectOf<TXTimeExactMinuteAspect>(ANotification);
    DoExactMinute(Aspect->Time, Aspect->Count);
}

void TXClockGear::HearTick(IXNotification* ANotification)
{
    if (FStarted)
        DoTick(AspectOf<TXTimeTickAspect>(ANotification)->Value != 0);
}

template <void (TXClockGear::*ADo)()>
void TXClockGear::HearSignal(IXNotification*)
{
    if (FStarted)
        (this->*ADo)();
}

void TXClockGear::DoExactMinute(TDateTime ADateTime, uint16_t AMinOfDay)
{
    if (FOnExactMinute)
        FOnExactMinute(this, ADateTime, AMinOfDay);
}

void TXClockGear::DoMinute()
{
    if (FOnMinute)
        FOnMinute(this);
}

void TXClockGear::DoHour()
{
    if (FOnHour)
        FOnHour(this);
}

void TXClockGear::DoDay()
{
    if (FOnDay)
        FOnDay(this);
}

void TXClockGear::DoChanged()
{
    if (FOnChanged)
        FOnChanged(this);
}

void TXClockGear::DoTick(bool ATick)
{
    if (FOnTick)
        FOnTick(this, ATick);
}

// ---- TXElapsedDaysGear --------------------------------------------------------------------

void TXElapsedDaysGear::Start()
{
    TXNVClock* Clock = AppClock();
    if (FStarted || Clock == nullptr)
        return;
    FStarted = true;
    Clock->Observable()->SubscribeWithKeeper(TXTimeMinuteAspect::StaticClass(), FMinuteKeeper, nullptr,
                                             TXNotificationHandler::Bind<&TXElapsedDaysGear::HearMinute>(this));
    Clock->Observable()->SubscribeWithKeeper(TXTimeDayAspect::StaticClass(), FDayKeeper, nullptr,
                                             TXNotificationHandler::Bind<&TXElapsedDaysGear::HearDay>(this));
}

void TXElapsedDaysGear::SetDelay(int AMinutes)
{
    FDelay = FCountdown = AMinutes;
    FArmed = true;
}

void TXElapsedDaysGear::HearMinute(IXNotification*)
{
    if (!FArmed || --FCountdown > 0)
        return;
    FArmed = false;
    CheckElapsedDays();
}

// A program that runs for weeks looks again every day.
void TXElapsedDaysGear::HearDay(IXNotification*)
{
    SetDelay(FDelay);
}

void TXElapsedDaysGear::CheckElapsedDays()
{
    TDateTime Today = DateOf(AppClock()->LocalNow());
    TDateTime Last = DateOf(GetLastDate());
    // A date ahead of today comes from a clock that was wrong; waiting for it could take years.
    if (Last <= Today && Today - Last < FIntervalDays)
        return;
    if (Confirm()) {
        SetLastDate(Today);
        Run();
    } else {
        SetLastDate(Today - FIntervalDays + FRetryDays);
    }
}

// ---- Singletons ---------------------------------------------------------------------------

TXNVTimers* AppTimers()
{
    return GAppTimers;
}

TXNVClock* AppClock()
{
    return GAppClock;
}

void StartAppClock()
{
    GAppTimers = TXNVTimers::Create();
    GAppClock = TXNVClock::Create();
}

void StopAppClock()
{
    FreeAndNil(GAppClock);
    FreeAndNil(GAppTimers);
}

int GetClockStartMinute()
{
    uint16_t Hour, Minute, Second, MSec;
    DecodeTime(GAppClock->StartTime(), Hour, Minute, Second, MSec);
    return Minute;
}

// XEngine.h: the user interface's command machinery: gears (components that take string and
// integer commands, at once or a moment later through one-shot timers), gear boxes that own
// child gears and hand them a window, engine boxes whose hidden window turns hot keys into
// commands, the application's message window and the start timers.
// These TXGear and TXEngine are components, not the observables of XCore::Engine. UI thread only.
#pragma once

#include <cstdint>
#include <type_traits>

#include "Rtl.Classes.h"
#include "Rtl.TypInfo.h"
#include "Vcl.Timers.h"
#include "Vcl.Application.h"
#include "Win.Messages.h"
#include "XCore.Collections.h"
#include "XCore.Engine.Interfaces.h"
#include "XClasses.h"

namespace XEngine {

// Where a command came from, or what kind of target it has; stored as one byte.
X_ENUM(TXHitType, xhtNone, xhtClient, xhtCaption, xhtSysMenu, xhtSize, xhtMenu, xhtHScroll, xhtVScroll, xhtMin,
       xhtMax, xhtLeft, xhtRight, xhtTop, xhtTopLeft, xhtTopRight, xhtBottom, xhtBottomLeft, xhtBottomRight, xhtBorder,
       xhtObject, xhtClose, xhtHelp, xhtRoll, xhtTray, xhtExe, xhtMail, xhtWeb, xhtDownload, xhtCgiDownload,
       xhtKeyDownload, xhtCustom);

using TXCommandEvent = TMethod<void(TObject* ASender, int AMonitor, TXHitType AHit, const String& AHitName,
                                    const String& ACommand, const String& AArgs)>;
using TXIntCommandEvent = TMethod<void(TObject* ASender, int AMonitor, TXHitType AHit, const String& AHitName,
                                       int ACommand, const String& AArgs)>;
using TXHandledMessageEvent = TMethod<void(TMessage& AMsg, bool& AHandled)>;
// AFrom is the sending window's handle.
using TXWMCopyDataEvent = TMethod<void(TObject* ASender, uintptr_t AFrom, int ADataType, const String& AData)>;

// ---- Gears -------------------------------------------------------------------------------

class TXGear : public TComponent {
    X_CLASS(TXGear, TComponent)
public:
    bool Active() const { return FActive; }
    // The window the gear is attached to; nullptr when none.
    HWND Window() const { return FWindow; }

    // DoCommand, then OnCommand, with the same arguments.
    void Command(TObject* ASender, int AMonitor, TXHitType AHit, const String& AHitName, const String& ACommand,
                 const String& AArgs);
    void IntCommand(TObject* ASender, int AMonitor, TXHitType AHit, const String& AHitName, int ACommand,
                    const String& AArgs);
    // Runs DoCommand about 20 ms from now and OnCommand (as it is now) about 50 ms from now,
    // both with Sender nullptr. Commands still pending when the gear goes are dropped.
    void PostCommand(TObject* ASender, int AMonitor, TXHitType AHit, const String& AHitName, const String& ACommand,
                     const String& AArgs);
    void PostIntCommand(TObject* ASender, int AMonitor, TXHitType AHit, const String& AHitName, int ACommand,
                        const String& AArgs);

    virtual void SetActive(bool AValue) { FActive = AValue; }
    // False when the gear cannot work.
    virtual bool Prepare() { return true; }
    virtual void AttachWindow(HWND AHandle) { FWindow = AHandle; }
    virtual void DetachWindow() {}
    // The command the hot key AHotKeyId stands for; 0 for none.
    virtual int HotKeyCommand(int) { return 0; }

    TXCommandEvent OnCommand() const { return FOnCommand; }
    void SetOnCommand(TXCommandEvent AValue) { FOnCommand = AValue; }
    TXIntCommandEvent OnIntCommand() const { return FOnIntCommand; }
    void SetOnIntCommand(TXIntCommandEvent AValue) { FOnIntCommand = AValue; }

    // Clears Active and detaches the window, while the overrides can still hear it.
    void BeforeDestruction() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXGear() = default;
    virtual void DoCommand(TObject*, int, TXHitType, const String&, const String&, const String&) {}
    virtual void DoIntCommand(TObject*, int, TXHitType, const String&, int, const String&) {}

private:
    bool FActive = true;
    HWND FWindow = nullptr;
    TXCommandEvent FOnCommand;
    TXIntCommandEvent FOnIntCommand;
};

class TXGearList : public XCore::Collections::TXComponentList<TXGear> {
    X_CLASS(TXGearList, XCore::Collections::TXComponentList<TXGear>)
protected:
    TXGearList() = default;
};

// A gear with a hidden window of its own, released with the gear.
class TXMessageGear : public TXGear {
    X_CLASS(TXMessageGear, TXGear)
public:
    HWND Handle() const { return FHandle; }
    virtual void AttachOwnWindow() { AttachWindow(FHandle); }

protected:
    TXMessageGear() = default;
    ~TXMessageGear() override;
    void Construct(TComponent* AOwner) override;
    // The base passes every message to the default window procedure.
    virtual void WndProc(TMessage& AMessage);

private:
    void MainWndProc(TMessage& AMessage);

    HWND FHandle = nullptr;
};

// A gear that owns child gears: it prepares them and hands them its window.
class TXGearBox : public TXGear {
    X_CLASS(TXGearBox, TXGear)
public:
    // Owning: a child freed here or elsewhere leaves the list.
    TXGearList* Gears() const { return FGears; }
    // Nested: UpdateBegun when the first level opens, UpdateEnded when the last one closes.
    void BeginUpdate() { FCounter.BeginUpdate(); }
    void EndUpdate() { FCounter.EndUpdate(); }

    // Prepares every child, even after one has failed; True only when all succeeded.
    bool Prepare() override;
    // A child with a window of its own attaches to that; every other child to AHandle.
    void AttachWindow(HWND AHandle) override;
    void DetachWindow() override;
    // Frees the children after the inherited detach.
    void BeforeDestruction() override;

protected:
    TXGearBox() = default;
    ~TXGearBox() override;
    void Construct(TComponent* AOwner) override;
    virtual void UpdateBegun() {}
    virtual void UpdateEnded() {}

private:
    TXGearList* FGears = nullptr;
    XClasses::TXChangeCounter FCounter;
};

// A gear box with a hidden window of its own, which it prepares its children on and whose
// hot keys it turns into integer commands of the children that know them.
class TXEngineBox : public TXGearBox {
    X_CLASS(TXEngineBox, TXGearBox)
public:
    HWND Handle() const { return FHandle; }
    virtual void AttachOwnWindow() { AttachWindow(FHandle); }
    // The gear box's preparation, then the own window for itself and its children.
    bool Prepare() override;

protected:
    TXEngineBox() = default;
    ~TXEngineBox() override;
    void Construct(TComponent* AOwner) override;
    // A hidden window whose procedure is AMethod; the message window's is a captioned one.
    virtual HWND AllocateWindow(TWndMethod AMethod);
    // WM_HOTKEY: IntCommand (Sender nullptr, monitor 0, xhtCustom, the child's name) for every
    // child that knows the key, in list order; the rest goes to the default window procedure.
    virtual void WndProc(TMessage& AMessage);

private:
    void MainWndProc(TMessage& AMessage);

    HWND FHandle = nullptr;
};

// The base of the programs' engines.
class TXEngine : public TXEngineBox {
    X_CLASS(TXEngine, TXEngineBox)
protected:
    TXEngine() = default;
};

// ---- Event notifier ----------------------------------------------------------------------

class TXEventNotifier : public TXGear {
    X_CLASS(TXEventNotifier, TXGear)
public:
    // Appends a registration (duplicates too) and answers it; the notifier owns it.
    XClasses::TXEventObject* AddHandler(int AKind, TNotifyEvent AHandler);
    // Drops the first registration of AHandler.
    void RemoveHandler(TNotifyEvent AHandler);
    // Calls every handler registered for AKind with ASender, in registration order.
    void Notify(TObject* ASender, int AKind);

protected:
    TXEventNotifier() = default;
    ~TXEventNotifier() override;
    void Construct(TComponent* AOwner) override;

private:
    TObjectList* FHandlers = nullptr;   // owns its TXEventObjects
};

// ---- Message window ----------------------------------------------------------------------

// The application's message window: it takes over the platform application's events and
// passes them on to its own, and handles the messages other instances send it. Its hidden
// window carries the application's title as caption, so that they can find it.
class TXMsgWindow : public TXEngineBox {
    X_CLASS(TXMsgWindow, TXEngineBox)
public:
    virtual void MinimizeApp() { Application->Minimize(); }
    virtual void RestoreApp() { Application->Restore(); }

    TActionEvent OnActionExecute() const { return FOnActionExecute; }
    void SetOnActionExecute(TActionEvent AValue) { FOnActionExecute = AValue; }
    TActionEvent OnActionUpdate() const { return FOnActionUpdate; }
    void SetOnActionUpdate(TActionEvent AValue) { FOnActionUpdate = AValue; }
    TNotifyEvent OnActivate() const { return FOnActivate; }
    void SetOnActivate(TNotifyEvent AValue) { FOnActivate = AValue; }
    TNotifyEvent OnDeactivate() const { return FOnDeactivate; }
    void SetOnDeactivate(TNotifyEvent AValue) { FOnDeactivate = AValue; }
    TExceptionEvent OnException() const { return FOnException; }
    void SetOnException(TExceptionEvent AValue) { FOnException = AValue; }
    TIdleEvent OnIdle() const { return FOnIdle; }
    void SetOnIdle(TIdleEvent AValue) { FOnIdle = AValue; }
    THelpEvent OnHelp() const { return FOnHelp; }
    void SetOnHelp(THelpEvent AValue) { FOnHelp = AValue; }
    TNotifyEvent OnHint() const { return FOnHint; }
    void SetOnHint(TNotifyEvent AValue) { FOnHint = AValue; }
    TMessageEvent OnMessage() const { return FOnMessage; }
    void SetOnMessage(TMessageEvent AValue) { FOnMessage = AValue; }
    TNotifyEvent OnMinimize() const { return FOnMinimize; }
    void SetOnMinimize(TNotifyEvent AValue) { FOnMinimize = AValue; }
    TNotifyEvent OnRestore() const { return FOnRestore; }
    void SetOnRestore(TNotifyEvent AValue) { FOnRestore = AValue; }
    TShowHintEvent OnShowHint() const { return FOnShowHint; }
    void SetOnShowHint(TShowHintEvent AValue) { FOnShowHint = AValue; }
    TShortCutEvent OnShortCut() const { return FOnShortCut; }
    void SetOnShortCut(TShortCutEvent AValue) { FOnShortCut = AValue; }
    TSettingChangeEvent OnSettingChange() const { return FOnSettingChange; }
    void SetOnSettingChange(TSettingChangeEvent AValue) { FOnSettingChange = AValue; }
    TNotifyEvent OnModalBegin() const { return FOnModalBegin; }
    void SetOnModalBegin(TNotifyEvent AValue) { FOnModalBegin = AValue; }
    TNotifyEvent OnModalEnd() const { return FOnModalEnd; }
    void SetOnModalEnd(TNotifyEvent AValue) { FOnModalEnd = AValue; }
    // Sees the messages of the hidden window that it does not handle itself.
    TXHandledMessageEvent OnXMessage() const { return FOnXMessage; }
    void SetOnXMessage(TXHandledMessageEvent AValue) { FOnXMessage = AValue; }
    // Kept for the programs; the window never fires it.
    TNotifyEvent OnOpen() const { return FOnOpen; }
    void SetOnOpen(TNotifyEvent AValue) { FOnOpen = AValue; }
    // "NVMActivateApplication" with wParam 2.
    TNotifyEvent OnTerminate() const { return FOnTerminate; }
    void SetOnTerminate(TNotifyEvent AValue) { FOnTerminate = AValue; }
    TXWMCopyDataEvent OnWMCopyData() const { return FOnWMCopyData; }
    void SetOnWMCopyData(TXWMCopyDataEvent AValue) { FOnWMCopyData = AValue; }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXMsgWindow() = default;
    ~TXMsgWindow() override;
    void Construct(TComponent* AOwner) override;
    HWND AllocateWindow(TWndMethod AMethod) override;
    // Hot keys are not passed to the children here.
    void WndProc(TMessage& AMessage) override;

private:
    void InstallAppEvents();
    void RemoveAppEvents();
    void WMCopyData(TMessage& AMessage);

    void AppActionExecute(TBasicAction* AAction, bool& AHandled);
    void AppActionUpdate(TBasicAction* AAction, bool& AHandled);
    void AppActivate(TObject* ASender);
    void AppDeactivate(TObject* ASender);
    void AppException(TObject* ASender, const std::exception& AE);
    void AppIdle(TObject* ASender, bool& ADone);
    bool AppHelp(uint16_t ACommand, intptr_t AData, bool& ACallHelp);
    void AppHint(TObject* ASender);
    void AppMinimize(TObject* ASender);
    void AppRestore(TObject* ASender);
    void AppShowHint(String& AHintStr, bool& ACanShow, THintInfo& AHintInfo);
    void AppShortCut(TMsg& AMsg, bool& AHandled);
    void AppSettingChange(TObject* ASender, int AFlag, const String& ASection, int& AResult);
    void AppModalBegin(TObject* ASender);
    void AppModalEnd(TObject* ASender);
    void AppMessage(TMsg& AMsg, bool& AHandled);

    TActionEvent FOnActionExecute;
    TActionEvent FOnActionUpdate;
    TNotifyEvent FOnActivate;
    TNotifyEvent FOnDeactivate;
    TExceptionEvent FOnException;
    TIdleEvent FOnIdle;
    THelpEvent FOnHelp;
    TNotifyEvent FOnHint;
    TMessageEvent FOnMessage;
    TNotifyEvent FOnMinimize;
    TNotifyEvent FOnRestore;
    TShowHintEvent FOnShowHint;
    TShortCutEvent FOnShortCut;
    TSettingChangeEvent FOnSettingChange;
    TNotifyEvent FOnModalBegin;
    TNotifyEvent FOnModalEnd;
    TXHandledMessageEvent FOnXMessage;
    TNotifyEvent FOnOpen;
    TNotifyEvent FOnTerminate;
    TXWMCopyDataEvent FOnWMCopyData;
};

// ---- Timers ------------------------------------------------------------------------------

// Fires once: disables itself, runs OnTimer, then frees itself.
class TXStartTimer : public TTimer {
    X_CLASS(TXStartTimer, TTimer)
protected:
    TXStartTimer() = default;
    void Timer() override;
};

// A start timer that runs its own Fire.
class TXStartComponentTimer : public TXStartTimer {
    X_CLASS(TXStartComponentTimer, TXStartTimer)
protected:
    TXStartComponentTimer() = default;
    void Construct(TComponent* AOwner) override;
    virtual void Fire() {}

private:
    void FireTimer(TObject*) { Fire(); }
};

// A start timer that calls its handler with a stored command (Sender nullptr). Watching a gear,
// it drops the call when the gear goes first.
template <class TCommand>
class TXCommandTimerOf : public TXStartComponentTimer {
    X_CLASS(TXCommandTimerOf, TXStartComponentTimer)
public:
    using TArgument = std::conditional_t<std::is_same_v<TCommand, int>, int, const String&>;
    using THandler = TMethod<void(TObject*, int, TXHitType, const String&, TArgument, const String&)>;

    void SetCommand(int AMonitor, TXHitType AHit, const String& AHitName, TArgument ACommand, const String& AArgs,
                    THandler AHandler)
    {
        FMonitor = AMonitor;
        FHit = AHit;
        FHitName = AHitName;
        FCommand = ACommand;
        FArgs = AArgs;
        FHandler = AHandler;
    }
    void WatchGear(TXGear* AGear)
    {
        FGear = AGear;
        AGear->FreeNotification(this);
    }

protected:
    TXCommandTimerOf() = default;
    void Fire() override
    {
        if (FHandler)
            FHandler(nullptr, FMonitor, FHit, FHitName, FCommand, FArgs);
    }
    void Notification(TComponent* AComponent, TOperation AOperation) override
    {
        inherited::Notification(AComponent, AOperation);
        if (AOperation == opRemove && AComponent == FGear) {
            FGear = nullptr;
            FHandler = nullptr;
        }
    }

private:
    int FMonitor = 0;
    TXHitType FHit = xhtNone;
    String FHitName;
    TCommand FCommand{};
    String FArgs;
    THandler FHandler;
    TXGear* FGear = nullptr;
};

class TXCommandTimer : public TXCommandTimerOf<String> {
    X_CLASS(TXCommandTimer, TXCommandTimerOf<String>)
protected:
    TXCommandTimer() = default;
};

class TXIntCommandTimer : public TXCommandTimerOf<int> {
    X_CLASS(TXIntCommandTimer, TXCommandTimerOf<int>)
protected:
    TXIntCommandTimer() = default;
};

// ---- Unit functions ----------------------------------------------------------------------

// A start timer owned by the platform application, enabled with that interval and handler.
TXStartTimer* StartOneShotTimer(UINT AInterval, TNotifyEvent AHandler);
// An enabled command timer owned by the platform application.
TXCommandTimer* PostCommandTimer(UINT AInterval, int AMonitor, TXHitType AHit, TXCommandEvent AHandler,
                                 const String& AHitName, const String& ACommand, const String& AArgs);
TXIntCommandTimer* PostIntCommandTimer(UINT AInterval, int AMonitor, TXHitType AHit, TXIntCommandEvent AHandler,
                                       const String& AHitName, int ACommand, const String& AArgs);

// Subscribes AHandler at AObservable (in practice the application engine) to action requests,
// without or with a name filter.
void SubscribeToActionAspect(IXObservable* AObservable, TXNotificationHandler AHandler);
void SubscribeToNamedActionAspect(IXObservable* AObservable, const String& AName, TXNotificationHandler AHandler);

}  // namespace XEngine

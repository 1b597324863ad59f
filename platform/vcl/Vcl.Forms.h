// Vcl.Forms.h: the application object with the main thread's message loop, and the screen.
// There is one loop: modal loops and windows of later units pump through HandleMessage and
// ProcessMessages, which also serve the calls that workers hand over with Synchronize and Queue.
#pragma once

#include <exception>
#include <vector>

#include "Rtl.Classes.h"
#include "Win.Display.h"
#include "Win.Messages.h"

inline constexpr UINT WM_ACTIVATEAPP = 0x001C;
// wParam the changed setting's flag, lParam a const String* naming its section (or 0).
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;

class TBasicAction;   // the action layer's base

// A mouse cursor id: the system's are negative, a program's own positive.
using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;

// Sees a message before it is dispatched; setting AHandled keeps it from its window.
using TMessageEvent = TMethod<void(TMsg& AMsg, bool& AHandled)>;
// Setting AHandled tells the action that the application did its work.
using TActionEvent = TMethod<void(TBasicAction* AAction, bool& AHandled)>;
using TExceptionEvent = TMethod<void(TObject* ASender, const std::exception& AE)>;
// Clearing ADone keeps the loop from waiting, so the handler is called again at once.
using TIdleEvent = TMethod<void(TObject* ASender, bool& ADone)>;
using THelpEvent = TMethod<bool(uint16_t ACommand, intptr_t AData, bool& ACallHelp)>;

// What a hint window is about to show, and where.
struct THintInfo {
    TPoint HintPos;
    int HintMaxWidth = 0;
    int HideTimeout = 0;
};
using TShowHintEvent = TMethod<void(String& AHintStr, bool& ACanShow, THintInfo& AHintInfo)>;
// A key message that may be a shortcut; setting AHandled keeps it from its window.
using TShortCutEvent = TMethod<void(TMsg& AMsg, bool& AHandled)>;
using TSettingChangeEvent = TMethod<void(TObject* ASender, int AFlag, const String& ASection, int& AResult)>;

class TApplication : public TComponent {
    X_CLASS(TApplication, TComponent)
public:
    // Dispatches every message waiting in the queue, then returns.
    void ProcessMessages();
    // Dispatches one message; when there is none, runs the calls waiting for the main thread,
    // and when there are none either, waits for the next message.
    void HandleMessage();
    // Dispatches messages until WM_QUIT and answers its exit code. What a window procedure or a
    // handed-over call raises goes to HandleException, and the loop goes on.
    int Run();
    // Ends Run by posting a quit with exit code 0.
    void Terminate();
    bool Terminated() const { return FTerminated; }
    TMessageEvent OnMessage() const { return FOnMessage; }
    void SetOnMessage(TMessageEvent AValue) { FOnMessage = AValue; }
    // Call from a catch block: an EAbort passes silently, anything else goes to OnException,
    // or without one is reported on stderr.
    void HandleException(TObject* ASender);
    // The application's own hidden top-level window, made at the first call: the owner of the
    // program's windows, with the title as its caption. WM_SYSCOMMAND with SC_RESTORE and
    // SC_MINIMIZE restore and minimise the application, WM_ACTIVATEAPP fires OnActivate or
    // OnDeactivate, WM_SETTINGCHANGE fires OnSettingChange.
    HWND Handle();

    const String& Title() const { return FTitle; }
    void SetTitle(const String& AValue);
    // The hint of the control under the mouse; a change fires OnHint.
    const String& Hint() const { return FHint; }
    void SetHint(const String& AValue);
    bool IsMinimized();
    void Minimize();
    void Restore();
    // Brings the window the application last popped up to the front (the application's own
    // window when there is none).
    void BringToFront();

    // What the action, help, hint, keyboard and modal layers call, so that the events below fire.
    bool ExecuteAction(TBasicAction* AAction);
    bool UpdateAction(TBasicAction* AAction);
    // OnHelp's answer; False without one.
    bool HelpCommand(uint16_t ACommand, intptr_t AData);
    void ShowHint(String& AHintStr, bool& ACanShow, THintInfo& AHintInfo);
    bool IsShortCut(TMsg& AMsg);
    void ModalStarted();
    void ModalFinished();

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

protected:
    TApplication() = default;
    ~TApplication() override;
    void Construct(TComponent* AOwner) override;

private:
    bool ProcessMessage(TMsg& AMsg);
    void Idle();
    void WndProc(TMessage& AMessage);
    static void Fire(TNotifyEvent AEvent, TObject* ASender);

    HWND FHandle = nullptr;
    String FTitle;
    String FHint;

    TMessageEvent FOnMessage;
    TActionEvent FOnActionExecute;
    TActionEvent FOnActionUpdate;
    TNotifyEvent FOnActivate;
    TNotifyEvent FOnDeactivate;
    TExceptionEvent FOnException;
    TIdleEvent FOnIdle;
    THelpEvent FOnHelp;
    TNotifyEvent FOnHint;
    TNotifyEvent FOnMinimize;
    TNotifyEvent FOnRestore;
    TShowHintEvent FOnShowHint;
    TShortCutEvent FOnShortCut;
    TSettingChangeEvent FOnSettingChange;
    TNotifyEvent FOnModalBegin;
    TNotifyEvent FOnModalEnd;
    bool FTerminated = false;
    int FExitCode = 0;
};

// Made on the main thread before main() runs; it lives as long as the process.
extern TApplication* Application;

// One monitor of the screen, as it was when the screen last listed them.
class TMonitor : public TObject {
    X_CLASS(TMonitor, TObject)
public:
    HMONITOR Handle() const { return FHandle; }
    // The index in the screen's list.
    int MonitorNum() const { return FMonitorNum; }
    int Left() const { return FInfo.Bounds.Left; }
    int Top() const { return FInfo.Bounds.Top; }
    int Width() const { return FInfo.Bounds.Width(); }
    int Height() const { return FInfo.Bounds.Height(); }
    const TRect& BoundsRect() const { return FInfo.Bounds; }
    const TRect& WorkareaRect() const { return FInfo.WorkArea; }
    bool Primary() const { return FInfo.Primary; }
    // The monitor's effective DPI.
    int PixelsPerInch() const { return FInfo.EffectiveDpi; }

protected:
    TMonitor() = default;
    void Construct(HMONITOR AHandle, int AMonitorNum, const TXMonitor& AInfo);

private:
    HMONITOR FHandle = nullptr;
    int FMonitorNum = 0;
    TXMonitor FInfo;
};

// The screen: its logical DPI, which user-interface sizes are scaled to, and its monitors.
class TScreen : public TComponent {
    X_CLASS(TScreen, TComponent)
public:
    // The vertical logical DPI at creation until set otherwise (a program that scales to its
    // primary monitor's DPI sets it at start).
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int AValue) { FPixelsPerInch = AValue; }
    // The primary monitor's size.
    int Width();
    int Height();
    // The monitor list is taken again whenever the display's monitors have changed, which
    // frees the TMonitor objects handed out before.
    int MonitorCount();
    // Raises EListError for an index out of range.
    TMonitor* Monitors(int AIndex);
    // nullptr when there is no monitor.
    TMonitor* PrimaryMonitor();

protected:
    TScreen() = default;
    ~TScreen() override;
    void Construct(TComponent* AOwner) override;

private:
    void UpdateMonitors();
    void ClearMonitors();

    int FPixelsPerInch = 96;
    std::vector<TXMonitor> FMonitorInfos;
    std::vector<TMonitor*> FMonitors;   // owned
};

// Made on the main thread before main() runs; it lives as long as the process.
extern TScreen* Screen;

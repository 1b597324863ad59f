// Vcl.Application.h: the application object with the main thread's message loop, its own
// window and its events, and the data module. Nothing here draws: forms live in the controls'
// library (Vcl.Forms) and are reached only through TApplicationForm.
#pragma once

#include <exception>

#include "Rtl.Classes.h"
#include "Win.Display.h"
#include "Win.Messages.h"

inline constexpr UINT WM_ACTIVATEAPP = 0x001C;
// wParam the changed setting's flag, lParam a const String* naming its section (or 0).
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;

class TBasicAction;   // the action layer's base
class TCustomForm;    // Vcl.Forms

// What the application asks of a form; TCustomForm answers it.
class TApplicationForm {
public:
    virtual TCustomForm* AsForm() = 0;
    virtual TComponent* AsComponent() = 0;
    // Run shows the main form through this.
    virtual void ShowForm() = 0;

protected:
    ~TApplicationForm() = default;
};

// A holder of non-visual components.
class TDataModule : public TComponent {
    X_CLASS(TDataModule, TComponent)
public:
    TNotifyEvent OnCreate() const { return FOnCreate; }
    void SetOnCreate(TNotifyEvent AValue) { FOnCreate = AValue; }
    TNotifyEvent OnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(TNotifyEvent AValue) { FOnDestroy = AValue; }
    void AfterConstruction() override;
    void BeforeDestruction() override;

protected:
    TDataModule() = default;

private:
    TNotifyEvent FOnCreate;
    TNotifyEvent FOnDestroy;
};

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

// What the application asks of the hint layer (Vcl.Forms installs itself).
class TApplicationHints {
public:
    virtual void ActivateHint(TPoint ACursorPos) = 0;
    virtual void CancelHint() = 0;

protected:
    ~TApplicationHints() = default;
};

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
    // Makes a form or data module owned by the application; the first form made is the main
    // form, which Run shows.
    template <class T>
    void CreateForm(T*& AReference)
    {
        AReference = T::Create(this);
        if (auto* Form = dynamic_cast<TApplicationForm*>(static_cast<TComponent*>(AReference)); Form && !FMainForm)
            FMainForm = Form;
    }
    TCustomForm* MainForm() const { return FMainForm != nullptr ? FMainForm->AsForm() : nullptr; }
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
    // Shows the hint of the control under the point after the pause, also after CancelHint.
    void ActivateHint(TPoint ACursorPos);
    // Hides the hint that shows; it comes again when the mouse moves on over the control.
    void CancelHint();
    void SetHintLayer(TApplicationHints* AValue) { FHintLayer = AValue; }
    // Milliseconds the mouse rests on a control before its hint shows, and the hint shows.
    int HintPause() const { return FHintPause; }
    void SetHintPause(int AValue) { FHintPause = AValue; }
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int AValue) { FHintHidePause = AValue; }
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

    void Notification(TComponent* AComponent, TOperation AOperation) override;

private:
    bool ProcessMessage(TMsg& AMsg);
    void Idle();
    void WndProc(TMessage& AMessage);
    static void Fire(TNotifyEvent AEvent, TObject* ASender);

    HWND FHandle = nullptr;
    TApplicationForm* FMainForm = nullptr;
    String FTitle;
    String FHint;
    TApplicationHints* FHintLayer = nullptr;
    int FHintPause = 500;
    int FHintHidePause = 2500;

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

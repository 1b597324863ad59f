// Vcl.Forms.h: the application object with the main thread's message loop, and the screen.
// There is one loop: modal loops and windows of later units pump through HandleMessage and
// ProcessMessages, which also serve the calls that workers hand over with Synchronize and Queue.
#pragma once

#include <exception>
#include <vector>

#include "Rtl.Classes.h"
#include "Vcl.Controls.h"
#include "Win.Display.h"
#include "Win.Messages.h"

inline constexpr UINT WM_ACTIVATEAPP = 0x001C;
// wParam the changed setting's flag, lParam a const String* naming its section (or 0).
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;

class TBasicAction;   // the action layer's base


// ---- Forms -------------------------------------------------------------------------------

X_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin);
X_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp);
using TBorderIcons = TSet<TBorderIcon>;
X_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
       poMainFormCenter, poOwnerFormCenter);
X_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop);
X_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize);

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrClose = 8;

using TCloseEvent = TMethod<void(TObject* ASender, TCloseAction& AAction)>;
using TCloseQueryEvent = TMethod<void(TObject* ASender, bool& ACanClose)>;

// A top-level window of the screen holding controls. Its client area is its whole window: the
// frame, when there is one, is the window manager's.
class TCustomForm : public TWinControl {
    X_CLASS(TCustomForm, TWinControl)
public:
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle AValue) { FBorderStyle = AValue; }
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons AValue) { FBorderIcons = AValue; }
    // Where the form goes when it is first shown.
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition AValue) { FPosition = AValue; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle AValue) { FFormStyle = AValue; }
    // The form sees key messages before its focused control.
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool AValue) { FKeyPreview = AValue; }
    TWinControl* ActiveControl() const { return FocusedControl(); }
    void SetActiveControl(TWinControl* AValue) { AValue->SetFocus(); }
    bool Active() const { return FActive; }
    bool Showing() const override;

    // Setting it on a modal form ends ShowModal with that result.
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult AValue) { FModalResult = AValue; }
    bool Modal() const { return FModal; }

    void Show();
    void Hide() { SetVisible(false); }
    // Asks OnCloseQuery, then closes as OnClose decides: the default hides the form (frees it
    // for caFree, minimises it for caMinimize); closing the main form ends the application.
    // On a modal form it only sets ModalResult to mrCancel.
    void Close();
    virtual bool CloseQuery();
    // Shows the form, disables the application's other windows and runs the message loop until
    // ModalResult is set and the form may close; answers ModalResult. Raises
    // EInvalidOperation "Cannot make a visible window modal" for a shown form.
    virtual TModalResult ShowModal();
    // Frees the form once the messages now queued are handled.
    void Release();
    // The form's picture, as its window shows it; the caller frees it.
    TBitmap* GetFormImage();

    TNotifyEvent OnCreate() const { return FOnCreate; }
    void SetOnCreate(TNotifyEvent AValue) { FOnCreate = AValue; }
    TNotifyEvent OnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(TNotifyEvent AValue) { FOnDestroy = AValue; }
    TNotifyEvent OnShow() const { return FOnShow; }
    void SetOnShow(TNotifyEvent AValue) { FOnShow = AValue; }
    TNotifyEvent OnHide() const { return FOnHide; }
    void SetOnHide(TNotifyEvent AValue) { FOnHide = AValue; }
    TNotifyEvent OnActivate() const { return FOnActivate; }
    void SetOnActivate(TNotifyEvent AValue) { FOnActivate = AValue; }
    TNotifyEvent OnDeactivate() const { return FOnDeactivate; }
    void SetOnDeactivate(TNotifyEvent AValue) { FOnDeactivate = AValue; }
    TCloseEvent OnClose() const { return FOnClose; }
    void SetOnClose(TCloseEvent AValue) { FOnClose = AValue; }
    TCloseQueryEvent OnCloseQuery() const { return FOnCloseQuery; }
    void SetOnCloseQuery(TCloseQueryEvent AValue) { FOnCloseQuery = AValue; }

    void AfterConstruction() override;
    void BeforeDestruction() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

protected:
    TCustomForm() = default;
    ~TCustomForm() override;
    void Construct(TComponent* AOwner) override;

    void WndProc(TMessage& AMessage) override;
    HWND CreateWindowHandle() override;
    bool PreviewKey(TMessage& AMessage) override;
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& AAction);
    virtual void Activate();
    virtual void Deactivate();

private:
    void VisibleChanging();
    void PlaceForShow();
    void SetActive(bool AValue);

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = {biSystemMenu, biMinimize, biMaximize};
    TPosition FPosition = poDefaultPosOnly;
    TFormStyle FFormStyle = fsNormal;
    bool FKeyPreview = false;
    bool FActive = false;
    bool FModal = false;
    bool FPlaced = false;
    TModalResult FModalResult = mrNone;
    TNotifyEvent FOnCreate;
    TNotifyEvent FOnDestroy;
    TNotifyEvent FOnShow;
    TNotifyEvent FOnHide;
    TNotifyEvent FOnActivate;
    TNotifyEvent FOnDeactivate;
    TCloseEvent FOnClose;
    TCloseQueryEvent FOnCloseQuery;
};

class TForm : public TCustomForm {
    X_CLASS(TForm, TCustomForm)
protected:
    TForm() = default;
};

// A group of controls designed once and placed on forms as one control.
class TCustomFrame : public TWinControl {
    X_CLASS(TCustomFrame, TWinControl)
protected:
    TCustomFrame() = default;
    void Construct(TComponent* AOwner) override;
};

class TFrame : public TCustomFrame {
    X_CLASS(TFrame, TCustomFrame)
protected:
    TFrame() = default;
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
        if (auto* Form = dynamic_cast<TCustomForm*>(static_cast<TComponent*>(AReference)); Form && !FMainForm)
            FMainForm = Form;
    }
    TCustomForm* MainForm() const { return FMainForm; }
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

    void Notification(TComponent* AComponent, TOperation AOperation) override;

private:
    bool ProcessMessage(TMsg& AMsg);
    void Idle();
    void WndProc(TMessage& AMessage);
    static void Fire(TNotifyEvent AEvent, TObject* ASender);

    HWND FHandle = nullptr;
    TCustomForm* FMainForm = nullptr;
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

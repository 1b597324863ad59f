// Vcl.Forms.h: forms and frames. There is one message loop, the application's (Vcl.Application):
// modal loops pump through its HandleMessage, which also serves the calls that workers hand
// over with Synchronize and Queue.
#pragma once

#include "Rtl.Classes.h"
#include "Vcl.Application.h"
#include "Vcl.Controls.h"
#include "Vcl.Screen.h"
#include "Win.Display.h"
#include "Win.Messages.h"

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
class TCustomForm : public TWinControl, public TApplicationForm {
    X_CLASS(TCustomForm, TWinControl)
public:
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle AValue);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons AValue);
    // Where the form goes when it is first shown.
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition AValue) { FPosition = AValue; }
    TFormStyle FormStyle() const { return FFormStyle; }
    // fsStayOnTop keeps the form above other programs' windows.
    void SetFormStyle(TFormStyle AValue);
    // The whole form's opacity, AlphaBlendValue (0 to 255), while AlphaBlend is on.
    bool AlphaBlend() const { return FAlphaBlend; }
    void SetAlphaBlend(bool AValue);
    uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(uint8_t AValue);
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
    void CreateParams(TCreateParams& AParams) override;
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
    TCustomForm* AsForm() override { return this; }
    TComponent* AsComponent() override { return this; }
    void ShowForm() override { Show(); }
    void VisibleChanging();
    void PlaceForShow();
    void SetActive(bool AValue);
    // Hands changed styles to the window that exists already.
    void UpdateWindowStyles();
    void UpdateAlpha();
    // The screen moved or sized the window.
    void TakeScreenBounds();

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = {biSystemMenu, biMinimize, biMaximize};
    TPosition FPosition = poDefaultPosOnly;
    TFormStyle FFormStyle = fsNormal;
    bool FKeyPreview = false;
    bool FActive = false;
    bool FModal = false;
    bool FPlaced = false;
    bool FAlphaBlend = false;
    uint8_t FAlphaBlendValue = 255;
    bool FTakingScreenBounds = false;
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

// The form of ours that is active (the screen's active form); nullptr when none is.
TCustomForm* ActiveForm();

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

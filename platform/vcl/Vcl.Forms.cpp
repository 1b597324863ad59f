// Vcl.Forms.cpp: forms: showing, closing, modal loops, placement; frames.
#include "Vcl.Forms.h"

#include "Rtl.SysUtils.h"
#include "Vcl.StdCtrls.h"
#include "Vcl.Timers.h"

// ---- TCustomForm --------------------------------------------------------------------------

namespace {

// Posted to a form that Release frees.
constexpr UINT CM_RELEASE = CM_BASE + 100;

TCustomForm* GActiveForm = nullptr;

TPoint CentredIn(const TRect& AArea, int AWidth, int AHeight)
{
    return Point(AArea.Left + (AArea.Width() - AWidth) / 2, AArea.Top + (AArea.Height() - AHeight) / 2);
}

// The application's other shown windows, disabled while a modal form runs.
std::vector<TCustomForm*> DisableOtherForms(TCustomForm* AModal)
{
    std::vector<TCustomForm*> Disabled;
    for (int I = 0; I < Application->ComponentCount(); ++I) {
        auto* Form = dynamic_cast<TCustomForm*>(Application->Components(I));
        if (Form != nullptr && Form != AModal && Form->Enabled() && Form->Visible()) {
            Form->SetEnabled(false);
            Disabled.push_back(Form);
        }
    }
    return Disabled;
}

void InstallHints();

}  // namespace

void TCustomForm::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    InstallHints();
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm()
{
    if (GActiveForm == this)
        GActiveForm = nullptr;
}

void TCustomForm::AfterConstruction()
{
    inherited::AfterConstruction();
    DoCreate();
}

void TCustomForm::BeforeDestruction()
{
    DoDestroy();
    inherited::BeforeDestruction();
}

// The frame of each border style, as Windows draws it; the desktop's manager draws it here.
void TCustomForm::CreateParams(TCreateParams& AParams)
{
    inherited::CreateParams(AParams);
    AParams.WndParent = Application->Handle();
    uint32_t Style = WS_CLIPCHILDREN, ExStyle = 0;
    switch (FBorderStyle) {
    case bsNone: Style |= WS_POPUP; break;
    case bsSingle: Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog: Style |= WS_CAPTION; ExStyle |= WS_EX_DLGMODALFRAME; break;
    case bsToolWindow: Style |= WS_CAPTION; ExStyle |= WS_EX_TOOLWINDOW; break;
    case bsSizeToolWin: Style |= WS_CAPTION | WS_THICKFRAME; ExStyle |= WS_EX_TOOLWINDOW; break;
    }
    if (FBorderStyle != bsNone && FBorderIcons.Contains(biSystemMenu)) {
        Style |= WS_SYSMENU;
        if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
            if (FBorderIcons.Contains(biMinimize))
                Style |= WS_MINIMIZEBOX;
            if (FBorderIcons.Contains(biMaximize))
                Style |= WS_MAXIMIZEBOX;
        }
        if (FBorderIcons.Contains(biHelp))
            ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (FFormStyle == fsStayOnTop)
        ExStyle |= WS_EX_TOPMOST;
    if (FAlphaBlend)
        ExStyle |= WS_EX_LAYERED;
    AParams.Style = Style;
    AParams.ExStyle = ExStyle;
}

HWND TCustomForm::CreateWindowHandle()
{
    TCreateParams Params;
    CreateParams(Params);
    HWND Wnd = CreateTopLevelWindow(ClassName(), Params.Caption, Params.WndParent, Params.Bounds,
                                    TWndMethod::Bind<&TCustomForm::MainWndProc>(this));
    SetWindowLongPtrW(Wnd, GWL_STYLE, Params.Style);
    SetWindowLongPtrW(Wnd, GWL_EXSTYLE, Params.ExStyle);
    if (Params.ExStyle & WS_EX_TOPMOST)
        SetWindowPos(Wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (FAlphaBlend)
        SetLayeredWindowAttributes(Wnd, 0, FAlphaBlendValue, LWA_ALPHA);
    return Wnd;
}

void TCustomForm::UpdateWindowStyles()
{
    if (!HandleAllocated())
        return;
    TCreateParams Params;
    CreateParams(Params);
    SetWindowLongPtrW(Handle(), GWL_STYLE, Params.Style);
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, Params.ExStyle);
    SetWindowPos(Handle(), (Params.ExStyle & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateAlpha();
    UpdateNonClient();
}

void TCustomForm::UpdateAlpha()
{
    if (HandleAllocated() && FAlphaBlend)
        SetLayeredWindowAttributes(Handle(), 0, FAlphaBlendValue, LWA_ALPHA);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle AValue)
{
    if (FBorderStyle == AValue)
        return;
    FBorderStyle = AValue;
    UpdateWindowStyles();
}

void TCustomForm::SetBorderIcons(TBorderIcons AValue)
{
    if (FBorderIcons == AValue)
        return;
    FBorderIcons = AValue;
    UpdateWindowStyles();
}

void TCustomForm::SetFormStyle(TFormStyle AValue)
{
    if (FFormStyle == AValue)
        return;
    FFormStyle = AValue;
    UpdateWindowStyles();
}

void TCustomForm::SetAlphaBlend(bool AValue)
{
    if (FAlphaBlend == AValue)
        return;
    FAlphaBlend = AValue;
    UpdateWindowStyles();
}

void TCustomForm::SetAlphaBlendValue(uint8_t AValue)
{
    if (FAlphaBlendValue == AValue)
        return;
    FAlphaBlendValue = AValue;
    UpdateAlpha();
}

// Takes the bounds the screen gave the window, without handing them back to it.
void TCustomForm::TakeScreenBounds()
{
    TRect Bounds;
    if (!GetWindowRect(Handle(), Bounds) || Bounds == BoundsRect())
        return;
    FTakingScreenBounds = true;
    try {
        SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    } catch (...) {
        FTakingScreenBounds = false;
        throw;
    }
    FTakingScreenBounds = false;
}

bool TCustomForm::Showing() const
{
    return Visible();
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (HandleAllocated() && !FTakingScreenBounds)
        MoveWindow(Handle(), BoundsRect());
}

void TCustomForm::Show()
{
    SetVisible(true);
    if (FActive || !Enabled())
        return;
    SetForegroundWindow(Handle());
    SetActive(true);
}

void TCustomForm::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case CM_VISIBLECHANGED:
        VisibleChanging();
        break;
    case CM_TEXTCHANGED:
        if (HandleAllocated())
            SetWindowTextW(Handle(), Caption());
        break;
    case CM_ENABLEDCHANGED:
        if (HandleAllocated())
            EnableWindow(Handle(), Enabled());
        break;
    case WM_CLOSE:
        Close();
        return;
    case WM_MOVE:
    case WM_SIZE:
        TakeScreenBounds();
        break;
    case WM_ACTIVATE:
        SetActive(AMessage.WParam != WA_INACTIVE);
        return;
    case CM_RELEASE:
        Free();
        return;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

// Shows or hides the window as Visible now says.
void TCustomForm::VisibleChanging()
{
    if (Visible()) {
        PlaceForShow();
        DoShow();
        ShowWindow(Handle(), SW_SHOW);
        Invalidate();
        Update();
    } else if (HandleAllocated() && IsWindowVisible(Handle())) {
        SetActive(false);
        DoHide();
        ShowWindow(Handle(), SW_HIDE);
    }
}

void TCustomForm::PlaceForShow()
{
    if (FPlaced)
        return;
    FPlaced = true;
    TCustomForm* Centre = nullptr;
    if (FPosition == poMainFormCenter)
        Centre = Application->MainForm();
    else if (FPosition == poOwnerFormCenter)
        Centre = dynamic_cast<TCustomForm*>(Owner());
    TPoint At = Point(Left(), Top());
    if (Centre != nullptr && Centre != this)
        At = CentredIn(Centre->BoundsRect(), Width(), Height());
    else if (FPosition == poScreenCenter || FPosition == poDesktopCenter || FPosition == poMainFormCenter ||
             FPosition == poOwnerFormCenter)
        At = CentredIn(Rect(0, 0, Screen->Width(), Screen->Height()), Width(), Height());
    SetBounds(At.X, At.Y, Width(), Height());
}

TCustomForm* ActiveForm()
{
    return GActiveForm;
}

void TCustomForm::SetActive(bool AValue)
{
    if (FActive == AValue)
        return;
    if (AValue) {
        if (GActiveForm != nullptr && GActiveForm != this)
            GActiveForm->SetActive(false);
        GActiveForm = this;
        FActive = true;
        Activate();
    } else {
        if (GActiveForm == this)
            GActiveForm = nullptr;
        FActive = false;
        Deactivate();
    }
}

bool TCustomForm::PreviewKey(TMessage& AMessage)
{
    if (!FKeyPreview)
        return false;
    inherited::WndProc(AMessage);   // the form's own key events
    // Without a focused control the form was the key's receiver already.
    return AMessage.WParam == 0 || FocusedControl() == nullptr;
}

bool TCustomForm::CloseQuery()
{
    bool CanClose = true;
    if (FOnCloseQuery)
        FOnCloseQuery(this, CanClose);
    return CanClose;
}

void TCustomForm::Close()
{
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction Action = caHide;
    DoClose(Action);
    if (Action == caNone)
        return;
    if (this == Application->MainForm()) {
        Application->Terminate();
        return;
    }
    if (Action == caHide)
        Hide();
    else if (Action == caMinimize)
        ShowWindow(Handle(), SW_MINIMIZE);
    else
        Release();
}

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || FModal)
        throw EInvalidOperation("Cannot make a visible window modal");
    std::vector<TCustomForm*> Disabled = DisableOtherForms(this);
    Application->ModalStarted();
    FModal = true;
    FModalResult = mrNone;
    // A quit that arrives while the form runs cancels it.
    bool WasTerminated = Application->Terminated();
    // The screen keeps the form above the window it was opened from.
    HWND Owner = GActiveForm != nullptr && GActiveForm != this ? GActiveForm->Handle() : Application->Handle();
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<intptr_t>(Owner));
    try {
        Show();
        while (true) {
            Application->HandleMessage();
            bool Quit = Application->Terminated() && !WasTerminated;
            if (Quit && FModalResult == mrNone)
                FModalResult = mrCancel;
            if (FModalResult == mrNone)
                continue;
            // The form may refuse to close, and OnClose may keep it open.
            TCloseAction Action = caNone;
            if (CloseQuery()) {
                Action = caHide;
                DoClose(Action);
            }
            if (Action != caNone || Quit)
                break;
            FModalResult = mrNone;
        }
    } catch (...) {
        FModal = false;
        for (TCustomForm* Form : Disabled)
            Form->SetEnabled(true);
        Application->ModalFinished();
        throw;
    }
    FModal = false;
    for (TCustomForm* Form : Disabled)
        Form->SetEnabled(true);
    Hide();
    // As on Windows, the window the form was opened from is active again: its keys work.
    if (Owner != Application->Handle() && IsWindowVisible(Owner) && SetForegroundWindow(Owner))
        SendMessageW(Owner, WM_ACTIVATE, WA_ACTIVE, 0);
    Application->ModalFinished();
    return FModalResult;
}

void TCustomForm::Release()
{
    PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

TBitmap* TCustomForm::GetFormImage()
{
    TBitmap* Image = TBitmap::Create();
    try {
        Image->SetSize(Width(), Height());
        PaintTo(Image->Canvas(), 0, 0);
    } catch (...) {
        Image->Free();
        throw;
    }
    return Image;
}

void TCustomForm::DoCreate()
{
    if (FOnCreate)
        FOnCreate(this);
}

void TCustomForm::DoDestroy()
{
    if (FOnDestroy)
        FOnDestroy(this);
}

void TCustomForm::DoShow()
{
    if (FOnShow)
        FOnShow(this);
}

void TCustomForm::DoHide()
{
    if (FOnHide)
        FOnHide(this);
}

void TCustomForm::DoClose(TCloseAction& AAction)
{
    if (FOnClose)
        FOnClose(this, AAction);
}

void TCustomForm::Activate()
{
    if (FOnActivate)
        FOnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (FOnDeactivate)
        FOnDeactivate(this);
}

// ---- Frames and data modules ---------------------------------------------------------------

void TCustomFrame::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 320, 240);
    SetParentColor(true);
}

// ---- Hints -------------------------------------------------------------------------------

String GetShortHint(const String& AHint)
{
    size_t Bar = AHint.find('|');
    return Bar == String::npos ? AHint : AHint.substr(0, Bar);
}

String GetLongHint(const String& AHint)
{
    size_t Bar = AHint.find('|');
    return Bar == String::npos ? AHint : AHint.substr(Bar + 1);
}

void THintWindow::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetColor(clInfoBk);
}

void THintWindow::CreateParams(TCreateParams& AParams)
{
    inherited::CreateParams(AParams);
    AParams.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
}

TRect THintWindow::CalcHintRect(int AMaxWidth, const String& AHint)
{
    TControlCanvas* Canvas = TControlCanvas::Create(this);
    Canvas->Font()->Assign(Font());
    TRect Text = Rect(0, 0, AMaxWidth > 0 ? AMaxWidth : 0, 0);
    TTextFormat Format = {tfCalcRect, tfNoPrefix};
    if (AMaxWidth > 0)
        Format.Include(tfWordBreak);
    else
        Format.Include(tfSingleLine);
    Canvas->TextRect(Text, AHint, Format);
    Canvas->Free();
    return Rect(0, 0, Text.Width() + 8, Text.Height() + 4);
}

void THintWindow::ActivateHint(TRect ARect, const String& AHint)
{
    SetCaption(AHint);
    int Width = ARect.Width();
    int Height = ARect.Height();
    int X = std::clamp(ARect.Left, 0, std::max(Screen->Width() - Width, 0));
    int Y = ARect.Top;
    if (Y + Height > Screen->Height())
        Y = std::max(ARect.Top - Height - 24, 0);   // above the pointer
    SetBounds(X, Y, Width, Height);
    SetVisible(true);
    Invalidate();
}

void THintWindow::PaintWindow()
{
    TControlCanvas* Canvas = TControlCanvas::Create(this);
    TRect Client = ClientRect();
    Canvas->Brush()->SetColor(StyledColor(clInfoBk));
    Canvas->FillRect(Client);
    Canvas->Brush()->SetColor(StyledColor(clBtnShadow));
    Canvas->FrameRect(Client);
    Canvas->Font()->Assign(Font());
    TRect Text = Rect(Client.Left + 4, Client.Top + 2, Client.Right - 4, Client.Bottom - 2);
    bool Wrapped = Text.Width() < Canvas->TextWidth(Caption());
    DrawCaption(Canvas, Caption(), Text, Wrapped ? TTextFormat{tfWordBreak, tfNoPrefix} : TTextFormat{tfSingleLine, tfNoPrefix},
                StyledColor(clInfoText));
    Canvas->Free();
}

namespace {

// The hint layer: it follows the control under the pointer and shows that control's hint in
// one hint window after the pause.
class THintController : public TComponent, public THintWatcher, public TApplicationHints {
    X_CLASS(THintController, TComponent)
public:
    THintWindow* Shown() const { return FShowing ? FWindow : nullptr; }

    void MouseOver(TControl* AControl, TPoint AScreen) override
    {
        if (AControl != nullptr)
            FPos = AScreen;
        if (AControl == FOver) {
            // After CancelHint the next move over the control brings its hint again.
            if (!FSuppressed && FHintControl == nullptr && !FShowTimer->Enabled())
                Arm(HintControlOf(AControl), false);
            return;
        }
        if (AControl != nullptr)
            AControl->FreeNotification(this);
        FOver = AControl;
        Application->SetHint(GetLongHint(HintTextOf(AControl)));
        TControl* HintControl = HintControlOf(AControl);
        if (HintControl == FHintControl && HintControl != nullptr && (FShowing || FShowTimer->Enabled()))
            return;   // another part of the same control
        bool WasShowing = FShowing;
        FSuppressed = false;
        Hide();
        Arm(HintControl, WasShowing);
    }
    void UserInput() override
    {
        Hide();
        FSuppressed = true;
    }
    void ActivateHint(TPoint ACursorPos) override
    {
        FPos = ACursorPos;
        FSuppressed = false;
        bool WasShowing = FShowing;
        Hide();
        Arm(HintControlOf(FOver), WasShowing);
    }
    void CancelHint() override
    {
        Hide();
        FSuppressed = false;
    }

protected:
    THintController() = default;
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        FShowTimer = TTimer::Create(this);
        FShowTimer->SetEnabled(false);
        FShowTimer->SetOnTimer(TNotifyEvent::Bind<&THintController::ShowNow>(this));
        FHideTimer = TTimer::Create(this);
        FHideTimer->SetEnabled(false);
        FHideTimer->SetOnTimer(TNotifyEvent::Bind<&THintController::HideNow>(this));
    }
    void Notification(TComponent* AComponent, TOperation AOperation) override
    {
        inherited::Notification(AComponent, AOperation);
        if (AOperation != opRemove)
            return;
        if (AComponent == FOver)
            FOver = nullptr;
        if (AComponent == FHintControl) {
            Hide();
            FHintControl = nullptr;
        }
        if (AComponent == FWindow) {
            FWindow = nullptr;
            FShowing = false;
        }
    }

private:
    // The control whose hint shows for the one under the pointer: the nearest with ShowHint.
    static TControl* HintControlOf(TControl* AControl)
    {
        while (AControl != nullptr && !AControl->ShowHint())
            AControl = AControl->Parent();
        return AControl != nullptr && !GetShortHint(AControl->Hint()).empty() ? AControl : nullptr;
    }
    // The nearest hint up the parents: the application's hint follows it.
    static String HintTextOf(TControl* AControl)
    {
        while (AControl != nullptr && AControl->Hint().empty())
            AControl = AControl->Parent();
        return AControl != nullptr ? AControl->Hint() : String();
    }
    // Starts the pause before AControl's hint; short when a hint showed just now.
    void Arm(TControl* AControl, bool AQuick)
    {
        FHintControl = AControl;   // one of FOver's parents, which go after it
        if (AControl == nullptr)
            return;
        AControl->FreeNotification(this);
        FShowTimer->SetInterval(UINT(std::max(AQuick ? 50 : Application->HintPause(), 1)));
        FShowTimer->SetEnabled(true);
    }
    void Hide()
    {
        FShowTimer->SetEnabled(false);
        FHideTimer->SetEnabled(false);
        if (FShowing && FWindow != nullptr)
            FWindow->SetVisible(false);
        FShowing = false;
        FHintControl = nullptr;
    }
    void ShowNow(TObject*)
    {
        FShowTimer->SetEnabled(false);
        if (FHintControl == nullptr || FSuppressed)
            return;
        String Text = GetShortHint(FHintControl->Hint());
        bool CanShow = true;
        THintInfo Info;
        Info.HintPos = Point(FPos.X, FPos.Y + 20);   // below the pointer
        Info.HintMaxWidth = 300;
        Info.HideTimeout = Application->HintHidePause();
        Application->ShowHint(Text, CanShow, Info);
        if (!CanShow || Text.empty())
            return;
        if (FWindow == nullptr) {
            FWindow = THintWindow::Create(this);
            FWindow->FreeNotification(this);
        }
        TRect Needed = FWindow->CalcHintRect(Info.HintMaxWidth, Text);
        FWindow->ActivateHint(Rect(Info.HintPos.X, Info.HintPos.Y, Info.HintPos.X + Needed.Width(),
                                   Info.HintPos.Y + Needed.Height()),
                              Text);
        FShowing = true;
        if (Info.HideTimeout > 0) {
            FHideTimer->SetInterval(UINT(Info.HideTimeout));
            FHideTimer->SetEnabled(true);
        }
    }
    void HideNow(TObject*)
    {
        Hide();
        FSuppressed = true;
    }

    TTimer* FShowTimer = nullptr;
    TTimer* FHideTimer = nullptr;
    THintWindow* FWindow = nullptr;
    TControl* FOver = nullptr;
    TControl* FHintControl = nullptr;
    TPoint FPos;
    bool FShowing = false;
    bool FSuppressed = false;
};

THintController* Hints = nullptr;

void InstallHints()
{
    if (Hints != nullptr)
        return;
    Hints = THintController::Create(nullptr);
    SetHintWatcher(Hints);
    Application->SetHintLayer(Hints);
}

}  // namespace

THintWindow* ShownHintWindow()
{
    return Hints != nullptr ? Hints->Shown() : nullptr;
}

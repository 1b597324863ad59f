// Vcl.Forms.cpp: forms: showing, closing, modal loops, placement; frames.
#include "Vcl.Forms.h"

#include "Rtl.SysUtils.h"

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

}  // namespace

void TCustomForm::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
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

// Vcl.Forms.cpp: the application's message loop and window, and the screen.
#include "Vcl.Forms.h"

#include <iostream>

#include "Rtl.SysUtils.h"

#include "Rtl.Threads.h"

namespace {

// Wakes the main loop from its message wait when a worker hands it a call.
void WakeMainThread()
{
    PostThreadMessageW(MainThreadID(), WM_NULL, 0, 0);
}

}  // namespace

TApplication* Application = TApplication::Create(nullptr);
TScreen* Screen = TScreen::Create(nullptr);

void TApplication::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    // Gives the main thread its queue now, so that workers can wake it from the start.
    TMsg Unused;
    (void)PeekMessageW(Unused, nullptr, 0, 0, PM_NOREMOVE);
    SetWakeMainThread(&WakeMainThread);
}

TApplication::~TApplication()
{
    SetWakeMainThread(nullptr);
    if (FHandle != nullptr)
        DestroyWindow(FHandle);
}

HWND TApplication::Handle()
{
    if (FHandle == nullptr)
        FHandle = CreateTopLevelWindow("TApplication", FTitle, nullptr, TRect(),
                                       TWndMethod::Bind<&TApplication::WndProc>(this));
    return FHandle;
}

void TApplication::Fire(TNotifyEvent AEvent, TObject* ASender)
{
    if (AEvent)
        AEvent(ASender);
}

void TApplication::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_SYSCOMMAND:
        if ((AMessage.WParam & 0xFFF0) == SC_RESTORE)
            Restore();
        else if ((AMessage.WParam & 0xFFF0) == SC_MINIMIZE)
            Minimize();
        break;
    case WM_ACTIVATEAPP:
        Fire(AMessage.WParam != 0 ? FOnActivate : FOnDeactivate, this);
        break;
    case WM_SETTINGCHANGE:
        if (FOnSettingChange) {
            const auto* Section = reinterpret_cast<const String*>(AMessage.LParam);
            int Result = 0;
            FOnSettingChange(this, static_cast<int>(AMessage.WParam), Section != nullptr ? *Section : String(), Result);
            AMessage.Result = Result;
        }
        break;
    default:
        AMessage.Result = DefWindowProcW(FHandle, AMessage.Msg, AMessage.WParam, AMessage.LParam);
    }
}

void TApplication::SetTitle(const String& AValue)
{
    FTitle = AValue;
    if (FHandle != nullptr)
        SetWindowTextW(FHandle, AValue);
}

void TApplication::SetHint(const String& AValue)
{
    if (FHint == AValue)
        return;
    FHint = AValue;
    Fire(FOnHint, this);
}

bool TApplication::IsMinimized()
{
    return IsIconic(Handle());
}

void TApplication::Minimize()
{
    if (IsMinimized())
        return;
    ShowWindow(FHandle, SW_MINIMIZE);
    Fire(FOnMinimize, this);
}

void TApplication::Restore()
{
    if (!IsMinimized())
        return;
    ShowWindow(FHandle, SW_RESTORE);
    Fire(FOnRestore, this);
}

void TApplication::BringToFront()
{
    SetForegroundWindow(GetLastActivePopup(Handle()));
}

bool TApplication::ExecuteAction(TBasicAction* AAction)
{
    bool Handled = false;
    if (FOnActionExecute)
        FOnActionExecute(AAction, Handled);
    return Handled;
}

bool TApplication::UpdateAction(TBasicAction* AAction)
{
    bool Handled = false;
    if (FOnActionUpdate)
        FOnActionUpdate(AAction, Handled);
    return Handled;
}

bool TApplication::HelpCommand(uint16_t ACommand, intptr_t AData)
{
    bool CallHelp = true;
    return FOnHelp && FOnHelp(ACommand, AData, CallHelp);
}

void TApplication::ShowHint(String& AHintStr, bool& ACanShow, THintInfo& AHintInfo)
{
    if (FOnShowHint)
        FOnShowHint(AHintStr, ACanShow, AHintInfo);
}

bool TApplication::IsShortCut(TMsg& AMsg)
{
    bool Handled = false;
    if (FOnShortCut)
        FOnShortCut(AMsg, Handled);
    return Handled;
}

void TApplication::ModalStarted()
{
    Fire(FOnModalBegin, this);
}

void TApplication::ModalFinished()
{
    Fire(FOnModalEnd, this);
}

bool TApplication::ProcessMessage(TMsg& AMsg)
{
    if (!PeekMessageW(AMsg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (AMsg.message == WM_QUIT) {
        FTerminated = true;
        FExitCode = static_cast<int>(AMsg.wParam);
        return true;
    }
    bool Handled = false;
    if (FOnMessage)
        FOnMessage(AMsg, Handled);
    if (Handled)
        return true;
    if (AMsg.hwnd == nullptr && AMsg.message == WM_NULL)
        CheckSynchronize();
    else
        DispatchMessageW(AMsg);
    return true;
}

void TApplication::ProcessMessages()
{
    TMsg Msg;
    while (ProcessMessage(Msg)) {
    }
}

void TApplication::Idle()
{
    bool Done = true;
    if (FOnIdle)
        FOnIdle(this, Done);
    if (!CheckSynchronize() && Done)
        WaitMessage();
}

void TApplication::HandleMessage()
{
    TMsg Msg;
    if (!ProcessMessage(Msg))
        Idle();
}

void TApplication::Notification(TComponent* AComponent, TOperation AOperation)
{
    inherited::Notification(AComponent, AOperation);
    if (AOperation == opRemove && AComponent == FMainForm)
        FMainForm = nullptr;
}

int TApplication::Run()
{
    FTerminated = false;
    if (FMainForm != nullptr)
        FMainForm->Show();
    do {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    } while (!FTerminated);
    return FExitCode;
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::HandleException(TObject* ASender)
{
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const std::exception& E) {
        if (FOnException)
            FOnException(ASender, E);
        else
            std::cerr << "Exception: " << E.what() << '\n';
    } catch (...) {
        if (FOnException)
            FOnException(ASender, Exception("Exception of an unknown type"));
        else
            std::cerr << "Exception of an unknown type\n";
    }
}

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

HWND TCustomForm::CreateWindowHandle()
{
    return CreateTopLevelWindow(ClassName(), Caption(), Application->Handle(), BoundsRect(),
                                TWndMethod::Bind<&TCustomForm::MainWndProc>(this));
}

bool TCustomForm::Showing() const
{
    return Visible();
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (HandleAllocated())
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

void TDataModule::AfterConstruction()
{
    inherited::AfterConstruction();
    if (FOnCreate)
        FOnCreate(this);
}

void TDataModule::BeforeDestruction()
{
    if (FOnDestroy)
        FOnDestroy(this);
    inherited::BeforeDestruction();
}

// ---- TMonitor -----------------------------------------------------------------------------

void TMonitor::Construct(HMONITOR AHandle, int AMonitorNum, const TXMonitor& AInfo)
{
    FHandle = AHandle;
    FMonitorNum = AMonitorNum;
    FInfo = AInfo;
}

// ---- TScreen ------------------------------------------------------------------------------

void TScreen::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FPixelsPerInch = GetScreenLogicalDpi().Y;
}

TScreen::~TScreen()
{
    ClearMonitors();
}

int TScreen::Width()
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::Height()
{
    return GetSystemMetrics(SM_CYSCREEN);
}

int TScreen::MonitorCount()
{
    UpdateMonitors();
    return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int AIndex)
{
    UpdateMonitors();
    if (AIndex < 0 || AIndex >= static_cast<int>(FMonitors.size()))
        RaiseListIndexError(AIndex);
    return FMonitors[AIndex];
}

TMonitor* TScreen::PrimaryMonitor()
{
    UpdateMonitors();
    for (TMonitor* Monitor : FMonitors)
        if (Monitor->Primary())
            return Monitor;
    return nullptr;
}

void TScreen::UpdateMonitors()
{
    std::vector<HMONITOR> Handles = EnumDisplayMonitors();
    std::vector<TXMonitor> Infos(Handles.size());
    for (size_t I = 0; I < Handles.size(); ++I)
        GetMonitorInfoW(Handles[I], Infos[I]);
    if (Infos == FMonitorInfos && !FMonitors.empty())
        return;
    ClearMonitors();
    FMonitorInfos = Infos;
    for (size_t I = 0; I < Handles.size(); ++I)
        FMonitors.push_back(TMonitor::Create(Handles[I], static_cast<int>(I), Infos[I]));
}

void TScreen::ClearMonitors()
{
    for (TMonitor* Monitor : FMonitors)
        Monitor->Free();
    FMonitors.clear();
}

// Vcl.Application.cpp: the application's message loop and window, and the data module.
#include "Vcl.Application.h"

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

void TApplication::ActivateHint(TPoint ACursorPos)
{
    if (FHintLayer != nullptr)
        FHintLayer->ActivateHint(ACursorPos);
}

void TApplication::CancelHint()
{
    if (FHintLayer != nullptr)
        FHintLayer->CancelHint();
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
    if (AOperation == opRemove && FMainForm != nullptr && AComponent == FMainForm->AsComponent())
        FMainForm = nullptr;
}

int TApplication::Run()
{
    FTerminated = false;
    if (FMainForm != nullptr)
        FMainForm->ShowForm();
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

// ---- TDataModule -------------------------------------------------------------------------

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

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
        FHandle = CreateTopLevelWindow("TApplication", String(), nullptr, TRect(),
                                       TWndMethod::Bind<&TApplication::WndProc>(this));
    return FHandle;
}

void TApplication::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == WM_SYSCOMMAND && (AMessage.WParam & 0xFFF0) == SC_RESTORE)
        ShowWindow(FHandle, SW_RESTORE);
    else
        AMessage.Result = DefWindowProcW(FHandle, AMessage.Msg, AMessage.WParam, AMessage.LParam);
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
    if (!CheckSynchronize())
        WaitMessage();
}

void TApplication::HandleMessage()
{
    TMsg Msg;
    if (!ProcessMessage(Msg))
        Idle();
}

int TApplication::Run()
{
    FTerminated = false;
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

void TApplication::HandleException(TObject*)
{
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const std::exception& E) {
        std::cerr << "Exception: " << E.what() << '\n';
    } catch (...) {
        std::cerr << "Exception of an unknown type\n";
    }
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

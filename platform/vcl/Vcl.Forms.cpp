// Vcl.Forms.cpp: the application's message loop.
#include "Vcl.Forms.h"

#include <iostream>

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

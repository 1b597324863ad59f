// Vcl.Forms.h: the application object and the main thread's message loop.
// There is one loop: modal loops and windows of later units pump through HandleMessage and
// ProcessMessages, which also serve the calls that workers hand over with Synchronize and Queue.
#pragma once

#include "Rtl.Classes.h"
#include "Win.Messages.h"

// Sees a message before it is dispatched; setting AHandled keeps it from its window.
using TMessageEvent = TMethod<void(TMsg& AMsg, bool& AHandled)>;

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
    // Call from a catch block: an EAbort passes silently, anything else is reported on stderr.
    void HandleException(TObject* ASender);

protected:
    TApplication() = default;
    ~TApplication() override;
    void Construct(TComponent* AOwner) override;

private:
    bool ProcessMessage(TMsg& AMsg);
    void Idle();

    TMessageEvent FOnMessage;
    bool FTerminated = false;
    int FExitCode = 0;
};

// Made on the main thread before main() runs; it lives as long as the process.
extern TApplication* Application;

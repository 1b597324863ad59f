// XEngine.cpp: gears, gear and engine boxes, the message window and the start timers.
#include "XEngine.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Rtl.Encoding.h"
#include "Rtl.Lists.h"
#include "Win.Display.h"
#include "Win.RemoteWindows.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Errors.h"
#include "XSpark.App.h"

namespace XEngine {

namespace {

// Delays of a posted command: the gear's own handling first, then its event.
constexpr UINT kPostedCommandDelay = 20;
constexpr UINT kPostedEventDelay = 50;

// Runs a window procedure so that nothing it raises crosses the window's edge.
template <class TProc>
void GuardedWndProc(TObject* ASender, TProc AProc)
{
    try {
        AProc();
    } catch (...) {
        Application->HandleException(ASender);
    }
}

// The text of a copy-data block: UTF-16 read within the block's cbData bytes, up to the first
// NUL and at most cbData - 1 characters (what senders that count characters send).
String CopyDataText(const COPYDATASTRUCT& AData)
{
    if (AData.lpData == nullptr || AData.cbData == 0)
        return String();
    size_t Units = std::min<size_t>(AData.cbData - 1, AData.cbData / sizeof(char16_t));
    std::u16string Text(Units, u'\0');
    std::memcpy(Text.data(), AData.lpData, Units * sizeof(char16_t));
    Text.resize(std::min(Text.find(u'\0'), Text.size()));
    return Utf16ToUtf8(Text);
}

}  // namespace

// ---- TXGear ------------------------------------------------------------------------------

void TXGear::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("OnCommand", &TXGear::OnCommand, &TXGear::SetOnCommand);
    P.Property("OnIntCommand", &TXGear::OnIntCommand, &TXGear::SetOnIntCommand);
}

void TXGear::BeforeDestruction()
{
    inherited::BeforeDestruction();
    FActive = false;
    if (FWindow != nullptr)
        DetachWindow();
}

void TXGear::Command(TObject* ASender, int AMonitor, TXHitType AHit, const String& AHitName, const String& ACommand,
                     const String& AArgs)
{
    DoCommand(ASender, AMonitor, AHit, AHitName, ACommand, AArgs);
    if (FOnCommand)
        FOnCommand(ASender, AMonitor, AHit, AHitName, ACommand, AArgs);
}

void TXGear::IntCommand(TObject* ASender, int AMonitor, TXHitType AHit, const String& AHitName, int ACommand,
                        const String& AArgs)
{
    DoIntCommand(ASender, AMonitor, AHit, AHitName, ACommand, AArgs);
    if (FOnIntCommand)
        FOnIntCommand(ASender, AMonitor, AHit, AHitName, ACommand, AArgs);
}

void TXGear::PostCommand(TObject*, int AMonitor, TXHitType AHit, const String& AHitName, const String& ACommand,
                         const String& AArgs)
{
    PostCommandTimer(kPostedCommandDelay, AMonitor, AHit, TXCommandEvent::Bind<&TXGear::DoCommand>(this), AHitName,
                     ACommand, AArgs)
        ->WatchGear(this);
    if (FOnCommand)
        PostCommandTimer(kPostedEventDelay, AMonitor, AHit, FOnCommand, AHitName, ACommand, AArgs)->WatchGear(this);
}

void TXGear::PostIntCommand(TObject*, int AMonitor, TXHitType AHit, const String& AHitName, int ACommand,
                            const String& AArgs)
{
    PostIntCommandTimer(kPostedCommandDelay, AMonitor, AHit, TXIntCommandEvent::Bind<&TXGear::DoIntCommand>(this),
                        AHitName, ACommand, AArgs)
        ->WatchGear(this);
    if (FOnIntCommand)
        PostIntCommandTimer(kPostedEventDelay, AMonitor, AHit, FOnIntCommand, AHitName, ACommand, AArgs)
            ->WatchGear(this);
}

// ---- TXMessageGear -----------------------------------------------------------------------

void TXMessageGear::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FHandle = AllocateHWnd(TWndMethod::Bind<&TXMessageGear::MainWndProc>(this));
}

TXMessageGear::~TXMessageGear()
{
    DeallocateHWnd(FHandle);
}

void TXMessageGear::MainWndProc(TMessage& AMessage)
{
    GuardedWndProc(this, [&] { WndProc(AMessage); });
}

void TXMessageGear::WndProc(TMessage& AMessage)
{
    AMessage.Result = DefWindowProcW(FHandle, AMessage.Msg, AMessage.WParam, AMessage.LParam);
}

// ---- TXGearBox ---------------------------------------------------------------------------

void TXGearBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FGears = TXGearList::Create(true);
    FCounter.Init(XClasses::TXChangeCallback::Bind<&TXGearBox::UpdateBegun>(this),
                  XClasses::TXChangeCallback::Bind<&TXGearBox::UpdateEnded>(this));
}

void TXGearBox::BeforeDestruction()
{
    inherited::BeforeDestruction();
    FreeAndNil(FGears);
}

TXGearBox::~TXGearBox()
{
    FreeAndNil(FGears);   // when BeforeDestruction did not run (construction failed)
}

bool TXGearBox::Prepare()
{
    bool Result = inherited::Prepare();
    for (int I = 0; I < FGears->Count(); ++I)
        Result = FGears->GetItem(I)->Prepare() && Result;
    return Result;
}

void TXGearBox::AttachWindow(HWND AHandle)
{
    inherited::AttachWindow(AHandle);
    for (int I = 0; I < FGears->Count(); ++I) {
        TXGear* Gear = FGears->GetItem(I);
        if (auto* MessageGear = AsOrNull<TXMessageGear>(Gear))
            MessageGear->AttachOwnWindow();
        else if (auto* EngineBox = AsOrNull<TXEngineBox>(Gear))
            EngineBox->AttachOwnWindow();
        else
            Gear->AttachWindow(AHandle);
    }
}

void TXGearBox::DetachWindow()
{
    inherited::DetachWindow();
    if (FGears == nullptr)
        return;
    for (int I = 0; I < FGears->Count(); ++I)
        FGears->GetItem(I)->DetachWindow();
}

// ---- TXEngineBox -------------------------------------------------------------------------

void TXEngineBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FHandle = AllocateWindow(TWndMethod::Bind<&TXEngineBox::MainWndProc>(this));
}

// The children went in BeforeDestruction; the window they were attached to goes last.
TXEngineBox::~TXEngineBox()
{
    DestroyWindow(FHandle);
}

HWND TXEngineBox::AllocateWindow(TWndMethod AMethod)
{
    return AllocateHWnd(AMethod);
}

bool TXEngineBox::Prepare()
{
    bool Result = inherited::Prepare();
    AttachOwnWindow();
    return Result;
}

void TXEngineBox::MainWndProc(TMessage& AMessage)
{
    GuardedWndProc(this, [&] { WndProc(AMessage); });
}

void TXEngineBox::WndProc(TMessage& AMessage)
{
    bool Answered = false;
    if (AMessage.Msg == WM_HOTKEY) {
        auto HotKeyId = static_cast<int>(AMessage.WParam);
        // A command may free gears of the list, so it is walked by index and read again.
        for (int I = 0; I < Gears()->Count(); ++I) {
            TXGear* Gear = Gears()->GetItem(I);
            if (int Command = Gear->HotKeyCommand(HotKeyId); Command != 0) {
                Answered = true;
                String HitName = Gear->Name();
                IntCommand(nullptr, 0, xhtCustom, HitName, Command, String());
            }
        }
    }
    if (!Answered)
        AMessage.Result = DefWindowProcW(FHandle, AMessage.Msg, AMessage.WParam, AMessage.LParam);
}

// ---- TXEventNotifier ---------------------------------------------------------------------

void TXEventNotifier::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FHandlers = TObjectList::Create(true);
}

TXEventNotifier::~TXEventNotifier()
{
    FreeAndNil(FHandlers);
}

XClasses::TXEventObject* TXEventNotifier::AddHandler(int AKind, TNotifyEvent AHandler)
{
    XClasses::TXEventObject* Registration = XClasses::TXEventObject::Create(AKind, AHandler);
    FHandlers->Add(Registration);
    return Registration;
}

void TXEventNotifier::RemoveHandler(TNotifyEvent AHandler)
{
    for (int I = 0; I < FHandlers->Count(); ++I)
        if (static_cast<XClasses::TXEventObject*>(FHandlers->Items(I))->Handler() == AHandler) {
            FHandlers->Delete(I);
            return;
        }
}

// The handlers are taken first: one may register or remove handlers while it runs.
void TXEventNotifier::Notify(TObject* ASender, int AKind)
{
    std::vector<TNotifyEvent> Handlers;
    for (int I = 0; I < FHandlers->Count(); ++I) {
        auto* Registration = static_cast<XClasses::TXEventObject*>(FHandlers->Items(I));
        if (Registration->Kind() == AKind)
            Handlers.push_back(Registration->Handler());
    }
    for (const TNotifyEvent& Handler : Handlers)
        Handler(ASender);
}

// ---- TXMsgWindow -------------------------------------------------------------------------

void TXMsgWindow::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("OnActionExecute", &TXMsgWindow::OnActionExecute, &TXMsgWindow::SetOnActionExecute);
    P.Property("OnActionUpdate", &TXMsgWindow::OnActionUpdate, &TXMsgWindow::SetOnActionUpdate);
    P.Property("OnActivate", &TXMsgWindow::OnActivate, &TXMsgWindow::SetOnActivate);
    P.Property("OnDeactivate", &TXMsgWindow::OnDeactivate, &TXMsgWindow::SetOnDeactivate);
    P.Property("OnException", &TXMsgWindow::OnException, &TXMsgWindow::SetOnException);
    P.Property("OnIdle", &TXMsgWindow::OnIdle, &TXMsgWindow::SetOnIdle);
    P.Property("OnHelp", &TXMsgWindow::OnHelp, &TXMsgWindow::SetOnHelp);
    P.Property("OnHint", &TXMsgWindow::OnHint, &TXMsgWindow::SetOnHint);
    P.Property("OnMessage", &TXMsgWindow::OnMessage, &TXMsgWindow::SetOnMessage);
    P.Property("OnMinimize", &TXMsgWindow::OnMinimize, &TXMsgWindow::SetOnMinimize);
    P.Property("OnRestore", &TXMsgWindow::OnRestore, &TXMsgWindow::SetOnRestore);
    P.Property("OnShowHint", &TXMsgWindow::OnShowHint, &TXMsgWindow::SetOnShowHint);
    P.Property("OnShortCut", &TXMsgWindow::OnShortCut, &TXMsgWindow::SetOnShortCut);
    P.Property("OnSettingChange", &TXMsgWindow::OnSettingChange, &TXMsgWindow::SetOnSettingChange);
    P.Property("OnModalBegin", &TXMsgWindow::OnModalBegin, &TXMsgWindow::SetOnModalBegin);
    P.Property("OnModalEnd", &TXMsgWindow::OnModalEnd, &TXMsgWindow::SetOnModalEnd);
    P.Property("OnXMessage", &TXMsgWindow::OnXMessage, &TXMsgWindow::SetOnXMessage);
    P.Property("OnOpen", &TXMsgWindow::OnOpen, &TXMsgWindow::SetOnOpen);
    P.Property("OnTerminate", &TXMsgWindow::OnTerminate, &TXMsgWindow::SetOnTerminate);
    P.Property("OnWMCopyData", &TXMsgWindow::OnWMCopyData, &TXMsgWindow::SetOnWMCopyData);
}

void TXMsgWindow::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    InstallAppEvents();
}

TXMsgWindow::~TXMsgWindow()
{
    UnpublishWindow(Handle());
    RemoveAppEvents();
}

// Hidden and top-level, as another instance looks for it by its caption; other processes reach
// it by the title too. When another instance holds the title, the window is only reached here.
HWND TXMsgWindow::AllocateWindow(TWndMethod AMethod)
{
    HWND Window = CreateTopLevelWindow("TXMsgWindow", Application->Title(), nullptr, TRect(), AMethod);
    [[maybe_unused]] bool Published = PublishWindow(Window, Application->Title());
    return Window;
}

void TXMsgWindow::InstallAppEvents()
{
    Application->SetOnActionExecute(TActionEvent::Bind<&TXMsgWindow::AppActionExecute>(this));
    Application->SetOnActionUpdate(TActionEvent::Bind<&TXMsgWindow::AppActionUpdate>(this));
    Application->SetOnActivate(TNotifyEvent::Bind<&TXMsgWindow::AppActivate>(this));
    Application->SetOnDeactivate(TNotifyEvent::Bind<&TXMsgWindow::AppDeactivate>(this));
    Application->SetOnException(TExceptionEvent::Bind<&TXMsgWindow::AppException>(this));
    Application->SetOnHelp(THelpEvent::Bind<&TXMsgWindow::AppHelp>(this));
    Application->SetOnHint(TNotifyEvent::Bind<&TXMsgWindow::AppHint>(this));
    Application->SetOnIdle(TIdleEvent::Bind<&TXMsgWindow::AppIdle>(this));
    Application->SetOnMinimize(TNotifyEvent::Bind<&TXMsgWindow::AppMinimize>(this));
    Application->SetOnRestore(TNotifyEvent::Bind<&TXMsgWindow::AppRestore>(this));
    Application->SetOnShowHint(TShowHintEvent::Bind<&TXMsgWindow::AppShowHint>(this));
    Application->SetOnShortCut(TShortCutEvent::Bind<&TXMsgWindow::AppShortCut>(this));
    Application->SetOnSettingChange(TSettingChangeEvent::Bind<&TXMsgWindow::AppSettingChange>(this));
    Application->SetOnModalBegin(TNotifyEvent::Bind<&TXMsgWindow::AppModalBegin>(this));
    Application->SetOnModalEnd(TNotifyEvent::Bind<&TXMsgWindow::AppModalEnd>(this));
    if (NVApp() != nullptr)
        NVApp()->SetOnMessageForward(TMessageEvent::Bind<&TXMsgWindow::AppMessage>(this));
}

namespace {

// Clears an event of the application only while it is still ours: a later message window
// may have taken it over.
template <class TEvent, class TOwner>
void ResetIfBound(TOwner* AOwner, TEvent (TOwner::*AGet)() const, void (TOwner::*ASet)(TEvent), TEvent AOurs)
{
    if ((AOwner->*AGet)() == AOurs)
        (AOwner->*ASet)(TEvent());
}

}  // namespace

void TXMsgWindow::RemoveAppEvents()
{
    TApplication* A = Application;
    ResetIfBound(A, &TApplication::OnActionExecute, &TApplication::SetOnActionExecute,
                 TActionEvent::Bind<&TXMsgWindow::AppActionExecute>(this));
    ResetIfBound(A, &TApplication::OnActionUpdate, &TApplication::SetOnActionUpdate,
                 TActionEvent::Bind<&TXMsgWindow::AppActionUpdate>(this));
    ResetIfBound(A, &TApplication::OnActivate, &TApplication::SetOnActivate,
                 TNotifyEvent::Bind<&TXMsgWindow::AppActivate>(this));
    ResetIfBound(A, &TApplication::OnDeactivate, &TApplication::SetOnDeactivate,
                 TNotifyEvent::Bind<&TXMsgWindow::AppDeactivate>(this));
    ResetIfBound(A, &TApplication::OnException, &TApplication::SetOnException,
                 TExceptionEvent::Bind<&TXMsgWindow::AppException>(this));
    ResetIfBound(A, &TApplication::OnHelp, &TApplication::SetOnHelp, THelpEvent::Bind<&TXMsgWindow::AppHelp>(this));
    ResetIfBound(A, &TApplication::OnHint, &TApplication::SetOnHint, TNotifyEvent::Bind<&TXMsgWindow::AppHint>(this));
    ResetIfBound(A, &TApplication::OnIdle, &TApplication::SetOnIdle, TIdleEvent::Bind<&TXMsgWindow::AppIdle>(this));
    ResetIfBound(A, &TApplication::OnMinimize, &TApplication::SetOnMinimize,
                 TNotifyEvent::Bind<&TXMsgWindow::AppMinimize>(this));
    ResetIfBound(A, &TApplication::OnRestore, &TApplication::SetOnRestore,
                 TNotifyEvent::Bind<&TXMsgWindow::AppRestore>(this));
    ResetIfBound(A, &TApplication::OnShowHint, &TApplication::SetOnShowHint,
                 TShowHintEvent::Bind<&TXMsgWindow::AppShowHint>(this));
    ResetIfBound(A, &TApplication::OnShortCut, &TApplication::SetOnShortCut,
                 TShortCutEvent::Bind<&TXMsgWindow::AppShortCut>(this));
    ResetIfBound(A, &TApplication::OnSettingChange, &TApplication::SetOnSettingChange,
                 TSettingChangeEvent::Bind<&TXMsgWindow::AppSettingChange>(this));
    ResetIfBound(A, &TApplication::OnModalBegin, &TApplication::SetOnModalBegin,
                 TNotifyEvent::Bind<&TXMsgWindow::AppModalBegin>(this));
    ResetIfBound(A, &TApplication::OnModalEnd, &TApplication::SetOnModalEnd,
                 TNotifyEvent::Bind<&TXMsgWindow::AppModalEnd>(this));
    if (NVApp() != nullptr)
        ResetIfBound(NVApp(), &TXNVApp::OnMessageForward, &TXNVApp::SetOnMessageForward,
                     TMessageEvent::Bind<&TXMsgWindow::AppMessage>(this));
}

void TXMsgWindow::AppActionExecute(TBasicAction* AAction, bool& AHandled)
{
    if (FOnActionExecute)
        FOnActionExecute(AAction, AHandled);
}

void TXMsgWindow::AppActionUpdate(TBasicAction* AAction, bool& AHandled)
{
    if (FOnActionUpdate)
        FOnActionUpdate(AAction, AHandled);
}

void TXMsgWindow::AppActivate(TObject* ASender)
{
    if (FOnActivate)
        FOnActivate(ASender);
}

void TXMsgWindow::AppDeactivate(TObject* ASender)
{
    if (FOnDeactivate)
        FOnDeactivate(ASender);
}

// Without a handler an error is dropped: no message box comes up.
void TXMsgWindow::AppException(TObject* ASender, const std::exception& AE)
{
    if (FOnException && dynamic_cast<const EAbort*>(&AE) == nullptr)
        FOnException(ASender, AE);
}

void TXMsgWindow::AppIdle(TObject* ASender, bool& ADone)
{
    if (FOnIdle)
        FOnIdle(ASender, ADone);
}

bool TXMsgWindow::AppHelp(uint16_t ACommand, intptr_t AData, bool& ACallHelp)
{
    return FOnHelp && FOnHelp(ACommand, AData, ACallHelp);
}

void TXMsgWindow::AppHint(TObject* ASender)
{
    if (FOnHint)
        FOnHint(ASender);
}

void TXMsgWindow::AppMinimize(TObject* ASender)
{
    if (FOnMinimize)
        FOnMinimize(ASender);
}

void TXMsgWindow::AppRestore(TObject* ASender)
{
    if (FOnRestore)
        FOnRestore(ASender);
}

void TXMsgWindow::AppShowHint(String& AHintStr, bool& ACanShow, THintInfo& AHintInfo)
{
    if (FOnShowHint)
        FOnShowHint(AHintStr, ACanShow, AHintInfo);
}

void TXMsgWindow::AppShortCut(TMsg& AMsg, bool& AHandled)
{
    if (FOnShortCut)
        FOnShortCut(AMsg, AHandled);
}

void TXMsgWindow::AppSettingChange(TObject* ASender, int AFlag, const String& ASection, int& AResult)
{
    if (FOnSettingChange)
        FOnSettingChange(ASender, AFlag, ASection, AResult);
}

void TXMsgWindow::AppModalBegin(TObject* ASender)
{
    if (FOnModalBegin)
        FOnModalBegin(ASender);
}

void TXMsgWindow::AppModalEnd(TObject* ASender)
{
    if (FOnModalEnd)
        FOnModalEnd(ASender);
}

void TXMsgWindow::AppMessage(TMsg& AMsg, bool& AHandled)
{
    if (FOnMessage && !AHandled)
        FOnMessage(AMsg, AHandled);
}

void TXMsgWindow::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == NVMActivateApplication() && AMessage.WParam == 2) {
        if (FOnTerminate)
            FOnTerminate(this);
        AMessage.Result = 1;
        return;
    }
    if (AMessage.Msg == WM_COPYDATA) {
        WMCopyData(AMessage);
        return;
    }
    bool Handled = false;
    if (FOnXMessage)
        FOnXMessage(AMessage, Handled);
    if (!Handled)
        AMessage.Result = DefWindowProcW(Handle(), AMessage.Msg, AMessage.WParam, AMessage.LParam);
}

// Data type 1 asks this instance to come forward before the data is handed on.
void TXMsgWindow::WMCopyData(TMessage& AMessage)
{
    const auto* Block = reinterpret_cast<const COPYDATASTRUCT*>(AMessage.LParam);
    int DataType = Block != nullptr ? static_cast<int>(Block->dwData) : 0;
    String Data;
    try {
        if (Block != nullptr)
            Data = CopyDataText(*Block);
    } catch (...) {
        Data.clear();
        CheckError();
    }
    if (DataType == 1) {
        try {
            if (Application->IsMinimized())
                Application->Restore();
            else
                Application->BringToFront();
        } catch (...) {
        }
    }
    if (FOnWMCopyData)
        FOnWMCopyData(this, AMessage.WParam, DataType, Data);
    AMessage.Result = 1;
}

// ---- Timers ------------------------------------------------------------------------------

// A handler that raises still lets the timer go: it fires only once either way.
void TXStartTimer::Timer()
{
    SetEnabled(false);
    try {
        inherited::Timer();
    } catch (...) {
        Application->HandleException(this);
    }
    Free();
}

void TXStartComponentTimer::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetOnTimer(TNotifyEvent::Bind<&TXStartComponentTimer::FireTimer>(this));
}

// ---- Unit functions ----------------------------------------------------------------------

namespace {

template <class TTimerClass, class TCommand, class THandler>
TTimerClass* StartCommandTimer(UINT AInterval, int AMonitor, TXHitType AHit, THandler AHandler,
                               const String& AHitName, TCommand ACommand, const String& AArgs)
{
    TTimerClass* Timer = TTimerClass::Create(Application);
    Timer->SetCommand(AMonitor, AHit, AHitName, ACommand, AArgs, AHandler);
    Timer->SetInterval(AInterval);
    Timer->SetEnabled(true);
    return Timer;
}

}  // namespace

TXStartTimer* StartOneShotTimer(UINT AInterval, TNotifyEvent AHandler)
{
    TXStartTimer* Timer = TXStartTimer::Create(Application);
    Timer->SetInterval(AInterval);
    Timer->SetOnTimer(AHandler);
    Timer->SetEnabled(true);
    return Timer;
}

TXCommandTimer* PostCommandTimer(UINT AInterval, int AMonitor, TXHitType AHit, TXCommandEvent AHandler,
                                 const String& AHitName, const String& ACommand, const String& AArgs)
{
    return StartCommandTimer<TXCommandTimer, const String&>(AInterval, AMonitor, AHit, AHandler, AHitName, ACommand,
                                                            AArgs);
}

TXIntCommandTimer* PostIntCommandTimer(UINT AInterval, int AMonitor, TXHitType AHit, TXIntCommandEvent AHandler,
                                       const String& AHitName, int ACommand, const String& AArgs)
{
    return StartCommandTimer<TXIntCommandTimer, int>(AInterval, AMonitor, AHit, AHandler, AHitName, ACommand, AArgs);
}

void SubscribeToActionAspect(IXObservable* AObservable, TXNotificationHandler AHandler)
{
    AObservable->Subscribe(TXActionAspect::StaticClass(), AHandler);
}

void SubscribeToNamedActionAspect(IXObservable* AObservable, const String& AName, TXNotificationHandler AHandler)
{
    AObservable->SubscribeNamed(AName, TXActionAspect::StaticClass(), AHandler);
}

}  // namespace XEngine

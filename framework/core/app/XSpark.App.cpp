// XSpark.App.cpp: the application object, the command line, the version service and the
// singletons' start-up.
#include "XSpark.App.h"

#include "Rtl.CommandLine.h"
#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "Win.Display.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.IO.h"
#include "XCore.Locale.h"
#include "XCore.Strings.h"
#include "XCore.Version.h"
#include "XPlatform.System.Metrics.h"
#include "XPlatform.System.h"

namespace {

TXNVApp* GNVApp = nullptr;
TXNVParams* GNVParams = nullptr;
TXServiceManager* GAppServices = nullptr;

TXPathMacroExpander AppExpander(TXNVApp* AApp)
{
    return TXPathMacroExpander::Bind<&TXNVApp::ExpandMacros>(AApp);
}

template <class TAspect, class... TArgs>
void NotifyAppEngine(TArgs... AArgs)
{
    GetAppEngine()->Notify(TXNotification<TAspect>::New(TAspect::Create(AArgs...)));
}

}  // namespace

// ---- TXNVApp ------------------------------------------------------------------------------

void TXNVApp::Init()
{
    inherited::Init();
    FForms = XCore::Collections::TXComponentList<>::Create(false);
    Application->SetOnMessage(TMessageEvent::Bind<&TXNVApp::HandleAppMessage>(this));
}

void TXNVApp::Initialize()
{
    inherited::Initialize();
    FExePath = ParamStr(0);
    FExeFolder = AddPathDelimiter(ExtractFilePath(FExePath));
    FDataFolder.clear();
    RegisterPathMacroExpander(AppExpander(this));
}

TXNVApp::~TXNVApp()
{
    if (Application->OnMessage() == TMessageEvent::Bind<&TXNVApp::HandleAppMessage>(this))
        Application->SetOnMessage(nullptr);
    UnregisterPathMacroExpander(AppExpander(this));
    FreeAndNil(FMutex);
    FreeAndNil(FForms);
}

String TXNVApp::ExpandMacros(const String& AText)
{
    String Result = ReplaceAll("<exe>", FExeFolder, AText);
    Result = ReplaceAll("<exen>", FExePath, Result);
    return ReplaceAll("<data>", FDataFolder, Result);
}

bool TXNVApp::CheckSingleInstance(const String& ATitle)
{
    if (NVCoreApp()->Terminated())
        return false;
    try {
        // A second test must not drop the lock that the first one took.
        TOwned<TNamedMutex> Mutex = Owned(TNamedMutex::Create("Local\\" + ATitle));
        if (!Mutex->Valid() || Mutex->AlreadyExists())
            return false;
        FreeAndNil(FMutex);
        FMutex = Mutex.release();
        return true;
    } catch (...) {
        return false;
    }
}

bool TXNVApp::BringToFront()
{
    HWND AppWnd = Application->Handle();
    if (IsIconic(AppWnd)) {
        SendMessageW(AppWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        return true;
    }
    HWND Popup = GetLastActivePopup(AppWnd);
    if (Popup == AppWnd || !IsWindowVisible(Popup) || !IsWindowEnabled(Popup))
        return false;
    SetForegroundWindow(Popup);
    return true;
}

void TXNVApp::AddForm(TComponent* AForm)
{
    FForms->AddUnique(AForm);
    FormsChanged();
}

void TXNVApp::RemoveForm(TComponent* AForm)
{
    FForms->Remove(AForm);
    FormsChanged();
}

String TXNVApp::GetVersion()
{
    return NVVersion()->GetFileVersionText(FExePath);
}

void TXNVApp::HandleAppMessage(TMsg& AMsg, bool& AHandled)
{
    if (AMsg.message != NVMActivateApplication()) {
        if (FOnMessageForward)
            FOnMessageForward(AMsg, AHandled);
        return;
    }
    AHandled = false;
    auto Value = static_cast<int32_t>(AMsg.lParam);
    switch (AMsg.wParam) {
    case 0:
        NotifyAppEngine<TXAppCustomActivateAspect>(Value);
        break;
    case 1:
        NotifyAppEngine<TXAppOpenAspect>(Value);
        break;
    case 2:
        NotifyAppEngine<TXAppTerminateAspect>();
        break;
    default:
        break;
    }
}

// ---- TXNVParams ---------------------------------------------------------------------------

void TXNVParams::Init()
{
    inherited::Init();
    FParams = TStringList::Create();
}

TXNVParams::~TXNVParams()
{
    FreeAndNil(FParams);
}

void TXNVParams::Initialize()
{
    inherited::Initialize();
    for (int I = 0; I <= ParamCount(); ++I)
        FParams->Add(ParamStr(I));
}

int TXNVParams::IndexOf(const String& AName) const
{
    bool Prefix = AName.find(':') != String::npos;
    for (int I = 0; I < FParams->Count(); ++I) {
        String Param = FParams->Strings(I);
        if (Prefix ? Param.size() >= AName.size() && SameText(std::string_view(Param).substr(0, AName.size()), AName)
                   : SameText(Param, AName))
            return I;
    }
    return -1;
}

// ---- TXAppVersionService ------------------------------------------------------------------

void TXAppVersionService::Initialize()
{
    inherited::Initialize();
    FClientCode = "xx";
}

String TXAppVersionService::GetVersion()
{
    return GetAppVersion();
}

// ---- Singletons and start-up --------------------------------------------------------------

// The expander list, the file format settings and the trace list are made on first use, so
// they need no step of their own here.
namespace {

TXStartUpStep GStartSystemImageLists = nullptr;
TXStartUpStep GStopSystemImageLists = nullptr;

}  // namespace

void SetSystemImageListSteps(TXStartUpStep AStart, TXStartUpStep AStop)
{
    GStartSystemImageLists = AStart;
    GStopSystemImageLists = AStop;
}

void StartAppSingletons(TXNVCoreApp* ACoreApp, TClass ASystemClass)
{
    StartNVVersion();
    SetNVCoreApp(ACoreApp != nullptr ? ACoreApp : TXNVCoreApp::Create());
    ReadScreenMetrics();
    if (GStartSystemImageLists != nullptr)
        GStartSystemImageLists();
    StartNVSystem(ASystemClass);
    NVMActivateApplication();
    TaskbarCreatedMessage();
    GAppServices = TXServiceManager::Create();
    GNVApp = TXNVApp::Create();
    GAppServices->RegisterService(TXAppVersionService::Create());
    GNVParams = TXNVParams::Create();
    StartNVLocale();
}

void StopAppSingletons()
{
    StopNVLocale();
    FreeAndNil(GNVParams);
    if (GAppServices != nullptr)
        GAppServices->RemoveService<TXAppVersionService>();
    FreeAndNil(GNVApp);
    FreeAndNil(GAppServices);
    StopNVSystem();
    if (GStopSystemImageLists != nullptr)
        GStopSystemImageLists();
    SetNVCoreApp(nullptr);
    StopNVVersion();
}

TXNVApp* NVApp()
{
    return GNVApp;
}

TXNVParams* NVParams()
{
    return GNVParams;
}

TXServiceManager* AppServices()
{
    return GAppServices;
}

UINT NVMActivateApplication()
{
    static const UINT Id = RegisterWindowMessageW("NVMActivateApplication");
    return Id;
}

UINT TaskbarCreatedMessage()
{
    static const UINT Id = RegisterWindowMessageW("TaskbarCreated");
    return Id;
}

TXAppEngine* GetAppEngine()
{
    return NVCoreApp()->Engine();
}

TDateTime AppNow()
{
    return NVCoreApp()->Now();
}

TDateTime AppDate()
{
    return NVCoreApp()->Date();
}

void NotifyAppTerminated()
{
    NVCoreApp()->NotifyTerminated();
}

bool CheckSingleInstance(const String& ATitle)
{
    return NVApp()->CheckSingleInstance(ATitle);
}

bool BringAppToFront()
{
    return NVApp()->BringToFront();
}

String GetAppVersion()
{
    return NVApp()->GetVersion();
}

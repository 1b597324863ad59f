// XSpark.App.h: the program-level singletons: the application object (program and data folders,
// the single-instance lock, the shown forms, the activation message from outside), the command
// line, the version service, and the start-up that makes every framework singleton in its fixed
// order. All of it belongs to the main thread; the activation notifications reach the
// application engine's observers synchronously, from inside the message loop.
#pragma once

#include "Rtl.Strings.h"
#include "Vcl.Application.h"
#include "Win.Mutex.h"
#include "XCore.App.h"
#include "XCore.Classes.h"
#include "XCore.Collections.h"
#include "XCore.Services.h"

class TXNVApp : public TXInitializableObject {
    X_CLASS(TXNVApp, TXInitializableObject)
public:
    // Replaces "<exe>" by ExeFolder, then "<exen>" by ExePath, then "<data>" by DataFolder,
    // letter case significant.
    String ExpandMacros(const String& AText);
    // Takes the lock "Local\" + ATitle for the rest of the run. False when another instance
    // holds it, when the lock cannot be made, or once the application is ending.
    bool CheckSingleInstance(const String& ATitle);
    // Restores the application when it is minimised, else brings forward the window it last
    // popped up when that is visible and enabled. False when it did neither.
    bool BringToFront();
    // Forms are listed once; a form freed elsewhere drops out of the list by itself.
    void AddForm(TComponent* AForm);
    void RemoveForm(TComponent* AForm);
    // The program file's version as "6.2.9.650"; "0.0.0.0" when it carries none.
    virtual String GetVersion();
    // The platform application's message event: turns "NVMActivateApplication" into
    // notifications (and leaves the message to its window); passes every other message on to
    // OnMessageForward.
    void HandleAppMessage(TMsg& AMsg, bool& AHandled);

    // With a trailing delimiter.
    const String& ExeFolder() const { return FExeFolder; }
    const String& ExePath() const { return FExePath; }
    // With a trailing delimiter; empty until the application wizard has chosen it.
    const String& DataFolder() const { return FDataFolder; }
    void SetDataFolder(const String& AValue) { FDataFolder = AValue; }
    // The framework forms being shown; not owned.
    XCore::Collections::TXComponentList<>* Forms() const { return FForms; }
    TMessageEvent OnMessageForward() const { return FOnMessageForward; }
    void SetOnMessageForward(TMessageEvent AValue) { FOnMessageForward = AValue; }

protected:
    TXNVApp() = default;
    ~TXNVApp() override;
    // Installs HandleAppMessage as the platform application's message event.
    void Init() override;
    // Fills the paths and registers the macro expander.
    void Initialize() override;
    // Called after Forms changed.
    virtual void FormsChanged() {}

private:
    TNamedMutex* FMutex = nullptr;   // owned; held from a successful single-instance test on
    String FExeFolder;
    String FExePath;
    String FDataFolder;
    XCore::Collections::TXComponentList<>* FForms = nullptr;   // owned list, not owning its forms
    TMessageEvent FOnMessageForward;
};

// The command line: parameter 0 (the program's path) first.
class TXNVParams : public TXInitializableObject {
    X_CLASS(TXNVParams, TXInitializableObject)
public:
    // The first parameter that matches, -1 for none; parameter 0 is not skipped. A name that
    // holds ":" matches a parameter that starts with it ("/lang:" matches "/LANG:de"); any
    // other name matches an equal parameter. Letter case is ignored either way.
    int IndexOf(const String& AName) const;
    bool Exists(const String& AName) const { return IndexOf(AName) >= 0; }
    TStrings* Params() const { return FParams; }

protected:
    TXNVParams() = default;
    ~TXNVParams() override;
    void Init() override;
    // Reads the process's parameters.
    void Initialize() override;

private:
    TStringList* FParams = nullptr;   // owned
};

// The program's product and client codes and its version. A program may register a subclass
// under this class in AppServices, which frees the default instance.
class TXAppVersionService : public TXInitializableObject {
    X_CLASS(TXAppVersionService, TXInitializableObject)
public:
    virtual String GetVersion();

    const String& ProductCode() const { return FProductCode; }
    void SetProductCode(const String& AValue) { FProductCode = AValue; }
    const String& ClientCode() const { return FClientCode; }
    void SetClientCode(const String& AValue) { FClientCode = AValue; }

protected:
    TXAppVersionService() = default;
    // ClientCode "xx".
    void Initialize() override;

private:
    String FProductCode;
    String FClientCode;
};

// ---- Singletons and start-up --------------------------------------------------------------

// Makes the framework singletons in their fixed order: the version reader, the core
// application (ACoreApp when given, else a TXNVCoreApp; owned from here on) with its engine,
// the screen metrics, the system image lists when registered, the system folders, the registered messages, the service manager with
// the application object and the version service, the command line, and the locale.
// ASystemClass chooses a program's own system class (see StartNVSystem).
void StartAppSingletons(TXNVCoreApp* ACoreApp = nullptr, TClass ASystemClass = nullptr);
// Frees them in the reverse order.
void StopAppSingletons();
// The system image lists are pictures, which this library does not draw: the user interface's
// library hands over their start and stop (RegisterSystemImageLists), and they keep their place
// in the order.
using TXStartUpStep = void (*)();
void SetSystemImageListSteps(TXStartUpStep AStart, TXStartUpStep AStop);

// nullptr outside StartAppSingletons ... StopAppSingletons.
TXNVApp* NVApp();
TXNVParams* NVParams();
TXServiceManager* AppServices();

// The ids of the registered messages "NVMActivateApplication" (wParam 0 activate, 1 open,
// 2 terminate; lParam travels with 0 and 1) and "TaskbarCreated".
UINT NVMActivateApplication();
UINT TaskbarCreatedMessage();

// The core application's engine, now and date, and its end.
TXAppEngine* GetAppEngine();
TDateTime AppNow();
TDateTime AppDate();
void NotifyAppTerminated();
bool CheckSingleInstance(const String& ATitle);
bool BringAppToFront();
String GetAppVersion();

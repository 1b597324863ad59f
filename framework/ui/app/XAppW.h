// XAppW.h: language packs (a record container holding one language of one program) and the
// application wizard that runs start-up and shut-down around the program's events.
// UI thread only. A pack is read with the target's AppID and AppVer as the identity to match.
#pragma once

#include <cstdint>

#include "XCore.Filer.XStream.h"
#include "XCore.Locale.h"
#include "XEngine.h"
#include "XIni.h"
#include "XSpark.Lg.h"

// The group "Language": the header or whole project as its object, with the text lines in the
// data item "Words", and the binary items as items of kind 4.
class TXLgFilerGroup : public TXRStreamItemsFilerGroup {
    X_CLASS(TXLgFilerGroup, TXRStreamItemsFilerGroup)
public:
    // Both act only when the group object is a TXLgProject.
    void ObjectIndexRead() override;
    void DefineObjectData() override;

protected:
    TXLgFilerGroup() = default;
    void Construct() override;
};

// Selector 0 reads or writes a whole TXLgProject; selector 1 reads a TXLgHeader alone.
class TXLgFiler : public TXRStreamFiler {
    X_CLASS(TXLgFiler, TXRStreamFiler)
public:
    void PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts) override;

protected:
    TXLgFiler() = default;
    void Construct() override;
};

// The life cycle both programs share: start-up events in a fixed order, the data folder, the
// settings kept saved, the language remembered and switched. One per program; the program's
// application data module creates it. The language menus and combo boxes come with the forms.
class TXAppWizard : public XEngine::TXMsgWindow {
    X_CLASS(TXAppWizard, XEngine::TXMsgWindow)
public:
    // Below "Software\" in the current user's hive; empty leaves the registry alone.
    const String& RegKey() const { return FRegKey; }
    void SetRegKey(const String& AValue) { FRegKey = AValue; }
    // Appended to the data folder's base.
    const String& DataExt() const { return FDataExt; }
    void SetDataExt(const String& AValue) { FDataExt = AValue; }
    bool AllowReadOnly() const { return FAllowReadOnly; }
    void SetAllowReadOnly(bool AValue) { FAllowReadOnly = AValue; }

    bool ReadOnly() const { return FReadOnly; }
    // The settings file did not exist when loading (or, in demonstration mode, there are no settings).
    bool NewIni() const { return FNewIni; }
    TXIni* Ini() const { return FIni; }   // not owned; cleared when it goes
    // Every change notification of AIni saves the settings from here on.
    void SetIni(TXIni* AIni);
    // The settings file, path macros allowed ("<data>orva.ini"); empty: no file.
    const String& IniFileName() const { return FIniFileName; }
    void SetIniFileName(const String& AValue) { FIniFileName = AValue; }
    bool Compress() const { return FCompress; }
    void SetCompress(bool AValue) { FCompress = AValue; }
    uint32_t LgID() const { return FLgID; }
    void SetLgID(uint32_t AValue) { FLgID = AValue; }
    // The identity of the program's language packs.
    uint32_t AppID() const { return FAppID; }
    void SetAppID(uint32_t AValue) { FAppID = AValue; }
    uint32_t AppVer() const { return FAppVer; }
    void SetAppVer(uint32_t AValue) { FAppVer = AValue; }
    // The languages offered, in this order; empty offers every installed one.
    TXLocaleIDStringList* LanguageIDs() const { return FLanguageIDs; }
    TXLgHeaderList* AllHeaders() const { return FAllHeaders; }   // owning
    TXLgHeaderList* Headers() const { return FHeaders; }         // the offered ones, sorted

    // OnStartApp, then StartApp. Called once by the main block after the data modules exist.
    bool Start();
    // Fires OnLoadData; runs from a 100 ms start timer once the message loop turns.
    virtual void LoadData();
    // OnInitApp, the data folder, stale temporary files removed, the settings, the start
    // language, the data load scheduled.
    // False, with nothing loaded or scheduled, when no data folder can be used.
    virtual bool StartApp();
    virtual bool InitApp();
    // Card mode, demonstration mode, the registry or the per-user default; the folder made and
    // checked. False leaves the application's DataFolder empty.
    virtual bool ChooseDataFolder();
    // OnSaveData, SaveIni, then "DataFolder" remembered (not in card or demonstration mode).
    virtual void FinishApp();
    // Removes the temporary files that interrupted saves left in the data folder and the
    // settings file's folder; StartApp calls it once the data folder is chosen.
    void RemoveStaleSaves();

    // Reset, then the registry's language, then the file: the file's language wins.
    void LoadIni();
    // The language to the registry (not in demonstration mode), OnSaveIni, the settings file.
    void SaveIni();
    void SaveData();
    void LanguageChanged();

    // Offers a built-in pack kept alive by the program. A pack whose header cannot be read (the
    // error stays recorded) or whose language is installed already is not offered.
    void AddLanguageStream(TStream* AStream);
    // Loads and activates Headers()[AIndex]; a pack that fails falls back to the first built-in
    // one. When nothing loads the current language stays and the answer is False.
    bool SelectLanguage(int AIndex);
    // LgID when it is offered, else the first offered language.
    void SelectStartLanguage();

    TNotifyEvent OnInitApp() const { return FOnInitApp; }
    void SetOnInitApp(TNotifyEvent AValue) { FOnInitApp = AValue; }
    TNotifyEvent OnStartApp() const { return FOnStartApp; }
    void SetOnStartApp(TNotifyEvent AValue) { FOnStartApp = AValue; }
    TNotifyEvent OnLoadIni() const { return FOnLoadIni; }
    void SetOnLoadIni(TNotifyEvent AValue) { FOnLoadIni = AValue; }
    TNotifyEvent OnSaveIni() const { return FOnSaveIni; }
    void SetOnSaveIni(TNotifyEvent AValue) { FOnSaveIni = AValue; }
    TNotifyEvent OnLoadData() const { return FOnLoadData; }
    void SetOnLoadData(TNotifyEvent AValue) { FOnLoadData = AValue; }
    TNotifyEvent OnSaveData() const { return FOnSaveData; }
    void SetOnSaveData(TNotifyEvent AValue) { FOnSaveData = AValue; }
    TNotifyEvent OnLanguageChanged() const { return FOnLanguageChanged; }
    void SetOnLanguageChanged(TNotifyEvent AValue) { FOnLanguageChanged = AValue; }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXAppWizard() = default;
    ~TXAppWizard() override;
    void Construct(TComponent* AOwner) override;
    void Notification(TComponent* AComponent, TOperation AOperation) override;

private:
    void IniChanged(IXNotification* ANotification);
    void LoadDataTimer(TObject*) { LoadData(); }
    void RebuildLanguages();
    bool LoadProject(TXLgProject* AProject, TXLgHeader* AHeader);
    void ActivateProject(TXLgProject* AProject);
    void Fire(const TNotifyEvent& AEvent);

    String FRegKey;
    String FDataExt;
    bool FAllowReadOnly = false;
    bool FReadOnly = false;
    bool FNewIni = false;
    TXIni* FIni = nullptr;
    String FIniFileName;
    bool FCompress = true;
    uint32_t FLgID = LgDefaultID;
    uint32_t FAppID = 0;
    uint32_t FAppVer = 0;
    TXLocaleIDStringList* FLanguageIDs = nullptr;   // owned
    TXLgHeaderList* FAllHeaders = nullptr;          // owned, owning
    TXLgHeaderList* FHeaders = nullptr;             // owned, not owning
    XEngine::TXStartTimer* FLoadTimer = nullptr;             // until it fires
    TNotifyEvent FOnInitApp;
    TNotifyEvent FOnStartApp;
    TNotifyEvent FOnLoadIni;
    TNotifyEvent FOnSaveIni;
    TNotifyEvent FOnLoadData;
    TNotifyEvent FOnSaveData;
    TNotifyEvent FOnLanguageChanged;
};

// The program's wizard while it exists.
extern TXAppWizard* AppWizard;
// The per-user base of the data folder, without a trailing delimiter; set by the main block.
extern String BaseDataFolder;

// The wizard's registry values under "Software\" + ARegKey. Each does nothing for an empty key
// and swallows every failure: a missing or unreadable value reads as 0 or empty.
uint32_t ReadRegLgID(const String& ARegKey);
void WriteRegLgID(const String& ARegKey, uint32_t AValue);
String ReadRegDataFolder(const String& ARegKey);
void WriteRegDataFolder(const String& ARegKey, const String& AFolder);

// ---- Start-up ----------------------------------------------------------------------------

// Registers the libraries below and the classes language packs name. Programs and test
// programs call it at start-up; calling it again changes nothing.
void RegisterUIApp();

// XIni.h: settings objects: a component whose published properties are the settings, stored
// in a file (the indented XML object document in the process's form of that format, optionally
// one zlib stream) or under a registry key. Loading and saving never
// notify: callers bracket their changes with BeginUpdate/EndUpdate or call Changed.
#pragma once

#include <cstdint>

#include "Rtl.Streams.h"
#include "XCore.Types.h"
#include "XSpark.Classes.h"
#include "XSpark.Ini.h"

class TXCustomIni : public TXObservableComponent, public IXIni {
    X_CLASS(TXCustomIni, TXObservableComponent)
    X_INTERFACES(IXIni)
public:
    // The defaults; nothing in this class.
    virtual void Reset() {}
    // Runs after every load attempt, failed ones and a missing file included.
    virtual void AfterLoad() {}
    virtual void BeforeSave() {}
    // The XML object document, component text whose header may name any component, or either
    // of them zlib-compressed. A stream that holds none of these changes nothing, answers
    // False and leaves its reason in the thread's error store (44).
    [[nodiscard]] virtual bool LoadFromStream(TStream* AStream);
    // At AStream's position; ACompressed writes one zlib stream at the default level.
    [[nodiscard]] virtual bool SaveToStream(TStream* AStream, bool ACompressed);
    // AKey is a path under HKEY_CURRENT_USER ending in "\". False when the key cannot be opened.
    [[nodiscard]] virtual bool LoadFromRegistry(const String& AKey);
    // False when the key cannot be opened or created.
    [[nodiscard]] virtual bool SaveToRegistry(const String& AKey);

    // A missing file is the first run: False with 31 and the file name.
    [[nodiscard]] bool LoadFromFile(const String& AFileName);
    // Through a temporary file renamed over the target, so that a failed save leaves the old
    // file as it was.
    [[nodiscard]] bool SaveToFile(const String& AFileName, bool ACompressed);
    // Reset, then LoadFromRegistry: what the recovery program loads its settings with.
    [[nodiscard]] bool ReloadFromRegistry(const String& AKey);

    TIntf<IXObservable> GetObservable() override { return inherited::GetObservable(); }
    void BeginUpdate() override { FUpdates.BeginUpdate(); }
    void EndUpdate() override;
    // Tells the observers of TXChangedAspect at once, on the calling thread.
    void Changed() override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXCustomIni() = default;

private:
    TXUpdateCounter FUpdates;
};

class TXIni : public TXCustomIni {
    X_CLASS(TXIni, TXCustomIni)
public:
    const String& DocType() const { return FDocType; }
    void SetDocType(const String& AValue) { FDocType = AValue; }
    int32_t DocVer() const { return FDocVer; }
    void SetDocVer(int32_t AValue) { FDocVer = AValue; }
    uint32_t lgID() const { return FlgID; }
    void SetlgID(uint32_t AValue) { FlgID = AValue; }

    // The language goes back to English; DocType and DocVer stay as they are.
    void Reset() override;

    // The stored schema of every settings file, in this order.
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXIni() = default;

private:
    String FDocType;
    int32_t FDocVer = 0;
    uint32_t FlgID = 0;
};

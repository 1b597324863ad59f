// XSpark.Lg.h: the language text table (texts by numeric id and named binary items of the
// current language), the handlers that re-read captions when it changes, and the headers of
// language packs. Stored text values are radix-36 coded UTF-8; GetText decodes them.
// UI thread only: neither the global table nor the handler list locks.
#pragma once

#include <cstdint>

#include "XCore.Collections.h"
#include "XCore.Streams.Containers.h"
#include "XCore.Types.h"

// English, the language every program falls back on.
inline constexpr uint32_t LgDefaultID = 9;

// The texts: pairs of text id and coded value, kept in load order.
class TXW : public XCore::Collections::TXPairs<uint32_t, String> {
    X_CLASS(TXW, XCore::Collections::TXPairs<uint32_t, String>)
public:
    // Appends a pair for every line "id=value" with a non-zero hexadecimal id; other lines are
    // skipped. A byte-order mark chooses the encoding, else the system ANSI code page. False
    // when reading fails; the pairs read so far stay.
    bool LoadFromStream(TStream* AStream);
    // The decoded value of the first pair with AId; empty when there is none. "#13#10" becomes
    // CR LF unless bit 31 of the id is set.
    String GetText(uint32_t AId) const;

protected:
    TXW() = default;
};

// A named binary item of a language (a picture, say).
class TXBI : public TXStreamItem {
    X_CLASS(TXBI, TXStreamItem)
protected:
    TXBI() = default;
};

class TXBCollection : public TXStreamCollection<TXBI> {
    X_CLASS(TXBCollection, TXStreamCollection<TXBI>)
protected:
    TXBCollection() = default;
};

// One language: texts and binary items. Changing the global table tells the handlers.
class TXLg : public TXPersistent {
    X_CLASS(TXLg, TXPersistent)
public:
    TXW* Texts() const { return FTexts; }
    TXBCollection* Items() const { return FItems; }
    // Whether loading texts into the global table tells the handlers; True after construction.
    bool Notify() const { return FNotify; }
    void SetNotify(bool AValue) { FNotify = AValue; }

    String GetText(uint32_t AId) const { return FTexts->GetText(AId); }
    // The language's own id, text 1 in decimal; 0 when missing or no number.
    uint32_t GetLgID() const;
    // The bytes of the item of that name (letter case ignored); the shared empty stream when
    // there is none. Not the caller's to free.
    TMemoryStream* GetItemStream(const String& AName) const;
    // Appends the stream's texts to those loaded before.
    bool LoadTexts(TStream* AStream, bool ARewind);
    // An item holding the whole of AStream; nullptr when it cannot be read.
    TXBI* AddItem(const String& AName, TStream* AStream, const String& ADataClass);

    bool AssignFrom(TPersistent* ASource) override;

protected:
    TXLg() = default;
    ~TXLg() override;
    void Init() override;
    void DoClear() override;

private:
    TXW* FTexts = nullptr;
    TXBCollection* FItems = nullptr;
    bool FNotify = true;
};

// The header of a language pack, as the language menu lists it.
class TXLgHeader : public TXNamedPersistent {
    X_CLASS(TXLgHeader, TXNamedPersistent)
public:
    uint32_t LgID() const { return FLgID; }
    void SetLgID(uint32_t AValue) { FLgID = AValue; }
    uint32_t AppID() const { return FAppID; }
    void SetAppID(uint32_t AValue) { FAppID = AValue; }
    uint32_t AppVer() const { return FAppVer; }
    void SetAppVer(uint32_t AValue) { FAppVer = AValue; }
    const String& Revision() const { return FRevision; }
    void SetRevision(const String& AValue) { FRevision = AValue; }
    const String& Author() const { return FAuthor; }
    void SetAuthor(const String& AValue) { FAuthor = AValue; }
    const String& Contact() const { return FContact; }
    void SetContact(const String& AValue) { FContact = AValue; }
    const String& Comments() const { return FComments; }
    void SetComments(const String& AValue) { FComments = AValue; }
    const String& Data() const { return FData; }
    void SetData(const String& AValue) { FData = AValue; }
    // The pack file the header was read from.
    const String& FileName() const { return FFileName; }
    void SetFileName(const String& AValue) { FFileName = AValue; }
    // The whole pack when it is kept in memory; not owned.
    TStream* DataStream() const { return FDataStream; }
    void SetDataStream(TStream* AValue) { FDataStream = AValue; }

    // Copies the stream reference, not the stream.
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXLgHeader() = default;
    void DoClear() override;

private:
    uint32_t FLgID = 0;
    uint32_t FAppID = 0;
    uint32_t FAppVer = 0;
    String FRevision;
    String FAuthor;
    String FContact;
    String FComments;
    String FData;
    String FFileName;
    TStream* FDataStream = nullptr;
};

// A whole language pack in memory: the header, the text lines and the binary items.
class TXLgProject : public TXLgHeader {
    X_CLASS(TXLgProject, TXLgHeader)
public:
    // Owned: lines of a hexadecimal id, "=" and the coded value.
    TMemoryStream* TextStream() const { return FTextStream; }
    TXBCollection* Items() const { return FItems; }

    bool AssignFrom(TPersistent* ASource) override;

protected:
    TXLgProject() = default;
    ~TXLgProject() override;
    void Init() override;

private:
    TMemoryStream* FTextStream = nullptr;
    TXBCollection* FItems = nullptr;
};

class TXLgHeaderList : public XCore::Collections::TXObjectList<TXLgHeader> {
    X_CLASS(TXLgHeaderList, XCore::Collections::TXObjectList<TXLgHeader>)
public:
    TXLgHeader* Headers(int AIndex) const { return static_cast<TXLgHeader*>(Items(AIndex)); }
    // The first header of that language; -1 when none.
    int IndexOfLgID(uint32_t ALgID) const;
    // The first header with a data stream; -1 when none.
    int IndexOfFirstWithData() const;
    // The default language first, then by name, letter case ignored.
    void SortByName();

protected:
    TXLgHeaderList() = default;
};

// Two headers of a TXLgHeaderList: the one of the default language first, otherwise by name.
int CompareLgHeaders(void* AItem1, void* AItem2);

// ---- The global table and its handlers ---------------------------------------------------

TXLg* Lg();
uint32_t GetCurrentLgID();
// Four lower-case hexadecimal digits.
String GetCurrentLgIDHex();

// A handler is listed once; registering calls it at once unless notification is locked.
void RegisterLgChangedHandler(const TXAnyProcedure& AHandler);
void RegisterLgChangedHandler(const TMethod<void()>& AHandler);
void UnregisterLgChangedHandler(const TXAnyProcedure& AHandler);
void UnregisterLgChangedHandler(const TMethod<void()>& AHandler);
// Calls the handlers listed when the round starts, in order, unless locked. A handler
// unregistered during the round is not called; one that raises ends the round silently.
void NotifyLgChanged();
void LockLgChangedHandlers();
void UnlockLgChangedHandlers(bool AFire);
bool LgChangedHandlersLocked();

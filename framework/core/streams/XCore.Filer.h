// XCore.Filer.h: filers load an object from, or save it to, a text, a byte string, a stream or
// a file, through filer groups that each bind a piece of the object to a named section.
// Operations answer a Boolean; a failure keeps the first error recorded on the thread, so a
// deep cause (a CRC, a container identity) survives the 44 or 45 that the filer adds.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>

#include "Rtl.Classes.h"
#include "Rtl.Sets.h"
#include "Rtl.Streams.h"
#include "Rtl.Strings.h"
#include "XCore.Collections.h"
#include "XCore.Locale.h"
#include "XCore.Streams.h"
#include "XCore.Streams.ZLib.h"

class TXFiler;
class TXProgress;

inline constexpr int32_t kErrFileOpen = 4;      // with the system's error number and reason
inline constexpr int32_t kErrFileMissing = 31;  // the text is the file name
inline constexpr int32_t kErrLeftOut = -1;      // an item left out by a group's filter: no failure

// Saves AFileName through a temporary file beside it (TSafeFileStream): AWrite writes the
// whole content into the stream it is given and answers whether it did; only then does the
// file take the target's place. A failure leaves the old file as it was and records, first
// error wins, 4 when the temporary file cannot be made, else 45; with the system's error
// number and reason when the system failed. Every save of user data goes through here or
// through SafeWriteFileBytes.
bool SafeSaveFile(const String& AFileName, const std::function<bool(TStream*)>& AWrite);

// Success clears the thread's error; a failure records ACode unless an error is recorded
// already, and raises the recorded one when ARaise is set. Answers AOK.
bool ReportFilerResult(bool AOK, int32_t ACode, bool ARaise);

// Runs AStep, which answers a Boolean: False also when it raises.
template <class TStep>
bool GuardedStep(TStep&& AStep)
{
    bool OK = false;
    return Guarded([&] { OK = AStep(); }) && OK;
}

// The "loaded" bit (5) of a data status word.
bool IsDataLoaded(uint32_t AStatusWord);

// ---- Filerable objects -------------------------------------------------------------------

struct IXFilerable : IInterface {
    X_INTERFACE_ID(IInterface, "{8AD7E53A-8669-4F27-BC7D-7EE53DBDCC98}");
    // The stream filers keep here the index of the container header an item came from.
    virtual int32_t GetIdx() = 0;
    virtual void SetIdx(int32_t AValue) = 0;
    // The text a group's filter list is matched against.
    virtual String GetXFilter() = 0;
    virtual void SetXFilter(const String& AValue) = 0;
};

class TXFilerablePersistent : public TXLocalizedPersistent, public IXFilerable {
    X_CLASS(TXFilerablePersistent, TXLocalizedPersistent)
    X_INTERFACES(IXFilerable)
public:
    int32_t GetIdx() override { return FIdx; }
    void SetIdx(int32_t AValue) override { FIdx = AValue; }
    String GetXFilter() override { return FXFilter; }
    void SetXFilter(const String& AValue) override { FXFilter = AValue; }
    bool AssignFrom(TPersistent* ASource) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXFilerablePersistent() = default;
    void DoClear() override;

private:
    int32_t FIdx = -1;
    String FXFilter;
};

class TXFilerableItem : public TXLocalizedCollectionItem, public IXFilerable {
    X_CLASS(TXFilerableItem, TXLocalizedCollectionItem)
    X_INTERFACES(IXFilerable)
public:
    int32_t GetIdx() override { return FIdx; }
    void SetIdx(int32_t AValue) override { FIdx = AValue; }
    String GetXFilter() override { return FXFilter; }
    void SetXFilter(const String& AValue) override { FXFilter = AValue; }
    bool AssignFrom(TPersistent* ASource) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXFilerableItem() = default;
    void DoClear() override;

private:
    int32_t FIdx = -1;
    String FXFilter;
};

// ---- The data index ----------------------------------------------------------------------

// One separately stored data item of an object: where it lies (Idx) and, while a filer runs,
// whether it is wanted and what receives it (a stream, a string item or a persistent object).
class TXDataIndexItem : public TXFilerableItem {
    X_CLASS(TXDataIndexItem, TXFilerableItem)
public:
    bool Wanted() const { return FWanted; }
    void SetWanted(bool AValue) { FWanted = AValue; }
    TObject* DataTarget() const { return FDataTarget; }   // not owned
    void SetDataTarget(TObject* AValue) { FDataTarget = AValue; }
    TMemoryStream* Stream() const { return FStream.get(); }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXDataIndexItem() = default;
    void Init() override;

private:
    bool FWanted = false;
    TObject* FDataTarget = nullptr;
    TOwned<TMemoryStream> FStream;
};

class TXDataIndexCollection : public TXLocalizedCollection<TXDataIndexItem> {
    X_CLASS(TXDataIndexCollection, TXLocalizedCollection<TXDataIndexItem>)
public:
    // The entry position of the first data item: a header's fixed entries come before it.
    int32_t IndexBase() const { return FIndexBase; }
    void SetIndexBase(int32_t AValue) { FIndexBase = AValue; }

    // A new item whose Idx is its index plus the index base.
    TXDataIndexItem* AddEntry(const String& AName, const String& AXFilter, uint32_t ALgID);
    // The Idx of the first item of that name, letter case ignored; 0 when none.
    int32_t FindIdx(const String& AName) const;
    // The Idx of the item IndexOfNameFallback finds without the English step; 0 when none.
    int32_t FindLocalizedIdx(const String& AName, uint32_t ALgID) const;
    // The first item of that language whose name equals AName exactly; -1 when none.
    int IndexOfNameLgID(const String& AName, uint32_t ALgID) const;
    // Tries ALgID, its primary language, the index's own language, 0 and, with AUseEnglish
    // (unless the index is English already), 9.
    int IndexOfNameFallback(const String& AName, uint32_t ALgID, bool AUseEnglish) const;

protected:
    TXDataIndexCollection() = default;

private:
    int32_t FIndexBase = 0;
};

// Where an object's data items lie when they are stored as separate entries.
class TXDataIndex : public TXFilerablePersistent {
    X_CLASS(TXDataIndex, TXFilerablePersistent)
public:
    TXDataIndexCollection* DataIndex() const { return FDataIndex.get(); }
    void SetDataIndex(TXDataIndexCollection* AValue) { FDataIndex->Assign(AValue); }
    bool Indexing() const { return FIndexing; }
    void SetIndexing(bool AValue) { FIndexing = AValue; }
    // The language of the index and of its collection.
    void SetLgID(uint32_t AValue) override;
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXDataIndex() = default;
    void Init() override;
    void DoClear() override;

private:
    TOwned<TXDataIndexCollection> FDataIndex;
    bool FIndexing = false;
};

// ---- Groups ------------------------------------------------------------------------------

// Options are small numbers in a set.
using TXFilerOptions = TSet<uint8_t>;
// Read options. 3 is in the default set but nothing reads it.
inline constexpr uint8_t roObject = 1;       // read the group object
inline constexpr uint8_t roObjectData = 2;   // read the group object's indexed data
inline constexpr uint8_t roItemData = 4;     // read each item's indexed data
// Write options.
inline constexpr uint8_t woObject = 1;            // write the group object
inline constexpr uint8_t woIndexObjectData = 2;   // store the object's data items as entries
inline constexpr uint8_t woObjectDataInline = 3;  // the object keeps its data in its own form
inline constexpr uint8_t woIndexItemData = 4;     // store each item's data items as entries
inline constexpr uint8_t woItemDataInline = 5;    // items keep their data in their own form

// Binds a group object and a list of items (a TCollection, TObjectList or TComponentList) to
// a named section of the stored form. Every hook succeeds in the base; the readers and
// writers of a format override what they need.
class TXFilerGroup : public TPersistent {
    X_CLASS(TXFilerGroup, TPersistent)
public:
    TXFiler* Filer() const { return FFiler; }
    void SetFiler(TXFiler* AValue) { FFiler = AValue; }
    const String& Name() const { return FName; }
    void SetName(const String& AValue) { FName = AValue; }
    TObject* DataObject() const { return FDataObject; }   // not owned
    void SetDataObject(TObject* AValue) { FDataObject = AValue; }
    TObject* Items() const { return FItems; }   // not owned
    void SetItems(TObject* AValue) { FItems = AValue; }
    // When not empty, the stream filers load only items whose filter text is listed.
    TStringList* Filter() const { return FFilter.get(); }
    TXFilerOptions ReadOptions() const { return FReadOptions; }
    void SetReadOptions(TXFilerOptions AValue) { FReadOptions = AValue; }
    TXFilerOptions WriteOptions() const { return FWriteOptions; }
    void SetWriteOptions(TXFilerOptions AValue) { FWriteOptions = AValue; }

    // DoClear, then empties the items (an owning list frees its objects).
    void Clear();

    virtual bool BeforeReadData(TStream* /*AStream*/, bool /*ARaise*/) { return true; }
    virtual bool AfterWriteData(TStream* /*AStream*/, bool /*ARaise*/) { return true; }
    virtual void DoClear() {}
    virtual bool BeforeLoad(bool /*ARaise*/) { return true; }
    virtual bool AfterLoad(bool /*ARaise*/) { return true; }
    virtual bool BeforeSave(bool /*ARaise*/) { return true; }
    virtual bool AfterLoadItem(TObject* /*AItem*/, bool /*ARaise*/) { return true; }
    virtual bool BeforeSaveItem(TObject* /*AItem*/, bool /*ARaise*/) { return true; }
    virtual bool AfterRead(bool /*ARaise*/) { return true; }
    virtual bool BeforeWrite(bool /*ARaise*/) { return true; }
    virtual bool ReadObjectText(const String& /*AText*/, TXProgress* /*AProgress*/, bool /*ARaise*/) { return true; }
    virtual bool WriteObjectText(String& AText, TXProgress* AProgress, bool ARaise);
    // Answers the item read, which may be another object than AItem, or nullptr.
    virtual TObject* ReadItemText(TObject* AItem, const String& AText, bool ARaise, TXProgress* AProgress);
    virtual bool WriteItemText(TObject* AItem, String& AText, bool ARaise, TXProgress* AProgress);
    virtual bool WriteText(String& AText, TXProgress* AProgress, bool ARaise);
    virtual bool WriteRawText(String& AText, TXProgress* AProgress, bool ARaise);

protected:
    TXFilerGroup() = default;
    // The virtual constructor through which group lists create groups of any class.
    virtual void Construct();

private:
    TXFiler* FFiler = nullptr;
    String FName;
    TObject* FDataObject = nullptr;
    TObject* FItems = nullptr;
    TOwned<TStringList> FFilter;
    TXFilerOptions FReadOptions{1, 2, 3, 4};
    TXFilerOptions FWriteOptions{woObject, woObjectDataInline, woItemDataInline};
};

// Owns its groups.
class TXFilerGroupList : public XCore::Collections::TXObjectList<TXFilerGroup> {
    X_CLASS(TXFilerGroupList, XCore::Collections::TXObjectList<TXFilerGroup>)
public:
    TXFilerGroup* Groups(int AIndex) const { return static_cast<TXFilerGroup*>(Items(AIndex)); }
    // A group of AGroupClass (a TXFilerGroup), made through its virtual constructor, appended.
    TXFilerGroup* AddNamedGroup(TXFiler* AFiler, TClass AGroupClass, TObject* AItems, TObject* ADataObject,
                                const String& AName);
    TXFilerGroup* AddGroup(TXFiler* AFiler, TClass AGroupClass, TObject* AItems, TObject* ADataObject);

protected:
    TXFilerGroupList() = default;
};

// ---- Filers ------------------------------------------------------------------------------

// A selection of the target's parts that PrepareGroups turns into groups.
using TXFilerParts = std::bitset<256>;

// Load modes.
inline constexpr uint8_t lmClearAndRead = 0;   // clear every group's items, then read
inline constexpr uint8_t lmRead = 1;           // read into what is there
inline constexpr uint8_t lmReadEx = 2;         // the extended read

class TXFiler : public TPersistent {
    X_CLASS(TXFiler, TPersistent)
public:
    TObject* Target() const { return FTarget; }   // not owned
    TXFilerGroupList* Groups() const { return FGroups.get(); }
    uint8_t LoadMode() const { return FLoadMode; }
    void SetLoadMode(uint8_t AValue) { FLoadMode = AValue; }
    int Selector() const { return FSelector; }
    const TXFilerParts& Parts() const { return FParts; }
    // Where the stream filers open their container in a stream.
    int64_t StartOffset() const { return FStartOffset; }
    void SetStartOffset(int64_t AValue) { FStartOffset = AValue; }

    void ClearGroups();

    virtual bool BeforeLoad() { return true; }
    virtual bool AfterLoad() { return true; }
    virtual bool BeforeSave() { return true; }
    virtual bool AfterSave() { return true; }
    // Keeps the arguments and empties the group list; descendants then add their groups.
    virtual void PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts);

    virtual bool ReadString(const String& AText, TXProgress* AProgress, bool ARaise);
    virtual bool ReadRawString(const String& AText, TXProgress* AProgress, bool ARaise);
    virtual bool ReadStream(TStream* AStream, TXProgress* AProgress, bool ARaise);
    virtual bool ReadStringEx(const String& AText, TXProgress* AProgress, bool ARaise);
    virtual bool ReadRawStringEx(const String& AText, TXProgress* AProgress, bool ARaise);
    virtual bool ReadStreamEx(TStream* AStream, TXProgress* AProgress, bool ARaise);
    virtual bool LoadFromString(const String& AText, TXProgress* AProgress, bool ARaise);
    virtual bool LoadFromRawString(const String& AText, TXProgress* AProgress, bool ARaise);
    virtual bool SaveToString(String& AText, TXProgress* AProgress, bool ARaise);
    virtual bool SaveToRawString(String& AText, TXProgress* AProgress, bool ARaise);
    virtual bool WriteStream(TStream* AStream, TXProgress* AProgress, bool ARaise);
    virtual bool UpdateFile(const String& AFileName, TXProgress* AProgress, bool ARaise);
    virtual bool UpdateFileEx(const String& AFileName, TXProgress* AProgress, bool ARaise);

    // By the load mode: see lmClearAndRead, lmRead and lmReadEx; any other mode fails with 44.
    bool LoadFromStream(TStream* AStream, TXProgress* AProgress, bool ARaise);
    // The file is opened denying others write access; 4 when it cannot be opened.
    bool LoadFromFile(const String& AFileName, TXProgress* AProgress, bool ARaise);
    // Through a temporary file beside the target (SafeSaveFile): a failure leaves the old file
    // and records 45 with the system's reason.
    bool SaveToFile(const String& AFileName, TXProgress* AProgress, bool ARaise);

protected:
    TXFiler() = default;
    // The virtual constructor through which the filer helpers create filers of any class.
    virtual void Construct();

private:
    TObject* FTarget = nullptr;
    TOwned<TXFilerGroupList> FGroups;
    uint8_t FLoadMode = lmClearAndRead;
    int FSelector = 0;
    TXFilerParts FParts;
    int64_t FStartOffset = 0;
};

// A group that writes itself as text: its object's text, then one text per collection item.
class TXTextFilerGroup : public TXFilerGroup {
    X_CLASS(TXTextFilerGroup, TXFilerGroup)
public:
    // Items that are an object list are not written.
    bool WriteText(String& AText, TXProgress* AProgress, bool ARaise) override;

protected:
    TXTextFilerGroup() = default;
};

// A filer whose stored form is UTF-8 text. Descendants implement ReadString and ReadStringEx;
// a byte string holds the same UTF-8 bytes here, so the raw readers go to them.
class TXTextFiler : public TXFiler {
    X_CLASS(TXTextFiler, TXFiler)
public:
    bool LoadFromString(const String& AText, TXProgress* AProgress, bool ARaise) override;
    bool LoadFromRawString(const String& AText, TXProgress* AProgress, bool ARaise) override;
    bool ReadString(const String& AText, TXProgress* AProgress, bool ARaise) override;
    bool ReadRawString(const String& AText, TXProgress* AProgress, bool ARaise) override;
    bool ReadStringEx(const String& AText, TXProgress* AProgress, bool ARaise) override;
    bool ReadRawStringEx(const String& AText, TXProgress* AProgress, bool ARaise) override;
    // The whole stream, from its start, as text.
    bool ReadStream(TStream* AStream, TXProgress* AProgress, bool ARaise) override;
    bool ReadStreamEx(TStream* AStream, TXProgress* AProgress, bool ARaise) override;
    // Every group's text in list order.
    bool SaveToString(String& AText, TXProgress* AProgress, bool ARaise) override;
    bool SaveToRawString(String& AText, TXProgress* AProgress, bool ARaise) override;
    bool WriteStream(TStream* AStream, TXProgress* AProgress, bool ARaise) override;

protected:
    TXTextFiler() = default;
};

// A text filer whose target is a TStrings: the text is its lines.
class TXStringsFiler : public TXTextFiler {
    X_CLASS(TXStringsFiler, TXTextFiler)
public:
    // The trimmed text becomes the lines.
    bool ReadString(const String& AText, TXProgress* AProgress, bool ARaise) override;
    bool SaveToString(String& AText, TXProgress* AProgress, bool ARaise) override;

protected:
    TXStringsFiler() = default;
};

// ---- Reading objects into lists ----------------------------------------------------------

// The class a reader may make an object of for AList, from a class its data names: the list's
// item class, and for a list of any object a persistent one (readers fill properties).
TClass ReadableItemClass(const TObjectList* AList);
// True when AClass descends from ReadableItemClass(AList); otherwise the reason is recorded as
// the first error (44), before anything is made.
bool CheckReadableItemClass(const TObjectList* AList, TClass AClass);

// ---- Filer helpers -----------------------------------------------------------------------
// Each creates a filer of AFilerClass (a TXFiler), prepares its groups for ATarget, runs it
// and frees it. They clear the thread's error first and report 44 (loading) or 45 (saving).

bool FilerLoadFromStream(TStream* AStream, TClass AFilerClass, TObject* ATarget, bool ARaise = false,
                         TXProgress* AProgress = nullptr, const TXFilerParts& AParts = {}, int ASelector = 0);
bool FilerLoadFromRawString(const String& AText, TClass AFilerClass, TObject* ATarget, bool ARaise = false,
                            TXProgress* AProgress = nullptr, const TXFilerParts& AParts = {}, int ASelector = 0);
// A missing file fails with 31 and its name, without creating a filer.
bool FilerLoadFromFile(const String& AFileName, TClass AFilerClass, TObject* ATarget, bool ARaise = false,
                       TXProgress* AProgress = nullptr, const TXFilerParts& AParts = {}, int ASelector = 0);
bool FilerSaveToStream(TStream* AStream, TClass AFilerClass, TObject* ASource, bool ARaise = false,
                       TXProgress* AProgress = nullptr, const TXFilerParts& AParts = {}, int ASelector = 0);
bool FilerSaveToFile(const String& AFileName, TClass AFilerClass, TObject* ASource, bool ARaise = false,
                     TXProgress* AProgress = nullptr, const TXFilerParts& AParts = {}, int ASelector = 0);
// FilerSaveToFile: it writes a temporary file beside the target and renames it over the
// target (SafeSaveFile), so a failed save leaves the old file as it was.
bool FilerSafeSaveToFile(const String& AFileName, TClass AFilerClass, TObject* ASource, bool ARaise = false,
                         TXProgress* AProgress = nullptr, const TXFilerParts& AParts = {}, int ASelector = 0);

// ---- Start-up ----------------------------------------------------------------------------

// Registers the classes this library's stored data names, so that reading finds them by name.
// Programs and test programs call it at start-up; calling it again changes nothing.
void RegisterCoreStreams();

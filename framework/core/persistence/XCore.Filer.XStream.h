// XCore.Filer.XStream.h: stream filers keep filer groups in a record container: each group is a
// container group of its name, whose header 0 holds the group object and each further header
// one item, with the object's large data (streams, texts, objects) in separate entries listed
// by a data index. Containers come from elsewhere: every entry read is checked before use.
#pragma once

#include <cstdint>

#include "Rtl.Classes.h"
#include "Rtl.Lists.h"
#include "Rtl.Streams.h"
#include "XCore.Filer.h"
#include "XCore.QStream.h"

class TXProgress;

// Entry ids of the stream groups; being negative, they are all stored compressed.
inline constexpr int32_t kEntryText = -1;             // a filter text or a string item's text
inline constexpr int32_t kEntryStream = -2;           // a data stream
inline constexpr int32_t kEntryObject = -3;           // an object through the serializer
inline constexpr int32_t kEntryCollectionItem = -4;   // a collection item through the serializer
inline constexpr int32_t kEntryComponent = -5;        // a component stream
inline constexpr int32_t kEntryDataIndex = -6;        // the data index

// How a group reaches an object's header index (Idx) and data-storable flag.
enum TXFilerableAccess : uint8_t {
    faFieldsAndInterfaces,   // IXFilerable and IXDataStorable, or the fields of the framework's classes
    faInterfacesOnly,        // IXFilerable and IXDataStorable alone
};

// ---- Entry helpers -----------------------------------------------------------------------
// Each records 44 (reading) or 45 (writing) when it fails and takes no progress.

// A new object of the class the entry's stored text names; nullptr on failure.
TObject* ReadObjectEntry(TXRStream* AContainer, const String& AGroupName, int AHeaderIndex, int AEntryIndex);
// AIndex takes the stored data index, which must carry the id -6 (or 6).
[[nodiscard]] bool ReadDataIndexEntry(TXRStream* AContainer, const String& AGroupName, int AHeaderIndex,
                                      int AEntryIndex, TXDataIndex* AIndex);
// AObject serialized into the next entry of the header being written.
[[nodiscard]] bool WriteObjectEntry(TXRStream* AContainer, int32_t AId, TObject* AObject);
// A new item of the collection's item class read from AStream; nullptr (no item left) on failure.
TCollectionItem* ReadCollectionItemFromStream(TCollection* ACollection, TStream* AStream);
// A new object of the class AStream names, appended to AList; nullptr on failure.
TObject* ReadListObjectFromStream(TObjectList* AList, TStream* AStream);

// ---- Groups ------------------------------------------------------------------------------

class TXRStreamFilerGroup : public TXFilerGroup {
    X_CLASS(TXRStreamFilerGroup, TXFilerGroup)
public:
    int32_t ObjectKind() const { return FObjectKind; }
    void SetObjectKind(int32_t AValue) { FObjectKind = AValue; }
    int32_t ItemKind() const { return FItemKind; }
    void SetItemKind(int32_t AValue) { FItemKind = AValue; }
    uint16_t ObjectFixedCount() const { return FObjectFixedCount; }
    uint16_t ItemFixedCount() const { return FItemFixedCount; }
    // The entries of the header being read or written.
    uint16_t CurrentCount() const { return FCurrentCount; }
    TXDataIndex* DataIndex() const { return FDataIndex.get(); }
    TXFilerableAccess FilerableAccess() const { return FFilerableAccess; }
    void SetFilerableAccess(TXFilerableAccess AValue) { FFilerableAccess = AValue; }

    // Prepare the data index of the object or of AItem for writing.
    bool BeforeSave(bool ARaise) override;
    bool BeforeSaveItem(TObject* AItem, bool ARaise) override;

    // The whole group; False with 44 or 45 (a deeper error recorded first wins). Reading a
    // container without the group reads nothing and is False with no error recorded.
    [[nodiscard]] bool ReadGroup(TXRStream* AContainer, TXProgress* AProgress);
    [[nodiscard]] bool WriteGroup(TXRStream* AContainer, TXProgress* AProgress);

    // Hooks: after a data index was read, mark the entries wanted and set their targets;
    // before writing, AddEntry the data items; write a data item of a target kind the group
    // alone knows. They do nothing in the base.
    virtual void ObjectIndexRead() {}
    virtual void DefineObjectData() {}
    virtual bool WriteObjectCustomData(TXRStream* /*AContainer*/, TXDataIndexItem* /*ADataItem*/) { return true; }
    virtual void ItemIndexRead(TObject* /*AItem*/) {}
    virtual void DefineItemData(TObject* /*AItem*/) {}
    virtual bool WriteItemCustomData(TXRStream* /*AContainer*/, TObject* /*AItem*/, TXDataIndexItem* /*ADataItem*/)
    {
        return true;
    }

    virtual bool ReadObjectData(TXRStream* AContainer, TXProgress* AProgress);
    virtual bool ReadObject(TXRStream* AContainer, TXProgress* AProgress);
    virtual bool WriteObjectData(TXRStream* AContainer, TXProgress* AProgress);
    virtual bool WriteObject(TXRStream* AContainer, TXProgress* AProgress);
    virtual bool ReadItemData(TObject* AItem, TXRStream* AContainer, TXProgress* AProgress, int AHeaderIndex);
    virtual bool WriteItemData(TObject* AItem, TXRStream* AContainer, TXProgress* AProgress);

protected:
    TXRStreamFilerGroup() = default;
    void Construct() override;

    // By FilerableAccess: where AObject keeps the index of its header, and its flag.
    void SetIdxOf(TObject* AObject, int32_t AIdx) const;
    void SetDataStorableOf(TObject* AObject, bool AValue) const;
    // A data item named AName whose target is AStream, for DefineObjectData and DefineItemData.
    void DefineStream(const String& AName, TStream* AStream);
    // For ObjectIndexRead and ItemIndexRead: AStream emptied, and the entry named AName, when
    // the index has one, wanted into it.
    void WantStream(const String& AName, TStream* AStream);

private:
    bool ReadItem(TXRStream* AContainer, TXProgress* AProgress, int AHeaderIndex);
    TObject* ReadItemObject(TXRStream* AContainer, int AHeaderIndex);
    bool WriteItem(TXRStream* AContainer, TXProgress* AProgress, TObject* AItem);
    void PrepareIndex(bool AIndexing, uint16_t AFixedCount);
    bool ReadIndexedData(TXRStream* AContainer, TXProgress* AProgress, int AHeaderIndex, int AIndexEntry,
                         TObject* AItem);
    bool ReadDataEntry(TXRStream* AContainer, TXProgress* AProgress, int AHeaderIndex, int AEntryIndex,
                       TObject* ATarget);
    bool WriteIndexedData(TXRStream* AContainer, TXProgress* AProgress, TObject* AItem);

    int32_t FObjectKind = 3;
    int32_t FItemKind = 4;
    uint16_t FObjectFixedCount = 2;
    uint16_t FItemFixedCount = 3;
    uint16_t FCurrentCount = 0;
    TOwned<TXDataIndex> FDataIndex;
    TXFilerableAccess FFilerableAccess = faFieldsAndInterfaces;
};

// Items that are stream items keep their bytes in the entry "Data".
class TXRStreamItemsFilerGroup : public TXRStreamFilerGroup {
    X_CLASS(TXRStreamItemsFilerGroup, TXRStreamFilerGroup)
public:
    void ItemIndexRead(TObject* AItem) override;
    void DefineItemData(TObject* AItem) override;

protected:
    TXRStreamItemsFilerGroup() = default;
    void Construct() override;
};

// A group object that is a stream object keeps its bytes in the entry "Data".
class TXRStreamObjectFilerGroup : public TXRStreamFilerGroup {
    X_CLASS(TXRStreamObjectFilerGroup, TXRStreamFilerGroup)
public:
    void ObjectIndexRead() override;
    void DefineObjectData() override;

protected:
    TXRStreamObjectFilerGroup() = default;
    void Construct() override;
};

// ---- Filers ------------------------------------------------------------------------------

class TXRStreamFiler : public TXFiler {
    X_CLASS(TXRStreamFiler, TXFiler)
public:
    // A TXRStream descendant.
    TClass ContainerClass() const { return FContainerClass; }
    void SetContainerClass(TClass AValue) { FContainerClass = AValue; }
    // The most the containers it reads may inflate (TXRStream::InflateLimit); a filer of
    // settings, labels, language words or calendar objects sets kXZDocumentLimit.
    int64_t InflateLimit() const { return FInflateLimit; }
    void SetInflateLimit(int64_t AValue) { FInflateLimit = AValue; }
    const TXRIdentity& Identity() const { return FIdentity; }
    void SetIdentity(const TXRIdentity& AValue) { FIdentity = AValue; }

    // The container at the stream's start offset, its identity checked, every stream group
    // read. A group the container lacks is left as it is; any other failing group fails.
    bool ReadStream(TStream* AStream, TXProgress* AProgress, bool ARaise) override;
    // Not supported: False.
    bool ReadStreamEx(TStream* AStream, TXProgress* AProgress, bool ARaise) override;
    // A new container at the stream's start offset with the filer's identity.
    bool WriteStream(TStream* AStream, TXProgress* AProgress, bool ARaise) override;
    // Appends the groups to an existing file, whose records are read first so that headers
    // join the groups of their name; a missing file is saved whole. No identity check.
    bool UpdateFile(const String& AFileName, TXProgress* AProgress, bool ARaise) override;
    // As UpdateFile without reading the records: every group is appended as a new group.
    bool UpdateFileEx(const String& AFileName, TXProgress* AProgress, bool ARaise) override;

    // True for an empty identity; else the container's must equal it (42 otherwise).
    virtual bool CheckIdentity(TXRStream* AContainer);
    virtual bool WriteIdentity(TXRStream* AContainer);
    virtual bool ReadGroups(TXRStream* AContainer, TXProgress* AProgress);
    virtual bool WriteGroups(TXRStream* AContainer, TXProgress* AProgress);

protected:
    TXRStreamFiler() = default;
    void Construct() override;

private:
    TOwned<TXRStream> NewContainer() const;
    void ContainerCheckIdentity(TXRStream* AContainer, bool& AAccept);
    bool UpdateExisting(const String& AFileName, TXROpenMode AMode, bool AReadRecords, TXProgress* AProgress,
                        bool ARaise);

    TClass FContainerClass = nullptr;
    int64_t FInflateLimit = kXZInflateLimit;
    TXRIdentity FIdentity;
};

// A filer of one stream object group "Data" under the identity (3000, 0, 0, 0, 0, "Data").
class TXRStreamObjectFiler : public TXRStreamFiler {
    X_CLASS(TXRStreamObjectFiler, TXRStreamFiler)
public:
    // A stream object target becomes the group object.
    void PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts) override;

protected:
    TXRStreamObjectFiler() = default;
    void Construct() override;
};

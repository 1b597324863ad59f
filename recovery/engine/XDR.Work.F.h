// XDR.Work.F.h: the recovery engine's small file-system model: directory entries, folders
// that own their entries, and a file-system base whose class is looked up by file-system kind.
// A file system keeps its source stream but never owns it; entry lists own their entries.
#pragma once

#include <cstdint>

#include "Rtl.Lists.h"
#include "XCore.Classes.h"
#include "XCore.IO.Disk.h"

class TStream;
struct IXCodeTrek;
class TXFileSystemEntryList;

// Bits of TXFileSystemEntry::Flags.
inline constexpr uint8_t kEntryProcessed = 0x01;
inline constexpr uint8_t kEntryDeleted = 0x02;
inline constexpr uint8_t kEntryFolder = 0x04;

// One entry of a directory, as the file system describes it.
class TXFileSystemEntry : public TXObject {
    X_CLASS(TXFileSystemEntry, TXObject)
public:
    String Name;   // name, ".", extension
    int64_t Size = 0;
    TDateTime Created;
    TDateTime Modified;
    TDateTime Accessed;
    uint32_t FirstCluster = 0;
    uint8_t Flags = 0;

    bool IsProcessed() const { return (Flags & kEntryProcessed) != 0; }
    bool IsDeleted() const { return (Flags & kEntryDeleted) != 0; }
    bool IsFolder() const { return (Flags & kEntryFolder) != 0; }
    void MarkProcessed() { Flags |= kEntryProcessed; }

    // A file has none: it answers one shared empty list.
    virtual const TXFileSystemEntryList& Children() const;
    // One line for this entry, then its children's, into ATrek.
    void Dump(IXCodeTrek* ATrek) const;

protected:
    TXFileSystemEntry() = default;
};

class TXFileSystemEntryList : public Generics::TObjectList<TXFileSystemEntry> {
    X_CLASS(TXFileSystemEntryList, Generics::TObjectList<TXFileSystemEntry>)
protected:
    TXFileSystemEntryList() = default;
};

class TXFileSystemFolderEntry : public TXFileSystemEntry {
    X_CLASS(TXFileSystemFolderEntry, TXFileSystemEntry)
public:
    const TXFileSystemEntryList& Children() const override { return *FChildren; }
    TXFileSystemEntryList* Entries() const { return FChildren.get(); }   // owned

protected:
    TXFileSystemFolderEntry() = default;

private:
    TOwned<TXFileSystemEntryList> FChildren = Owned(TXFileSystemEntryList::Create());
};

struct IXFileSystem : IInterface {
    X_INTERFACE_ID(IInterface, "{3C9E5A7B-1F24-4D86-A0B3-7E52C91D4F68}");
    // Keeps AStream (not owned) and a copy of ADiskInfo; False when the volume is not one this
    // file system reads.
    virtual bool Open(TStream* AStream, const TXDiskInfoRecord& ADiskInfo) = 0;
    virtual void Clear() = 0;
};

class TXFileSystem : public TXManagedObject, public IXFileSystem {
    X_CLASS(TXFileSystem, TXManagedObject)
    X_INTERFACES(IXFileSystem)
public:
    TStream* Stream() const { return FStream; }
    const TXDiskInfoRecord& DiskInfo() const { return FDiskInfo; }
    TXFileSystemEntryList* Entries() const { return FEntries.get(); }   // owned

    bool Open(TStream* AStream, const TXDiskInfoRecord& ADiskInfo) override;
    void Clear() override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return TXManagedObject::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return TXManagedObject::_AddRef(); }
    int32_t _Release() override { return TXManagedObject::_Release(); }

protected:
    TXFileSystem() = default;

    TXDiskInfoRecord FDiskInfo;

private:
    TStream* FStream = nullptr;
    TOwned<TXFileSystemEntryList> FEntries = Owned(TXFileSystemEntryList::Create());
};

// What a volume of a kind nothing here reads opens as.
class TXUnknownFileSystem : public TXFileSystem {
    X_CLASS(TXUnknownFileSystem, TXFileSystem)
protected:
    TXUnknownFileSystem() = default;
};

// The class table by file-system kind (the fsk values of XCore.IO.Classes): every slot holds
// TXUnknownFileSystem until a reader registers itself for its kinds.
inline constexpr int32_t kFileSystemKindCount = 10;
TClass FileSystemClassOfKind(int32_t AKind);
void RegisterFileSystemClass(int32_t AKind, TClass AClass);
// A new file system of AKind's class (TXUnknownFileSystem outside the table); the caller frees it.
TXFileSystem* CreateFileSystem(int32_t AKind);

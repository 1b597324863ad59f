// XCore.RStream.h: the record container: its byte format, the records held in memory and the
// abstract container TXRStream. Every offset is relative to the container's start S in its
// stream. Containers come from other installations and the network: nothing read is trusted.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "Rtl.Methods.h"
#include "XCore.Classes.h"
#include "XCore.Streams.ZLib.h"
#include "XCore.Streams.h"

class TXRStream;

// Error codes of the container, besides 41 (a check failed), 44 (read) and 45 (write).
inline constexpr int32_t kErrIdentity = 42;   // wrong format version or identity
inline constexpr int32_t kErrWalk = 46;       // an exception while walking the records
inline constexpr int32_t kErrNoEnd = 47;      // the chain ended without an end record

// Record tags are the tag base plus these; with the base 0x5858 they read "XXFQ", "XXNQ", ...
inline constexpr uint32_t kXRTagBase = 0x5858;
inline constexpr uint32_t kXRHeadTag = 0x51460000;
inline constexpr uint32_t kXRLinkTag = 0x514E0000;
inline constexpr uint32_t kXRGroupTag = 0x51470000;
inline constexpr uint32_t kXRHeaderTag = 0x51480000;
inline constexpr uint32_t kXREndTag = 0x51450000;

inline constexpr int64_t kXRHeadSize = 107;
inline constexpr int64_t kXRHeadBodySize = 75;
inline constexpr int64_t kXRSlotSize = 16;
inline constexpr int64_t kXRGroupBodySize = 85;
inline constexpr int64_t kXRGroupRecordSize = 93;
inline constexpr int64_t kXRHeaderBodySize = 28;
inline constexpr int64_t kXRHeaderRecordSize = 36;
inline constexpr int64_t kXREntrySize = 16;
inline constexpr size_t kXRNameLength = 50;

// Open mode bits.
using TXROpenMode = uint8_t;
inline constexpr TXROpenMode rmCreate = 1;
inline constexpr TXROpenMode rmCreateWhenEmpty = 2;
inline constexpr TXROpenMode rmRead = 4;
inline constexpr TXROpenMode rmWrite = 8;

// One entry of a header's table. A negative id means the data is stored zlib-compressed.
struct TXRResRec {
    uint32_t Crc = 0;   // of the uncompressed data
    int32_t Id = 0;
    int64_t Size = 0;   // stored bytes
};

// The identity a filer writes into the file head and expects there. All zero with an empty
// name means none.
struct TXRIdentity {
    uint32_t Reserved = 0;
    std::array<uint32_t, 5> Values{};
    String Name;   // up to 50 bytes in the system ANSI code page

    bool IsEmpty() const;
};

// Fills AIdentity; the name is converted to the system ANSI code page and cut to 50 characters.
void SetFilerIdentity(TXRIdentity& AIdentity, uint32_t AV1, uint32_t AV2, uint32_t AV3, uint32_t AV4, uint32_t AV5,
                      const String& AName);
// AName (UTF-8) in the system ANSI code page, cut to 50 bytes: how names are stored.
String ToStoredName(const String& AName);

// ---- Records in memory -------------------------------------------------------------------

class TXRObject : public TXObject {
    X_CLASS(TXRObject, TXObject)
public:
    int64_t Offset() const { return FOffset; }   // of the record's tag, relative to S
    void SetOffset(int64_t AValue) { FOffset = AValue; }
    bool Valid() const { return FValid; }
    void SetValid(bool AValue) { FValid = AValue; }

protected:
    TXRObject() = default;

private:
    int64_t FOffset = 0;
    bool FValid = false;
};

struct TXRHeaderBody {
    uint32_t TableCrc = 0;
    int32_t GroupId = 0;
    int32_t Kind = 0;
    uint8_t Removed = 0;
    uint16_t Count = 0;
};

class TXRHeaderObject : public TXRObject {
    X_CLASS(TXRHeaderObject, TXRObject)
public:
    TXRHeaderBody& Body() { return FBody; }
    std::vector<TXRResRec>& Table() { return FTable; }
    int64_t TableSize() const { return kXREntrySize * FBody.Count; }
    // Record, table and entries.
    int64_t RecordExtent() const;
    // Of entry AIndex's data, relative to S.
    int64_t EntryOffset(int AIndex) const;

    void EncodeBody(uint8_t* ABody) const;
    void DecodeBody(const uint8_t* ABody);
    // Tag, CRC-32 of the body and the body: 36 bytes.
    void EncodeRecord(uint8_t* ARecord, uint32_t ATag) const;
    std::vector<uint8_t> EncodeTable() const;
    void DecodeTable(const uint8_t* ABytes);
    // Every stored size is 0 or more and all the entries fit in ASpan bytes with the record.
    bool EntriesFit(int64_t ASpan) const;

    // At the stream's position, the table of Count entries.
    virtual bool ReadTable(TStream* AStream) = 0;
    virtual bool WriteTable(TStream* AStream) = 0;

protected:
    TXRHeaderObject() = default;

private:
    TXRHeaderBody FBody;
    std::vector<TXRResRec> FTable;
};

// Owns its headers, in file order.
class TXRHeaderList : public TXObject {
    X_CLASS(TXRHeaderList, TXObject)
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError for an index out of range.
    TXRHeaderObject* Items(int AIndex) const;
    void Add(TXRHeaderObject* AHeader) { FItems.emplace_back(AHeader); }

protected:
    TXRHeaderList() = default;

private:
    std::vector<TOwned<TXRHeaderObject>> FItems;
};

struct TXRGroupBody {
    uint32_t DataCrc = 0;
    int32_t Id = 0;
    String Name;   // stored form: system ANSI code page, at most 50 bytes
    uint8_t Removed = 0;
    int64_t StoredSize = 0;
};

class TXRGroupObject : public TXRObject {
    X_CLASS(TXRGroupObject, TXRObject)
public:
    TXRGroupBody& Body() { return FBody; }
    // The uncompressed group data.
    TMemoryStream* Data() const { return FData.get(); }
    TXRHeaderList* Headers() const { return FHeaders.get(); }
    virtual int64_t RecordSize() const { return kXRGroupRecordSize; }

    void EncodeBody(uint8_t* ABody) const;
    // Tag, CRC-32 of the body and the body: 93 bytes.
    void EncodeRecord(uint8_t* ARecord, uint32_t ATag) const;
    // False when the name's length byte is over 50.
    [[nodiscard]] bool DecodeBody(const uint8_t* ABody);

    virtual bool ReadData(TStream* AStream, int64_t AStart) = 0;
    // The compression of the data reports to AProgress.
    virtual bool WriteData(TStream* AStream, int64_t AStart, uint32_t ATag, TXProgress* AProgress) = 0;

protected:
    TXRGroupObject() = default;
    void Init() override;

private:
    TXRGroupBody FBody;
    TOwned<TMemoryStream> FData;
    TOwned<TXRHeaderList> FHeaders;
};

// Owns the groups, in file order, and creates records read from a stream as its classes.
class TXRGroupList : public TXObject {
    X_CLASS(TXRGroupList, TXObject)
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError for an index out of range.
    TXRGroupObject* Items(int AIndex) const;
    TXRGroupObject* Current() const { return FCurrent; }
    void SetClasses(TClass AGroupClass, TClass AHeaderClass);
    void Add(TXRGroupObject* AGroup) { FItems.emplace_back(AGroup); }
    void Clear();

    TXRGroupObject* FindById(int32_t AId) const;
    // By the stored form of AName, byte for byte; the current group is tried first.
    TXRGroupObject* FindByName(const String& AName) const;
    TXRGroupObject* SelectByName(const String& AName);
    // One more than the highest id held or reserved; 1 for none.
    int32_t NextFreeId() const;
    // Keeps AId from being handed out by NextFreeId: it is taken in the file.
    void ReserveId(int32_t AId) { FReservedId = std::max(FReservedId, AId); }

    TXRGroupObject* NewGroup() const;
    TXRHeaderObject* NewHeader() const;
    // Reads the record at S + AOffset, which must end by S + ALimit (the next slot), and files
    // it: a group of a new id, a group that fills the placeholder of its id, or a header.
    // AGroup or AHeader is set to what was filed; both stay nullptr for an unknown tag and for
    // a second group of an id. False when the record fails a check (41) or cannot be read (44).
    [[nodiscard]] bool ReadRecord(TXRStream* AOwner, int64_t AOffset, int64_t ALimit, TXRGroupObject*& AGroup,
                                  TXRHeaderObject*& AHeader);

protected:
    TXRGroupList() = default;

private:
    TXRGroupObject* FileGroup(TXRGroupObject* ARead);
    void FileHeader(TXRHeaderObject* AHeader);

    std::vector<TOwned<TXRGroupObject>> FItems;
    TXRGroupObject* FCurrent = nullptr;
    TClass FGroupClass = nullptr;
    TClass FHeaderClass = nullptr;
    int32_t FReservedId = 0;
};

// ---- The container -----------------------------------------------------------------------

using TXRCheckIdentityEvent = TMethod<void(TXRStream*, bool&)>;

// Every operation that can fail records why in the calling thread's error store (the first
// error wins where noted) and raises it as EXError when ARaise is set.
class TXRStream : public TXPersistent {
    X_CLASS(TXRStream, TXPersistent)
public:
    // ---- state
    uint32_t TagBase() const { return FTagBase; }
    uint32_t Tag(uint32_t AKind) const { return FTagBase + AKind; }
    int32_t FormatVersion() const { return FFormatVersion; }
    const TXRIdentity& Identity() const { return FIdentity; }
    int64_t StartOffset() const { return FStart; }
    int64_t EndOffset() const { return FEnd; }
    TStream* Stream() const { return FStream; }
    bool IsOpen() const { return FOpen; }
    bool OpenedExisting() const { return FOpenedExisting; }
    bool Damaged() const { return FDamaged; }
    TXROpenMode Mode() const { return FMode; }
    TXZLevel CompressionMode() const { return FCompressionMode; }
    void SetCompressionMode(TXZLevel AValue) { FCompressionMode = AValue; }
    TXRGroupList* Groups() const { return FGroups.get(); }
    uint16_t LastEntryCount() const { return FLastEntryCount; }
    TXRCheckIdentityEvent OnCheckIdentity() const { return FOnCheckIdentity; }
    void SetOnCheckIdentity(TXRCheckIdentityEvent AValue) { FOnCheckIdentity = AValue; }

    virtual void SetTagBase(uint32_t ABase);
    // Closes and forgets everything but the identity.
    void Clear() override;

    // ---- opening
    // Resets, then writes a fresh head (rmCreate, or rmCreateWhenEmpty on an empty stream) or
    // reads the container at AStart. 44 (first error wins).
    virtual bool DoOpenStream(TXROpenMode AMode, TStream* AStream, bool ARaise, TXProgress* AProgress,
                              int64_t AStart = 0);
    // The same on a file the container opens and owns; a failure closes the container.
    virtual bool DoOpenFile(TXROpenMode AMode, const String& AFileName, bool ARaise, TXProgress* AProgress,
                            int64_t AStart = 0);
    virtual bool OpenStream(TXROpenMode AMode, TStream* AStream, bool ARaise, TXProgress* AProgress,
                            int64_t AStart = 0);
    virtual bool OpenFile(TXROpenMode AMode, const String& AFileName, bool ARaise, TXProgress* AProgress,
                          int64_t AStart = 0);
    void Close();
    bool CanRead() const { return FOpen && (FMode & rmRead) != 0; }
    bool CanWrite() const { return FOpen && (FMode & rmWrite) != 0; }

    // ---- identity (42)
    void SetIdentity(const TXRIdentity& AIdentity);
    bool CheckIdentity3(uint32_t AV1, uint32_t AV2, uint32_t AV3, bool ARaise = false);
    bool CheckIdentity5(uint32_t AV1, uint32_t AV2, uint32_t AV3, uint32_t AV4, uint32_t AV5, bool ARaise = false);
    bool CheckIdentityRecord(const TXRIdentity& AIdentity, bool ARaise = false);

    // ---- records
    bool ReadFileHead();
    bool WriteFileHead(bool ARaise = false);
    bool WriteEndRecord();
    // Links the record that ends at ANewEnd into the chain, with a new end record after it.
    bool MoveEnd(int64_t ANewEnd);

    // ---- groups, headers and entries (45 for writing, 44 for reading)
    // A group of that name already held is not written again.
    bool AddGroup(const String& AName, TStream* AStream, bool ARaise = false, TXProgress* AProgress = nullptr);
    bool AddGroupText(const String& AName, const String& AText, bool ARaise = false, TXProgress* AProgress = nullptr);
    bool BeginHeader(const String& AGroupName, int32_t AKind, bool ARaise, TXProgress* AProgress, uint16_t ACount);
    bool EndHeader(TXProgress* AProgress = nullptr, bool ARaise = false);
    bool WriteEntry(int32_t AId, TStream* AStream, bool ARaise = false, TXProgress* AProgress = nullptr);
    bool WriteEntryText(int32_t AId, const String& AText, bool ARaise = false, TXProgress* AProgress = nullptr);
    // A header of one entry. The header's start, the entry and the header's end take 10, 80 and
    // 10 percent of AProgress; the last share stays open for the caller to close.
    bool WriteSingleEntry(const String& AGroupName, int32_t AKind, bool ARaise, TXProgress* AProgress, TStream* AStream,
                          int32_t AId);
    bool ReadEntry(const String& AGroupName, int AHeaderIndex, bool ARaise, TXProgress* AProgress, TStream* ADest,
                   int AEntryIndex);
    bool ReadEntryText(const String& AGroupName, int AHeaderIndex, bool ARaise, TXProgress* AProgress, String& AText,
                       int AEntryIndex);
    // ReadEntry, when the entry exists and its id equals AExpectedId up to the sign.
    bool ReadEntryChecked(const String& AGroupName, int32_t AExpectedId, bool ARaise, TXProgress* AProgress,
                          TStream* ADest, int AEntryIndex, int AHeaderIndex);

    // ---- what a concrete container implements
    virtual bool ReadContents(TXProgress* AProgress) = 0;
    virtual bool WriteGroup(int32_t AId, const String& AName, TXProgress* AProgress, TStream* ASource) = 0;
    virtual bool WriteHeaderBegin(int32_t AGroupId, int32_t AKind, TXProgress* AProgress, uint16_t ACount) = 0;
    virtual bool WriteEntryBuffer(int32_t AId, const void* ABuffer, TXProgress* AProgress, int64_t ACount) = 0;
    virtual bool WriteEntryStream(int32_t AId, TStream* ASource, TXProgress* AProgress, int64_t AStart,
                                  int64_t ACount) = 0;
    virtual bool WriteHeaderEnd() = 0;
    // ABuffer holds ACapacity bytes and never gets more.
    virtual bool ReadEntryBuffer(TXRHeaderObject* AHeader, int AIndex, TXProgress* AProgress, void* ABuffer,
                                 int64_t ACapacity) = 0;
    virtual bool ReadEntryStream(TXRHeaderObject* AHeader, int AIndex, TXProgress* AProgress, TStream* ADest) = 0;
    virtual bool CopyTo(TStream* ADest, TXProgress* AProgress, bool ARaise = false) = 0;

protected:
    TXRStream() = default;
    void Init() override;

    // The open steps shared by both ways of opening: reset, take the stream, keep the mode.
    void Attach(TXROpenMode AMode, TStream* AStream, int64_t AStart);
    // AFileName opened by the mode's rules; nullptr (44, with the system's reason) on failure.
    static TOwned<TFileStream> OpenContainerFile(TXROpenMode AMode, const String& AFileName, int64_t AStart);
    void TakeFile(TOwned<TFileStream> AFile) { FFile = std::move(AFile); }
    void SetEndOffset(int64_t AValue) { FEnd = AValue; }
    void SetOpenedExisting(bool AValue) { FOpenedExisting = AValue; }
    void SetDamaged(bool AValue) { FDamaged = AValue; }
    void SetLastEntryCount(uint16_t AValue) { FLastEntryCount = AValue; }
    // The 16-byte slot at S + AOffset: its tag and, for a link, the next slot's offset and
    // whether the link's CRC holds. Raises when the stream cannot give 16 bytes there.
    void ReadSlot(int64_t AOffset, uint32_t& ATag, int64_t& ANext, bool& ACrcOK);
    // A link record to ANext, or the end record, at ADest's position.
    void WriteLink(TStream* ADest, int64_t ANext) const;
    void WriteEndSlot(TStream* ADest) const;
    // Forgets the header being written.
    void FreeWriting();
    // Undoes a failed append: the chain ends at AEnd again, with nothing after its end record,
    // and no header is being written. The error that made it fail stays recorded.
    void RollBack(int64_t AEnd);

    // The header between WriteHeaderBegin and WriteHeaderEnd, the group it goes to, and how
    // many entries it has.
    TOwned<TXRHeaderObject> FWriting;
    TXRGroupObject* FWritingGroup = nullptr;
    uint16_t FEntryCounter = 0;

private:
    void EncodeHead(uint8_t* ABody) const;
    void SyncAppend();

    uint32_t FTagBase = kXRTagBase;
    int32_t FFormatVersion = 1;
    TXRIdentity FIdentity;
    int64_t FStart = 0;
    int64_t FEnd = 0;
    TStream* FStream = nullptr;
    TOwned<TFileStream> FFile;
    bool FOpen = false;
    bool FOpenedExisting = false;
    bool FDamaged = false;
    TXROpenMode FMode = 0;
    TXZLevel FCompressionMode = zlDefault;
    TOwned<TXRGroupList> FGroups;
    uint16_t FLastEntryCount = 0;
    TXRCheckIdentityEvent FOnCheckIdentity;
};

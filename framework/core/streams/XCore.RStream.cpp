// XCore.RStream.cpp: record encoding, group lookup and the container's shared operations.
#include "XCore.RStream.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Rtl.Encoding.h"
#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "XCore.Errors.h"
#include "XCore.Progress.h"
#include "XCore.Streams.h"

namespace {

void PutU16(uint8_t* P, uint16_t V)
{
    P[0] = static_cast<uint8_t>(V);
    P[1] = static_cast<uint8_t>(V >> 8);
}

void PutU32(uint8_t* P, uint32_t V)
{
    for (int I = 0; I < 4; ++I)
        P[I] = static_cast<uint8_t>(V >> (8 * I));
}

void PutI64(uint8_t* P, int64_t V)
{
    for (int I = 0; I < 8; ++I)
        P[I] = static_cast<uint8_t>(static_cast<uint64_t>(V) >> (8 * I));
}

uint16_t GetU16(const uint8_t* P)
{
    return static_cast<uint16_t>(P[0] | P[1] << 8);
}

uint32_t GetU32(const uint8_t* P)
{
    return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
}

int64_t GetI64(const uint8_t* P)
{
    uint64_t V = 0;
    for (int I = 7; I >= 0; --I)
        V = V << 8 | P[I];
    return static_cast<int64_t>(V);
}

// A short string field: length byte, then up to 50 bytes.
void PutName(uint8_t* P, const String& AName)
{
    size_t Length = std::min(AName.size(), kXRNameLength);
    P[0] = static_cast<uint8_t>(Length);
    std::memcpy(P + 1, AName.data(), Length);
}

// False when the length byte claims more than the field holds.
bool GetName(const uint8_t* P, String& AName)
{
    AName.assign(reinterpret_cast<const char*>(P + 1), std::min<size_t>(P[0], kXRNameLength));
    return P[0] <= kXRNameLength;
}

String AnsiOf(const String& AText)
{
    TBytes Bytes = TEncoding::ANSI()->GetBytes(AText);
    return String(Bytes.begin(), Bytes.end());
}

bool ReportRStream(bool AOK, int32_t ACode, bool ARaise)
{
    ReportFirstError(AOK, ACode, 0, {}, ARaise);
    return AOK;
}

// APercent of the caller's range; none when the caller reports nowhere.
TXProgress* SubRange(TXProgress* AProgress, uint8_t APercent)
{
    return AProgress != nullptr ? AProgress->BeginSubRange(APercent) : nullptr;
}

uint16_t FileModeFor(TXROpenMode AMode, const String& AFileName, int64_t AStart)
{
    if ((AMode & rmCreate) != 0)
        return AStart > 0 && FileExists(AFileName) ? fmOpenReadWrite | fmShareExclusive : fmCreate | fmShareExclusive;
    if ((AMode & rmCreateWhenEmpty) != 0)
        return FileExists(AFileName) ? fmOpenReadWrite | fmShareExclusive : fmCreate | fmShareExclusive;
    if ((AMode & rmWrite) != 0)
        return fmOpenReadWrite | fmShareExclusive;
    return fmOpenRead | fmShareDenyWrite;
}

}  // namespace

// ---- Identity ----------------------------------------------------------------------------

bool TXRIdentity::IsEmpty() const
{
    return Name.empty() && Values == std::array<uint32_t, 5>{};
}

String ToStoredName(const String& AName)
{
    String Stored = AnsiOf(AName);
    Stored.resize(std::min(Stored.size(), kXRNameLength));
    return Stored;
}

void SetFilerIdentity(TXRIdentity& AIdentity, uint32_t AV1, uint32_t AV2, uint32_t AV3, uint32_t AV4, uint32_t AV5,
                      const String& AName)
{
    AIdentity.Values = {AV1, AV2, AV3, AV4, AV5};
    AIdentity.Name = ToStoredName(AName);
}

// ---- TXRHeaderObject ---------------------------------------------------------------------

int64_t TXRHeaderObject::EntryOffset(int AIndex) const
{
    int64_t Result = Offset() + kXRHeaderRecordSize + TableSize();
    for (int I = 0; I < AIndex; ++I)
        Result += FTable[static_cast<size_t>(I)].Size;
    return Result;
}

int64_t TXRHeaderObject::RecordExtent() const
{
    return EntryOffset(FBody.Count) - Offset();
}

bool TXRHeaderObject::EntriesFit(int64_t ASpan) const
{
    int64_t Room = ASpan - kXRHeaderRecordSize - TableSize();
    for (const TXRResRec& Entry : FTable) {
        if (Entry.Size < 0 || Entry.Size > Room)
            return false;
        Room -= Entry.Size;
    }
    return Room >= 0;
}

void TXRHeaderObject::EncodeBody(uint8_t* ABody) const
{
    std::memset(ABody, 0, kXRHeaderBodySize);
    PutU32(ABody, FBody.TableCrc);
    PutU32(ABody + 4, static_cast<uint32_t>(FBody.GroupId));
    PutU32(ABody + 8, static_cast<uint32_t>(FBody.Kind));
    ABody[13] = FBody.Removed;
    PutU16(ABody + 18, FBody.Count);
}

void TXRHeaderObject::DecodeBody(const uint8_t* ABody)
{
    FBody.TableCrc = GetU32(ABody);
    FBody.GroupId = static_cast<int32_t>(GetU32(ABody + 4));
    FBody.Kind = static_cast<int32_t>(GetU32(ABody + 8));
    FBody.Removed = ABody[13];
    FBody.Count = GetU16(ABody + 18);
}

void TXRHeaderObject::EncodeRecord(uint8_t* ARecord, uint32_t ATag) const
{
    EncodeBody(ARecord + 8);
    PutU32(ARecord, ATag);
    PutU32(ARecord + 4, UpdateCrc32(0, ARecord + 8, kXRHeaderBodySize));
}

std::vector<uint8_t> TXRHeaderObject::EncodeTable() const
{
    std::vector<uint8_t> Bytes(static_cast<size_t>(TableSize()));
    for (size_t I = 0; I < FTable.size(); ++I) {
        uint8_t* P = Bytes.data() + I * kXREntrySize;
        PutU32(P, FTable[I].Crc);
        PutU32(P + 4, static_cast<uint32_t>(FTable[I].Id));
        PutI64(P + 8, FTable[I].Size);
    }
    return Bytes;
}

void TXRHeaderObject::DecodeTable(const uint8_t* ABytes)
{
    FTable.resize(FBody.Count);
    for (size_t I = 0; I < FTable.size(); ++I) {
        const uint8_t* P = ABytes + I * kXREntrySize;
        FTable[I] = {GetU32(P), static_cast<int32_t>(GetU32(P + 4)), GetI64(P + 8)};
    }
}

// ---- TXRHeaderList ----------------------------------------------------------------------

TXRHeaderObject* TXRHeaderList::Items(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        RaiseListIndexError(AIndex);
    return FItems[static_cast<size_t>(AIndex)].get();
}

// ---- TXRGroupObject ----------------------------------------------------------------------

void TXRGroupObject::Init()
{
    inherited::Init();
    FData = Owned(TMemoryStream::Create());
    FHeaders = Owned(TXRHeaderList::Create());
}

void TXRGroupObject::EncodeBody(uint8_t* ABody) const
{
    std::memset(ABody, 0, kXRGroupBodySize);
    PutU32(ABody, FBody.DataCrc);
    PutU32(ABody + 4, static_cast<uint32_t>(FBody.Id));
    PutName(ABody + 8, FBody.Name);
    ABody[60] = FBody.Removed;
    PutI64(ABody + 77, FBody.StoredSize);
}

void TXRGroupObject::EncodeRecord(uint8_t* ARecord, uint32_t ATag) const
{
    EncodeBody(ARecord + 8);
    PutU32(ARecord, ATag);
    PutU32(ARecord + 4, UpdateCrc32(0, ARecord + 8, kXRGroupBodySize));
}

bool TXRGroupObject::DecodeBody(const uint8_t* ABody)
{
    FBody.DataCrc = GetU32(ABody);
    FBody.Id = static_cast<int32_t>(GetU32(ABody + 4));
    bool NameOK = GetName(ABody + 8, FBody.Name);
    FBody.Removed = ABody[60];
    FBody.StoredSize = GetI64(ABody + 77);
    return NameOK;
}

// ---- TXRGroupList ------------------------------------------------------------------------

TXRGroupObject* TXRGroupList::Items(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        RaiseListIndexError(AIndex);
    return FItems[static_cast<size_t>(AIndex)].get();
}

void TXRGroupList::SetClasses(TClass AGroupClass, TClass AHeaderClass)
{
    FGroupClass = AGroupClass;
    FHeaderClass = AHeaderClass;
}

void TXRGroupList::Clear()
{
    FItems.clear();
    FCurrent = nullptr;
    FReservedId = 0;
}

TXRGroupObject* TXRGroupList::FindById(int32_t AId) const
{
    for (const auto& Group : FItems)
        if (Group->Body().Id == AId)
            return Group.get();
    return nullptr;
}

TXRGroupObject* TXRGroupList::FindByName(const String& AName) const
{
    // Not cut to 50: a longer name must not match the stored prefix of another.
    String Wanted = AnsiOf(AName);
    if (FCurrent != nullptr && FCurrent->Body().Name == Wanted)
        return FCurrent;
    for (const auto& Group : FItems)
        if (Group->Body().Name == Wanted)
            return Group.get();
    return nullptr;
}

TXRGroupObject* TXRGroupList::SelectByName(const String& AName)
{
    FCurrent = FindByName(AName);
    return FCurrent;
}

int32_t TXRGroupList::NextFreeId() const
{
    int32_t Highest = FReservedId;
    for (const auto& Group : FItems)
        Highest = std::max(Highest, Group->Body().Id);
    return Highest + 1;
}

TXRGroupObject* TXRGroupList::NewGroup() const
{
    return XCreateFromClass<TXRGroupObject>(FGroupClass);
}

TXRHeaderObject* TXRGroupList::NewHeader() const
{
    return XCreateFromClass<TXRHeaderObject>(FHeaderClass);
}

bool TXRGroupList::ReadRecord(TXRStream* AOwner, int64_t AOffset, int64_t ALimit, TXRGroupObject*& AGroup,
                              TXRHeaderObject*& AHeader)
{
    AGroup = nullptr;
    AHeader = nullptr;
    TStream* Stream = AOwner->Stream();
    uint8_t Record[kXRGroupRecordSize];
    if (!Guarded([&] {
            Stream->SetPosition(AOwner->StartOffset() + AOffset);
            Stream->ReadBuffer(Record, 8);
        }))
        return ReportRStream(false, kErrRead, false);
    uint32_t Tag = GetU32(Record);
    bool IsGroup = Tag == AOwner->Tag(kXRGroupTag);
    if (!IsGroup && Tag != AOwner->Tag(kXRHeaderTag))
        return true;

    int64_t BodySize = IsGroup ? kXRGroupBodySize : kXRHeaderBodySize;
    if (8 + BodySize > ALimit - AOffset)
        return ReportRStream(false, kErrCrcMismatch, false);
    if (!Guarded([&] { Stream->ReadBuffer(Record + 8, BodySize); }))
        return ReportRStream(false, kErrRead, false);
    if (UpdateCrc32(0, Record + 8, static_cast<size_t>(BodySize)) != GetU32(Record + 4))
        return ReportRStream(false, kErrCrcMismatch, false);

    if (IsGroup) {
        TOwned<TXRGroupObject> Group = Owned(NewGroup());
        Group->SetOffset(AOffset);
        // The data runs from the body to the next slot, and no further.
        if (!Group->DecodeBody(Record + 8) || Group->Body().StoredSize < 0
            || Group->Body().StoredSize > ALimit - AOffset - kXRGroupRecordSize)
            return ReportRStream(false, kErrCrcMismatch, false);
        Group->SetValid(true);
        AGroup = FileGroup(Group.release());
    } else {
        TOwned<TXRHeaderObject> Header = Owned(NewHeader());
        Header->SetOffset(AOffset);
        Header->DecodeBody(Record + 8);
        if (kXRHeaderRecordSize + Header->TableSize() > ALimit - AOffset)
            return ReportRStream(false, kErrCrcMismatch, false);
        Header->Table().resize(Header->Body().Count);
        AHeader = Header.get();
        FileHeader(Header.release());
    }
    return true;
}

TXRGroupObject* TXRGroupList::FileGroup(TXRGroupObject* ARead)
{
    TOwned<TXRGroupObject> Read = Owned(ARead);
    TXRGroupObject* Held = FindById(Read->Body().Id);
    if (Held == nullptr) {
        Add(Read.release());
        return ARead;
    }
    // A group made for a header that came first takes the record's place; otherwise the
    // first group of an id wins and the record is dropped, so that its data is not read again
    // for every copy a crafted file repeats.
    if (Held->Offset() != 0)
        return nullptr;
    Held->SetOffset(Read->Offset());
    Held->SetValid(Read->Valid());
    Held->Body() = Read->Body();
    Held->Data()->Clear();
    return Held;
}

void TXRGroupList::FileHeader(TXRHeaderObject* AHeader)
{
    TXRGroupObject* Group = FindById(AHeader->Body().GroupId);
    if (Group == nullptr) {
        Group = NewGroup();
        Group->Body().Id = AHeader->Body().GroupId;
        Group->SetValid(true);
        Add(Group);
    }
    Group->Headers()->Add(AHeader);
}

// ---- TXRStream: state and opening --------------------------------------------------------

void TXRStream::Init()
{
    inherited::Init();
    FCompressionMode = zlDefault;
    FGroups = Owned(TXRGroupList::Create());
    SetTagBase(kXRTagBase);
}

void TXRStream::SetTagBase(uint32_t ABase)
{
    FTagBase = ABase;
}

void TXRStream::FreeWriting()
{
    FWriting.reset();
    FWritingGroup = nullptr;
    FEntryCounter = 0;
}

void TXRStream::Clear()
{
    inherited::Clear();
    FreeWriting();
    FFile.reset();
    FStream = nullptr;
    FGroups->Clear();
    FFormatVersion = 1;
    FStart = 0;
    FEnd = 0;
    FOpen = false;
    FOpenedExisting = false;
    FDamaged = false;
    FMode = 0;
}

void TXRStream::Attach(TXROpenMode AMode, TStream* AStream, int64_t AStart)
{
    Clear();
    FOpen = true;
    FStream = AStream;
    FMode = AMode;
    FStart = AStart;
}

bool TXRStream::DoOpenStream(TXROpenMode AMode, TStream* AStream, bool ARaise, TXProgress* AProgress, int64_t AStart)
{
    ClearError();
    Clear();
    bool OK = false;
    if (AStream != nullptr) {
        Attach(AMode, AStream, AStart);
        bool Fresh = (AMode & rmCreate) != 0;
        if (!Fresh && (AMode & rmCreateWhenEmpty) != 0)
            OK = Guarded([&] { Fresh = AStream->Size() == AStart; });
        if (Fresh) {
            OK = WriteFileHead();
        } else {
            FOpenedExisting = true;
            OK = ReadContents(AProgress);
        }
    }
    return ReportRStream(OK, kErrRead, ARaise);
}

TOwned<TFileStream> TXRStream::OpenContainerFile(TXROpenMode AMode, const String& AFileName, int64_t AStart)
{
    try {
        return Owned(TFileStream::Create(AFileName, FileModeFor(AMode, AFileName, AStart)));
    } catch (const std::exception& E) {
        SetFirstError(kErrRead, errno, E.what());
        return nullptr;
    }
}

bool TXRStream::DoOpenFile(TXROpenMode AMode, const String& AFileName, bool ARaise, TXProgress* AProgress,
                           int64_t AStart)
{
    ClearError();
    Clear();
    TOwned<TFileStream> File = OpenContainerFile(AMode, AFileName, AStart);
    bool OK = File != nullptr && DoOpenStream(AMode, File.get(), false, AProgress, AStart);
    if (OK)
        FFile = std::move(File);
    else
        Close();
    return ReportRStream(OK, kErrRead, ARaise);
}

bool TXRStream::OpenStream(TXROpenMode AMode, TStream* AStream, bool ARaise, TXProgress* AProgress, int64_t AStart)
{
    return DoOpenStream(AMode, AStream, ARaise, AProgress, AStart);
}

bool TXRStream::OpenFile(TXROpenMode AMode, const String& AFileName, bool ARaise, TXProgress* AProgress,
                         int64_t AStart)
{
    return DoOpenFile(AMode, AFileName, ARaise, AProgress, AStart);
}

void TXRStream::Close()
{
    FOpen = false;
    FOpenedExisting = false;
    Clear();
}

// ---- Identity and the file head ----------------------------------------------------------

void TXRStream::SetIdentity(const TXRIdentity& AIdentity)
{
    FFormatVersion = 1;
    FIdentity.Values = AIdentity.Values;
    FIdentity.Name = AIdentity.Name.substr(0, kXRNameLength);
}

bool TXRStream::CheckIdentity3(uint32_t AV1, uint32_t AV2, uint32_t AV3, bool ARaise)
{
    const auto& V = FIdentity.Values;
    bool OK = FOpen && V[0] == AV1 && V[1] == AV2 && V[2] == AV3;
    ReportError(OK, kErrIdentity, 0, {}, ARaise);
    return OK;
}

bool TXRStream::CheckIdentity5(uint32_t AV1, uint32_t AV2, uint32_t AV3, uint32_t AV4, uint32_t AV5, bool ARaise)
{
    const auto& V = FIdentity.Values;
    bool OK = CheckIdentity3(AV1, AV2, AV3, false) && V[3] == AV4 && V[4] == AV5;
    ReportError(OK, kErrIdentity, 0, {}, ARaise);
    return OK;
}

bool TXRStream::CheckIdentityRecord(const TXRIdentity& AIdentity, bool ARaise)
{
    const auto& V = AIdentity.Values;
    bool OK = CheckIdentity5(V[0], V[1], V[2], V[3], V[4], false) && AIdentity.Name == FIdentity.Name;
    ReportError(OK, kErrIdentity, 0, {}, ARaise);
    return OK;
}

void TXRStream::EncodeHead(uint8_t* ABody) const
{
    std::memset(ABody, 0, kXRHeadBodySize);
    PutU32(ABody, static_cast<uint32_t>(FFormatVersion));
    for (size_t I = 0; I < 5; ++I)
        PutU32(ABody + 4 + 4 * I, FIdentity.Values[I]);
    PutName(ABody + 24, FIdentity.Name);
}

bool TXRStream::ReadFileHead()
{
    ClearError();
    uint8_t Head[8 + kXRHeadBodySize];
    if (!Guarded([&] {
            FStream->SetPosition(FStart);
            FStream->ReadBuffer(Head, sizeof Head);
        }))
        return false;
    const uint8_t* Body = Head + 8;
    FFormatVersion = static_cast<int32_t>(GetU32(Body));
    for (size_t I = 0; I < 5; ++I)
        FIdentity.Values[I] = GetU32(Body + 4 + 4 * I);
    bool NameOK = GetName(Body + 24, FIdentity.Name);
    int32_t Failure = 0;
    if (FFormatVersion != 1)
        Failure = kErrIdentity;
    else if (GetU32(Head) != Tag(kXRHeadTag) || UpdateCrc32(0, Body, kXRHeadBodySize) != GetU32(Head + 4) || !NameOK)
        Failure = kErrCrcMismatch;
    if (Failure == 0) {
        bool Accept = true;
        if (FOnCheckIdentity)
            FOnCheckIdentity(this, Accept);
        if (!Accept)
            Failure = kErrCrcMismatch;   // unless the handler recorded its own reason
    }
    if (Failure == 0)
        return true;
    Close();
    SetFirstError(Failure);
    return false;
}

bool TXRStream::WriteFileHead(bool ARaise)
{
    ClearError();
    FFormatVersion = 1;
    uint8_t Head[kXRHeadSize] = {};
    EncodeHead(Head + 8);
    PutU32(Head, Tag(kXRHeadTag));
    PutU32(Head + 4, UpdateCrc32(0, Head + 8, kXRHeadBodySize));
    bool OK = Guarded([&] {
        FStream->SetPosition(FStart);
        FStream->WriteBuffer(Head, sizeof Head);
        if (FGroups->Count() == 0 && !FOpenedExisting)
            FEnd = FStream->Position() - FStart;
    });
    return ReportRStream(OK, kErrWrite, ARaise);
}

// ---- End and link records ----------------------------------------------------------------

bool TXRStream::WriteEndRecord()
{
    return Guarded([&] {
        FStream->SetPosition(FStart + FEnd);
        WriteEndSlot(FStream);
    });
}

void TXRStream::WriteEndSlot(TStream* ADest) const
{
    uint8_t Slot[kXRSlotSize] = {};
    PutU32(Slot, Tag(kXREndTag));
    ADest->WriteBuffer(Slot, sizeof Slot);
}

void TXRStream::WriteLink(TStream* ADest, int64_t ANext) const
{
    uint8_t Slot[kXRSlotSize];
    PutU32(Slot, Tag(kXRLinkTag));
    PutI64(Slot + 8, ANext);
    PutU32(Slot + 4, UpdateCrc32(0, Slot + 8, 8));
    ADest->WriteBuffer(Slot, sizeof Slot);
}

// The new end record goes first and the link to it last: until the link is on the disk the old
// end record still closes the chain, so a write that fails or is cut off in between leaves a
// container that reads as before.
bool TXRStream::MoveEnd(int64_t ANewEnd)
{
    bool Moved = Guarded([&] {
        FStream->SetPosition(FStart + ANewEnd);
        WriteEndSlot(FStream);
        // Bytes after the end would keep the next append from finding the end.
        if (FOpenedExisting && FStream->Size() > FStart + ANewEnd + kXRSlotSize)
            FStream->SetSize(FStart + ANewEnd + kXRSlotSize);
        SyncAppend();
        FStream->SetPosition(FStart + FEnd);
        WriteLink(FStream, ANewEnd);
        SyncAppend();
    });
    if (Moved)
        FEnd = ANewEnd;
    return Moved;
}

// Appends to an existing file reach the disk one by one; a fresh container is written into a
// safe save, which syncs it once when it is committed.
void TXRStream::SyncAppend()
{
    if (auto* File = dynamic_cast<TFileStream*>(FStream); File != nullptr && FOpenedExisting)
        File->Flush();
}

void TXRStream::RollBack(int64_t AEnd)
{
    FEnd = AEnd;
    FreeWriting();
    bool Closed = Guarded([&] {
        FStream->SetPosition(FStart + AEnd);
        WriteEndSlot(FStream);
        FStream->SetSize(FStart + AEnd + kXRSlotSize);
    });
    // Without room for the end record the container ends at its last link, as after a cut-off
    // write, which readers and appends take as they took it before.
    if (!Closed)
        (void)Guarded([&] { FStream->SetSize(FStart + AEnd); });
}

void TXRStream::ReadSlot(int64_t AOffset, uint32_t& ATag, int64_t& ANext, bool& ACrcOK)
{
    uint8_t Slot[kXRSlotSize];
    FStream->SetPosition(FStart + AOffset);
    FStream->ReadBuffer(Slot, sizeof Slot);
    ATag = GetU32(Slot);
    ANext = GetI64(Slot + 8);
    ACrcOK = UpdateCrc32(0, Slot + 8, 8) == GetU32(Slot + 4);
}

// ---- Groups, headers and entries ---------------------------------------------------------

bool TXRStream::AddGroup(const String& AName, TStream* AStream, bool ARaise, TXProgress* AProgress)
{
    ClearError();
    bool OK = FGroups->FindByName(AName) != nullptr || WriteGroup(FGroups->NextFreeId(), AName, AProgress, AStream);
    return ReportRStream(OK, kErrWrite, ARaise);
}

bool TXRStream::AddGroupText(const String& AName, const String& AText, bool ARaise, TXProgress* AProgress)
{
    return AddGroup(AName, Owned(TStringStream::Create(AText, TEncoding::ANSI())).get(), ARaise, AProgress);
}

bool TXRStream::BeginHeader(const String& AGroupName, int32_t AKind, bool ARaise, TXProgress* AProgress,
                            uint16_t ACount)
{
    ClearError();
    FreeWriting();
    TXRGroupObject* Group = FGroups->SelectByName(AGroupName);
    bool OK = Group != nullptr && WriteHeaderBegin(Group->Body().Id, AKind, AProgress, ACount);
    return ReportRStream(OK, kErrWrite, ARaise);
}

bool TXRStream::EndHeader(TXProgress*, bool ARaise)
{
    return ReportRStream(WriteHeaderEnd(), kErrWrite, ARaise);
}

bool TXRStream::WriteEntry(int32_t AId, TStream* AStream, bool ARaise, TXProgress* AProgress)
{
    ClearError();
    int64_t Size = 0;
    bool OK = AStream != nullptr && Guarded([&] { Size = AStream->Size(); })
              && WriteEntryStream(AId, AStream, AProgress, 0, Size);
    return ReportRStream(OK, kErrWrite, ARaise);
}

bool TXRStream::WriteEntryText(int32_t AId, const String& AText, bool ARaise, TXProgress* AProgress)
{
    return WriteEntry(AId, Owned(TStringStream::Create(AText, TEncoding::ANSI())).get(), ARaise, AProgress);
}

bool TXRStream::WriteSingleEntry(const String& AGroupName, int32_t AKind, bool ARaise, TXProgress* AProgress,
                                 TStream* AStream, int32_t AId)
{
    bool OK = BeginHeader(AGroupName, AKind, false, SubRange(AProgress, 10), 1)
              && WriteEntry(AId, AStream, false, SubRange(AProgress, 80)) && EndHeader(SubRange(AProgress, 10), false);
    return ReportRStream(OK, kErrWrite, ARaise);
}

bool TXRStream::ReadEntry(const String& AGroupName, int AHeaderIndex, bool ARaise, TXProgress* AProgress,
                          TStream* ADest, int AEntryIndex)
{
    ClearError();
    TXRGroupObject* Group = FGroups->SelectByName(AGroupName);
    bool OK = Group != nullptr && AHeaderIndex >= 0 && AHeaderIndex < Group->Headers()->Count()
              && ReadEntryStream(Group->Headers()->Items(AHeaderIndex), AEntryIndex, AProgress, ADest);
    return ReportRStream(OK, kErrRead, ARaise);
}

bool TXRStream::ReadEntryText(const String& AGroupName, int AHeaderIndex, bool ARaise, TXProgress* AProgress,
                              String& AText, int AEntryIndex)
{
    AText.clear();
    auto Text = Owned(TStringStream::Create(String(), TEncoding::ANSI()));
    if (!ReadEntry(AGroupName, AHeaderIndex, ARaise, AProgress, Text.get(), AEntryIndex))
        return false;
    AText = Text->DataString();
    return true;
}

bool TXRStream::ReadEntryChecked(const String& AGroupName, int32_t AExpectedId, bool ARaise, TXProgress* AProgress,
                                 TStream* ADest, int AEntryIndex, int AHeaderIndex)
{
    ClearError();
    TXRGroupObject* Group = FGroups->SelectByName(AGroupName);
    TXRHeaderObject* Header = Group != nullptr && AHeaderIndex >= 0 && AHeaderIndex < Group->Headers()->Count()
                                  ? Group->Headers()->Items(AHeaderIndex)
                                  : nullptr;
    bool OK = Header != nullptr && AEntryIndex >= 0 && AEntryIndex < Header->Body().Count
              && std::llabs(Header->Table()[static_cast<size_t>(AEntryIndex)].Id) == std::llabs(AExpectedId)
              && ReadEntryStream(Header, AEntryIndex, AProgress, ADest);
    return ReportRStream(OK, kErrRead, ARaise);
}

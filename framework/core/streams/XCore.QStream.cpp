// XCore.QStream.cpp: chain walk, appending, entries and the compacting copy.
#include "XCore.QStream.h"

#include <cstdlib>
#include <vector>

#include "XCore.Errors.h"
#include "XCore.Progress.h"
#include "XCore.Streams.h"

namespace {

bool Report(bool AOK, int32_t ACode, bool ARaise)
{
    ReportFirstError(AOK, ACode, 0, {}, ARaise);
    return AOK;
}

bool Fail(int32_t ACode)
{
    SetFirstError(ACode);
    return false;
}

// Whether the compacting copy keeps a group or a header.
template <class TRecord>
bool IsKept(TRecord* ARecord)
{
    return ARecord->Valid() && ARecord->Body().Removed == 0;
}

void StepIt(TXProgress* AProgress)
{
    if (AProgress != nullptr)
        AProgress->StepIt();
}

// A link must lead forward past its own slot and at least a record's tag and CRC, and stay in
// the stream: so a walk can neither loop nor read outside the container.
bool LinkFits(int64_t ASlot, int64_t ANext, int64_t ASize)
{
    return ANext >= ASlot + kXRSlotSize + 8 && ANext <= ASize;
}

}  // namespace

// ---- Records -----------------------------------------------------------------------------

bool TXQHeaderObject::ReadTable(TStream* AStream)
{
    SetValid(false);
    std::vector<uint8_t> Bytes(static_cast<size_t>(TableSize()));
    if (!Guarded([&] { AStream->ReadBuffer(Bytes.data(), TableSize()); }))
        return Fail(kErrRead);
    if (UpdateCrc32(0, Bytes.data(), Bytes.size()) != Body().TableCrc)
        return Fail(kErrCrcMismatch);
    DecodeTable(Bytes.data());
    SetValid(true);
    return true;
}

bool TXQHeaderObject::WriteTable(TStream* AStream)
{
    std::vector<uint8_t> Bytes = EncodeTable();
    return Guarded([&] { AStream->WriteBuffer(Bytes.data(), TableSize()); });
}

bool TXQGroupObject::ReadData(TStream* AStream, int64_t AStart)
{
    bool OK = KeepingFirstError([&] {
        return ReadStreamBlockCrc(AStream, Body().DataCrc, Data(), true, AStart + Offset() + kXRGroupRecordSize,
                                  Body().StoredSize, nullptr, false);
    });
    if (!OK)
        Data()->Clear();
    SetValid(OK);
    return Report(OK, kErrRead, false);
}

bool TXQGroupObject::WriteData(TStream* AStream, int64_t AStart, uint32_t ATag, TXProgress* AProgress)
{
    auto Packed = Owned(TMemoryStream::Create());
    int64_t Offset = 0;
    if (!WriteMemoryBlockCrc(Packed.get(), Offset, Body().StoredSize, Body().DataCrc, Data(), zlDefault, AProgress,
                             false))
        return false;
    uint8_t Record[kXRGroupRecordSize];
    EncodeRecord(Record, ATag);
    return Guarded([&] {
        AStream->SetPosition(AStart + this->Offset());
        AStream->WriteBuffer(Record, sizeof Record);
        Packed->SaveToStream(AStream);
    });
}

// ---- Walking the chain -------------------------------------------------------------------

void TXQStream::Init()
{
    inherited::Init();
    Groups()->SetClasses(TXQGroupObject::StaticClass(), TXQHeaderObject::StaticClass());
}

bool TXQStream::ReadContents(TXProgress*)
{
    ClearError();
    bool MetEnd = false;
    bool OK = false;
    try {
        OK = WalkChain(MetEnd);
    } catch (const std::exception&) {
        SetFirstError(kErrWalk);
        SetDamaged(true);
        OK = false;
    }
    if (!MetEnd)
        SetFirstError(kErrNoEnd);
    return OK;
}

bool TXQStream::WalkChain(bool& AMetEnd)
{
    if (!ReadFileHead())
        return Fail(kErrIdentity);
    SetEndOffset(kXRHeadSize);
    int64_t Size = Stream()->Size() - StartOffset();
    int64_t GroupData = 0;
    bool OK = true;
    while (EndOffset() < Size) {
        uint32_t SlotTag = 0;
        int64_t Next = 0;
        bool CrcOK = false;
        ReadSlot(EndOffset(), SlotTag, Next, CrcOK);
        if (SlotTag == Tag(kXREndTag)) {
            AMetEnd = true;
            return OK;
        }
        if (SlotTag != Tag(kXRLinkTag))
            return Fail(kErrCrcMismatch);
        if (Next == 0)
            return OK;
        if (!CrcOK || !LinkFits(EndOffset(), Next, Size))
            return Fail(kErrCrcMismatch);
        OK = ReadLinkedRecord(Next, GroupData) && OK;
        // Every group is held inflated: a file of many small groups that inflate well must not
        // fill memory either.
        if (GroupData > kXZInflateLimit)
            return Fail(kErrRead);
        SetEndOffset(Next);
    }
    return OK;
}

bool TXQStream::ReadLinkedRecord(int64_t ANext, int64_t& AGroupData)
{
    int64_t RecordOffset = EndOffset() + kXRSlotSize;
    TXRGroupObject* Group = nullptr;
    TXRHeaderObject* Header = nullptr;
    if (!Groups()->ReadRecord(this, RecordOffset, ANext, Group, Header))
        return false;
    if (Group != nullptr) {
        bool Read = Group->ReadData(Stream(), StartOffset());
        AGroupData += Group->Data()->Size();
        return Read;
    }
    if (Header == nullptr)
        return true;
    Stream()->SetPosition(StartOffset() + RecordOffset + kXRHeaderRecordSize);
    if (!Header->ReadTable(Stream()))
        return false;
    if (Header->EntriesFit(ANext - RecordOffset))
        return true;
    Header->SetValid(false);
    return Fail(kErrCrcMismatch);
}

// ---- Opening for appending ---------------------------------------------------------------

bool TXQStream::OpenStream(TXROpenMode AMode, TStream* AStream, bool ARaise, TXProgress*, int64_t AStart)
{
    ClearError();
    Clear();
    bool OK = AStream != nullptr && OpenForAppend(AMode, AStream, AStart);
    return Report(OK, kErrRead, ARaise);
}

bool TXQStream::OpenFile(TXROpenMode AMode, const String& AFileName, bool ARaise, TXProgress*, int64_t AStart)
{
    ClearError();
    Clear();
    TOwned<TFileStream> File = OpenContainerFile(AMode, AFileName, AStart);
    bool OK = File != nullptr && OpenForAppend(AMode, File.get(), AStart);
    if (OK)
        TakeFile(std::move(File));
    else if (IsOpen())
        Close();
    return Report(OK, kErrRead, ARaise);
}

bool TXQStream::OpenForAppend(TXROpenMode AMode, TStream* AStream, int64_t AStart)
{
    Attach(AMode, AStream, AStart);
    int64_t Size = 0;
    if (!Guarded([&] { Size = AStream->Size() - AStart; }))
        return false;
    if ((AMode & rmCreate) != 0 || ((AMode & rmCreateWhenEmpty) != 0 && Size == 0))
        return WriteFileHead();
    SetOpenedExisting(true);
    if (!ReadFileHead())
        return false;
    bool Found = false;
    if (!Guarded([&] { Found = FindAppendEnd(Size); }) || !Found) {
        Close();   // nothing may be appended to it
        SetDamaged(true);
        SetFirstError(kErrCrcMismatch, 0, "The container is damaged: its chain of records does not reach its end");
        return false;
    }
    ClearError();
    return true;
}

// The end is where the walk over the links reaches the stream's tail: the end record in the
// last 16 bytes, a last link whose record was never written, or the stream's end itself when
// the end record after the last record was never written. Whatever stops the walk before (a
// broken link, bytes after the end record) would put appended records where no reader looks.
// On the way the ids of the groups the file holds are reserved: a reader keeps the first group
// of an id and would hang a new group's headers on the old one.
bool TXQStream::FindAppendEnd(int64_t ASize)
{
    auto Scratch = Owned(TXRGroupList::Create());
    Scratch->SetClasses(TXQGroupObject::StaticClass(), TXQHeaderObject::StaticClass());
    int64_t Slot = kXRHeadSize;
    while (Slot < ASize) {
        if (ASize - Slot < kXRSlotSize)
            return false;
        uint32_t SlotTag = 0;
        int64_t Next = 0;
        bool CrcOK = false;
        ReadSlot(Slot, SlotTag, Next, CrcOK);
        bool Last = Slot + kXRSlotSize == ASize;
        if (SlotTag == Tag(kXREndTag) || (SlotTag == Tag(kXRLinkTag) && Last))
            break;
        if (SlotTag != Tag(kXRLinkTag) || !CrcOK || !LinkFits(Slot, Next, ASize))
            return false;
        TXRGroupObject* Group = nullptr;
        TXRHeaderObject* Header = nullptr;
        if (Scratch->ReadRecord(this, Slot + kXRSlotSize, Next, Group, Header) && Group != nullptr)
            Groups()->ReserveId(Group->Body().Id);
        Slot = Next;
    }
    if (Slot < ASize && Slot + kXRSlotSize != ASize)
        return false;
    SetEndOffset(Slot);
    return true;
}

// ---- Writing -----------------------------------------------------------------------------

bool TXQStream::WriteGroup(int32_t AId, const String& AName, TXProgress* AProgress, TStream* ASource)
{
    if (!CanWrite())
        return false;
    ClearError();
    TOwned<TXRGroupObject> Group = Owned(Groups()->NewGroup());
    int64_t OldEnd = EndOffset();
    int64_t After = 0;
    bool OK = WriteEndRecord() && Guarded([&] {
        Group->SetOffset(EndOffset() + kXRSlotSize);
        Group->Body().Id = AId;
        Group->Body().Name = ToStoredName(AName);
        if (ASource != nullptr)
            Group->Data()->LoadFromStream(ASource);
    }) && Group->WriteData(Stream(), StartOffset(), Tag(kXRGroupTag), AProgress)
              && Guarded([&] { After = Stream()->Position() - StartOffset(); }) && MoveEnd(After);
    if (OK) {
        Group->SetValid(true);
        Groups()->Add(Group.release());
    } else {
        RollBack(OldEnd);
    }
    return Report(OK, kErrWrite, false);
}

bool TXQStream::WriteHeaderBegin(int32_t AGroupId, int32_t AKind, TXProgress*, uint16_t ACount)
{
    FreeWriting();
    TXRGroupObject* Group = Groups()->FindById(AGroupId);
    if (!CanWrite() || Group == nullptr)
        return false;
    TOwned<TXRHeaderObject> Header = Owned(Groups()->NewHeader());
    Header->SetOffset(EndOffset() + kXRSlotSize);
    Header->Body() = {0, AGroupId, AKind, 0, ACount};
    Header->Table().assign(ACount, TXRResRec{});
    std::vector<uint8_t> Table = Header->EncodeTable();
    Header->Body().TableCrc = UpdateCrc32(0, Table.data(), Table.size());
    uint8_t Record[kXRHeaderRecordSize];
    Header->EncodeRecord(Record, Tag(kXRHeaderTag));
    bool OK = WriteEndRecord() && Guarded([&] {
        Stream()->SetPosition(StartOffset() + Header->Offset());
        Stream()->WriteBuffer(Record, sizeof Record);
    }) && Header->WriteTable(Stream());
    if (!OK) {
        RollBack(EndOffset());
        return false;
    }
    FNextEntry = Header->Offset() + kXRHeaderRecordSize + Header->TableSize();
    FWriting = std::move(Header);
    FWritingGroup = Group;
    FEntryCounter = 0;
    return true;
}

bool TXQStream::WriteNextEntry(int32_t AId, TStream* ASource, const void* ABuffer, int64_t AStart, int64_t ACount,
                               TXProgress* AProgress)
{
    if (!CanWrite() || !FWriting || FEntryCounter >= FWriting->Body().Count)
        return false;
    TXZLevel Level = AId < 0 ? CompressionMode() : zlNone;
    int64_t Offset = 0, Stored = 0;
    uint32_t Crc = 0;
    // Entries go one after the other whatever was read from the stream in between.
    bool OK = Guarded([&] { Stream()->SetPosition(StartOffset() + FNextEntry); })
              && (ASource != nullptr
                      ? WriteStreamBlockCrc(Stream(), Offset, Stored, Crc, ASource, AStart, ACount, Level, AProgress,
                                            false)
                      : WriteDataBlockCrc(Stream(), Offset, Stored, Crc, false, AProgress, Level, ACount, ABuffer));
    // A header with a lost entry is no header: it goes whole.
    if (!OK) {
        RollBack(EndOffset());
        return false;
    }
    FWriting->Table()[FEntryCounter++] = {Crc, AId, Stored};
    FNextEntry += Stored;
    return true;
}

bool TXQStream::WriteEntryBuffer(int32_t AId, const void* ABuffer, TXProgress* AProgress, int64_t ACount)
{
    return WriteNextEntry(AId, nullptr, ABuffer, 0, ACount, AProgress);
}

bool TXQStream::WriteEntryStream(int32_t AId, TStream* ASource, TXProgress* AProgress, int64_t AStart,
                                 int64_t ACount)
{
    return ASource != nullptr && WriteNextEntry(AId, ASource, nullptr, AStart, ACount, AProgress);
}

bool TXQStream::WriteHeaderEnd()
{
    if (!CanWrite() || !FWriting)
        return false;
    std::vector<uint8_t> Table = FWriting->EncodeTable();
    FWriting->Body().TableCrc = UpdateCrc32(0, Table.data(), Table.size());
    uint8_t Record[kXRHeaderRecordSize];
    FWriting->EncodeRecord(Record, Tag(kXRHeaderTag));
    bool OK = Guarded([&] {
        Stream()->SetPosition(StartOffset() + FWriting->Offset());
        Stream()->WriteBuffer(Record, sizeof Record);
    }) && FWriting->WriteTable(Stream()) && MoveEnd(FNextEntry);
    if (OK) {
        FWriting->SetValid(true);
        FWritingGroup->Headers()->Add(FWriting.release());
    } else {
        RollBack(EndOffset());
    }
    FreeWriting();
    return OK;
}

// ---- Reading entries ---------------------------------------------------------------------

bool TXQStream::ReadEntryStream(TXRHeaderObject* AHeader, int AIndex, TXProgress* AProgress, TStream* ADest)
{
    SetLastEntryCount(0);
    if (!CanRead() || AHeader == nullptr || !AHeader->Valid() || AIndex < 0 || AIndex >= AHeader->Body().Count)
        return false;
    SetLastEntryCount(AHeader->Body().Count);
    const TXRResRec& Entry = AHeader->Table()[static_cast<size_t>(AIndex)];
    bool OK = ReadStreamBlockCrc(Stream(), Entry.Crc, ADest, Entry.Id < 0, StartOffset() + AHeader->EntryOffset(AIndex),
                                 Entry.Size, AProgress, false);
    if (!OK)
        SetLastEntryCount(0);
    return OK;
}

// A raw entry must fit in the buffer whole; a compressed one is inflated up to ACapacity, and
// one that would not fit fails its CRC.
bool TXQStream::ReadEntryBuffer(TXRHeaderObject* AHeader, int AIndex, TXProgress* AProgress, void* ABuffer,
                                int64_t ACapacity)
{
    SetLastEntryCount(0);
    if (!CanRead() || AHeader == nullptr || !AHeader->Valid() || AIndex < 0 || AIndex >= AHeader->Body().Count)
        return false;
    const TXRResRec& Entry = AHeader->Table()[static_cast<size_t>(AIndex)];
    bool Compressed = Entry.Id < 0;
    if (!Compressed && Entry.Size > ACapacity)
        return Fail(kErrRead);
    SetLastEntryCount(AHeader->Body().Count);
    bool OK = ReadDataBlockCrc(Stream(), Entry.Crc, ABuffer, Compressed, StartOffset() + AHeader->EntryOffset(AIndex),
                               Compressed ? ACapacity : Entry.Size, AProgress, false);
    if (!OK)
        SetLastEntryCount(0);
    return OK;
}

// ---- The compacting copy -----------------------------------------------------------------

void TXQStream::CopyRange(TStream* ADest, int64_t AOffset, int64_t ACount)
{
    Stream()->SetPosition(StartOffset() + AOffset);
    if (ACount > 0)
        ADest->CopyFrom(Stream(), ACount);
}

uint32_t TXQStream::HeadersOfKeptGroups() const
{
    uint32_t Count = 0;
    for (int G = 0; G < Groups()->Count(); ++G)
        if (IsKept(Groups()->Items(G)))
            Count += static_cast<uint32_t>(Groups()->Items(G)->Headers()->Count());
    return Count;
}

bool TXQStream::CopyTo(TStream* ADest, TXProgress* AProgress, bool ARaise)
{
    if (!CanRead())
        SetFirstError(kErrRead);
    bool OK = CanRead() && Guarded([&] {
        ADest->SetPosition(0);
        CopyRange(ADest, 0, kXRHeadSize);
        StepIt(AProgress);
        // The head and the count are two steps, each header of a kept group one, the end one.
        if (AProgress != nullptr)
            AProgress->SetStepCount(HeadersOfKeptGroups() + 3);
        StepIt(AProgress);
        for (int G = 0; G < Groups()->Count(); ++G) {
            TXRGroupObject* Group = Groups()->Items(G);
            if (!IsKept(Group))
                continue;
            // A group made for headers whose group record was lost has no record to copy; its
            // headers are still kept.
            if (Group->Offset() != 0) {
                int64_t Extent = kXRGroupRecordSize + Group->Body().StoredSize;
                WriteLink(ADest, ADest->Position() + kXRSlotSize + Extent);
                CopyRange(ADest, Group->Offset(), Extent);
            }
            for (int H = 0; H < Group->Headers()->Count(); ++H) {
                TXRHeaderObject* Header = Group->Headers()->Items(H);
                if (IsKept(Header)) {
                    WriteLink(ADest, ADest->Position() + kXRSlotSize + Header->RecordExtent());
                    CopyRange(ADest, Header->Offset(), Header->RecordExtent());
                }
                StepIt(AProgress);
            }
        }
        WriteEndSlot(ADest);
        // Appending finds the end from the stream's tail: bytes of an older, longer content
        // left after the end record would hide it.
        ADest->SetSize(ADest->Position());
        if (AProgress != nullptr)
            AProgress->Finish();
    });
    return Report(OK, kErrWrite, ARaise);
}

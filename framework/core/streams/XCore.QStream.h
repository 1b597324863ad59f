// XCore.QStream.h: the record container that reads and writes groups, headers and entries:
// the chain walk on opening, appending, and the compacting copy.
// The walk trusts no link: each must point forward, past its record, inside the stream.
#pragma once

#include "XCore.RStream.h"

class TXQHeaderObject : public TXRHeaderObject {
    X_CLASS(TXQHeaderObject, TXRHeaderObject)
public:
    // False with 41 when the table's CRC differs, 44 when it cannot be read.
    bool ReadTable(TStream* AStream) override;
    bool WriteTable(TStream* AStream) override;

protected:
    TXQHeaderObject() = default;
};

// The group data is held uncompressed and stored as one zlib stream at the default level.
class TXQGroupObject : public TXRGroupObject {
    X_CLASS(TXQGroupObject, TXRGroupObject)
public:
    bool ReadData(TStream* AStream, int64_t AStart) override;
    // Writes the record at S + Offset, then the compressed data after it.
    bool WriteData(TStream* AStream, int64_t AStart, uint32_t ATag, TXProgress* AProgress) override;

protected:
    TXQGroupObject() = default;
};

class TXQStream : public TXRStream {
    X_CLASS(TXQStream, TXRStream)
public:
    bool ReadContents(TXProgress* AProgress) override;
    bool WriteGroup(int32_t AId, const String& AName, TXProgress* AProgress, TStream* ASource) override;
    bool WriteHeaderBegin(int32_t AGroupId, int32_t AKind, TXProgress* AProgress, uint16_t ACount) override;
    bool WriteEntryBuffer(int32_t AId, const void* ABuffer, TXProgress* AProgress, int64_t ACount) override;
    bool WriteEntryStream(int32_t AId, TStream* ASource, TXProgress* AProgress, int64_t AStart,
                          int64_t ACount) override;
    bool WriteHeaderEnd() override;
    bool ReadEntryBuffer(TXRHeaderObject* AHeader, int AIndex, TXProgress* AProgress, void* ABuffer,
                         int64_t ACapacity) override;
    bool ReadEntryStream(TXRHeaderObject* AHeader, int AIndex, TXProgress* AProgress, TStream* ADest) override;
    // Opening for appending: the end is found by walking the links, and the groups are not
    // read, so lookups by name find nothing; ids already in the file are still never reused.
    // A container whose walk does not reach the stream's tail is refused as damaged (41).
    // Each append is on the disk when it returns; one that fails is undone.
    bool OpenStream(TXROpenMode AMode, TStream* AStream, bool ARaise, TXProgress* AProgress,
                    int64_t AStart = 0) override;
    bool OpenFile(TXROpenMode AMode, const String& AFileName, bool ARaise, TXProgress* AProgress,
                  int64_t AStart = 0) override;
    // A copy without removed groups and headers, relinked: ADest ends up holding just it.
    // AProgress steps after the head, after counting the headers and per header of each kept
    // group, and is finished at the end.
    bool CopyTo(TStream* ADest, TXProgress* AProgress, bool ARaise = false) override;

protected:
    TXQStream() = default;
    void Init() override;

private:
    // The walk over the chain; AMetEnd tells whether it reached the end record.
    bool WalkChain(bool& AMetEnd);
    // Reads the record between the slot at E and the next one at ANext, with its table or
    // data; AGroupData adds up the group data held.
    bool ReadLinkedRecord(int64_t ANext, int64_t& AGroupData);
    bool OpenForAppend(TXROpenMode AMode, TStream* AStream, int64_t AStart);
    // Sets E for appending and reserves the group ids the file holds; false when the walk
    // cannot reach the tail. Raises when the stream cannot be read.
    bool FindAppendEnd(int64_t ASize);
    // Appends the next entry's block of the header being written, from ASource or ABuffer.
    bool WriteNextEntry(int32_t AId, TStream* ASource, const void* ABuffer, int64_t AStart, int64_t ACount,
                        TXProgress* AProgress);
    void CopyRange(TStream* ADest, int64_t AOffset, int64_t ACount);
    uint32_t HeadersOfKeptGroups() const;

    // Where the next entry of the header being written goes, relative to S.
    int64_t FNextEntry = 0;
};

// The record container: its exact bytes, reading back, damaged and crafted files, appending
// and the compacting copy. Expected bytes are computed here with zlib, not with the writer.
#include "XCore.QStream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "XCore.Engine.Notifications.h"
#include "XCore.Errors.h"
#include "XCore.Progress.h"
#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"

#include "../../../tests/fixtures/ScratchFolders.h"

namespace {

using TBuffer = std::vector<uint8_t>;

uint32_t U32(const TBuffer& B, size_t AAt)
{
    return uint32_t(B[AAt]) | uint32_t(B[AAt + 1]) << 8 | uint32_t(B[AAt + 2]) << 16 | uint32_t(B[AAt + 3]) << 24;
}

int64_t I64(const TBuffer& B, size_t AAt)
{
    return static_cast<int64_t>(U32(B, AAt) | uint64_t(U32(B, AAt + 4)) << 32);
}

void PutU32(TBuffer& B, size_t AAt, uint32_t V)
{
    for (int I = 0; I < 4; ++I)
        B[AAt + I] = static_cast<uint8_t>(V >> (8 * I));
}

void PutI64(TBuffer& B, size_t AAt, int64_t V)
{
    PutU32(B, AAt, static_cast<uint32_t>(V));
    PutU32(B, AAt + 4, static_cast<uint32_t>(static_cast<uint64_t>(V) >> 32));
}

uint32_t Crc(const TBuffer& B, size_t AFrom, size_t ACount)
{
    return crc32(0, B.data() + AFrom, static_cast<uInt>(ACount));
}

uint32_t Crc(const String& AText)
{
    return crc32(0, reinterpret_cast<const Bytef*>(AText.data()), static_cast<uInt>(AText.size()));
}

// A crafted record keeps a valid CRC: the record at AAt has its body's CRC recomputed.
void FixCrc(TBuffer& B, size_t AAt, size_t ABodySize)
{
    PutU32(B, AAt + 4, Crc(B, AAt + 8, ABodySize));
}

TBuffer Deflated(const String& AText)
{
    uLongf Length = compressBound(AText.size());
    TBuffer Out(Length);
    compress2(Out.data(), &Length, reinterpret_cast<const Bytef*>(AText.data()), AText.size(), 6);
    Out.resize(Length);
    return Out;
}

TBuffer BytesOf(TStream* AStream)
{
    TBuffer B(static_cast<size_t>(AStream->Size()));
    AStream->SetPosition(0);
    AStream->ReadBuffer(B.data(), static_cast<int64_t>(B.size()));
    return B;
}

TOwned<TMemoryStream> StreamOf(const TBuffer& AData)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AData.data(), static_cast<int64_t>(AData.size()));
    return Stream;
}

TOwned<TMemoryStream> StreamOf(const String& AText)
{
    return StreamOf(TBuffer(AText.begin(), AText.end()));
}

String TextOf(TStream* AStream)
{
    TBuffer B = BytesOf(AStream);
    return String(B.begin(), B.end());
}

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }

    // Identity (100, 7000, 500, 0, 0, "Language"), group "Language" holding "abc", and a header
    // of kind 3 with the raw entry 7 "hello".
    static TBuffer Sample()
    {
        auto Stream = Owned(TMemoryStream::Create());
        auto Writer = Owned(TXQStream::Create());
        TXRIdentity Identity;
        SetFilerIdentity(Identity, 100, 7000, 500, 0, 0, "Language");
        Writer->SetIdentity(Identity);
        EXPECT_TRUE(Writer->DoOpenStream(rmCreate | rmWrite, Stream.get(), false, nullptr));
        EXPECT_TRUE(Writer->AddGroup("Language", StreamOf("abc").get()));
        EXPECT_TRUE(Writer->WriteSingleEntry("Language", 3, false, nullptr, StreamOf("hello").get(), 7));
        Writer->Close();
        return BytesOf(Stream.get());
    }

    bool Open(const TBuffer& ABytes, TXROpenMode AMode = rmRead)
    {
        FStream = StreamOf(ABytes);
        FContainer = Owned(TXQStream::Create());
        return FContainer->DoOpenStream(AMode, FStream.get(), false, nullptr);
    }

    String Entry(const String& AGroup, int AHeader, int AEntry)
    {
        auto Dest = StreamOf("stale bytes that must go");
        return FContainer->ReadEntry(AGroup, AHeader, false, nullptr, Dest.get(), AEntry) ? TextOf(Dest.get())
                                                                                             : "<failed>";
    }

    TOwned<TMemoryStream> FStream;
    TOwned<TXQStream> FContainer;
};

TEST_F(ContainerTest, WritesTheExactLayout)
{
    TBuffer B = Sample();
    const TBuffer Packed = Deflated("abc");
    const size_t A = 123 + 93 + Packed.size();
    const size_t C = A + 16 + 36 + 16 + 5;
    ASSERT_EQ(B.size(), C + 16);

    // File head.
    EXPECT_EQ(String(B.begin(), B.begin() + 4), "XXFQ");
    EXPECT_EQ(U32(B, 4), Crc(B, 8, 75));
    const uint32_t kHead[] = {1, 100, 7000, 500, 0, 0};
    for (size_t I = 0; I < 6; ++I)
        EXPECT_EQ(U32(B, 8 + 4 * I), kHead[I]) << I;
    EXPECT_EQ(B[32], 8);
    EXPECT_EQ(String(B.begin() + 33, B.begin() + 41), "Language");
    EXPECT_EQ(TBuffer(B.begin() + 41, B.begin() + 107), TBuffer(66, 0));

    // Link to the header's slot, then the group record and its data.
    EXPECT_EQ(String(B.begin() + 107, B.begin() + 111), "XXNQ");
    EXPECT_EQ(U32(B, 111), Crc(B, 115, 8));
    EXPECT_EQ(I64(B, 115), static_cast<int64_t>(A));
    EXPECT_EQ(String(B.begin() + 123, B.begin() + 127), "XXGQ");
    EXPECT_EQ(U32(B, 127), Crc(B, 131, 85));
    EXPECT_EQ(U32(B, 131), Crc("abc"));
    EXPECT_EQ(U32(B, 135), 1u);
    EXPECT_EQ(B[139], 8);
    EXPECT_EQ(String(B.begin() + 140, B.begin() + 148), "Language");
    EXPECT_EQ(B[191], 0);   // removed flag
    EXPECT_EQ(I64(B, 208), static_cast<int64_t>(Packed.size()));
    EXPECT_EQ(TBuffer(B.begin() + 216, B.begin() + static_cast<long>(A)), Packed);

    // Link to the end, then the header record, its table and the raw entry.
    EXPECT_EQ(String(B.begin() + A, B.begin() + A + 4), "XXNQ");
    EXPECT_EQ(I64(B, A + 8), static_cast<int64_t>(C));
    const size_t H = A + 16;
    EXPECT_EQ(String(B.begin() + H, B.begin() + H + 4), "XXHQ");
    EXPECT_EQ(U32(B, H + 4), Crc(B, H + 8, 28));
    EXPECT_EQ(U32(B, H + 8), Crc(B, H + 36, 16));
    EXPECT_EQ(U32(B, H + 12), 1u);   // group id
    EXPECT_EQ(U32(B, H + 16), 3u);   // kind
    EXPECT_EQ(B[H + 26], 1);         // entry count
    EXPECT_EQ(U32(B, H + 36), Crc("hello"));
    EXPECT_EQ(U32(B, H + 40), 7u);
    EXPECT_EQ(I64(B, H + 44), 5);
    EXPECT_EQ(String(B.begin() + H + 52, B.begin() + C), "hello");

    // End record.
    EXPECT_EQ(String(B.begin() + C, B.begin() + C + 4), "XXEQ");
    EXPECT_EQ(TBuffer(B.begin() + C + 4, B.end()), TBuffer(12, 0));
}

TEST_F(ContainerTest, ReadsBackGroupsHeadersAndEntries)
{
    auto Stream = Owned(TMemoryStream::Create());
    String Big(100 * 1024, ' ');
    for (size_t I = 0; I < Big.size(); ++I)
        Big[I] = static_cast<char>('a' + (I * 7 + I / 13) % 26);
    {
        auto Writer = Owned(TXQStream::Create());
        ASSERT_TRUE(Writer->DoOpenStream(rmCreate | rmWrite, Stream.get(), false, nullptr));
        ASSERT_TRUE(Writer->AddGroup("Big", StreamOf(Big).get()));
        ASSERT_TRUE(Writer->BeginHeader("Big", 4, false, nullptr, 3));
        ASSERT_TRUE(Writer->WriteEntryText(-3, "compressed text"));
        ASSERT_TRUE(Writer->WriteEntryText(7, "raw text"));
        EXPECT_TRUE(Writer->EndHeader());
    }
    TBuffer B = BytesOf(Stream.get());
    ASSERT_TRUE(Open(B));
    EXPECT_EQ(GetErrorCode(), 0);
    ASSERT_EQ(FContainer->Groups()->Count(), 1);
    TXRGroupObject* Group = FContainer->Groups()->Items(0);
    EXPECT_LT(Group->Body().StoredSize, 100 * 1024);
    EXPECT_EQ(TextOf(Group->Data()), Big);

    TXRHeaderObject* Header = Group->Headers()->Items(0);
    EXPECT_EQ(Header->Body().Kind, 4);
    EXPECT_EQ(B[static_cast<size_t>(Header->EntryOffset(0))], 0x78);   // id -3 is stored compressed
    EXPECT_EQ(Entry("Big", 0, 0), "compressed text");
    EXPECT_EQ(Entry("Big", 0, 1), "raw text");
    EXPECT_EQ(Header->Table()[2].Id, 0);   // declared but not written
    EXPECT_EQ(Entry("Big", 0, 3), "<failed>");

    auto Dest = Owned(TMemoryStream::Create());
    EXPECT_TRUE(FContainer->ReadEntryChecked("Big", 3, false, nullptr, Dest.get(), 0, 0));
    EXPECT_FALSE(FContainer->ReadEntryChecked("Big", 8, false, nullptr, Dest.get(), 1, 0));
    EXPECT_EQ(GetErrorCode(), kErrRead);

    char Buffer[8];
    EXPECT_TRUE(FContainer->ReadEntryBuffer(Header, 1, nullptr, Buffer, 8));
    EXPECT_EQ(String(Buffer, 8), "raw text");
    EXPECT_FALSE(FContainer->ReadEntryBuffer(Header, 1, nullptr, Buffer, 7));
}

// Entries follow each other even when the stream was read in between, and never pass the
// declared count.
TEST_F(ContainerTest, EntriesFollowEachOtherUpToTheDeclaredCount)
{
    auto Stream = Owned(TMemoryStream::Create());
    auto Writer = Owned(TXQStream::Create());
    ASSERT_TRUE(Writer->DoOpenStream(rmCreate | rmWrite | rmRead, Stream.get(), false, nullptr));
    ASSERT_TRUE(Writer->AddGroup("G", nullptr));
    ASSERT_TRUE(Writer->WriteSingleEntry("G", 1, false, nullptr, StreamOf("first").get(), 1));
    ASSERT_TRUE(Writer->BeginHeader("G", 1, false, nullptr, 2));
    ASSERT_TRUE(Writer->WriteEntryText(1, "one"));
    auto Dest = Owned(TMemoryStream::Create());
    ASSERT_TRUE(Writer->ReadEntry("G", 0, false, nullptr, Dest.get(), 0));
    ASSERT_TRUE(Writer->WriteEntryText(-2, "two"));
    int64_t Size = Stream->Size();
    EXPECT_FALSE(Writer->WriteEntryText(3, "three"));
    EXPECT_EQ(GetErrorCode(), kErrWrite);
    EXPECT_EQ(Stream->Size(), Size);
    ASSERT_TRUE(Writer->EndHeader());
    EXPECT_FALSE(Writer->WriteEntryText(4, "after the end"));
    // Left unfinished: freeing the container frees the header too.
    ASSERT_TRUE(Writer->BeginHeader("G", 1, false, nullptr, 1));

    ASSERT_TRUE(Open(BytesOf(Stream.get())));
    EXPECT_EQ(Entry("G", 1, 0), "one");
    EXPECT_EQ(Entry("G", 1, 1), "two");
}

TEST_F(ContainerTest, AnEmptyContainerIsTheHeadAloneAndHasNoEnd)
{
    auto Stream = Owned(TMemoryStream::Create());
    auto Writer = Owned(TXQStream::Create());
    ASSERT_TRUE(Writer->DoOpenStream(rmCreate, Stream.get(), false, nullptr));
    Writer->Close();
    EXPECT_EQ(Stream->Size(), 107);
    EXPECT_TRUE(Open(BytesOf(Stream.get())));
    EXPECT_EQ(GetErrorCode(), kErrNoEnd);
    EXPECT_EQ(FContainer->Groups()->Count(), 0);
}

TEST_F(ContainerTest, GroupNamesAreCutTo50AndWrittenOnce)
{
    const String kLong(60, 'n');
    auto Stream = Owned(TMemoryStream::Create());
    auto Writer = Owned(TXQStream::Create());
    ASSERT_TRUE(Writer->DoOpenStream(rmCreate | rmWrite, Stream.get(), false, nullptr));
    ASSERT_TRUE(Writer->AddGroup(kLong, StreamOf("x").get()));
    EXPECT_EQ(Writer->Groups()->Items(0)->Body().Name, String(50, 'n'));
    EXPECT_EQ(Writer->Groups()->FindByName(kLong), nullptr);
    ASSERT_TRUE(Writer->AddGroup("Twice", StreamOf("1").get()));
    int64_t Size = Stream->Size();
    EXPECT_TRUE(Writer->AddGroup("Twice", StreamOf("2").get()));
    EXPECT_EQ(Stream->Size(), Size);

    ASSERT_TRUE(Open(BytesOf(Stream.get())));
    EXPECT_NE(FContainer->Groups()->FindByName(String(50, 'n')), nullptr);
    EXPECT_EQ(FContainer->Groups()->FindByName(kLong), nullptr);
    EXPECT_EQ(FContainer->Groups()->Items(1)->Body().Id, 2);
}

TEST_F(ContainerTest, IdentityChecksAndTheCheckEvent)
{
    ASSERT_TRUE(Open(Sample()));
    EXPECT_TRUE(FContainer->CheckIdentity3(100, 7000, 500));
    EXPECT_FALSE(FContainer->CheckIdentity5(100, 7000, 500, 0, 1));
    EXPECT_EQ(GetErrorCode(), kErrIdentity);
    TXRIdentity Identity;
    SetFilerIdentity(Identity, 100, 7000, 500, 0, 0, "Language");
    EXPECT_TRUE(FContainer->CheckIdentityRecord(Identity));
    SetFilerIdentity(Identity, 100, 7000, 500, 0, 0, "language");
    EXPECT_FALSE(FContainer->CheckIdentityRecord(Identity));
    EXPECT_THROW(FContainer->CheckIdentity3(1, 2, 3, true), EXError);

    struct TRefuser {
        int32_t Code;
        void Check(TXRStream*, bool& AAccept)
        {
            AAccept = false;
            if (Code != 0)
                SetFirstError(Code);
        }
    };
    for (int32_t Code : {0, 42}) {
        TRefuser Refuser{Code};
        FStream = StreamOf(Sample());
        FContainer = Owned(TXQStream::Create());
        FContainer->SetOnCheckIdentity(TXRCheckIdentityEvent::Bind<&TRefuser::Check>(&Refuser));
        EXPECT_FALSE(FContainer->DoOpenStream(rmRead, FStream.get(), false, nullptr));
        EXPECT_EQ(GetErrorCode(), Code == 0 ? kErrCrcMismatch : Code);
        EXPECT_FALSE(FContainer->IsOpen());
    }
}

// Offsets of the sample's records, for crafting damage.
struct TSampleLayout {
    size_t A;   // the second link
    size_t H;   // the header record
    size_t C;   // the end record
};

TSampleLayout LayoutOf(const TBuffer& B)
{
    size_t A = static_cast<size_t>(I64(B, 115));
    return {A, A + 16, static_cast<size_t>(I64(B, A + 8))};
}

struct TDamage {
    const char* Name;
    void (*Apply)(TBuffer&);
    int32_t Expected;
};

const TDamage kDamages[] = {
    {"VersionTwo", [](TBuffer& B) { PutU32(B, 8, 2), FixCrc(B, 0, 75); }, kErrIdentity},
    {"FlippedIdentityName", [](TBuffer& B) { B[35] ^= 1; }, kErrCrcMismatch},
    {"WrongHeadTag", [](TBuffer& B) { B[0] = 'Y'; }, kErrCrcMismatch},
    {"IdentityNameLength51", [](TBuffer& B) { B[32] = 51, FixCrc(B, 0, 75); }, kErrCrcMismatch},
    {"ShortHead", [](TBuffer& B) { B.resize(60); }, kErrIdentity},
    {"LinkCrc", [](TBuffer& B) { B[111] ^= 1; }, kErrCrcMismatch},
    {"NotALink", [](TBuffer& B) { B[107] = 'Z'; }, kErrCrcMismatch},
    {"GroupBodyCrc", [](TBuffer& B) { B[150] ^= 1; }, kErrCrcMismatch},
    {"GroupDataCrc", [](TBuffer& B) { B[131] ^= 1, FixCrc(B, 123, 85); }, kErrCrcMismatch},
    {"GroupNameLength200", [](TBuffer& B) { B[139] = 200, FixCrc(B, 123, 85); }, kErrCrcMismatch},
    {"GroupStoredSizeHuge", [](TBuffer& B) { PutI64(B, 208, int64_t(1) << 40), FixCrc(B, 123, 85); }, kErrCrcMismatch},
    {"GroupStoredSizeNegative", [](TBuffer& B) { PutI64(B, 208, -5), FixCrc(B, 123, 85); }, kErrCrcMismatch},
    {"HeaderTableCrc", [](TBuffer& B) { B[LayoutOf(B).H + 36] ^= 1; }, kErrCrcMismatch},
    {"HeaderCountHuge",
     [](TBuffer& B) {
         size_t H = LayoutOf(B).H;
         B[H + 26] = 0xFF, B[H + 27] = 0xFF, FixCrc(B, H, 28);
     },
     kErrCrcMismatch},
    {"EntrySizePastTheRecord",
     [](TBuffer& B) {
         size_t H = LayoutOf(B).H;
         PutI64(B, H + 44, 6);
         PutU32(B, H + 8, Crc(B, H + 36, 16));
         FixCrc(B, H, 28);
     },
     kErrCrcMismatch},
    {"LinkToItself",
     [](TBuffer& B) {
         PutI64(B, 115, 107);
         PutU32(B, 111, Crc(B, 115, 8));
     },
     kErrCrcMismatch},
    {"LinkBackToTheFirstSlot",
     [](TBuffer& B) {
         size_t A = LayoutOf(B).A;
         PutI64(B, A + 8, 107);
         PutU32(B, A + 4, Crc(B, A + 8, 8));
     },
     kErrCrcMismatch},
    {"LinkPastTheEnd",
     [](TBuffer& B) {
         size_t A = LayoutOf(B).A;
         PutI64(B, A + 8, static_cast<int64_t>(B.size()) + 100);
         PutU32(B, A + 4, Crc(B, A + 8, 8));
     },
     kErrCrcMismatch},
    {"CutInsideASlot", [](TBuffer& B) { B.resize(LayoutOf(B).A + 8); }, kErrWalk},
};

class DamagedContainerTest : public ContainerTest, public ::testing::WithParamInterface<TDamage> {};

TEST_P(DamagedContainerTest, IsRefusedWithItsCode)
{
    TBuffer B = Sample();
    GetParam().Apply(B);
    EXPECT_FALSE(Open(B));
    EXPECT_EQ(GetErrorCode(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedContainerTest, ::testing::ValuesIn(kDamages),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(ContainerTest, DamagedEntryDataFailsItsRead)
{
    TBuffer B = Sample();
    B[LayoutOf(B).C - 1] ^= 1;
    ASSERT_TRUE(Open(B));
    EXPECT_EQ(Entry("Language", 0, 0), "<failed>");
    EXPECT_EQ(GetErrorCode(), kErrCrcMismatch);
    EXPECT_EQ(FContainer->LastEntryCount(), 0);
}

// Builds a container from a head and record chunks, linking them in the given order.
TBuffer Chain(const TBuffer& AHead, const std::vector<TBuffer>& ARecords)
{
    TBuffer B = AHead;
    for (const TBuffer& Record : ARecords) {
        size_t Slot = B.size();
        B.resize(Slot + 16);
        B.insert(B.end(), Record.begin(), Record.end());
        std::memcpy(B.data() + Slot, "XXNQ", 4);
        PutI64(B, Slot + 8, static_cast<int64_t>(B.size()));
        PutU32(B, Slot + 4, Crc(B, Slot + 8, 8));
    }
    TBuffer End(16, 0);
    std::memcpy(End.data(), "XXEQ", 4);
    B.insert(B.end(), End.begin(), End.end());
    return B;
}

struct TSampleParts {
    TBuffer Head, Group, Header;
};

TSampleParts PartsOf(const TBuffer& B)
{
    TSampleLayout L = LayoutOf(B);
    return {TBuffer(B.begin(), B.begin() + 107), TBuffer(B.begin() + 123, B.begin() + static_cast<long>(L.A)),
            TBuffer(B.begin() + static_cast<long>(L.H), B.begin() + static_cast<long>(L.C))};
}

TEST_F(ContainerTest, AHeaderBeforeItsGroupFindsItOnceTheGroupIsRead)
{
    TSampleParts P = PartsOf(Sample());
    ASSERT_TRUE(Open(Chain(P.Head, {P.Header, P.Group})));
    EXPECT_EQ(GetErrorCode(), 0);
    ASSERT_EQ(FContainer->Groups()->Count(), 1);
    EXPECT_EQ(FContainer->Groups()->Items(0)->Body().Name, "Language");
    EXPECT_EQ(TextOf(FContainer->Groups()->Items(0)->Data()), "abc");
    EXPECT_EQ(Entry("Language", 0, 0), "hello");
}

TEST_F(ContainerTest, TheFirstGroupOfAnIdWins)
{
    TSampleParts P = PartsOf(Sample());
    TBuffer Second = P.Group;
    Second[8 + 9] = 'X';   // "Xanguage", same id 1
    FixCrc(Second, 0, 85);
    ASSERT_TRUE(Open(Chain(P.Head, {P.Group, Second, P.Header})));
    ASSERT_EQ(FContainer->Groups()->Count(), 1);
    EXPECT_EQ(FContainer->Groups()->Items(0)->Body().Name, "Language");
    EXPECT_EQ(FContainer->Groups()->Items(0)->Headers()->Count(), 1);
}

// A header whose group record is lost hangs on a nameless placeholder; the compacting copy
// keeps the header and writes no group record for the placeholder.
TEST_F(ContainerTest, AHeaderWithoutItsGroupSurvivesTheCopy)
{
    TSampleParts P = PartsOf(Sample());
    ASSERT_TRUE(Open(Chain(P.Head, {P.Header})));
    ASSERT_EQ(FContainer->Groups()->Count(), 1);
    TXRGroupObject* Placeholder = FContainer->Groups()->Items(0);
    EXPECT_EQ(Placeholder->Body().Name, "");
    EXPECT_EQ(Placeholder->Offset(), 0);

    auto Copy = Owned(TMemoryStream::Create());
    ASSERT_TRUE(FContainer->CopyTo(Copy.get(), nullptr));
    EXPECT_EQ(BytesOf(Copy.get()), Chain(P.Head, {P.Header}));
}

TEST_F(ContainerTest, CompactingLeavesRemovedRecordsOutAndRelinks)
{
    auto Stream = Owned(TMemoryStream::Create());
    {
        auto Writer = Owned(TXQStream::Create());
        ASSERT_TRUE(Writer->DoOpenStream(rmCreate | rmWrite, Stream.get(), false, nullptr));
        ASSERT_TRUE(Writer->AddGroupText("One", "first group"));
        ASSERT_TRUE(Writer->AddGroupText("Two", "second group"));
        for (const char* Text : {"kept 1", "removed", "kept 2"})
            ASSERT_TRUE(Writer->WriteSingleEntry("One", 5, false, nullptr, StreamOf(String(Text)).get(), -4));
        ASSERT_TRUE(Writer->WriteSingleEntry("Two", 5, false, nullptr, StreamOf("two's").get(), 1));
    }
    TBuffer B = BytesOf(Stream.get());
    ASSERT_TRUE(Open(B));
    TXRHeaderObject* Removed = FContainer->Groups()->Items(0)->Headers()->Items(1);
    int64_t RemovedSize = kXRSlotSize + Removed->RecordExtent();
    B[static_cast<size_t>(Removed->Offset()) + 8 + 13] = 1;
    FixCrc(B, static_cast<size_t>(Removed->Offset()), 28);

    ASSERT_TRUE(Open(B));
    auto Copy = Owned(TMemoryStream::Create());
    Copy->WriteBuffer(B.data(), static_cast<int64_t>(B.size()));   // longer than the copy: nothing may stay
    ASSERT_TRUE(FContainer->CopyTo(Copy.get(), nullptr));
    EXPECT_EQ(Copy->Size(), static_cast<int64_t>(B.size()) - RemovedSize);

    ASSERT_TRUE(Open(BytesOf(Copy.get())));
    EXPECT_EQ(GetErrorCode(), 0);
    ASSERT_EQ(FContainer->Groups()->Count(), 2);
    EXPECT_EQ(FContainer->Groups()->Items(0)->Headers()->Count(), 2);
    EXPECT_EQ(Entry("One", 0, 0), "kept 1");
    EXPECT_EQ(Entry("One", 1, 0), "kept 2");
    EXPECT_EQ(Entry("Two", 0, 0), "two's");
    String Text;
    EXPECT_TRUE(FContainer->ReadEntryText("Two", 0, false, nullptr, Text, 0));
    EXPECT_EQ(Text, "two's");
}

TEST_F(ContainerTest, AppendingContinuesTheChainWithNewGroupIds)
{
    auto Stream = StreamOf(Sample());
    {
        auto Appender = Owned(TXQStream::Create());
        ASSERT_TRUE(Appender->OpenStream(rmRead | rmWrite, Stream.get(), false, nullptr));
        EXPECT_EQ(Appender->EndOffset(), Stream->Size() - 16);
        EXPECT_EQ(Appender->Groups()->Count(), 0);
        ASSERT_TRUE(Appender->AddGroupText("Second", "more"));
        EXPECT_EQ(Appender->Groups()->Items(0)->Body().Id, 2);
        ASSERT_TRUE(Appender->WriteSingleEntry("Second", 3, false, nullptr, StreamOf("second entry").get(), 7));
    }
    ASSERT_TRUE(Open(BytesOf(Stream.get())));
    EXPECT_EQ(GetErrorCode(), 0);
    ASSERT_EQ(FContainer->Groups()->Count(), 2);
    EXPECT_EQ(Entry("Language", 0, 0), "hello");
    EXPECT_EQ(Entry("Second", 0, 0), "second entry");
}

// A write that stopped after a link but before its end record: the walk stops at the stream's
// end without an end record, and appending starts over the dangling link.
TEST_F(ContainerTest, AnInterruptedAppendIsReadableAndRepairedByTheNextOne)
{
    TBuffer B = Sample();
    B.resize(B.size() - 16);
    EXPECT_TRUE(Open(B));
    EXPECT_EQ(GetErrorCode(), kErrNoEnd);
    EXPECT_EQ(Entry("Language", 0, 0), "hello");

    TBuffer Dangling = B;
    Dangling.resize(B.size() + 16);
    std::memcpy(Dangling.data() + B.size(), "XXNQ", 4);
    PutI64(Dangling, B.size() + 8, static_cast<int64_t>(B.size()) + 500);
    auto Stream = StreamOf(Dangling);
    {
        auto Appender = Owned(TXQStream::Create());
        ASSERT_TRUE(Appender->OpenStream(rmWrite, Stream.get(), false, nullptr));
        EXPECT_EQ(Appender->EndOffset(), static_cast<int64_t>(B.size()));
        ASSERT_TRUE(Appender->AddGroupText("After", "repaired"));
    }
    ASSERT_TRUE(Open(BytesOf(Stream.get())));
    EXPECT_EQ(GetErrorCode(), 0);
    EXPECT_EQ(FContainer->Groups()->Count(), 2);
}

// An append must never land where no reader looks: a chain that does not lead to the
// stream's tail is refused, and the stream is left as it was.
TEST_F(ContainerTest, AppendingRefusesAChainThatDoesNotReachTheTail)
{
    const TDamage kChainDamages[] = {
        kDamages[5],   // LinkCrc
        kDamages[6],   // NotALink
        {"BytesAfterTheEnd", [](TBuffer& B) { B.insert(B.end(), 40, 'x'); }, 0},
        {"HalfASlotAfterTheEnd", [](TBuffer& B) { B.insert(B.end(), 8, 0); }, 0},
        {"LinkBackToTheFirstSlot", kDamages[15].Apply, 0},
        {"LinkPastTheEnd", kDamages[16].Apply, 0},
    };
    for (const TDamage& Damage : kChainDamages) {
        SCOPED_TRACE(Damage.Name);
        TBuffer B = Sample();
        Damage.Apply(B);
        auto Stream = StreamOf(B);
        auto Appender = Owned(TXQStream::Create());
        EXPECT_FALSE(Appender->OpenStream(rmRead | rmWrite, Stream.get(), false, nullptr));
        EXPECT_EQ(GetErrorCode(), kErrCrcMismatch);
        EXPECT_TRUE(Appender->Damaged());
        EXPECT_FALSE(Appender->AddGroupText("Lost", "never written"));
        EXPECT_EQ(BytesOf(Stream.get()), B);
    }
}

TEST_F(ContainerTest, AContainerInsideALargerStreamKeepsRelativeOffsets)
{
    TBuffer Plain = Sample();
    auto Stream = StreamOf(TBuffer(4096, 0xEE));
    {
        auto Writer = Owned(TXQStream::Create());
        TXRIdentity Identity;
        SetFilerIdentity(Identity, 100, 7000, 500, 0, 0, "Language");
        Writer->SetIdentity(Identity);
        ASSERT_TRUE(Writer->DoOpenStream(rmCreate | rmWrite, Stream.get(), false, nullptr, 4096));
        ASSERT_TRUE(Writer->AddGroup("Language", StreamOf("abc").get()));
        ASSERT_TRUE(Writer->WriteSingleEntry("Language", 3, false, nullptr, StreamOf("hello").get(), 7));
    }
    TBuffer B = BytesOf(Stream.get());
    EXPECT_EQ(TBuffer(B.begin() + 4096, B.end()), Plain);

    FContainer = Owned(TXQStream::Create());
    ASSERT_TRUE(FContainer->DoOpenStream(rmRead, Stream.get(), false, nullptr, 4096));
    auto Dest = Owned(TMemoryStream::Create());
    ASSERT_TRUE(FContainer->ReadEntry("Language", 0, false, nullptr, Dest.get(), 0));
    EXPECT_EQ(TextOf(Dest.get()), "hello");
}

class ContainerFileTest : public ContainerTest {
protected:
    void SetUp() override
    {
        ContainerTest::SetUp();
        char Template[] = "/tmp/qstream_XXXXXX";
        FDir = ::mkdtemp(Template);
    }
    void TearDown() override
    {
        FContainer.reset();
        std::system(("rm -rf " + FDir).c_str());
    }
    String FDir;
};

TEST_F(ContainerFileTest, FilesAreCreatedReadAndGuarded)
{
    String Name = FDir + "/pack.xq";
    auto Writer = Owned(TXQStream::Create());
    ASSERT_TRUE(Writer->DoOpenFile(rmCreate | rmWrite, Name, false, nullptr));
    ASSERT_TRUE(Writer->AddGroupText("Text", "in a file"));
    Writer->Close();

    FContainer = Owned(TXQStream::Create());
    ASSERT_TRUE(FContainer->DoOpenFile(rmRead, Name, false, nullptr));
    EXPECT_EQ(TextOf(FContainer->Groups()->Items(0)->Data()), "in a file");
    // A reader keeps writers out.
    EXPECT_FALSE(Writer->OpenFile(rmWrite, Name, false, nullptr));
    EXPECT_EQ(GetErrorCode(), kErrRead);
    EXPECT_FALSE(Writer->IsOpen());

    EXPECT_FALSE(FContainer->DoOpenFile(rmRead, FDir + "/missing.xq", false, nullptr));
    EXPECT_EQ(GetErrorCode(), kErrRead);
    EXPECT_NE(GetErrorText().find("missing.xq"), String::npos);
}

// On a full disk an append fails with the system's reason and is undone; once there is room
// again the next append is seen by readers, and the file ends with its end record.
TEST_F(ContainerTest, AFailedAppendOnAFullDiskIsUndone)
{
    XTestFixtures::TSmallDisk Disk(256 * 1024);
    if (!Disk.Mounted())
        GTEST_SKIP() << Disk.Why();
    String Name = Disk / "notes.xq";
    auto Writer = Owned(TXQStream::Create());
    ASSERT_TRUE(Writer->DoOpenFile(rmCreate | rmWrite, Name, false, nullptr));
    ASSERT_TRUE(Writer->AddGroupText("First", "kept"));
    Writer->Close();
    TBuffer Before = ReadFileBytes(Name);

    // Data that does not compress, more than the disk has left.
    TBuffer Noise(64 * 1024);
    uint32_t Seed = 1;
    for (uint8_t& Byte : Noise)
        Byte = static_cast<uint8_t>((Seed = Seed * 1103515245 + 12345) >> 16);
    Disk.Fill();
    ASSERT_TRUE(Writer->OpenFile(rmRead | rmWrite, Name, false, nullptr));
    EXPECT_FALSE(Writer->AddGroup("Big", StreamOf(Noise).get()));
    EXPECT_EQ(GetErrorCode(), kErrWrite);
    EXPECT_NE(GetErrorText().find(SystemErrorText(ENOSPC)), String::npos) << GetErrorText();
    Writer->Close();
    EXPECT_EQ(ReadFileBytes(Name), Before);

    Disk.Free();
    ASSERT_TRUE(Writer->OpenFile(rmRead | rmWrite, Name, false, nullptr));
    ASSERT_TRUE(Writer->AddGroupText("Later", "seen"));
    Writer->Close();
    FContainer = Owned(TXQStream::Create());
    ASSERT_TRUE(FContainer->DoOpenFile(rmRead, Name, false, nullptr));
    EXPECT_EQ(GetErrorCode(), 0);
    ASSERT_EQ(FContainer->Groups()->Count(), 2);
    EXPECT_EQ(TextOf(FContainer->Groups()->Items(1)->Data()), "seen");
    EXPECT_EQ(FContainer->EndOffset() + 16, static_cast<int64_t>(ReadFileBytes(Name).size()));
}

// A header whose entry cannot be written goes whole, and the container reads as before.
TEST_F(ContainerTest, AHeaderWithAFailedEntryIsUndone)
{
    TBuffer B = Sample();
    auto Stream = StreamOf(B);
    auto Appender = Owned(TXQStream::Create());
    ASSERT_TRUE(Appender->DoOpenStream(rmRead | rmWrite, Stream.get(), false, nullptr));
    ASSERT_TRUE(Appender->BeginHeader("Language", 3, false, nullptr, 2));
    ASSERT_TRUE(Appender->WriteEntryText(-1, "first entry"));
    auto Unreadable = StreamOf("short");
    EXPECT_FALSE(Appender->WriteEntryStream(5, Unreadable.get(), nullptr, 0, 1000));
    EXPECT_FALSE(Appender->EndHeader());
    EXPECT_EQ(BytesOf(Stream.get()), B);
}

// ---- Progress ----

// A progress gear without an engine, so positions arrive at once, in order.
class ContainerProgressTest : public ContainerTest {
protected:
    void SetUp() override
    {
        ContainerTest::SetUp();
        Gear = TXProgressGear::Create(TIntf<IXEngine>());
        Gear->Subscribe(TXProgressChangedAspect::StaticClass(),
                        TXNotificationHandler::Bind<&ContainerProgressTest::Hear>(this));
        Root = Gear->Manager()->Start("Container");
    }
    void TearDown() override { Gear->Free(); }

    void Hear(IXNotification* ANotification)
    {
        Positions.push_back(AspectOf<TXProgressChangedAspect>(ANotification)->Position);
    }

    // 1 MiB that compresses well, so the compressed size says little about the inflated one.
    static String Compressible()
    {
        String Data(1 << 20, ' ');
        for (size_t I = 0; I < Data.size(); ++I)
            Data[I] = "block data "[I % 11] + static_cast<char>(I / 997 % 3);
        return Data;
    }

    TXProgressGear* Gear = nullptr;
    TXProgress* Root = nullptr;
    std::vector<int32_t> Positions;
};

// The header's start, the entry and its end take 10, 80 and 10 percent; the entry reports the
// share of its input compressed after each 64 KiB, rounded halves to even.
TEST_F(ContainerProgressTest, ASingleEntryWriteReportsItsShares)
{
    auto Stream = Owned(TMemoryStream::Create());
    auto Writer = Owned(TXQStream::Create());
    ASSERT_TRUE(Writer->DoOpenStream(rmCreate | rmWrite, Stream.get(), false, nullptr));
    ASSERT_TRUE(Writer->AddGroupText("Pack", ""));
    ASSERT_TRUE(Writer->WriteSingleEntry("Pack", 3, false, Root, StreamOf(Compressible()).get(), -2));
    Root->Finish();
    // 6.25 % of the entry per 64 KiB: 12.5 rounds to 12, 37.5 to 38, 62.5 to 62, 87.5 to 88.
    EXPECT_EQ(Positions, (std::vector<int32_t>{100, 148, 196, 252, 300, 348, 404, 452, 500, 548, 596, 652, 700, 748,
                                               804, 852, 900, 1000}));
}

// Inflating reports the share of the stored bytes consumed, so a well-compressed entry moves the
// display along its whole read instead of filling it with the first 64 KiB.
TEST_F(ContainerProgressTest, AnEntryReadReportsAsItInflates)
{
    auto Stream = Owned(TMemoryStream::Create());
    {
        auto Writer = Owned(TXQStream::Create());
        ASSERT_TRUE(Writer->DoOpenStream(rmCreate | rmWrite, Stream.get(), false, nullptr));
        ASSERT_TRUE(Writer->AddGroupText("Pack", ""));
        ASSERT_TRUE(Writer->WriteSingleEntry("Pack", 3, false, nullptr, StreamOf(Compressible()).get(), -2));
    }
    ASSERT_TRUE(Open(BytesOf(Stream.get())));
    Root->BeginSubRange(40);
    auto Dest = Owned(TMemoryStream::Create());
    ASSERT_TRUE(FContainer->ReadEntry("Pack", 0, false, Root->BeginSubRange(50), Dest.get(), 0));
    EXPECT_EQ(TextOf(Dest.get()), Compressible());
    ASSERT_GE(Positions.size(), 8u);   // one report for each 64 KiB inflated, rounding aside
    EXPECT_EQ(Positions.front(), 400);   // the first share closed
    EXPECT_TRUE(std::is_sorted(Positions.begin(), Positions.end()));
    EXPECT_EQ(std::adjacent_find(Positions.begin(), Positions.end()), Positions.end());
    EXPECT_EQ(Positions.back(), 900);
}

// Steps: the head, the count of headers, the three headers, and the end.
TEST_F(ContainerProgressTest, TheCompactingCopyStepsThroughItsHeaders)
{
    auto Stream = Owned(TMemoryStream::Create());
    {
        auto Writer = Owned(TXQStream::Create());
        ASSERT_TRUE(Writer->DoOpenStream(rmCreate | rmWrite, Stream.get(), false, nullptr));
        ASSERT_TRUE(Writer->AddGroupText("One", "1"));
        ASSERT_TRUE(Writer->AddGroupText("Two", "2"));
        for (const char* Group : {"One", "One", "Two"})
            ASSERT_TRUE(Writer->WriteSingleEntry(Group, 5, false, nullptr, StreamOf(String(Group)).get(), 1));
    }
    ASSERT_TRUE(Open(BytesOf(Stream.get())));
    auto Copy = Owned(TMemoryStream::Create());
    ASSERT_TRUE(FContainer->CopyTo(Copy.get(), Root));
    EXPECT_EQ(Positions, (std::vector<int32_t>{1, 333, 500, 667, 833, 1000}));
    EXPECT_EQ(Gear->Manager()->Current(), nullptr);   // the root was finished
}

}  // namespace

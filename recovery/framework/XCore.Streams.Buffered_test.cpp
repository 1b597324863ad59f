// The read window at its edges, unreadable sectors, a pulled card, slow reads, block streams
// and the tolerant read helpers, on card images made by the fixture script.
#include "XCore.Streams.Buffered.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "../../tests/fixtures/CardImages.h"
#include "Win.Volumes.h"
#include "XCore.Errors.h"

extern "C" int XReadFaultLoaded(void);

namespace {

using XTestFixtures::CardImage;
using TBytes = std::vector<uint8_t>;

TBytes FileBytes(const String& APath)
{
    std::ifstream File(APath, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(File), {});
}

// Read faults of the shim for the scope of a test.
class TReadFaults {
public:
    TReadFaults(const String& APath, const String& AFaults)
    {
        EXPECT_EQ(XReadFaultLoaded(), 1);
        ::setenv("X_READFAULT", (APath + ";" + AFaults).c_str(), 1);
    }
    ~TReadFaults() { ::unsetenv("X_READFAULT"); }
};

class BufStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    const String Image = CardImage();
    const TBytes Source = FileBytes(Image);
};

// Both kinds of window: over a file stream, and straight over the volume.
using TMakeStream = TXCustomBufStream* (*)(const String&);
TXCustomBufStream* MakeFileStream(const String& APath)
{
    return TXBufFileStream::Create(APath, fmOpenRead | fmShareDenyWrite, 262144);
}
TXCustomBufStream* MakeDiskStream(const String& APath)
{
    return TXBufDiskStream::Create(APath, 262144, 4);
}

class BufStreamKindTest : public BufStreamTest, public ::testing::WithParamInterface<TMakeStream> {};

TEST_P(BufStreamKindTest, ReadsAcrossWindowsAndStopsAtTheEnd)
{
    TOwned<TXCustomBufStream> Stream = Owned(GetParam()(Image));
    const int64_t Size = static_cast<int64_t>(Source.size());
    ASSERT_EQ(Stream->Size(), Size);
    TBytes Bytes(1000);
    Stream->Seek(262144 - 500, soBeginning);
    ASSERT_EQ(Stream->Read(Bytes.data(), 1000), 1000);
    EXPECT_TRUE(std::equal(Bytes.begin(), Bytes.end(), Source.begin() + 262144 - 500));

    Stream->Seek(Size - 4, soBeginning);
    EXPECT_EQ(Stream->Read(Bytes.data(), 10), 4);
    EXPECT_EQ(Stream->Position(), Size);
    EXPECT_TRUE(std::equal(Bytes.begin(), Bytes.begin() + 4, Source.end() - 4));
    EXPECT_EQ(Stream->Read(Bytes.data(), 10), 0);
    EXPECT_EQ(GetErrorCode(), kErrReadPastEnd);

    EXPECT_EQ(Stream->Seek(0, soEnd), Size);
    EXPECT_EQ(Stream->Seek(Size + 1, soEnd), 0);
    EXPECT_EQ(Stream->Seek(Size + 9, soBeginning), Size);
}

TEST_P(BufStreamKindTest, AnUnreadableSectorCostsExactlyThatSector)
{
    const int64_t Bad = 3 * 262144 + 7 * 512;
    TReadFaults Faults(Image, IntToStr(Bad) + "-" + IntToStr(Bad + 512) + "=EIO");
    TOwned<TXCustomBufStream> Stream = Owned(GetParam()(Image));
    std::vector<int64_t> Reported;
    struct TSink {
        std::vector<int64_t>* Offsets;
        void BadSector(TObject*, int64_t AOffset, int32_t ASize, int AErrno)
        {
            EXPECT_EQ(ASize, 512);
            EXPECT_EQ(AErrno, EIO);
            Offsets->push_back(AOffset);
        }
    } Sink{&Reported};
    Stream->SetOnBadSector(TXBadSectorEvent::Bind<&TSink::BadSector>(&Sink));

    // With errors reported, the good bytes around the sector read, the sector itself raises.
    TBytes Bytes(512);
    ASSERT_TRUE(StreamReadAt(Stream.get(), Bytes.data(), 512, Bad - 512));
    EXPECT_TRUE(std::equal(Bytes.begin(), Bytes.end(), Source.begin() + Bad - 512));
    EXPECT_EQ(GetErrorCode(), 0);
    Stream->Seek(Bad + 100, soBeginning);
    EXPECT_THROW(Stream->Read(Bytes.data(), 1), EXError);
    EXPECT_EQ(GetErrorCode(), kVolumeReadFailed);
    EXPECT_EQ(GetErrorData().Value, EIO);

    // Without, the whole card reads, and only that sector differs from it: zeros.
    ClearError();
    Reported.clear();
    Stream->SetReportErrors(false);
    TBytes All(Source.size());
    Stream->Seek(0, soBeginning);
    ASSERT_EQ(Stream->Read(All.data(), static_cast<int64_t>(All.size())), static_cast<int64_t>(All.size()));
    TBytes Expected = Source;
    std::fill_n(Expected.begin() + Bad, 512, 0);
    EXPECT_TRUE(All == Expected);
    EXPECT_EQ(GetErrorCode(), kVolumeReadFailed);
    EXPECT_EQ(Reported, std::vector<int64_t>{Bad});
}

TEST_P(BufStreamKindTest, APulledCardFailsTheReadWithCodeElevenEveryTime)
{
    TOwned<TXCustomBufStream> Stream = Owned(GetParam()(Image));
    TReadFaults Faults(Image, "1048576-8388608=ENODEV");
    Stream->SetReportErrors(false);   // a vanished device raises all the same
    TBytes Bytes(16);
    for (int Attempt = 0; Attempt < 2; ++Attempt) {
        Stream->Seek(2 << 20, soBeginning);
        try {
            Stream->Read(Bytes.data(), 16);
            ADD_FAILURE() << "the read of a removed card succeeded";
        } catch (const EXError& E) {
            EXPECT_STREQ(E.what(), "11");
        }
        EXPECT_EQ(GetErrorCode(), kVolumeMissing);
        EXPECT_EQ(GetErrorData().Value, ENODEV);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BufStreamKindTest, ::testing::Values(&MakeFileStream, &MakeDiskStream),
                         [](const auto& AInfo) { return AInfo.index == 0 ? "File" : "Disk"; });

TEST_F(BufStreamTest, AVolumeStreamCoversTheWholeDeviceInSectorWindows)
{
    TOwned<TXBufDiskStream> Stream = Owned(TXBufDiskStream::Create(Image, 262144 + 100, 4));
    EXPECT_EQ(Stream->BufferSize(), 262144);
    EXPECT_EQ(Stream->Size(), static_cast<int64_t>(Source.size()));
    EXPECT_EQ(Stream->DiskInfo().DiskSize, Stream->Size());
    EXPECT_LT(Stream->DiskInfo().TotalBytes, Stream->Size());   // the file system's data area is smaller
    EXPECT_EQ(Stream->DiskInfo().FileSystemName, "FAT");
    uint8_t Last = 0xAA;
    EXPECT_TRUE(StreamReadByteAt(Stream.get(), Last, Stream->Size() - 1));
    EXPECT_EQ(Last, Source.back());
}

TEST_F(BufStreamTest, OpenFailuresRecordTheirCodes)
{
    const String Missing = (XTestFixtures::ScratchFolder() / "missing.img").string();
    EXPECT_THROW(TXBufFileStream::Create(Missing, fmOpenRead, 262144), EXError);
    EXPECT_EQ(GetErrorCode(), kErrFileNotFound);
    EXPECT_EQ(GetErrorText(), Missing);
    ClearError();
    try {
        TXBufDiskStream::Create(Missing, 262144, 4);
        ADD_FAILURE();
    } catch (const EXError& E) {
        EXPECT_STREQ(E.what(), "11");
    }
}

TEST_F(BufStreamTest, ASlowReadIsReported)
{
    TReadFaults Faults(Image, "0-512=SLOW1200");
    TOwned<TXBufDiskStream> Stream = Owned(TXBufDiskStream::Create(Image, 262144, 4));
    struct TSink {
        uint32_t Elapsed = 0;
        void SlowRead(TObject*, uint32_t AElapsedMs) { Elapsed = AElapsedMs; }
    } Sink;
    Stream->SetOnSlowRead(TXSlowReadEvent::Bind<&TSink::SlowRead>(&Sink));
    uint8_t Byte = 0;
    EXPECT_TRUE(StreamReadByteAt(Stream.get(), Byte, 0));
    EXPECT_GE(Sink.Elapsed, 1200u);
}

TEST_F(BufStreamTest, ABlockStreamReadsAcrossGaps)
{
    TOwned<TXCustomBufStream> Inner = Owned(MakeDiskStream(Image));
    TOwned<TXBlocks> Blocks = Owned(TXBlocks::Create());
    Blocks->Add(10, 5);
    Blocks->Add(262140, 8);   // across a window edge
    Blocks->Add(100, 5);
    TOwned<TXBlockStream> Stream = Owned(TXBlockStream::Create(Inner.get(), Blocks.get()));
    TOwned<TXBlockStream> Other = Owned(TXBlockStream::Create(Inner.get(), Blocks.get()));
    ASSERT_EQ(Stream->Size(), 18);

    TBytes Expected;
    for (const TXBlock& B : *Blocks)
        Expected.insert(Expected.end(), Source.begin() + B.Start, Source.begin() + B.Start + B.Size);
    TBytes Bytes(30, 0xEE);
    EXPECT_EQ(Stream->Read(Bytes.data(), 3), 3);
    uint8_t Byte = 0;
    ASSERT_TRUE(StreamReadByteAt(Other.get(), Byte, 17));   // moves the shared inner stream
    EXPECT_EQ(Byte, Source[104]);
    EXPECT_EQ(Stream->Read(Bytes.data() + 3, 27), 15);
    Bytes.resize(18);
    EXPECT_EQ(Bytes, Expected);
    EXPECT_EQ(Stream->Read(Bytes.data(), 1), 0);

    EXPECT_EQ(Stream->Seek(15, soBeginning), 15);
    EXPECT_EQ(Stream->PhysicalPosition(), 102);
    EXPECT_TRUE(StreamReadNext(Stream.get(), Bytes.data(), 3));
    EXPECT_FALSE(StreamReadNext(Stream.get(), Bytes.data(), 1));

    TOwned<TXBlocks> None = Owned(TXBlocks::Create());
    TOwned<TXBlockStream> Empty = Owned(TXBlockStream::Create(Inner.get(), None.get()));
    EXPECT_EQ(Empty->Size(), 0);
    EXPECT_EQ(Empty->Read(Bytes.data(), 4), 0);
}

TEST_F(BufStreamTest, ReadHelpersStopOnlyAtTheEnd)
{
    TOwned<TXCustomBufStream> Stream = Owned(MakeFileStream(Image));
    const int64_t Size = Stream->Size();
    TBytes Bytes(4);
    Stream->Seek(Size - 4, soBeginning);
    EXPECT_TRUE(StreamReadNext(Stream.get(), Bytes.data(), 4));
    Stream->Seek(Size - 3, soBeginning);
    EXPECT_FALSE(StreamReadNext(Stream.get(), Bytes.data(), 4));
    uint8_t Byte = 0;
    EXPECT_FALSE(StreamReadByteAt(Stream.get(), Byte, Size));
    EXPECT_FALSE(StreamReadAt(Stream.get(), Bytes.data(), 4, -1));
    EXPECT_FALSE(StreamSeekTo(Stream.get(), Size));
    EXPECT_TRUE(StreamSeekTo(Stream.get(), Size - 1));
}

}  // namespace

// zlib streams and data blocks: exact bytes per level, window-bounded reads, damage and limits.
#include "XCore.Streams.ZLib.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <stdexcept>
#include <vector>

#include "XCore.Engine.Notifications.h"
#include "XCore.Errors.h"
#include "XCore.Progress.h"
#include "XCore.Streams.h"

namespace {

class BlockTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
};

using TBuffer = std::vector<uint8_t>;

TBuffer Sample(size_t ASize)
{
    TBuffer Data(ASize);
    for (size_t I = 0; I < ASize; ++I)
        Data[I] = static_cast<uint8_t>("block data "[I % 11] + (I / 997) % 3);
    return Data;
}

TOwned<TMemoryStream> ZStreamOf(const TBuffer& AData)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AData.data(), static_cast<int64_t>(AData.size()));
    return Stream;
}

TBuffer BytesOf(TMemoryStream* AStream, int64_t AFrom = 0)
{
    return TBuffer(AStream->Memory() + AFrom, AStream->Memory() + AStream->Size());
}

struct TLevelCase {
    const char* Name;
    TXZLevel Level;
    int ZLibLevel;
    uint8_t Header1;
};

const TLevelCase kLevels[] = {
    {"None", zlNone, 0, 0x01},
    {"Fastest", zlFastest, 1, 0x01},
    {"Default", zlDefault, 6, 0x9C},
    {"Best", zlBest, 9, 0xDA},
};

class LevelTest : public BlockTest, public ::testing::WithParamInterface<TLevelCase> {};

// A compression stream at a level code writes the bytes zlib's own compress2 writes at that
// level, and they read back.
TEST_P(LevelTest, CompressesExactlyAsZLibAndReadsBack)
{
    TBuffer Data = Sample(100000);
    uLongf Length = compressBound(Data.size());
    TBuffer Expected(Length);
    ASSERT_EQ(compress2(Expected.data(), &Length, Data.data(), Data.size(), GetParam().ZLibLevel), Z_OK);
    Expected.resize(Length);

    auto Dest = Owned(TMemoryStream::Create());
    auto Deflater = Owned(TXZCompressionStream::Create(Dest.get(), GetParam().Level));
    EXPECT_EQ(Deflater->WriteBuffer(Data.data(), 100000), 100000);
    Deflater->Finish();
    // Stored blocks are cut where the output buffer fills, so only the compressing levels
    // must match zlib byte for byte.
    if (GetParam().Level != zlNone) {
        EXPECT_EQ(BytesOf(Dest.get()), Expected);
    }
    EXPECT_EQ(Dest->Memory()[0], 0x78);
    EXPECT_EQ(Dest->Memory()[1], GetParam().Header1);
    EXPECT_EQ(Expected[0], 0x78);
    EXPECT_EQ(Expected[1], GetParam().Header1);

    auto Back = Owned(TMemoryStream::Create());
    ASSERT_TRUE(ReadStreamBlock(Dest.get(), Back.get(), true, 0, Dest->Size(), nullptr, false));
    EXPECT_EQ(BytesOf(Back.get()), Data);
}

INSTANTIATE_TEST_SUITE_P(Codes, LevelTest, ::testing::ValuesIn(kLevels),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(BlockTest, DataBlockOfZerosIsAShortZLibStream)
{
    TBuffer Zeros(10000, 0);
    auto Dest = Owned(TMemoryStream::Create());
    Dest->WriteBuffer("pad", 3);
    int64_t Offset = -1, Stored = -1;
    uint32_t Crc = 0;
    ASSERT_TRUE(WriteDataBlockCrc(Dest.get(), Offset, Stored, Crc, false, nullptr, zlDefault, 10000, Zeros.data()));
    EXPECT_EQ(Offset, 3);
    EXPECT_EQ(Stored, Dest->Size() - 3);
    EXPECT_LT(Stored, 100);
    EXPECT_EQ(Dest->Memory()[3], 0x78);
    EXPECT_EQ(Dest->Memory()[4], 0x9C);
    EXPECT_EQ(Crc, crc32(0, Zeros.data(), 10000));

    TBuffer Back(10000, 1);
    int64_t Read = 0;
    ASSERT_TRUE(ReadDataBlockCrc(Dest.get(), Crc, Back.data(), true, Offset, 10000, nullptr, false, &Read));
    EXPECT_EQ(Read, 10000);
    EXPECT_EQ(Back, Zeros);
}

TEST_F(BlockTest, EmptyStreamBlockStoresNothingAndReadsBackEmpty)
{
    auto Dest = Owned(TMemoryStream::Create());
    auto Empty = Owned(TMemoryStream::Create());
    int64_t Offset = -1, Stored = -1;
    ASSERT_TRUE(WriteMemoryBlock(Dest.get(), Offset, Stored, Empty.get(), zlDefault, nullptr, false));
    EXPECT_EQ(Stored, 0);
    EXPECT_EQ(Dest->Size(), 0);

    auto Reused = ZStreamOf(Sample(50));
    ASSERT_TRUE(ReadStreamBlock(Dest.get(), Reused.get(), true, Offset, Stored, nullptr, false));
    EXPECT_EQ(Reused->Size(), 0);
}

// Two compressed blocks back to back, each read on its own into a destination that held
// more bytes before: each read gives exactly its block.
TEST_F(BlockTest, StreamBlocksStopAtTheirEndAndLeaveNoStaleBytes)
{
    auto Container = Owned(TMemoryStream::Create());
    TBuffer First = Sample(3000), Second = Sample(500);
    int64_t Offset1, Stored1, Offset2, Stored2;
    ASSERT_TRUE(WriteDataBlock(Container.get(), Offset1, Stored1, false, nullptr, zlBest, 3000, First.data()));
    ASSERT_TRUE(WriteDataBlock(Container.get(), Offset2, Stored2, false, nullptr, zlFastest, 500, Second.data()));

    auto Dest = ZStreamOf(Sample(10000));
    ASSERT_TRUE(ReadStreamBlock(Container.get(), Dest.get(), true, Offset1, Stored1, nullptr, false));
    EXPECT_EQ(BytesOf(Dest.get()), First);
    ASSERT_TRUE(ReadStreamBlock(Container.get(), Dest.get(), true, Offset2, Stored2, nullptr, false));
    EXPECT_EQ(BytesOf(Dest.get()), Second);
    ASSERT_TRUE(ReadStreamBlock(Container.get(), Dest.get(), false, Offset2, 4, nullptr, false));
    EXPECT_EQ(BytesOf(Dest.get()), TBuffer(Container->Memory() + Offset2, Container->Memory() + Offset2 + 4));
}

TEST_F(BlockTest, DamagedAndTruncatedBlocksFailTheirChecks)
{
    TBuffer Data = Sample(20000);
    auto Container = Owned(TMemoryStream::Create());
    int64_t Offset, Stored;
    uint32_t Crc;
    ASSERT_TRUE(WriteDataBlockCrc(Container.get(), Offset, Stored, Crc, false, nullptr, zlDefault, 20000, Data.data()));
    auto Dest = Owned(TMemoryStream::Create());

    // Cut short, the block gives what it has and the CRC tells.
    EXPECT_FALSE(ReadStreamBlockCrc(Container.get(), Crc, Dest.get(), true, Offset, Stored / 2, nullptr, false));
    EXPECT_EQ(GetErrorCode(), kErrCrcMismatch);
    EXPECT_LT(Dest->Size(), 20000);

    Container->Memory()[Stored / 2] ^= 0x55;
    bool Read = ReadStreamBlockCrc(Container.get(), Crc, Dest.get(), true, Offset, Stored, nullptr, false);
    EXPECT_FALSE(Read);
    EXPECT_TRUE(GetErrorCode() == kErrRead || GetErrorCode() == kErrCrcMismatch) << GetErrorCode();

    ClearError();
    TBuffer Buffer(10);
    EXPECT_FALSE(ReadDataBlock(Container.get(), Buffer.data(), false, Container->Size() - 5, 10, nullptr, false));
    EXPECT_EQ(GetErrorCode(), kErrRead);
}

TEST_F(BlockTest, InflatingNeverPassesTheBufferOrTheLimit)
{
    TBuffer Data = Sample(5000);
    auto Container = Owned(TMemoryStream::Create());
    int64_t Offset, Stored;
    ASSERT_TRUE(WriteDataBlock(Container.get(), Offset, Stored, false, nullptr, zlDefault, 5000, Data.data()));

    // The buffer is exactly as large as asked for, so the sanitizer sees any write past it.
    auto Small = std::make_unique<uint8_t[]>(100);
    int64_t Read = 0;
    ASSERT_TRUE(ReadDataBlock(Container.get(), Small.get(), true, Offset, 100, nullptr, false, &Read));
    EXPECT_EQ(Read, 100);
    EXPECT_EQ(TBuffer(Small.get(), Small.get() + 100), TBuffer(Data.begin(), Data.begin() + 100));

    Container->SetPosition(Offset);
    auto Inflater = Owned(TXZDecompressionStream::Create(Container.get()));
    auto Dest = Owned(TMemoryStream::Create());
    EXPECT_THROW(Inflater->CopyTo(Dest.get(), nullptr, Stored, 4999), EReadError);
    EXPECT_LE(Dest->Size(), 4999);
}

TEST_F(BlockTest, TextBlocksDecodeRawAsUtf8AndCompressedAsAnsi)
{
    const String kText = "Grüße, café";
    auto Container = Owned(TMemoryStream::Create());
    int64_t RawOffset, RawSize, ZipOffset, ZipSize;
    ASSERT_TRUE(WriteDataBlock(Container.get(), RawOffset, RawSize, false, nullptr, zlNone,
                               static_cast<int64_t>(kText.size()), kText.data()));
    const char kAnsi[] = "Gr\xFC\xDF" "e, caf\xE9";
    ASSERT_TRUE(WriteDataBlock(Container.get(), ZipOffset, ZipSize, false, nullptr, zlDefault, 11, kAnsi));

    String Text;
    ASSERT_TRUE(ReadTextBlock(Container.get(), Text, false, RawOffset, RawSize, nullptr, false));
    EXPECT_EQ(Text, kText);
    ASSERT_TRUE(ReadTextBlock(Container.get(), Text, true, ZipOffset, ZipSize, nullptr, false));
    EXPECT_EQ(Text, kText);

    EXPECT_FALSE(ReadTextBlock(Container.get(), Text, false, RawOffset, int64_t(1) << 40, nullptr, false));
    EXPECT_EQ(Text, "");
    EXPECT_EQ(GetErrorCode(), kErrRead);
}

struct TProgressDisplay {
    std::vector<int32_t> Positions;
    bool Fails = false;

    void Hear(IXNotification* ANotification)
    {
        if (Fails)
            throw std::runtime_error("display gone");
        Positions.push_back(AspectOf<TXProgressChangedAspect>(ANotification)->Position);
    }
};

// A buffer read reports the share of the bytes asked for after each 64 KiB it inflates; a
// display that fails does not fail the read.
TEST_F(BlockTest, BufferReadsReportTheirShareAndSurviveAFailingDisplay)
{
    TBuffer Data = Sample(4 << 16);
    auto Container = Owned(TMemoryStream::Create());
    int64_t Offset, Stored;
    ASSERT_TRUE(WriteDataBlock(Container.get(), Offset, Stored, false, nullptr, zlDefault, 4 << 16, Data.data()));

    auto* Gear = TXProgressGear::Create(TIntf<IXEngine>());
    TProgressDisplay Display;
    Gear->Subscribe(TXProgressChangedAspect::StaticClass(),
                    TXNotificationHandler::Bind<&TProgressDisplay::Hear>(&Display));
    TBuffer Back(Data.size());
    ASSERT_TRUE(ReadDataBlock(Container.get(), Back.data(), true, Offset, 4 << 16, Gear->Manager()->Start("Read"),
                              false));
    EXPECT_EQ(Display.Positions, (std::vector<int32_t>{250, 500, 750, 1000}));

    TXProgress* Again = Gear->Manager()->Start("Again");
    Gear->Manager()->SetPosition(0);
    Display.Fails = true;
    Back.assign(Back.size(), 0);
    EXPECT_TRUE(ReadDataBlock(Container.get(), Back.data(), true, Offset, 4 << 16, Again, false));
    EXPECT_EQ(Back, Data);
    Gear->Free();
}

}  // namespace
